// `scenarioc check`: what a compile would find, without touching the folder.
#include <memory>
#include <ostream>

#include "run/run.h"
#include "tools/check.h"
#include "tools/commands.h"
#include "tools/scenario_options.h"
#include "tools/source_files.h"

namespace tools {
namespace {

constexpr char kFooter[] =
    "Compiles a copy of the line source NAME_linea.txt and the train source NAME_NUMBER-.txt\n"
    "of FOLDER in memory; FOLDER is left exactly as it is (no source deleted, no file written).\n"
    "\n"
    "Reports the status code of the compile, its meaning, the position in metres for the codes\n"
    "that have one, and the source entry that caused it:\n"
    "  FILE:LINE:COLUMN: error: MEANING (status N, at M m)\n"
    "  the source line\n"
    "  a caret under the field at fault (columns count characters, from 1)\n"
    "followed by notes that name the other cells and entries involved (for the markers around\n"
    "slowdowns, codes 11, 12 and 13). With --json one object:\n"
    "  {\"status\", \"position\", \"message\", \"ended_by_errore\", \"error\": {\"file\", "
    "\"line\",\n"
    "   \"column\", \"source_line\", \"message\"}, \"notes\": [...]}\n"
    "\n"
    "Exit status: 0 no fault; 1 a fault the compile records (the binary files would still be\n"
    "written); 3 a fault that would end the compile with \" Errore n. \" and no binary file;\n"
    "2 bad usage or a file that cannot be read.";

struct CheckArgs {
  ScenarioArgs scenario;
  bool json = false;
};

int run_check(const CheckArgs& args, const ToolContext& context) {
  CheckInput input;
  if (platform::Status status = read_sources(context.env, args.scenario, &input)) {
    context.err << "scenarioc: " << status->message() << std::endl;
    return run::kExitPlatform;
  }
  CheckReport report = check_scenario(input);
  if (args.json)
    context.out << report_json(report).dump(2) << std::endl;
  else
    context.out << report_text(report);
  if (report.ended_by_errore) return run::kExitErrore;
  return report.status == 0 ? run::kExitOk : run::kExitStatus;
}

}  // namespace

Subcommand add_check_command(CLI::App& parent, const ToolContext& context) {
  auto args = std::make_shared<CheckArgs>();
  CLI::App* command = parent.add_subcommand(
      "check", "Reports what compiling FOLDER's sources would find, and where");
  add_scenario_options(*command, args->scenario);
  command->add_flag("--json", args->json, "Print the report as one JSON object");
  command->footer(kFooter);
  return Subcommand{command, [args, &context] { return run_check(*args, context); }};
}

}  // namespace tools
