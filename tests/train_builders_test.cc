#include "compiler/train_builders.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/scenario.h"
#include "support/train_model.h"

namespace {

// The builders as the train pass calls them; each returns the status it
// reports (0 for none), and the signal hands back its possibly raised tempo.
int32_t signal_status(model::Scenario& m, int32_t position, int32_t sx, int32_t s1, int32_t s2,
                      int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3,
                      int32_t& tempo) {
  compiler::SignalEntry signal{position, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo};
  const int32_t code = compiler::place_signal(m, signal).code;
  tempo = signal.tempo;
  return code;
}
int32_t slowdown_status(model::Scenario& m, int32_t start, int32_t speed, int32_t length,
                        int32_t f_tt, int32_t f_ta, int32_t d_v) {
  return compiler::place_slowdown(m, {start, speed, length, f_tt, f_ta, d_v}).code;
}

model::Scenario empty_line() { return train_test::given_model(); }

// ---------------------------------------------------------------------------
// place_signal

struct SignalCase {
  const char* name;
  int32_t posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
  int cell;
  int16_t value_a, value_b, value_c, value_d;
  uint8_t signal_time;
  int32_t tempo_after;
  uint8_t first_code;  // the repeat code two cells before the signal
};

class Signal : public ::testing::TestWithParam<SignalCase> {};

TEST_P(Signal, PacksItsCellAndRepeatCodes) {
  const SignalCase& c = GetParam();
  model::Scenario m = empty_line();
  int32_t m_status = 0;
  int32_t tempo = c.tempo;
  m_status =
      signal_status(m, c.posizione, c.sx, c.s1, c.s2, c.s3, c.rapp, c.dx, c.d1, c.d2, c.d3, tempo);
  EXPECT_EQ(m_status, 0);
  const model::Cell& cell = m.cell(c.cell);
  EXPECT_EQ(cell.kind, model::kind::kSignal);
  EXPECT_EQ(cell.value_a, c.value_a);
  EXPECT_EQ(cell.value_b, c.value_b);
  EXPECT_EQ(cell.value_c, c.value_c);
  EXPECT_EQ(cell.value_d, c.value_d);
  EXPECT_EQ(cell.signal_time, c.signal_time);
  EXPECT_EQ(tempo, c.tempo_after);  // the caller's variable
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(m.cell(c.cell - 2 * k).repeat_code, c.first_code + k - 1) << "k " << k;
    EXPECT_EQ(m.cell(c.cell - 2 * k + 1).repeat_code, 0) << "k " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, Signal,
    ::testing::Values(
        SignalCase{"first_given", 1500, 2, 4, 0, 0, 0, 2, 2, 0, 0, 0, 31, 42, 0, 0, 8, 0, 0, 81},
        SignalCase{"at_25200", 25200, 1, 4, 1, 1, 0, 1, 2, 1, 1, 0, 505, 42, 11, 11, 4, 0, 0, 41},
        SignalCase{"delay_160", 28200, 2,   4,  0, 0, 0, 2,   2,   0,
                   0,           160,   565, 42, 0, 0, 8, 160, 160, 81},
        SignalCase{"delay_50_becomes_101",
                   28200,
                   2,
                   4,
                   0,
                   0,
                   0,
                   2,
                   2,
                   0,
                   0,
                   50,
                   565,
                   42,
                   0,
                   0,
                   8,
                   101,
                   101,
                   81},
        SignalCase{"delay_1_becomes_101",
                   28200,
                   2,
                   4,
                   0,
                   0,
                   0,
                   2,
                   2,
                   0,
                   0,
                   1,
                   565,
                   42,
                   0,
                   0,
                   8,
                   101,
                   101,
                   81},
        SignalCase{"delay_101_stays",
                   28200,
                   2,
                   4,
                   0,
                   0,
                   0,
                   2,
                   2,
                   0,
                   0,
                   101,
                   565,
                   42,
                   0,
                   0,
                   8,
                   101,
                   101,
                   81},
        SignalCase{"sx_1_keeps_no_delay",
                   28200,
                   1,
                   4,
                   0,
                   0,
                   0,
                   2,
                   2,
                   0,
                   0,
                   160,
                   565,
                   42,
                   0,
                   0,
                   5,
                   0,
                   160,
                   51},
        SignalCase{"sx_1_still_raises_tempo",
                   28200,
                   1,
                   4,
                   0,
                   0,
                   0,
                   2,
                   2,
                   0,
                   0,
                   50,
                   565,
                   42,
                   0,
                   0,
                   5,
                   0,
                   101,
                   51},
        // Packing keeps the low 16 bits of a cell value and the low 8 bits of
        // a delay or a repeat code.
        SignalCase{"low_bits", 1500, 2,  6554, 0, 0, 6554, 0,  0,   0,
                   0,          300,  31, 4,    0, 0, 10,   44, 300, 61},
        SignalCase{
            "codes_reach_cell_0", 325, 2, 4, 0, 0, 0, 2, 2, 0, 0, 0, 8, 42, 0, 0, 8, 0, 0, 81},
        // Halves go to the even cell: 375 m is 8.5, cell 8; 1425 m is 29.5, cell 30.
        SignalCase{"tie_to_even_8", 375, 2, 4, 0, 0, 0, 2, 2, 0, 0, 0, 8, 42, 0, 0, 8, 0, 0, 81},
        SignalCase{
            "tie_to_even_30", 1425, 2, 4, 0, 0, 0, 2, 2, 0, 0, 0, 30, 42, 0, 0, 8, 0, 0, 81}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SignalBuilder, ClaimsATunnelFillerButNotATakenCell) {
  model::Scenario m = empty_line();
  int32_t m_status = 0;
  m.cell(31).kind = model::kind::kTunnelFiller;
  int32_t tempo = 0;
  m_status = signal_status(m, 1500, 2, 4, 0, 0, 0, 2, 2, 0, 0, tempo);
  EXPECT_EQ(m_status, 0);
  EXPECT_EQ(m.cell(31).kind, model::kind::kSignal);

  model::Scenario taken = empty_line();

  int32_t taken_status = 0;
  taken.cell(31).kind = model::kind::kNameBoard;
  const std::vector<model::Cell> before = taken.cell_track;
  tempo = 50;
  taken_status = signal_status(taken, 1500, 2, 4, 0, 0, 0, 2, 2, 0, 0, tempo);
  EXPECT_EQ(taken_status, 16);
  EXPECT_EQ(taken.cell_track, before);
  EXPECT_EQ(tempo, 50);
}

TEST(SignalBuilder, RepeatCodesOverwriteOnlyTheCode) {
  model::Scenario m = empty_line();
  m.cell(29).kind = model::kind::kStationMarker;
  m.cell(29).value_a = 3;
  m.cell(29).repeat_code = 82;
  int32_t tempo = 0;
  EXPECT_EQ(signal_status(m, 1500, 1, 4, 0, 0, 0, 0, 0, 0, 0, tempo), 0);
  EXPECT_EQ(m.cell(29).kind, model::kind::kStationMarker);
  EXPECT_EQ(m.cell(29).value_a, 3);
  EXPECT_EQ(m.cell(29).repeat_code, 31);
}

TEST(SignalBuilder, FitsOnlyWhenEveryCellIsInTheTable) {
  model::Scenario m = empty_line();
  int32_t m_status = 0;
  EXPECT_FALSE(compiler::signal_fits(m, 324));    // cell 7: codes down to -1
  EXPECT_TRUE(compiler::signal_fits(m, 325));     // cell 8 (7.5 goes to the even 8)
  EXPECT_TRUE(compiler::signal_fits(m, 41950));   // cell 840
  EXPECT_FALSE(compiler::signal_fits(m, 42000));  // cell 841
  EXPECT_FALSE(compiler::signal_fits(m, -2000000000));

  // A call beyond the table is refused and writes nothing.
  const std::vector<model::Cell> before = m.cell_track;
  int32_t tempo = 0;
  m_status = signal_status(m, 300, 2, 4, 0, 0, 0, 2, 2, 0, 0, tempo);
  EXPECT_EQ(m_status, 15);
  EXPECT_EQ(m.cell_track, before);
}

// ---------------------------------------------------------------------------
// place_slowdown

TEST(SlowdownBuilder, StartAtOrBefore1500HasNoBoards) {
  model::Scenario m = empty_line();
  int32_t m_status = 0;
  m_status = slowdown_status(m, 1500, 60, 1000, 7, 1, 5);
  EXPECT_EQ(m_status, 0);
  std::vector<model::Cell> expected(841);
  expected[31] = {.kind = 3, .value_a = 60, .value_b = 5, .value_c = 7};
  expected[51] = {.kind = 2, .value_a = 60, .value_b = 5, .value_c = 7};
  EXPECT_EQ(m.cell_track, expected);
}

TEST(SlowdownBuilder, StartAfter1500HasBoardAndPreWarning) {
  model::Scenario m = empty_line();
  int32_t m_status = 0;
  m_status = slowdown_status(m, 1550, 30, 500, 2, 1, 9);
  EXPECT_EQ(m_status, 0);
  std::vector<model::Cell> expected(841);
  expected[8] = {.kind = 4, .value_a = 30, .value_b = 9};
  for (int i = 0; i < 4; ++i)
    expected[7 - i] = {
        .kind = 5, .value_a = static_cast<int16_t>(i + 1), .value_b = static_cast<int16_t>(i + 1)};
  expected[32] = {.kind = 3, .value_a = 30, .value_b = 9, .value_c = 2};
  expected[42] = {.kind = 2, .value_a = 30, .value_b = 9, .value_c = 2};
  EXPECT_EQ(m.cell_track, expected);
}

TEST(SlowdownBuilder, WithoutDvNoSecondValueAndWithoutFtaNoPreWarning) {
  model::Scenario m = empty_line();
  m.cell(32).kind = model::kind::kTunnelFiller;
  m.cell(32).value_b = 77;
  EXPECT_EQ(slowdown_status(m, 1550, 30, 500, 2, 0, 0), 0);
  EXPECT_EQ(m.cell(8).kind, model::kind::kWarningBoard);
  EXPECT_EQ(m.cell(8).value_b, 0);
  EXPECT_EQ(m.cell(7).kind, model::kind::kNothing);
  EXPECT_EQ(m.cell(32).kind, model::kind::kSlowdownStart);
  EXPECT_EQ(m.cell(32).value_b, 77);  // a field not written keeps what it held
}

TEST(SlowdownBuilder, ShortSlowdownLeavesOneStartCell) {
  model::Scenario m = empty_line();
  int32_t m_status = 0;
  m_status = slowdown_status(m, 2000, 40, 10, 0, 0, 0);
  EXPECT_EQ(m_status, 0);
  EXPECT_EQ(m.cell(41).kind, model::kind::kSlowdownStart);
  EXPECT_EQ(m.cell(42).kind, model::kind::kNothing);
}

TEST(SlowdownBuilder, PacksTheLow16Bits) {
  model::Scenario m = empty_line();
  EXPECT_EQ(slowdown_status(m, 2000, 70000, 500, -70000, 0, 65537), 0);
  EXPECT_EQ(m.cell(41).value_a, 70000 - 65536);
  EXPECT_EQ(m.cell(41).value_b, 1);
  EXPECT_EQ(m.cell(41).value_c, -70000 + 65536);
  EXPECT_EQ(m.cell(17).value_a, 70000 - 65536);  // the warning board
}

struct TakenCase {
  const char* name;
  int taken_cell;
  int32_t status;
};

class SlowdownTaken : public ::testing::TestWithParam<TakenCase> {};

// Slowdown 2800 + 500 with f_ta: board 33, pre-warning 32..29, start 57, end 67.
TEST_P(SlowdownTaken, ReportsAndWritesNothingBeforeThePreWarning) {
  const TakenCase& c = GetParam();
  model::Scenario m = empty_line();
  int32_t m_status = 0;
  m.cell(c.taken_cell).kind = model::kind::kSpeedBoard;
  const std::vector<model::Cell> before = m.cell_track;
  m_status = slowdown_status(m, 2800, 60, 500, 0, 1, 0);
  EXPECT_EQ(m_status, c.status);
  if (c.status != 20) {
    EXPECT_EQ(m.cell_track, before);
  } else {
    EXPECT_EQ(m.cell(33).kind, model::kind::kWarningBoard);
    EXPECT_EQ(m.cell(57).kind, model::kind::kSlowdownStart);
    EXPECT_EQ(m.cell(67).kind, model::kind::kSlowdownEnd);
    for (int pre = 29; pre <= 32; ++pre) {
      if (pre != c.taken_cell) {
        EXPECT_EQ(m.cell(pre).kind, model::kind::kNothing);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cells, SlowdownTaken,
                         ::testing::Values(TakenCase{"warning_board", 33, 17},
                                           TakenCase{"start", 57, 18}, TakenCase{"end", 67, 19},
                                           TakenCase{"nearest_pre_warning", 32, 20},
                                           TakenCase{"farthest_pre_warning", 29, 20}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SlowdownBuilder, FitsOnlyWhenEveryCellIsInTheTable) {
  model::Scenario m = empty_line();
  int32_t m_status = 0;
  EXPECT_TRUE(compiler::slowdown_fits(m, {41000, 0, 900, 0, 1, 0}));    // end cell 839
  EXPECT_FALSE(compiler::slowdown_fits(m, {41000, 0, 2000, 0, 0, 0}));  // end cell 861
  EXPECT_FALSE(compiler::slowdown_fits(m, {-2000, 0, 3000, 0, 0, 0}));  // start cell -39
  EXPECT_FALSE(compiler::slowdown_fits(m, {1000, 0, -1200, 0, 0, 0}));  // end cell -3
  EXPECT_TRUE(compiler::slowdown_fits(m, {-25, 0, 100, 0, 1, 0}));      // start cell 0, no boards
  EXPECT_FALSE(compiler::slowdown_fits(m, {2000000000, 0, 2000000000, 0, 0, 0}));

  const std::vector<model::Cell> before = m.cell_track;
  m_status = slowdown_status(m, 41000, 60, 2000, 0, 0, 0);
  EXPECT_EQ(m_status, 15);
  EXPECT_EQ(m.cell_track, before);
}

}  // namespace
