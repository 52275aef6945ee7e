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

// Adds the three arguments to `command`, all required, with their checks:
// FOLDER must be an existing folder; NAME and NUMBER must be file-name text
// that Windows-1252 can represent.
void add_scenario_options(CLI::App& command, ScenarioArgs& args);

// The checks themselves: empty when `text` is fine, else why not.
std::string check_folder(const std::string& folder);
std::string check_name_text(const std::string& text);

}  // namespace tools
