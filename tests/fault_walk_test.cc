// Every file operation of a whole run, made to fail in turn.
//
// A clean run is made first and its calls are counted; then the run is
// repeated from the same folder once for each call, with that call failing,
// in four ways: that call alone; that operation for good from that call on;
// every operation from that call on (the machine breaks down); and the
// machine breaking down followed by a power cut, which loses every byte no
// flush pushed to the device. A disk that fills up is walked over the
// boundaries of every file the run writes.
//
// After each run:
//  - every file holds its bytes from the start or its complete new bytes,
//    the new ones exactly when its replacement was put in place; a temporary
//    file is left only when the machine refused to delete it;
//  - a failure while a file is replaced stops the run there: no file after
//    it is touched, and the run reports the operation, the file and the
//    reason with exit status 2;
//  - a source that cannot be opened or read stops the compile with exit
//    status 2, naming it: no source is deleted and no binary file touched;
//  - a source that was read but cannot be deleted is reported with exit
//    status 2, and the run still writes the binary files, complete.
// Both the installer run and `scenarioc compile` are walked, each from a
// folder without earlier files and from one with old versions of every file
// the run writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "model/status_codes.h"
#include "platform/env.h"
#include "platform/mem_env.h"
#include "platform/ui.h"
#include "run/failure_report.h"
#include "run/run.h"
#include "tests/support/folders.h"
#include "tests/support/given_scenario.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/scenarioc_app.h"
#include "tools/cli/status_report.h"
#include "tools/decode/binary_readers.h"
#include "writers/writers.h"

namespace {

namespace fs = std::filesystem;
using model::FileKind;
using platform::FaultEnv;
using platform::Op;
using testing_support::Folder;
using testing_support::kGivenScenario;
using testing_support::kGivenTrain;

constexpr Op kOps[] = {Op::kOpen,  Op::kRead,   Op::kWrite, Op::kFlush,
                       Op::kClose, Op::kRename, Op::kDelete};

// How the machine stays after the first failure.
enum class Mode {
  kOneCall,    // only the chosen call fails
  kOpBroken,   // the chosen call's operation fails from then on
  kBreakdown,  // every operation fails from the chosen call on
  kPowerCut,   // a breakdown, then the power goes off
};

// Where a failing call falls in the run.
enum class Place {
  kReplacing,       // replacing one of the files the run writes
  kReadingSource,   // opening or reading a source, before anything is deleted or written
  kDeletingSource,  // deleting a source once both passes have read what they need
};

// What a run did.
struct Result {
  int status = -1;
  std::string out;
  std::string err;
  std::string boxes;  // the texts of the message boxes, one a line
  Folder folder;      // what it left
  std::vector<FaultEnv::Call> trace;
};

// What a run must say at its end.
struct Said {
  int status;
  std::string out;
  std::string err;
  std::string boxes;
};

using Arm = std::function<void(FaultEnv&)>;

bool is_temporary(const std::string& path) { return !platform::target_of_temporary(path).empty(); }

// The file a call works for: a temporary file works for its target.
std::string target_of(const std::string& path) {
  return is_temporary(path) ? platform::target_of_temporary(path) : path;
}

// A path as two runs can compare it: a temporary file's name holds the
// process and the attempt, which differ from run to run.
std::string comparable(const std::string& path) {
  return is_temporary(path) ? target_of(path) + " (temporary)" : path;
}

// --- The two programs under the walk ----------------------------------------------------

class Subject {
 public:
  explicit Subject(std::string folder) : folder_(std::move(folder)) {}
  virtual ~Subject() = default;

  const std::string& folder() const { return folder_; }
  std::string path(FileKind kind) const {
    return folder_ + platform::kSeparator + model::file_name(kind, kGivenScenario, kGivenTrain);
  }
  std::vector<std::string> binaries() const {
    return {path(FileKind::kLineGeometry), path(FileKind::kService), path(FileKind::kCells)};
  }
  std::vector<std::string> sources() const {
    return {path(FileKind::kLineSource), path(FileKind::kTrainSource)};
  }
  bool is_source(const std::string& p) const {
    return p == path(FileKind::kLineSource) || p == path(FileKind::kTrainSource);
  }

