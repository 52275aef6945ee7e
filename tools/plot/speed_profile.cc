#include "tools/plot/speed_profile.h"

#include <algorithm>

namespace tools {

std::vector<int> line_speeds(const std::vector<model::Cell>& cells) {
  std::vector<int> speeds(cells.size());
  for (size_t i = 0; i < cells.size(); ++i) speeds[i] = cells[i].speed_limit * 5;
  return speeds;
}

std::vector<int> permitted_speeds(const std::vector<model::Cell>& cells) {
  std::vector<int> speeds = line_speeds(cells);
  for (size_t start = 0; start < cells.size(); ++start) {
    if (cells[start].kind != model::kind::kSlowdownStart) continue;
    size_t end = start + 1;
    while (end < cells.size() && cells[end].kind != model::kind::kSlowdownEnd &&
           cells[end].kind != model::kind::kSlowdownStart)
      ++end;
    if (end == cells.size() || cells[end].kind != model::kind::kSlowdownEnd) end = start + 1;
    // Cells start - 1 to end - 2: the metres of the start up to those of the end.
    const size_t first = start == 0 ? 0 : start - 1;
    for (size_t k = first; k + 1 < end && k < speeds.size(); ++k)
      speeds[k] = std::min(speeds[k], static_cast<int>(cells[start].value_a));
  }
  return speeds;
}

}  // namespace tools
