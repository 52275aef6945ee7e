// Positions as a language client counts them: a line and a character offset
// in the units of the negotiated encoding (UTF-16 unless the client offers
// another), over the UTF-8 text the server holds.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tools::lsp {

enum class PositionEncoding { kUtf8, kUtf16, kUtf32 };

// "utf-8", "utf-16", "utf-32": the names of the protocol.
std::string_view encoding_name(PositionEncoding encoding);

struct Position {
  int line = 0;       // 0-based
  int character = 0;  // 0-based, in units of the encoding
};

// Where each line of a text starts. A line ends at CR LF, CR or LF, as the
// protocol counts lines. The text must outlive the index.
class LineIndex {
 public:
  LineIndex(std::string_view text, PositionEncoding encoding);

  // The position of a byte offset (clamped to the text).
  Position position(size_t offset) const;
  // The byte offset of a position; a character past its line's end gives the
  // line's end, a line past the last gives the text's end.
  size_t offset(Position position) const;

 private:
  size_t line_end(size_t line) const;  // before its line break

  std::string_view text_;
  PositionEncoding encoding_;
  std::vector<size_t> starts_;
};

}  // namespace tools::lsp
