#include "platform/folders.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform {
namespace {

// Paths are UTF-8 throughout the program; say so to the standard library.
std::filesystem::path native(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

Status create_folders(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(native(path), error);
  if (error) return Error{"create folder", path, error.message()};
  if (!std::filesystem::is_directory(native(path), error))
    return Error{"create folder", path, "a file of that name is in the way"};
  return ok();
}

Status list_files(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  std::error_code error;
  std::filesystem::directory_iterator it(native(folder), error);
  if (error) return Error{"list", folder, error.message()};
  for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
    if (error) return Error{"list", folder, error.message()};
    std::error_code type_error;
    if (it->is_regular_file(type_error)) names->push_back(utf8(it->path().filename()));
  }
  std::sort(names->begin(), names->end());
  return ok();
}

}  // namespace platform
