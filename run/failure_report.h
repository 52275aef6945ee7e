// What the installer tells its user when the machine refuses a file
// operation: the user double-clicked it and has no console, so the failure
// is shown in a message box, in Italian, naming the file and the reason.
#pragma once

#include <string>
#include <vector>

#include "model/scenario.h"
#include "platform/env.h"
#include "platform/status.h"

namespace run {

// The text of the box for the failures of one run, the one that stopped it
// first: "Installazione interrotta.", then for each failure what could not be
// done to which file, and the system's own reason. A run that installed
// everything before its failures says "Installazione completata, ma:".
std::string failure_box_text(const std::vector<platform::Error>& failures, bool installed = false);

// Deletes the line source and the train source where this run wrote them
// (`written` counts the writers that completed, in the run's order: line
// source, train source, ...) and they are still there: a run that stops
// before compiling them leaves no source behind. Returns a refused delete.
platform::Status remove_written_sources(platform::Env& env, const std::string& folder,
                                        const model::Scenario& model, size_t written);

}  // namespace run
