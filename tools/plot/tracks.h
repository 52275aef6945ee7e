// The tracks under the plan, all on one distance axis: the curve band, the
// gradient and speed profiles, the features (tunnels, boards, signals,
// slowdowns and markers) and the station platforms. Every element that sits
// at a distance carries it (data-m0, data-m1), so that the page's viewer can
// zoom and pan along the kilometres.
#pragma once

#include "model/scenario.h"
#include "tools/plot/draw.h"
#include "tools/plot/hover.h"

namespace tools {

constexpr double kTrackHeight = 70;
constexpr double kBandHeight = 44;

// Each draws its track from `top` and returns the height it took, its title
// included.
double draw_curve_band(plot_draw::Page& page, const model::Scenario& m, const Hover& hover,
                       const plot_draw::Axis& axis, double top);
double draw_gradient(plot_draw::Page& page, const model::Scenario& m, const Hover& hover,
                     const plot_draw::Axis& axis, double top);
double draw_speed(plot_draw::Page& page, const model::Scenario& m, const Hover& hover,
                  const plot_draw::Axis& axis, double top);
double draw_features(plot_draw::Page& page, const model::Scenario& m, const Hover& hover,
                     const plot_draw::Axis& axis, double top);
double draw_stations(plot_draw::Page& page, const model::Scenario& m, const Hover& hover,
                     const plot_draw::Axis& axis, double top);

}  // namespace tools
