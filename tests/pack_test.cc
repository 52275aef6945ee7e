// scenarioc pack and unpack: a scenario folder into an installer, and back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "payload/payload.h"
#include "platform/mem_env.h"
#include "tests/support/scenario_sources.h"
#include "tests/support/tool_folder.h"
#include "tests/support/utf8_path.h"
#include "tools/cli/exit_status.h"

namespace {

namespace fs = std::filesystem;
using model::FileKind;

// pack only appends to the program: any bytes stand in for one.
const std::string kWindowsProgram = std::string("MZ\x90\0 a Windows program", 22);

class Pack : public testing_support::ToolFolder {
 protected:
  void SetUp() override {
    ToolFolder::SetUp();
    installer_ = path("installer.exe");
    put("installer.exe", kWindowsProgram);
    output_ = test::utf8(folder_path_ / "out");
    fs::create_directory(folder_path_ / "out");
    packed_ = output_ + platform::kSeparator + "packed.exe";
  }
  testing_support::ToolOutcome pack(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"pack", folder_, "--installer", installer_, "-o", packed_};
    args.insert(args.end(), extra.begin(), extra.end());
    return scenarioc(args);
  }

  std::string installer_, output_, packed_;
};

TEST_F(Pack, PacksTheSourcesAndTheDocumentsThereAndUnpacksThemAlike) {
  write_given_sources();
  put(model::file_name(FileKind::kRouteNotes, std::string("Fiumicino Aeroporto_Roma"), "3291"),
      "Note di linea.\r\n");
  const auto before = snapshot();
  const auto outcome = pack();
  ASSERT_EQ(outcome.status, tools::kExitOk) << outcome.err;
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.out, "packed 'Fiumicino Aeroporto_Roma' train 3291 (3 files) into " + packed_ +
                             " (" + std::to_string(read(packed_).size()) + " bytes)\n");
  EXPECT_EQ(snapshot(), before) << "pack leaves the folder as it is";

  const std::string packed = read(packed_);
  ASSERT_TRUE(packed.starts_with(kWindowsProgram));
  const payload::Reading reading = payload::read(packed);
  ASSERT_EQ(reading.found, payload::Reading::Found::kWhole) << reading.problem;
  EXPECT_EQ(reading.begin, kWindowsProgram.size());
  ASSERT_EQ(reading.contents.files.size(), 3u);
  EXPECT_EQ(reading.contents.files[2].bytes, "Note di linea.\r\n");
#ifndef _WIN32
  const fs::perms perms = fs::status(test::fs_path(packed_)).permissions();
  EXPECT_NE(perms & fs::perms::owner_exec, fs::perms::none) << "the installer must be runnable";
#endif

  const std::string unpacked = output_ + platform::kSeparator + "unpacked";
  const auto unpack = scenarioc({"unpack", packed_, unpacked});
  ASSERT_EQ(unpack.status, tools::kExitOk) << unpack.err;
  for (const auto& [name, bytes] : before) {
    if (name == "installer.exe") continue;
    EXPECT_EQ(read(unpacked + platform::kSeparator + name), bytes) << name;
  }
  EXPECT_EQ(
      std::distance(fs::directory_iterator(test::fs_path(unpacked)), fs::directory_iterator()), 3);
  // A second unpack does not replace what an author may have edited.
  EXPECT_EQ(scenarioc({"unpack", packed_, unpacked}).status, tools::kExitPlatform);
  EXPECT_EQ(scenarioc({"unpack", packed_, unpacked, "--force"}).status, tools::kExitOk);
}

TEST_F(Pack, RepackingReplacesThePayloadAndGivesTheSameBytesAsPackingOnce) {
  write_given_sources();
  ASSERT_EQ(pack().status, tools::kExitOk);
  const std::string once = read(packed_);
  // A signed installer: bytes after its payload.
  put("installer.exe", once + std::string(8192, '\x5a'));
  ASSERT_EQ(pack().status, tools::kExitOk);
  EXPECT_EQ(read(packed_), once);
  // Packing over the starting installer itself.
  installer_ = packed_;
  ASSERT_EQ(pack().status, tools::kExitOk);
  EXPECT_EQ(read(packed_), once);
}

TEST_F(Pack, RefusesAScenarioWithAFaultAndWithWerrorOneWithAWarning) {
  write_sources(testing_support::line_source_with({"pendenza,  41901,   0"}),
                testing_support::given_train_source());
  auto outcome = pack();
  EXPECT_EQ(outcome.status, tools::kExitStatus);
  const auto check = scenarioc({"check", folder_});
  EXPECT_TRUE(outcome.err.starts_with(check.out.substr(0, check.out.find("\nnote:"))))
      << outcome.err;
  EXPECT_NE(outcome.err.find("not packed, nothing written"), std::string::npos) << outcome.err;
  EXPECT_FALSE(fs::exists(test::fs_path(packed_)));

  write_sources(testing_support::line_source_with({"pendnza, 3000, 0"}),
                testing_support::given_train_source());
  outcome = pack({"--werror"});
  EXPECT_EQ(outcome.status, tools::kExitStatus);
  EXPECT_TRUE(outcome.err.starts_with(path(FileKind::kLineSource) + ":82:1: warning:"))
      << outcome.err;
  EXPECT_NE(outcome.err.find("warning: 'pendnza' matches no keyword"), std::string::npos);
  EXPECT_FALSE(fs::exists(test::fs_path(packed_)));
  // Without --werror the warning is told and the installer made.
  outcome = pack();
  EXPECT_EQ(outcome.status, tools::kExitOk) << outcome.err;
  EXPECT_NE(outcome.err.find("warning: 'pendnza'"), std::string::npos);
}

