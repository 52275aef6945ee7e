#ifdef _WIN32

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>

#include "platform/env.h"
#include "platform/program_path.h"
#include "platform/win32_text.h"

namespace platform {
namespace {

Error os_error(std::string operation, const std::string& path, DWORD code) {
  return Error{std::move(operation), path, system_message(code)};
}

// The folder may hold any Unicode character: every path goes to the wide API.
Status wide_path(const std::string& operation, const std::string& path, std::wstring* wide) {
  if (!widen(path, wide)) return Error{operation, path, "the path is not valid UTF-8"};
  return ok();
}

// Names already taken beside a target before one is free: each is a file a
// dead process left, or one planted there.
constexpr int kTemporaryNameTries = 100;

// Counts the temporary names of this process, so that no two calls share one.
std::atomic<unsigned long> temporary_attempts{0};

// A named mutex for the folder: no file is left in it, and the system lets
// go when the process ends, however it ends (the next owner is told it was
// abandoned, and takes it all the same).
// A mutex is its owning thread's again and again; the folders this process
// holds are kept beside, so that a second lock of one is refused here too,
// as an flock on another descriptor is on Linux.
struct HeldFolders {
  std::mutex guard;
  std::set<std::string> identities;
};

class Win32FolderLock final : public FolderLock {
 public:
  Win32FolderLock(HANDLE mutex, HeldFolders& held, std::string identity)
      : mutex_(mutex), held_(held), identity_(std::move(identity)) {}
  ~Win32FolderLock() override {
    ::ReleaseMutex(mutex_);
    ::CloseHandle(mutex_);
    std::lock_guard<std::mutex> guard(held_.guard);
    held_.identities.erase(identity_);
  }

 private:
  HANDLE mutex_;
  HeldFolders& held_;
  std::string identity_;
};

// The mutex's name: the folder's identity (volume serial number and file
// ID), so that every path to the folder (another drive letter, a share, a
// short name) finds the same mutex.
std::wstring folder_lock_name(const std::string& identity) {
  std::wstring name = L"Local\\fiumicino_roma_3291-folder-";
  for (char c : identity) name += static_cast<wchar_t>(c);
  return name;
}

class Win32WritableFile final : public WritableFile {
 public:
  Win32WritableFile(std::string path, HANDLE handle) : path_(std::move(path)), handle_(handle) {}
  ~Win32WritableFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }

  Status append(std::string_view data) override {
    while (!data.empty()) {
      DWORD chunk = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
      DWORD written = 0;
      if (!::WriteFile(handle_, data.data(), chunk, &written, nullptr))
        return os_error("write", path_, ::GetLastError());
      data.remove_prefix(written);
    }
    return ok();
  }

  Status flush() override {
    if (!::FlushFileBuffers(handle_)) return os_error("flush", path_, ::GetLastError());
    return ok();
  }

  Status close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return ok();
    BOOL closed = ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (!closed) return os_error("close", path_, ::GetLastError());
    return ok();
  }

 private:
  std::string path_;
  HANDLE handle_;
};

class Win32Env final : public Env {
 public:
  bool file_exists(const std::string& path) override {
    std::wstring wide;
    if (!widen(path, &wide)) return false;
    DWORD attributes = ::GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  Status read_file(const std::string& path, std::string* contents) override {
    contents->clear();
    std::wstring wide;
    if (Status status = wide_path("open", path, &wide)) return status;
    HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return os_error("open", path, ::GetLastError());
    char buffer[1 << 16];
    for (;;) {
      DWORD n = 0;
      if (!::ReadFile(handle, buffer, sizeof buffer, &n, nullptr)) {
        DWORD code = ::GetLastError();
        ::CloseHandle(handle);
        return os_error("read", path, code);
      }
      if (n == 0) break;
      contents->append(buffer, n);
    }
    ::CloseHandle(handle);
    return ok();
  }

  Status read_regular_file(const std::string& path, size_t limit, std::string* contents) override {
    contents->clear();
    std::wstring wide;
    if (Status status = wide_path("open", path, &wide)) return status;
    HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return os_error("open", path, ::GetLastError());
    Status status;
    LARGE_INTEGER size;
    if (::GetFileType(handle) != FILE_TYPE_DISK)
      status = Error{"read", path, "not a regular file"};
    else if (!::GetFileSizeEx(handle, &size))
      status = os_error("read", path, ::GetLastError());
    else if (static_cast<unsigned long long>(size.QuadPart) > limit)
      status = Error{"read", path,
                     std::to_string(size.QuadPart) + " bytes, more than the " +
                         std::to_string(limit) + " allowed"};
    char buffer[1 << 16];
    while (!status) {
      DWORD n = 0;
      if (!::ReadFile(handle, buffer, sizeof buffer, &n, nullptr)) {
        status = os_error("read", path, ::GetLastError());
      } else if (n == 0) {
        break;
      } else if (contents->size() + n > limit) {
        status =
            Error{"read", path, "it grew beyond the " + std::to_string(limit) + " bytes allowed"};
      } else {
        contents->append(buffer, n);
      }
    }
    ::CloseHandle(handle);
    if (status) contents->clear();
    return status;
  }

  Status new_writable_file(const std::string& path, std::unique_ptr<WritableFile>* file) override {
    std::wstring wide;
    if (Status status = wide_path("create", path, &wide)) return status;
    HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return os_error("create", path, ::GetLastError());
    *file = std::make_unique<Win32WritableFile>(path, handle);
    return ok();
  }

  Status new_temporary_file(const std::string& target, std::string* temp,
                            std::unique_ptr<WritableFile>* file) override {
    for (int tries = 1;; ++tries) {
      std::string name = temporary_name(target, ::GetCurrentProcessId(), ++temporary_attempts);
      std::wstring wide;
      if (Status status = wide_path("create", name, &wide)) return status;
      // CREATE_NEW refuses any name that exists, a link included.
      HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle != INVALID_HANDLE_VALUE) {
        *file = std::make_unique<Win32WritableFile>(name, handle);
        *temp = std::move(name);
        return ok();
      }
      const DWORD code = ::GetLastError();
      const bool taken = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS ||
                         (code == ERROR_ACCESS_DENIED &&
                          ::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES);
      if (!taken || tries == kTemporaryNameTries) return os_error("create", name, code);
    }
  }

