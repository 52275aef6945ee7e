#include "run/run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "platform/env.h"
#include "platform/env_wrapper.h"
#include "platform/mem_env.h"
#include "platform/ui.h"
#include "run/failure_report.h"
#include "tests/support/given_scenario.h"
#include "tests/support/scenario_sources.h"
#include "writers/writers.h"

namespace {

using model::FileKind;
using platform::MemEnv;

constexpr char kFolder[] = "/scen";

// Records what the run shows, and how many files existed when the window
// appeared.
class FakeUi final : public platform::Ui {
 public:
  explicit FakeUi(platform::MemEnv* env = nullptr) : env_(env) {}
  void show_waiting(std::string_view label) override {
    calls.push_back("show " + std::string(label));
    files_at_show = env_ ? env_->files().size() : 0;
  }
  void close_waiting() override { calls.push_back("close"); }
  void show_waiting_note(std::string_view note) override {
    calls.push_back("note " + std::string(note));
  }
  void message_box(std::string_view text) override {
    calls.push_back("box");
    boxes.emplace_back(text);
  }

  std::vector<std::string> calls;
  std::vector<std::string> boxes;
  size_t files_at_show = 0;

 private:
  platform::MemEnv* env_;
};

model::Scenario given_model() {
  model::Scenario m;
  m.scenario_name = run::kScenarioName;
  m.train_number = run::kTrainNumber;
  return m;
}

std::string path_of(FileKind kind, const std::string& folder = kFolder) {
  return model::file_path(folder, kind, given_model());
}

using Writer = platform::Status (*)(const model::Scenario&, platform::Env&, const std::string&);
struct WriterStep {
  Writer writer;
  FileKind kind;
};
// The five writers in the order of the run.
const WriterStep kWriters[] = {{writers::write_line_source, FileKind::kLineSource},
                               {writers::write_train_source, FileKind::kTrainSource},
                               {writers::write_route_notes, FileKind::kRouteNotes},
                               {writers::write_slowdown_form, FileKind::kSlowdownForm},
                               {writers::write_train_card, FileKind::kTrainCard}};

// The files of the first `count` writers, as they write them alone.
std::map<std::string, std::string> written_by_first(size_t count) {
  MemEnv env;
  for (size_t i = 0; i < count; ++i) EXPECT_FALSE(kWriters[i].writer(given_model(), env, kFolder));
  return env.files();
}

const FileKind kDocuments[] = {FileKind::kRouteNotes, FileKind::kSlowdownForm,
                               FileKind::kTrainCard};
const FileKind kBinaries[] = {FileKind::kLineGeometry, FileKind::kService, FileKind::kCells};

// --- The error message ----------------------------------------------------------------

TEST(ErrorMessage, ShowsTheCodeAfterOneBlank) {
  FakeUi ui;
  run::show_error_message(ui, "1251");
  EXPECT_EQ(ui.calls, std::vector<std::string>{"box"});
  EXPECT_EQ(ui.boxes, std::vector<std::string>{" Errore n. 1251"});
}

// --- The whole run ------------------------------------------------------------------

TEST(InstallerRun, ShowsTheWindowBeforeAnyFileAndClosesItLast) {
  MemEnv env;
  FakeUi ui(&env);
  std::ostringstream err;
  run::run_installer(env, ui, kFolder, err);
  ASSERT_FALSE(ui.calls.empty());
  EXPECT_EQ(ui.calls.front(), "show Attendere");
  EXPECT_EQ(ui.files_at_show, 0u);
  EXPECT_EQ(ui.calls.back(), "close");
}

// Waits for the parsers.
TEST(InstallerRun, LeavesTheThreeDocumentsAndTheThreeBinaryFiles) {
  MemEnv env;
  FakeUi ui(&env);
  std::ostringstream err;
  ASSERT_EQ(run::run_installer(env, ui, kFolder, err), run::kExitOk) << err.str();
  EXPECT_EQ(err.str(), "");
  EXPECT_TRUE(ui.boxes.empty());

  std::vector<std::string> expected_names, names;
  for (FileKind kind : kDocuments) expected_names.push_back(path_of(kind));
  for (FileKind kind : kBinaries) expected_names.push_back(path_of(kind));
  std::sort(expected_names.begin(), expected_names.end());
  for (const auto& [path, content] : env.files()) names.push_back(path);
  EXPECT_EQ(names, expected_names) << "both sources must be gone, nothing else left";

  const auto documents = written_by_first(5);
  for (FileKind kind : kDocuments)
    EXPECT_EQ(env.files()[path_of(kind)], documents.at(path_of(kind)));
  testing_support::expect_given_geometry(env.files()[path_of(FileKind::kLineGeometry)]);
  testing_support::expect_given_service(env.files()[path_of(FileKind::kService)]);
  testing_support::expect_given_cells(env.files()[path_of(FileKind::kCells)]);

  // A second start rewrites everything to the same bytes.
  const auto first = env.files();
  FakeUi again(&env);
  EXPECT_EQ(run::run_installer(env, again, kFolder, err), run::kExitOk);
  EXPECT_EQ(env.files(), first);
}

TEST(InstallerRun, InTheRootFolderEveryNameGetsTheSeparatorAnyway) {
  const std::string root = std::string(1, platform::kSeparator);
  EXPECT_EQ(path_of(FileKind::kService, root),
            root + platform::kSeparator + "Fiumicino Aeroporto_Roma_3291.sim");

  MemEnv in_folder, in_root;
  FakeUi ui_folder, ui_root;
  std::ostringstream err;
  const int status = run::run_installer(in_folder, ui_folder, kFolder, err);
  EXPECT_EQ(run::run_installer(in_root, ui_root, root, err), status);
  // The same files with the same bytes, each named root + separator + name.
  std::map<std::string, std::string> renamed;
  for (const auto& [path, content] : in_folder.files())
    renamed[root + platform::kSeparator + path.substr(sizeof kFolder)] = content;
  EXPECT_FALSE(renamed.empty());
  EXPECT_EQ(in_root.files(), renamed);
}

// --- The compile step on hand-made sources ---------------------------------------------

struct SlotCase {
  const char* name;
  const char* line_entry;  // puts a feature with values into cell 1
  int32_t code;
  friend void PrintTo(const SlotCase& c, std::ostream* os) { *os << c.name; }
};

class ReservedSlotRun : public ::testing::TestWithParam<SlotCase> {};

// Waits for the parsers.
TEST_P(ReservedSlotRun, EndsThroughTheErrorMessageAndLeavesTheOldBinaryFiles) {
  MemEnv env;
  for (FileKind kind : kBinaries) env.files()[path_of(kind)] = "earlier run";
  ASSERT_FALSE(
      testing_support::write_source(env, path_of(FileKind::kLineSource),
                                    testing_support::line_source_with({GetParam().line_entry})));
  ASSERT_FALSE(writers::write_train_source(given_model(), env, kFolder));

  FakeUi ui;
  std::ostringstream err;
  EXPECT_EQ(run::compile_and_report(env, ui, kFolder, err), run::kExitErrore);
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(ui.boxes, std::vector<std::string>{" Errore n. " + std::to_string(GetParam().code)});
  std::map<std::string, std::string> expected;
  for (FileKind kind : kBinaries) expected[path_of(kind)] = "earlier run";
  EXPECT_EQ(env.files(), expected) << "both sources read and deleted, no binary touched";
}

INSTANTIATE_TEST_SUITE_P(
    CellOne, ReservedSlotRun,
    ::testing::Values(
        // A name board at metre 0 stands in cell 1 with its text record as value_a.
        SlotCase{"name_board", "cartello_indicatore,  0,   (PROVA)", 1250},
        // A speed board at metre 0 with only a second-group speed: value_a 0, value_b 20.
        SlotCase{"speed_board", "indicatori_vmax,  0,  0,  1,  0,  0,  0,  0,  0,  0", 1251}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The folder's lock -------------------------------------------------------------------

// A short wait, so that the tests need no more than a moment.
platform::LockWait short_wait() {
  platform::LockWait wait;
  wait.notice_after_ms = 20;
  wait.give_up_after_ms = 150;
  wait.poll_ms = 5;
  return wait;
}

// Another run holds the lock the whole time: this one says what it waits
// for, in the window and on the console, then stops having written nothing.
TEST(InstallerLock, AHeldLockIsWaitedForAloudThenTheRunStopsHavingWrittenNothing) {
  MemEnv env;
  env.files()[path_of(FileKind::kTrainSource)] = "an author's older train source";
  const auto before = env.files();
  std::unique_ptr<platform::FolderLock> other;
  ASSERT_FALSE(env.try_lock_folder(kFolder, &other));
  ASSERT_TRUE(other);
  FakeUi ui(&env);
  std::ostringstream err;
  EXPECT_EQ(run::run_installer(env, ui, kFolder, err, short_wait()), run::kExitPlatform);
  EXPECT_EQ(env.files(), before);
  EXPECT_EQ(ui.calls, (std::vector<std::string>{"show Attendere",
                                                std::string("note ") + run::kWaitingForOtherRun,
                                                "box", "close"}));
  EXPECT_EQ(err.str(),
            "fiumicino_roma_3291: waiting: another installation is in progress in '/scen'\n"
            "fiumicino_roma_3291: cannot lock '/scen': another run in this folder has held it "
            "for 0 s; nothing was written\n");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0],
            "Installazione interrotta.\n\nImpossibile riservare la cartella:\n/scen\n\nMotivo: "
            "another run in this folder has held it for 0 s; nothing was written");

  // Released, the next run installs.
  other.reset();
  FakeUi next(&env);
  EXPECT_EQ(run::run_installer(env, next, kFolder, err, short_wait()), run::kExitOk);
}

// The system cannot lock the folder: the run says so on the console and
// installs all the same.
TEST(InstallerLock, AFolderThatCannotBeLockedIsSaidAndTheRunGoesOn) {
  MemEnv base;
  platform::FaultEnv env(base);
  env.fail_locks(true);
  FakeUi ui(&base);
  std::ostringstream err;
  EXPECT_EQ(run::run_installer(env, ui, kFolder, err, short_wait()), run::kExitOk);
  EXPECT_EQ(err.str(),
            "fiumicino_roma_3291: cannot lock '/scen': No locks available (injected); installing "
            "without the lock: another installation in this folder at the same time could take "
            "these files\n");
  EXPECT_TRUE(ui.boxes.empty());
  testing_support::expect_given_cells(base.files()[path_of(FileKind::kCells)]);
}

// Passes every call to a MemEnv, but cannot lock, and takes the line source
// away as the compile is about to read it, as another unguarded run would.
class TakingEnv final : public platform::EnvWrapper {
 public:
  using EnvWrapper::EnvWrapper;
  bool file_exists(const std::string& path) override {
    if (path == path_of(FileKind::kLineSource)) target().delete_file(path);
    return target().file_exists(path);
  }
  platform::Status try_lock_folder(const std::string& f,
                                   std::unique_ptr<platform::FolderLock>* l) override {
    l->reset();
    return platform::Error{"lock", f, "No locks available"};
  }
};

// Without the lock another run may take the sources this one wrote: that is
// said as what it is, not as a fault of the scenario (" Errore n. 101").
TEST(InstallerLock, SourcesTakenByAnUnguardedRunAreNotReportedAsItsOwnFault) {
  MemEnv base;
  TakingEnv env(base);
  FakeUi ui(&base);
  std::ostringstream err;
  EXPECT_EQ(run::run_installer(env, ui, kFolder, err, short_wait()), run::kExitPlatform);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].find("Errore n."), std::string::npos) << ui.boxes[0];
  EXPECT_NE(ui.boxes[0].find("another installation in this folder at the same time took the "
                             "sources this one wrote"),
            std::string::npos)
      << ui.boxes[0];
  EXPECT_EQ(base.files().count(path_of(FileKind::kTrainSource)), 0u) << "its own source removed";
}

