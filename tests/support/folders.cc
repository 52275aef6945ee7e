#include "tests/support/folders.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/env.h"
#include "tests/support/utf8_path.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;

std::string difference(const std::string& expected, const std::string& actual) {
  const auto [e, a] = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
  std::ostringstream text;
  text << "expected " << expected.size() << " bytes, holds " << actual.size()
       << ", first difference at byte " << (e - expected.begin());
  return text.str();
}

}  // namespace

::testing::AssertionResult same_files(const Folder& expected, const Folder& actual) {
  std::ostringstream wrong;
  for (const auto& [path, bytes] : expected) {
    auto it = actual.find(path);
    if (it == actual.end())
      wrong << "\n  missing: " << path;
    else if (it->second != bytes)
      wrong << "\n  different: " << path << " (" << difference(bytes, it->second) << ")";
  }
  for (const auto& [path, bytes] : actual)
    if (expected.count(path) == 0)
      wrong << "\n  left over: " << path << " (" << bytes.size() << " bytes)";
  if (wrong.str().empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the folder is not as expected:" << wrong.str();
}

Folder read_folder(const std::string& folder) {
  Folder files;
  for (const fs::directory_entry& entry : fs::directory_iterator(test::fs_path(folder))) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    files[folder + platform::kSeparator + test::utf8(entry.path().filename())] = bytes.str();
  }
  return files;
}

void put_folder(const std::string& folder, const Folder& files) {
  for (const fs::directory_entry& entry : fs::directory_iterator(test::fs_path(folder)))
    if (entry.is_regular_file()) fs::remove(entry.path());
  for (const auto& [path, bytes] : files) {
    std::ofstream out(test::fs_path(path), std::ios::binary);
    out << bytes;
    if (!out.flush()) ADD_FAILURE() << "cannot write " << path;
  }
}

Folder old_versions(const Folder& new_bytes) {
  Folder old;
  for (const auto& [path, bytes] : new_bytes) {
    std::string version = "old version of " + path + "\r\n";
    // A tail longer than the new bytes, repeating the file's own label.
    while (version.size() <= bytes.size() + 100) version += version.substr(0, 64);
    old[path] = version;
  }
  return old;
}

}  // namespace testing_support
