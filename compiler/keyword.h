// How the parsers recognise a keyword: its text occurs anywhere in the field.
// Some keywords must match letter case exactly, the others ignore it. The
// keywords are plain ASCII, so folding ASCII letters is all that ignoring case
// needs (bytes of other characters never fold onto them).
#pragma once

#include <string_view>

namespace compiler {

inline bool contains(std::string_view field, std::string_view word) {
  return field.find(word) != std::string_view::npos;
}

// `word` is given in lower case.
inline bool contains_ignoring_case(std::string_view field, std::string_view word) {
  if (word.empty()) return true;
  if (field.size() < word.size()) return false;
  for (size_t start = 0; start + word.size() <= field.size(); ++start) {
    size_t i = 0;
    while (i < word.size()) {
      char c = field[start + i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != word[i]) break;
      ++i;
    }
    if (i == word.size()) return true;
  }
  return false;
}

}  // namespace compiler