// --- Stopping before the compile ----------------------------------------------------------

// The run removes the sources it wrote, and only those: an older train source
// that it could not replace is the author's, and stays byte for byte.
TEST(InstallerEarlyStop, LeavesAnOlderTrainSourceItCouldNotReplace) {
  MemEnv base;
  base.files()[path_of(FileKind::kTrainSource)] = "an older train source\r\n";
  platform::FaultEnv env(base);
  // The line source's rename is the first, the train source's the second.
  env.fail_nth(platform::Op::kRename, 2);
  FakeUi ui(&base);
  std::ostringstream err;
  EXPECT_EQ(run::run_installer(env, ui, kFolder, err), run::kExitPlatform);
  EXPECT_EQ(base.files(), (std::map<std::string, std::string>{
                              {path_of(FileKind::kTrainSource), "an older train source\r\n"}}));
}

}  // namespace

// --- A platform failure, for a user without a console -------------------------------------

namespace failure_box {

TEST(FailureBoxText, NamesWhatCouldNotBeDoneToWhichFileAndWhyInItalian) {
  struct Case {
    std::vector<platform::Error> failures;
    const char* text;
  } cases[] = {
      {{{"write", "C:\\Treni\\a.dat.7-1.tmp~", "Spazio su disco insufficiente."}},
       "Installazione interrotta.\n\nImpossibile scrivere:\nC:\\Treni\\a.dat.7-1.tmp~\n\n"
       "Motivo: Spazio su disco insufficiente."},
      {{{"replace", "/t/b.sim", "Is a directory"}, {"delete", "/t/c.txt", "Permission denied"}},
       "Installazione interrotta.\n\nImpossibile sostituire:\n/t/b.sim\n\nMotivo: Is a directory"
       "\n\nImpossibile eliminare:\n/t/c.txt\n\nMotivo: Permission denied"},
      {{{"flush", "/t", "Input/output error"}},
       "Installazione interrotta.\n\nImpossibile salvare su disco:\n/t\n\nMotivo: Input/output "
       "error"},
      {{{"find the folder of", "/proc/self/exe", "No such file or directory"}},
       "Installazione interrotta.\n\nImpossibile usare:\n/proc/self/exe\n\nMotivo: No such file "
       "or directory"},
  };
  for (const Case& c : cases) EXPECT_EQ(run::failure_box_text(c.failures), c.text);
}

// A set of binary files that could not be replaced says whether the old set
// is whole again, or which file is new, which old and which missing; a run
// that installed everything before its failure says so.
TEST(FailureBoxText, SaysWhatAFailedSetLeftAndWhetherTheRunInstalled) {
  platform::Error restored("replace", "/t/a.sim", "Sharing violation");
  restored.set_restored = true;
  EXPECT_EQ(run::failure_box_text({restored}),
            "Installazione interrotta.\n\nImpossibile sostituire:\n/t/a.sim\n\nMotivo: Sharing "
            "violation\n\nI file gi\u00e0 sostituiti sono stati ripristinati: la versione "
            "precedente \u00e8 intatta.");
  platform::Error mixed("replace", "/t/a.dat", "Input/output error");
  mixed.left = {{"/t/l.dat", platform::LeftFile::Holds::kNew, ""},
                {"/t/a.sim", platform::LeftFile::Holds::kNothing, "/t/a.sim.9-2.tmp~"},
                {"/t/a.dat", platform::LeftFile::Holds::kOld, ""}};
  EXPECT_EQ(run::failure_box_text({mixed}),
            "Installazione interrotta.\n\nImpossibile sostituire:\n/t/a.dat\n\nMotivo: "
            "Input/output error\n\nNon \u00e8 stato possibile ripristinare la versione "
            "precedente:\n/t/l.dat: nuovo\n/t/a.sim: mancante, la versione precedente \u00e8 in "
            "/t/a.sim.9-2.tmp~\n/t/a.dat: precedente");
  EXPECT_EQ(mixed.message(),
            "cannot replace '/t/a.dat': Input/output error; the files could not all be put back: "
            "'/t/l.dat' is new; '/t/a.sim' is missing, its old content is in "
            "'/t/a.sim.9-2.tmp~'; '/t/a.dat' is old");
  EXPECT_EQ(run::failure_box_text({{"delete", "/t/x-.txt", "Permission denied"}}, true),
            "Installazione completata, ma:\n\nImpossibile eliminare:\n/t/x-.txt\n\nMotivo: "
            "Permission denied");
}

TEST(FailureBoxText, TheConsoleShowsOnlyItsOwnMessage) {
  std::ostringstream out, err;
  std::unique_ptr<platform::Ui> ui = platform::make_console_ui(out, err);
  ui->report_failure("Installazione interrotta.");
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "");
}

}  // namespace failure_box
