// One way of writing a place on the line, the same in the plot, `decode` and
// the language server's hover. An entry's place is the metres its author
// wrote, with the cell the entry stands in: "1500 m (cell 31)". A cell read
// back from the binary files has no author's metres, so it is given with
// the 50 metres of the line it covers: "cell 31 (1550 to 1600 m)". A point
// entry (a signal, a board, a slowdown) stands in the cell after the one that
// holds its metre, so a signal written at 1500 m is in cell 31, which covers
// 1550 to 1600 m.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/scenario.h"

namespace tools {

std::string position_text(int64_t metres, int64_t cell);
std::string cell_span_text(int64_t cell);

// The cell that carries station record `record` for the simulator: its
// marker (kind 10, value_a the record). None for a station without one (a
// kind of 25 and above).
std::optional<int64_t> station_cell(const std::vector<model::Cell>& cells, int record);

}  // namespace tools
