// Hand-made scenario sources for the tests: the built-in ones with an entry
// changed or added, written exactly as the writers write theirs.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"

namespace testing_support {

// The built-in line source with `entries` inserted just before its closing
// "[fine]" (the last field of a source is never examined).
std::vector<std::string> line_source_with(std::initializer_list<std::string_view> entries);
// The built-in train source, likewise.
std::vector<std::string> train_source_with(std::initializer_list<std::string_view> entries);

// `lines` with the one line that starts with `prefix` replaced by `line`.
std::vector<std::string> replacing(std::vector<std::string> lines, std::string_view prefix,
                                   std::string_view line);

// `lines` as the text of a source, each ended by CR LF (UTF-8, as an editor
// holds it).
std::string source_text(const std::vector<std::string>& lines);

// Writes `lines` to `path` as every source is written: Windows-1252, CR LF.
platform::Status write_source(platform::Env& env, const std::string& path,
                              const std::vector<std::string>& lines);

}  // namespace testing_support
