// Compiles a copy of a scenario's sources in memory and says what the compile
// found, pointing at the source entry that caused it.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "model/scenario.h"

namespace tools {

struct CheckInput {
  std::string folder;  // where the sources are; only used to name them
  std::string scenario_name;
  std::string train_number;
  // The files' bytes; nullopt when a file is missing.
  std::optional<std::string> line_source_bytes;
  std::optional<std::string> train_source_bytes;
};

struct Diagnostic {
  std::string file;  // the source's path; empty when no source applies
  int line = 0;      // 1-based; 0 when no line applies
  int column = 0;
  std::string source_line;  // the text of that line
  std::string message;
};

struct CheckReport {
  int32_t status = 0;
  std::optional<int32_t> position;  // metres, for the codes that have one
  std::string meaning;
  bool ended_by_errore = false;     // the compile could not write any binary file
  std::optional<Diagnostic> error;  // where the fault stands
  std::vector<Diagnostic> notes;    // the other entries and cells involved
};

// The compile of a copy of the sources, in memory.
struct MemoryCompile {
  model::Scenario model;
  compiler::ParseState state;
  bool ended_by_errore = false;
  int32_t code = 0;  // the status, or the code `errore` ended the run with
};
MemoryCompile compile_in_memory(const CheckInput& input);

CheckReport check_scenario(const CheckInput& input);

// "file:line:col: error: message", the source line and a caret; then notes.
std::string report_text(const CheckReport& report);
nlohmann::json report_json(const CheckReport& report);

}  // namespace tools
