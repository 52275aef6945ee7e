// `scenarioc sources`: the built-in sources as a starting point.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "model/scenario.h"
#include "platform/mem_env.h"
#include "tests/support/given_scenario.h"
#include "tests/support/tool_folder.h"
#include "tools/cli/exit_status.h"
#include "writers/writers.h"

namespace {

using model::FileKind;
using testing_support::ToolOutcome;

// The two sources exactly as the installer's writers produce them.
std::pair<std::string, std::string> written_by_the_writers(const std::string& scenario,
                                                           const std::string& train) {
  platform::MemEnv env;
  model::Scenario m;
  m.scenario_name = scenario;
  m.train_number = train;
  EXPECT_FALSE(writers::write_line_source(m, env, "/w"));
  EXPECT_FALSE(writers::write_train_source(m, env, "/w"));
  return {env.files()[model::file_path("/w", FileKind::kLineSource, m)],
          env.files()[model::file_path("/w", FileKind::kTrainSource, m)]};
}

class Sources : public testing_support::ToolFolder {};

TEST_F(Sources, WritesTheBuiltInSourcesByteForByte) {
  ToolOutcome result = scenarioc({"sources", folder_});
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, "wrote " + path(FileKind::kLineSource) + "\nwrote " +
                            path(FileKind::kTrainSource) + "\n");
  const auto [line, train] =
      written_by_the_writers(testing_support::kGivenScenario, testing_support::kGivenTrain);
  const auto files = snapshot();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(read(FileKind::kLineSource), line);
  EXPECT_EQ(read(FileKind::kTrainSource), train);
  // Windows-1252 with CR LF, as the compiler reads them.
  EXPECT_EQ(line.substr(0, 31), "stazione di Orte a km 114,300\r\n");
}

TEST_F(Sources, NamesThemAfterScenarioAndTrain) {
  // "Città" becomes one Windows-1252 byte for "à" in the name and in no text.
  ToolOutcome result =
      scenarioc({"sources", folder_, "--scenario", "Linea Città", "--train", "42"});
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  const auto files = snapshot();
  ASSERT_EQ(files.size(), 2u);
  const auto [line, train] = written_by_the_writers("Linea Città", "42");
  EXPECT_EQ(files.at(model::file_name(FileKind::kLineSource, "Linea Città", "42")), line);
  EXPECT_EQ(files.at(model::file_name(FileKind::kTrainSource, "Linea Città", "42")), train);
  EXPECT_EQ(files.count("Linea Città_linea.txt"), 1u);
  EXPECT_EQ(files.count("Linea Città_42-.txt"), 1u);

  // What they wrote compiles under those names.
  ToolOutcome check = scenarioc({"check", folder_, "--scenario", "Linea Città", "--train", "42"});
  EXPECT_EQ(check.out, "no fault (status 0)\n0 errors, 0 warnings\n");
}

TEST_F(Sources, KeepsSourcesThatAreAlreadyThereUnlessForced) {
  put(model::file_name(FileKind::kTrainSource, testing_support::kGivenScenario,
                       testing_support::kGivenTrain),
      "my edited train source");
  const auto before = snapshot();
  ToolOutcome refused = scenarioc({"sources", folder_});
  EXPECT_EQ(refused.status, tools::kExitPlatform);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "scenarioc: '" + path(FileKind::kTrainSource) +
                             "' already exists; nothing written (--force replaces it)\n");
  EXPECT_EQ(snapshot(), before);

  ToolOutcome forced = scenarioc({"sources", folder_, "--force"});
  EXPECT_EQ(forced.status, tools::kExitOk) << forced.err;
  EXPECT_EQ(
      read(FileKind::kTrainSource),
      written_by_the_writers(testing_support::kGivenScenario, testing_support::kGivenTrain).second);
}

TEST_F(Sources, AMissingFolderIsMade) {
  const std::string missing = folder_ + "/new scenario/sources";
  ToolOutcome result = scenarioc({"sources", missing});
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  EXPECT_TRUE(std::filesystem::exists(missing + "/Fiumicino Aeroporto_Roma_linea.txt"));
  EXPECT_TRUE(std::filesystem::exists(missing + "/Fiumicino Aeroporto_Roma_3291-.txt"));
}

TEST_F(Sources, AFileInTheWayOfTheFolderIsAFileError) {
  const std::string blocked = folder_ + "/a file";
  put("a file", "not a folder");
  ToolOutcome result = scenarioc({"sources", blocked + "/inside"});
  EXPECT_EQ(result.status, tools::kExitPlatform);
  EXPECT_NE(result.err.find("cannot create folder '" + blocked + "/inside'"), std::string::npos)
      << result.err;
}

}  // namespace
