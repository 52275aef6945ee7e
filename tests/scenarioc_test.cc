#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "model/file_names.h"
#include "model/status_codes.h"
#include "platform/env.h"
#include "platform/env_wrapper.h"
#include "platform/mem_env.h"
#include "tests/support/given_scenario.h"
#include "tests/support/scenario_sources.h"
#include "tests/support/tool_folder.h"
#include "tests/support/utf8_path.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/scenarioc_app.h"
#include "tools/cli/status_report.h"
#include "writers/writers.h"

namespace {

namespace fs = std::filesystem;
using model::FileKind;
using testing_support::kGivenScenario;
using testing_support::kGivenTrain;

using Outcome = testing_support::ToolOutcome;

// A fresh real folder per test, removed afterwards.
class Scenarioc : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    folder_path_ = fs::temp_directory_path() /
                   ("scenarioc_test_" + std::to_string(random()) + std::to_string(random()));
    ASSERT_TRUE(fs::create_directory(folder_path_));
    folder_ = test::utf8(folder_path_);
  }
  void TearDown() override { fs::remove_all(folder_path_); }

  Outcome scenarioc(std::vector<std::string> args, platform::Env& env = platform::default_env()) {
    return testing_support::run_scenarioc(std::move(args), env);
  }
  // `compile FOLDER --scenario <given> --train <given>` and `extra`.
  Outcome compile(std::vector<std::string> extra = {},
                  platform::Env& env = platform::default_env()) {
    std::vector<std::string> args = {"compile",      folder_,   "--scenario",
                                     kGivenScenario, "--train", kGivenTrain};
    args.insert(args.end(), extra.begin(), extra.end());
    return scenarioc(args, env);
  }

  std::string path(FileKind kind) const {
    return folder_ + platform::kSeparator + model::file_name(kind, kGivenScenario, kGivenTrain);
  }
  bool exists(FileKind kind) const { return fs::exists(test::fs_path(path(kind))); }
  std::string read(FileKind kind) const {
    std::ifstream in(test::fs_path(path(kind)), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }
  void put(FileKind kind, const std::string& content) const {
    std::ofstream(test::fs_path(path(kind)), std::ios::binary) << content;
  }
  // Every file directly in the folder, by name, with its bytes.
  std::map<std::string, std::string> snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder_path_)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream content;
      content << in.rdbuf();
      files[test::utf8(entry.path().filename())] = content.str();
    }
    return files;
  }
  // The names of the files in the folder, sorted.
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_path_))
      names.push_back(test::utf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::string name(FileKind kind) {
    return model::file_name(kind, kGivenScenario, kGivenTrain);
  }

  void write_sources(const std::vector<std::string>& line, const std::vector<std::string>& train) {
    ASSERT_FALSE(
        testing_support::write_source(platform::default_env(), path(FileKind::kLineSource), line));
    ASSERT_FALSE(testing_support::write_source(platform::default_env(),
                                               path(FileKind::kTrainSource), train));
  }
  void write_given_sources() { write_sources(given_line_source(), given_train_source()); }
  static std::vector<std::string> given_line_source() {
    auto lines = writers::line_source_lines();
    return {lines.begin(), lines.end()};
  }
  static std::vector<std::string> given_train_source() {
    auto lines = writers::train_source_lines();
    return {lines.begin(), lines.end()};
  }

  fs::path folder_path_;
  std::string folder_;
};

// --- Usage ----------------------------------------------------------------------------

