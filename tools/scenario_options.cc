#include "tools/scenario_options.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <system_error>

#include "platform/cp1252.h"

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

void add_scenario_options(CLI::App& command, ScenarioArgs& args) {
  const CLI::Validator folder_check([](std::string& value) { return check_folder(value); }, "",
                                    "folder");
  const CLI::Validator name_check([](std::string& value) { return check_name_text(value); }, "",
                                  "name text");
  command.add_option("FOLDER", args.folder, "The folder that holds the scenario's files")
      ->type_name("PATH")
      ->required()
      ->check(folder_check);
  command
      .add_option("--scenario", args.scenario,
                  "The scenario name: the sources are NAME_linea.txt and NAME_NUMBER-.txt "
                  "(Windows-1252 text, no folder separator)")
      ->type_name("NAME")
      ->required()
      ->check(name_check);
  command
      .add_option("--train", args.train,
                  "The train number, as it stands in the train file names "
                  "(Windows-1252 text, no folder separator)")
      ->type_name("NUMBER")
      ->required()
      ->check(name_check);
}

}  // namespace tools
