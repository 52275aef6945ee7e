// The builders the line source parser calls for entries that need more than a
// plain store: the order of the kilometric progressives, tunnel spans and
// maximum-speed boards. None of them checks the position the range rule has
// checked; each refuses, with status 15, what would reach outside a table.
#pragma once

#include <cstdint>

#include "compiler/compile_state.h"
#include "compiler/fault.h"
#include "compiler/source_record.h"
#include "model/scenario.h"

namespace compiler {

// A "montagna" entry: a tunnel over [start, end) of a type; a type above 10
// is the type minus 10 with a filler cell every fourth cell.
struct TunnelEntry {
  int32_t start = 0;
  int32_t end = 0;
  int32_t type = 0;
};

// An "indicatori_v" entry: two groups of three speeds and a stripe count.
// Each cell value packs a speed of the first group with the one of the
// second: round(first * 20 + second / 5).
struct SpeedBoardEntry {
  int32_t position = 0;
  int32_t first_speed_a = 0;
  int32_t first_speed_b = 0;
  int32_t first_speed_c = 0;
  int32_t first_stripes = 0;
  int32_t second_speed_a = 0;
  int32_t second_speed_b = 0;
  int32_t second_speed_c = 0;
  int32_t second_stripes = 0;
};

// Puts the progressive triples of records 81, 82 and 83 into order, largest
// first number first, then adds 100 to the second number of every record
// whose third number is 1. A 32-bit sum or second number that overflows
// throws ReadFailure.
void order_progressives(model::Scenario& model);

// Records a tunnel in the state's tunnel list and as the `tunnel_type` of
// the cells it covers; a tunnel at most 150 m after the previous entry
// becomes type 3. The 81st tunnel, and a span covering a cell outside the
// cell track, are refused with status 15, nothing recorded.
Fault record_tunnel(model::Scenario& model, CompileState& state, const TunnelEntry& tunnel);

// Puts a maximum-speed board into the cell after its position. An occupied
// cell gives status 21 and a cell outside the track status 15, both with
// nothing written; a speed value that does not fit 16 bits throws
// ReadFailure, also with nothing written.
Fault place_speed_board(model::Scenario& model, const SpeedBoardEntry& board,
                        const Claim& claim = {});

}  // namespace compiler
