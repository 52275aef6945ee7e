// The narrow seam between the program and the operating system's files.
//
// Everything that touches a disk goes through an Env, so the core compiles and
// runs its tests without one (an in-memory Env) and tests can inject faults
// (a folder that is not writable, a disk that fills up).
// Paths are UTF-8; each implementation converts to what its system wants.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform {

// The separator the program puts between its folder and a file name.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual Status append(std::string_view data) = 0;
  // Pushes the content to the device, so that a rename after it cannot
  // publish a file whose bytes are not on disk yet.
  virtual Status flush() = 0;
  virtual Status close() = 0;
};

class Env {
 public:
  virtual ~Env() = default;

  virtual bool file_exists(const std::string& path) = 0;
  // The whole content of a file, as bytes.
  virtual Status read_file(const std::string& path, std::string* contents) = 0;
  // Creates the file, or empties it when it exists.
  virtual Status new_writable_file(const std::string& path,
                                   std::unique_ptr<WritableFile>* file) = 0;
  // Moves `from` onto `to`, replacing `to` when it exists, in one step.
  virtual Status rename_file(const std::string& from, const std::string& to) = 0;
  virtual Status delete_file(const std::string& path) = 0;
};

// The Env of the machine the program runs on.
Env& default_env();

// The name of the temporary file that replace_file writes beside `path`.
std::string temporary_name(const std::string& path);

// Replaces the content of `path` by `contents` without ever leaving a mix or a
// cut file: the bytes go to a temporary file in the same folder, which is
// flushed and then renamed over the target. On any failure the old file stays
// as it was and the temporary file is removed.
Status replace_file(Env& env, const std::string& path, std::string_view contents);

// The same, with the content produced piece by piece by `write` into the
// temporary file, so that a large file need not be held in memory whole.
using ContentWriter = std::function<Status(WritableFile& file)>;
Status replace_file(Env& env, const std::string& path, const ContentWriter& write);

// The folder that holds the running executable, without a trailing separator.
Status program_folder(std::string* folder);

}  // namespace platform
