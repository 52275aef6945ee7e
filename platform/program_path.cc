#include "platform/program_path.h"

#include "platform/env.h"

namespace platform {

std::string folder_of(std::string_view path) {
#ifdef _WIN32
  // Windows accepts both separators in a path it is given.
  size_t cut = path.find_last_of("\\/");
#else
  size_t cut = path.rfind('/');
#endif
  if (cut == std::string_view::npos) return ".";
#ifdef _WIN32
  // "C:\x.exe": the drive's root keeps its separator.
  if (cut == 2 && path[1] == ':') return std::string(path.substr(0, 3));
#else
  if (cut == 0) return "/";
#endif
  return std::string(path.substr(0, cut));
}

Status program_folder(std::string* folder) {
  std::string path;
  if (Status status = program_path(&path)) return status;
  *folder = folder_of(path);
  return ok();
}

std::string application_name() {
  std::string path;
  if (program_path(&path)) return "";
  std::string folder = folder_of(path);
  std::string name = path.substr(folder.size());
  while (!name.empty() && (name.front() == '/' || name.front() == '\\')) name.erase(0, 1);
#ifdef _WIN32
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
#endif
  return name;
}

}  // namespace platform
