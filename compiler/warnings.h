// Warnings: input that compiles but is almost surely not what its author
// meant. They are found from the compiler's own reading of the sources and
// never change what the compile writes; each says how to fix it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/diagnostic.h"
#include "compiler/field_reference.h"
#include "compiler/source_record.h"
#include "model/file_names.h"
#include "model/scenario.h"

namespace compiler {

Diagnostic warning(const Location& at, std::string message);

// Whether `field` is one of the section headers the formats use
// ("[curve]", "[segnali]", ...).
bool is_known_section_header(std::string_view field);

// What a keyword field that matched no keyword most likely is: a typo in a
// keyword, a '#' comment, a tab where a comma was meant, an unknown section
// header. A number or a blank field gets none here.
std::optional<Diagnostic> unmatched_field(std::string_view field, const Location& at);

// An entry's fields as laid out: fields read from a later line than the
// keyword's (a field is missing), a tab between the keyword and its values.
// An entry's keyword field read past the comment rule's limit. `cut_short`:
// a fault tells the layout already.
std::vector<Diagnostic> entry_layout(std::string_view text, const SourceEntry& entry,
                                     bool cut_short = false);

// A number read as the keyword of a next entry on the line of `entry`: an
// extra field, or the decimals of a number written with a comma.
Diagnostic extra_field(std::string_view text, const SourceEntry& entry, const Location& at);

// A byte order mark or byte pairs that look like UTF-8 in a file that must
// be Windows-1252.
std::vector<Diagnostic> encoding_warnings(std::string_view bytes, model::FileKind file);

// A curve keyword whose side is not a lone "s" or "d": "curva destra 4"
// holds an "s" and is read as a left curve.
std::optional<Diagnostic> curve_side(const SourceEntry& entry);

// An entry placed past the end of the line, which the range rule (with its
// margin) still accepts.
std::optional<Diagnostic> past_line_end(const model::Scenario& model, const SourceEntry& entry,
                                        int margin);

// "stored as X": a value the compiler keeps other than as written, at field
// `n` of the entry.
Diagnostic stored_otherwise(const SourceEntry& entry, int n, const std::string& how);

// The edit distance between `a` and `b` when it is at most `limit`, else
// limit + 1.
size_t edit_distance(std::string_view a, std::string_view b, size_t limit);

}  // namespace compiler
