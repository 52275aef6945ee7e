// A picture of a compiled scenario: the plan of the line, turned to run
// across the page, with its tunnels, name boards, signals and stations, and
// under it, on one distance axis, the curves, the gradient and speed
// profiles, the features and the station platforms, with a legend. Drawn
// from the sources, every object carries its entry's values and file:line,
// and a status other than 0 is shown in a banner.
#pragma once

#include <string>

#include "compiler/compile.h"
#include "model/scenario.h"

namespace tools {

// Needs the cell track and the service table; the plan and the curves are
// drawn when the line table is there. `compiled` is the compile the model
// came from, or null when it was read from the binary files.
std::string plot_svg(const model::Scenario& model,
                     const compiler::CompileResult* compiled = nullptr);

// One self-contained HTML page, for a browser opened from disk: the same
// picture, with zoom and pan along the kilometres and the hover texts in a
// box that follows the pointer. It refers to nothing outside itself.
std::string plot_html(const model::Scenario& model,
                      const compiler::CompileResult* compiled = nullptr);

// The `<svg>` element alone, as the page embeds it (no XML declaration and,
// since HTML gives the namespace, no namespace attribute).
std::string plot_svg_element(const model::Scenario& model, const compiler::CompileResult* compiled);

}  // namespace tools
