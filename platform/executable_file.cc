#include "platform/executable_file.h"

#include <memory>

namespace platform {

Status replace_executable_file(Env& env, const std::string& path, std::string_view contents) {
  std::string temp;
  std::unique_ptr<WritableFile> file;
  if (Status status = env.new_temporary_file(path, &temp, &file)) return status;
  Status status = file->append(contents);
  if (!status) status = file->flush();
  Status closed = file->close();
  if (!status) status = closed;
  if (!status) status = env.make_executable(temp);
  if (!status) status = env.rename_file(temp, path);
  // The failure is what the caller reports; a temporary file the machine
  // refuses to delete cannot be helped.
  if (status) env.delete_file(temp);
  return status;
}

}  // namespace platform
