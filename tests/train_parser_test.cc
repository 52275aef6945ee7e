#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "compiler/compile_state.h"
#include "compiler/passes.h"
#include "compiler/read_failure.h"
#include "job/compile_job.h"
#include "model/scenario.h"
#include "platform/mem_env.h"
#include "support/scenario_sources.h"
#include "support/train_model.h"
#include "tests/support/case_name.h"

namespace {

using train_test::crlf;
using train_test::kFolder;

constexpr int32_t kUnset = -12345;  // error_position before the pass

// The train pass on a hand-built model of the given line.
struct TrainPass {
  model::Scenario model = train_test::given_model();
  compiler::CompileState state;

  TrainPass() {
    state.sign_text_cursor = train_test::kGivenSignTextCursor;
    state.error_position = kUnset;
  }
  void run(const std::string& source) { compiler::parse_train_source(model, state, source); }
  const model::Cell& cell(int i) const { return model.cell(i); }
};

std::string station(int position, int kind, int length, int byte_d = 0, int byte_c = 0,
                    const char* name = "STAZIONE") {
  char line[160];
  std::snprintf(line, sizeof line,
                "stazione, %8d, %2d, %4d,  0, %d, %d,  0,0,0,  0,0,0,    0,   0, 0, 0, %s",
                position, kind, length, byte_d, byte_c, name);
  return line;
}

std::string signal(int position) {
  return "segnale, " + std::to_string(position) + ",   2, 4, 0,  0, 0,    2,  2,0,0, 0";
}

// ---------------------------------------------------------------------------
// The given train source.

class GivenTrainSource : public ::testing::Test {
 protected:
  void SetUp() override { pass.run(train_test::given_train_source()); }
  TrainPass pass;
};

TEST_F(GivenTrainSource, EndsWithoutStatus) {
  EXPECT_EQ(pass.state.status_code, 0);
  EXPECT_EQ(pass.state.error_position, kUnset);
}

TEST_F(GivenTrainSource, SpeedLimitAndAdhesionProfiles) {
  struct Span {
    int first, last;
    int speed_limit;
  };
  const Span spans[] = {{0, 25, 12},    {26, 207, 28},  {208, 231, 16}, {232, 499, 28},
                        {500, 523, 14}, {524, 543, 18}, {544, 599, 28}, {600, 678, 16},
                        {679, 837, 6},  {838, 840, 0}};
  for (const Span& span : spans)
    for (int c = span.first; c <= span.last; ++c)
      ASSERT_EQ(pass.cell(c).speed_limit, span.speed_limit) << "cell " << c;
  for (int c = 0; c <= 840; ++c)
    ASSERT_EQ(pass.cell(c).adhesion, c <= 837 ? 100 : 0) << "cell " << c;
}

TEST_F(GivenTrainSource, OnlyStationMarkersAndSignalsClaimCells) {
  std::map<int, model::Cell> expected;
  const int markers[] = {5, 223, 346, 395, 455, 520, 537, 622, 702};
  for (int i = 0; i < 9; ++i) {
    expected[markers[i]].kind = model::kind::kStationMarker;
    expected[markers[i]].value_a = static_cast<int16_t>(i + 1);
  }
  struct Signal {
    int cell;
    int16_t a, b, c, d;
    uint8_t time;
  };
  const Signal signals[] = {
      {31, 42, 0, 0, 8, 0},   {61, 42, 0, 0, 8, 0},    {91, 42, 0, 0, 8, 0},
      {121, 42, 0, 0, 8, 0},  {151, 42, 0, 0, 8, 0},   {181, 42, 0, 0, 8, 0},
      {211, 40, 0, 0, 3, 0},  {261, 42, 0, 0, 8, 0},   {291, 42, 0, 0, 8, 0},
      {321, 40, 0, 0, 3, 0},  {376, 40, 0, 0, 3, 0},   {427, 40, 0, 0, 3, 0},
      {475, 42, 11, 0, 8, 0}, {505, 42, 11, 11, 4, 0}, {565, 42, 0, 0, 8, 160},
      {595, 40, 0, 0, 3, 0},  {655, 42, 31, 11, 8, 0}, {680, 22, 41, 31, 8, 0},
  };
  for (const Signal& s : signals) {
    model::Cell& c = expected[s.cell];
    c.kind = model::kind::kSignal;
    c.value_a = s.a;
    c.value_b = s.b;
    c.value_c = s.c;
    c.value_d = s.d;
    c.signal_time = s.time;
  }
  ASSERT_EQ(expected.size(), 27u);
  for (int c = 0; c <= 840; ++c) {
    model::Cell got = pass.cell(c);
    got.repeat_code = got.speed_limit = got.adhesion = 0;  // checked elsewhere
    auto it = expected.find(c);
    EXPECT_EQ(got, it == expected.end() ? model::Cell{} : it->second) << "cell " << c;
  }
}

TEST_F(GivenTrainSource, RepeatAndApproachCodes) {
  // The first station: 81, 82, 83 before its marker in cell 5; cell 1 none.
  EXPECT_EQ(pass.cell(4).repeat_code, 81);
  EXPECT_EQ(pass.cell(3).repeat_code, 82);
  EXPECT_EQ(pass.cell(2).repeat_code, 83);
  EXPECT_EQ(pass.cell(1).repeat_code, 0);
  // The signal in cell 31 (sx 2, dx 2) and the one in cell 505 (sx 1, dx 1).
  const int signal_31[] = {29, 27, 25, 23};
  const int signal_505[] = {503, 501, 499, 497};
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(pass.cell(signal_31[k - 1]).repeat_code, 80 + k);
    EXPECT_EQ(pass.cell(signal_505[k - 1]).repeat_code, 40 + k);
  }
  // The terminus (kind 5) has no approach codes before its marker in cell 702.
  for (int c = 698; c <= 701; ++c) EXPECT_EQ(pass.cell(c).repeat_code, 0) << "cell " << c;
}

