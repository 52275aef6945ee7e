// The arguments that name a scenario in a folder, shared by the subcommands
// that work on one: FOLDER, --scenario NAME and --train NUMBER.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace tools {

struct ScenarioArgs {
  std::string folder;
  std::string scenario;  // UTF-8
  std::string train;     // UTF-8
};

// Adds the three arguments to `command` with their checks: FOLDER must be an
// existing folder (unless `folder_may_be_new`); NAME and NUMBER must be
// file-name text that Windows-1252 can represent. NAME and NUMBER may be left
// out: infer_scenario() then finds them in FOLDER.
void add_scenario_options(CLI::App& command, ScenarioArgs& args, bool folder_may_be_new = false);

// Fills in a NAME and NUMBER left out from the one line source
// (NAME_linea.txt) and the one train source of that scenario
// (NAME_NUMBER-.txt) in FOLDER. Empty when done, else why not, with the
// choices the folder offers.
std::string infer_scenario(ScenarioArgs& args);

// The checks themselves: empty when `text` is fine, else why not.
std::string check_folder(const std::string& folder);
std::string check_name_text(const std::string& text);

}  // namespace tools
