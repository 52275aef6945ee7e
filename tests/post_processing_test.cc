#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "compiler/compile.h"
#include "compiler/compile_state.h"
#include "compiler/passes.h"
#include "model/scenario.h"

namespace {

constexpr int32_t kUnset = -12345;
constexpr uint8_t kSignal = model::kind::kSignal;
constexpr uint8_t kEnd = model::kind::kSlowdownEnd;
constexpr uint8_t kStart = model::kind::kSlowdownStart;
constexpr uint8_t kBoard = model::kind::kWarningBoard;
constexpr uint8_t kTaken = model::kind::kSpeedBoard;  // any kind that is not free
constexpr uint8_t kMarker = model::kind::kMarker;

struct Track {
  model::Scenario m;
  compiler::CompileState state;

  explicit Track(int cell_last = 200) {
    m.cell_last = cell_last;
    m.cell_track.assign(static_cast<size_t>(cell_last) + 1, {});
    state.error_position = kUnset;
  }
  Track& put(int cell, uint8_t kind, int16_t value_a = 0) {
    m.cell(cell).kind = kind;
    m.cell(cell).value_a = value_a;
    return *this;
  }
  Track& put(std::initializer_list<int> cells, uint8_t kind) {
    for (int c : cells) put(c, kind);
    return *this;
  }
  void run() { compiler::post_process(m, state); }
  // The cells that hold a marker, in increasing order.
  std::vector<int> markers(int from = 0, int to = -1) const {
    std::vector<int> found;
    if (to < 0) to = m.cell_last;
    for (int c = from; c <= to; ++c)
      if (m.cell(c).kind == kMarker) found.push_back(c);
    return found;
  }
  const model::Cell& cell(int c) const { return m.cell(c); }
};

using Cells = std::vector<int>;

// ---------------------------------------------------------------------------
// Rule 1: signals before a warning board.

TEST(SignalsBeforeBoard, EverySignalWithin20CellsGetsAMarker) {
  Track t;
  t.put(40, kBoard).put({35, 25, 19}, kSignal);
  // A second board with a signal exactly 20 cells before it.
  t.put(140, kBoard).put(120, kSignal);
  t.run();
  EXPECT_EQ(t.markers(), (Cells{24, 34, 119}));  // 19 lies 21 cells before the board
  EXPECT_EQ(t.cell(34).value_a, 180);
  EXPECT_EQ(t.cell(24).value_a, 180);
  EXPECT_EQ(t.cell(119).value_a, 180);
  EXPECT_EQ(t.state.status_code, 0);
}

TEST(SignalsBeforeBoard, SecondCellWhenTheFirstIsTaken) {
  Track t;
  t.put(40, kBoard).put(35, kSignal).put(34, kTaken);
  t.run();
  EXPECT_EQ(t.markers(), (Cells{33}));
}

TEST(SignalsBeforeBoard, AnExistingMarkerIsCappedAt180) {
  struct Case {
    int16_t before, after;
  };
  for (Case c : {Case{100, 100}, Case{250, 180}, Case{180, 180}}) {
    Track t;
    t.put(40, kBoard).put(35, kSignal).put(34, kMarker, c.before).put(33, kTaken);
    t.run();
    EXPECT_EQ(t.cell(34).value_a, c.after) << "value " << c.before;
    EXPECT_EQ(t.state.status_code, 0);
  }
  // The second cell is capped when the first is taken by something else.
  Track t;
  t.put(40, kBoard).put(35, kSignal).put(34, kTaken).put(33, kMarker, 300);
  t.run();
  EXPECT_EQ(t.cell(33).value_a, 180);
}

TEST(SignalsBeforeBoard, NoRoomSetsStatus11AndGoesOn) {
  Track t;
  t.put(40, kBoard).put(35, kSignal).put({34, 33}, kTaken).put(25, kSignal);
  t.run();
  EXPECT_EQ(t.state.status_code, 11);
  EXPECT_EQ(t.state.error_position, 35 * 50);
  EXPECT_EQ(t.markers(), (Cells{24}));
}

TEST(SignalsBeforeBoard, SignalsBelowCell3AreNotLookedAt) {
  Track low;
  low.put(10, kBoard).put(2, kSignal);
  low.run();
  EXPECT_EQ(low.markers(), Cells{});

  Track at3;
  at3.put(10, kBoard).put(3, kSignal);
  at3.run();
  EXPECT_EQ(at3.markers(), (Cells{2}));
}

// ---------------------------------------------------------------------------
// Rule 2: markers before a slowdown start (fast slowdowns, so rule 3 is quiet).

TEST(MarkersBeforeStart, GroupsThatLieAboveCell0) {
  struct Case {
    int start;
    Cells markers;
  };
  for (const Case& c : {Case{7, {}}, Case{8, {3}}, Case{14, {3, 9}}, Case{20, {9, 15}},
                        Case{21, {3, 10, 16}}, Case{100, {82, 89, 95}}}) {
    Track t;
    t.put(c.start, kStart, 120);
    t.run();
    EXPECT_EQ(t.markers(), c.markers) << "start " << c.start;
  }
}

TEST(MarkersBeforeStart, NextCandidateWhenTaken) {
  Track t;
  // A marker already there counts as taken and keeps its value.
  t.put(100, kStart, 120).put(95, kMarker, 250).put({88, 89}, kTaken);
  t.run();
  EXPECT_EQ(t.markers(), (Cells{82, 87, 94, 95}));
  EXPECT_EQ(t.cell(95).value_a, 250);
  EXPECT_EQ(t.state.status_code, 0);
}

TEST(MarkersBeforeStart, NoRoomSetsStatus12AndTriesTheNextGroup) {
  Track t;
  t.put(100, kStart, 120).put({95, 94, 93}, kTaken);
  t.run();
  EXPECT_EQ(t.state.status_code, 12);
  EXPECT_EQ(t.state.error_position, 100 * 50);
  EXPECT_EQ(t.markers(), (Cells{82, 89}));
}

// ---------------------------------------------------------------------------
// Rule 3: markers inside a slow slowdown.

TEST(MarkersInside, Every8CellsUpToTheEnd) {
  Track t;
  t.put(100, kStart, 80).put(130, kEnd);
  t.run();
  EXPECT_EQ(t.markers(101), (Cells{108, 116, 124}));
  EXPECT_EQ(t.state.status_code, 0);
}

TEST(MarkersInside, CountsFromTheMarkerActuallyPlaced) {
  Track before;
  before.put(100, kStart, 80).put(130, kEnd).put(116, kTaken);
  before.run();
  EXPECT_EQ(before.markers(101), (Cells{108, 115, 123}));

  Track after;
  after.put(100, kStart, 80).put(130, kEnd).put({116, 115}, kTaken);
  after.run();
  EXPECT_EQ(after.markers(101), (Cells{108, 117, 125}));
}

TEST(MarkersInside, NoRoomSetsStatus13AndEndsTheMarkersOfThatWalk) {
  Track t;
  t.put(100, kStart, 80).put(130, kEnd).put({115, 116, 117}, kTaken);
  t.run();
  EXPECT_EQ(t.state.status_code, 13);
  EXPECT_EQ(t.state.error_position, 116 * 50);
  EXPECT_EQ(t.markers(101), (Cells{108}));
}

TEST(MarkersInside, SpeedOf110OrMoreGetsNone) {
  for (int16_t speed : {110, 140}) {
    Track t;
    t.put(100, kStart, speed).put(130, kEnd);
    t.run();
    EXPECT_EQ(t.markers(101), Cells{}) << "speed " << speed;
  }
  Track slow;
  slow.put(100, kStart, 109).put(130, kEnd);
  slow.run();
  EXPECT_EQ(slow.markers(101), (Cells{108, 116, 124}));
}

TEST(MarkersInside, WalkStopsAtTheLastCell) {
  // No end cell: the walk reaches the last cell, where cell k + 1 would lie
  // beyond the table and counts as taken.
  Track t(20);
  t.put(12, kStart, 80).put({19, 20}, kTaken);
  t.run();
  EXPECT_EQ(t.state.status_code, 13);
  EXPECT_EQ(t.state.error_position, 20 * 50);
  EXPECT_EQ(t.markers(13), Cells{});
  EXPECT_EQ(t.m.cell_track.size(), 21u);

  Track free_last(20);
  free_last.put(12, kStart, 80);
  free_last.run();
  EXPECT_EQ(free_last.markers(13), (Cells{20}));
}

// ---------------------------------------------------------------------------
// Rule 4: a marker before the first signal after the slowdown.

TEST(MarkerBeforeNextSignal, FirstSignalWithin12CellsOfTheEnd) {
  struct Case {
    Cells signals;
    Cells taken;
    Cells markers;  // after the end cell 130
    int32_t status;
  };
  for (const Case& c :
       {Case{{135}, {}, {134}, 0}, Case{{135}, {134}, {133}, 0}, Case{{135, 140}, {}, {134}, 0},
        Case{{142}, {}, {141}, 0}, Case{{143}, {}, {}, 0}, Case{{135}, {134, 133}, {}, 13}}) {
    Track t;
    t.put(100, kStart, 80).put(130, kEnd);
    for (int s : c.signals) t.put(s, kSignal);
    for (int s : c.taken) t.put(s, kTaken);
    t.run();
    EXPECT_EQ(t.markers(131), c.markers) << "first signal " << c.signals[0];
    EXPECT_EQ(t.state.status_code, c.status);
    if (c.status == 13) {
      EXPECT_EQ(t.state.error_position, 130 * 50);
    }
  }
}

TEST(MarkerBeforeNextSignal, FastSlowdownSearchesFromItsOwnEnd) {
  Track t;
  // An earlier slow slowdown ends in cell 40; the fast one must not search
  // from there.
  t.put(20, kStart, 60).put(40, kEnd).put(45, kSignal);
  t.put(100, kStart, 120).put(130, kEnd).put(135, kSignal);
  t.run();
  EXPECT_EQ(t.markers(101), (Cells{134}));
  EXPECT_EQ(t.markers(41, 99), (Cells{44, 82, 89, 95}));
}

TEST(MarkerBeforeNextSignal, FastSlowdownWithoutEndSearchesTheLastCell) {
  Track t(30);
  t.put(10, kStart, 120).put(30, kSignal);
  t.run();
  EXPECT_EQ(t.markers(11), (Cells{29}));
}

TEST(MarkerBeforeNextSignal, WindowStopsAtTheLastCell) {
  Track t(20);
  t.put(10, kStart, 120).put(15, kEnd);  // window 15..27, table ends at 20
  t.run();
  EXPECT_EQ(t.markers(11), Cells{});
  EXPECT_EQ(t.state.status_code, 0);
}

// ---------------------------------------------------------------------------
// The pass as a whole.

TEST(PostProcess, StartsOnlyUpToTheThirdLastCell) {
  Track t;
  t.put(198, kStart, 120);
  t.run();
  EXPECT_EQ(t.markers(), (Cells{180, 187, 193}));

  Track late;
  late.put(199, kStart, 120).put(199 - 1, kBoard);
  late.put(190, kSignal);  // would get a marker from the board in 198
  late.run();
  EXPECT_EQ(late.markers(), (Cells{189}));
}

TEST(PostProcess, WithoutSlowdownsNothingChanges) {
  Track t;
  t.put({31, 61, 91}, kSignal).put(5, model::kind::kStationMarker, 1).put(50, kMarker, 250);
  const std::vector<model::Cell> before = t.m.cell_track;
  t.run();
  EXPECT_EQ(t.m.cell_track, before);
  EXPECT_EQ(t.state.status_code, 0);
}

TEST(PostProcess, WithoutACellTrackDoesNothing) {
  model::Scenario m;
  compiler::CompileState state;
  compiler::post_process(m, state);
  EXPECT_FALSE(m.has_cell_track());
  EXPECT_EQ(state.status_code, 0);
}

}  // namespace
