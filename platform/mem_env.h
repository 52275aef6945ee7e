// An Env that holds its files in memory, so that whole runs can be tested
// without a disk, and an Env decorator that injects failures.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/env.h"

namespace platform {

class MemEnv final : public Env {
 public:
  bool file_exists(const std::string& path) override;
  Status read_file(const std::string& path, std::string* contents) override;
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override;
  Status rename_file(const std::string& from, const std::string& to) override;
  Status delete_file(const std::string& path) override;

  // Direct access for tests: every file, by path.
  std::map<std::string, std::string>& files() { return files_; }

 private:
  std::map<std::string, std::string> files_;
};

// The operations a FaultEnv can make fail.
enum class Op { kOpen, kRead, kWrite, kFlush, kClose, kRename, kDelete, kCount };

// Passes every call to `base`, but fails the n-th call (1-based) of chosen
// operations, and can act as a disk that is full after a number of bytes.
class FaultEnv final : public Env {
 public:
  explicit FaultEnv(Env& base) : base_(base) {}

  // Fails the n-th call of `op` from now on counting; 0 disarms.
  void fail_nth(Op op, int n) { fail_at_[static_cast<int>(op)] = n; }
  // Writes fail once `bytes` bytes in all have been written; -1 disarms.
  void fill_disk_after(long long bytes) { disk_left_ = bytes; }
  // How many calls of `op` were made so far.
  int calls(Op op) const { return calls_[static_cast<int>(op)]; }

  bool file_exists(const std::string& path) override;
  Status read_file(const std::string& path, std::string* contents) override;
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override;
  Status rename_file(const std::string& from, const std::string& to) override;
  Status delete_file(const std::string& path) override;

  // Counts a call of `op`; true when it must fail. Used by its files too.
  bool injected(Op op);
  // Takes up to `n` bytes from the disk; returns how many fit.
  size_t take_space(size_t n);

 private:
  Env& base_;
  int calls_[static_cast<int>(Op::kCount)] = {};
  int fail_at_[static_cast<int>(Op::kCount)] = {};
  long long disk_left_ = -1;
};

}  // namespace platform
