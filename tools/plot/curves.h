// The curves as the plan holds them. Each metre's turn is measured from the
// plan itself (the turn between one step and the next), so a curve is drawn
// where the plan bends, from the sources and from the line geometry file
// alike; the class is the compiler's class of that curvature.
#pragma once

#include <vector>

#include "model/scenario.h"

namespace tools {

struct CurveRun {
  long from, to;    // metres: the last straight point and the last point of the bend
  int curve_class;  // 1 to 6; 0 for a curvature no class has
  bool left;
  double radius;  // metres
};

// A plan coordinate as the picture uses it: beyond a billion metres, which
// no line reaches, it is drawn at a billion, so that every distance, scale
// and turn the picture derives from finite plan values stays a number.
double drawn_coordinate(double value);

// The curves between metres 0 and `last` of the plan.
std::vector<CurveRun> curve_runs(const model::LineTable& plan, long last);

}  // namespace tools
