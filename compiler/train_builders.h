// The builders the train source parser calls for a signal ("segnale") and a
// slowdown ("rallentamento") entry. Each claims free cells of the cell track,
// packs the entry's numbers into them, and reports a taken cell by setting
// `status_code`; the parser then sets `error_position` and aborts its pass.
//
// The builders trust their caller to have checked that every cell they may
// write lies in the cell track (`segnale_fits`, `rallentamento_fits`); a call
// that would reach outside is refused with status 15 and writes nothing.
#pragma once

#include <cstdint>

#include "model/scenario.h"

namespace compiler {

// The signal at `posizione` in cell c = round(posizione / 50 + 1), with its
// repeat codes in cells c - 2, c - 4, c - 6, c - 8. A nonzero `tempo` below
// 101 is raised to 101, and the caller sees the change. Status 16 when cell c
// is taken (nothing written).
void memo_segnale(model::Scenario& model, int32_t posizione, int32_t sx, int32_t s1, int32_t s2,
                  int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3,
                  int32_t& tempo);

// The slowdown from `inizio` over `l` metres at speed `v`: its start and end
// cells and, when it starts beyond 1500 m, the warning board 1200 m before it
// and (with `f_ta` nonzero) the four pre-warning cells before the board.
// Status 17, 18 or 19 when the board, start or end cell is taken (nothing
// written); 20 when a pre-warning cell is taken (board, start and end stay).
void memo_rallentamento(model::Scenario& model, int32_t inizio, int32_t v, int32_t l, int32_t f_tt,
                        int32_t f_ta, int32_t d_v);

// Whether every cell that memo_segnale may write for a signal at `posizione`
// lies in the cell track.
bool segnale_fits(const model::Scenario& model, int32_t posizione);

// Whether every cell that memo_rallentamento may read or write for this
// slowdown lies in the cell track.
bool rallentamento_fits(const model::Scenario& model, int32_t inizio, int32_t l, int32_t f_ta);

}  // namespace compiler
