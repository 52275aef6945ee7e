// An Env that passes every call to another. An Env that changes a few calls
// (refuses writes, takes a file away, cannot lock) derives from it and
// overrides those alone; a call added to Env later reaches the target
// without each of them forwarding it by hand.
#pragma once

#include <memory>
#include <string>

#include "platform/env.h"

namespace platform {

class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env& target) : target_(target) {}
  // A wrapper of a wrapper wraps it, rather than copying its target.
  explicit EnvWrapper(EnvWrapper& target) : target_(target) {}
  EnvWrapper(const EnvWrapper&) = delete;
  EnvWrapper& operator=(const EnvWrapper&) = delete;

  Env& target() const { return target_; }

  bool file_exists(const std::string& path) override { return target_.file_exists(path); }
  Status read_file(const std::string& path, std::string* contents) override {
    return target_.read_file(path, contents);
  }
  Status read_regular_file(const std::string& path, size_t limit, std::string* contents) override {
    return target_.read_regular_file(path, limit, contents);
  }
  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override {
    return target_.new_writable_file(path, file);
  }
  Status new_temporary_file(const std::string& target, std::string* temp,
                            std::unique_ptr<WritableFile>* file) override {
    return target_.new_temporary_file(target, temp, file);
  }
  Status rename_file(const std::string& from, const std::string& to) override {
    return target_.rename_file(from, to);
  }
  Status delete_file(const std::string& path) override { return target_.delete_file(path); }
  Status make_executable(const std::string& path) override { return target_.make_executable(path); }
  Status sync_folder(const std::string& folder) override { return target_.sync_folder(folder); }
  Status try_lock_folder(const std::string& folder, std::unique_ptr<FolderLock>* lock) override {
    return target_.try_lock_folder(folder, lock);
  }
  Status folder_identity(const std::string& folder, std::string* identity) override {
    return target_.folder_identity(folder, identity);
  }

 private:
  Env& target_;
};

}  // namespace platform
