#include "tools/field_reference_text.h"

#include <algorithm>

namespace tools {
namespace {

std::string file_title(model::FileKind file) {
  return file == model::FileKind::kTrainSource ? "train source" : "line source";
}

std::string matching(const compiler::KeywordReference& r) {
  std::string text = "a field holding \"" + std::string(r.word) + "\"";
  if (!r.also.empty()) text += " and \"" + std::string(r.also) + "\"";
  text += r.exact_case ? " (letter case as written)" : " (any letter case)";
  return text;
}

size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string explain_text(const compiler::KeywordReference& r) {
  std::string out = compiler::keyword_text(r) + " (" + file_title(r.file) + "): " +
                    std::string(r.summary) + "\n";
  out += "  recognised in " + matching(r) + "\n\n";
  out += "  fields:\n";
  for (const compiler::FieldReference& f : r.fields) {
    out += "    " + std::string(f.name);
    if (!f.unit.empty()) out += " [" + std::string(f.unit) + "]";
    if (!f.range.empty()) out += " (" + std::string(f.range) + ")";
    out += ": " + std::string(f.use) + "\n";
  }
  if (r.fields_may_share_a_line) out += "  the numbers may stand apart by blanks alone\n";
  out += "\n  example:\n    " + std::string(r.example) + "\n";
  return out;
}

std::string reference_markdown() {
  std::string out;
  for (const compiler::KeywordReference& r : compiler::keyword_references()) {
    out += "### `" + compiler::keyword_text(r) + "` (" + file_title(r.file) + ")\n\n";
    out += std::string(r.summary) + "; recognised in " + matching(r) + ".\n\n";
    out += "| field | unit | range | what the compiler does with it |\n|---|---|---|---|\n";
    for (const compiler::FieldReference& f : r.fields)
      out += "| " + std::string(f.name) + " | " + std::string(f.unit) + " | " +
             std::string(f.range) + " | " + std::string(f.use) + " |\n";
    out += "\nExample: `" + std::string(r.example) + "`\n\n";
  }
  return out;
}

std::vector<std::string> keywords_like(std::string_view word) {
  std::string lower(word);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  std::vector<std::pair<size_t, std::string>> scored;
  for (const compiler::KeywordReference& r : compiler::keyword_references()) {
    const std::string name = compiler::keyword_text(r);
    const size_t d = std::min(edit_distance(lower, name), edit_distance(lower, r.word));
    // Close enough to be a slip of the keyboard.
    if (d <= std::max<size_t>(2, r.word.size() / 4)) scored.emplace_back(d, name);
  }
  std::stable_sort(scored.begin(), scored.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> names;
  for (auto& [d, name] : scored) names.push_back(name);
  return names;
}

}  // namespace tools
