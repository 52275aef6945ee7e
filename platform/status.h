// Errors as values at module edges: a platform operation either succeeds or
// says what it was doing, to which file, and what the operating system said.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// A file of a set that could not be replaced whole, and what it holds now.
struct LeftFile {
  enum class Holds { kNew, kOld, kNothing };
  std::string path;
  Holds holds = Holds::kOld;
  std::string old_content_in;  // kNothing: the file that keeps its old content
};

struct Error {
  Error() = default;
  Error(std::string operation, std::string path, std::string reason)
      : operation(std::move(operation)), path(std::move(path)), reason(std::move(reason)) {}

  std::string operation;  // "open", "read", "write", "flush", "close", "rename", "delete", ...
  std::string path;       // the file concerned, empty when none
  std::string reason;     // the operating system's own words

  // A set of files whose replacement failed after one of them had been moved:
  // either every file was put back as it was (`set_restored`), or `left`
  // says what each file of the set holds now.
  bool set_restored = false;
  std::vector<LeftFile> left;

  // "cannot write 'C:\x\y.txt': No space left on device", then what a
  // failed set replacement left.
  std::string message() const;
};

// Empty on success. Tested as an optional it is true on failure (`if (Status
// s = op()) report(*s)`); ok() says the same the other way round.
struct Status : std::optional<Error> {
  using std::optional<Error>::optional;
  Status(const std::optional<Error>& e) : std::optional<Error>(e) {}
  bool ok() const { return !has_value(); }
};

inline Status ok() { return std::nullopt; }

}  // namespace platform
