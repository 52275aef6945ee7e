// What the entries of the train source share while the train pass reads them.
// Internal to the train pass (train_parser.cc, train_entries.cc,
// station_entry.cc).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/compile_state.h"
#include "compiler/pass_outcome.h"
#include "compiler/range_rule.h"
#include "compiler/source_cursor.h"
#include "model/scenario.h"

namespace compiler::train {

struct Pass {
  model::Scenario& model;
  CompileState& state;
  SourceCursor& cursor;
  // The next cell of each profile, and the value the cells before the next
  // entry receive.
  int32_t speed_cursor = 0;
  int32_t adhesion_cursor = 0;
  int32_t previous_speed = 0;
  int32_t previous_adhesion = 0;
  // The record of the next station.
  int32_t station = 1;

  // Where field `n` of the entry being read stands (0: its keyword).
  Location field(int n) const { return state.record.field(cursor.entry(), n); }
  Claim claim() { return Claim{&state.record, cursor.entry()}; }
  // Records the entry's position, and warns when it lies past the line's end.
  void set_position(int32_t p, int margin = kRangeMargin);
  // Warns that field `n` of the entry is stored other than as written.
  void warn_stored(int n, const std::string& how);
};

// Records a range-rule stop for the entry at metre `p`; the note says why.
PassOutcome out_of_range(Pass& pass, int32_t p, Note why);

// Records a fault that aborts the pass, located at field `field` of the
// entry being read, with or without a position.
PassOutcome abort_with(Pass& pass, int32_t code, std::optional<int32_t> position, int field,
                       std::vector<Note> notes = {});

// The entries, each called after its keyword field has been read.
PassOutcome braked_mass_entry(Pass& pass);   // "percentuale massa frenata"
PassOutcome coaches_entry(Pass& pass);       // "numero vetture"
PassOutcome speed_entry(Pass& pass);         // "velocita"
PassOutcome adhesion_entry(Pass& pass);      // "aderenza"
PassOutcome clock_entry(Pass& pass);         // "orologio"
PassOutcome sand_entry(Pass& pass);          // "sabbia"
PassOutcome signal_entry(Pass& pass);        // "segnale"
PassOutcome slowdown_entry(Pass& pass);      // "rallentamento"
PassOutcome abbattimento_entry(Pass& pass);  // "abbattimento"
PassOutcome station_entry(Pass& pass);       // "stazione"

// round(previous speed / 5), which must fit the cell's Byte.
uint8_t speed_limit_of(int32_t previous_speed);

}  // namespace compiler::train
