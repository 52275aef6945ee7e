// round(x): the nearest whole number, a half going to the even neighbour.
// Divisions such as p / 50 are made in double before rounding, never in
// integers, which would truncate.
#pragma once

#include <cmath>
#include <cstdint>

namespace model {

inline double round_half_even(double x) { return std::nearbyint(x); }

// The cell of a stretch attribute starting at metre p.
inline int64_t stretch_cell(int64_t p) { return static_cast<int64_t>(std::nearbyint(p / 50.0)); }
// The cell of a point feature at metre p.
inline int64_t point_cell(int64_t p) {
  return static_cast<int64_t>(std::nearbyint(p / 50.0 + 1.0));
}

}  // namespace model
