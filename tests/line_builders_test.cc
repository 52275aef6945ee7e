#include "compiler/line_builders.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "compiler/compile_state.h"
#include "compiler/read_failure.h"
#include "model/scenario.h"
#include "model/status_codes.h"

namespace {

namespace status = model::status;
using compiler::ReadFailure;

// A model whose cell track the line length 35000 has sized (cells 0 to 840).
model::Scenario model_with_track() {
  model::Scenario m;
  m.line_span = 42000;
  m.cell_last = 840;
  m.cell_track.assign(841, model::Cell{});
  return m;
}

// --- order_progressives --------------------------------------------------------

using Triple = std::array<int32_t, 3>;

struct OrderCase {
  const char* name;
  std::array<Triple, 3> entry;  // records 81, 82, 83
  std::array<Triple, 3> result;
};

class ProgressiveOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(ProgressiveOrder, OrdersRecords81To83) {
  model::Scenario m;
  for (int i = 0; i < 3; ++i) {
    model::ServiceRecord& r = m.service_table[static_cast<size_t>(81 + i)];
    r.start_m = GetParam().entry[i][0];
    r.end_m = GetParam().entry[i][1];
    r.position_m = GetParam().entry[i][2];
  }
  compiler::order_progressives(m);
  for (int i = 0; i < 3; ++i) {
    const model::ServiceRecord& r = m.service_table[static_cast<size_t>(81 + i)];
    EXPECT_EQ((Triple{r.start_m, r.end_m, r.position_m}), GetParam().result[i])
        << "record " << 81 + i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    LineBuilders, ProgressiveOrder,
    ::testing::Values(OrderCase{"given",
                                {{{0, 0, 0}, {0, 0, 0}, {0, 35000, 1}}},
                                {{{0, 35100, 1}, {0, 0, 0}, {0, 0, 0}}}},
                      OrderCase{"by_first_number",
                                {{{5000, 12000, 0}, {0, 35000, 1}, {20000, 8000, 1}}},
                                {{{20000, 8100, 1}, {5000, 12000, 0}, {0, 35100, 1}}}},
                      OrderCase{"greatest_twice_all_zero",
                                {{{3000, 1, 0}, {3000, 2, 0}, {100, 3, 0}}},
                                {{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}}},
                      OrderCase{"tie_higher_record_first",
                                {{{9000, 1, 0}, {400, 2, 0}, {400, 3, 0}}},
                                {{{9000, 1, 0}, {400, 3, 0}, {400, 2, 0}}}},
                      OrderCase{"tie_83_before_81",
                                {{{400, 1, 0}, {9000, 2, 0}, {400, 3, 0}}},
                                {{{9000, 2, 0}, {400, 3, 0}, {400, 1, 0}}}},
                      OrderCase{"tie_82_before_81",
                                {{{400, 1, 0}, {400, 2, 0}, {9000, 3, 0}}},
                                {{{9000, 3, 0}, {400, 2, 0}, {400, 1, 0}}}},
                      OrderCase{"sum_zero_second_rule_decides",
                                {{{0, 5, 0}, {0, 7, 0}, {0, 0, 0}}},
                                {{{0, 7, 0}, {0, 5, 0}, {0, 0, 0}}}},
                      OrderCase{"sum_zero_no_positive_second",
                                {{{0, -5, 1}, {0, 0, 1}, {0, 0, 1}}},
                                {{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}}},
                      // The first numbers sum to 0 without being 0: the second numbers decide.
                      OrderCase{"sum_zero_with_nonzero_firsts",
                                {{{500, 1, 0}, {-500, 0, 0}, {0, 0, 0}}},
                                {{{500, 1, 0}, {-500, 0, 0}, {0, 0, 0}}}},
                      OrderCase{"third_number_1_adds_100",
                                {{{300, 10, 1}, {200, 20, 2}, {100, 30, 1}}},
                                {{{300, 110, 1}, {200, 20, 2}, {100, 130, 1}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressiveOrdina, OverflowIsAConversionFailure) {
  model::Scenario sum;
  sum.service_table[81].start_m = INT32_MAX;
  sum.service_table[82].start_m = 1;
  sum.service_table[83].start_m = -1;  // the total fits, the partial sum does not
  EXPECT_THROW(compiler::order_progressives(sum), ReadFailure);

  model::Scenario end;
  end.service_table[81].start_m = 50;
  end.service_table[81].end_m = INT32_MAX - 99;
  end.service_table[81].position_m = 1;
  EXPECT_THROW(compiler::order_progressives(end), ReadFailure);
}

// --- record_tunnel --------------------------------------------------------------

TEST(RecordTunnel, AMultipleOf50SpanCoversItsStretchesOnly) {
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  int32_t status_code = 0;
  status_code = compiler::record_tunnel(m, state, {7200, 7250, 2}).code;
  for (int32_t c = 0; c <= m.cell_last; ++c)
    EXPECT_EQ(m.cell(c).tunnel_type, c == 144 ? 2 : 0) << "cell " << c;
  EXPECT_EQ(state.tunnel_count, 1);
  EXPECT_EQ(state.tunnel_start[1], 7200);
  EXPECT_EQ(state.tunnel_end[1], 7250);
  EXPECT_EQ(status_code, 0);
}

TEST(RecordTunnel, TheLastCellIsRoundedAfterSubtractingOne) {
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  EXPECT_EQ(compiler::record_tunnel(m, state, {1000, 1525, 2}).code, 0);  // round(30.5 - 1) = 30
  EXPECT_EQ(compiler::record_tunnel(m, state, {2000, 2475, 2}).code, 0);  // round(49.5 - 1) = 48
  EXPECT_EQ(m.cell(30).tunnel_type, 2);
  EXPECT_EQ(m.cell(31).tunnel_type, 0);
  EXPECT_EQ(m.cell(48).tunnel_type, 2);
  EXPECT_EQ(m.cell(49).tunnel_type, 0);
}

TEST(RecordTunnel, ACloseTunnelBecomesType3AndKeepsItsFillers) {
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  EXPECT_EQ(compiler::record_tunnel(m, state, {800, 900, 2}).code, 0);
  m.cell(27).kind = model::kind::kSpeedBoard;
  EXPECT_EQ(compiler::record_tunnel(m, state, {1000, 1500, 12}).code, 0);
  for (int32_t c = 20; c <= 29; ++c) EXPECT_EQ(m.cell(c).tunnel_type, 3) << "cell " << c;
  EXPECT_EQ(m.cell(17).tunnel_type, 2);
  EXPECT_EQ(m.cell(19).tunnel_type, 0);
  EXPECT_EQ(m.cell(30).tunnel_type, 0);
  EXPECT_EQ(m.cell(23).kind, model::kind::kTunnelFiller);
  EXPECT_EQ(m.cell(27).kind, model::kind::kSpeedBoard);  // taken: left alone
  for (int32_t c : {20, 21, 22, 24, 25, 26, 28, 29}) EXPECT_EQ(m.cell(c).kind, 0) << "cell " << c;
  EXPECT_EQ(state.tunnel_count, 2);
}

TEST(RecordTunnel, TheGapIsToThePreviousEntryInFileOrder) {
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  EXPECT_EQ(compiler::record_tunnel(m, state, {5000, 5100, 2}).code, 0);
  // 150 m after the previous entry's end, though it lies before it.
  EXPECT_EQ(compiler::record_tunnel(m, state, {1000, 1100, 14}).code, 0);
  EXPECT_EQ(m.cell(20).tunnel_type, 3);
  EXPECT_EQ(compiler::record_tunnel(m, state, {1251, 1300, 12}).code, 0);  // 151 m after: 12 - 10
  EXPECT_EQ(m.cell(25).tunnel_type, 2);
}

TEST(RecordTunnel, FillersOnlyForTypesAbove10) {
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  EXPECT_EQ(compiler::record_tunnel(m, state, {1000, 1500, 10}).code, 0);
  EXPECT_EQ(compiler::record_tunnel(m, state, {5000, 5500, 11}).code, 0);
  for (int32_t c = 20; c <= 29; ++c) {
    EXPECT_EQ(m.cell(c).tunnel_type, 10);
    EXPECT_EQ(m.cell(c).kind, 0);
  }
  EXPECT_EQ(m.cell(103).tunnel_type, 1);
  EXPECT_EQ(m.cell(103).kind, model::kind::kTunnelFiller);
  EXPECT_EQ(m.cell(107).kind, model::kind::kTunnelFiller);
}

TEST(RecordTunnel, TheTypeKeepsItsLow8Bits) {
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  int32_t status_code = 0;
  status_code = compiler::record_tunnel(m, state, {1000, 1050, -5}).code;
  EXPECT_EQ(m.cell(20).tunnel_type, 251);
  status_code = compiler::record_tunnel(m, state, {5000, 5050, 266}).code;  // above 10: 256
  EXPECT_EQ(m.cell(100).tunnel_type, 0);
  EXPECT_EQ(status_code, 0);
}

TEST(RecordTunnel, AnEmptySpanIsCountedButCoversNoCell) {
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  int32_t status_code = 0;
  const std::vector<model::Cell> before = m.cell_track;
  status_code = compiler::record_tunnel(m, state, {1000, 1000, 12}).code;
  // Even outside the track, an empty span reaches no cell.
  status_code = compiler::record_tunnel(m, state, {50000, 40000, 2}).code;
  EXPECT_EQ(m.cell_track, before);
  EXPECT_EQ(state.tunnel_count, 2);
  EXPECT_EQ(state.tunnel_start[1], 1000);
  EXPECT_EQ(state.tunnel_end[1], 1000);
  EXPECT_EQ(status_code, 0);
}

struct RefusedSpan {
  const char* name;
  int32_t start, end;
};

class RecordTunnelRefuses : public ::testing::TestWithParam<RefusedSpan> {};

TEST_P(RecordTunnelRefuses, ASpanOutsideTheTrack) {
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  int32_t status_code = 0;
  const std::vector<model::Cell> before = m.cell_track;
  status_code = compiler::record_tunnel(m, state, {GetParam().start, GetParam().end, 2}).code;
  EXPECT_EQ(status_code, status::kOutOfRange);
  EXPECT_EQ(state.tunnel_count, 0);
  EXPECT_EQ(m.cell_track, before);
}

INSTANTIATE_TEST_SUITE_P(LineBuilders, RecordTunnelRefuses,
                         ::testing::Values(RefusedSpan{"past_the_last_cell", 41800, 42100},
                                           RefusedSpan{"below_cell_0", -200, 100},
                                           RefusedSpan{"half_below_cell_0", -75, 100}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RecordTunnel, TheLastCellIsStillInside) {
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  int32_t status_code = 0;
  status_code = compiler::record_tunnel(m, state, {41950, 42050, 2}).code;  // cells 839 and 840
  EXPECT_EQ(status_code, 0);
  EXPECT_EQ(m.cell(840).tunnel_type, 2);
}

TEST(RecordTunnel, The81stTunnelIsRefused) {
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  int32_t status_code = 0;
  for (int i = 0; i < 80; ++i)
    status_code = compiler::record_tunnel(m, state, {1000 + 400 * i, 1050 + 400 * i, 2}).code;
  ASSERT_EQ(status_code, 0);
  EXPECT_EQ(state.tunnel_count, 80);
  EXPECT_EQ(state.tunnel_start[80], 1000 + 400 * 79);
  const std::vector<model::Cell> before = m.cell_track;
  status_code = compiler::record_tunnel(m, state, {40000, 40050, 2}).code;
  EXPECT_EQ(status_code, status::kOutOfRange);
  EXPECT_EQ(state.tunnel_count, 80);
  EXPECT_EQ(m.cell_track, before);
}

// --- place_speed_board --------------------------------------------------------

TEST(PlaceSpeedBoard, PacksBothGroupsIntoTheCellAfterThePosition) {
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  int32_t status_code = 0;
  status_code = compiler::place_speed_board(m, {1300, 140, 150, 160, 0, 140, 150, 160, 0}).code;
  status_code = compiler::place_speed_board(m, {7700, 80, 80, 90, 2, 80, 80, 90, 2}).code;
  status_code = compiler::place_speed_board(m, {5000, 140, 0, 0, 3, 142, 143, 0, 1}).code;
  EXPECT_EQ(status_code, 0);
  const model::Cell a = m.cell(27);
  EXPECT_EQ(a.kind, model::kind::kSpeedBoard);
  EXPECT_EQ((std::array<int16_t, 4>{a.value_a, a.value_b, a.value_c, a.value_d}),
            (std::array<int16_t, 4>{2828, 3030, 3232, 0}));
  const model::Cell b = m.cell(155);
  EXPECT_EQ((std::array<int16_t, 4>{b.value_a, b.value_b, b.value_c, b.value_d}),
            (std::array<int16_t, 4>{1616, 1616, 1818, 22}));
  // 142 / 5 = 28.4 and 143 / 5 = 28.6 are rounded; the stripes fill tens and units.
  EXPECT_EQ(m.cell(101).value_a, 2828);
  EXPECT_EQ(m.cell(101).value_b, 29);
  EXPECT_EQ(m.cell(101).value_d, 31);
}

TEST(PlaceSpeedBoard, ReplacesATunnelFiller) {
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  int32_t status_code = 0;
  m.cell(27).kind = model::kind::kTunnelFiller;
  m.cell(27).tunnel_type = 1;
  status_code = compiler::place_speed_board(m, {1300, 80, 80, 90, 2, 80, 80, 90, 2}).code;
  EXPECT_EQ(status_code, 0);
  EXPECT_EQ(m.cell(27).kind, model::kind::kSpeedBoard);
  EXPECT_EQ(m.cell(27).tunnel_type, 1);
}

TEST(PlaceSpeedBoard, AnOccupiedCellIsStatus21AndNothingIsWritten) {
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  int32_t status_code = 0;
  m.cell(27).kind = model::kind::kNameBoard;
  m.cell(27).value_a = 80;
  const model::Cell before = m.cell(27);
  status_code = compiler::place_speed_board(m, {1300, 80, 80, 90, 2, 80, 80, 90, 2}).code;
  EXPECT_EQ(status_code, status::kSpeedBoardCellTaken);
  EXPECT_EQ(m.cell(27), before);
}

TEST(PlaceSpeedBoard, StripesKeepOnlyTheirLow16Bits) {
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  int32_t status_code = 0;
  status_code = compiler::place_speed_board(m, {1300, 0, 0, 0, 4000, 0, 0, 0, 7}).code;  // 40007
  EXPECT_EQ(status_code, 0);
  EXPECT_EQ(m.cell(27).value_d, 40007 - 65536);
}

TEST(PlaceSpeedBoard, ASpeedBeyond16BitsFailsWithNothingWritten) {
  for (auto values : {std::array<int32_t, 2>{1638, 40}, std::array<int32_t, 2>{-1639, 0}}) {
    model::Scenario m = model_with_track();
    compiler::CompileState state;
    // 1638 * 20 + 8 = 32768; -1639 * 20 = -32780.
    EXPECT_THROW(compiler::place_speed_board(m, {1300, 0, 0, values[0], 0, 0, 0, values[1], 0}),
                 ReadFailure);
    EXPECT_EQ(m.cell(27), model::Cell{});
  }
  model::Scenario m = model_with_track();
  compiler::CompileState state;
  EXPECT_EQ(compiler::place_speed_board(m, {1300, 0, 0, 1638, 0, 0, 0, 35, 0}).code, 0);  // 32767
  EXPECT_EQ(m.cell(27).value_c, 32767);
}

TEST(PlaceSpeedBoard, ACellOutsideTheTrackIsRefused) {
  for (int32_t posizione : {-100, 42000}) {
    model::Scenario m = model_with_track();
    compiler::CompileState state;
    int32_t status_code = 0;
    status_code = compiler::place_speed_board(m, {posizione, 1, 1, 1, 1, 1, 1, 1, 1}).code;
    EXPECT_EQ(status_code, status::kOutOfRange) << posizione;
  }
}

}  // namespace
