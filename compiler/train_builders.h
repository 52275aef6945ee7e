// The builders the train source parser calls for a signal ("segnale") and a
// slowdown ("rallentamento") entry. Each claims free cells of the cell track,
// packs the entry's numbers into them, and returns the fault when a cell is
// taken; the parser then records it with the entry's position and ends its
// pass.
//
// The builders trust their caller to have checked that every cell they may
// write lies in the cell track (`signal_fits`, `slowdown_fits`); a call that
// would reach outside is refused with status 15 and writes nothing.
#pragma once

#include <cstdint>

#include "compiler/fault.h"
#include "compiler/source_record.h"
#include "model/scenario.h"

namespace compiler {

// A "segnale" entry: its aspects towards the left (sx) and the right (dx)
// with three values each, the ratio (rapp) and the time value (tempo).
struct SignalEntry {
  int32_t position = 0;
  int32_t sx = 0;
  int32_t s1 = 0;
  int32_t s2 = 0;
  int32_t s3 = 0;
  int32_t rapp = 0;
  int32_t dx = 0;
  int32_t d1 = 0;
  int32_t d2 = 0;
  int32_t d3 = 0;
  int32_t tempo = 0;
};

// A "rallentamento" entry: from `start` over `length` metres at `speed`,
// with the f_tt, f_ta and d_v values of the order.
struct SlowdownEntry {
  int32_t start = 0;
  int32_t speed = 0;
  int32_t length = 0;
  int32_t f_tt = 0;
  int32_t f_ta = 0;
  int32_t d_v = 0;
};

// The cells a slowdown entry claims.
struct SlowdownCells {
  bool has_board;  // a warning board, and the pre-warning cells when f_ta is nonzero
  int64_t board;   // the warning board, 1200 m before the start
  int64_t start;
  int64_t end;
  int64_t before_board;  // the nearest of the four pre-warning cells
};
SlowdownCells slowdown_cells(int32_t start, int32_t length);

// The signal in cell c = round(position / 50 + 1), with its repeat codes in
// cells c - 2, c - 4, c - 6, c - 8. A nonzero `tempo` below 101 is raised to
// 101 in the entry. Status 16 when cell c is taken (nothing written).
Fault place_signal(model::Scenario& model, SignalEntry& signal, const Claim& claim = {});

// The slowdown's start and end cells and, when it starts beyond 1500 m, the
// warning board 1200 m before it and (with f_ta nonzero) the four
// pre-warning cells before the board. Status 17, 18 or 19 when the board,
// start or end cell is taken (nothing written); 20 when a pre-warning cell
// is taken (board, start and end stay).
Fault place_slowdown(model::Scenario& model, const SlowdownEntry& slowdown,
                     const Claim& claim = {});

// Whether every cell that place_signal may write lies in the cell track.
bool signal_fits(const model::Scenario& model, int32_t position);

// Whether every cell that place_slowdown may read or write lies in the cell
// track.
bool slowdown_fits(const model::Scenario& model, const SlowdownEntry& slowdown);

}  // namespace compiler
