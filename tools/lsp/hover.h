// What the server tells about a field under the cursor, and the keywords it
// offers to complete.
#pragma once

#include <nlohmann/json.hpp>

#include "model/file_names.h"
#include "tools/lsp/features.h"
#include "tools/lsp/positions.h"

namespace tools::lsp {

// The entry and field at `position`: what the field is, the value the
// compiler read and stores, and the cells and records the entry claims
// (Hover, or null when no entry of the record stands there).
nlohmann::json hover(const Locator& locator, model::FileKind file, Position position);

// The keywords of one source, each with its fields as a snippet when the
// client takes snippets, else the keyword and a comma (CompletionItem[]).
nlohmann::json completion(model::FileKind file, bool snippets);

}  // namespace tools::lsp
