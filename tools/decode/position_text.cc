#include "tools/decode/position_text.h"

namespace tools {

std::string position_text(int64_t metres, int64_t cell) {
  return std::to_string(metres) + " m (cell " + std::to_string(cell) + ")";
}

std::string cell_span_text(int64_t cell) {
  return "cell " + std::to_string(cell) + " (" + std::to_string(cell * 50) + " to " +
         std::to_string(cell * 50 + 50) + " m)";
}

std::optional<int64_t> station_cell(const std::vector<model::Cell>& cells, int record) {
  for (size_t i = 0; i < cells.size(); ++i)
    if (cells[i].kind == model::kind::kStationMarker && cells[i].value_a == record)
      return static_cast<int64_t>(i);
  return std::nullopt;
}

}  // namespace tools
