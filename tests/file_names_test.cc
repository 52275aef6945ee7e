// Source file names read back into scenario name and train number.
#include "model/file_names.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using model::FileKind;
using model::ScenarioAndTrain;

struct SourceNameCase {
  const char* name;
  std::optional<FileKind> kind;
  std::optional<std::string> line_scenario;
  std::vector<ScenarioAndTrain> splits;
};

const SourceNameCase kSourceNames[] = {
    {"Roma_linea.txt", FileKind::kLineSource, "Roma", {}},
    {"Fiumicino Aeroporto_Roma_linea.txt", FileKind::kLineSource, "Fiumicino Aeroporto_Roma", {}},
    {"x_linea.txt", FileKind::kLineSource, "x", {}},
    // No name before the suffix: not a source at all.
    {"_linea.txt", std::nullopt, std::nullopt, {}},
    {"linea.txt", std::nullopt, std::nullopt, {}},
    {"Roma_linea.dat", std::nullopt, std::nullopt, {}},
    {"Roma_3291-.txt", FileKind::kTrainSource, std::nullopt, {{"Roma", "3291"}}},
    {"A_B_C-.txt", FileKind::kTrainSource, std::nullopt, {{"A_B", "C"}, {"A", "B_C"}}},
    {"Fiumicino Aeroporto_Roma_3291-.txt",
     FileKind::kTrainSource,
     std::nullopt,
     {{"Fiumicino Aeroporto_Roma", "3291"}, {"Fiumicino Aeroporto", "Roma_3291"}}},
    // An empty train number still names a train source; an empty scenario
    // name is no split.
    {"Roma_-.txt", FileKind::kTrainSource, std::nullopt, {{"Roma", ""}}},
    {"_3291-.txt", FileKind::kTrainSource, std::nullopt, {}},
    {"A__B-.txt", FileKind::kTrainSource, std::nullopt, {{"A_", "B"}, {"A", "_B"}}},
    // No underscore before "-.txt", or nothing but the suffix.
    {"3291-.txt", std::nullopt, std::nullopt, {}},
    {"-.txt", std::nullopt, std::nullopt, {}},
    {"_-.txt", FileKind::kTrainSource, std::nullopt, {}},
    {"Roma_3291.txt", std::nullopt, std::nullopt, {}},
    {"Roma_3291-.TXT", std::nullopt, std::nullopt, {}},
    {"Roma_3291.sim", std::nullopt, std::nullopt, {}},
    {"", std::nullopt, std::nullopt, {}},
};

void PrintTo(const SourceNameCase& c, std::ostream* os) { *os << '"' << c.name << '"'; }

class SourceNames : public testing::TestWithParam<SourceNameCase> {};

TEST_P(SourceNames, AreReadBackIntoTheirParts) {
  const SourceNameCase& c = GetParam();
  EXPECT_EQ(model::source_kind(c.name), c.kind) << c.name;
  EXPECT_EQ(model::line_source_scenario(c.name), c.line_scenario) << c.name;
  EXPECT_EQ(model::train_source_splits(c.name), c.splits) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Table, SourceNames, testing::ValuesIn(kSourceNames));

struct TrainOfCase {
  const char* name;
  const char* scenario;
  std::optional<std::string> train;
};

const TrainOfCase kTrainsOf[] = {
    {"Roma_3291-.txt", "Roma", "3291"},
    {"A_B_3291-.txt", "A", "B_3291"},
    {"A_B_3291-.txt", "A_B", "3291"},
    {"Roma_-.txt", "Roma", ""},
    // Another scenario whose name starts alike, or the whole stem.
    {"Romana_3291-.txt", "Roma", std::nullopt},
    {"Roma_3291-.txt", "Roma_3291", std::nullopt},
    {"Roma_3291-.txt", "Rom", std::nullopt},
    // Not a train source of any scenario.
    {"Roma_linea.txt", "Roma", std::nullopt},
    {"Roma_3291.sim", "Roma", std::nullopt},
    {"Roma-.txt", "Roma", std::nullopt},
};

void PrintTo(const TrainOfCase& c, std::ostream* os) {
  *os << '"' << c.name << "\" of \"" << c.scenario << '"';
}

class TrainOf : public testing::TestWithParam<TrainOfCase> {};

TEST_P(TrainOf, IsTheNumberOfThatScenariosTrainSource) {
  const TrainOfCase& c = GetParam();
  EXPECT_EQ(model::train_number_of(c.name, c.scenario), c.train) << c.name << " of " << c.scenario;
}

INSTANTIATE_TEST_SUITE_P(Table, TrainOf, testing::ValuesIn(kTrainsOf));

// What file_name() builds reads back as the same parts.
TEST(SourceNames, BuiltNamesReadBack) {
  const std::string scenario = "Fiumicino Aeroporto_Roma";
  const std::string line = model::file_name(FileKind::kLineSource, scenario, "3291");
  const std::string train = model::file_name(FileKind::kTrainSource, scenario, "3291");
  EXPECT_EQ(model::source_kind(line), FileKind::kLineSource);
  EXPECT_EQ(model::line_source_scenario(line), scenario);
  EXPECT_EQ(model::source_kind(train), FileKind::kTrainSource);
  EXPECT_EQ(model::train_number_of(train, scenario), "3291");
  EXPECT_EQ(model::train_source_splits(train).front(), (ScenarioAndTrain{scenario, "3291"}));
  for (FileKind other : {FileKind::kRouteNotes, FileKind::kSlowdownForm, FileKind::kTrainCard,
                         FileKind::kLineGeometry, FileKind::kService, FileKind::kCells})
    EXPECT_EQ(model::source_kind(model::file_name(other, scenario, "3291")), std::nullopt);
}

// The binary files are told by their ending alone, as decode finds them:
// each name the run writes reads back as its kind, and no text file does.
TEST(BinaryNames, AreToldByTheirEnding) {
  const std::string scenario = "Fiumicino Aeroporto_Roma";
  for (FileKind kind : {FileKind::kLineGeometry, FileKind::kService, FileKind::kCells})
    EXPECT_EQ(model::binary_kind(model::file_name(kind, scenario, "3291")), kind);
  for (FileKind kind : {FileKind::kLineSource, FileKind::kTrainSource, FileKind::kRouteNotes,
                        FileKind::kSlowdownForm, FileKind::kTrainCard})
    EXPECT_EQ(model::binary_kind(model::file_name(kind, scenario, "3291")), std::nullopt);
  // A train numbered "linea" writes a cell file its line geometry's name
  // would also fit: the line geometry wins, as the names cannot be told apart.
  EXPECT_EQ(model::binary_kind("a_linea.dat"), FileKind::kLineGeometry);
  EXPECT_EQ(model::binary_kind("linea.dat"), FileKind::kCells);
  EXPECT_EQ(model::binary_kind("a_3291.DAT"), std::nullopt);
}

}  // namespace
