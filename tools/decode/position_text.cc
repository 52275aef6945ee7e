#include "tools/decode/position_text.h"

namespace tools {

std::string position_text(int64_t metres, int64_t cell) {
  return std::to_string(metres) + " m (cell " + std::to_string(cell) + ")";
}

std::string cell_span_text(int64_t cell) {
  return "cell " + std::to_string(cell) + " (" + std::to_string(cell * 50) + " to " +
         std::to_string(cell * 50 + 50) + " m)";
}

}  // namespace tools