  // The files the run finds in the folder, besides earlier versions of those
  // it writes.
  virtual Folder inputs() const = 0;
  // The texts the run writes before it compiles, as they are written.
  virtual Folder texts() const = 0;
  // Runs once on a FaultEnv armed by `arm`, over a folder that holds exactly
  // `start`; after a power cut, the folder is what the device kept.
  virtual Result run(const Folder& start, const Arm& arm, bool power_cut) = 0;
  // What the run says when the failure it reports fell at `place`;
  // `failures` are the failures it reports: the first that fell outside the
  // parsers, then a refused clean-up of the sources it wrote.
  // `installed`: the binary files were all put in place before it.
  virtual Said said(Place place, const std::vector<platform::Error>& failures,
                    bool installed) const = 0;
  // Whether the run removes the sources it wrote itself when it stops
  // before the binary files are written.
  virtual bool removes_own_sources() const = 0;
  // Whether the sources are deleted only once the binary files are in place
  // (else once both are read, before the binary files are written).
  virtual bool deletes_sources_last() const = 0;

 protected:
  // The five writers' files, named under this subject's folder.
  Folder written_by_writers(std::initializer_list<FileKind> kinds) const {
    platform::MemEnv env;
    model::Scenario m;
    m.scenario_name = kGivenScenario;
    m.train_number = kGivenTrain;
    using Writer = platform::Status (*)(const model::Scenario&, platform::Env&, const std::string&);
    const std::pair<FileKind, Writer> writers[] = {
        {FileKind::kLineSource, writers::write_line_source},
        {FileKind::kTrainSource, writers::write_train_source},
        {FileKind::kRouteNotes, writers::write_route_notes},
        {FileKind::kSlowdownForm, writers::write_slowdown_form},
        {FileKind::kTrainCard, writers::write_train_card}};
    for (const auto& [kind, writer] : writers)
      if (std::find(kinds.begin(), kinds.end(), kind) != kinds.end()) {
        EXPECT_FALSE(writer(m, env, folder_));
      }
    return env.files();
  }

 private:
  std::string folder_;
};

// Records the message boxes; the window itself shows nothing here.
class RecordingUi final : public platform::Ui {
 public:
  void show_waiting(std::string_view) override {}
  void close_waiting() override {}
  void message_box(std::string_view text) override { boxes += std::string(text) + "\n"; }
  std::string boxes;
};

// The installer run, in a folder of the in-memory Env.
class Installer final : public Subject {
 public:
  Installer() : Subject("/scen") {}

  Folder inputs() const override { return {}; }
  Folder texts() const override {
    return written_by_writers({FileKind::kLineSource, FileKind::kTrainSource, FileKind::kRouteNotes,
                               FileKind::kSlowdownForm, FileKind::kTrainCard});
  }

  Result run(const Folder& start, const Arm& arm, bool power_cut) override {
    platform::MemEnv base;
    base.files() = start;
    FaultEnv env(base);
    arm(env);
    RecordingUi ui;
    std::ostringstream err;
    Result result;
    result.status = run::run_installer(env, ui, folder(), err);
    if (power_cut) {
      EXPECT_FALSE(env.lose_unflushed_data());
    }
    result.err = err.str();
    result.boxes = ui.boxes;
    result.folder = base.files();
    result.trace = env.trace();
    return result;
  }

  bool removes_own_sources() const override { return true; }
  bool deletes_sources_last() const override { return false; }

  Said said(Place, const std::vector<platform::Error>& failures, bool installed) const override {
    // On the console in its own words, and in the box for a user without one.
    std::string err;
    if (installed) err += "fiumicino_roma_3291: the scenario is installed, but:\n";
    for (const platform::Error& f : failures) err += "fiumicino_roma_3291: " + f.message() + "\n";
    return {installed ? run::kExitInstalledWithProblem : run::kExitPlatform, "", err,
            run::failure_box_text(failures, installed) + "\n"};
  }
};

// `scenarioc compile` in a real folder, on the machine's own Env.
class Compile final : public Subject {
 public:
  Compile() : Subject(make_folder()) {}
  ~Compile() override { fs::remove_all(folder()); }

