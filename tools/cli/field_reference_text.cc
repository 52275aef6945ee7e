#include "tools/cli/field_reference_text.h"

#include <algorithm>

#include "tools/reference/builtin_usage.h"

namespace tools {
namespace {

// Where the keyword is read: its source and, in the line source, its part.
std::string place_title(const compiler::KeywordReference& r) {
  switch (r.section) {
    case compiler::Section::kGeneral:
      return "line source, general part";
    case compiler::Section::kFeatures:
      return "line source, feature part";
    case compiler::Section::kTrain:
      break;
  }
  return "train source";
}

std::string matching(const compiler::KeywordReference& r) {
  std::string text = "a field holding \"" + std::string(r.word) + "\"";
  if (!r.also.empty()) text += " and \"" + std::string(r.also) + "\"";
  if (!r.variants.empty()) {
    text += " and one of";
    for (size_t i = 0; i < r.variants.size(); ++i)
      text += (i ? ", \"" : " \"") + std::string(r.variants[i]) + "\"";
    text += ", each read as an entry of its own, in that order";
  }
  text += r.exact_case ? " (letter case as written)" : " (any letter case)";
  if (r.needs_plan) text += ", read only while the track plan is built";
  return text;
}

// "tunnel, galleria, ...": the other words the keyword is found by.
std::string other_names(const compiler::KeywordReference& r) {
  std::string text;
  for (std::string_view name : r.also_known_as)
    text += (text.empty() ? "" : ", ") + std::string(name);
  return text;
}

}  // namespace

std::string explain_text(const compiler::KeywordReference& r) {
  std::string out =
      compiler::keyword_text(r) + " (" + place_title(r) + "): " + std::string(r.summary) + "\n";
  out += "  recognised in " + matching(r) + "\n";
  if (!r.also_known_as.empty()) out += "  also found as: " + other_names(r) + "\n";
  out += "\n";
  out += "  fields:\n";
  for (const compiler::FieldReference& f : r.fields) {
    out += "    " + std::string(f.name);
    if (!f.unit.empty()) out += " [" + std::string(f.unit) + "]";
    if (!f.range.empty()) out += " (" + std::string(f.range) + ")";
    out += ": " + std::string(f.use) + "\n";
  }
  if (r.fields_may_share_a_line) out += "  the numbers may stand apart by blanks alone\n";
  out += "\n  example:\n    " + std::string(r.example) + "\n\n";
  out += builtin_usage_text(r.kind, "  ");
  return out;
}

std::string reference_markdown() {
  std::string out;
  for (const compiler::KeywordReference& r : compiler::keyword_references()) {
    out += "### `" + compiler::keyword_text(r) + "` (" + place_title(r) + ")\n\n";
    out += std::string(r.summary) + "; recognised in " + matching(r) + ".\n\n";
    if (!r.also_known_as.empty())
      out += "`scenarioc explain` also finds it as: " + other_names(r) + ".\n\n";
    out += "| field | unit | range | what the compiler does with it |\n|---|---|---|---|\n";
    for (const compiler::FieldReference& f : r.fields)
      out += "| " + std::string(f.name) + " | " + std::string(f.unit) + " | " +
             std::string(f.range) + " | " + std::string(f.use) + " |\n";
    out += "\nExample: `" + std::string(r.example) + "`\n\n";
  }
  return out;
}

}  // namespace tools
