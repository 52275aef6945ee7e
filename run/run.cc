#include "run/run.h"

#include <ostream>
#include <vector>

#include "job/compile_job.h"
#include "model/status_codes.h"
#include "platform/program_path.h"
#include "run/failure_report.h"
#include "writers/writers.h"

namespace run {
namespace {

constexpr char kProgram[] = "fiumicino_roma_3291";

// Every refused file operation reaches the user: on the console, and in a
// message box for the user who double-clicked the program.
void report_failures(platform::Ui& ui, std::ostream& err,
                     const std::vector<platform::Error>& failures, bool installed = false) {
  if (installed) err << kProgram << ": the scenario is installed, but:" << std::endl;
  for (const platform::Error& f : failures) err << kProgram << ": " << f.message() << std::endl;
  ui.report_failure(failure_box_text(failures, installed));
}

constexpr int exit_status(job::Outcome outcome) {
  return job::exit_status(outcome, job::Program::kInstaller);
}

job::JobRequest installer_job(const std::string& folder, const std::string& scenario_name,
                              const std::string& train_number) {
  job::JobRequest request;
  request.folder = folder;
  request.scenario_name = scenario_name;
  request.train_number = train_number;
  request.delete_sources = job::JobRequest::SourceDeletion::kOnceRead;
  return request;
}

// A run that stopped before the binary files were in place: the sources it
// wrote (the first `written` of its files) go, and the failure is reported
// with a removal the system refused.
int report_stopped(platform::Env& env, platform::Ui& ui, std::ostream& err,
                   const job::JobRequest& request, platform::Error failure, size_t written) {
  model::Scenario names;
  names.scenario_name = request.scenario_name;
  names.train_number = request.train_number;
  std::vector<platform::Error> failures = {std::move(failure)};
  if (platform::Status removal = remove_written_sources(env, request.folder, names, written))
    failures.push_back(*removal);
  report_failures(ui, err, failures);
  return exit_status(job::Outcome::kFailed);
}

// What the user sees of the job's end: " Errore n. " for a compile that
// ended early, the failing file operation on `err` and in the box.
int report_job(platform::Env& env, platform::Ui& ui, const job::JobRequest& request,
               const job::JobResult& result, std::ostream& err, const platform::Status& unguarded) {
  const compiler::CompileResult& compile = result.compile;
  // This run wrote both sources a moment ago: without the folder's lock, one
  // that is gone was taken by another run at the same time, which is no
  // fault of the scenario.
  const bool source_taken =
      unguarded && ((compile.ended_early && compile.status == model::status::kNoLineSource) ||
                    (result.failure && !result.files_written &&
                     (result.failure->path == compile.line_source_path ||
                      result.failure->path == compile.train_source_path)));
  // The sources are this run's own (both were written): a compile that
  // stopped before it wrote the binary files may have left them behind.
  constexpr size_t kBothSources = 2;
  if (source_taken) {
    platform::Error taken = *unguarded;
    taken.reason +=
        "; another installation in this folder at the same time took the sources "
        "this one wrote: run it again once the other has finished";
    return report_stopped(env, ui, err, request, std::move(taken), kBothSources);
  }
  if (compile.ended_early) show_error_message(ui, std::to_string(compile.status));
  if (result.failure && !result.files_written)
    return report_stopped(env, ui, err, request, *result.failure, kBothSources);
  // The binary files in place: the scenario is installed, and what failed
  // after them (a source or an old file left, the folder not synced) is said
  // as such.
  if (result.failure) report_failures(ui, err, {*result.failure}, true);
  // Any other status is recorded in the files, as the simulator expects.
  return exit_status(result.outcome());
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
  const job::JobRequest request = installer_job(folder, scenario_name, train_number);
  return report_job(env, ui, request, job::run_job(env, request), err, unguarded);
}

int run_installer(platform::Env& env, platform::Ui& ui, const std::string& folder,
                  std::ostream& err, const platform::LockWait& wait) {
  return run_installer(env, ui, folder, built_in_scenario(), err, wait);
}

int run_installer(platform::Env& env, platform::Ui& ui, const std::string& folder,
                  const InstallerScenario& scenario, std::ostream& err,
                  const platform::LockWait& wait) {
  ui.show_waiting(kWaitingLabel);

  // Another installer in this folder would delete the sources this one is
  // about to read, and put a half-read scenario in place of a whole one: the
  // files are written under the lock the job holds until its end.
  InstallerLockObserver observer(ui, err);
  const job::JobRequest request =
      installer_job(folder, scenario.scenario_name, scenario.train_number);
  size_t written = 0;
  bool prepared = false;
  const job::JobResult result =
      job::run_locked_job(env, request, {wait, &observer}, [&]() -> platform::Status {
        for (const InstallerScenario::File& file : scenario.files) {
          if (platform::Status failure = file.write(env, folder)) return failure;
          ++written;
        }
        prepared = true;
        return platform::ok();
      });
  int status;
  if (prepared) {
    status = report_job(env, ui, request, result, err, observer.unguarded());
  } else {
    // The lock's wait given up, or a file not written: stopped before the
    // compile, the sources it wrote would stay behind.
    status = report_stopped(env, ui, err, request, *result.failure, written);
  }
  ui.close_waiting();
  return status;
}

int run_program(platform::Env& env, platform::Ui& ui, const std::string& program_path,
                std::ostream& err) {
  const ScenarioChoice choice = choose_scenario(env, program_path);
  if (choice.failure) {
    report_failures(ui, err, {*choice.failure});
    return kExitPlatform;
  }
  if (!choice.damage.empty()) {
    err << kProgram << ": '" << program_path << "' is damaged: " << choice.damage
        << "; nothing was written" << std::endl;
    ui.report_failure(damaged_box_text(program_path));
    return kExitPlatform;
  }
  return run_installer(env, ui, platform::folder_of(program_path), choice.scenario, err);
}

}  // namespace run