  Status rename_file(const std::string& from, const std::string& to) override {
    std::wstring wide_from, wide_to;
    if (Status status = wide_path("replace", from, &wide_from)) return status;
    if (Status status = wide_path("replace", to, &wide_to)) return status;
    if (!::MoveFileExW(wide_from.c_str(), wide_to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return os_error("replace", to, ::GetLastError());
    return ok();
  }

  Status delete_file(const std::string& path) override {
    std::wstring wide;
    if (Status status = wide_path("delete", path, &wide)) return status;
    if (!::DeleteFileW(wide.c_str())) return os_error("delete", path, ::GetLastError());
    return ok();
  }

  Status try_lock_folder(const std::string& folder, std::unique_ptr<FolderLock>* lock) override {
    lock->reset();
    std::string identity;
    if (Status status = folder_identity(folder, &identity)) return status;
    std::lock_guard<std::mutex> guard(held_.guard);
    if (held_.identities.count(identity)) return ok();
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, folder_lock_name(identity).c_str());
    if (!mutex) return os_error("lock", folder, ::GetLastError());
    const DWORD waited = ::WaitForSingleObject(mutex, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
      held_.identities.insert(identity);
      *lock = std::make_unique<Win32FolderLock>(mutex, held_, identity);
      return ok();
    }
    const DWORD code = ::GetLastError();
    ::CloseHandle(mutex);
    if (waited == WAIT_TIMEOUT) return ok();
    return os_error("lock", folder, code);
  }

  Status folder_identity(const std::string& folder, std::string* identity) override {
    std::wstring wide;
    if (Status status = wide_path("lock", folder, &wide)) return status;
    // Opening a folder needs FILE_FLAG_BACKUP_SEMANTICS; no access right is
    // asked for, so that a folder the user may not list still has its ID.
    HANDLE handle =
        ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return os_error("lock", folder, ::GetLastError());
    BY_HANDLE_FILE_INFORMATION info;
    const BOOL got = ::GetFileInformationByHandle(handle, &info);
    const DWORD code = ::GetLastError();
    ::CloseHandle(handle);
    if (!got) return os_error("lock", folder, code);
    char text[64];
    std::snprintf(text, sizeof text, "%08lx-%08lx%08lx",
                  static_cast<unsigned long>(info.dwVolumeSerialNumber),
                  static_cast<unsigned long>(info.nFileIndexHigh),
                  static_cast<unsigned long>(info.nFileIndexLow));
    *identity = text;
    return ok();
  }

  // MOVEFILE_WRITE_THROUGH has already put each rename on the device.
  Status sync_folder(const std::string&) override { return ok(); }

 private:
  HeldFolders held_;
};

}  // namespace

Env& default_env() {
  static Win32Env env;
  return env;
}

Status program_path(std::string* path) {
  // The path may be longer than MAX_PATH; grow the buffer until it fits.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return os_error("find the path of", "the program", ::GetLastError());
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    if (buffer.size() >= 32768) return Error{"find the path of", "the program", "path too long"};
    buffer.resize(buffer.size() * 2);
  }
  *path = narrow(buffer);
  return ok();
}

}  // namespace platform

#endif  // _WIN32
