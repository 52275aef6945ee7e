// The legend under the picture: one sample of every kind of object, in the
// colours the picture uses.
#pragma once

#include "tools/plot/draw.h"

namespace tools {

// Draws the legend from `top`; returns the height it took.
double draw_legend(plot_draw::Page& page, double top);

}  // namespace tools
