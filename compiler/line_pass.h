// What the entries of the line source share while the line pass reads them.
// Internal to the line pass (line_parser.cc, line_entries.cc).
#pragma once

#include <cstdint>

#include "compiler/entry_pass.h"
#include "compiler/line_geometry.h"

namespace compiler::line {

struct Pass : EntryPass {
  int32_t gradient_cursor = 0;                // the next cell whose gradient is not set
  int32_t previous_gradient = 0;              // g of the last gradient entry
  int32_t plan_cursor = kFirstComputedMetre;  // the next metre of the plan
};

// The entries of the general part, each called after its keyword field has
// been read. A variant is the index of the word that picked it.
PassOutcome line_length_entry(Pass& pass);               // "lunghezza percorso"
PassOutcome progressive_entry(Pass& pass, int variant);  // "progressiva tre|due|uno"
PassOutcome background_entry(Pass& pass, int variant);   // "sfondo uno|due|tre"
PassOutcome signal_repetition_entry(Pass& pass);         // "ripetizione segnali"

// The entries of the feature part.
PassOutcome gradient_entry(Pass& pass);     // "pendenza"
PassOutcome curve_entry(Pass& pass);        // "curva"
PassOutcome tunnel_entry(Pass& pass);       // "montagna"
PassOutcome speed_board_entry(Pass& pass);  // "indicatori_v"
PassOutcome name_board_entry(Pass& pass);   // "cartello ... indicat"

// Sets the gradient of the cell at the cursor, then of the following ones
// while the cursor is below `end`: at least one cell, even when the cursor is
// already past it.
void fill_gradient(Pass& pass, int64_t end);

}  // namespace compiler::line
