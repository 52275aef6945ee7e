// The last step of the compile, in two parts: finishing the model (the
// reserved-slot checks, the fixed values, the competition codes), which is
// pure and part of every compile, and writing the three binary files, which
// only a job that installs does.
#pragma once

#include <cstdint>
#include <string>

#include "model/scenario.h"
#include "platform/env.h"

namespace output {

// Needs the cell track with at least cells 0 and 1. Returns 1250 or 1251
// when a reserved slot was already used (the run then ends through the
// " Errore n. " message with this code, and nothing may be written), else 0.
int32_t finish_model(model::Scenario& model);

// Encodes the finished model and replaces, as one set, the line geometry
// file (only when the track plan was built), the service file and the cell
// file, in that order. Every old file is as it was after a failure, unless
// the failure says which files it left new (see platform::replace_files).
// `files_in_place`: every binary file is in place; a failure with it is the
// folder's sync or an old file's deletion.
platform::Status write_binary_files(const model::Scenario& model, platform::Env& env,
                                    const std::string& folder, bool* files_in_place);

}  // namespace output