  Folder inputs() const override {
    return written_by_writers({FileKind::kLineSource, FileKind::kTrainSource});
  }
  Folder texts() const override { return {}; }

  Result run(const Folder& start, const Arm& arm, bool power_cut) override {
    testing_support::put_folder(folder(), start);
    FaultEnv env(platform::default_env());
    arm(env);
    const std::string args[] = {"scenarioc",    "compile", folder(),    "--scenario",
                                kGivenScenario, "--train", kGivenTrain, "--delete-sources"};
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out, err;
    Result result;
    result.status =
        tools::scenarioc_main(static_cast<int>(argv.size()), argv.data(), env, out, err);
    if (power_cut) {
      EXPECT_FALSE(env.lose_unflushed_data());
    }
    result.out = out.str();
    result.err = err.str();
    result.folder = testing_support::read_folder(folder());
    result.trace = env.trace();
    return result;
  }

  bool removes_own_sources() const override { return false; }
  bool deletes_sources_last() const override { return true; }

  Said said(Place, const std::vector<platform::Error>& failures, bool installed) const override {
    // A failure once the binary files are in place does not change what they hold.
    const std::string written = installed ? tools::status_line(0, 0) + "\n" : "";
    return {tools::kExitPlatform, written, "scenarioc: " + failures.front().message() + "\n", ""};
  }

 private:
  static std::string make_folder() {
    std::random_device random;
    const fs::path path = fs::temp_directory_path() / ("fault_walk_" + std::to_string(random()) +
                                                       "_" + std::to_string(random()));
    fs::create_directory(path);
    return path.string();
  }
};

// --- The walk ------------------------------------------------------------------------

enum class Program { kInstaller, kCompile };

struct WalkCase {
  Program program;
  bool old_versions;  // the folder holds old versions of every file the run writes
};

std::string case_name(const WalkCase& c) {
  return std::string(c.program == Program::kInstaller ? "Installer" : "ScenariocCompile") +
         (c.old_versions ? "_OverOldVersions" : "_InAFreshFolder");
}
void PrintTo(const WalkCase& c, std::ostream* os) { *os << case_name(c); }

class FaultWalk : public ::testing::TestWithParam<WalkCase> {
 protected:
  void SetUp() override {
    if (GetParam().program == Program::kInstaller)
      subject_ = std::make_unique<Installer>();
    else
      subject_ = std::make_unique<Compile>();

    // The new bytes of every file the run replaces: the texts as written,
    // the rest as a clean run leaves them.
    const Result fresh = subject_->run(
        subject_->inputs(), [](FaultEnv&) {}, false);
    ASSERT_EQ(fresh.status, run::kExitOk) << fresh.err;
    new_bytes_ = subject_->texts();
    for (const auto& [path, bytes] : fresh.folder) new_bytes_[path] = bytes;

    start_ = subject_->inputs();
    if (GetParam().old_versions)
      for (const auto& [path, bytes] : testing_support::old_versions(new_bytes_))
        start_[path] = bytes;

    clean_ = subject_->run(
        start_, [](FaultEnv&) {}, false);
    ASSERT_EQ(clean_.status, run::kExitOk) << clean_.err;
    // Nothing of the old versions survives a clean run.
    ASSERT_TRUE(testing_support::same_files(fresh.folder, clean_.folder));
  }

  int clean_calls(Op op) const {
    return static_cast<int>(std::count_if(clean_.trace.begin(), clean_.trace.end(),
                                          [op](const auto& call) { return call.op == op; }));
  }
  // The index in the clean run of the n-th call (1-based) of `op`.
  size_t clean_index(Op op, int n) const {
    for (size_t i = 0; i < clean_.trace.size(); ++i)
      if (clean_.trace[i].op == op && --n == 0) return i;
    ADD_FAILURE() << "the clean run has no such call";
    return 0;
  }

