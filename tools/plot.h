// One SVG page that shows a compiled scenario: the plan of the line with its
// stations and signals, and under it, on one distance axis, the gradient, the
// speed limit, the tunnels, boards, signals, slowdowns and stations.
#pragma once

#include <string>

#include "model/scenario.h"

namespace tools {

// Needs the cell track and the service table; the plan is drawn when the
// line table is there.
std::string plot_svg(const model::Scenario& model);

}  // namespace tools
