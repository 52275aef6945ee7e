// The speed a train may run: the line speed with each slowdown's speed over
// the slowdown's span, the line speed where it is lower.
#include "tools/plot/speed_profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// 20 cells: 140 km/h up to cell 9, 80 km/h from cell 10.
std::vector<model::Cell> line_of_two_speeds() {
  std::vector<model::Cell> cells(20);
  for (size_t i = 0; i < cells.size(); ++i) cells[i].speed_limit = i < 10 ? 28 : 16;
  return cells;
}

void slowdown(std::vector<model::Cell>& cells, size_t start, size_t end, int16_t kmh) {
  cells[start].kind = model::kind::kSlowdownStart;
  cells[start].value_a = kmh;
  cells[end].kind = model::kind::kSlowdownEnd;
  cells[end].value_a = kmh;
}

TEST(PermittedSpeed, IsTheLineSpeedLoweredOverEachSlowdownsSpan) {
  struct Case {
    const char* name;
    std::vector<int> start_end_kmh;  // start cell, end cell, speed; repeated
    std::vector<int> expected;       // km/h of cells 0 to 19
  };
  const Case cases[] = {
      // "rallentamento, 250, 60, 400, ...": start cell 6, end cell 14, its
      // metres 250 to 650 are cells 5 to 12; it crosses the change of line
      // speed, and is the lower of the two on both sides.
      {"across_a_line_speed_change", {6, 14, 60}, {140, 140, 140, 140, 140, 60, 60, 60, 60, 60,
                                                   60,  60,  60,  80,  80,  80, 80, 80, 80, 80}},
      // Faster than the line where the line is slower: the line's speed.
      {"faster_than_the_line_keeps_the_line",
       {6, 14, 100},
       {140, 140, 140, 140, 140, 100, 100, 100, 100, 100, 80, 80, 80, 80, 80, 80, 80, 80, 80, 80}},
      {"two_slowdowns", {2, 4, 30, 16, 19, 50}, {140, 30, 30, 140, 140, 140, 140, 140, 140, 140,
                                                 80,  80, 80, 80,  80,  50,  50,  50,  80,  80}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<model::Cell> cells = line_of_two_speeds();
    for (size_t i = 0; i + 2 < c.start_end_kmh.size(); i += 3)
      slowdown(cells, static_cast<size_t>(c.start_end_kmh[i]),
               static_cast<size_t>(c.start_end_kmh[i + 1]),
               static_cast<int16_t>(c.start_end_kmh[i + 2]));
    EXPECT_EQ(tools::permitted_speeds(cells), c.expected);
    // The line speed beside it stays as it is.
    EXPECT_EQ(tools::line_speeds(cells), tools::line_speeds(line_of_two_speeds()));
  }
}

// A start whose end cell it overwrote (a very short slowdown), or whose end
// never comes, lowers its own metre's cell only.
TEST(PermittedSpeed, ASlowdownWithoutItsEndCoversOneCell) {
  std::vector<model::Cell> cells = line_of_two_speeds();
  cells[6].kind = model::kind::kSlowdownStart;
  cells[6].value_a = 40;
  std::vector<int> expected = tools::line_speeds(cells);
  expected[5] = 40;
  EXPECT_EQ(tools::permitted_speeds(cells), expected);
}

}  // namespace
