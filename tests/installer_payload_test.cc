// The installer with a scenario packed into its executable.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "job/compile_job.h"
#include "model/file_names.h"
#include "payload/payload.h"
#include "platform/mem_env.h"
#include "platform/ui.h"
#include "run/installer_scenario.h"
#include "run/run.h"
#include "writers/writers.h"

namespace {

using model::FileKind;
using platform::MemEnv;

constexpr char kFolder[] = "/players";
const std::string kProgramPath = std::string(kFolder) + platform::kSeparator + "installer.exe";
const std::string kProgram = std::string("MZ program\0", 11) + std::string(200, 'x');

class RecordingUi final : public platform::Ui {
 public:
  void show_waiting(std::string_view) override { calls.push_back("show"); }
  void close_waiting() override { calls.push_back("close"); }
  void message_box(std::string_view text) override { boxes.emplace_back(text); }
  std::vector<std::string> calls;
  std::vector<std::string> boxes;
};

std::string path_in(const std::string& folder, FileKind kind, const std::string& name,
                    const std::string& train) {
  return folder + platform::kSeparator + model::file_name(kind, name, train);
}

// The built-in scenario's files as its writers write them, by kind.
std::map<FileKind, std::string> built_in_files() {
  MemEnv env;
  std::map<FileKind, std::string> files;
  for (const run::InstallerScenario::File& file : run::built_in_scenario().files) {
    EXPECT_FALSE(file.write(env, "/w"));
    files[file.kind] =
        env.files()[path_in("/w", file.kind, writers::kScenarioName, writers::kTrainNumber)];
  }
  return files;
}

// A scenario of another name, on the built-in sources, with one document
// of its own.
payload::Contents own_scenario() {
  std::map<FileKind, std::string> files = built_in_files();
  return {"Bracciano_Lago",
          "2207",
          {{FileKind::kLineSource, files[FileKind::kLineSource]},
           {FileKind::kTrainSource, files[FileKind::kTrainSource]},
           {FileKind::kSlowdownForm, "Nessun rallentamento.\r\n"}}};
}

int run_packed(MemEnv& env, RecordingUi& ui, const std::string& executable, std::ostream& err) {
  env.files()[kProgramPath] = executable;
  return run::run_program(env, ui, kProgramPath, err);
}

// Waits for the parsers.
TEST(PackedInstaller, OfTheBuiltInScenarioLeavesWhatTheBuiltInOneLeaves) {
  std::map<FileKind, std::string> files = built_in_files();
  payload::Contents contents{writers::kScenarioName, writers::kTrainNumber, {}};
  for (FileKind kind : payload::kFileOrder) contents.files.push_back({kind, files[kind]});

  MemEnv packed, built_in;
  RecordingUi packed_ui, built_in_ui;
  std::ostringstream err;
  ASSERT_EQ(run_packed(packed, packed_ui, kProgram + payload::encode(contents), err), 0)
      << err.str();
  ASSERT_EQ(run_packed(built_in, built_in_ui, kProgram, err), 0) << err.str();
  EXPECT_EQ(built_in.files().size(), 7u);
  packed.files().erase(kProgramPath);
  built_in.files().erase(kProgramPath);
  EXPECT_EQ(packed.files(), built_in.files());
  EXPECT_EQ(packed_ui.calls, (std::vector<std::string>{"show", "close"}));
}

// Waits for the parsers.
TEST(PackedInstaller, LeavesItsDocumentsAndTheBinaryFilesOfItsCompile) {
  const payload::Contents contents = own_scenario();
  MemEnv env;
  RecordingUi ui;
  std::ostringstream err;
  ASSERT_EQ(run_packed(env, ui, kProgram + payload::encode(contents) + std::string(8192, 's'), err),
            0)
      << err.str();

  // The reference: the same sources compiled where they lie.
  MemEnv reference;
  for (const payload::File& file : contents.files)
    reference.files()[path_in(kFolder, file.kind, "Bracciano_Lago", "2207")] = file.bytes;
  job::JobRequest request;
  request.folder = kFolder;
  request.scenario_name = "Bracciano_Lago";
  request.train_number = "2207";
  ASSERT_EQ(job::run_job(reference, request).outcome(), job::Outcome::kClean);
  reference.files()[kProgramPath] = env.files()[kProgramPath];
  EXPECT_EQ(env.files(), reference.files());
  EXPECT_EQ(env.files().size(), 5u);  // the program, the form, three binary files
  EXPECT_TRUE(ui.boxes.empty());
}

struct Damage {
  const char* name;
  std::string (*apply)(std::string payload);
};

std::string flip_at(std::string bytes, size_t at) {
  bytes[at] ^= 0x10;
  return bytes;
}
size_t offset_of(const std::string& payload, std::string_view piece) {
  const size_t at = payload.find(piece);
  EXPECT_NE(at, std::string::npos);
  return at + piece.size() / 2;
}

const Damage kDamages[] = {
    {"a flipped header byte", [](std::string p) { return flip_at(p, 21); }},
    {"a flipped start marker", [](std::string p) { return flip_at(p, 3); }},
    {"a flipped name", [](std::string p) { return flip_at(p, offset_of(p, "Bracciano_Lago")); }},
    {"a flipped number", [](std::string p) { return flip_at(p, p.find("2207") + 1); }},
    {"a flipped line source",
     [](std::string p) { return flip_at(p, offset_of(p, own_scenario().files[0].bytes)); }},
    {"a flipped train source",
     [](std::string p) { return flip_at(p, offset_of(p, own_scenario().files[1].bytes)); }},
    {"a flipped document",
     [](std::string p) { return flip_at(p, offset_of(p, "Nessun rallentamento.")); }},
    {"a flipped checksum", [](std::string p) { return flip_at(p, p.size() - 20); }},
    {"a flipped end marker", [](std::string p) { return flip_at(p, p.size() - 2); }},
    {"cut in the header", [](std::string p) { return p.substr(0, 20); }},
    {"cut in the middle", [](std::string p) { return p.substr(0, p.size() / 2); }},
    {"cut before the end marker", [](std::string p) { return p.substr(0, p.size() - 16); }},
    {"cut in the end marker", [](std::string p) { return p.substr(0, p.size() - 1); }},
    {"another version",
     [](std::string p) {
       p[16] = 2;
       return p;
     }},
    {"a name with ../",
     [](std::string) {
       payload::Contents contents = own_scenario();
       contents.scenario_name = "../Bracciano_Lago";
       return payload::encode(contents);
     }},
};

TEST(PackedInstaller, ADamagedPayloadIsRefusedBeforeAnythingIsWritten) {
  const std::string payload = payload::encode(own_scenario());
  for (const Damage& damage : kDamages) {
    MemEnv env;
    // Files of an earlier install stay as they were.
    const std::string old_cells = path_in(kFolder, FileKind::kCells, "Bracciano_Lago", "2207");
    env.files()[old_cells] = "earlier install";
    RecordingUi ui;
    std::ostringstream err;
    const std::string executable = kProgram + damage.apply(payload);
    EXPECT_EQ(run_packed(env, ui, executable, err), run::kExitPlatform) << damage.name;
    EXPECT_EQ(ui.boxes, std::vector<std::string>{run::damaged_box_text(kProgramPath)})
        << damage.name;
    EXPECT_TRUE(ui.calls.empty()) << damage.name << ": no waiting window";
    const std::map<std::string, std::string> untouched = {{old_cells, "earlier install"},
                                                          {kProgramPath, executable}};
    EXPECT_EQ(env.files(), untouched) << damage.name;
    EXPECT_TRUE(err.str().starts_with("fiumicino_roma_3291: '" + kProgramPath + "' is damaged: "))
        << err.str();
  }
}

TEST(PackedInstaller, TheDamagedBoxIsItalianAndNamesTheProgram) {
  EXPECT_EQ(run::damaged_box_text("C:\\Sim\\x.exe"),
            "Installazione interrotta.\n\nIl programma è danneggiato:\nC:\\Sim\\x.exe\n\n"
            "Nessun file è stato scritto. Scaricare di nuovo il programma.");
}

TEST(PackedInstaller, AnExecutableThatCannotBeReadIsReported) {
  MemEnv env;
  RecordingUi ui;
  std::ostringstream err;
  EXPECT_EQ(run::run_program(env, ui, kProgramPath, err), run::kExitPlatform);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_TRUE(
      ui.boxes[0].starts_with("Installazione interrotta.\n\nImpossibile aprire:\n" + kProgramPath))
      << ui.boxes[0];
  EXPECT_TRUE(env.files().empty());
}

}  // namespace