  bool is_binary(const std::string& path) const {
    const std::vector<std::string> binaries = subject_->binaries();
    return std::find(binaries.begin(), binaries.end(), path) != binaries.end();
  }

  // What a call replaces: one file, or the set of binary files (the folder
  // is synced for that set).
  std::string unit_of(const std::string& path) const {
    const std::string target = target_of(path);
    const std::vector<std::string> binaries = subject_->binaries();
    if (target == subject_->folder() ||
        std::find(binaries.begin(), binaries.end(), target) != binaries.end())
      return "the binary files";
    return target;
  }

  Place place_of(const FaultEnv::Call& call) const {
    if (!subject_->is_source(call.path) || call.op == Op::kRename) return Place::kReplacing;
    return call.op == Op::kDelete ? Place::kDeletingSource : Place::kReadingSource;
  }

  static bool failed(const FaultEnv::Call& call) { return call.failure.has_value(); }
  // The index in `r`'s trace of its first failing call.
  static size_t first_failure(const Result& r) {
    return static_cast<size_t>(std::find_if(r.trace.begin(), r.trace.end(), failed) -
                               r.trace.begin());
  }

  // Runs with `arm` and checks everything the header of this file promises.
  Result walk_point(const Arm& arm, Mode mode) {
    Result r = subject_->run(start_, arm, mode == Mode::kPowerCut);
    const size_t at = first_failure(r);
    if (at == r.trace.size()) {
      ADD_FAILURE() << "no call failed";
      return r;
    }
    const auto first = r.trace.begin() + static_cast<std::ptrdiff_t>(at);
    // Up to its failure the run made the clean run's calls.
    EXPECT_LT(at, clean_.trace.size());
    for (size_t i = 0; i <= at && i < clean_.trace.size(); ++i)
      if (r.trace[i].op != clean_.trace[i].op ||
          comparable(r.trace[i].path) != comparable(clean_.trace[i].path)) {
        ADD_FAILURE() << "call " << i << " differs from the clean run's";
        return r;
      }
    if (mode == Mode::kOneCall) {
      EXPECT_EQ(std::count_if(r.trace.begin(), r.trace.end(), failed), 1);
    }

    const Place place = place_of(*first);
    SCOPED_TRACE("the first failure: " + first->failure->message());
    expect_said(r, place);
    expect_progress(r, at, place, mode);
    expect_folder(r);
    return r;
  }

  // The status and the messages: the failure reported is the first one met
  // while replacing a file, if any, else the first one.
  void expect_said(const Result& r, Place first_place) const {
    Place place = first_place;
    // The failure reported: the first met while replacing a file, if any,
    // else the first. The message names the file the failure happened to, a
    // temporary file included.
    size_t reported = first_failure(r);
    for (size_t i = 0; i < r.trace.size(); ++i)
      if (r.trace[i].failure && place_of(r.trace[i]) == Place::kReplacing) {
        place = Place::kReplacing;
        reported = i;
        break;
      }
    std::vector<platform::Error> failures = {*r.trace[reported].failure};
    // An old file that cannot be moved aside is the file that cannot be
    // replaced.
    if (r.trace[reported].op == Op::kRename && is_temporary(r.trace[reported].path) &&
        r.trace[reported].from == target_of(r.trace[reported].path))
      failures.front().path = r.trace[reported].from;
    // The folder's sync and the deletion of the old files come once the set
    // is in place.
    if (place == Place::kReplacing && unit_of(r.trace[reported].path) == "the binary files" &&
        r.trace[reported].path != subject_->folder() && r.trace[reported].op != Op::kDelete)
      expect_set_state(r, reported, &failures.front());
    // A run that removes its own sources when the binary files were not all
    // put in place reports the first of them it could not remove.
    size_t renamed_in = 0;
    for (const FaultEnv::Call& c : r.trace) {
      if (c.failure && unit_of(c.path) == "the binary files" && c.path != subject_->folder()) break;
      if (c.op == Op::kRename && !c.failure && is_binary(c.path)) ++renamed_in;
    }
    const bool binaries_written = renamed_in == subject_->binaries().size();
    if (subject_->removes_own_sources() && !binaries_written)
      for (size_t i = reported + 1; i < r.trace.size(); ++i)
        if (r.trace[i].failure && r.trace[i].op == Op::kDelete &&
            subject_->is_source(r.trace[i].path)) {
          failures.push_back(*r.trace[i].failure);
          break;
        }
    const Said said = subject_->said(place, failures, binaries_written);
    EXPECT_EQ(r.status, said.status);
    EXPECT_EQ(r.out, said.out);
    EXPECT_EQ(r.err, said.err);
    EXPECT_EQ(r.boxes, said.boxes);
  }

