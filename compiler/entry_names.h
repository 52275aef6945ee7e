// How messages name an entry and describe the way its keyword field reads:
// the keyword as its author wrote it, never one the author did not write
// without the field it was found in; and the shapes of a keyword field that
// explain a fault further on (a number glued to the keyword, a note that
// happens to hold a keyword, a comment run past its limit).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "compiler/field_reference.h"
#include "compiler/field_text.h"
#include "compiler/source_record.h"

namespace compiler {

// "'curvas4'" as written; "'pendenza' (found in the field 'attenzione: la
// pendenza qui...')" when the field holds more than a keyword.
std::string written_keyword(const SourceEntry& entry);

// The keyword a kind's entries are known by, without what a field adds to
// it: "curva" for curves (whose fields add their class and side).
std::string keyword_name(const KeywordReference& reference);

// The keyword field reads like prose that happens to hold the keyword.
bool reads_like_a_note(const SourceEntry& entry);

// The number the keyword field ends in, when a comma is missing between the
// keyword and its first value ("pendenza  1350").
std::optional<std::string> number_after_keyword(const SourceEntry& entry);

// Why a keyword field holding '-' was read as one: the comment rule's limit
// in the entry's section, and the fix.
std::string past_the_comment_limit(const SourceEntry& entry);

// "1st", "2nd", "11th".
std::string ordinal(size_t n);

}  // namespace compiler
