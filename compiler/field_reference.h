// The grammar of the two sources, written once: for every keyword, the words
// that make it and their case rule, the section it is read in, its fields
// with their units and ranges, what the compiler does with each, the entry
// function that places it, and an example line. The passes find their
// entries in it; check's messages, the `explain` command, the language
// server's hover and completion, and the format reference in docs/ (which a
// test keeps in step with it) print it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/pass_outcome.h"
#include "compiler/source_record.h"
#include "model/file_names.h"

namespace compiler {

struct EntryPass;

struct FieldReference {
  std::string_view name;
  std::string_view unit;   // "m", "km/h", "per mille", "" for none
  std::string_view range;  // the values its field stores, e.g. "0 to 255"
  // What the compiler does with it; for a value it only stores in a file
  // for the simulator, says so and no more.
  std::string_view use;
};

// Where in its source a keyword is recognised.
enum class Section {
  kGeneral,   // line source: after "[generale]", up to the next section header
  kFeatures,  // line source: after that header, to the end of the file
  kTrain,     // train source: after "[generale]", to the end of the file
};

// Places the entry whose keyword field was just read, reading its fields;
// `variant` is the index of the variant word the field held (0 without).
using PlaceEntry = PassOutcome (*)(EntryPass& pass, int variant);

struct KeywordReference {
  EntryKind kind;
  model::FileKind file;
  Section section;
  // The words a keyword field must hold, in the order the compiler tests
  // them; the second is empty for a one-word keyword.
  std::string_view word;
  std::string_view also = "";
  // When not empty, the field must also hold one of these; each one it
  // holds is a test of its own, made in this order, and reads an entry.
  std::span<const std::string_view> variants = {};
  bool exact_case;  // letter case must match (some general entries)
  // Read only while the track plan is built; otherwise the field is passed
  // over in silence.
  bool needs_plan = false;
  PlaceEntry place;
  std::string_view summary;  // one line
  std::span<const FieldReference> fields;
  bool fields_may_share_a_line = false;  // numbers apart by blanks alone are read too
  std::string_view example;              // a complete line
  // Words an author may look the keyword up by, in Italian and English,
  // lower case: what the keyword stands for, not what the compiler reads.
  std::span<const std::string_view> also_known_as = {};
};

// Every keyword, the line source's first, each section's in the order the
// compiler tests them.
std::span<const KeywordReference> keyword_references();

// The entry of a kind; every kind has one.
const KeywordReference& reference_for(EntryKind kind);

// The keyword a name stands for ("segnale", "stazione", "cartello_indicatore",
// "lunghezza percorso"), ignoring case; nullptr when none.
const KeywordReference* reference_named(std::string_view name);

// The keywords a word names: the keyword itself as `reference_named` finds
// it, or else every keyword that lists the word among its other names
// ("galleria", "board"), ignoring case and surrounding blanks; table order.
std::vector<const KeywordReference*> references_known_as(std::string_view word);

// The keyword as an author writes it: "segnale", "lunghezza percorso".
std::string keyword_text(const KeywordReference& reference);

// Whether a keyword field passes the keyword's test for variant `variant`
// (0 for a keyword without variants): every word occurs in it, by the
// keyword's case rule.
bool keyword_matches(const KeywordReference& reference, std::string_view field, size_t variant);

// How a section reads its keyword fields.
struct SectionRules {
  // Comment fields (holding "-") passed over in a row before a keyword
  // field is examined; a further one is examined like any field.
  int comment_fields;
  // Whether the section ends as soon as the end of the file follows a
  // comment field just passed over (that field is never examined).
  bool ends_after_last_comment;
  // Whether a section header ends it, once the header's own field has been
  // examined.
  bool ends_at_header;
};
const SectionRules& section_rules(Section section);

// A field holding "[" and "]" that does not begin with "-".
bool is_section_header(std::string_view field);

// Whether a field ends the head of either source: it holds "[generale]", in
// any letter case.
bool ends_head(std::string_view field);

// Known keywords close to `word`, best first: a slip of the keyboard.
std::vector<std::string> similar_keywords(std::string_view word);

// Other names of keywords (`also_known_as`) close to `word`, best first.
// Only for looking a keyword up: a source never holds them.
std::vector<std::string> similar_other_names(std::string_view word);

}  // namespace compiler
