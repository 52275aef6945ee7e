// `scenarioc sources`: the built-in sources as a starting point.
#include <memory>
#include <ostream>

#include "model/file_names.h"
#include "platform/folders.h"
#include "tools/cli/commands.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/scenario_options.h"
#include "writers/writers.h"

namespace tools {
namespace {

struct SourcesArgs {
  ScenarioArgs scenario{"", writers::kScenarioName, writers::kTrainNumber};
  bool force = false;
};

int run_sources(const SourcesArgs& args, const ToolContext& context) {
  if (platform::Status status = platform::create_folders(args.scenario.folder)) {
    context.err << "scenarioc: " << status->message() << std::endl;
    return kExitPlatform;
  }
  model::Scenario m;
  m.scenario_name = args.scenario.scenario;
  m.train_number = args.scenario.train;
  // Sources an author has edited are not overwritten by accident.
  if (!args.force) {
    for (auto kind : {model::FileKind::kLineSource, model::FileKind::kTrainSource}) {
      const std::string path = model::file_path(args.scenario.folder, kind, m);
      if (context.env.file_exists(path)) {
        context.err << "scenarioc: '" << path
                    << "' already exists; nothing written (--force replaces it)" << std::endl;
        return kExitPlatform;
      }
    }
  }
  for (auto writer : {writers::write_line_source, writers::write_train_source}) {
    if (platform::Status status = writer(m, context.env, args.scenario.folder)) {
      context.err << "scenarioc: " << status->message() << std::endl;
      return kExitPlatform;
    }
  }
  for (auto kind : {model::FileKind::kLineSource, model::FileKind::kTrainSource})
    context.out << "wrote " << model::file_path(args.scenario.folder, kind, m) << std::endl;
  return kExitOk;
}

}  // namespace

Subcommand add_sources_command(CLI::App& parent, const ToolContext& context) {
  auto args = std::make_shared<SourcesArgs>();
  CLI::App* command = parent.add_subcommand(
      "sources", "Writes the built-in line and train sources into FOLDER as a starting point");
  add_scenario_options(*command, args->scenario, /*folder_may_be_new=*/true);
  // Unlike the other commands, the names are optional here.
  command->get_option("--scenario")->required(false)->default_str(writers::kScenarioName);
  command->get_option("--train")->required(false)->default_str(writers::kTrainNumber);
  command->add_flag("--force", args->force, "Replace sources of those names that already exist");
  command->footer(
      "Writes NAME_linea.txt (the line Fiumicino Aeroporto - Roma Termini) and NAME_NUMBER-.txt\n"
      "(train 3291) into FOLDER, made when missing: Windows-1252 text with CR LF line ends,\n"
      "exactly as the installer writes them. Edit them, then run 'scenarioc check' and\n"
      "'scenarioc compile'. NAME and\n"
      "NUMBER default to the built-in scenario's \"Fiumicino Aeroporto_Roma\" and \"3291\".\n"
      "\n"
      "Exit status: 0 both sources written; 2 bad usage, a source of that name already there\n"
      "(without --force nothing is written), or a file that cannot be written.");
  return Subcommand{command, [args, &context] { return run_sources(*args, context); }};
}

}  // namespace tools