TEST_F(GivenTrainSource, StationRecords) {
  const auto& table = pass.model.service_table;
  const model::ServiceRecord& first = table[1];
  EXPECT_EQ(first.text, "FIUMICINO AEROPORTO");
  EXPECT_EQ(first.kind, 11);
  EXPECT_EQ(first.position_m, 0);
  EXPECT_EQ(first.start_m, -300);
  EXPECT_EQ(first.end_m, 300);
  EXPECT_EQ(first.flag_a, 1);
  EXPECT_EQ(first.word_a, 4);
  EXPECT_EQ(first.word_b, 1);
  EXPECT_EQ(first.byte_a, 0);
  EXPECT_EQ(first.word_c, 2);
  EXPECT_EQ(first.word_d, 1);
  EXPECT_EQ(first.word_e, 1);
  EXPECT_EQ(first.byte_b, 1);
  EXPECT_EQ(first.time_s, (10 * 60 + 7) * 60);

  const model::ServiceRecord& terminus = table[9];
  EXPECT_EQ(terminus.text, "ROMA TERMINI");
  EXPECT_EQ(terminus.kind, 5);
  EXPECT_EQ(terminus.start_m, 34200);
  EXPECT_EQ(terminus.end_m, 35150);
  EXPECT_EQ(terminus.time_s, (10 * 60 + 39) * 60);

  const char* names[] = {
      "FIUMICINO AEROPORTO", "PONTE GALERIA", "MURATELLA",      "MAGLIANA",    "VILLA BONELLI",
      "ROMA TRASTEVERE",     "ROMA OSTIENSE", "ROMA TUSCOLANA", "ROMA TERMINI"};
  for (int r = 1; r <= 9; ++r) EXPECT_EQ(table[r].text, names[r - 1]);
  for (int r = 2; r <= 8; ++r) EXPECT_EQ(table[r].time_s, 0) << "record " << r;
  // Roma Ostiense starts exactly 350 m after Roma Trastevere ends.
  EXPECT_EQ(table[6].end_m, 26050);
  EXPECT_EQ(table[7].start_m, 26400);
  EXPECT_EQ(table[10], model::ServiceRecord{});
}

TEST_F(GivenTrainSource, TrainSettings) {
  const auto& table = pass.model.service_table;
  EXPECT_EQ(table[84].start_m, 150);   // braked mass
  EXPECT_EQ(table[84].position_m, 5);  // coaches
  EXPECT_EQ(table[86].word_a, 0);      // sand
  EXPECT_EQ(table[86].word_c, 10);     // clock
  EXPECT_EQ(table[86].word_d, 5);
  EXPECT_EQ(table[86].word_e, 30);
}

// ---------------------------------------------------------------------------
// Faults: the status, its position, whether the tails ran, and the source
// deleted in every case.

struct FaultCase {
  const char* name;
  std::vector<std::string> entries;
  int32_t status_before;
  int32_t sign_text_cursor;
  int32_t status;
  int32_t position;  // kUnset: not set
  bool tails;        // the pass ended normally (the speed tail ran)
};

class TrainFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(TrainFault, StatusPositionAndEnd) {
  const FaultCase& c = GetParam();
  TrainPass pass;
  pass.state.status_code = c.status_before;
  pass.state.sign_text_cursor = c.sign_text_cursor;
  std::vector<std::string> lines = {"[generale]", "velocita, 0, 60", "velocita, 500, 100"};
  lines.insert(lines.end(), c.entries.begin(), c.entries.end());
  lines.push_back("[fine]");
  pass.run(crlf(lines));

