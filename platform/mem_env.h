// An Env that holds its files in memory, so that whole runs can be tested
// without a disk, and an Env decorator that injects failures.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"

namespace platform {

// Files are bytes by path; there are no folders, so a file can be created
// under any path. A file that is deleted while a WritableFile on it is still
// open loses the bytes written after that, as an unlinked file does.
class MemEnv final : public Env {
 public:
  bool file_exists(const std::string& path) override;
  Status read_file(const std::string& path, std::string* contents) override;
  Status read_regular_file(const std::string& path, size_t limit, std::string* contents) override;
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override;
  // Temporary names count from 1 for each MemEnv, under process number 0,
  // so that two runs on fresh MemEnvs name their files alike.
  Status new_temporary_file(const std::string& target, std::string* temp,
                            std::unique_ptr<WritableFile>* file) override;
  Status rename_file(const std::string& from, const std::string& to) override;
  Status delete_file(const std::string& path) override;
  Status sync_folder(const std::string& folder) override;
  // Each lock held stands for a run of its own: a second lock on a folder
  // is refused while the first is held, as another process's would be.
  Status try_lock_folder(const std::string& folder, std::unique_ptr<FolderLock>* lock) override;
  // The path itself: there are no folders to reach in two ways.
  Status folder_identity(const std::string& folder, std::string* identity) override;

  // Direct access for tests: every file, by path.
  std::map<std::string, std::string>& files() { return files_; }

 private:
  std::map<std::string, std::string> files_;
  unsigned long temporary_attempts_ = 0;
  std::shared_ptr<std::set<std::string>> locked_ = std::make_shared<std::set<std::string>>();
};

// The operations a FaultEnv can make fail. kOpen is both the opening of a
// file for reading and the creation of a file for writing; kFlush is also
// the syncing of a folder.
enum class Op { kOpen, kRead, kWrite, kFlush, kClose, kRename, kDelete, kCount };
inline constexpr int kOpCount = static_cast<int>(Op::kCount);

// "open", "read", "write", "flush", "close", "rename", "delete".
std::string_view op_name(Op op);

// Passes every call to `base`, counting the calls of each operation, and
// fails those it is armed for:
//  - the n-th call of one operation only (a single fault the program must
//    recover from);
//  - the n-th call of one operation and every later one (that operation is
//    broken for good, so clean-up that needs it fails too);
//  - the n-th call of any operation and every later one (the machine breaks
//    down, as when the drive goes away);
//  - a disk that is full after a number of bytes: the write that crosses the
//    limit stores what fits and fails, later writes store nothing.
// Counting for fail_* starts when they are armed. An injected failure reports
// the operation as the real Envs do, with "(injected)" after the reason.
//
// It also keeps what a power loss would leave: the bytes of a file that no
// flush has pushed to the device are lost by lose_unflushed_data().
class FaultEnv final : public Env {
 public:
  // One counted call: its operation, the file, and the failure it was given.
  struct Call {
    Op op;
    std::string path;
    Status failure;
    std::string from;  // a rename's file moved onto `path`
  };

  explicit FaultEnv(Env& base) : base_(base) {}

  // Fails only the n-th call of `op` (1-based); 0 disarms.
  void fail_nth(Op op, int n);
  // Fails the n-th call of `op` and every one after it; 0 disarms.
  void fail_from(Op op, int n);
  // Fails the n-th call of any operation and every call after it; 0 disarms.
  void fail_everything_from(int n);
  // Writes fail once `bytes` more bytes in all have been written; -1 disarms.
  void fill_disk_after(long long bytes) { disk_left_ = bytes; }

  // How many calls of `op` were made so far, failed ones included.
  int calls(Op op) const { return calls_[static_cast<int>(op)]; }
  // Every counted call so far, in order.
  const std::vector<Call>& trace() const { return trace_; }

  // The power goes off: every file created through this Env keeps only the
  // bytes it had at its last successful flush (none without one). A renamed
  // file takes its flushed size along. Goes straight to `base`, uncounted.
  Status lose_unflushed_data();

  bool file_exists(const std::string& path) override;
  Status read_file(const std::string& path, std::string* contents) override;
  Status read_regular_file(const std::string& path, size_t limit, std::string* contents) override;
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override;
  Status new_temporary_file(const std::string& target, std::string* temp,
                            std::unique_ptr<WritableFile>* file) override;
  Status rename_file(const std::string& from, const std::string& to) override;
  Status delete_file(const std::string& path) override;
  // Passed on, uncounted: a permission changes no byte of a file.
  Status make_executable(const std::string& path) override { return base_.make_executable(path); }
  Status sync_folder(const std::string& folder) override;
  // Passed on, uncounted: locking changes no file. With fail_locks, the
  // system cannot lock any folder, as without a lock manager.
  Status try_lock_folder(const std::string& folder, std::unique_ptr<FolderLock>* lock) override;
  Status folder_identity(const std::string& folder, std::string* identity) override {
    return base_.folder_identity(folder, identity);
  }
  void fail_locks(bool fail) { fail_locks_ = fail; }

 private:
  class File;
  // How far a file created here has been written and flushed.
  struct Written {
    size_t written = 0;
    size_t flushed = 0;
  };
  enum class Arming { kOff, kOnce, kFromThenOn };

  // Counts a call of `op` on `path`; returns the failure when it must fail.
  // `word` names the operation in the failure, as the real Envs name it.
  Status injected(Op op, const std::string& path, std::string_view word);
  // Takes up to `n` bytes from the disk; returns how many fit.
  size_t take_space(size_t n);

  Env& base_;
  int calls_[kOpCount] = {};
  int fail_at_[kOpCount] = {};
  Arming arming_[kOpCount] = {};
  size_t everything_from_ = 0;  // a call number (1-based) in trace_; 0 when off
  long long disk_left_ = -1;
  bool fail_locks_ = false;
  std::vector<Call> trace_;
  std::map<std::string, Written> written_;
};

}  // namespace platform
