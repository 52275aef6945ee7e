// The range rule: an entry at metre p is accepted when (p + margin) / 50,
// unrounded, is at most the last cell index. The margin is 100, or 800 for a
// station. Both passes use it.
#pragma once

#include <cstdint>

#include "model/scenario.h"

namespace compiler {

inline constexpr int kRangeMargin = 100;
inline constexpr int kStationRangeMargin = 800;

// (p + margin) / 50 <= cell_last, in whole numbers, which is exact.
inline bool within_range(const model::Scenario& model, int64_t p, int margin = kRangeMargin) {
  return p + margin <= int64_t{50} * model.cell_last;
}

// The last position that passes the rule.
inline int64_t last_position_in_range(const model::Scenario& model, int margin = kRangeMargin) {
  return int64_t{50} * model.cell_last - margin;
}

}  // namespace compiler