  EXPECT_EQ(pass.state.status_code, c.status);
  EXPECT_EQ(pass.state.error_position, c.position);
  // The cells before the speed cursor are written in any case; the tail
  // (speed 100 from cell 10 on) only when the pass ended normally.
  EXPECT_EQ(pass.cell(9).speed_limit, 12);
  EXPECT_EQ(pass.cell(700).speed_limit, c.tails ? 20 : 0);
  EXPECT_EQ(pass.cell(700).adhesion, 0);
}

const FaultCase kFaults[] = {
    {"abbattimento_on_signal", {signal(1500), "abbattimento, 1550, 5"}, 0, 69, 7, 1550, false},
    {"station_not_multiple_of_50", {station(1025, 11, 600)}, 0, 69, 8, 1025, false},
    {"station_length_not_multiple_of_100", {station(1000, 11, 650)}, 0, 69, 9, 1000, false},
    {"stations_meet_sign_texts",
     {station(1000, 11, 600), station(3000, 11, 600)},
     0,
     3,
     10,
     kUnset,
     false},
    {"no_record_below_sign_texts", {station(1000, 11, 600)}, 0, 1, 10, kUnset, false},
    {"signal_on_station_marker", {station(1000, 11, 600), signal(1200)}, 0, 69, 16, 1200, false},
    {"warning_board_cell_taken",
     {signal(1500), "rallentamento, 2700, 60, 500, 0, 0, 0"},
     0,
     69,
     17,
     2700,
     false},
    {"slowdown_start_taken",
     {signal(2650), "rallentamento, 2650, 60, 300, 0, 0, 0"},
     0,
     69,
     18,
     2650,
     false},
    {"slowdown_end_taken",
     {signal(3000), "rallentamento, 2650, 60, 350, 0, 0, 0"},
     0,
     69,
     19,
     2650,
     false},
    {"pre_warning_taken",
     {signal(1500), "rallentamento, 2800, 60, 500, 0, 1, 0"},
     0,
     69,
     20,
     2800,
     false},
    {"stations_too_close",
     {station(1000, 11, 600), station(1600, 11, 600)},
     0,
     69,
     22,
     1600,
     false},
    // The second station starts 300 m after the first ends (1300 m), then 350 m.
    {"stations_300_m_apart",
     {station(1000, 11, 600), station(1900, 11, 600)},
     0,
     69,
     22,
     1900,
     false},
    {"stations_350_m_apart",
     {station(1000, 11, 600), station(1950, 11, 600)},
     0,
     69,
     0,
     kUnset,
     true},
    {"station_too_early", {station(0, 11, 200)}, 0, 69, 24, kUnset, false},
    {"speed_at_range_limit", {"velocita, 41900, 100"}, 0, 69, 0, kUnset, true},
    {"speed_beyond_range", {"velocita, 41901, 60"}, 0, 69, 15, 41901, true},
    {"station_beyond_range", {station(41250, 11, 600)}, 0, 69, 15, 41250, true},
    {"signal_beyond_range", {signal(41950)}, 0, 69, 15, 41950, true},
    {"abbattimento_beyond_range", {"abbattimento, 41950, 0"}, 0, 69, 15, 41950, true},
    {"adhesion_beyond_range", {"aderenza, 42000, 0"}, 0, 69, 15, 42000, true},
    {"slowdown_beyond_range", {"rallentamento, 41950, 60, 0, 0, 0, 0"}, 0, 69, 15, 41950, true},
    // Writes that would fall outside the cell track are refused the same way.
    {"signal_codes_before_cell_0", {signal(324)}, 0, 69, 15, 324, true},
    {"signal_codes_at_cell_0", {signal(325)}, 0, 69, 0, kUnset, true},
    {"slowdown_end_beyond_table",
     {"rallentamento, 41000, 60, 2000, 0, 0, 0"},
     0,
     69,
     15,
     41000,
     true},
    {"slowdown_start_below_cell_0",
     {"rallentamento, -2000, 60, 3000, 0, 0, 0"},
     0,
     69,
     15,
     -2000,
     true},
    {"abbattimento_below_cell_0", {"abbattimento, -26, 0"}, 0, 69, 15, -26, true},
    {"abbattimento_in_cell_0", {"abbattimento, -25, 0"}, 0, 69, 0, kUnset, true},
    {"station_marker_beyond_table", {station(40000, 11, 4200)}, 0, 69, 15, 40000, true},
    // A range-rule stop of the line pass stops the first signal or slowdown.
    {"line_pass_15_at_signal",
     {"abbattimento, 1000, 0", station(5000, 11, 600), signal(1500), signal(3000)},
     15,
     69,
     15,
     1500,
     false},
    {"line_pass_15_at_slowdown",
     {"rallentamento, 2700, 60, 500, 0, 0, 0"},
     15,
     69,
     15,
     2700,
     false},
};

