// `scenarioc check`: the compiler's own diagnostics, rendered for a reader.
// The compile reads the folder's sources and writes nothing, so check
// reports exactly what compile would record.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "compiler/compile.h"
#include "job/sources.h"
#include "platform/env.h"

namespace tools {

// Compiles the scenario in `folder` as `compile` would, touching nothing,
// with every fault. The track plan is built, and kept in the result only
// for a caller that shows it.
job::FolderCompile check_scenario(platform::Env& env, const std::string& folder,
                                  const std::string& scenario_name, const std::string& train_number,
                                  bool keep_track_plan);

// Each fault and warning in the order found, as "file:line:col: error:
// message" (or "warning:"), the source line and a caret under the field
// (columns count characters, from 1), then its notes.
std::string diagnostics_text(const compiler::CompileResult& result);

// The diagnostics, then "no fault (status 0)" when there is no fault, then
// the summary.
std::string report_text(const compiler::CompileResult& result);

size_t warning_count(const compiler::CompileResult& result);
size_t error_count(const compiler::CompileResult& result);

// "3 errors (2 found by reading on past the fault that stops the compile),
// 1 warning; compile records status 25".
std::string summary_text(const compiler::CompileResult& result);

// {"status", "position", "message", "ended_by_errore", "error", "notes",
//  "errors", "warnings", "diagnostics"}: "error" and "notes" are the fault
// that gave the status; "errors" and "warnings" count the diagnostics, each
// of which says whether it lies "past_the_stop".
nlohmann::json report_json(const compiler::CompileResult& result);

// The report as `check --json` prints it: the object laid out, then a newline.
std::string report_json_text(const compiler::CompileResult& result);

// `check`'s exit status for a compile that read both sources: 3 when it
// ended through " Errore n. ", 1 for another status (or, with `werror`, a
// warning), else 0.
int check_exit_status(const compiler::CompileResult& result, bool werror);

}  // namespace tools