  // What a failed replacement of the binary files says it left: the old set
  // put back when a file had been moved, else what each file holds, as the
  // folder shows it.
  void expect_set_state(const Result& r, size_t reported, platform::Error* failure) const {
    const bool moved = std::any_of(r.trace.begin(), r.trace.begin() + static_cast<long>(reported),
                                   [&](const FaultEnv::Call& c) {
                                     return c.op == Op::kRename && !c.failure &&
                                            unit_of(c.path) == "the binary files";
                                   });
    if (!moved) return;
    std::vector<platform::LeftFile> left;
    bool whole = true;
    for (const std::string& binary : subject_->binaries()) {
      platform::LeftFile file{binary, platform::LeftFile::Holds::kOld, {}};
      const auto now = r.folder.find(binary);
      const auto before = start_.find(binary);
      if (now != r.folder.end() && now->second == new_bytes_.at(binary) &&
          (before == start_.end() || before->second != now->second)) {
        file.holds = platform::LeftFile::Holds::kNew;
      } else if (now == r.folder.end() && before != start_.end()) {
        file.holds = platform::LeftFile::Holds::kNothing;
        for (const auto& [path, bytes] : r.folder)
          if (target_of(path) == binary && is_temporary(path) && bytes == before->second)
            file.old_content_in = path;
        EXPECT_FALSE(file.old_content_in.empty()) << binary << " lost its old content";
      }
      whole = whole && file.holds == platform::LeftFile::Holds::kOld;
      left.push_back(file);
    }
    failure->set_restored = whole;
    if (!whole) failure->left = left;
  }

