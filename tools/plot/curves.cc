#include "tools/plot/curves.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "compiler/line_geometry.h"

namespace tools {
namespace {

// A straight step repeats the last one up to the rounding of the sums; the
// gentlest class turns by 1/10000 per metre.
constexpr double kStraight = 1e-6;

int class_of(double curvature) {
  for (int c = 1; c <= 6; ++c) {
    const std::optional<double> k = compiler::curve_curvature(std::to_string(c));
    if (k && std::fabs(curvature - *k) <= *k * 0.01) return c;
  }
  return 0;
}

}  // namespace

double drawn_coordinate(double value) { return std::clamp(value, -1e9, 1e9); }

std::vector<CurveRun> curve_runs(const model::LineTable& plan, long last) {
  std::vector<CurveRun> runs;
  if (!plan.allocated()) return runs;
  last = std::min<long>(last, plan.last_row());
  auto empty = [&](long m) {
    return plan.at(static_cast<int32_t>(m), 0).tag == model::Variant::kEmpty ||
           plan.at(static_cast<int32_t>(m), 1).tag == model::Variant::kEmpty;
  };
  for (long m = 2; m <= last; ++m) {
    if (empty(m) || empty(m - 1) || empty(m - 2)) break;
    auto x = [&](long i) { return drawn_coordinate(plan.at(static_cast<int32_t>(i), 0).value); };
    auto y = [&](long i) { return drawn_coordinate(plan.at(static_cast<int32_t>(i), 1).value); };
    const double dx = x(m - 1) - x(m - 2), dy = y(m - 1) - y(m - 2);
    const double nx = x(m) - x(m - 1), ny = y(m) - y(m - 1);
    const double length2 = dx * dx + dy * dy;
    if (length2 == 0) continue;
    // A curve step turns the last step by k to the right: cross = -k |d|^2.
    const double k = -(dx * ny - dy * nx) / length2;
    // Bounded coordinates keep the turn a number; a step too short to
    // measure one gives none.
    if (!std::isfinite(k) || std::fabs(k) < kStraight) continue;
    const bool left = k < 0;
    const int c = class_of(std::fabs(k));
    if (!runs.empty() && runs.back().to == m - 1 && runs.back().left == left &&
        runs.back().curve_class == c) {
      runs.back().to = m;
    } else {
      runs.push_back({m - 1, m, c, left, 1 / std::fabs(k)});
    }
  }
  return runs;
}

}  // namespace tools
