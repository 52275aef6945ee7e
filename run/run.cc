#include "run/run.h"

#include <ostream>
#include <vector>

#include "model/status_codes.h"
#include "platform/program_path.h"
#include "run/failure_report.h"
#include "writers/writers.h"

namespace run {
namespace {

constexpr char kProgram[] = "fiumicino_roma_3291";

// Every refused file operation reaches the user: on the console, and in a
// message box for the user who double-clicked the program.
int report_failures(platform::Ui& ui, std::ostream& err,
                    const std::vector<platform::Error>& failures, bool installed = false) {
  if (installed) err << kProgram << ": the scenario is installed, but:" << std::endl;
  for (const platform::Error& f : failures) err << kProgram << ": " << f.message() << std::endl;
  ui.report_failure(failure_box_text(failures, installed));
  return installed ? kExitInstalledWithProblem : kExitPlatform;
}

// Says on the console, and under the window's label, what the run waits
// for; a lock the system refuses is said on the console and kept, to
// explain a failure that another run at the same time may have caused.
class InstallerLockObserver final : public platform::LockObserver {
 public:
  InstallerLockObserver(platform::Ui& ui, std::ostream& err) : ui_(ui), err_(err) {}

  void waiting_for(const std::string& folder) override {
    err_ << kProgram << ": waiting: another installation is in progress in '" << folder << "'"
         << std::endl;
    ui_.show_waiting_note(kWaitingForOtherRun);
  }
  void unguarded(const platform::Error& why) override {
    err_ << kProgram << ": " << why.message()
         << "; installing without the lock: another installation in this folder at the same "
            "time could take these files"
         << std::endl;
    unguarded_ = why;
  }
  // The refused lock, as one more line of a failure's report.
  const platform::Status& unguarded() const { return unguarded_; }

 private:
  platform::Ui& ui_;
  std::ostream& err_;
  platform::Status unguarded_;
};

}  // namespace

void show_error_message(platform::Ui& ui, const std::string& code) {
  ui.message_box(" Errore n. " + code);
}

int compile_and_report(platform::Env& env, platform::Ui& ui, const std::string& folder,
                       std::ostream& err, const platform::Status& unguarded) {
  return compile_and_report(env, ui, folder, kScenarioName, kTrainNumber, err, unguarded);
}

int compile_and_report(platform::Env& env, platform::Ui& ui, const std::string& folder,
                       const std::string& scenario_name, const std::string& train_number,
                       std::ostream& err, const platform::Status& unguarded) {
  compiler::CompileRequest request;
  request.folder = folder;
  request.scenario_name = scenario_name;
  request.train_number = train_number;
  const compiler::CompileResult result = compiler::compile(env, request);
  // This run wrote both sources a moment ago: without the folder's lock, one
  // that is gone was taken by another run at the same time, which is no
  // fault of the scenario.
  const bool source_taken =
      unguarded && ((result.ended_early && result.status == model::status::kNoLineSource) ||
                    (result.failure && !result.files_written &&
                     (result.failure->path == result.line_source_path ||
                      result.failure->path == result.train_source_path)));
  // The sources are this run's own: a compile that stopped before it wrote
  // the binary files may have left them behind.
  model::Scenario names;
  names.scenario_name = scenario_name;
  names.train_number = train_number;
  if (source_taken) {
    platform::Error taken = *unguarded;
    taken.reason +=
        "; another installation in this folder at the same time took the sources "
        "this one wrote: run it again once the other has finished";
    std::vector<platform::Error> failures = {taken};
    if (platform::Status removal = remove_written_sources(env, folder, names, 2))
      failures.push_back(*removal);
    return report_failures(ui, err, failures);
  }
  if (result.ended_early) show_error_message(ui, std::to_string(result.status));
  if (result.failure) {
    std::vector<platform::Error> failures = {*result.failure};
    if (!result.files_written)
      if (platform::Status removal = remove_written_sources(env, folder, names, 2))
        failures.push_back(*removal);
    // The binary files in place: the scenario is installed, and what failed
    // after them (a source or an old file left, the folder not synced) is
    // said as such.
    return report_failures(ui, err, failures, result.files_written);
  }
  // Any other status is recorded in the files, as the simulator expects.
  return result.ended_early ? kExitErrore : kExitOk;
}

int run_installer(platform::Env& env, platform::Ui& ui, const std::string& folder,
                  std::ostream& err, const platform::LockWait& wait) {
  return run_installer(env, ui, folder, built_in_scenario(), err, wait);
}

int run_installer(platform::Env& env, platform::Ui& ui, const std::string& folder,
                  const InstallerScenario& scenario, std::ostream& err,
                  const platform::LockWait& wait) {
  model::Scenario names;
  names.scenario_name = scenario.scenario_name;
  names.train_number = scenario.train_number;
  ui.show_waiting(kWaitingLabel);

  int exit_status = kExitOk;
  {
    // Another installer in this folder would delete the sources this one is
    // about to read, and put a half-read scenario in place of a whole one.
    InstallerLockObserver observer(ui, err);
    std::vector<std::unique_ptr<platform::FolderLock>> locks;
    if (platform::Status timeout = platform::lock_folders(env, {folder}, wait, observer, &locks)) {
      exit_status = report_failures(ui, err, {*timeout});
      ui.close_waiting();
      return exit_status;
    }
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
      exit_status = compile_and_report(env, ui, folder, scenario.scenario_name,
                                       scenario.train_number, err, observer.unguarded());
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