  // How far the run went after its first failure, at `at`.
  void expect_progress(const Result& r, size_t at, Place place, Mode mode) const {
    const FaultEnv::Call& first = r.trace[at];
    const auto touches = [&](const std::string& file) {
      return std::any_of(r.trace.begin() + static_cast<std::ptrdiff_t>(at) + 1, r.trace.end(),
                         [&](const auto& call) { return target_of(call.path) == file; });
    };
    switch (place) {
      case Place::kReplacing: {
        // The run stops at the file it was replacing; the binary files are
        // replaced as one set, so it stops at that set. Then it removes the
        // sources it wrote, where they are still there.
        size_t i = at + 1;
        while (i < r.trace.size() && unit_of(r.trace[i].path) == unit_of(first.path)) ++i;
        for (; i < r.trace.size(); ++i)
          EXPECT_TRUE(r.trace[i].op == Op::kDelete && subject_->is_source(r.trace[i].path))
              << "the run went on to " << r.trace[i].path;
        for (const std::string& source : subject_->sources()) {
          const auto written = [&](const FaultEnv::Call& call) {
            return call.op == Op::kRename && call.path == source && !call.failure;
          };
          const auto refused = [&](const FaultEnv::Call& call) {
            return call.op == Op::kDelete && call.path == source && call.failure;
          };
          if (std::any_of(r.trace.begin(), r.trace.end(), written) &&
              !std::any_of(r.trace.begin(), r.trace.end(), refused)) {
            EXPECT_EQ(r.folder.count(source), 0u) << source << " was written and left";
          }
        }
        break;
      }
      case Place::kReadingSource:
        // The compile stops: no binary file is touched, and the sources are
        // left, but by the installer, which removes the ones it wrote.
        for (const std::string& binary : subject_->binaries())
          EXPECT_FALSE(touches(binary)) << binary;
        for (size_t i = at + 1; i < r.trace.size(); ++i)
          if (subject_->is_source(r.trace[i].path)) {
            EXPECT_TRUE(subject_->removes_own_sources() && r.trace[i].op == Op::kDelete)
                << r.trace[i].path;
          }
        for (const std::string& source : subject_->sources())
          if (mode == Mode::kOneCall) {
            EXPECT_EQ(r.folder.count(source), subject_->removes_own_sources() ? 0u : 1u) << source;
          }
        break;
      case Place::kDeletingSource:
        // The run goes on to the binary files, or has put them in place
        // already; with a single fault it writes them all.
        if (!subject_->deletes_sources_last()) {
          EXPECT_TRUE(touches(subject_->binaries().front()));
        }
        if (mode == Mode::kOneCall) {
          for (const std::string& binary : subject_->binaries()) {
            EXPECT_TRUE(std::any_of(r.trace.begin(), r.trace.end(),
                                    [&](const auto& call) {
                                      return call.op == Op::kRename && call.path == binary &&
                                             !call.failure;
                                    }))
                << binary << " was not written";
          }
        }
        break;
    }
    if (place == Place::kDeletingSource) {
      // Both sources are deleted, the second also when the first refused;
      // a refused one is left, the other is gone.
      for (const std::string& source : subject_->sources()) {
        const auto deleting = [&](const auto& call) {
          return call.op == Op::kDelete && call.path == source;
        };
        const auto refused = [&](const auto& call) { return deleting(call) && call.failure; };
        EXPECT_TRUE(std::any_of(r.trace.begin(), r.trace.end(), deleting))
            << source << " was not deleted";
        if (std::none_of(r.trace.begin(), r.trace.end(), refused)) {
          EXPECT_EQ(r.folder.count(source), 0u) << source << " was left";
        }
      }
    }
  }

  // Every file holds its start bytes or its complete new bytes, according to
  // the replacements and deletions that succeeded; a temporary file is left
  // only when its deletion was refused.
  void expect_folder(const Result& r) {
    Folder expected = start_;
    Folder left = r.folder;
    std::set<std::string> refused;
    std::set<std::string> rewritten;
    bool binary_rename_failed = false;
    for (const FaultEnv::Call& call : r.trace) {
      if (call.failure) {
        if (call.op == Op::kDelete) refused.insert(call.path);
        if (call.op == Op::kRename && unit_of(call.path) == "the binary files")
          binary_rename_failed = true;
        continue;
      }
      if (call.op == Op::kRename) {
        // A file moved within the folder takes its bytes along; a new
        // content comes from its temporary file.
        const auto moved = expected.find(call.from);
        if (moved != expected.end()) {
          expected[call.path] = moved->second;
          expected.erase(call.from);
        } else {
          expected[call.path] = new_bytes_.at(call.path);
          rewritten.insert(call.path);
        }
      }
      if (call.op == Op::kDelete) expected.erase(call.path);
    }
    if (!binary_rename_failed) {
      // The binary files are replaced all together or not at all.
      size_t renamed = 0;
      for (const std::string& binary : subject_->binaries()) renamed += rewritten.count(binary);
      EXPECT_TRUE(renamed == 0 || renamed == subject_->binaries().size())
          << renamed << " of the binary files were replaced";
    }
    for (const std::string& path : refused) {
      if (left.count(path) == 0) continue;
      left_behind_.insert(path.substr(subject_->folder().size() + 1));
      // A temporary file that could not be deleted holds whatever reached it.
      if (expected.count(path) == 0 && is_temporary(path)) left.erase(path);
    }
    EXPECT_TRUE(testing_support::same_files(expected, left));
    // The binary files stay one set: all old or all new, unless the run
    // said which it could not put back.
    if (r.err.find("could not all be put back") == std::string::npos) {
      size_t old_files = 0, new_files = 0;
      for (const std::string& binary : subject_->binaries()) {
        const auto now = r.folder.find(binary);
        const auto before = start_.find(binary);
        if (now == r.folder.end() ? before == start_.end()
                                  : (before != start_.end() && now->second == before->second))
          ++old_files;
        if (now != r.folder.end() && now->second == new_bytes_.at(binary)) ++new_files;
      }
      EXPECT_TRUE(old_files == subject_->binaries().size() ||
                  new_files == subject_->binaries().size())
          << old_files << " old and " << new_files << " new binary files";
    }
  }

