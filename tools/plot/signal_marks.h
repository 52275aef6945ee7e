// A signal's mark, one shape per kind, shared by the plan, the features
// track and the legend. A signal's kind is what the compiler packs of its
// sx and dx (sx * 3 + dx, the code its repeat cells carry); what a kind
// means is the simulator's, so the legend names it by those two values.
#pragma once

#include <string>
#include <vector>

#include "model/scenario.h"

namespace tools {

// sx * 3 + dx of a signal cell, 0 to 9.
int signal_code(const model::Cell& signal);
// "signal sx 2, dx 2".
std::string signal_kind_label(int code);

// The mark centred on (x, y): a path whose data-x is its centre, so that the
// viewer can move it; `extra` holds further attributes, each with a leading
// blank, and `inside` the element's children (its title).
std::string signal_mark(double x, double y, int code, const std::string& extra,
                        const std::string& inside);

// The codes of the signals a scenario has, in increasing order.
std::vector<int> signal_codes(const model::Scenario& m);

}  // namespace tools
