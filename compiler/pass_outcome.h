// How an entry, and a section of entries, leaves the loop that reads it; one
// outcome for both sources.
#pragma once

namespace compiler {

enum class PassOutcome {
  kGoOn,       // read the next entry
  kEndOfPass,  // a range-rule stop (status 15): the pass ends as at the end of the file,
               // its closing work still runs
  kAbort,      // any other fault: the pass returns at once, without its closing work
};

}  // namespace compiler
