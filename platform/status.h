// Errors as values at module edges: a platform operation either succeeds or
// says what it was doing, to which file, and what the operating system said.
#pragma once

#include <optional>
#include <string>

namespace platform {

struct Error {
  std::string operation;  // "open", "read", "write", "flush", "close", "rename", "delete", ...
  std::string path;       // the file concerned, empty when none
  std::string reason;     // the operating system's own words

  // "cannot write 'C:\x\y.txt': No space left on device"
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
