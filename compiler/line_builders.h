// The builders the line source parser calls for entries that need more than a
// plain store: the order of the kilometric progressives, tunnel spans and
// maximum-speed boards. None of them checks the position the range rule has
// checked; each refuses, with status 15, what would reach outside a table.
#pragma once

#include <cstdint>

#include "model/scenario.h"

namespace compiler {

// Puts the progressive triples of records 81, 82 and 83 into order, largest
// first number first, then adds 100 to the second number of every record
// whose third number is 1. A 32-bit sum or second number that overflows
// throws ReadFailure.
void progressive_ordina(model::Scenario& model);

// Records a tunnel over [inizio, fine): in the tunnel list, and as the
// `tunnel_type` of the cells it covers (a type above 10 is the type minus 10
// with a filler every fourth cell; a tunnel at most 150 m after the previous
// entry becomes type 3). The 81st tunnel, and a span covering a cell outside
// the cell track, are refused: status 15 at `inizio`, nothing recorded.
void memo_montagna(model::Scenario& model, int32_t inizio, int32_t fine, int32_t tipo);

// Puts a maximum-speed board into the cell after its position. An occupied
// cell gives status 21 and a cell outside the track status 15, both at
// `posizione`, and nothing is written; a speed value that does not fit 16 bits
// throws ReadFailure, also with nothing written.
void memo_indicatori_v_max(model::Scenario& model, int32_t posizione, int32_t vas, int32_t vbs,
                           int32_t vcs, int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd,
                           int32_t strisced);

}  // namespace compiler
