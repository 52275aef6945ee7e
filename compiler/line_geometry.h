// The track plan: one point per metre, each grown from the two points before
// it. A straight step repeats the last step; a curve step turns it by the
// curvature k without normalising its length, so the plan keeps the growth.
// The sums are formed in a fixed order, as the line geometry file must match
// bit for bit.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "model/scenario.h"

namespace compiler {

// The metre the plan cursor starts from once points 0 and 1 are set.
inline constexpr int32_t kFirstComputedMetre = 2;
// A cursor limit that is never reached.
inline constexpr int64_t kNoCursorLimit = std::numeric_limits<int64_t>::max();

// Sets points 0 and 1 to (0, 0) and (0, 1), so that the first step points
// along column 1.
void start_plan(model::LineTable& plan);

// The signed curvature a curve keyword field asks for: the first of the class
// digits 1 to 6 found in it gives the radius, an "s" (either case) makes it a
// left curve (negative). Empty when the field holds none of the six digits.
std::optional<double> curve_curvature(std::string_view keyword);

// Compute points `m`, `m` + 1, ... while `m` is at most `last`, advancing `m`;
// every point from 0 to `m` - 1 must be set, and `last` must lie in the plan.
// Each returns false as soon as `m` has passed `cursor_limit` (after computing
// the point that took it there), true otherwise.
bool extend_straight(model::LineTable& plan, int32_t& m, int64_t last, int64_t cursor_limit);
bool extend_curve(model::LineTable& plan, int32_t& m, int64_t last, double k, int64_t cursor_limit);

}  // namespace compiler
