#include "platform/mem_env.h"

#include <algorithm>
#include <iterator>

namespace platform {
namespace {

// Finds its file by path at every call rather than holding on to the bytes,
// so that a delete or a rename while it is open cannot leave it pointing at
// freed memory.
class MemFile final : public WritableFile {
 public:
  MemFile(std::map<std::string, std::string>& files, std::string path)
      : files_(files), path_(std::move(path)) {}
  Status append(std::string_view data) override {
    if (closed_) return Error{"write", path_, "the file is closed"};
    auto it = files_.find(path_);
    if (it != files_.end()) it->second.append(data);
    return ok();
  }
  Status flush() override {
    if (closed_) return Error{"flush", path_, "the file is closed"};
    return ok();
  }
  Status close() override {
    closed_ = true;
    return ok();
  }

 private:
  std::map<std::string, std::string>& files_;
  std::string path_;
  bool closed_ = false;
};

Error not_found(std::string operation, const std::string& path) {
  return Error{std::move(operation), path, "No such file or directory"};
}

constexpr std::string_view kOpNames[] = {"open",  "read",   "write", "flush",
                                         "close", "rename", "delete"};
static_assert(std::size(kOpNames) == kOpCount);

constexpr char kInjectedReason[] = "Input/output error (injected)";
constexpr char kDiskFullReason[] = "No space left on device (injected)";

}  // namespace

std::string_view op_name(Op op) { return kOpNames[static_cast<int>(op)]; }

// --- MemEnv ----------------------------------------------------------------------------

bool MemEnv::file_exists(const std::string& path) { return files_.count(path) != 0; }

Status MemEnv::read_file(const std::string& path, std::string* contents) {
  auto it = files_.find(path);
  if (it == files_.end()) return not_found("open", path);
  *contents = it->second;
  return ok();
}

Status MemEnv::read_regular_file(const std::string& path, size_t limit, std::string* contents) {
  contents->clear();
  auto it = files_.find(path);
  if (it == files_.end()) return not_found("open", path);
  if (it->second.size() > limit)
    return Error{"read", path,
                 std::to_string(it->second.size()) + " bytes, more than the " +
                     std::to_string(limit) + " allowed"};
  *contents = it->second;
  return ok();
}

Status MemEnv::new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) {
  files_[path].clear();
  *file = std::make_unique<MemFile>(files_, path);
  return ok();
}

Status MemEnv::new_temporary_file(const std::string& target, std::string* temp,
                                  std::unique_ptr<WritableFile>* file) {
  std::string name;
  do name = temporary_name(target, 0, ++temporary_attempts_);
  while (files_.count(name) != 0);
  files_[name];
  *file = std::make_unique<MemFile>(files_, name);
  *temp = std::move(name);
  return ok();
}

Status MemEnv::rename_file(const std::string& from, const std::string& to) {
  auto it = files_.find(from);
  if (it == files_.end()) return not_found("replace", to);
  std::string contents = std::move(it->second);
  files_.erase(it);
  files_[to] = std::move(contents);
  return ok();
}

Status MemEnv::delete_file(const std::string& path) {
  if (files_.erase(path) == 0) return not_found("delete", path);
  return ok();
}

Status MemEnv::sync_folder(const std::string&) { return ok(); }

namespace {

class MemFolderLock final : public FolderLock {
 public:
  MemFolderLock(std::shared_ptr<std::set<std::string>> locked, std::string folder)
      : locked_(std::move(locked)), folder_(std::move(folder)) {}
  ~MemFolderLock() override { locked_->erase(folder_); }

 private:
  std::shared_ptr<std::set<std::string>> locked_;
  std::string folder_;
};

}  // namespace

Status MemEnv::try_lock_folder(const std::string& folder, std::unique_ptr<FolderLock>* lock) {
  lock->reset();
  if (!locked_->insert(folder).second) return ok();
  *lock = std::make_unique<MemFolderLock>(locked_, folder);
  return ok();
}

Status MemEnv::folder_identity(const std::string& folder, std::string* identity) {
  *identity = folder;
  return ok();
}

// --- FaultEnv ----------------------------------------------------------------------------

class FaultEnv::File final : public WritableFile {
 public:
  File(FaultEnv& env, std::string path, std::unique_ptr<WritableFile> base)
      : env_(env), path_(std::move(path)), base_(std::move(base)) {}

  Status append(std::string_view data) override {
    if (Status failure = env_.injected(Op::kWrite, path_, "write")) return failure;
    const size_t fits = env_.take_space(data.size());
    Status status = base_->append(data.substr(0, fits));
    if (!status) record([&](Written& w) { w.written += fits; });
    if (!status && fits < data.size()) {
      // A full disk takes what fits, then refuses the rest.
      status = Error{"write", path_, kDiskFullReason};
      env_.trace_.back().failure = status;
    }
    return status;
  }

  Status flush() override {
    if (Status failure = env_.injected(Op::kFlush, path_, "flush")) return failure;
    Status status = base_->flush();
    if (!status) record([](Written& w) { w.flushed = w.written; });
    return status;
  }

  // A failing close still releases the file, as the operating system does.
  Status close() override {
    Status status = base_->close();
    if (Status failure = env_.injected(Op::kClose, path_, "close")) return failure;
    return status;
  }