TEST_F(Scenarioc, HelpListsTheCommandAndEveryArgument) {
  Outcome top = scenarioc({"--help"});
  EXPECT_EQ(top.status, 0);
  EXPECT_NE(top.out.find("compile"), std::string::npos) << top.out;

  Outcome help = scenarioc({"compile", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  for (const char* word : {"FOLDER", "--scenario NAME", "--train NUMBER", "--no-line-file",
                           "--json", "Exit status", "\"position\"", "deleted"})
    EXPECT_NE(help.out.find(word), std::string::npos) << word << " missing from:\n" << help.out;
}

struct UsageCase {
  const char* name;
  // "@" stands for the test folder, "@file" for a file in it.
  std::vector<std::string> args;
  const char* says;  // a part of the message on stderr
  friend void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }
};

class ScenariocUsage : public Scenarioc, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(ScenariocUsage, IsRefusedWithStatus2AndTouchesNothing) {
  write_given_sources();
  const std::vector<std::string> before = listing();
  std::vector<std::string> args;
  for (const std::string& a : GetParam().args)
    args.push_back(a == "@" ? folder_ : a == "@file" ? path(FileKind::kTrainSource) : a);
  Outcome result = scenarioc(args);
  EXPECT_EQ(result.status, tools::kExitPlatform);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("scenarioc: ", 0), 0u) << result.err;
  EXPECT_NE(result.err.find(GetParam().says), std::string::npos) << result.err;
  EXPECT_EQ(listing(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ScenariocUsage,
    ::testing::Values(
        UsageCase{"no_command", {}, "subcommand"},
        UsageCase{"unknown_command", {"frobnicate", "@"}, "frobnicate"},
        UsageCase{"no_folder", {"compile", "--scenario", "x", "--train", "1"}, "FOLDER"},
        // NAME and NUMBER left out are looked for in FOLDER; here in vain.
        UsageCase{"train_not_in_folder",
                  {"compile", "@", "--train", "1208"},
                  "no train source (Fiumicino Aeroporto_Roma_NUMBER-.txt)"},
        UsageCase{"scenario_not_in_folder",
                  {"compile", "@", "--scenario", "x"},
                  "no train source (x_NUMBER-.txt)"},
        UsageCase{"sources_not_in_folder",
                  {"compile", "@", "--scenario", "x", "--train", "1"},
                  "no source '"},
        UsageCase{"unknown_option",
                  {"compile", "@", "--scenario", "x", "--train", "1", "--fast"},
                  "--fast"},
        UsageCase{"missing_folder",
                  {"compile", "/no/such/folder", "--scenario", "x", "--train", "1"},
                  "no such folder: '/no/such/folder'"},
        UsageCase{"folder_is_a_file",
                  {"compile", "@file", "--scenario", "x", "--train", "1"},
                  "not a folder"},
        // "Łódź": Ł and ź have no Windows-1252 byte.
        UsageCase{"scenario_outside_windows_1252",
                  {"compile", "@", "--scenario",
                   "\xC5\x81\xC3\xB3"
                   "d\xC5\xBA",
                   "--train", "1"},
                  "Windows-1252"},
        // Arabic-Indic digits.
        UsageCase{"train_outside_windows_1252",
                  {"compile", "@", "--scenario", "x", "--train", "\xD9\xA3\xD9\xA2"},
                  "Windows-1252"},
        UsageCase{"scenario_not_utf8",
                  {"compile", "@", "--scenario", "\xFF", "--train", "1"},
                  "Windows-1252"},
        UsageCase{"scenario_with_separator",
                  {"compile", "@", "--scenario", "../Fiumicino Aeroporto_Roma", "--train", "3291"},
                  "folder separator"},
        UsageCase{"train_with_backslash",
                  {"compile", "@", "--scenario", "x", "--train", "32\\91"},
                  "folder separator"},
        UsageCase{"train_with_line_end",
                  {"compile", "@", "--scenario", "x", "--train", "32\n91"},
                  "control character"},
        UsageCase{"empty_scenario",
                  {"compile", "@", "--scenario", "", "--train", "1"},
                  "must not be empty"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The status report ------------------------------------------------------------------

TEST(StatusReport, GivesCodeMeaningAndThePositionOnlyWhereTheCodeHasOne) {
  const std::string range = std::string(model::status::info(15).text);
  const std::string repeat = std::string(model::status::info(3).text);
  EXPECT_EQ(tools::status_line(15, 41901), "status 15 at metre 41901: " + range);
  EXPECT_EQ(tools::status_line(3, 41901), "status 3: " + repeat);
  EXPECT_EQ(tools::status_line(0, 0), "status 0: no fault");

  const auto with = nlohmann::json::parse(tools::status_json(15, 41901));
  EXPECT_EQ(with, (nlohmann::json{{"status", 15}, {"position", 41901}, {"message", range}}));
  const auto without = nlohmann::json::parse(tools::status_json(3, 41901));
  EXPECT_EQ(without, (nlohmann::json{{"status", 3}, {"position", nullptr}, {"message", repeat}}));
}

// --- Compiling --------------------------------------------------------------------------
// The tests below compile real sources: they wait for the parsers.

TEST_F(Scenarioc, CompilesTheGivenScenarioLikeTheInstallerAndKeepsTheSources) {
  write_given_sources();
  const auto sources = snapshot();
  for (std::vector<std::string> keep :
       {std::vector<std::string>{}, std::vector<std::string>{"--keep-sources"}}) {
    SCOPED_TRACE(keep.empty() ? "default" : "--keep-sources");
    Outcome result = compile(keep);
    EXPECT_EQ(result.status, tools::kExitOk) << result.err;
    EXPECT_EQ(result.out, "status 0: no fault\n");
    EXPECT_EQ(result.err, "");
    auto files = snapshot();
    for (FileKind kind : {FileKind::kLineSource, FileKind::kTrainSource})
      EXPECT_EQ(files[name(kind)], sources.at(name(kind))) << name(kind);
    testing_support::expect_given_geometry(read(FileKind::kLineGeometry));
    testing_support::expect_given_service(read(FileKind::kService));
    testing_support::expect_given_cells(read(FileKind::kCells));
    EXPECT_EQ(files.size(), 5u);
  }
  Outcome both = compile({"--keep-sources", "--delete-sources"});
  EXPECT_EQ(both.status, tools::kExitPlatform);
  EXPECT_NE(both.err.find("excludes"), std::string::npos) << both.err;
}

TEST_F(Scenarioc, DeleteSourcesDeletesThemOnceTheBinaryFilesAreInPlace) {
  write_given_sources();
  Outcome result = compile({"--delete-sources"});
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  std::vector<std::string> expected = {name(FileKind::kLineGeometry), name(FileKind::kService),
                                       name(FileKind::kCells)};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listing(), expected) << "both sources deleted, nothing else left";
  testing_support::expect_given_cells(read(FileKind::kCells));
}

// Every write, flush, rename and folder sync of the compile failing in turn,
// once and for good: a source is gone only where the compile ended with
// status 0 and the three binary files in place.
TEST_F(Scenarioc, DeleteSourcesNeverLosesASourceWhateverFails) {
  write_given_sources();
  const auto sources = snapshot();
  for (platform::Op op : {platform::Op::kOpen, platform::Op::kWrite, platform::Op::kFlush,
                          platform::Op::kClose, platform::Op::kRename}) {
    for (bool for_good : {false, true}) {
      for (int n = 1;; ++n) {
        SCOPED_TRACE(std::string(platform::op_name(op)) + " " + std::to_string(n) +
                     (for_good ? " and on" : ""));
        platform::FaultEnv env(platform::default_env());
        if (for_good)
          env.fail_from(op, n);
        else
          env.fail_nth(op, n);
        Outcome result = compile({"--delete-sources"}, env);
        const bool failed = std::any_of(env.trace().begin(), env.trace().end(),
                                        [](const auto& call) { return bool(call.failure); });
        auto files = snapshot();
        const bool sources_gone =
            !files.count(name(FileKind::kLineSource)) || !files.count(name(FileKind::kTrainSource));
        if (sources_gone) {
          EXPECT_EQ(result.status, tools::kExitOk) << result.err;
          testing_support::expect_given_geometry(read(FileKind::kLineGeometry));
          testing_support::expect_given_service(read(FileKind::kService));
          testing_support::expect_given_cells(read(FileKind::kCells));
        } else {
          for (FileKind kind : {FileKind::kLineSource, FileKind::kTrainSource})
            EXPECT_EQ(files[name(kind)], sources.at(name(kind))) << name(kind);
          EXPECT_NE(result.status, tools::kExitOk) << "a source left behind is reported";
        }
        for (const auto& [file, bytes] : files)
          EXPECT_TRUE(platform::target_of_temporary(file).empty()) << file << " left behind";
        // Back to the sources alone for the next round.
        for (const auto& [file, bytes] : files) fs::remove(folder_path_ / file);
        write_given_sources();
        if (!failed) break;
      }
    }
  }
}

// The temporary files beside the binary files add their suffix to the
// longest name; a name whose temporary names would pass the limit is refused
// by compile and check alike, before a source is opened.
TEST_F(Scenarioc, ANameTooLongForTheTemporaryFilesIsRefusedBeforeAnythingIsRead) {
  const size_t fits = 255 - platform::longest_temporary_suffix() - std::string("_linea.dat").size();
  for (size_t length : {fits, fits + 1}) {
    SCOPED_TRACE(length);
    const std::string scenario(length, 'n');
    platform::MemEnv mem;
    for (FileKind kind : {FileKind::kLineSource, FileKind::kTrainSource}) {
      auto lines = kind == FileKind::kLineSource ? given_line_source() : given_train_source();
      ASSERT_FALSE(testing_support::write_source(
          mem, folder_ + platform::kSeparator + model::file_name(kind, scenario, kGivenTrain),
          lines));
    }
    for (const char* command : {"check", "compile"}) {
      SCOPED_TRACE(command);
      platform::FaultEnv env(mem);
      Outcome result =
          scenarioc({command, folder_, "--scenario", scenario, "--train", kGivenTrain}, env);
      if (length == fits) {
        EXPECT_EQ(result.status, tools::kExitOk) << result.err;
        continue;
      }
      EXPECT_EQ(result.status, tools::kExitPlatform);
      EXPECT_EQ(result.err, "scenarioc: cannot create '" + folder_ + platform::kSeparator +
                                scenario + "_linea.dat': the name is " +
                                std::to_string(length + 10) +
                                " bytes long, and the temporary file written beside it adds up "
                                "to 22: a file name can have 255 bytes; shorten the scenario "
                                "name or the train number by 1 bytes\n");
      EXPECT_EQ(env.calls(platform::Op::kOpen), 0);
      EXPECT_EQ(env.calls(platform::Op::kRead), 0);
    }
  }
}

TEST_F(Scenarioc, JsonGivesOneObjectWithStatusPositionAndMessage) {
  write_given_sources();
  Outcome result = compile({"--json"});
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  ASSERT_FALSE(result.out.empty());
  EXPECT_EQ(result.out.back(), '\n');
  const auto object = nlohmann::json::parse(result.out);
  EXPECT_EQ(object,
            (nlohmann::json{{"status", 0}, {"position", nullptr}, {"message", "no fault"}}));
}

TEST_F(Scenarioc, WithoutLineFileTheGeometryFileIsLeftAsItWas) {
  write_given_sources();
  put(FileKind::kLineGeometry, "geometry of an earlier run");
  Outcome result = compile({"--no-line-file", "--delete-sources"});
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  EXPECT_EQ(read(FileKind::kLineGeometry), "geometry of an earlier run");
  EXPECT_FALSE(exists(FileKind::kLineSource));
  EXPECT_FALSE(exists(FileKind::kTrainSource));
  testing_support::expect_given_service(read(FileKind::kService));
  testing_support::expect_given_cells(read(FileKind::kCells));

  fs::remove(path(FileKind::kLineGeometry));
  write_given_sources();
  EXPECT_EQ(compile({"--no-line-file"}).status, tools::kExitOk);
  EXPECT_FALSE(exists(FileKind::kLineGeometry));
}

// With no plan built, curve entries are passed over on purpose: no warning
// calls them unknown keywords, while a real slip is still told.
TEST_F(Scenarioc, WithoutLineFileCurvesAreNoUnknownKeywordsButTyposStillAre) {
  write_given_sources();
  Outcome given = compile({"--no-line-file"});
  EXPECT_EQ(given.status, tools::kExitOk);
  EXPECT_EQ(given.err, "");

  write_sources(testing_support::line_source_with({"pendnza,  3000,   0"}), given_train_source());
  Outcome typo = compile({"--no-line-file"});
  EXPECT_EQ(typo.status, tools::kExitOk);
  EXPECT_NE(typo.err.find("'pendnza' matches no keyword"), std::string::npos) << typo.err;
  EXPECT_EQ(typo.err.find("curva"), std::string::npos) << typo.err;
}

struct FaultCase {
  const char* name;
  std::vector<std::string> line;
  std::vector<std::string> train;
  int32_t status;
  bool has_position;
  int32_t position;
  bool train_source_stays;
  friend void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }
};

class ScenariocFault : public Scenarioc, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(ScenariocFault, ReportsTheCodeWithStatus1AndStillWritesTheBinaryFiles) {
  const FaultCase& c = GetParam();
  for (bool json : {false, true}) {
    SCOPED_TRACE(json ? "--json" : "plain");
    write_sources(c.line, c.train);
    std::vector<std::string> options = {"--delete-sources"};
    if (json) options.push_back("--json");
    Outcome result = compile(options);
    EXPECT_EQ(result.status, tools::kExitStatus) << result.err;
    const std::string meaning(model::status::info(c.status).text);
    if (json) {
      nlohmann::json expected = {{"status", c.status}, {"position", nullptr}, {"message", meaning}};
      if (c.has_position) expected["position"] = c.position;
      EXPECT_EQ(nlohmann::json::parse(result.out), expected);
    } else {
      std::string expected = "status " + std::to_string(c.status);
      if (c.has_position) expected += " at metre " + std::to_string(c.position);
      EXPECT_EQ(result.out, expected + ": " + meaning + "\n");
    }
    EXPECT_FALSE(exists(FileKind::kLineSource));
    EXPECT_EQ(exists(FileKind::kTrainSource), c.train_source_stays);
    EXPECT_EQ(read(FileKind::kCells).size(), testing_support::kGivenCellBytes);
    EXPECT_TRUE(exists(FileKind::kService));
    EXPECT_TRUE(exists(FileKind::kLineGeometry));
    if (exists(FileKind::kTrainSource)) fs::remove(path(FileKind::kTrainSource));
  }
}

INSTANTIATE_TEST_SUITE_P(
    HandMade, ScenariocFault,
    ::testing::Values(
        // The signal repetition's first number is not a multiple of 50: the
        // line pass stops, the train source is never read.
        FaultCase{"repetition_not_multiple_of_50",
                  testing_support::replacing(
                      {writers::line_source_lines().begin(), writers::line_source_lines().end()},
                      "ripetizione segnali", "ripetizione segnali 4 codici,    125    ,0"),
                  {writers::train_source_lines().begin(), writers::train_source_lines().end()},
                  3,
                  false,
                  0,
                  true},
        // A speed entry 41901 m along a 35000 m line fails the range rule.
        FaultCase{"speed_beyond_the_range_rule",
                  {writers::line_source_lines().begin(), writers::line_source_lines().end()},
                  testing_support::train_source_with({"velocita,   41901,    80"}),
                  15,
                  true,
                  41901,
                  false}),
    [](const auto& info) { return std::string(info.param.name); });

// A missing source, or a name mistyped, must not cost the author the other
// source: nothing is read or deleted, no binary file touched.
TEST_F(Scenarioc, WithoutBothSourcesNothingIsReadOrDeleted) {
  for (FileKind present : {FileKind::kLineSource, FileKind::kTrainSource}) {
    SCOPED_TRACE(name(present));
    write_given_sources();
    fs::remove(test::fs_path(
        path(present == FileKind::kLineSource ? FileKind::kTrainSource : FileKind::kLineSource)));
    put(FileKind::kCells, "cells of an earlier run");
    const auto before = snapshot();
    Outcome result = compile();
    EXPECT_EQ(result.status, tools::kExitPlatform);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("no source '"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("nothing was read or deleted"), std::string::npos) << result.err;
    EXPECT_EQ(snapshot(), before);
    fs::remove(test::fs_path(path(present)));
    fs::remove(test::fs_path(path(FileKind::kCells)));
  }
}

TEST_F(Scenarioc, OutWritesElsewhereAndLosesNothing) {
  write_given_sources();
  const auto sources = snapshot();
  const std::string out = folder_ + "/out";
  fs::create_directory(test::fs_path(out));
  Outcome result = compile({"--out", out});
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  EXPECT_EQ(snapshot(), sources) << "the sources stay and nothing else is written beside them";
  for (FileKind kind : {FileKind::kLineGeometry, FileKind::kService, FileKind::kCells})
    EXPECT_TRUE(fs::exists(test::fs_path(out + "/" + name(kind)))) << name(kind);
}

TEST_F(Scenarioc, NameAndNumberAreFoundWhenTheFolderHoldsOneScenario) {
  write_given_sources();
  Outcome found = scenarioc({"check", folder_});
  EXPECT_EQ(found.status, tools::kExitOk) << found.err;
  EXPECT_EQ(found.out, "no fault (status 0)\n0 errors, 0 warnings\n");

  // A second train of the same scenario: the choices are named.
  fs::copy_file(test::fs_path(path(FileKind::kTrainSource)),
                test::fs_path(folder_ + "/" + kGivenScenario + "_1208-.txt"));
  Outcome two = scenarioc({"compile", folder_});
  EXPECT_EQ(two.status, tools::kExitPlatform);
  EXPECT_NE(two.err.find("more than one train of 'Fiumicino Aeroporto_Roma'"), std::string::npos)
      << two.err;
  EXPECT_NE(two.err.find("'1208', '3291'"), std::string::npos) << two.err;
  EXPECT_TRUE(exists(FileKind::kLineSource));
}

TEST_F(Scenarioc, AFailingFileOperationGivesStatus2AndKeepsTheOldFile) {
  write_given_sources();
  put(FileKind::kLineGeometry, "geometry of an earlier run");
  platform::FaultEnv env(platform::default_env());
  env.fail_nth(platform::Op::kRename, 1);
  Outcome result = compile({"--delete-sources"}, env);
  EXPECT_EQ(result.status, tools::kExitPlatform);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(
      result.err.rfind("scenarioc: cannot replace '" + path(FileKind::kLineGeometry) + "'", 0), 0u)
      << result.err;
  EXPECT_EQ(read(FileKind::kLineGeometry), "geometry of an earlier run");
  std::vector<std::string> expected = {name(FileKind::kLineGeometry), name(FileKind::kLineSource),
                                       name(FileKind::kTrainSource)};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listing(), expected) << "the sources stay, no temporary file is left";
}

// A run killed while it replaced the binary files leaves the old service
// file moved aside and none in its place: check says so; a whole set, or
// none at all, gives no word.
TEST_F(Scenarioc, CheckSaysWhatARunStoppedWhileReplacingTheBinaryFilesLeft) {
  write_given_sources();
  Outcome nothing_yet = scenarioc({"check", folder_});
  EXPECT_EQ(nothing_yet.status, tools::kExitOk);
  EXPECT_EQ(nothing_yet.err, "");
  ASSERT_EQ(compile().status, tools::kExitOk);
  Outcome whole = scenarioc({"check", folder_});
  EXPECT_EQ(whole.err, "");

  const std::string aside = name(FileKind::kService) + ".4242-5.tmp~";
  fs::rename(test::fs_path(path(FileKind::kService)), folder_path_ / test::fs_path(aside));
  Outcome stopped = scenarioc({"check", folder_});
  EXPECT_EQ(stopped.status, tools::kExitOk);
  EXPECT_EQ(stopped.out, "no fault (status 0)\n0 errors, 0 warnings\n");
  EXPECT_EQ(stopped.err,
            "scenarioc: warning: '" + aside +
                "' was left by a run stopped while it replaced the binary files: it holds another "
                "version of '" +
                name(FileKind::kService) +
                "'; compile again to write the whole set, then delete it\n"
                "scenarioc: warning: the binary files are not a whole set: '" +
                name(FileKind::kService) + "' is missing; compile again to write the whole set\n");
}

// --- The folders' locks --------------------------------------------------------------

// Another process holding the folder's lock: a lock of the folder taken
// here, on a descriptor of its own, is refused to the compile as another
// process's would be.
TEST_F(Scenarioc, WhileAnotherRunHoldsTheLockCompileReadsDeletesAndWritesNothing) {
  write_given_sources();
  const auto before = snapshot();
  std::unique_ptr<platform::FolderLock> other;
  ASSERT_FALSE(platform::default_env().try_lock_folder(folder_, &other));
  ASSERT_TRUE(other);
  Outcome result;
  std::thread compiling([&] { result = compile({"--delete-sources"}); });
  // Past the two seconds after which the compile says what it waits for.
  std::this_thread::sleep_for(std::chrono::milliseconds(2300));
  EXPECT_EQ(snapshot(), before) << "the compile went on while the lock was held";
  other.reset();
  compiling.join();
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  EXPECT_EQ(result.err, "scenarioc: waiting: another run holds the lock of '" + folder_ + "'\n");
  EXPECT_FALSE(exists(FileKind::kLineSource));
  testing_support::expect_given_cells(read(FileKind::kCells));
}

// Passes every call to the machine's Env and, as each source is read, tries
// the locks of `probed` as another process would.
class LockProbeEnv final : public platform::EnvWrapper {
 public:
  explicit LockProbeEnv(std::vector<std::string> probed)
      : EnvWrapper(platform::default_env()), probed_(std::move(probed)) {}
  // One entry per source read: whether each probed folder was found locked.
  std::vector<std::vector<bool>> found_locked;

  platform::Status read_regular_file(const std::string& p, size_t l, std::string* c) override {
    std::vector<bool> locked;
    for (const std::string& folder : probed_) {
      std::unique_ptr<platform::FolderLock> lock;
      EXPECT_FALSE(target().try_lock_folder(folder, &lock));
      locked.push_back(lock == nullptr);
    }
    found_locked.push_back(locked);
    return target().read_regular_file(p, l, c);
  }

 private:
  std::vector<std::string> probed_;
};

// The compile holds the locks of FOLDER and of --out DIR for as long as it
// reads and writes, not just while it takes them.
TEST_F(Scenarioc, TheCompileHoldsTheLocksOfFolderAndOutWhileItWorks) {
  write_given_sources();
  const std::string out = folder_ + "/out";
  fs::create_directory(test::fs_path(out));
  LockProbeEnv env({folder_, out});
  Outcome result = compile({"--out", out}, env);
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  EXPECT_EQ(env.found_locked, (std::vector<std::vector<bool>>{{true, true}, {true, true}}));
}

// --out DIR is locked as well as FOLDER: a run that holds either one keeps
// the compile from writing, and after --wait-lock it stops having read and
// written nothing.
TEST_F(Scenarioc, ALockHeldOnFolderOrOutIsGivenUpAfterWaitLockHavingWrittenNothing) {
  write_given_sources();
  const std::string out = folder_ + "/out";
  fs::create_directory(test::fs_path(out));
  const auto before = snapshot();
  for (const std::string& held : {folder_, out}) {
    SCOPED_TRACE(held);
    std::unique_ptr<platform::FolderLock> other;
    ASSERT_FALSE(platform::default_env().try_lock_folder(held, &other));
    ASSERT_TRUE(other);
    platform::FaultEnv env(platform::default_env());
    Outcome result = compile({"--out", out, "--delete-sources", "--wait-lock", "0.2"}, env);
    EXPECT_EQ(result.status, tools::kExitPlatform);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "scenarioc: cannot lock '" + held +
                              "': another run in this folder has held it for 0 s; nothing was "
                              "written\n");
    EXPECT_TRUE(env.trace().empty()) << "no file was opened";
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(fs::is_empty(test::fs_path(out)));
  }
}

// A folder the system cannot lock is said, and compiled in all the same.
TEST_F(Scenarioc, AFolderThatCannotBeLockedIsSaidAndCompiledIn) {
  write_given_sources();
  platform::FaultEnv env(platform::default_env());
  env.fail_locks(true);
  Outcome result = compile({}, env);
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  EXPECT_EQ(result.err, "scenarioc: warning: cannot lock '" + folder_ +
                            "': No locks available (injected); compiling without the lock: "
                            "another run in this folder at the same time could take the sources "
                            "or mix its binary files with these\n");
  testing_support::expect_given_cells(read(FileKind::kCells));
}

}  // namespace
