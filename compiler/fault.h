// How a builder or a rule reports a fault: its status code and the cell it
// concerns, so that the caller can name what stands there. Builders return
// one instead of writing a shared status.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/diagnostic.h"

namespace compiler {

struct Fault {
  int32_t code = 0;   // 0: no fault
  int64_t cell = -1;  // the cell found taken or without room, or -1

  explicit operator bool() const { return code != 0; }
};

inline Fault no_fault() { return {}; }

// "<meaning> (status N, at P m)", with ": <detail>" after it when given; the
// position only for the codes that have one.
std::string fault_message(int32_t code, std::optional<int32_t> position,
                          const std::string& detail = "");

// An error diagnostic for a fault found at `at`.
Diagnostic fault_diagnostic(int32_t code, std::optional<int32_t> position, Location at,
                            const std::string& detail = "");

}  // namespace compiler
