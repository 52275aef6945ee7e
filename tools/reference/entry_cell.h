// The cell an entry's own position addresses: a point entry (signal,
// slowdown start, board) stands in the cell after the one that holds its
// metre, a stretch (gradient, speed, adhesion, tunnel) and an abbattimento
// begin in the cell that holds it.
#pragma once

#include <cstdint>
#include <optional>

#include "compiler/source_record.h"

namespace tools {

// None for entries without a position and for those placed by other rules
// (a station's marker follows its platform's end, a curve is plan metres).
std::optional<int64_t> entry_cell(const compiler::SourceEntry& entry);

}  // namespace tools
