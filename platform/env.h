// The narrow seam between the program and the operating system's files.
//
// Everything that touches a disk goes through an Env, so the core compiles and
// runs its tests without one (an in-memory Env) and tests can inject faults
// (a folder that is not writable, a disk that fills up).
// Paths are UTF-8; each implementation converts to what its system wants.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// Held by one process at a time for one folder; let go when destroyed, or
// when the process ends, however it ends.
class FolderLock {
 public:
  virtual ~FolderLock() = default;
};

class Env {
 public:
  virtual ~Env() = default;

  virtual bool file_exists(const std::string& path) = 0;
  // The whole content of a file, as bytes.
  virtual Status read_file(const std::string& path, std::string* contents) = 0;
  // The content of a regular file of at most `limit` bytes. Anything else (a
  // folder, a device, a pipe, a larger file) is refused before a byte of it
  // is read, and opening it never waits for a writer.
  virtual Status read_regular_file(const std::string& path, size_t limit,
                                   std::string* contents) = 0;
  // Creates the file, or empties it when it exists.
  virtual Status new_writable_file(const std::string& path,
                                   std::unique_ptr<WritableFile>* file) = 0;
  // Creates a new, empty file beside `target` under a name that no other
  // process and no other call uses (temporary_name), and says which in
  // `temp`. Whatever already stands under a name, a link included, is left
  // alone and the next name is tried, so a planted link is never written
  // through. The file gets the mode a newly created target would get.
  virtual Status new_temporary_file(const std::string& target, std::string* temp,
                                    std::unique_ptr<WritableFile>* file) = 0;
  // Moves `from` onto `to`, replacing `to` when it exists, in one step.
  virtual Status rename_file(const std::string& from, const std::string& to) = 0;
  virtual Status delete_file(const std::string& path) = 0;
  // Lets whoever may read the file at `path` also run it as a program.
  // Nothing to do where the system has no such permission (Windows), or for
  // files in memory.
  virtual Status make_executable(const std::string& path) {
    (void)path;
    return ok();
  }
  // Pushes the folder's entries (the renames into it) to the device; does
  // nothing where the system does that with the rename itself.
  virtual Status sync_folder(const std::string& folder) = 0;
  // Waits until no other process holds the lock of `folder`, then holds it,
  // so that runs in one folder never interleave. Nullptr where the system
  // cannot lock the folder: the run then goes on unguarded.
  virtual std::unique_ptr<FolderLock> lock_folder(const std::string& folder) = 0;
};

// The Env of the machine the program runs on.
Env& default_env();

// The name of a temporary file beside `path`: "<path>.<process>-<attempt>.tmp~".
std::string temporary_name(const std::string& path, unsigned long process, unsigned long attempt);
// The file a temporary name stands for; empty when `path` is not such a name.
std::string target_of_temporary(const std::string& path);

// Replaces the content of `path` by `contents` without ever leaving a mix or a
// cut file: the bytes go to a new temporary file in the same folder, which is
// flushed and then renamed over the target. On any failure the old file stays
// as it was and the temporary file is removed. A failure names the file it
// happened to: the temporary file while writing, the target when renaming.
Status replace_file(Env& env, const std::string& path, std::string_view contents);

// The same, with the content produced piece by piece by `write` into the
// temporary file, so that a large file need not be held in memory whole.
using ContentWriter = std::function<Status(WritableFile& file)>;
Status replace_file(Env& env, const std::string& path, const ContentWriter& write);

// One file of a set to replace, and how to produce its content.
struct NewContent {
  std::string path;
  ContentWriter write;
};

// Replaces files that belong together as one set: every new content is
// written and flushed to its temporary file before the first rename, then
// the files are renamed in the order given and `folder` is synced. A failure
// before the first rename leaves every old file as it was; on any failure the
// temporary files not yet renamed are removed.
Status replace_files(Env& env, const std::string& folder, const std::vector<NewContent>& files);

// The folder that holds the running executable, without a trailing separator.
Status program_folder(std::string* folder);

}  // namespace platform
