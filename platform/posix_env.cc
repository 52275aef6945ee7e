#ifndef _WIN32

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/env.h"
#include "platform/program_path.h"

namespace platform {
namespace {

Error os_error(std::string operation, const std::string& path, int err) {
  return Error{std::move(operation), path, std::strerror(err)};
}

// Names already taken beside a target before one is free: each is a file a
// dead process left, or one planted there.
constexpr int kTemporaryNameTries = 100;

// Counts the temporary names of this process, so that no two calls share one.
std::atomic<unsigned long> temporary_attempts{0};

// Reads the rest of an open file, refusing it once it holds more than
// `limit` bytes.
Status read_bounded(int fd, const std::string& path, size_t limit, std::string* contents) {
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return os_error("read", path, errno);
    }
    if (n == 0) return ok();
    if (contents->size() + static_cast<size_t>(n) > limit)
      return Error{"read", path, "it grew beyond the " + std::to_string(limit) + " bytes allowed"};
    contents->append(buffer, static_cast<size_t>(n));
  }
}

class PosixWritableFile final : public WritableFile {
 public:
  PosixWritableFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  ~PosixWritableFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  Status append(std::string_view data) override {
    while (!data.empty()) {
      ssize_t n = ::write(fd_, data.data(), data.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        return os_error("write", path_, errno);
      }
      data.remove_prefix(static_cast<size_t>(n));
    }
    return ok();
  }

  Status flush() override {
    if (::fsync(fd_) != 0) return os_error("flush", path_, errno);
    return ok();
  }

  Status close() override {
    if (fd_ < 0) return ok();
    int result = ::close(fd_);
    fd_ = -1;
    if (result != 0) return os_error("close", path_, errno);
    return ok();
  }

 private:
  std::string path_;
  int fd_;
};

// An flock on the folder itself: no file is left in it, and the system lets
// go when the process ends, even by a kill.
class PosixFolderLock final : public FolderLock {
 public:
  explicit PosixFolderLock(int fd) : fd_(fd) {}
  ~PosixFolderLock() override { ::close(fd_); }

 private:
  int fd_;
};

class PosixEnv final : public Env {
 public:
  bool file_exists(const std::string& path) override {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  }

  Status read_file(const std::string& path, std::string* contents) override {
    contents->clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return os_error("open", path, errno);
    char buffer[1 << 16];
    for (;;) {
      ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0) {
        if (errno == EINTR) continue;
        int err = errno;
        ::close(fd);
        return os_error("read", path, err);
      }
      if (n == 0) break;
      contents->append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return ok();
  }

  Status read_regular_file(const std::string& path, size_t limit, std::string* contents) override {
    contents->clear();
    // Without O_NONBLOCK opening a pipe would wait for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return os_error("open", path, errno);
    struct stat info;
    Status status;
    if (::fstat(fd, &info) != 0)
      status = os_error("read", path, errno);
    else if (!S_ISREG(info.st_mode))
      status = Error{"read", path, "not a regular file"};
    else if (static_cast<unsigned long long>(info.st_size) > limit)
      status = Error{"read", path,
                     std::to_string(info.st_size) + " bytes, more than the " +
                         std::to_string(limit) + " allowed"};
    else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
      status = os_error("read", path, errno);
    else
      // The size may still grow while the file is read.
      status = read_bounded(fd, path, limit, contents);
    ::close(fd);
    if (status) contents->clear();
    return status;
  }

  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return os_error("create", path, errno);
    *file = std::make_unique<PosixWritableFile>(path, fd);
    return ok();
  }

  Status new_temporary_file(const std::string& target, std::string* temp,
                            std::unique_ptr<WritableFile>* file) override {
    for (int tries = 1;; ++tries) {
      std::string name =
          temporary_name(target, static_cast<unsigned long>(::getpid()), ++temporary_attempts);
      // O_EXCL refuses any name that exists, a link included; O_NOFOLLOW says
      // so twice. 0666 lets the umask give the mode a new target would get.
      int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
      if (fd >= 0) {
        *file = std::make_unique<PosixWritableFile>(name, fd);
        *temp = std::move(name);
        return ok();
      }
      if (errno != EEXIST || tries == kTemporaryNameTries) return os_error("create", name, errno);
    }
  }

  Status rename_file(const std::string& from, const std::string& to) override {
    if (std::rename(from.c_str(), to.c_str()) != 0) return os_error("replace", to, errno);
    return ok();
  }

  Status make_executable(const std::string& path) override {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return os_error("make executable", path, errno);
    // The execute bits beside the read bits the umask left.
    const mode_t mode = info.st_mode & 07777;
    if (::chmod(path.c_str(), mode | (mode & 0444) >> 2) != 0)
      return os_error("make executable", path, errno);
    return ok();
  }
  Status delete_file(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return os_error("delete", path, errno);
    return ok();
  }

  Status try_lock_folder(const std::string& folder, std::unique_ptr<FolderLock>* lock) override {
    lock->reset();
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return os_error("lock", folder, errno);
    int result;
    do result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) {
      *lock = std::make_unique<PosixFolderLock>(fd);
      return ok();
    }
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) return ok();
    return os_error("lock", folder, err);
  }

  Status folder_identity(const std::string& folder, std::string* identity) override {
    struct stat info;
    if (::stat(folder.c_str(), &info) != 0) return os_error("lock", folder, errno);
    if (!S_ISDIR(info.st_mode)) return Error{"lock", folder, "not a folder"};
    // Fixed width, so that the order of the texts is the order of the numbers.
    char text[64];
    std::snprintf(text, sizeof text, "%020llu:%020llu",
                  static_cast<unsigned long long>(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    *identity = text;
    return ok();
  }

  Status sync_folder(const std::string& folder) override {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return os_error("open", folder, errno);
    Status status;
    if (::fsync(fd) != 0) status = os_error("flush", folder, errno);
    ::close(fd);
    return status;
  }
};

}  // namespace

Env& default_env() {
  static PosixEnv env;
  return env;
}

Status program_path(std::string* path) {
  std::string target(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", target.data(), target.size());
  if (n < 0 || static_cast<size_t>(n) >= target.size())
    return Error{"find the folder of", "/proc/self/exe",
                 n < 0 ? std::strerror(errno) : "path too long"};
  target.resize(static_cast<size_t>(n));
  *path = std::move(target);
  return ok();
}

}  // namespace platform

#endif  // !_WIN32
