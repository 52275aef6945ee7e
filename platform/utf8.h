// The program's text is UTF-8. What reaches a reader (a terminal, a JSON
// document, an SVG or HTML page) must be whole UTF-8: a text cut for length
// is cut between characters, and bytes that are not UTF-8 are shown as
// U+FFFD rather than passed on.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// True when `text` is well-formed UTF-8 (no overlong form, no surrogate,
// nothing above U+10FFFF).
bool is_utf8(std::string_view text);

// The largest length up to `at` that does not split a character of `text`.
size_t utf8_cut(std::string_view text, size_t at);

// `text` with each byte that does not belong to a well-formed character
// replaced by U+FFFD; well-formed text comes back unchanged.
std::string valid_utf8(std::string_view text);

}  // namespace platform
