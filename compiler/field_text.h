// Small text helpers for what a field holds, shared by the messages: the
// keywords are plain ASCII, so folding ASCII letters is all that ignoring
// case needs.
#pragma once

#include <string>
#include <string_view>

namespace compiler {

// The field without the blanks (spaces, tabs) around it.
inline std::string trimmed_field(std::string_view field) {
  const size_t first = field.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = field.find_last_not_of(" \t");
  return std::string(field.substr(first, last - first + 1));
}

inline std::string lower_ascii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// A whole number, with an optional minus sign, and blanks around it only.
inline bool is_whole_number(std::string_view field) {
  const std::string t = trimmed_field(field);
  size_t i = !t.empty() && t[0] == '-' ? 1 : 0;
  if (i >= t.size()) return false;
  for (; i < t.size(); ++i)
    if (t[i] < '0' || t[i] > '9') return false;
  return true;
}

}  // namespace compiler
