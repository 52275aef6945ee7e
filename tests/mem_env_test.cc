#include "platform/mem_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/env_wrapper.h"

namespace {

using platform::FaultEnv;
using platform::MemEnv;
using platform::Op;
using platform::Status;

// Creates `path` holding `bytes` through `env`, closed.
Status put(platform::Env& env, const std::string& path, const std::string& bytes) {
  std::unique_ptr<platform::WritableFile> file;
  if (Status status = env.new_writable_file(path, &file)) return status;
  if (Status status = file->append(bytes)) return status;
  return file->close();
}

// Which of the calls in `trace` failed, as a string of '.' and 'x'.
std::string failures(const FaultEnv& env) {
  std::string marks;
  for (const FaultEnv::Call& call : env.trace()) marks += call.failure ? 'x' : '.';
  return marks;
}

// --- MemEnv --------------------------------------------------------------------------

TEST(MemEnv, AFileDeletedOrRenamedWhileOpenTakesNoMoreBytes) {
  MemEnv env;
  std::unique_ptr<platform::WritableFile> file;
  ASSERT_FALSE(env.new_writable_file("a", &file));
  ASSERT_FALSE(file->append("12"));
  ASSERT_FALSE(env.rename_file("a", "b"));
  EXPECT_FALSE(file->append("34"));
  ASSERT_FALSE(env.delete_file("b"));
  EXPECT_FALSE(file->append("56"));
  EXPECT_FALSE(file->close());
  EXPECT_TRUE(env.files().empty());
}

TEST(MemEnv, AClosedFileRefusesWrites) {
  MemEnv env;
  std::unique_ptr<platform::WritableFile> file;
  ASSERT_FALSE(env.new_writable_file("a", &file));
  ASSERT_FALSE(file->close());
  EXPECT_TRUE(file->append("late"));
  EXPECT_TRUE(file->flush());
  EXPECT_EQ(env.files().at("a"), "");
}

// --- FaultEnv: arming ----------------------------------------------------------------

struct ArmingCase {
  const char* name;
  std::function<void(FaultEnv&)> arm;
  const char* failed;  // per call of the sequence below: '.' passed, 'x' failed
};

class FaultEnvArming : public ::testing::TestWithParam<ArmingCase> {};

// One creation (an open) and one deletion before arming, so that counting
// starts at arming; then three rounds of: create and close a file, delete it.
TEST_P(FaultEnvArming, FailsExactlyTheCallsItIsArmedFor) {
  MemEnv base;
  FaultEnv env(base);
  ASSERT_FALSE(put(env, "f0", "x"));  // open, write, close
  ASSERT_FALSE(env.delete_file("f0"));
  GetParam().arm(env);
  std::string marks;
  for (int i = 1; i <= 3; ++i) {
    std::unique_ptr<platform::WritableFile> file;
    const std::string path = "f" + std::to_string(i);
    marks += env.new_writable_file(path, &file) ? 'x' : '.';
    if (file) file->close();
    if (!file) base.files()[path];  // so that every deletion has a file to delete
    marks += env.delete_file(path) ? 'x' : '.';
  }
  EXPECT_EQ(marks, GetParam().failed);
  EXPECT_EQ(env.calls(Op::kOpen), 4);
  EXPECT_EQ(env.calls(Op::kDelete), 4);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, FaultEnvArming,
    ::testing::Values(ArmingCase{"nothing", [](FaultEnv&) {}, "......"},
                      ArmingCase{"second_open_alone", [](FaultEnv& e) { e.fail_nth(Op::kOpen, 2); },
                                 "..x..."},
                      ArmingCase{"disarmed",
                                 [](FaultEnv& e) {
                                   e.fail_nth(Op::kOpen, 2);
                                   e.fail_nth(Op::kOpen, 0);
                                 },
                                 "......"},
                      ArmingCase{"deletes_from_the_second",
                                 [](FaultEnv& e) { e.fail_from(Op::kDelete, 2); }, "...x.x"},
                      // Calls after arming: open, close, delete, open, close, delete, ...
                      ArmingCase{"everything_from_the_fourth",
                                 [](FaultEnv& e) { e.fail_everything_from(4); }, "..xxxx"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FaultEnv, TracesEveryCallWithItsFileAndFailure) {
  MemEnv base;
  FaultEnv env(base);
  env.fail_nth(Op::kRename, 1);
  ASSERT_FALSE(put(env, "t", "bytes"));
  EXPECT_TRUE(env.rename_file("t", "u"));
  std::string contents;
  EXPECT_FALSE(env.read_file("t", &contents));
  std::vector<std::string> lines;
  for (const FaultEnv::Call& call : env.trace())
    lines.push_back(std::string(platform::op_name(call.op)) + " " + call.path +
                    (call.failure ? " failed" : ""));
  EXPECT_EQ(lines, (std::vector<std::string>{"open t", "write t", "close t", "rename u failed",
                                             "open t", "read t"}));
  EXPECT_EQ(base.files().at("t"), "bytes");
}

// A program sees an injected failure exactly as it would see the machine's.
TEST(FaultEnv, NamesEachFailureAsTheMachineDoes) {
  namespace fs = std::filesystem;
  const std::string missing = (fs::temp_directory_path() / "mem_env_test_no_such_folder").string();
  ASSERT_FALSE(fs::exists(missing));
  const std::string path = missing + platform::kSeparator + "f";
  platform::Env& real = platform::default_env();

  struct Case {
    Op op;
    std::function<Status(platform::Env&)> call;
  };
  const Case cases[] = {
      {Op::kOpen,
       [&](platform::Env& env) {
         std::string contents;
         return env.read_file(path, &contents);
       }},
      {Op::kOpen,
       [&](platform::Env& env) {
         std::unique_ptr<platform::WritableFile> file;
         return env.new_writable_file(path, &file);
       }},
      {Op::kRename, [&](platform::Env& env) { return env.rename_file(path + "~", path); }},
      {Op::kDelete, [&](platform::Env& env) { return env.delete_file(path); }},
  };
  for (const Case& c : cases) {
    const Status machine = c.call(real);
    ASSERT_TRUE(machine);
    MemEnv base;
    base.files()[path] = "";
    base.files()[path + "~"] = "";
    FaultEnv env(base);
    env.fail_nth(c.op, 1);
    const Status injected = c.call(env);
    ASSERT_TRUE(injected) << machine->message();
    EXPECT_EQ(injected->operation, machine->operation);
    EXPECT_EQ(injected->path, machine->path);
    EXPECT_NE(injected->reason.find("(injected)"), std::string::npos);
  }
}

// --- FaultEnv: the disk and the power ------------------------------------------------

TEST(FaultEnv, AFullDiskStoresWhatFitsAndRefusesTheRest) {
  MemEnv base;
  FaultEnv env(base);
  env.fill_disk_after(5);
  std::unique_ptr<platform::WritableFile> file;
  ASSERT_FALSE(env.new_writable_file("a", &file));
  EXPECT_FALSE(file->append("abc"));
  const Status full = file->append("defg");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->message(), "cannot write 'a': No space left on device (injected)");
  EXPECT_TRUE(file->append("h"));
  EXPECT_FALSE(file->append(""));
  EXPECT_FALSE(file->close());
  EXPECT_EQ(base.files().at("a"), "abcde");
  EXPECT_EQ(failures(env), "..xx..");
}

TEST(FaultEnv, APowerCutKeepsOnlyWhatAFlushPushedOut) {
  MemEnv base;
  base.files()["before"] = "from an earlier run";
  base.files()["overwritten"] = "old";
  FaultEnv env(base);
  std::unique_ptr<platform::WritableFile> flushed, unflushed, overwritten, renamed;
  ASSERT_FALSE(env.new_writable_file("flushed", &flushed));
  ASSERT_FALSE(flushed->append("12345"));
  ASSERT_FALSE(flushed->flush());
  ASSERT_FALSE(flushed->append("678"));
  ASSERT_FALSE(env.new_writable_file("unflushed", &unflushed));
  ASSERT_FALSE(unflushed->append("lost"));
  // Writing over a file in place: its old bytes are gone at once, the new
  // ones are not on the device yet.
  ASSERT_FALSE(env.new_writable_file("overwritten", &overwritten));
  ASSERT_FALSE(overwritten->append("new"));
  // A flushed file takes what it has on the device along when it is renamed.
  ASSERT_FALSE(env.new_writable_file("temp", &renamed));
  ASSERT_FALSE(renamed->append("whole"));
  ASSERT_FALSE(renamed->flush());
  ASSERT_FALSE(renamed->close());
  ASSERT_FALSE(env.rename_file("temp", "target"));

  ASSERT_FALSE(env.lose_unflushed_data());
  EXPECT_EQ(base.files(), (std::map<std::string, std::string>{{"before", "from an earlier run"},
                                                              {"flushed", "12345"},
                                                              {"overwritten", ""},
                                                              {"target", "whole"},
                                                              {"unflushed", ""}}));
}

}  // namespace

// Records the permission changes that reach it; everything else goes on to
// a MemEnv.
class PermissionLog final : public platform::EnvWrapper {
 public:
  explicit PermissionLog(platform::Env& target) : EnvWrapper(target) {}
  std::vector<std::string> made_executable;
  Status make_executable(const std::string& path) override {
    made_executable.push_back(path);
    return target().make_executable(path);
  }
};

// A wrapper that forwards by default, and the fault walk's Env, pass on
// every call, the permission change included: an installer packed through
// them must still be a program.
TEST(EnvWrapper, PassesEveryCallOnAndFaultEnvThePermissionChangeToo) {
  MemEnv disk;
  PermissionLog log(disk);
  platform::EnvWrapper plain(log);
  FaultEnv faults(log);
  ASSERT_FALSE(put(plain, "/f/a", "bytes"));
  std::string read;
  ASSERT_FALSE(plain.read_file("/f/a", &read));
  EXPECT_EQ(read, "bytes");
  EXPECT_FALSE(plain.make_executable("/f/a"));
  EXPECT_FALSE(faults.make_executable("/f/b"));
  EXPECT_EQ(log.made_executable, (std::vector<std::string>{"/f/a", "/f/b"}));
  ASSERT_FALSE(plain.rename_file("/f/a", "/f/c"));
  EXPECT_EQ(disk.files().count("/f/c"), 1u);
  EXPECT_TRUE(faults.trace().empty()) << "the permission change is not counted";
}
