// The speed a train may run, cell by cell: the line speed, lowered over each
// slowdown's span to the slowdown's speed where that is lower. A slowdown
// spans from the metre of its start to the metre of its end, as its entry
// wrote them: a start cell s and an end cell e (point cells, each one after
// the cell that holds its metre) cover the cells s - 1 to e - 2.
#pragma once

#include <vector>

#include "model/scenario.h"

namespace tools {

// The line speed of each cell in km/h.
std::vector<int> line_speeds(const std::vector<model::Cell>& cells);

// The speed a train may run in each cell, in km/h. A slowdown whose end
// cell was lost (its start overwrote it, or another start comes first)
// covers its start's cell alone.
std::vector<int> permitted_speeds(const std::vector<model::Cell>& cells);

}  // namespace tools
