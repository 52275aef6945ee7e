#include "compiler/fault.h"

#include "model/status_codes.h"

namespace compiler {

std::string fault_message(int32_t code, std::optional<int32_t> position,
                          const std::string& detail) {
  const model::status::Info& info = model::status::info(code);
  std::string message = std::string(info.text) + " (status " + std::to_string(code);
  if (position && info.has_position) message += ", at " + std::to_string(*position) + " m";
  message += ")";
  if (!detail.empty()) message += ": " + detail;
  return message;
}

Diagnostic fault_diagnostic(int32_t code, std::optional<int32_t> position, Location at,
                            const std::string& detail) {
  Diagnostic d;
  d.code = code;
  d.at = at;
  d.message = fault_message(code, position, detail);
  return d;
}

}  // namespace compiler
