// The base protocol of a language server: messages framed by a
// "Content-Length" header, read from and written to byte streams.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include "tools/lsp/message_limits.h"

namespace tools::lsp {

// What one read from the stream gave.
struct Frame {
  enum class Kind {
    kMessage,    // `body` holds one message's bytes (not yet parsed)
    kBadHeader,  // the header could not be used; `body` says why. The reader
                 // has skipped that header, so reading can go on
    kEnd,        // the stream ended (possibly inside a message, which is lost)
  };
  Kind kind = Kind::kEnd;
  std::string body;
};

// A header that announces more than kMaxBody is refused and the announced
// bytes are skipped, never held in memory.

class MessageReader {
 public:
  explicit MessageReader(std::istream& in) : in_(in) {}
  Frame next();

 private:
  std::istream& in_;
};

// Writes `body` with its header; flushes, so the client sees it at once.
void write_message(std::ostream& out, const std::string& body);

}  // namespace tools::lsp
