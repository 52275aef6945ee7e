// Generated sources for measuring the compiler at its limits.
#pragma once

#include <string>

namespace bench {

// The built-in scenario's two sources, as the installer writes them (UTF-8
// here; the text is plain ASCII but for the station names' letters).
std::string given_line_source();
std::string given_train_source();

// A line source of the maximum length (1000000 m) with curves and gradients
// spread along it, tunnels, boards and name boards.
std::string maximum_line_source();
// A train source for that line: speed limits, signals and stations along it.
std::string maximum_train_source();

}  // namespace bench
