#include "tools/lsp/positions.h"

#include <algorithm>

namespace tools::lsp {
namespace {

// The units of one UTF-8 sequence that starts with `lead`: the bytes for
// UTF-8, two for a character beyond the basic plane in UTF-16, one else.
int units(unsigned char lead, PositionEncoding encoding) {
  if (encoding == PositionEncoding::kUtf8) return 1;  // counted per byte below
  if (encoding == PositionEncoding::kUtf16 && lead >= 0xF0) return 2;
  return 1;
}

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::string_view encoding_name(PositionEncoding encoding) {
  switch (encoding) {
    case PositionEncoding::kUtf8:
      return "utf-8";
    case PositionEncoding::kUtf32:
      return "utf-32";
    case PositionEncoding::kUtf16:
      break;
  }
  return "utf-16";
}

LineIndex::LineIndex(std::string_view text, PositionEncoding encoding)
    : text_(text), encoding_(encoding) {
  starts_.push_back(0);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
      starts_.push_back(i + 1);
  }
}

size_t LineIndex::line_end(size_t line) const {
  size_t end = line + 1 < starts_.size() ? starts_[line + 1] : text_.size();
  while (end > starts_[line] && (text_[end - 1] == '\n' || text_[end - 1] == '\r')) --end;
  return end;
}

Position LineIndex::position(size_t offset) const {
  offset = std::min(offset, text_.size());
  const size_t line = static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), offset) -
                                          starts_.begin()) -
                      1;
  int character = 0;
  for (size_t i = starts_[line]; i < offset; ++i) {
    const auto c = static_cast<unsigned char>(text_[i]);
    if (encoding_ == PositionEncoding::kUtf8)
      ++character;
    else if (!continuation(c))
      character += units(c, encoding_);
  }
  return Position{static_cast<int>(line), character};
}

size_t LineIndex::offset(Position position) const {
  if (position.line < 0) return 0;
  const auto line = static_cast<size_t>(position.line);
  if (line >= starts_.size()) return text_.size();
  const size_t end = line_end(line);
  size_t i = starts_[line];
  int character = 0;
  while (i < end && character < position.character) {
    const auto c = static_cast<unsigned char>(text_[i]);
    if (encoding_ == PositionEncoding::kUtf8) {
      ++character;
      ++i;
      continue;
    }
    character += units(c, encoding_);
    ++i;
    while (i < end && continuation(static_cast<unsigned char>(text_[i]))) ++i;
  }
  return i;
}

}  // namespace tools::lsp
