// `scenarioc compile`: the installer's compile step on sources already in a
// folder, with exactly the installer's effects on it.
#pragma once

#include <CLI/CLI.hpp>

#include "tools/cli/scenario_options.h"
#include "tools/cli/subcommand.h"

namespace tools {

struct CompileArgs {
  ScenarioArgs scenario;
  bool no_line_file = false;
  bool keep_sources = false;  // the default, still accepted
  bool delete_sources = false;
  std::string out;                // where the binary files go; FOLDER when empty
  double wait_lock_seconds = 60;  // for another run that holds a folder's lock
  bool json = false;
};

// Compiles, prints the status and returns the exit status: 0 for status 0,
// 1 for any other status, 2 when a file operation fails, 3 when the run
// ended through the " Errore n. " message.
int run_compile(CompileArgs args, const ToolContext& context);

// Registers "compile" on `parent`.
Subcommand add_compile_command(CLI::App& parent, const ToolContext& context);

}  // namespace tools
