// `scenarioc pack`: a scenario folder made into a one-click installer.
#include <memory>
#include <ostream>

#include "job/sources.h"
#include "model/file_names.h"
#include "payload/payload.h"
#include "platform/executable_file.h"
#include "tools/cli/check.h"
#include "tools/cli/commands.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/installer_file.h"
#include "tools/cli/scenario_options.h"

namespace tools {
namespace {

constexpr char kFooter[] =
    "Compiles the scenario in FOLDER as 'check' does, and when it has no fault writes FILE: the\n"
    "installer executable with the scenario packed into it. Run alone in the simulator's folder,\n"
    "FILE installs that scenario as the built-in installer installs its own: it writes the\n"
    "documents and the two sources, compiles them and deletes the sources.\n"
    "\n"
    "The installer packs the line source NAME_linea.txt, the train source NAME_NUMBER-.txt and,\n"
    "when FOLDER holds them, the documents NAME_NUMBER_note.txt (route notes),\n"
    "NAME_NUMBER_rallentamenti.txt (slowdown form) and NAME_NUMBER_scheda_treno.txt (train\n"
    "card), byte for byte. NAME and NUMBER may be left out when FOLDER holds one scenario with\n"
    "one train source; they must make file names on Windows (no folder separator, no \"..\",\n"
    "no control character, none of < > : \" | ? *).\n"
    "\n"
    "The starting point is --installer PATH, by default the installer built beside scenarioc.\n"
    "Any installer will do, a Windows .exe included (a Linux scenarioc makes Windows\n"
    "installers); a scenario it already carries is replaced, and bytes after it (a code\n"
    "signature) are dropped: sign FILE after packing. FILE defaults to NAME_NUMBER, or\n"
    "NAME_NUMBER.exe from a Windows installer, in the current folder. It is written to a\n"
    "temporary file and renamed, and may be run as a program.\n"
    "\n"
    "Exit status: 0 FILE written; 1 the scenario has a fault (with --werror: or a warning),\n"
    "reported as 'check' reports it on stderr, and nothing is written; 2 bad usage, a name\n"
    "refused, a starting installer that is damaged, or a file that cannot be read or written.";

struct PackArgs {
  ScenarioArgs scenario;
  std::string output;
  std::string installer;
  bool werror = false;
};

int fail(const ToolContext& context, const std::string& message) {
  context.err << "scenarioc: " << message << "; nothing written" << std::endl;
  return kExitPlatform;
}

// The scenario's files in FOLDER, as bytes: both sources, and the
// documents that are there.
platform::Status read_scenario_files(platform::Env& env, const std::string& folder,
                                     payload::Contents* contents) {
  for (model::FileKind kind : payload::kFileOrder) {
    const std::string path =
        folder + platform::kSeparator +
        model::file_name(kind, contents->scenario_name, contents->train_number);
    const bool source =
        kind == model::FileKind::kLineSource || kind == model::FileKind::kTrainSource;
    if (!source && !env.file_exists(path)) continue;
    payload::File file{kind, {}};
    if (platform::Status status =
            env.read_regular_file(path, compiler::kLargestSource, &file.bytes))
      return status;
    contents->files.push_back(std::move(file));
  }
  return platform::ok();
}

int run_pack(PackArgs args, const ToolContext& context) {
  if (std::string problem = infer_scenario(args.scenario); !problem.empty())
    return fail(context, problem);
  payload::Contents contents{args.scenario.scenario, args.scenario.train, {}};
  if (std::string problem = payload::name_problem(contents.scenario_name); !problem.empty())
    return fail(context, "the scenario name " + problem);
  if (std::string problem = payload::name_problem(contents.train_number); !problem.empty())
    return fail(context, "the train number " + problem);
  if (platform::Status status = read_scenario_files(context.env, args.scenario.folder, &contents))
    return fail(context, status->message());

  // The check runs on the very bytes that are packed.
  std::optional<std::string_view> line_bytes, train_bytes;
  for (const payload::File& file : contents.files) {
    if (file.kind == model::FileKind::kLineSource) line_bytes = file.bytes;
    if (file.kind == model::FileKind::kTrainSource) train_bytes = file.bytes;
  }
  const compiler::CompileResult result = compiler::compile_sources(
      job::decoded_sources(args.scenario.folder, contents.scenario_name, contents.train_number,
                           line_bytes, train_bytes));
  context.err << diagnostics_text(result);
  if (result.status != 0 || result.ended_early) {
    context.err << "scenarioc: the compile records status " << result.status
                << "; not packed, nothing written" << std::endl;
    return kExitStatus;
  }
  if (args.werror && warning_count(result) > 0) {
    context.err << "scenarioc: " << warning_count(result)
                << " warning(s) with --werror; not packed, nothing written" << std::endl;
    return kExitStatus;
  }

  if (args.installer.empty()) {
    std::string looked_at;
    args.installer = default_installer(context.env, &looked_at);
    if (args.installer.empty())
      return fail(context, "no installer beside scenarioc (looked for " + looked_at +
                               "); give --installer PATH");
  }
  std::string installer;
  payload::Reading reading;
  if (platform::Status status = read_installer(context.env, args.installer, &installer, &reading))
    return fail(context, status->message());
  if (reading.found == payload::Reading::Found::kDamaged)
    return fail(context, "the installer '" + args.installer + "' is damaged (" + reading.problem +
                             "); start from an undamaged one");
  // A scenario already packed is replaced, with what followed it.
  const std::string_view program = reading.found == payload::Reading::Found::kWhole
                                       ? std::string_view(installer).substr(0, reading.begin)
                                       : std::string_view(installer);

  if (args.output.empty()) {
    args.output = contents.scenario_name + "_" + contents.train_number;
    if (program.starts_with("MZ")) args.output += ".exe";
  }
  const std::string packed = std::string(program) + payload::encode(contents);
  if (packed.size() > payload::kLargestExecutable)
    return fail(context, "the packed installer would have " + std::to_string(packed.size()) +
                             " bytes, more than the " +
                             std::to_string(payload::kLargestExecutable) + " an installer reads");
  if (platform::Status status = platform::replace_executable_file(context.env, args.output, packed))
    return fail(context, status->message());
  context.out << "packed '" << contents.scenario_name << "' train " << contents.train_number << " ("
              << contents.files.size() << " files) into " << args.output << " (" << packed.size()
              << " bytes)" << std::endl;
  return kExitOk;
}

}  // namespace

Subcommand add_pack_command(CLI::App& parent, const ToolContext& context) {
  auto args = std::make_shared<PackArgs>();
  CLI::App* command =
      parent.add_subcommand("pack", "Makes the scenario in FOLDER into a one-click installer FILE");
  add_scenario_options(*command, args->scenario);
  command->add_option("-o,--output", args->output, "The installer to write")->type_name("FILE");
  command
      ->add_option("--installer", args->installer,
                   "The installer executable to start from (default: the one beside scenarioc)")
      ->type_name("PATH");
  command->add_flag("--werror", args->werror, "Refuse a scenario with warnings, as with a fault");
  command->footer(kFooter);
  return Subcommand{command, [args, &context] { return run_pack(*args, context); }};
}

}  // namespace tools
