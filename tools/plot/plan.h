// The plan of the line, seen from above and turned so that the line runs
// from left to right across the page: the line to its end and the run-on
// past it, the end mark, tunnels, name boards with their texts, signals and
// stations (stop or pass-through).
#pragma once

#include "model/scenario.h"
#include "tools/plot/draw.h"
#include "tools/plot/hover.h"

namespace tools {

struct PlanExtent {
  double line_end;  // metres: where the line ends (service record 84)
  double shown;     // metres: how far the picture goes
};

// Draws the plan from `top` down; returns the height it took.
double draw_plan(plot_draw::Page& page, const model::Scenario& m, const Hover& hover,
                 const PlanExtent& extent, double top);

}  // namespace tools
