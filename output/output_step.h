// The last step of the compile: the reserved-slot checks, the fixed values,
// the competition codes and the three binary files.
#pragma once

#include <cstdint>
#include <string>

#include "model/scenario.h"
#include "platform/env.h"

namespace output {

struct OutputOutcome {
  // 1250 or 1251 when a reserved slot was already used: nothing was written,
  // and the caller ends the run through the " Errore n. " message with this code.
  int32_t reserved_slot_code = 0;
  // A failing file operation. Every old file is then as it was, unless the
  // failure says which files it left new (see platform::replace_files).
  platform::Status failure;
  // Every binary file is in place; a failure with it is the folder's sync.
  bool files_in_place = false;
};

// Needs the cell track with at least cells 0 and 1. Replaces, as one set, the line
// geometry file (only when the track plan was built), the service file and the
// cell file, in that order.
OutputOutcome output_step(model::Scenario& model, platform::Env& env, const std::string& folder);

}  // namespace output
