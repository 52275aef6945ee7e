#include "run/run.h"

#include <ostream>
#include <vector>

#include "platform/program_path.h"
#include "run/failure_report.h"
#include "writers/writers.h"

namespace run {
namespace {

constexpr char kProgram[] = "fiumicino_roma_3291";

// Every refused file operation reaches the user: on the console, and in a
// message box for the user who double-clicked the program.
int report_failures(platform::Ui& ui, std::ostream& err,
                    const std::vector<platform::Error>& failures) {
  for (const platform::Error& f : failures) err << kProgram << ": " << f.message() << std::endl;
  ui.report_failure(failure_box_text(failures));
  return kExitPlatform;
}

}  // namespace

void show_error_message(platform::Ui& ui, const std::string& code) {
  ui.message_box(" Errore n. " + code);
}

int compile_and_report(platform::Env& env, platform::Ui& ui, const std::string& folder,
                       std::ostream& err) {
  return compile_and_report(env, ui, folder, kScenarioName, kTrainNumber, err);
}

int compile_and_report(platform::Env& env, platform::Ui& ui, const std::string& folder,
                       const std::string& scenario_name, const std::string& train_number,
                       std::ostream& err) {
  compiler::CompileRequest request;
  request.folder = folder;
  request.scenario_name = scenario_name;
  request.train_number = train_number;
  const compiler::CompileResult result = compiler::compile(env, request);
  if (result.ended_early) show_error_message(ui, std::to_string(result.status));
  if (result.failure) {
    std::vector<platform::Error> failures = {*result.failure};
    // The sources are this run's own: a compile that stopped before it
    // wrote the binary files may have left them behind.
    model::Scenario names;
    names.scenario_name = scenario_name;
    names.train_number = train_number;
    if (!result.files_written)
      if (platform::Status removal = remove_written_sources(env, folder, names, 2))
        failures.push_back(*removal);
    return report_failures(ui, err, failures);
  }
  // Any other status is recorded in the files, as the simulator expects.
  return result.ended_early ? kExitErrore : kExitOk;
}

int run_installer(platform::Env& env, platform::Ui& ui, const std::string& folder,
                  std::ostream& err) {
  return run_installer(env, ui, folder, built_in_scenario(), err);
}

int run_installer(platform::Env& env, platform::Ui& ui, const std::string& folder,
                  const InstallerScenario& scenario, std::ostream& err) {
  model::Scenario names;
  names.scenario_name = scenario.scenario_name;
  names.train_number = scenario.train_number;
  ui.show_waiting(kWaitingLabel);

  int exit_status = kExitOk;
  {
    // Another installer in this folder would delete the sources this one is
    // about to read, and put a half-read scenario in place of a whole one.
    const std::unique_ptr<platform::FolderLock> lock = env.lock_folder(folder);
    platform::Status failure;
    size_t written = 0;
    for (const InstallerScenario::File& file : scenario.files) {
      if ((failure = file.write(env, folder))) break;
      ++written;
    }
    if (failure) {
      std::vector<platform::Error> failures = {*failure};
      // Stopped before the compile: the sources it wrote would stay behind.
      if (platform::Status removal = remove_written_sources(env, folder, names, written))
        failures.push_back(*removal);
      exit_status = report_failures(ui, err, failures);
    } else {
      exit_status =
          compile_and_report(env, ui, folder, scenario.scenario_name, scenario.train_number, err);
    }
  }
  ui.close_waiting();
  return exit_status;
}

int run_program(platform::Env& env, platform::Ui& ui, const std::string& program_path,
                std::ostream& err) {
  const ScenarioChoice choice = choose_scenario(env, program_path);
  if (choice.failure) return report_failures(ui, err, {*choice.failure});
  if (!choice.damage.empty()) {
    err << kProgram << ": '" << program_path << "' is damaged: " << choice.damage
        << "; nothing was written" << std::endl;
    ui.report_failure(damaged_box_text(program_path));
    return kExitPlatform;
  }
  return run_installer(env, ui, platform::folder_of(program_path), choice.scenario, err);
}

}  // namespace run
