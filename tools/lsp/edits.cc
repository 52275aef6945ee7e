#include "tools/lsp/edits.h"

#include <algorithm>
#include <iterator>

namespace tools::lsp {
namespace {

// An edit walks the blocks and rewrites one or two: near the square root of
// a large document's size balances the two (2,500 blocks for 5 MB).
constexpr size_t kBlock = 2048;

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Where a cut of `bytes` near `at` may fall: never between CR and LF, which
// are one line break, nor inside a character.
size_t cut_near(const std::string& bytes, size_t at) {
  while (at < bytes.size() && (continuation(static_cast<unsigned char>(bytes[at])) ||
                               (bytes[at] == '\n' && at > 0 && bytes[at - 1] == '\r')))
    ++at;
  return at;
}

}  // namespace

int EditedText::units(unsigned char c) const {
  if (encoding_ == PositionEncoding::kUtf8) return 1;
  if (continuation(c)) return 0;
  return encoding_ == PositionEncoding::kUtf16 && c >= 0xF0 ? 2 : 1;
}

EditedText::Block EditedText::block_of(std::string bytes) const {
  Block b;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    b.units += units(c);
    // A CR ends a line unless an LF follows; blocks never part the two.
    if (c == '\n' || (c == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) ++b.breaks;
  }
  b.bytes = std::move(bytes);
  return b;
}

EditedText::EditedText(std::string_view text, PositionEncoding encoding) : encoding_(encoding) {
  put_blocks(0, 0, std::string(text));
}

void EditedText::put_blocks(size_t first, size_t last, std::string bytes) {
  // Pieces of even size, so that none is small: the number of blocks stays
  // in proportion to the text.
  const size_t pieces = (bytes.size() + kBlock - 1) / kBlock;
  const size_t piece = pieces == 0 ? 0 : (bytes.size() + pieces - 1) / pieces;
  std::vector<Block> fresh;
  for (size_t from = 0; from < bytes.size();) {
    const size_t to = cut_near(bytes, std::min(bytes.size(), from + piece));
    fresh.push_back(block_of(bytes.substr(from, to - from)));
    from = to;
  }
  if (fresh.size() == last - first) {
    std::move(fresh.begin(), fresh.end(), blocks_.begin() + static_cast<std::ptrdiff_t>(first));
  } else {
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(first),
                  blocks_.begin() + static_cast<std::ptrdiff_t>(last));
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(first),
                   std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
  }
  if (blocks_.empty()) blocks_.push_back(Block{});
}

EditedText::Place EditedText::normalized(Place p) const {
  while (p.at == blocks_[p.block].bytes.size() && p.block + 1 < blocks_.size()) ++p.block, p.at = 0;
  return p;
}

EditedText::Place EditedText::place_of(Position position) const {
  if (position.line < 0) return Place{};
  // The line's start: after its line-th break.
  auto line = static_cast<size_t>(position.line);
  Place p;
  if (line > 0) {
    size_t b = 0;
    while (b < blocks_.size() && blocks_[b].breaks < line) line -= blocks_[b++].breaks;
    if (b == blocks_.size()) return normalized(Place{b - 1, blocks_[b - 1].bytes.size()});
    const std::string& bytes = blocks_[b].bytes;
    size_t i = 0;
    for (; line > 0; ++i)
      if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')))
        --line;
    p = Place{b, i};
  }
  // The character: whole blocks without a break are skipped by their units.
  long long wanted = position.character;
  long long counted = 0;
  for (size_t b = p.block; b < blocks_.size(); ++b) {
    const Block& block = blocks_[b];
    if (b != p.block && block.breaks == 0 &&
        counted + static_cast<long long>(block.units) < wanted) {
      counted += static_cast<long long>(block.units);
      continue;
    }
    for (size_t i = b == p.block ? p.at : 0; i < block.bytes.size(); ++i) {
      const auto c = static_cast<unsigned char>(block.bytes[i]);
      if (c == '\r' || c == '\n') return normalized(Place{b, i});
      // A character ends where the next begins (UTF-8 counts every byte).
      if (counted >= wanted && units(c) > 0) return normalized(Place{b, i});
      counted += units(c);
    }
  }
  return normalized(Place{blocks_.size() - 1, blocks_.back().bytes.size()});
}

void EditedText::replace(Position start, Position end, std::string_view with) {
  const Place from = place_of(start);
  const Place to = std::max(from, place_of(end));
  std::string bytes = blocks_[from.block].bytes.substr(0, from.at);
  bytes += with;
  bytes.append(blocks_[to.block].bytes, to.at);
  size_t first = from.block;
  size_t last = to.block + 1;
  // Small blocks are joined with a neighbour, and a CR and an LF that meet at
  // the edit's edges are brought into one block.
  if (first > 0 && (bytes.size() < kBlock / 4 || bytes.starts_with('\n'))) {
    bytes.insert(0, blocks_[first - 1].bytes);
    --first;
  }
  if (last < blocks_.size() && (bytes.size() < kBlock / 4 || bytes.ends_with('\r'))) {
    bytes += blocks_[last].bytes;
    ++last;
  }
  put_blocks(first, last, std::move(bytes));
}

std::string EditedText::text() const {
  size_t size = 0;
  for (const Block& b : blocks_) size += b.bytes.size();
  std::string out;
  out.reserve(size);
  for (const Block& b : blocks_) out += b.bytes;
  return out;
}

}  // namespace tools::lsp