INSTANTIATE_TEST_SUITE_P(Faults, TrainFault, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TrainPass, LinePassStatusLetsSignalBuilderWriteFirst) {
  TrainPass pass;
  pass.state.status_code = 15;
  pass.run(crlf({"[generale]", "abbattimento, 1000, 0", signal(1500), signal(3000), "[fine]"}));
  EXPECT_EQ(pass.cell(20).kind, model::kind::kAbbattimento);
  EXPECT_EQ(pass.cell(31).kind, model::kind::kSignal);
  EXPECT_EQ(pass.cell(23).repeat_code, 84);
  EXPECT_EQ(pass.cell(61).kind, model::kind::kNothing);
  EXPECT_EQ(pass.state.error_position, 1500);
}

TEST(TrainPass, PreWarningFaultKeepsBoardStartAndEnd) {
  TrainPass pass;
  pass.run(crlf({"[generale]", signal(1500), "rallentamento, 2800, 60, 500, 0, 1, 0", "[fine]"}));
  EXPECT_EQ(pass.state.status_code, 20);
  EXPECT_EQ(pass.cell(33).kind, model::kind::kWarningBoard);
  EXPECT_EQ(pass.cell(57).kind, model::kind::kSlowdownStart);
  EXPECT_EQ(pass.cell(67).kind, model::kind::kSlowdownEnd);
  EXPECT_EQ(pass.cell(32).kind, model::kind::kNothing);
}

TEST(TrainPass, StationMarkerBeyondTableIsRefusedBeforeAnyCell) {
  TrainPass pass;
  pass.run(crlf({"[generale]", station(40000, 11, 4200, 0, 0, "LONTANA"), "[fine]"}));
  EXPECT_EQ(pass.state.status_code, 15);
  const model::ServiceRecord& r = pass.model.service_table[1];
  EXPECT_EQ(r.text, "LONTANA");
  EXPECT_EQ(r.start_m, 37900);
  EXPECT_EQ(r.end_m, 42100);  // marker cell 841
  for (int c = 830; c <= 840; ++c) {
    EXPECT_EQ(pass.cell(c).kind, 0) << "cell " << c;
    EXPECT_EQ(pass.cell(c).repeat_code, 0) << "cell " << c;
  }
}

TEST(TrainPass, AdhesionCursorPushedPastTheTableIsRefused) {
  TrainPass pass;
  // Entries at one position push the cursor on by one cell each.
  pass.run(crlf({"[generale]", "aderenza, 0, 100", "aderenza, 41900, 90", "aderenza, 41900, 80",
                 "aderenza, 41900, 70", "aderenza, 41900, 60", "aderenza, 41900, 50", "[fine]"}));
  EXPECT_EQ(pass.cell(837).adhesion, 100);
  EXPECT_EQ(pass.cell(838).adhesion, 90);
  EXPECT_EQ(pass.cell(839).adhesion, 80);
  EXPECT_EQ(pass.cell(840).adhesion, 70);
  EXPECT_EQ(pass.state.status_code, 15);
  EXPECT_EQ(pass.state.error_position, 41900);
}

TEST(TrainPass, SpeedCursorStopsBeforeTheLastCell) {
  TrainPass pass;
  pass.run(crlf({"[generale]", "velocita, 0, 100", "velocita, 41900, 90", "velocita, 41900, 80",
                 "velocita, 41900, 70", "velocita, 41900, 60", "[fine]"}));
  EXPECT_EQ(pass.state.status_code, 0);
  EXPECT_EQ(pass.cell(837).speed_limit, 20);
  EXPECT_EQ(pass.cell(838).speed_limit, 18);
  EXPECT_EQ(pass.cell(839).speed_limit, 16);
  // The cursor stands at the last cell: the third entry there writes nothing,
  // and the tail writes the last cell with the last entry's speed.
  EXPECT_EQ(pass.cell(840).speed_limit, 12);
}

TEST(TrainPass, KilometricReferenceNotMultipleOf50SetsStatus2AfterTheTails) {
  TrainPass pass;
  pass.model.service_table[83].end_m = 1025;
  pass.run(crlf({"[generale]", "velocita, 0, 60", "velocita, 500, 100", "[fine]"}));
  EXPECT_EQ(pass.state.status_code, 2);
  EXPECT_EQ(pass.state.error_position, kUnset);
  EXPECT_EQ(pass.cell(837).speed_limit, 20);
}

// ---------------------------------------------------------------------------
// Keyword fields.

