// What the entries of the train source share while the train pass reads them.
// Internal to the train pass (train_parser.cc, station_entry.cc).
#pragma once

#include <cstdint>
#include <string_view>

#include "compiler/compile.h"
#include "compiler/field_reader.h"
#include "model/scenario.h"

namespace compiler::train {

// How an entry leaves the main loop.
enum class Outcome {
  kGoOn,       // read the next entry
  kEndOfPass,  // a range-rule stop (status 15): the tails and the last check still run
  kAbort,      // any other fault: the pass returns at once, without tails
};

struct Pass {
  model::Scenario& model;
  FieldReader& reader;
  ParseState& state;
  // The next cell of each profile, and the value the cells before the next
  // entry receive.
  int32_t speed_cursor = 0;
  int32_t adhesion_cursor = 0;
  int32_t previous_speed = 0;
  int32_t previous_adhesion = 0;
  // The record of the next station.
  int32_t station = 1;
};

// The range rule: an entry at metre `p` is accepted when (p + margin) / 50,
// unrounded, is at most the last cell index. The margin is 100, or 800 for a
// station.
bool within_range(const model::Scenario& model, int64_t p, int margin);

// Records a range-rule stop for the entry at metre `p`.
Outcome out_of_range(model::Scenario& model, int32_t p);

// Records a fault that aborts the pass, with or without a position.
Outcome abort_with(model::Scenario& model, int32_t code);
Outcome abort_with(model::Scenario& model, int32_t code, int32_t position);

// The entries, each called after its keyword field has been read.
Outcome braked_mass_entry(Pass& pass);   // "percentuale massa frenata"
Outcome coaches_entry(Pass& pass);       // "numero vetture"
Outcome speed_entry(Pass& pass);         // "velocita"
Outcome adhesion_entry(Pass& pass);      // "aderenza"
Outcome clock_entry(Pass& pass);         // "orologio"
Outcome sand_entry(Pass& pass);          // "sabbia"
Outcome signal_entry(Pass& pass);        // "segnale"
Outcome slowdown_entry(Pass& pass);      // "rallentamento"
Outcome abbattimento_entry(Pass& pass);  // "abbattimento"
Outcome station_entry(Pass& pass);       // "stazione"

// round(previous speed / 5), which must fit the cell's Byte.
uint8_t speed_limit_of(int32_t previous_speed);

}  // namespace compiler::train
