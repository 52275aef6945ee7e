// The legend under the picture: one sample of every kind of object, in the
// colours the picture uses.
#pragma once

#include <vector>

#include "tools/plot/draw.h"

namespace tools {

// Draws the legend from `top`, with one mark for each kind of signal in
// `signal_codes` (see signal_marks.h); returns the height it took.
double draw_legend(plot_draw::Page& page, double top, const std::vector<int>& signal_codes);

}  // namespace tools