TEST(TrainPass, TwoDashedFieldsAreDroppedAndTheThirdExamined) {
  TrainPass three;
  three.run(crlf({"[generale]", "velocita, 0, 60", "- nota -", "-- altra --",
                  "-velocita-, 1000, 100", "[fine]"}));
  EXPECT_EQ(three.cell(19).speed_limit, 12);
  EXPECT_EQ(three.cell(20).speed_limit, 20);

  // With two, the second dashed field is dropped and its numbers are read as
  // keyword fields that match nothing.
  TrainPass two;
  two.run(crlf({"[generale]", "velocita, 0, 60", "- nota -", "-velocita-, 1000, 100", "[fine]"}));
  EXPECT_EQ(two.cell(20).speed_limit, 12);
  EXPECT_EQ(two.state.status_code, 0);
}

TEST(TrainPass, KeywordsIgnoreCaseAndNeedAllTheirWords) {
  TrainPass pass;
  pass.run(crlf({"[generale]", "PERCENTUALE MASSA FRENATA, 140", "massa, 99", "Numero Vetture, 7",
                 "[fine]"}));
  EXPECT_EQ(pass.model.service_table[84].start_m, 140);
  EXPECT_EQ(pass.model.service_table[84].position_m, 7);
}

TEST(TrainPass, AFieldMatchingTwoKeywordsReadsBothEntries) {
  TrainPass pass;
  pass.run(crlf({"[generale]", "sabbia orologio, 9, 8, 7, 3", "[fine]"}));
  const model::ServiceRecord& r = pass.model.service_table[86];
  EXPECT_EQ(r.word_c, 9);
  EXPECT_EQ(r.word_d, 8);
  EXPECT_EQ(r.word_e, 7);
  EXPECT_EQ(r.word_a, 3);
}

TEST(TrainPass, TheLastFieldOfTheFileIsNotExamined) {
  TrainPass pass;
  pass.run("[generale]\r\nvelocita, 0, 60\r\nvelocita");
  EXPECT_EQ(pass.state.status_code, 0);
  EXPECT_EQ(pass.cell(0).speed_limit, 12);
}

TEST(TrainPass, WithoutGeneraleNothingIsProcessed) {
  TrainPass pass;
  pass.run(crlf({"velocita, 0, 60", "velocita, 1000, 100", "[fine]"}));
  EXPECT_EQ(pass.state.status_code, 0);
  EXPECT_EQ(pass.cell(5).speed_limit, 0);
}

TEST(TrainPass, TwoSpeedEntriesAtOnePosition) {
  TrainPass pass;
  pass.run(crlf({"[generale]", "velocita, 0, 60", "velocita, 500, 100", "velocita, 500, 80",
                 "velocita, 1000, 40", "[fine]"}));
  EXPECT_EQ(pass.cell(9).speed_limit, 12);
  EXPECT_EQ(pass.cell(10).speed_limit, 20);  // the first entry at 500
  EXPECT_EQ(pass.cell(11).speed_limit, 16);
  EXPECT_EQ(pass.cell(19).speed_limit, 16);
  EXPECT_EQ(pass.cell(20).speed_limit, 8);
}

TEST(TrainPass, AbbattimentoCells) {
  TrainPass pass;
  pass.run(
      crlf({"[generale]", "abbattimento, 1000, 0", "abbattimento, 1050, 70000",
            "abbattimento, 1100, -5", "abbattimento, 125, 9", "abbattimento, 175, 9", "[fine]"}));
  EXPECT_EQ(pass.cell(20).kind, model::kind::kAbbattimento);
  EXPECT_EQ(pass.cell(21).kind, model::kind::kMarker);
  EXPECT_EQ(pass.cell(21).value_a, 70000 - 65536);  // its low 16 bits
  EXPECT_EQ(pass.cell(22).kind, model::kind::kAbbattimento);
  EXPECT_EQ(pass.cell(22).value_a, 0);
  // Halves go to the even cell: 2.5 to cell 2, 3.5 to cell 4.
  EXPECT_EQ(pass.cell(2).kind, model::kind::kMarker);
  EXPECT_EQ(pass.cell(3).kind, model::kind::kNothing);
  EXPECT_EQ(pass.cell(4).kind, model::kind::kMarker);
  EXPECT_EQ(pass.state.status_code, 0);
}

// ---------------------------------------------------------------------------
// Stations.

struct ExtentCase {
  int kind, position, length, byte_d, byte_c;
  int32_t start_m, end_m;
  int byte_d_after, byte_c_after;
  int marker;  // 0: none
  bool approach_codes;
  friend void PrintTo(const ExtentCase& c, std::ostream* os) {
    *os << "kind_" << c.kind << "_at_" << c.position << "_length_" << c.length << "_d" << c.byte_d
        << "_c" << c.byte_c;
  }
};