// The installer is written to a temporary file and renamed: a failure at any
// step leaves the old file whole and no temporary file behind.
TEST_F(Pack, AFailedWriteLeavesTheOldFileWholeAndNothingElse) {
  write_given_sources();
  put("out/packed.exe", "an older installer");
  struct Fault {
    const char* name;
    void (*arm)(platform::FaultEnv&);
  };
  const Fault faults[] = {
      {"a full disk", [](platform::FaultEnv& env) { env.fill_disk_after(100); }},
      {"a failed flush", [](platform::FaultEnv& env) { env.fail_nth(platform::Op::kFlush, 1); }},
      {"a failed rename", [](platform::FaultEnv& env) { env.fail_nth(platform::Op::kRename, 1); }},
  };
  for (const Fault& fault : faults) {
    platform::FaultEnv env(platform::default_env());
    fault.arm(env);
    const auto outcome = testing_support::run_scenarioc(
        {"pack", folder_, "--installer", installer_, "-o", packed_}, env);
    EXPECT_EQ(outcome.status, tools::kExitPlatform) << fault.name;
    EXPECT_NE(outcome.err.find("packed.exe"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("; nothing written"), std::string::npos) << outcome.err;
    EXPECT_EQ(read(packed_), "an older installer") << fault.name;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_path_ / "out"), fs::directory_iterator()),
              1)
        << fault.name << ": a temporary file is left";
  }
}

TEST_F(Pack, RefusesNamesThatCannotNameFilesOnWindows) {
  // Refused before any file is looked for: none of these names could be
  // created on Windows anyway.
  for (const char* name : {"Roma:Termini", "Roma..Termini", "Roma|Termini"}) {
    const auto outcome = pack({"--scenario", name, "--train", "3291"});
    EXPECT_EQ(outcome.status, tools::kExitPlatform) << name;
    EXPECT_NE(outcome.err.find("the scenario name '" + std::string(name) + "' holds"),
              std::string::npos)
        << outcome.err;
    EXPECT_FALSE(fs::exists(test::fs_path(packed_)));
  }
}

TEST_F(Pack, RefusesADamagedStartingInstaller) {
  write_given_sources();
  ASSERT_EQ(pack().status, tools::kExitOk);
  std::string damaged = read(packed_);
  damaged[damaged.size() - 100] ^= 1;
  put("installer.exe", damaged);
  fs::remove(test::fs_path(packed_));
  const auto outcome = pack();
  EXPECT_EQ(outcome.status, tools::kExitPlatform);
  EXPECT_NE(outcome.err.find("is damaged (the payload's checksum does not match its contents)"),
            std::string::npos)
      << outcome.err;
  EXPECT_FALSE(fs::exists(test::fs_path(packed_)));
}

TEST_F(Pack, ListsWhatAnInstallerInstalls) {
  // Without a payload: the built-in scenario.
  auto list = scenarioc({"unpack", "--list", installer_});
  ASSERT_EQ(list.status, tools::kExitOk) << list.err;
  EXPECT_TRUE(
      list.out.starts_with("scenario: Fiumicino Aeroporto_Roma\ntrain: 3291\n"
                           "payload: none, the installer's built-in scenario\n"
                           "  Fiumicino Aeroporto_Roma_linea.txt  "))
      << list.out;
  EXPECT_NE(list.out.find("  Fiumicino Aeroporto_Roma_3291_scheda_treno.txt  "), std::string::npos);

  write_given_sources();
  ASSERT_EQ(pack().status, tools::kExitOk);
  const std::string packed = read(packed_);
  list = scenarioc({"unpack", "--list", packed_});
  ASSERT_EQ(list.status, tools::kExitOk) << list.err;
  EXPECT_EQ(list.out,
            "scenario: Fiumicino Aeroporto_Roma\ntrain: 3291\n"
            "payload: format version 1, " +
                std::to_string(packed.size() - kWindowsProgram.size()) +
                " bytes, checksum holds\n"
                "  Fiumicino Aeroporto_Roma_linea.txt  " +
                std::to_string(read(path(FileKind::kLineSource)).size()) +
                " bytes\n"
                "  Fiumicino Aeroporto_Roma_3291-.txt  " +
                std::to_string(read(path(FileKind::kTrainSource)).size()) + " bytes\n");

  std::string damaged = packed;
  damaged[damaged.size() - 20] ^= 1;  // the checksum
  put("damaged.exe", damaged);
  list = scenarioc({"unpack", "--list", path("damaged.exe")});
  EXPECT_EQ(list.status, tools::kExitStatus);
  EXPECT_NE(list.out.find("checksum DOES NOT MATCH"), std::string::npos) << list.out;
  const auto unpack = scenarioc({"unpack", path("damaged.exe"), output_ + "/x"});
  EXPECT_EQ(unpack.status, tools::kExitStatus);
  EXPECT_FALSE(fs::exists(test::fs_path(output_ + "/x")));
}

}  // namespace