 private:
  template <class Change>
  void record(Change change) {
    auto it = env_.written_.find(path_);
    if (it != env_.written_.end()) change(it->second);
  }

  FaultEnv& env_;
  std::string path_;
  std::unique_ptr<WritableFile> base_;
};

void FaultEnv::fail_nth(Op op, int n) {
  const int i = static_cast<int>(op);
  fail_at_[i] = calls_[i] + n;
  arming_[i] = n > 0 ? Arming::kOnce : Arming::kOff;
}

void FaultEnv::fail_from(Op op, int n) {
  const int i = static_cast<int>(op);
  fail_at_[i] = calls_[i] + n;
  arming_[i] = n > 0 ? Arming::kFromThenOn : Arming::kOff;
}

void FaultEnv::fail_everything_from(int n) {
  everything_from_ = n > 0 ? trace_.size() + static_cast<size_t>(n) : 0;
}

Status FaultEnv::injected(Op op, const std::string& path, std::string_view word) {
  const int i = static_cast<int>(op);
  const int call = ++calls_[i];
  bool fail = everything_from_ != 0 && trace_.size() + 1 >= everything_from_;
  switch (arming_[i]) {
    case Arming::kOff:
      break;
    case Arming::kOnce:
      fail = fail || call == fail_at_[i];
      break;
    case Arming::kFromThenOn:
      fail = fail || call >= fail_at_[i];
      break;
  }
  Status failure;
  if (fail) failure = Error{std::string(word), path, kInjectedReason};
  trace_.push_back(Call{op, path, failure, {}});
  return failure;
}

size_t FaultEnv::take_space(size_t n) {
  if (disk_left_ < 0) return n;
  const size_t fits = std::min(n, static_cast<size_t>(disk_left_));
  disk_left_ -= static_cast<long long>(fits);
  return fits;
}

Status FaultEnv::lose_unflushed_data() {
  Status first;
  for (auto& [path, w] : written_) {
    if (w.flushed >= w.written) continue;
    w.written = w.flushed;
    if (!base_.file_exists(path)) continue;
    std::string bytes;
    Status status = base_.read_file(path, &bytes);
    if (!status && bytes.size() > w.flushed) {
      bytes.resize(w.flushed);
      std::unique_ptr<WritableFile> file;
      status = base_.new_writable_file(path, &file);
      if (!status) status = file->append(bytes);
      if (!status) status = file->close();
    }
    if (status && !first) first = status;
  }
  return first;
}

bool FaultEnv::file_exists(const std::string& path) { return base_.file_exists(path); }

Status FaultEnv::read_file(const std::string& path, std::string* contents) {
  if (Status failure = injected(Op::kOpen, path, "open")) return failure;
  if (Status failure = injected(Op::kRead, path, "read")) return failure;
  return base_.read_file(path, contents);
}

Status FaultEnv::read_regular_file(const std::string& path, size_t limit, std::string* contents) {
  if (Status failure = injected(Op::kOpen, path, "open")) return failure;
  if (Status failure = injected(Op::kRead, path, "read")) return failure;
  return base_.read_regular_file(path, limit, contents);
}

Status FaultEnv::new_temporary_file(const std::string& target, std::string* temp,
                                    std::unique_ptr<WritableFile>* file) {
  // The name is the base's to choose, so the call is counted once it is known.
  std::string name;
  std::unique_ptr<WritableFile> base;
  Status status = base_.new_temporary_file(target, &name, &base);
  if (Status failure = injected(Op::kOpen, status ? status->path : name, "create")) {
    if (!status) {
      // As if the file had never been created.
      base.reset();
      base_.delete_file(name);
    }
    return failure;
  }
  if (status) return status;
  written_[name] = Written{};
  *file = std::make_unique<File>(*this, name, std::move(base));
  *temp = std::move(name);
  return ok();
}

Status FaultEnv::new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) {
  if (Status failure = injected(Op::kOpen, path, "create")) return failure;
  std::unique_ptr<WritableFile> base;
  if (Status status = base_.new_writable_file(path, &base)) return status;
  written_[path] = Written{};
  *file = std::make_unique<File>(*this, path, std::move(base));
  return ok();
}

Status FaultEnv::rename_file(const std::string& from, const std::string& to) {
  Status failure = injected(Op::kRename, to, "replace");
  trace_.back().from = from;
  if (failure) return failure;
  if (Status status = base_.rename_file(from, to)) return status;
  auto it = written_.find(from);
  if (it == written_.end()) {
    // What stood there before this Env is taken as being on the device.
    written_.erase(to);
  } else if (from != to) {
    written_[to] = it->second;
    written_.erase(it);
  }
  return ok();
}

Status FaultEnv::delete_file(const std::string& path) {
  if (Status failure = injected(Op::kDelete, path, "delete")) return failure;
  if (Status status = base_.delete_file(path)) return status;
  written_.erase(path);
  return ok();
}

Status FaultEnv::try_lock_folder(const std::string& folder, std::unique_ptr<FolderLock>* lock) {
  lock->reset();
  if (fail_locks_) return Error{"lock", folder, "No locks available (injected)"};
  return base_.try_lock_folder(folder, lock);
}

Status FaultEnv::sync_folder(const std::string& folder) {
  if (Status failure = injected(Op::kFlush, folder, "flush")) return failure;
  return base_.sync_folder(folder);
}

}  // namespace platform