// Each station follows a first one at 0 (end 300), so that its record is 2.
class StationExtent : public ::testing::TestWithParam<ExtentCase> {};

TEST_P(StationExtent, ExtentFlagsAndCells) {
  const ExtentCase& c = GetParam();
  TrainPass pass;
  pass.run(crlf({"[generale]", station(0, 11, 600),
                 station(c.position, c.kind, c.length, c.byte_d, c.byte_c), "[fine]"}));
  ASSERT_EQ(pass.state.status_code, 0);
  const model::ServiceRecord& r = pass.model.service_table[2];
  EXPECT_EQ(r.start_m, c.start_m);
  EXPECT_EQ(r.end_m, c.end_m);
  EXPECT_EQ(r.byte_d, c.byte_d_after);
  EXPECT_EQ(r.byte_c, c.byte_c_after);
  int marked = 0;
  for (int cell = 6; cell <= 840; ++cell)
    if (pass.cell(cell).kind == model::kind::kStationMarker) {
      ++marked;
      EXPECT_EQ(cell, c.marker);
      EXPECT_EQ(pass.cell(cell).value_a, 2);
    }
  EXPECT_EQ(marked, c.marker ? 1 : 0);
  int coded = 0;
  for (int cell = 6; cell <= 840; ++cell) coded += pass.cell(cell).repeat_code != 0;
  EXPECT_EQ(coded, c.approach_codes ? 4 : 0);
  if (c.approach_codes) {
    for (int k = 1; k <= 4; ++k) {
      EXPECT_EQ(pass.cell(c.marker - k).repeat_code, 80 + k);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, StationExtent,
                         ::testing::Values(
                             // Ordinary kinds: centred on the position, 50 m longer with byte_c.
                             ExtentCase{11, 5000, 600, 3, 0, 4700, 5300, 3, 0, 105, true},
                             ExtentCase{12, 5000, 400, 3, 1, 4800, 5250, 0, 1, 104, true},
                             // Kinds 5 and 6 end 150 m after the position, without approach codes.
                             ExtentCase{5, 5000, 800, 2, 1, 4200, 5150, 2, 0, 102, false},
                             ExtentCase{6, 5000, 800, 0, 1, 4200, 5150, 0, 0, 102, false},
                             ExtentCase{7, 5000, 600, 0, 1, 4400, 5600, 0, 0, 111, true},
                             ExtentCase{8, 5000, 600, 0, 0, 4400, 5600, 0, 0, 111, true},
                             // From kind 25 on, no marker and no codes; the record is filled.
                             ExtentCase{25, 5000, 600, 1, 1, 4700, 5350, 1, 1, 0, false}),
                         testing_support::CaseName());

TEST(TrainPass, FirstStationIsLengthenedBeforeItsFlagsAreCleared) {
  TrainPass pass;
  pass.run(crlf({"[generale]", station(1000, 11, 600, 4, 2), "[fine]"}));
  const model::ServiceRecord& r = pass.model.service_table[1];
  EXPECT_EQ(r.start_m, 700);
  EXPECT_EQ(r.end_m, 1350);
  EXPECT_EQ(r.byte_c, 0);
  EXPECT_EQ(r.byte_d, 0);
  EXPECT_EQ(pass.cell(26).kind, model::kind::kStationMarker);
}

TEST(TrainPass, StationMarkerTakesItsCellWithoutAFreeTest) {
  TrainPass pass;
  pass.run(crlf({"[generale]", "abbattimento, 1250, 9", station(1000, 11, 600), "[fine]"}));
  EXPECT_EQ(pass.state.status_code, 0);
  EXPECT_EQ(pass.cell(25).kind, model::kind::kStationMarker);
  EXPECT_EQ(pass.cell(25).value_a, 1);
}

TEST(TrainPass, StationWithoutRoomBelowTheSignTextsWritesNothing) {
  TrainPass pass;
  pass.state.sign_text_cursor = 0;  // 80 name boards: record 1 holds a board text
  pass.model.service_table[1].text = "(BOARD)";
  pass.run(crlf({"[generale]", station(1000, 11, 600), "[fine]"}));
  EXPECT_EQ(pass.state.status_code, 10);
  EXPECT_EQ(pass.model.service_table[1].text, "(BOARD)");
  EXPECT_EQ(pass.model.service_table[1].position_m, 0);
  EXPECT_EQ(pass.cell(25).kind, model::kind::kNothing);
}

// With 79 name boards record 1 is still free: the first station is written
// whole, with its marker, and only then do the stations meet the board texts.
TEST(TrainPass, StationOnTheLastFreeRecordIsWrittenBeforeStatus10) {
  TrainPass pass;
  pass.state.sign_text_cursor = 1;
  pass.model.service_table[2].text = "(BOARD)";
  pass.run(crlf({"[generale]", station(1000, 11, 600, 0, 0, "PRIMA"), "[fine]"}));
  EXPECT_EQ(pass.state.status_code, 10);
  EXPECT_EQ(pass.model.service_table[1].position_m, 1000);
  EXPECT_EQ(pass.model.service_table[1].text, "PRIMA");
  EXPECT_EQ(pass.model.service_table[2].text, "(BOARD)");
  EXPECT_EQ(pass.cell(25).kind, model::kind::kStationMarker);
}

TEST(TrainPass, StationEntryKeepsTheFieldsReadBeforeAFailure) {
  TrainPass pass;
  EXPECT_THROW(pass.run("[generale]\r\nstazione, 1000, 11, 600, 1, 0, 0, 4\r\n"),
               compiler::ReadFailure);
  const model::ServiceRecord& r = pass.model.service_table[1];
  EXPECT_EQ(r.position_m, 1000);
  EXPECT_EQ(r.kind, 11);
  EXPECT_EQ(r.flag_a, 1);
  EXPECT_EQ(r.word_a, 4);
  EXPECT_EQ(r.start_m, 0);
}

// A service record stores its text's length in 16 bits: a longer name is
// refused at its field, counted in Windows-1252 bytes, one a character.
TEST(TrainPass, AStationNameLongerThan65535CharactersIsRefusedAtItsField) {
  std::string accepted;
  for (int i = 0; i < 65535; ++i) accepted += "\xC3\xA8";  // "è": two bytes here, one in the file
  TrainPass fits;
  fits.run(crlf({"[generale]", station(1000, 11, 600, 0, 0, "") + accepted, "[fine]"}));
  EXPECT_EQ(fits.state.status_code, 0);
  EXPECT_EQ(fits.model.service_table[1].text.size(), 2u * 65535);

  const std::string refused(65536, 'A');
  TrainPass pass;
  try {
    pass.run(
        crlf({"[generale]", "sabbia, 0", station(1000, 11, 600, 0, 0, "") + refused, "[fine]"}));
    FAIL() << "the name was accepted";
  } catch (const compiler::ReadFailure& failure) {
    ASSERT_TRUE(failure.location());
    EXPECT_EQ(failure.location()->line, 3);
    EXPECT_EQ(failure.location()->column, 74);  // the name, after the sixteen numbers
  }
}

// ---------------------------------------------------------------------------
// Read failures end the pass through the fault handler (status 25).

struct ReadFailureCase {
  const char* name;
  const char* source;
};

class TrainReadFailure : public ::testing::TestWithParam<ReadFailureCase> {};

TEST_P(TrainReadFailure, Throws) {
  TrainPass pass;
  EXPECT_THROW(pass.run(GetParam().source), compiler::ReadFailure);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, TrainReadFailure,
    ::testing::Values(
        ReadFailureCase{"empty", ""},
        ReadFailureCase{"signal_cut_short", "[generale]\r\nsegnale, 1500, 2, 4\r\n"},
        ReadFailureCase{"station_kind_above_255",
                        "[generale]\r\nstazione, 1000, 256, 600, 0, 0, 0, 0,0,0, 0,0,0, 0, "
                        "0,0,0, X\r\n[fine]\r\n"},
        ReadFailureCase{"clock_above_32767", "[generale]\r\norologio, 10 40000 30\r\n[fine]\r\n"},
        ReadFailureCase{"speed_fifth_above_255",
                        "[generale]\r\nvelocita, 0, 1278\r\nvelocita, 500, 60\r\n[fine]\r\n"},
        ReadFailureCase{"speed_fifth_below_0",
                        "[generale]\r\nvelocita, 0, -3\r\nvelocita, 500, 60\r\n[fine]\r\n"},
        ReadFailureCase{"speed_fifth_in_the_tail", "[generale]\r\nvelocita, 0, 1300\r\n[fine]\r\n"},
        ReadFailureCase{"text_for_a_number", "[generale]\r\nvelocita, abc, 60\r\n[fine]\r\n"},
        ReadFailureCase{"station_time_beyond_a_long",
                        "[generale]\r\nstazione, 1000, 11, 600, 0, 0, 0, 0,0,0, 0,0,0, 0, "
                        "600000,0,0, X\r\n[fine]\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TrainPass, SpeedFifthsAtTheByteLimitsFit) {
  TrainPass pass;
  pass.run(crlf(
      {"[generale]", "velocita, 0, 1277", "velocita, 500, -2", "velocita, 1000, 0", "[fine]"}));
  EXPECT_EQ(pass.cell(0).speed_limit, 255);
  EXPECT_EQ(pass.cell(10).speed_limit, 0);
}

TEST(TrainPass, ReadFailureLeavesTheEntryThatCausedIt) {
  TrainPass pass;
  try {
    pass.run("[generale]\r\nsabbia, 0\r\n  segnale, 1500, 2\r\n");
    FAIL() << "the entry cut short reads past the end";
  } catch (const compiler::ReadFailure& failure) {
    ASSERT_TRUE(failure.location());
    EXPECT_EQ(failure.location()->file, model::FileKind::kTrainSource);
    EXPECT_EQ(failure.location()->line, 3);
    EXPECT_EQ(failure.location()->column, 3);
  }
}

// ---------------------------------------------------------------------------
// Through the whole compile, after the real line pass.

struct BothPasses {
  model::Scenario names = [] {
    model::Scenario m;
    m.scenario_name = "Fiumicino Aeroporto_Roma";
    m.train_number = "3291";
    return m;
  }();
  platform::MemEnv env;
  compiler::CompileResult result;
  platform::Status failure;

  void run(const std::vector<std::string>& line_source, const std::string* train_source) {
    ASSERT_FALSE(testing_support::write_source(
        env, model::file_path(kFolder, model::FileKind::kLineSource, names), line_source));
    if (train_source) env.files()[train_test::train_source_path(names)] = *train_source;
    job::JobRequest request;
    request.folder = kFolder;
    request.scenario_name = names.scenario_name;
    request.train_number = names.train_number;
    job::JobResult job = job::run_job(env, request);
    result = std::move(job.compile);
    failure = std::move(job.failure);
  }
  bool exists(model::FileKind kind) {
    return env.files().count(model::file_path(kFolder, kind, names)) > 0;
  }
  const compiler::Location& fault_at() const { return result.diagnostics.back().at; }
};

TEST(TrainPassAfterLinePass, GivenSourcesLeaveNoStatus) {
  BothPasses both;
  const std::string train = train_test::given_train_source();
  both.run(testing_support::line_source_with({}), &train);
  EXPECT_EQ(both.result.status, 0);
  EXPECT_FALSE(both.exists(model::FileKind::kTrainSource));
  EXPECT_EQ(both.result.model.cell(702).kind, model::kind::kStationMarker);
  EXPECT_EQ(both.result.model.cell(680).kind, model::kind::kSignal);
  EXPECT_EQ(both.result.model.cell(837).speed_limit, 6);
}

// The compile cannot go on without the train source: nothing is deleted and
// no binary file is written.
TEST(TrainPassAfterLinePass, MissingTrainSourceIsAFailureThatDeletesNothing) {
  BothPasses both;
  both.run(testing_support::line_source_with({}), nullptr);
  ASSERT_TRUE(both.failure);
  EXPECT_EQ(both.failure->operation, "open");
  EXPECT_EQ(both.failure->path, train_test::train_source_path(both.names));
  EXPECT_TRUE(both.exists(model::FileKind::kLineSource));
  EXPECT_FALSE(both.exists(model::FileKind::kCells));
  EXPECT_FALSE(both.exists(model::FileKind::kService));
  EXPECT_FALSE(both.exists(model::FileKind::kLineGeometry));
}

TEST(TrainPassAfterLinePass, EntryCutShortIsStatus25WithTheSourceDeleted) {
  BothPasses both;
  const std::string train = crlf({"[generale]", "sabbia, 1", "segnale, 1500, 2, 4, 0"});
  both.run(testing_support::line_source_with({}), &train);
  EXPECT_EQ(both.result.status, 25);
  EXPECT_FALSE(both.exists(model::FileKind::kTrainSource));
  EXPECT_FALSE(both.exists(model::FileKind::kLineSource));
  EXPECT_EQ(both.fault_at().file, model::FileKind::kTrainSource);
  EXPECT_EQ(both.fault_at().line, 3);  // the entry the end cut short
  EXPECT_EQ(both.result.model.service_table[86].word_a, 1);
}

TEST(TrainPassAfterLinePass, RangeStopOfTheLinePassEndsAtTheFirstSignal) {
  BothPasses both;
  const std::string train = train_test::given_train_source();
  both.run(testing_support::line_source_with({"pendenza, 41901, 0"}), &train);
  EXPECT_EQ(both.result.status, 15);
  EXPECT_EQ(both.result.error_position, 1500);
  EXPECT_EQ(both.result.model.cell(31).kind, model::kind::kSignal);
  EXPECT_EQ(both.result.model.cell(61).kind, model::kind::kNothing);
  EXPECT_EQ(both.result.model.cell(702).kind, model::kind::kStationMarker);  // stations come first
  EXPECT_EQ(both.result.model.cell(700).speed_limit, 0);                     // no tails
  EXPECT_FALSE(both.exists(model::FileKind::kTrainSource));
}

}  // namespace
