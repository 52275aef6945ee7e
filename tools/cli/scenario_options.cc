#include "tools/cli/scenario_options.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <system_error>
#include <vector>

#include "model/file_names.h"
#include "platform/cp1252.h"
#include "platform/folders.h"

namespace tools {

std::string check_folder(const std::string& folder) {
  // Paths are UTF-8 throughout the program; say so to the standard library.
  const std::filesystem::path path(std::u8string(folder.begin(), folder.end()));
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) return "no such folder: '" + folder + "'";
  if (!std::filesystem::is_directory(status)) return "not a folder: '" + folder + "'";
  return {};
}

std::string check_name_text(const std::string& text) {
  if (text.empty()) return "must not be empty";
  // The name and the number are stored in the service file, which the
  // simulator reads as Windows-1252.
  std::string bytes;
  if (platform::to_cp1252(text, &bytes))
    return "'" + text + "' has a character that Windows-1252 cannot represent";
  // They also become part of file names in FOLDER: a separator would reach
  // into another folder, a control character would make a name no one can type.
  for (unsigned char c : bytes) {
    if (c == '/' || c == '\\') return "'" + text + "' holds a folder separator";
    if (c < 0x20 || c == 0x7F) return "'" + text + "' holds a control character";
  }
  return {};
}

std::string infer_scenario(ScenarioArgs& args) {
  if (!args.scenario.empty() && !args.train.empty()) return {};
  std::vector<std::string> names;
  if (platform::Status status = platform::list_files(args.folder, &names)) return status->message();
  std::vector<std::string> scenarios;
  if (!args.scenario.empty()) scenarios.push_back(args.scenario);
  if (args.scenario.empty())
    for (const std::string& name : names)
      if (std::optional<std::string> scenario = model::line_source_scenario(name))
        scenarios.push_back(*scenario);
  auto listed = [](const std::vector<std::string>& choices) {
    std::string text;
    for (const std::string& c : choices) text += (text.empty() ? "" : ", ") + ("'" + c + "'");
    return text;
  };
  if (scenarios.size() != 1)
    return scenarios.empty()
               ? "no line source (NAME_linea.txt) in '" + args.folder + "'; give --scenario"
               : "more than one scenario in '" + args.folder + "' (" + listed(scenarios) +
                     "); choose one with --scenario";
  const std::string scenario = scenarios.front();
  std::vector<std::string> trains;
  for (const std::string& name : names) {
    // A train source with no number names no train to compile.
    const std::optional<std::string> train = model::train_number_of(name, scenario);
    if (train && !train->empty() && (args.train.empty() || *train == args.train))
      trains.push_back(*train);
  }
  if (trains.size() != 1)
    return trains.empty() ? "no train source (" + scenario + "_NUMBER-.txt) in '" + args.folder +
                                "'; give --train"
                          : "more than one train of '" + scenario + "' in '" + args.folder + "' (" +
                                listed(trains) + "); choose one with --train";
  args.scenario = scenario;
  args.train = trains.front();
  return {};
}

void add_scenario_options(CLI::App& command, ScenarioArgs& args, bool folder_may_be_new) {
  const CLI::Validator folder_check([](std::string& value) { return check_folder(value); }, "",
                                    "folder");
  const CLI::Validator name_check([](std::string& value) { return check_name_text(value); }, "",
                                  "name text");
  CLI::Option* folder =
      command.add_option("FOLDER", args.folder, "The folder that holds the scenario's files")
          ->type_name("PATH")
          ->required();
  if (!folder_may_be_new) folder->check(folder_check);
  command
      .add_option("--scenario", args.scenario,
                  "The scenario name: the sources are NAME_linea.txt and NAME_NUMBER-.txt "
                  "(Windows-1252 text, no folder separator); found in FOLDER when it holds one "
                  "scenario")
      ->type_name("NAME")
      ->check(name_check);
  command
      .add_option("--train", args.train,
                  "The train number, as it stands in the train file names "
                  "(Windows-1252 text, no folder separator); found in FOLDER when it holds one "
                  "train source of the scenario")
      ->type_name("NUMBER")
      ->check(name_check);
}

}  // namespace tools
