#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile.h"
#include "compiler/compile_state.h"
#include "compiler/passes.h"
#include "compiler/read_failure.h"
#include "job/compile_job.h"
#include "model/file_names.h"
#include "model/scenario.h"
#include "model/status_codes.h"
#include "platform/mem_env.h"
#include "tests/support/case_name.h"
#include "writers/writers.h"

namespace {

using model::FileKind;
using model::Variant;
namespace status = model::status;

constexpr char kFolder[] = "/s";
constexpr int32_t kUntouched = -12345;  // an error position no fault stores

std::string joined(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string source(std::initializer_list<std::string_view> lines) {
  return joined(std::span<const std::string_view>(lines.begin(), lines.size()));
}

std::string given_source() { return joined(writers::line_source_lines()); }

// A line of 35000 m (cell_last 840) with `features` after the general part.
std::string line_with(const std::vector<std::string>& features) {
  std::string text = source({"[generale]", "lunghezza percorso,    35000", "[curve]"});
  for (const std::string& f : features) text += f + "\r\n";
  return text + "[fine]\r\n";
}

class LineParserTest : public ::testing::Test {
 protected:
  LineParserTest() {
    model.scenario_name = "Fiumicino Aeroporto_Roma";
    model.train_number = "3291";
    state.error_position = kUntouched;
  }

  std::string line_path() const { return model::file_path(kFolder, FileKind::kLineSource, model); }
  std::string train_path() const {
    return model::file_path(kFolder, FileKind::kTrainSource, model);
  }

  job::JobRequest request() const {
    job::JobRequest r;
    r.folder = kFolder;
    r.scenario_name = model.scenario_name;
    r.train_number = model.train_number;
    r.build_line_file = state.build_line_file;
    return r;
  }

  // The line pass alone; a train source stands beside it in `env`.
  bool parse(const std::string& text) {
    env.files()[line_path()] = text;
    env.files()[train_path()] = "[generale]\r\n[fine]\r\n";
    return compiler::parse_line_source(model, state, text);
  }

  // Which of the two sources a whole compile of the folder leaves.
  std::pair<bool, bool> sources_left_by_compile() {
    platform::MemEnv copy;
    copy.files() = env.files();
    job::run_job(copy, request());
    return {copy.files().count(line_path()) != 0, copy.files().count(train_path()) != 0};
  }
  // The whole compile of the folder.
  compiler::CompileResult compile_folder() { return job::run_job(env, request()).compile; }

  const model::Cell& cell(int32_t i) const { return model.cell(i); }
  const model::ServiceRecord& record(int i) const {
    return model.service_table[static_cast<size_t>(i)];
  }

  model::Scenario model;
  platform::MemEnv env;
  compiler::CompileState state;
};

// --- The given line source -------------------------------------------------

TEST_F(LineParserTest, GivenSourceSettingsAndSizes) {
  ASSERT_TRUE(parse(given_source()));
  EXPECT_EQ(state.status_code, 0);
  EXPECT_EQ(state.error_position, kUntouched);
  EXPECT_EQ(sources_left_by_compile(), std::make_pair(false, false));  // the train pass follows
  EXPECT_EQ(model.line_span, 42000);
  EXPECT_EQ(model.cell_last, 840);
  EXPECT_EQ(model.cell_track.size(), 841u);
  EXPECT_EQ(model.line_table.last_row(), 42000);
  EXPECT_EQ(record(84).end_m, 35000);

  struct Settings {
    int record;
    int32_t start_m, end_m, position_m;
  };
  for (Settings s : {Settings{81, 0, 35100, 1}, Settings{82, 0, 0, 0}, Settings{83, 0, 0, 0},
                     Settings{85, 1, 0, 0}, Settings{86, 0, 0, 0}}) {
    EXPECT_EQ(record(s.record).start_m, s.start_m) << "record " << s.record;
    EXPECT_EQ(record(s.record).end_m, s.end_m) << "record " << s.record;
    EXPECT_EQ(record(s.record).position_m, s.position_m) << "record " << s.record;
  }
  EXPECT_EQ(record(85).text, "Fiumicino Aeroporto_Roma");
  EXPECT_EQ(record(86).text, "3291");
}

TEST_F(LineParserTest, GivenSourceGradientsPerCell) {
  ASSERT_TRUE(parse(given_source()));
  struct Range {
    int32_t first, last;
    uint8_t gradient;
  };
  const Range ranges[] = {{0, 26, 100},    {27, 126, 97},  {127, 310, 100}, {311, 510, 102},
                          {511, 530, 100}, {531, 610, 98}, {611, 625, 100}, {626, 679, 105},
                          {680, 837, 100}, {838, 840, 0}};
  for (const Range& r : ranges)
    for (int32_t c = r.first; c <= r.last; ++c)
      ASSERT_EQ(cell(c).gradient, r.gradient) << "cell " << c;
}

TEST_F(LineParserTest, GivenSourceBoardsAndTunnels) {
  ASSERT_TRUE(parse(given_source()));
  struct NameBoard {
    int32_t cell;
    const char* text;
  };
  const NameBoard boards[] = {
      {144, "(SOTTOVIA    )(AUTOSTRADALE)"}, {199, "(SOTTOVIA )(MURATELLA)"},
      {236, "(SOTTOVIA )(PORTUENSE)"},       {302, "(SOTTOVIA        )(RACCORDO ANULARE)"},
      {424, "(SOTTOVIA)(MAGLIANA)"},         {523, "(PONTE SU    )(FIUME TEVERE)"},
      {554, "(SOTTOVIA)(COLOMBO )"},         {580, "(SOTTOVIA)(LATINA  )"},
      {590, "(SOTTOVIA)(SIRIA   )"},         {598, "(SOTTOVIA)(ACQUI   )"},
      {606, "(SOTTOVIA)(APPIA   )"}};
  int record_number = 80;
  for (const NameBoard& b : boards) {
    EXPECT_EQ(cell(b.cell).kind, model::kind::kNameBoard) << "cell " << b.cell;
    EXPECT_EQ(cell(b.cell).value_a, record_number) << "cell " << b.cell;
    EXPECT_EQ(record(record_number).text, b.text);
    --record_number;
  }
  EXPECT_EQ(state.sign_text_cursor, 69);
  EXPECT_EQ(record(69).text, "");

  const int32_t tunnel_cells[] = {144, 199, 236, 302, 424, 554, 580, 590, 598, 606};
  EXPECT_EQ(state.tunnel_count, 10);
  EXPECT_EQ(state.tunnel_start[1], 7200);
  EXPECT_EQ(state.tunnel_end[10], 30350);
  int speed_boards = 0, name_boards = 0, tunnels = 0;
  for (int32_t c = 0; c <= model.cell_last; ++c) {
    speed_boards += cell(c).kind == model::kind::kSpeedBoard;
    name_boards += cell(c).kind == model::kind::kNameBoard;
    EXPECT_NE(cell(c).kind, model::kind::kTunnelFiller);
    if (cell(c).tunnel_type != 0) {
      EXPECT_EQ(cell(c).tunnel_type, 2);
      EXPECT_EQ(c, tunnel_cells[tunnels]);
      ++tunnels;
    }
  }
  EXPECT_EQ(tunnels, 10);
  EXPECT_EQ(speed_boards, 12);
  EXPECT_EQ(name_boards, 11);

  const model::Cell& board_1300 = cell(27);
  EXPECT_EQ(board_1300.kind, model::kind::kSpeedBoard);
  EXPECT_EQ(board_1300.value_a, 2828);
  EXPECT_EQ(board_1300.value_b, 3030);
  EXPECT_EQ(board_1300.value_c, 3232);
  EXPECT_EQ(board_1300.value_d, 0);
  const model::Cell& board_7700 = cell(155);
  EXPECT_EQ(board_7700.value_a, 1616);
  EXPECT_EQ(board_7700.value_b, 1616);
  EXPECT_EQ(board_7700.value_c, 1818);
  EXPECT_EQ(board_7700.value_d, 22);
}

TEST_F(LineParserTest, GivenSourcePlan) {
  ASSERT_TRUE(parse(given_source()));
  const model::LineTable& plan = model.line_table;
  EXPECT_EQ(plan.at(0, 0), Variant::integer(0));
  EXPECT_EQ(plan.at(0, 1), Variant::integer(0));
  EXPECT_EQ(plan.at(1, 0), Variant::integer(0));
  EXPECT_EQ(plan.at(1, 1), Variant::integer(1));
  EXPECT_EQ(plan.at(650, 0), Variant::real(0));
  EXPECT_EQ(plan.at(650, 1), Variant::real(650));
  // The first step of "curvas6": k = -0.003, with the sums in their fixed order.
  const double k = -0.003;
  EXPECT_EQ(plan.at(651, 0), Variant::real(-0.003));
  EXPECT_EQ(plan.at(651, 1), Variant::real(651));
  const double dx = -0.003, dy = 1;
  EXPECT_EQ(plan.at(652, 0), Variant::real(-0.003 + (dx + k * dy)));
  EXPECT_EQ(plan.at(652, 1), Variant::real(651 + (dy - k * dx)));
  EXPECT_NEAR(plan.at(950, 0).value, -126.634, 0.0005);
  EXPECT_NEAR(plan.at(950, 1).value, 911.084, 0.0005);
  EXPECT_NEAR(plan.at(41998, 0).value, -35429.54, 0.005);
  EXPECT_NEAR(plan.at(41998, 1).value, 12397.71, 0.005);
  for (int32_t m = 2; m <= 41998; ++m) {
    ASSERT_EQ(plan.at(m, 0).tag, Variant::kDouble) << "metre " << m;
    ASSERT_EQ(plan.at(m, 1).tag, Variant::kDouble) << "metre " << m;
  }
  for (int32_t m : {41999, 42000})
    for (int col : {0, 1}) EXPECT_EQ(plan.at(m, col), Variant{}) << "metre " << m;
}

// The first four curves, each starting where the one before ended, stepped
// with the sums in their fixed order: every bit must agree.
TEST_F(LineParserTest, GivenSourcePlanToTheBitOverTheFirstCurves) {
  ASSERT_TRUE(parse(given_source()));
  struct Curve {
    int32_t last;
    double k;
  };
  const Curve curves[] = {{650, 0}, {950, -0.003}, {1050, -0.0002}, {1200, -0.003}, {1300, -0.001}};
  double x2 = 0, y2 = 0, x1 = 0, y1 = 1;
  int32_t m = 2;
  for (const Curve& c : curves) {
    for (; m <= c.last; ++m) {
      const double dx = x1 - x2, dy = y1 - y2;
      const double x = c.k == 0 ? x1 + dx : x1 + (dx + c.k * dy);
      const double y = c.k == 0 ? y1 + dy : y1 + (dy - c.k * dx);
      ASSERT_EQ(model.line_table.at(m, 0), Variant::real(x)) << "metre " << m;
      ASSERT_EQ(model.line_table.at(m, 1), Variant::real(y)) << "metre " << m;
      x2 = x1, y2 = y1, x1 = x, y1 = y;
    }
  }
}

TEST_F(LineParserTest, WithoutLineFileNoPlanAndCurveNumbersMatchNothing) {
  ASSERT_TRUE(parse(given_source()));
  const std::vector<model::Cell> with_plan = model.cell_track;

  model = model::Scenario{};
  model.scenario_name = "Fiumicino Aeroporto_Roma";
  model.train_number = "3291";
  state = compiler::CompileState{};
  state.build_line_file = false;
  ASSERT_TRUE(parse(given_source()));
  EXPECT_EQ(state.status_code, 0);
  EXPECT_FALSE(model.line_table.allocated());
  EXPECT_EQ(model.cell_track, with_plan);
  EXPECT_EQ(state.sign_text_cursor, 69);
}

TEST_F(LineParserTest, WithoutLineFileABadCurveIsNoFault) {
  state.build_line_file = false;
  ASSERT_TRUE(parse(line_with({"curva7,  100,  50", "pendenza,  1000,  5"})));
  EXPECT_EQ(state.status_code, 0);
  EXPECT_EQ(cell(20).gradient, 105);
}

// --- Line length -----------------------------------------------------------

struct LengthCase {
  int32_t length;
  int32_t line_span;
  int32_t cell_last;
  friend void PrintTo(const LengthCase& c, std::ostream* os) { *os << "length_" << c.length; }
};

class LineLength : public LineParserTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(LineLength, SizesTheCellTrackAndThePlan) {
  const LengthCase& c = GetParam();
  ASSERT_TRUE(parse(source(
      {"[generale]", "lunghezza percorso, " + std::to_string(c.length), "[curve]", "[fine]"})));
  EXPECT_EQ(state.status_code, 0);
  EXPECT_EQ(model.line_span, c.line_span);
  EXPECT_EQ(model.cell_last, c.cell_last);
  EXPECT_EQ(model.cell_track.size(), static_cast<size_t>(c.cell_last) + 1);
  EXPECT_EQ(model.line_table.last_row(), c.line_span);
}

INSTANTIATE_TEST_SUITE_P(LineParser, LineLength,
                         ::testing::Values(LengthCase{35000, 42000, 840},
                                           LengthCase{1000000, 1007000, 20140},
                                           LengthCase{7025, 14025, 280},  // 280.5: even
                                           LengthCase{7075, 14075, 282},  // 281.5: even
                                           LengthCase{0, 7000, 140}),
                         testing_support::CaseName());

TEST_F(LineParserTest, ASecondLengthEntryMakesBothTablesAnew) {
  ASSERT_TRUE(parse(source({"[generale]", "lunghezza percorso, 35000", "lunghezza percorso, 1000",
                            "[curve]", "[fine]"})));
  EXPECT_EQ(model.line_span, 8000);
  EXPECT_EQ(model.cell_last, 160);
  EXPECT_EQ(model.cell_track.size(), 161u);
  EXPECT_EQ(model.line_table.last_row(), 8000);
  EXPECT_EQ(record(84).end_m, 1000);
}

TEST_F(LineParserTest, AGeneralPartWithoutHeaderRunsToTheEnd) {
  // The last field is never examined, so the line stays straight and level.
  ASSERT_TRUE(parse(source(
      {"[generale]", "lunghezza percorso, 35000", "pendenza, 1000, 5", "curvas6, 650, 300"})));
  EXPECT_EQ(state.status_code, 0);
  for (int32_t c = 0; c <= 837; ++c) ASSERT_EQ(cell(c).gradient, 100) << "cell " << c;
  for (int32_t c = 838; c <= 840; ++c) EXPECT_EQ(cell(c).gradient, 0) << "cell " << c;
  EXPECT_EQ(model.line_table.at(41998, 0), Variant::real(0));
  EXPECT_EQ(model.line_table.at(41998, 1), Variant::real(41998));
  EXPECT_EQ(model.line_table.at(41999, 1), Variant{});
}

// --- Keywords, case and dashed fields ---------------------------------------

TEST_F(LineParserTest, GeneralKeywordCaseRules) {
  ASSERT_TRUE(parse(source({"[generale]", "Lunghezza Percorso, 35000",
                            "progressiva chilometrica UNO, 3000, 35000, 1",
                            "progressiva chilometrica due, 1000, 20000, 0", "Sfondo uno, 5",
                            "sfondo tre due, 4, 6", "[curve]", "[fine]"})));
  EXPECT_EQ(model.cell_last, 840);
  // UNO is not "uno": its numbers were keyword fields matching nothing.
  EXPECT_EQ(record(81).start_m, 1000);
  EXPECT_EQ(record(81).end_m, 20000);
  EXPECT_EQ(record(82).start_m, 0);
  EXPECT_EQ(record(83).start_m, 0);
  EXPECT_EQ(record(83).end_m, 0);
  // "Sfondo uno" is not recognised; a field with two keywords reads both, in
  // table order ("due" before "tre").
  EXPECT_EQ(record(85).start_m, 0);
  EXPECT_EQ(record(85).position_m, 4);
  EXPECT_EQ(record(85).end_m, 6);
}

TEST_F(LineParserTest, KeywordsOfTheOtherPartAreNotRecognised) {
  ASSERT_TRUE(parse(source({"[generale]", "lunghezza percorso, 35000", "pendenza, 1000, 5",
                            "[curve]", "sfondo uno, 7", "PENDENZA, 2000, 3", "[fine]"})));
  EXPECT_EQ(state.status_code, 0);
  EXPECT_EQ(record(85).start_m, 0);
  EXPECT_EQ(cell(20).gradient, 100);
  EXPECT_EQ(cell(40).gradient, 103);
}

struct DashedCase {
  const char* name;
  std::vector<std::string> general;  // fields before the general part's header
  std::vector<std::string> features;
  int32_t background;  // record 85 start_m afterwards
  uint8_t gradient;    // cell 20's gradient afterwards
};

class DashedFields : public LineParserTest, public ::testing::WithParamInterface<DashedCase> {};

TEST_P(DashedFields, AreDroppedUpToTheLimitInARow) {
  const DashedCase& c = GetParam();
  std::string text = source({"[generale]", "lunghezza percorso, 35000"});
  for (const std::string& f : c.general) text += f + "\r\n";
  text += "[curve]\r\n";
  for (const std::string& f : c.features) text += f + "\r\n";
  text += "[fine]\r\n";
  ASSERT_TRUE(parse(text));
  EXPECT_EQ(state.status_code, 0);
  EXPECT_EQ(record(85).start_m, c.background);
  EXPECT_EQ(cell(20).gradient, c.gradient);
}

std::vector<std::string> comments(int n, const std::string& last) {
  std::vector<std::string> fields(static_cast<size_t>(n), "-- commento --");
  fields.push_back(last);
  return fields;
}

INSTANTIATE_TEST_SUITE_P(
    LineParser, DashedFields,
    ::testing::Values(
        // Ten comments are dropped and the entry after them is read.
        DashedCase{"general_ten_dropped", comments(10, "sfondo uno, 7"), {}, 7, 100},
        // The eleventh dashed field in a row is examined as a keyword field.
        DashedCase{"general_eleventh_examined", comments(10, "- sfondo uno -, 7"), {}, 7, 100},
        DashedCase{"general_tenth_dropped", comments(9, "- sfondo uno -, 7"), {}, 0, 100},
        DashedCase{"feature_two_dropped", {}, comments(2, "pendenza, 1000, 5"), 0, 105},
        DashedCase{"feature_third_examined", {}, comments(2, "- pendenza -, 1000, 5"), 0, 105},
        DashedCase{"feature_second_dropped", {}, comments(1, "- pendenza -, 1000, 5"), 0, 100},
        // Numbers are not keyword fields: the minus sign stays.
        DashedCase{
            "numbers_keep_their_sign", {}, {"pendenza, 1000, -3", "pendenza, 2000, 0"}, 0, 97}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineParserTest, SignalRepetitionWithCode9) {
  ASSERT_TRUE(parse(source({"[generale]", "lunghezza percorso, 35000",
                            "ripetizione segnali 9 codici, 100, 2000", "[curve]", "[fine]"})));
  EXPECT_EQ(record(86).start_m, 100);
  EXPECT_EQ(record(86).end_m, 2000);
  EXPECT_EQ(record(86).position_m, 9);
}

TEST_F(LineParserTest, SignalRepetitionAcceptsNegativeMultiplesAnd4WinsOver9) {
  ASSERT_TRUE(parse(source({"[generale]", "lunghezza percorso, 35000",
                            "ripetizione segnali 9 o 4, -50, 50", "[curve]", "[fine]"})));
  EXPECT_EQ(state.status_code, 0);
  EXPECT_EQ(record(86).start_m, -50);
  EXPECT_EQ(record(86).position_m, 4);
}

// Both numbers are stored before either is checked: a first number that is
// not a multiple of 50 still leaves the second in the record.
TEST_F(LineParserTest, SignalRepetitionStoresBothNumbersBeforeChecking) {
  EXPECT_FALSE(parse(source({"[generale]", "lunghezza percorso, 35000",
                             "ripetizione segnali 4, -25, 1400", "[curve]", "[fine]"})));
  EXPECT_EQ(state.status_code, status::kRepeatFirstNotMultiple);
  EXPECT_EQ(record(86).start_m, -25);
  EXPECT_EQ(record(86).end_m, 1400);
}

// --- Features ----------------------------------------------------------------

TEST_F(LineParserTest, GradientsAtRepeatedPositionsStillMoveTheCursor) {
  ASSERT_TRUE(parse(line_with({"pendenza, 500, 2", "pendenza, 1000, 4", "pendenza, 1000, 6"})));
  for (int32_t c = 0; c <= 9; ++c) EXPECT_EQ(cell(c).gradient, 100) << "cell " << c;
  for (int32_t c = 10; c <= 19; ++c) EXPECT_EQ(cell(c).gradient, 102) << "cell " << c;
  // The second entry at 1000 sets one cell to the first one's gradient.
  EXPECT_EQ(cell(20).gradient, 104);
  EXPECT_EQ(cell(21).gradient, 106);
  EXPECT_EQ(cell(837).gradient, 106);
}

TEST_F(LineParserTest, ACurveStartingBehindTheCursorCurvesFromTheCursor) {
  ASSERT_TRUE(parse(line_with({"curvad4, 1000, 150"})));
  const model::LineTable one_curve = model.line_table;
  ASSERT_TRUE(parse(line_with({"curvad4, 1000, 100", "curvad4, 1050, 100",
                               // Ends behind the cursor: changes nothing.
                               "curvas6, 1080, 20"})));
  EXPECT_TRUE(model.line_table.column[0] == one_curve.column[0]);
  EXPECT_TRUE(model.line_table.column[1] == one_curve.column[1]);
  // A right curve turns towards the positive side of column 0.
  EXPECT_GT(one_curve.at(1150, 0).value, 0);
}

TEST_F(LineParserTest, ANameBoardMayStandOnATunnelFiller) {
  ASSERT_TRUE(parse(line_with({"montagna, 1000, 1500, 12", "cartello_indicatore, 1100, (A)(B)"})));
  EXPECT_EQ(state.status_code, 0);
  EXPECT_EQ(cell(23).kind, model::kind::kNameBoard);
  EXPECT_EQ(cell(27).kind, model::kind::kTunnelFiller);
  EXPECT_EQ(record(80).text, "(A)(B)");
}

// --- Faults that end the pass ------------------------------------------------

struct FaultCase {
  const char* name;
  std::string text;
  int32_t status;
  int32_t error_position;  // kUntouched: the code has none
};

class LineFaults : public LineParserTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(LineFaults, StopTheLinePassAndDeleteTheSource) {
  const FaultCase& c = GetParam();
  EXPECT_FALSE(parse(c.text));
  EXPECT_EQ(state.status_code, c.status);
  EXPECT_EQ(state.error_position, c.error_position);
  EXPECT_EQ(sources_left_by_compile(), std::make_pair(false, true));
  // The train pass never comes: a folder without a train source gives the
  // same status, and no file failure.
  platform::MemEnv without_train;
  without_train.files()[line_path()] = c.text;
  const job::JobResult job = job::run_job(without_train, request());
  EXPECT_FALSE(job.failure);
  EXPECT_EQ(job.compile.status, c.status);
  EXPECT_EQ(without_train.files().count(line_path()), 0u);
}

const std::string kGeneral = "[generale]\r\nlunghezza percorso, 35000\r\n";

INSTANTIATE_TEST_SUITE_P(
    LineParser, LineFaults,
    ::testing::Values(
        FaultCase{"no_general_section", source({"stazione di Orte a km 114,300", "[fine]"}),
                  status::kNoGeneralSection, kUntouched},
        FaultCase{"general_is_the_last_field", source({"testa", "[Generale]"}),
                  status::kNoGeneralSection, kUntouched},
        FaultCase{"line_too_long", source({"[generale]", "lunghezza percorso, 1000001", "[fine]"}),
                  status::kLineTooLong, kUntouched},
        FaultCase{"repetition_first_not_multiple",
                  kGeneral + source({"ripetizione segnali 4, 125, 0", "[fine]"}),
                  status::kRepeatFirstNotMultiple, kUntouched},
        FaultCase{"repetition_second_not_multiple",
                  kGeneral + source({"ripetizione segnali 4, 100, 2025", "[fine]"}),
                  status::kRepeatSecondNotMultiple, kUntouched},
        FaultCase{"repetition_without_code",
                  kGeneral + source({"ripetizione segnali, 100, 2000", "[fine]"}),
                  status::kRepeatNoCode, kUntouched},
        FaultCase{
            "name_board_on_speed_board",
            line_with({"indicatori_vmax, 1300, 1,1,1,1,1,1,1,1", "cartello_indicatore, 1290, (A)"}),
            status::kNameBoardCellTaken, 1290},
        FaultCase{
            "speed_board_on_name_board",
            line_with({"cartello_indicatore, 1300, (A)", "indicatori_vmax, 1310, 1,1,1,1,1,1,1,1"}),
            status::kSpeedBoardCellTaken, 1310},
        FaultCase{"curve_without_class_digit", line_with({"curva7, 1000, 100"}), status::kBadCurve,
                  kUntouched},
        FaultCase{"curve_beyond_metre_1000000",
                  source({"[generale]", "lunghezza percorso, 1000000", "[curve]",
                          "curvas1, 999000, 5000", "[fine]"}),
                  status::kBadCurve, kUntouched}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineParserTest, AMissingSourceIsStatus101AndNothingIsTouched) {
  env.files()[train_path()] = "treno";
  const compiler::CompileResult result = compile_folder();
  EXPECT_EQ(result.status, status::kNoLineSource);
  EXPECT_TRUE(result.ended_early);
  EXPECT_EQ(env.files().size(), 1u);
  EXPECT_FALSE(result.model.has_cell_track());
}

TEST_F(LineParserTest, AFaultKeepsWhatWasStoredBeforeIt) {
  EXPECT_FALSE(parse(line_with({"pendenza, 1000, 5", "cartello_indicatore, 2000, (A)",
                                "curvas9, 3000, 100", "cartello_indicatore, 4000, (B)"})));
  EXPECT_EQ(state.status_code, status::kBadCurve);
  EXPECT_EQ(cell(41).kind, model::kind::kNameBoard);
  EXPECT_EQ(cell(81).kind, model::kind::kNothing);
  // No wrap-up: the gradients stop where the entries left them.
  EXPECT_EQ(cell(19).gradient, 100);
  EXPECT_EQ(cell(20).gradient, 0);
}

// --- Entries refused by the range rule or a table's end ----------------------

struct RangeCase {
  const char* name;
  std::vector<std::string> features;
  int32_t error_position;  // kUntouched: the entries pass
};

class RangeRule : public LineParserTest, public ::testing::WithParamInterface<RangeCase> {};

// A refused entry ends the feature loop like the end of the file: the wrap-up
// runs, and the train pass follows with status 15 set.
TEST_P(RangeRule, RefusesAndWrapsUp) {
  const RangeCase& c = GetParam();
  std::vector<std::string> features = c.features;
  features.push_back("cartello_indicatore, 5000, (DOPO)");  // cell 101
  EXPECT_TRUE(parse(line_with(features)));
  EXPECT_EQ(sources_left_by_compile(), std::make_pair(false, false));  // the train pass follows
  EXPECT_EQ(state.error_position, c.error_position);
  if (c.error_position == kUntouched) {
    EXPECT_EQ(state.status_code, 0);
    EXPECT_EQ(cell(101).kind, model::kind::kNameBoard);
  } else {
    EXPECT_EQ(state.status_code, status::kOutOfRange);
    EXPECT_EQ(cell(101).kind, model::kind::kNothing);
  }
  // The wrap-up always finishes the gradients and the plan.
  EXPECT_EQ(cell(837).gradient, 100);
  EXPECT_EQ(model.line_table.at(41998, 1).tag, Variant::kDouble);
}

std::vector<std::string> repeated(int n, const std::string& entry, const std::string& last) {
  std::vector<std::string> entries(static_cast<size_t>(n), entry);
  entries.push_back(last);
  return entries;
}

std::vector<std::string> tunnels(int n) {
  std::vector<std::string> entries;
  for (int i = 0; i < n; ++i)
    entries.push_back("montagna, " + std::to_string(10000 + 200 * i) + ", " +
                      std::to_string(10050 + 200 * i) + ", 2");
  return entries;
}

std::vector<std::string> name_boards(int n) {
  std::vector<std::string> entries;
  for (int i = 0; i < n; ++i)
    entries.push_back("cartello_indicatore, " + std::to_string(10000 + 100 * i) + ", (B)");
  return entries;
}

std::vector<std::string> plus(std::vector<std::string> entries, const std::string& last) {
  entries.push_back(last);
  return entries;
}

INSTANTIATE_TEST_SUITE_P(
    LineParser, RangeRule,
    ::testing::Values(
        RangeCase{"gradient_41900_passes", {"pendenza, 41900, 0"}, kUntouched},
        RangeCase{"gradient_41901_fails", {"pendenza, 41901, 0"}, 41901},
        RangeCase{"curve_41900_passes", {"curvas1, 41900, 50"}, kUntouched},
        RangeCase{"curve_41901_fails", {"curvas1, 41901, 0"}, 41901},
        RangeCase{"tunnel_41900_passes", {"montagna, 41900, 41950, 2"}, kUntouched},
        RangeCase{"tunnel_41901_fails", {"montagna, 41901, 41950, 2"}, 41901},
        RangeCase{
            "speed_board_41900_passes", {"indicatori_vmax, 41900, 1,1,1,1,1,1,1,1"}, kUntouched},
        RangeCase{"speed_board_41901_fails", {"indicatori_vmax, 41901, 1,1,1,1,1,1,1,1"}, 41901},
        RangeCase{"name_board_41900_passes", {"cartello_indicatore, 41900, (A)"}, kUntouched},
        RangeCase{"name_board_41901_fails", {"cartello_indicatore, 41901, (A)"}, 41901},
        RangeCase{"tunnel_span_past_the_last_cell", {"montagna, 41800, 42100, 2"}, 41800},
        RangeCase{"tunnel_span_below_cell_0", {"montagna, -200, 100, 2"}, -200},
        RangeCase{"tunnel_80_accepted", tunnels(80), kUntouched},
        RangeCase{"tunnel_81_refused", plus(tunnels(80), "montagna, 30000, 30050, 2"), 30000},
        RangeCase{"curve_to_the_last_metre", {"curvas1, 41000, 1000"}, kUntouched},
        RangeCase{"curve_past_the_plan", {"curvas1, 41000, 1001"}, 41000},
        // The end is tested before the class digit.
        RangeCase{"curve_past_the_plan_without_class", {"curva7, 41000, 1001"}, 41000},
        RangeCase{"gradient_cursor_reaches_the_last_cell",
                  repeated(3, "pendenza, 41900, 0", "pendenza, 41900, 0"), kUntouched},
        RangeCase{"gradient_cursor_past_the_last_cell",
                  repeated(4, "pendenza, 41900, 0", "pendenza, 41900, 0"), 41900},
        // The board read after the entries is the 80th.
        RangeCase{"name_board_80_accepted", name_boards(79), kUntouched},
        RangeCase{"name_board_81_refused", plus(name_boards(80), "cartello_indicatore, 500, (C)"),
                  500},
        RangeCase{"speed_board_cell_below_0", {"indicatori_vmax, -100, 1,1,1,1,1,1,1,1"}, -100},
        RangeCase{"name_board_cell_below_0", {"cartello_indicatore, -100, (A)"}, -100},
        RangeCase{
            "name_board_at_minus_75_is_cell_0", {"cartello_indicatore, -75, (A)"}, kUntouched}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineParserTest, TheTrainPassRunsAfterARangeRuleStop) {
  env.files()[line_path()] = line_with({"pendenza, 41901, 0"});
  env.files()[train_path()] = joined(writers::train_source_lines());
  const compiler::CompileResult result = compile_folder();
  EXPECT_EQ(result.status, status::kOutOfRange);
  EXPECT_EQ(env.files().count(line_path()), 0u);
  EXPECT_EQ(env.files().count(train_path()), 0u);
  EXPECT_EQ(result.model.service_table[84].start_m, 150);  // "percentuale massa frenata"
  EXPECT_EQ(result.model.service_table[1].text, "FIUMICINO AEROPORTO");
}

TEST_F(LineParserTest, TheRefusedEntryIsWhereTheStateStands) {
  EXPECT_TRUE(parse(line_with({"pendenza, 0, 0", "  montagna, 41901, 41950, 2"})));
  ASSERT_EQ(state.diagnostics.size(), 1u);
  const compiler::Location& at = state.diagnostics.back().at;
  EXPECT_EQ(at.file, FileKind::kLineSource);
  EXPECT_EQ(at.line, 5);
  EXPECT_EQ(at.column, 13);  // the position field
  EXPECT_EQ(state.record.entries().back().keyword_at.column, 3);
}

TEST_F(LineParserTest, AGradientCursorAtTheTableEndStopsTheWrapUp) {
  EXPECT_TRUE(parse(line_with(repeated(3, "pendenza, 41900, 1", "pendenza, 41900, 2"))));
  EXPECT_EQ(state.status_code, 0);
  EXPECT_EQ(cell(837).gradient, 100);
  EXPECT_EQ(cell(838).gradient, 101);
  EXPECT_EQ(cell(840).gradient, 101);
}

// --- Read failures: status 25 through the fault handler ----------------------

struct FailureCase {
  const char* name;
  std::string text;
};

class LineReadFailures : public LineParserTest,
                         public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LineReadFailures, AreStatus25WithBothSourcesDeleted) {
  env.files()[line_path()] = GetParam().text;
  env.files()[train_path()] = "[generale]\r\n[fine]\r\n";
  const job::JobResult job = job::run_job(env, request());
  const compiler::CompileResult& result = job.compile;
  EXPECT_EQ(result.status, status::kReadFailure);
  EXPECT_FALSE(job.failure);
  EXPECT_EQ(env.files().count(line_path()), 0u);
  EXPECT_EQ(env.files().count(train_path()), 0u);
  ASSERT_FALSE(result.diagnostics.empty());
  EXPECT_NE(result.diagnostics.back().message.find("(status 25): "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    LineParser, LineReadFailures,
    ::testing::Values(
        FailureCase{"empty_file", ""},
        FailureCase{"no_length_entry",
                    source({"[generale]", "sfondo uno, 1", "[curve]", "pendenza, 0, 0", "[fine]"})},
        FailureCase{"number_too_large",
                    source({"[generale]", "lunghezza percorso, 2147483648", "[fine]"})},
        FailureCase{"negative_length", source({"[generale]", "lunghezza percorso, -1", "[fine]"})},
        FailureCase{"not_a_number", line_with({"pendenza, 1000, +5"})},
        FailureCase{"entry_cut_by_the_end", kGeneral + "[curve]\r\npendenza, 1000"},
        FailureCase{"dashed_fields_past_the_end", "[generale]\r\n-a-\r\n-b-"},
        FailureCase{"undefined_windows_1252_byte", kGeneral + "\x81\r\n[fine]\r\n"},
        FailureCase{"gradient_above_a_byte", line_with({"pendenza, 0, 156", "pendenza, 100, 0"})},
        FailureCase{"gradient_below_a_byte", line_with({"pendenza, 0, -101", "pendenza, 100, 0"})},
        FailureCase{"last_gradient_above_a_byte", line_with({"pendenza, 100, 156"})},
        FailureCase{"board_speed_above_16_bits",
                    line_with({"indicatori_vmax, 1300, 2000,0,0,0,0,0,0,0"})},
        FailureCase{"progressive_end_overflows",
                    kGeneral + source({"progressiva uno, 0, 2147483600, 1", "[fine]"})},
        FailureCase{"progressive_sum_overflows",
                    kGeneral + source({"progressiva tre, 2147483647, 0, 0",
                                       "progressiva due, 1, 0, 0", "[fine]"})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineParserTest, AFailureBeforeTheLengthLeavesNoCellTrack) {
  env.files()[line_path()] = source({"[generale]", "lunghezza percorso, -5", "[fine]"});
  const compiler::CompileResult result = compile_folder();
  EXPECT_EQ(result.status, status::kReadFailure);
  EXPECT_TRUE(result.ended_early);
  EXPECT_FALSE(result.model.has_cell_track());
  EXPECT_EQ(result.model.cell_last, -1);
  ASSERT_FALSE(result.diagnostics.empty());
  EXPECT_EQ(result.diagnostics.back().at.line, 2);
}

}  // namespace
