#include "tools/cli/status_report.h"

#include <nlohmann/json.hpp>
#include <ostream>

#include "model/status_codes.h"

namespace tools {

std::string status_line(int32_t code, int32_t position) {
  const model::status::Info& info = model::status::info(code);
  std::string line = "status " + std::to_string(code);
  if (info.has_position) line += " at metre " + std::to_string(position);
  line += ": ";
  line += info.text;
  return line;
}

std::string status_json(int32_t code, int32_t position) {
  const model::status::Info& info = model::status::info(code);
  nlohmann::ordered_json object = {
      {"status", code},
      {"position",
       info.has_position ? nlohmann::ordered_json(position) : nlohmann::ordered_json(nullptr)},
      {"message", std::string(info.text)},
  };
  return object.dump();
}

void print_status(std::ostream& out, bool json, int32_t code, int32_t position) {
  out << (json ? status_json(code, position) : status_line(code, position)) << '\n';
}

}  // namespace tools
