// What the fuzz targets share: a silent Ui, a compile in memory, and a check
// that aborts loudly so that libFuzzer records the input.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "model/scenario.h"

namespace fuzz {

#define FUZZ_CHECK(condition)                                               \
  do {                                                                      \
    if (!(condition)) ::fuzz::check_failed(#condition, __FILE__, __LINE__); \
  } while (0)

[[noreturn]] void check_failed(const char* condition, const char* file, int line);

struct CompileResult {
  bool ended_by_errore = false;
  int32_t errore_code = 0;
  model::Scenario model;
  std::map<std::string, std::string> files;  // the folder after the compile
};

// Puts the two sources into an in-memory folder and runs the compile step.
CompileResult compile_in_memory(std::string_view line_source, std::string_view train_source,
                                int32_t write_line_file);

}  // namespace fuzz
