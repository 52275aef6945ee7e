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
  // Takes the lock of `folder` when no other process holds it, without
  // waiting: `lock` is then set, and left empty when another process holds
  // it. The lock belongs to the folder itself, however its path is written.
  // A failure says why the system cannot lock the folder at all.
  virtual Status try_lock_folder(const std::string& folder, std::unique_ptr<FolderLock>* lock) = 0;
  // What the folder is, the same for every path that reaches it (device and
  // inode, volume and file ID), so that locks are taken in one order.
  virtual Status folder_identity(const std::string& folder, std::string* identity) = 0;
};

// How long a run waits for the lock of a folder another run holds.
struct LockWait {
  long notice_after_ms = 2000;  // then it says what it waits for
  long give_up_after_ms = 60000;
  long poll_ms = 25;
};

// Told what the taking of locks is doing, so that no wait is silent.
class LockObserver {
 public:
  virtual ~LockObserver() = default;
  // Another run holds `folder`; this one waits (said once per folder).
  virtual void waiting_for(const std::string& folder) = 0;
  // The system cannot lock `folder` (`why`): the run goes on without it.
  virtual void unguarded(const Error& why) = 0;
};

// Takes the locks of `folders`, each folder once however it is written, in
// the order of their identities, so that two runs that need the same
// folders never wait for each other in a circle. A folder the system cannot
// lock is told to `observer` and skipped. Fails, holding nothing, when
// another run still holds one after `wait.give_up_after_ms`.
Status lock_folders(Env& env, const std::vector<std::string>& folders, const LockWait& wait,
                    LockObserver& observer, std::vector<std::unique_ptr<FolderLock>>* held);

// The Env of the machine the program runs on.
Env& default_env();

// The name of a temporary file beside `path`: "<path>.<process>-<attempt>.tmp~".
std::string temporary_name(const std::string& path, unsigned long process, unsigned long attempt);
// How many bytes a temporary name adds to its target's at most: a process
// number of up to 10 digits and up to 99999 temporary files in one process.
size_t longest_temporary_suffix();
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
// written and flushed to its temporary file, every old file is moved aside
// under a temporary name, then the new files are renamed in the order given,
// `folder` is synced and the old files are deleted. On a failure, the
// temporary files are removed and every old file is put back: the failure
// says so (set_restored), or, when the machine refuses that too, says what
// each file of the set holds (left).
// `in_place`, when given, says whether every new file was put in place: a
// failure of the folder's sync, or of the deletion of an old file, comes
// only after that.
Status replace_files(Env& env, const std::string& folder, const std::vector<NewContent>& files,
                     bool* in_place = nullptr);

// The folder that holds the running executable, without a trailing separator.
Status program_folder(std::string* folder);

}  // namespace platform
