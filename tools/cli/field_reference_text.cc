#include "tools/cli/field_reference_text.h"


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


}  // namespace tools