  // Walks every call of every operation, armed through `arm_op`.
  void walk_every_call(Mode mode, void (FaultEnv::*arm_op)(Op, int)) {
    for (Op op : kOps) {
      for (int n = 1; n <= clean_calls(op); ++n) {
        SCOPED_TRACE(std::string(platform::op_name(op)) + " call " + std::to_string(n));
        const Result r = walk_point([&](FaultEnv& env) { (env.*arm_op)(op, n); }, mode);
        EXPECT_EQ(first_failure(r), clean_index(op, n));
      }
    }
  }

  void walk_every_breakdown(Mode mode) {
    for (size_t n = 1; n <= clean_.trace.size(); ++n) {
      SCOPED_TRACE("breaking down at call " + std::to_string(n) + ", " +
                   std::string(platform::op_name(clean_.trace[n - 1].op)) + " " +
                   clean_.trace[n - 1].path);
      const Result r =
          walk_point([&](FaultEnv& env) { env.fail_everything_from(static_cast<int>(n)); }, mode);
      EXPECT_EQ(first_failure(r), n - 1);

      // Once the machine works again, the next run, given its inputs, leaves
      // nothing of the broken one but the temporary files the broken machine
      // could not delete: those are never read, and a later run does not
      // take them for its own.
      Folder next = r.folder;
      for (const auto& [path, bytes] : subject_->inputs()) next[path] = bytes;
      const Result again = subject_->run(
          next, [](FaultEnv&) {}, false);
      EXPECT_EQ(again.status, run::kExitOk) << again.err;
      Folder left = again.folder;
      for (const auto& [path, bytes] : r.folder)
        if (is_temporary(path) && left.count(path) && left.at(path) == bytes) left.erase(path);
      EXPECT_TRUE(testing_support::same_files(clean_.folder, left));
    }
  }

  void TearDown() override {
    // What a broken machine could not clean up, for the record.
    std::string names;
    for (const std::string& name : left_behind_) names += (names.empty() ? "" : ", ") + name;
    if (!names.empty()) RecordProperty("left_behind", names);
  }

