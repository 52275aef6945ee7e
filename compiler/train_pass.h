// What the entries of the train source share while the train pass reads them.
// Internal to the train pass (train_parser.cc, train_entries.cc,
// station_entry.cc).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/entry_pass.h"
#include "model/scenario.h"

namespace compiler::train {

struct Pass : EntryPass {
  // The next cell of each profile, and the value the cells before the next
  // entry receive.
  int32_t speed_cursor = 0;
  int32_t adhesion_cursor = 0;
  int32_t previous_speed = 0;
  int32_t previous_adhesion = 0;
  // The record of the next station.
  int32_t station = 1;
};

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
