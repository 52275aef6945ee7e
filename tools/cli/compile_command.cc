#include "tools/cli/compile_command.h"

#include <memory>
#include <ostream>
#include <vector>

#include "job/compile_job.h"
#include "model/file_names.h"
#include "tools/cli/check.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/status_report.h"

namespace tools {
namespace {

constexpr char kDescription[] = "Compiles a scenario's sources in FOLDER into its binary files";

constexpr char kFooter[] =
    "Reads the line source NAME_linea.txt and the train source NAME_NUMBER-.txt in FOLDER and\n"
    "writes the line geometry file NAME_linea.dat, the service file NAME_NUMBER.sim and the\n"
    "cell file NAME_NUMBER.dat into the same folder (or --out DIR), exactly as the installer\n"
    "does, except that the sources are kept. With --delete-sources both are deleted as the\n"
    "installer deletes them, but only once the three binary files are in place and flushed to\n"
    "the disk: a compile that fails, is stopped or is killed never costs the sources. The\n"
    "binary files are replaced as one set. Nothing is read unless both sources are there.\n"
    "FOLDER and DIR are locked (in a fixed order) against other compiles and installers; a\n"
    "lock held by another run is waited for, said after 2 seconds, and given up after\n"
    "--wait-lock seconds; a folder the system cannot lock is said, and compiled in anyway.\n"
    "A scenario name too long for the temporary files written beside the binary files is\n"
    "refused before anything is read.\n"
    "NAME and NUMBER may be left out when FOLDER holds one scenario with one train source.\n"
    "\n"
    "Prints the faults and warnings as 'scenarioc check' does, on stderr, then the status code\n"
    "of the compile, its meaning, and the position in metres for the\n"
    "codes that have one; with --json one object:\n"
    "  {\"status\": N, \"position\": M or null, \"message\": \"...\"}\n"
    "\n"
    "Exit status:\n"
    "  0  status 0: no fault; the binary files are written.\n"
    "  1  any other status: the fault is reported, and the binary files are written from the\n"
    "     scenario as far as it was read.\n"
    "  2  bad usage, a lock not released in time (nothing read or written), or a file\n"
    "     operation failed; the message on stderr names the file, the\n"
    "     operation and the reason. A source that cannot be opened or read stops the compile\n"
    "     with nothing deleted and no binary file changed; a source that was read but cannot\n"
    "     be deleted leaves the binary files written (their status is printed on stdout).\n"
    "  3  the compile ended through the error message (\" Errore n. \" and the code on\n"
    "     stderr, the status as above on stdout): codes 1250 and 1251, and faults found\n"
    "     before the line length has sized the cell track (101: no line source; 102; 1;\n"
    "     25 when it comes that early); no binary file is written.";

// Says on the console what the compile waits for, and which folder it
// compiles in without a lock.
class ConsoleLockObserver final : public platform::LockObserver {
 public:
  explicit ConsoleLockObserver(std::ostream& err) : err_(err) {}
  void waiting_for(const std::string& folder) override {
    err_ << "scenarioc: waiting: another run holds the lock of '" << folder << "'" << std::endl;
  }
  void unguarded(const platform::Error& why) override {
    err_ << "scenarioc: warning: " << why.message()
         << "; compiling without the lock: another run in this folder at the same time could "
            "take the sources or mix its binary files with these"
         << std::endl;
  }

 private:
  std::ostream& err_;
};

}  // namespace

int run_compile(CompileArgs args, const ToolContext& context) {
  if (std::string problem = infer_scenario(args.scenario); !problem.empty()) {
    context.err << "scenarioc: " << problem << std::endl;
    return kExitPlatform;
  }
  job::JobRequest request;
  request.folder = args.scenario.folder;
  request.scenario_name = args.scenario.scenario;
  request.train_number = args.scenario.train;
  request.build_line_file = !args.no_line_file;
  request.delete_sources = args.delete_sources ? job::JobRequest::SourceDeletion::kOnceWritten
                                               : job::JobRequest::SourceDeletion::kKeep;
  request.output_folder = args.out;
  request.require_both_sources = true;
  // Another compile or installer in these folders would delete the sources
  // this one is about to read, or mix its binary files with this one's.
  ConsoleLockObserver observer(context.err);
  job::Locking locking{{}, &observer};
  locking.wait.give_up_after_ms = static_cast<long>(args.wait_lock_seconds * 1000);
  const job::JobResult result = job::run_locked_job(context.env, request, locking);
  const job::Outcome outcome = result.outcome();
  if (!result.missing_source.empty()) {
    context.err << "scenarioc: no source '" << result.missing_source
                << "'; nothing was read or deleted" << std::endl;
    return job::exit_status(outcome, job::Program::kScenarioc);
  }
  const compiler::CompileResult& compile = result.compile;
  // The same located messages as check's.
  context.err << diagnostics_text(compile);
  if (result.failure) {
    context.err << "scenarioc: " << result.failure->message() << std::endl;
    // A source that was read whole but could not be deleted still leaves the
    // binary files written: say what they hold.
    if (result.files_written)
      print_status(context.out, args.json, compile.status, compile.error_position);
    return job::exit_status(outcome, job::Program::kScenarioc);
  }
  if (compile.ended_early) context.err << " Errore n. " << compile.status << std::endl;
  print_status(context.out, args.json, compile.status, compile.error_position);
  return job::exit_status(outcome, job::Program::kScenarioc);
}

Subcommand add_compile_command(CLI::App& parent, const ToolContext& context) {
  auto args = std::make_shared<CompileArgs>();
  CLI::App* command = parent.add_subcommand("compile", kDescription);
  add_scenario_options(*command, args->scenario);
  command->add_flag("--no-line-file", args->no_line_file,
                    "Do not build the track plan and leave NAME_linea.dat as it is (not created, "
                    "replaced or deleted)");
  CLI::Option* keep = command->add_flag("--keep-sources", args->keep_sources,
                                        "Leave both sources in FOLDER (the default)");
  command
      ->add_flag("--delete-sources", args->delete_sources,
                 "Delete both sources once the binary files are durably in place, as the "
                 "installer does")
      ->excludes(keep);
  command->add_option("--out", args->out, "Write the binary files into DIR instead of FOLDER")
      ->type_name("DIR")
      ->check(CLI::Validator([](std::string& value) { return check_folder(value); }, "", "folder"));
  command->add_flag("--json", args->json, "Print the status as one JSON object");
  command
      ->add_option("--wait-lock", args->wait_lock_seconds,
                   "How long to wait for another run that holds the lock of FOLDER or DIR, then "
                   "stop having written nothing")
      ->type_name("SECONDS")
      ->capture_default_str()
      ->check(CLI::NonNegativeNumber);
  command->footer(kFooter);
  return Subcommand{command, [args, &context] { return run_compile(*args, context); }};
}

}  // namespace tools
