// The program's paths are UTF-8 strings; std::filesystem and the file streams
// take narrow strings in the system's code page on Windows. These convert.
#pragma once

#include <filesystem>
#include <string>

namespace test {

inline std::filesystem::path fs_path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8(const std::filesystem::path& path) {
  std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

}  // namespace test
