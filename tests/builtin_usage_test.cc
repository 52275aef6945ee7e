// The templates `explain` and hover show of a scenario's own entries: grouped
// by every value but their places, each place with the station nearest it.
#include "tools/reference/builtin_usage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/source_record.h"

namespace {

using compiler::EntryKind;
using compiler::SourceEntry;

// An entry placed at `p` with `values` after its position, and a field
// (unplaced) for each number.
SourceEntry placed(EntryKind kind, std::string keyword, int32_t p, std::vector<int64_t> values) {
  values.insert(values.begin(), p);
  SourceEntry e{.kind = kind,
                .keyword = std::move(keyword),
                .keyword_at = {},
                .fields = std::vector<compiler::Location>(values.size()),
                .numbers = std::move(values),
                .position = p,
                .name = {}};
  return e;
}

SourceEntry signal(int32_t p, std::vector<int64_t> values) {
  return placed(EntryKind::kSignal, "  segnale", p, std::move(values));
}

SourceEntry station(int32_t p, const std::string& name) {
  SourceEntry e = placed(EntryKind::kStation, "stazione", p,
                         {11, 600, 1, 0, 0, 4, 1, 0, 2, 1, 1, 1, 10, 7, 0, 0});
  e.name = name;
  return e;
}

TEST(BuiltinUsage, GroupsEntriesByTheirValuesAndNamesTheNearestStation) {
  compiler::SourceRecord record;
  record.add(station(1000, "ALFA"));
  record.add(signal(1500, {2, 4, 0, 0, 0, 2, 2, 0, 0, 0}));
  record.add(signal(2600, {1, 4, 0, 0, 0, 0, 0, 0, 0, 0}));
  record.add(station(3000, "BETA"));
  record.add(signal(3000, {2, 4, 0, 0, 0, 2, 2, 0, 0, 0}));
  // Halfway between two stations: the first of them.
  record.add(signal(2000, {2, 4, 0, 0, 0, 2, 2, 0, 0, 0}));

  const std::vector<tools::UsageGroup> groups = tools::usage_groups(record, EntryKind::kSignal);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].line, "segnale, p, 2, 4, 0, 0, 0, 2, 2, 0, 0, 0");
  EXPECT_EQ(groups[0].entries, 3);
  EXPECT_EQ(groups[0].places,
            (std::vector<std::string>{"1500 m, 500 m after ALFA", "3000 m, at BETA",
                                      "2000 m, 1000 m after ALFA"}));
  EXPECT_EQ(groups[1].line, "segnale, p, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0");
  EXPECT_EQ(groups[1].places, (std::vector<std::string>{"2600 m, 400 m before BETA"}));

  // A station's own place is its name; its name field is named, not given.
  const std::vector<tools::UsageGroup> stations = tools::usage_groups(record, EntryKind::kStation);
  ASSERT_EQ(stations.size(), 1u);
  EXPECT_EQ(stations[0].line,
            "stazione, position, 11, 600, 1, 0, 0, 4, 1, 0, 2, 1, 1, 1, 10, 7, 0, NAME");
  EXPECT_EQ(stations[0].places, (std::vector<std::string>{"1000 m, ALFA", "3000 m, BETA"}));

  EXPECT_TRUE(tools::usage_groups(record, EntryKind::kSlowdown).empty());
}

// The built-in scenario's own sources, compiled: its 18 signals fall into
// the kinds its train source writes, and a field's values are counted.
TEST(BuiltinUsage, IsComputedFromTheBuiltInSources) {
  const std::vector<tools::UsageGroup>& signals = tools::builtin_usage(EntryKind::kSignal);
  int entries = 0;
  for (const tools::UsageGroup& g : signals) entries += g.entries;
  EXPECT_EQ(entries, 18);
  ASSERT_FALSE(signals.empty());
  EXPECT_EQ(signals[0].line, "segnale, p, 2, 4, 0, 0, 0, 2, 2, 0, 0, 0");
  EXPECT_EQ(signals[0].places.front(), "1500 m, 1500 m after FIUMICINO AEROPORTO");
  // A span where the entry has two places; a board with its text.
  EXPECT_EQ(tools::builtin_usage(EntryKind::kTunnel).front().places.front(),
            "7200 to 7250 m, 3800 m before PONTE GALERIA");
  EXPECT_EQ(tools::builtin_usage(EntryKind::kNameBoard).front().places.front(),
            "7150 m, 3850 m before PONTE GALERIA: (SOTTOVIA    )(AUTOSTRADALE)");
  // sx: 2 in 12 signals, 1 in 6; the place field has no values to give.
  EXPECT_EQ(tools::builtin_field_values(EntryKind::kSignal, 2), "2 (12 entries), 1 (6 entries)");
  EXPECT_EQ(tools::builtin_field_values(EntryKind::kSignal, 1), "");
  EXPECT_EQ(tools::builtin_usage_text(EntryKind::kSlowdown, "  "),
            "  the built-in scenario has no rallentamento entry\n");
}

}  // namespace
