// How the built-in scenario uses each keyword, computed from its own sources
// as the compiler records them: its entries grouped by the values that tell
// them apart, each group a template line with the places it stands. This is
// what one scenario chose, shown as such; for most signal, station and board
// fields it is all that is known of what a value does in the simulator.
#pragma once

#include <string>
#include <vector>

#include "compiler/source_record.h"

namespace tools {

struct UsageGroup {
  // The entry with its places written as field names and every other value
  // as read: "segnale, p, 2, 4, 0, 0, 0, 2, 2, 0, 0, 0".
  std::string line;
  // One per entry, in source order: "1500 m, 1500 m after FIUMICINO
  // AEROPORTO"; empty for entries that stand nowhere on the line.
  std::vector<std::string> places;
  int entries = 0;
};

// The groups of `kind` among the entries of `record`, in the order of their
// first entry.
std::vector<UsageGroup> usage_groups(const compiler::SourceRecord& record,
                                     compiler::EntryKind kind);

// The groups of the built-in scenario's sources, compiled once.
const std::vector<UsageGroup>& builtin_usage(compiler::EntryKind kind);

// The values the built-in scenario gives field `field` (1 for the first) of
// `kind`, most used first: "2 (13 entries), 1 (5 entries)"; empty when it
// has no such entry or the field is a place or a text.
std::string builtin_field_values(compiler::EntryKind kind, int field);

// The groups as `explain` prints them, under a heading that says whose
// choices they are; the indent is put before every line.
std::string builtin_usage_text(compiler::EntryKind kind, const std::string& indent);

}  // namespace tools