  std::unique_ptr<Subject> subject_;
  Folder new_bytes_;
  Folder start_;
  Result clean_;
  std::set<std::string> left_behind_;
};

TEST_P(FaultWalk, ACleanRunReplacesEachFileThroughAFlushedTemporaryFile) {
  // The calls of the clean run, one line each, a file's writes as one.
  std::vector<std::string> calls;
  for (const FaultEnv::Call& call : clean_.trace) {
    const std::string path = comparable(call.path);
    std::string line = std::string(platform::op_name(call.op)) + " " +
                       (path == subject_->folder() ? std::string("the folder")
                                                   : path.substr(subject_->folder().size() + 1));
    if (calls.empty() || calls.back() != line) calls.push_back(line);
  }
  const auto name = [&](FileKind kind) {
    return model::file_name(kind, kGivenScenario, kGivenTrain);
  };
  std::vector<std::string> expected;
  const auto written = [&](FileKind kind) {
    const std::string temp = name(kind) + " (temporary)";
    for (const char* op : {"open ", "write ", "flush ", "close "}) expected.push_back(op + temp);
  };
  const auto replaced = [&](FileKind kind) {
    written(kind);
    expected.push_back("rename " + name(kind));
  };
  // Both sources are read before either is deleted.
  const auto read = [&](FileKind kind) {
    for (const char* op : {"open ", "read "}) expected.push_back(op + name(kind));
  };
  if (GetParam().program == Program::kInstaller)
    for (FileKind kind : {FileKind::kLineSource, FileKind::kTrainSource, FileKind::kRouteNotes,
                          FileKind::kSlowdownForm, FileKind::kTrainCard})
      replaced(kind);
  read(FileKind::kLineSource);
  read(FileKind::kTrainSource);
  const auto delete_sources = [&] {
    expected.push_back("delete " + name(FileKind::kLineSource));
    expected.push_back("delete " + name(FileKind::kTrainSource));
  };
  const bool sources_last = subject_->deletes_sources_last();
  if (!sources_last) delete_sources();
  // The binary files as one set: all written and flushed, the old ones
  // moved aside under temporary names, the new ones renamed in, the folder
  // synced, and only then the old ones deleted.
  constexpr FileKind kBinaries[] = {FileKind::kLineGeometry, FileKind::kService, FileKind::kCells};
  for (FileKind kind : kBinaries) written(kind);
  if (GetParam().old_versions)
    for (FileKind kind : kBinaries)
      for (const char* op : {"open ", "close ", "rename "})
        expected.push_back(op + name(kind) + " (temporary)");
  for (FileKind kind : kBinaries) expected.push_back("rename " + name(kind));
  expected.push_back("flush the folder");
  if (GetParam().old_versions)
    for (FileKind kind : kBinaries) expected.push_back("delete " + name(kind) + " (temporary)");
  if (sources_last) delete_sources();
  EXPECT_EQ(calls, expected);
}

TEST_P(FaultWalk, EveryCallFailingAlone) { walk_every_call(Mode::kOneCall, &FaultEnv::fail_nth); }

TEST_P(FaultWalk, EveryOperationFailingForGoodFromEachOfItsCalls) {
  walk_every_call(Mode::kOpBroken, &FaultEnv::fail_from);
}

TEST_P(FaultWalk, TheMachineBreakingDownAtEveryCall) { walk_every_breakdown(Mode::kBreakdown); }

TEST_P(FaultWalk, APowerCutAtEveryCall) { walk_every_breakdown(Mode::kPowerCut); }

TEST_P(FaultWalk, ADiskFillingUpInEveryFile) {
  // The files in the order they are written, with their sizes.
  std::vector<std::pair<std::string, size_t>> files;
  for (const FaultEnv::Call& call : clean_.trace)
    if (call.op == Op::kRename && !is_temporary(call.path))
      files.emplace_back(call.path, new_bytes_.at(call.path).size());
  std::vector<std::pair<long long, size_t>> points;  // room, index of the file that does not fit
  long long before = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const long long size = static_cast<long long>(files[i].second);
    ASSERT_GT(size, 1);
    points.emplace_back(before, i);  // not a byte of it fits; 0 for the first file
    points.emplace_back(before + 1, i);
    points.emplace_back(before + size - 1, i);
    before += size;
  }
  for (const auto& [room, failing] : points) {
    SCOPED_TRACE("room for " + std::to_string(room) + " bytes");
    const Result r = walk_point([&](FaultEnv& env) { env.fill_disk_after(room); }, Mode::kOneCall);
    ASSERT_LT(first_failure(r), clean_.trace.size());
    const FaultEnv::Call& call = clean_.trace[first_failure(r)];
    EXPECT_EQ(call.op, Op::kWrite);
    EXPECT_EQ(target_of(call.path), files[failing].first);
  }

  // Room for exactly every byte: the run is clean.
  const Result r = subject_->run(
      start_, [&](FaultEnv& env) { env.fill_disk_after(before); }, false);
  EXPECT_EQ(r.status, run::kExitOk) << r.err;
  EXPECT_TRUE(testing_support::same_files(clean_.folder, r.folder));
}

INSTANTIATE_TEST_SUITE_P(Runs, FaultWalk,
                         ::testing::Values(WalkCase{Program::kInstaller, false},
                                           WalkCase{Program::kInstaller, true},
                                           WalkCase{Program::kCompile, false},
                                           WalkCase{Program::kCompile, true}),
                         [](const auto& info) { return case_name(info.param); });

}  // namespace
