// The field reference: for every keyword of the two sources, the words that
// make it, its fields with their units and ranges, what the compiler does
// with each, and an example line. One table serves check's messages, the
// `explain` command, the language server's hover and completion, and the
// format reference in docs/, which a test keeps in step with it.
#pragma once

#include <span>
#include <string_view>

#include "compiler/source_record.h"
#include "model/file_names.h"

namespace compiler {

struct FieldReference {
  std::string_view name;
  std::string_view unit;   // "m", "km/h", "per mille", "" for none
  std::string_view range;  // the values its field stores, e.g. "0 to 255"
  // What the compiler does with it; for a value it only stores in a file
  // for the simulator, says so and no more.
  std::string_view use;
};

struct KeywordReference {
  EntryKind kind;
  model::FileKind file;
  // The words a keyword field must hold, in the order the compiler tests
  // them; the second is empty for a one-word keyword.
  std::string_view word;
  std::string_view also;
  bool exact_case;                 // letter case must match (some general entries)
  std::string_view summary;        // one line
  std::span<const FieldReference> fields;
  bool fields_may_share_a_line;    // numbers apart by blanks alone are read too
  std::string_view example;        // a complete line
};

// Every keyword, the line source's first, each file's in the order the
// compiler tests them.
std::span<const KeywordReference> keyword_references();

// The entry of a kind; every kind has one.
const KeywordReference& reference_for(EntryKind kind);

// The keyword a name stands for ("segnale", "stazione", "cartello_indicatore",
// "lunghezza percorso"), ignoring case; nullptr when none.
const KeywordReference* reference_named(std::string_view name);

// The keyword as an author writes it: "segnale", "lunghezza percorso".
std::string keyword_text(const KeywordReference& reference);

}  // namespace compiler
