// `scenarioc check`: what a compile would find, without touching the folder.
#include <memory>
#include <ostream>

#include "tools/cli/binary_set.h"
#include "tools/cli/check.h"
#include "tools/cli/commands.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/scenario_options.h"

namespace tools {
namespace {

constexpr char kFooter[] =
    "Compiles the line source NAME_linea.txt and the train source NAME_NUMBER-.txt of FOLDER\n"
    "as 'compile' would, and FOLDER is left exactly as it is (no source deleted, no file\n"
    "written): the status and position are those 'compile' would record.\n"
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
    "   \"column\", \"source_line\", \"message\"}, \"notes\": [...], \"diagnostics\": [...]}\n"
    "where \"error\" and \"notes\" are the fault that gave the status and \"diagnostics\" lists\n"
    "every fault in the order found, each with its \"severity\", \"code\" and \"notes\".\n"
    "\n"
    "Warnings point at input that compiles but is almost surely not what was meant: a field\n"
    "that matches no keyword (with the nearest keyword), extra or missing fields, a decimal\n"
    "comma, a value stored other than as written, an entry past the end of the line, a curve\n"
    "whose side is unclear, a '#' line, a tab after a keyword, an unknown section header, text\n"
    "saved as UTF-8. They never change what 'compile' writes. On stderr, a note says when the\n"
    "folder's binary files are not a whole set, or a run stopped while it replaced them left a\n"
    "temporary file beside them.\n"
    "\n"
    "Exit status: 0 no fault (with --werror: and no warning); 1 a fault the compile records (the "
    "binary files would still be\n"
    "written); 3 a fault that would end the compile with \" Errore n. \" and no binary file;\n"
    "2 bad usage or a source that is missing or cannot be read (the message names the file).";

struct CheckArgs {
  ScenarioArgs scenario;
  bool json = false;
  bool werror = false;
};

int run_check(CheckArgs args, const ToolContext& context) {
  if (std::string problem = infer_scenario(args.scenario); !problem.empty()) {
    context.err << "scenarioc: " << problem << std::endl;
    return kExitPlatform;
  }
  const job::FolderCompile checked =
      check_scenario(context.env, args.scenario.folder, args.scenario.scenario, args.scenario.train,
                     /*keep_track_plan=*/false);
  if (checked.failure) {
    context.err << "scenarioc: " << checked.failure->message() << std::endl;
    return job::exit_status(job::outcome_of(checked), job::Program::kScenarioc);
  }
  const compiler::CompileResult& result = checked.result;
  context.out << (args.json ? report_json_text(result) : report_text(result)) << std::flush;
  // A run stopped while it replaced the binary files: said, whatever the
  // sources hold.
  for (const std::string& note :
       interrupted_set_notes(args.scenario.folder, args.scenario.scenario, args.scenario.train))
    context.err << "scenarioc: warning: " << note << std::endl;
  return check_exit_status(result, args.werror);
}

}  // namespace

Subcommand add_check_command(CLI::App& parent, const ToolContext& context) {
  auto args = std::make_shared<CheckArgs>();
  CLI::App* command = parent.add_subcommand(
      "check", "Reports what compiling FOLDER's sources would find, and where");
  add_scenario_options(*command, args->scenario);
  command->add_flag("--json", args->json, "Print the report as one JSON object");
  command->add_flag("--werror", args->werror,
                    "Fail (exit status 1) when there are warnings, as for a fault");
  command->footer(kFooter);
  return Subcommand{command, [args, &context] { return run_check(*args, context); }};
}

}  // namespace tools
