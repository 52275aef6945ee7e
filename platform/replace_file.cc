#include <string>

#include "platform/env.h"

namespace platform {
namespace {

constexpr std::string_view kTemporarySuffix = ".tmp~";

// Writes a whole new content into a new temporary file beside `target`.
// `temp` names the file while it exists, and is empty when nothing was
// created.
Status write_temporary(Env& env, const std::string& target, const ContentWriter& write,
                       std::string* temp) {
  temp->clear();
  std::unique_ptr<WritableFile> file;
  if (Status status = env.new_temporary_file(target, temp, &file)) {
    temp->clear();
    return status;
  }
  Status status = write(*file);
  if (!status) status = file->flush();
  Status closed = file->close();
  if (!status) status = closed;
  return status;
}

// Clean-up after a failure that has already been reported: a temporary file
// the machine refuses to delete cannot be helped.
void remove_temporary(Env& env, std::string* temp) {
  if (!temp->empty()) env.delete_file(*temp);
  temp->clear();
}

}  // namespace

std::string temporary_name(const std::string& path, unsigned long process, unsigned long attempt) {
  return path + "." + std::to_string(process) + "-" + std::to_string(attempt) +
         std::string(kTemporarySuffix);
}

std::string target_of_temporary(const std::string& path) {
  if (!path.ends_with(kTemporarySuffix)) return {};
  const std::string_view stem =
      std::string_view(path).substr(0, path.size() - kTemporarySuffix.size());
  // ".<process>-<attempt>": digits, a dash, digits.
  const size_t dot = stem.rfind('.');
  if (dot == std::string_view::npos) return {};
  const std::string_view numbers = stem.substr(dot + 1);
  const size_t dash = numbers.find('-');
  const auto digits = [](std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (dash == std::string_view::npos || !digits(numbers.substr(0, dash)) ||
      !digits(numbers.substr(dash + 1)))
    return {};
  return std::string(stem.substr(0, dot));
}

Status replace_file(Env& env, const std::string& path, std::string_view contents) {
  return replace_file(env, path, [contents](WritableFile& file) { return file.append(contents); });
}

Status replace_file(Env& env, const std::string& path, const ContentWriter& write) {
  std::string temp;
  Status status = write_temporary(env, path, write, &temp);
  if (!status) status = env.rename_file(temp, path);
  if (status) remove_temporary(env, &temp);
  return status;
}

Status replace_files(Env& env, const std::string& folder, const std::vector<NewContent>& files) {
  std::vector<std::string> temps(files.size());
  Status status;
  for (size_t i = 0; i < files.size() && !status; ++i)
    status = write_temporary(env, files[i].path, files[i].write, &temps[i]);
  for (size_t i = 0; i < files.size() && !status; ++i) {
    status = env.rename_file(temps[i], files[i].path);
    if (!status) temps[i].clear();
  }
  if (status) {
    for (std::string& temp : temps) remove_temporary(env, &temp);
    return status;
  }
  return env.sync_folder(folder);
}

}  // namespace platform
