// The loop both passes read their sections with: it reads a keyword field,
// passes over comment fields as the section's rules say, finds every keyword
// of the section the field holds, in the grammar's order, and has each
// place its entry.
#pragma once

#include "compiler/entry_pass.h"
#include "compiler/field_reference.h"
#include "compiler/pass_outcome.h"

namespace compiler {

// Reads `section` to its end; kGoOn at the end of the section or the file,
// otherwise the first outcome other than kGoOn an entry gave. The pass must
// be the one of the section's source (line::Pass or train::Pass).
PassOutcome read_section(EntryPass& pass, Section section);

// The entries of the keyword field just read, in the grammar's order.
PassOutcome place_entries(EntryPass& pass, Section section, std::string_view field);

}  // namespace compiler
