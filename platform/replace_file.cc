#include "platform/env.h"

namespace platform {

std::string temporary_name(const std::string& path) { return path + ".tmp~"; }

namespace {

// A failure on the temporary file is reported for the file the user knows.
Status for_target(Status status, const std::string& path) {
  if (status) status->path = path;
  return status;
}

}  // namespace

Status replace_file(Env& env, const std::string& path, std::string_view contents) {
  return replace_file(env, path, [contents](WritableFile& file) { return file.append(contents); });
}

Status replace_file(Env& env, const std::string& path, const ContentWriter& write) {
  const std::string temp = temporary_name(path);
  std::unique_ptr<WritableFile> file;
  Status status = env.new_writable_file(temp, &file);
  if (status) {
    // A failed create may still have left an empty file behind.
    if (env.file_exists(temp)) env.delete_file(temp);
    return for_target(status, path);
  }
  status = write(*file);
  if (!status) status = file->flush();
  Status closed = file->close();
  if (!status) status = closed;
  file.reset();
  if (!status) status = env.rename_file(temp, path);
  if (status) env.delete_file(temp);
  return for_target(status, path);
}

}  // namespace platform
