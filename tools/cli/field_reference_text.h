// The field reference rendered for readers: one keyword for a terminal
// (`scenarioc explain`), and the whole table as the Markdown section of
// docs/format.md.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "compiler/field_reference.h"

namespace tools {

// The keyword, what it is, each field with unit, range and use, an example.
std::string explain_text(const compiler::KeywordReference& reference);

// Every keyword as Markdown, one table of fields each.
std::string reference_markdown();

}  // namespace tools
