#include "platform/mem_env.h"

namespace platform {
namespace {

class MemFile final : public WritableFile {
 public:
  explicit MemFile(std::string* contents) : contents_(contents) {}
  Status append(std::string_view data) override {
    contents_->append(data);
    return ok();
  }
  Status flush() override { return ok(); }
  Status close() override { return ok(); }

 private:
  std::string* contents_;
};

Error not_found(std::string operation, const std::string& path) {
  return Error{std::move(operation), path, "No such file or directory"};
}

Error injected_error(Op op, const std::string& path) {
  static const char* const kNames[] = {"open", "read", "write", "flush", "close", "replace", "delete"};
  return Error{kNames[static_cast<int>(op)], path, "Input/output error (injected)"};
}

class FaultFile final : public WritableFile {
 public:
  FaultFile(FaultEnv& env, std::string path, std::unique_ptr<WritableFile> base)
      : env_(env), path_(std::move(path)), base_(std::move(base)) {}
  Status append(std::string_view data) override {
    if (env_.injected(Op::kWrite)) return injected_error(Op::kWrite, path_);
    size_t fits = env_.take_space(data.size());
    if (fits < data.size()) {
      // A full disk takes what fits, then refuses the rest.
      base_->append(data.substr(0, fits));
      return Error{"write", path_, "No space left on device (injected)"};
    }
    return base_->append(data);
  }
  Status flush() override {
    if (env_.injected(Op::kFlush)) return injected_error(Op::kFlush, path_);
    return base_->flush();
  }
  Status close() override {
    Status status = base_->close();
    if (env_.injected(Op::kClose)) return injected_error(Op::kClose, path_);
    return status;
  }

 private:
  FaultEnv& env_;
  std::string path_;
  std::unique_ptr<WritableFile> base_;
};

}  // namespace

bool MemEnv::file_exists(const std::string& path) { return files_.count(path) != 0; }

Status MemEnv::read_file(const std::string& path, std::string* contents) {
  auto it = files_.find(path);
  if (it == files_.end()) return not_found("open", path);
  *contents = it->second;
  return ok();
}

Status MemEnv::new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) {
  std::string& contents = files_[path];
  contents.clear();
  *file = std::make_unique<MemFile>(&contents);
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

bool FaultEnv::injected(Op op) {
  int i = static_cast<int>(op);
  ++calls_[i];
  return fail_at_[i] != 0 && calls_[i] == fail_at_[i];
}

size_t FaultEnv::take_space(size_t n) {
  if (disk_left_ < 0) return n;
  size_t fits = static_cast<long long>(n) > disk_left_ ? static_cast<size_t>(disk_left_) : n;
  disk_left_ -= static_cast<long long>(fits);
  return fits;
}

bool FaultEnv::file_exists(const std::string& path) { return base_.file_exists(path); }

Status FaultEnv::read_file(const std::string& path, std::string* contents) {
  if (injected(Op::kOpen)) return injected_error(Op::kOpen, path);
  if (injected(Op::kRead)) return injected_error(Op::kRead, path);
  return base_.read_file(path, contents);
}

Status FaultEnv::new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) {
  if (injected(Op::kOpen)) return injected_error(Op::kOpen, path);
  std::unique_ptr<WritableFile> base;
  if (Status status = base_.new_writable_file(path, &base)) return status;
  *file = std::make_unique<FaultFile>(*this, path, std::move(base));
  return ok();
}

Status FaultEnv::rename_file(const std::string& from, const std::string& to) {
  if (injected(Op::kRename)) return injected_error(Op::kRename, to);
  return base_.rename_file(from, to);
}

Status FaultEnv::delete_file(const std::string& path) {
  if (injected(Op::kDelete)) return injected_error(Op::kDelete, path);
  return base_.delete_file(path);
}

}  // namespace platform
