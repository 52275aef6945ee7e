// On the real disk: a folder's lock belongs to the folder, not to the text
// of its path; and, on Windows, the binary files of a folder where another
// program holds the old service file open without sharing deletion (the
// simulator, an antivirus, a viewer) stay the old set, and the run says why.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "platform/env.h"
#include "platform/ui.h"
#include "run/run.h"
#include "tests/support/utf8_path.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;

class RealFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    path_ = fs::temp_directory_path() /
            ("folder_identity_test_" + std::to_string(random()) + std::to_string(random()));
    ASSERT_TRUE(fs::create_directories(path_ / "scenario"));
    folder_ = test::utf8(path_ / "scenario");
  }
  void TearDown() override { fs::remove_all(path_); }

  std::string read(const std::string& name) const {
    std::ifstream in(path_ / "scenario" / test::fs_path(name), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }
  void put(const std::string& name, const std::string& content) const {
    std::ofstream(path_ / "scenario" / test::fs_path(name), std::ios::binary) << content;
  }

  fs::path path_;
  std::string folder_;
};

// The same folder reached by another path (a path through "..", a link to
// it where the system has them) has the same identity, and its lock is
// refused while the first is held.
TEST_F(RealFolder, TheLockBelongsToTheFolderWhateverPathReachesIt) {
  platform::Env& env = platform::default_env();
  std::vector<std::string> others = {
      test::utf8(path_ / "scenario" / ".." / "scenario"),
  };
  std::error_code no_links;
  fs::create_directory_symlink(path_ / "scenario", path_ / "link", no_links);
  if (!no_links) others.push_back(test::utf8(path_ / "link"));

  std::string identity;
  ASSERT_FALSE(env.folder_identity(folder_, &identity));
  std::unique_ptr<platform::FolderLock> held;
  ASSERT_FALSE(env.try_lock_folder(folder_, &held));
  ASSERT_TRUE(held);
  for (const std::string& other : others) {
    SCOPED_TRACE(other);
    std::string other_identity;
    ASSERT_FALSE(env.folder_identity(other, &other_identity));
    EXPECT_EQ(other_identity, identity);
    std::unique_ptr<platform::FolderLock> second;
    ASSERT_FALSE(env.try_lock_folder(other, &second));
    EXPECT_FALSE(second) << "a second lock of the same folder was granted";
  }
  // A different folder is not the same.
  std::string sibling;
  ASSERT_TRUE(fs::create_directory(path_ / "other"));
  ASSERT_FALSE(env.folder_identity(test::utf8(path_ / "other"), &sibling));
  EXPECT_NE(sibling, identity);
  // Released, it is free again.
  held.reset();
  std::unique_ptr<platform::FolderLock> again;
  ASSERT_FALSE(env.try_lock_folder(others.front(), &again));
  EXPECT_TRUE(again);
}

#ifdef _WIN32
// Records the boxes the run shows.
class BoxUi final : public platform::Ui {
 public:
  void show_waiting(std::string_view) override {}
  void close_waiting() override {}
  void message_box(std::string_view text) override { boxes.emplace_back(text); }
  std::vector<std::string> boxes;
};

// The simulator holds the old service file open, sharing reading and
// writing but not deletion: the installer cannot replace it, so no binary
// file is replaced at all, and the box names the file and the reason.
TEST_F(RealFolder, AServiceFileHeldOpenWithoutDeleteSharingKeepsTheOldSetWhole) {
  model::Scenario names;
  names.scenario_name = run::kScenarioName;
  names.train_number = run::kTrainNumber;
  const model::FileKind binaries[] = {model::FileKind::kLineGeometry, model::FileKind::kService,
                                      model::FileKind::kCells};
  for (model::FileKind kind : binaries)
    put(model::file_name(kind, names.scenario_name, names.train_number), "old");
  const std::string service = model::file_path(folder_, model::FileKind::kService, names);
  std::wstring wide(service.begin(), service.end());
  HANDLE held = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  BoxUi ui;
  std::ostringstream err;
  const int status = run::run_installer(platform::default_env(), ui, folder_, err);
  ::CloseHandle(held);

  EXPECT_EQ(status, run::kExitPlatform);
  for (model::FileKind kind : binaries)
    EXPECT_EQ(read(model::file_name(kind, names.scenario_name, names.train_number)), "old");
  for (const auto& entry : fs::directory_iterator(path_ / "scenario"))
    EXPECT_TRUE(platform::target_of_temporary(test::utf8(entry.path())).empty())
        << test::utf8(entry.path()) << " left behind";
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(
      ui.boxes[0].rfind(
          "Installazione interrotta.\n\nImpossibile sostituire:\n" + service + "\n\nMotivo: ", 0),
      0u)
      << ui.boxes[0];
  EXPECT_NE(ui.boxes[0].find("I file gi\u00e0 sostituiti sono stati ripristinati"),
            std::string::npos)
      << ui.boxes[0];
}
#endif

}  // namespace
