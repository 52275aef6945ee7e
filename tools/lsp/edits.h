// A document's text under a list of ranged edits, each placed in the text
// the edits before it left. The text is held in blocks of a few KB that
// know their line breaks and their units, so that finding a position skips
// whole blocks and an edit rewrites only the blocks it touches: each edit
// costs a walk over the blocks (one per 2 KB) and the rewrite of one or two,
// never a copy of the whole text, however long its lines are and wherever
// the edits fall.
#pragma once

#include <compare>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tools/lsp/positions.h"

namespace tools::lsp {

class EditedText {
 public:
  EditedText(std::string_view text, PositionEncoding encoding);

  // Replaces the text between two positions, found as LineIndex::offset
  // finds them; an end before the start is the start.
  void replace(Position start, Position end, std::string_view with);
  std::string text() const;

 private:
  struct Block {
    std::string bytes;
    size_t breaks = 0;  // the line breaks that end in the block
    size_t units = 0;   // of the encoding
  };
  struct Place {
    size_t block = 0;
    size_t at = 0;  // byte in the block
    auto operator<=>(const Place&) const = default;
  };

  Place place_of(Position position) const;
  Place normalized(Place place) const;
  // Cuts `bytes` into blocks and puts them in place of [first, last).
  void put_blocks(size_t first, size_t last, std::string bytes);
  Block block_of(std::string bytes) const;
  int units(unsigned char c) const;

  PositionEncoding encoding_;
  std::vector<Block> blocks_;  // never empty; no block empty unless it is the only one
};

}  // namespace tools::lsp
