#include "tools/lsp_hover.h"

#include <string>
#include <vector>

#include "model/kind_names.h"

namespace tools::lsp {
namespace {

using compiler::SourceEntry;
using model::FileKind;
using nlohmann::json;

// "31", "100–140": runs of consecutive cells.
std::string runs(const std::vector<int64_t>& cells) {
  std::string out;
  for (size_t i = 0; i < cells.size();) {
    size_t j = i;
    while (j + 1 < cells.size() && cells[j + 1] == cells[j] + 1) ++j;
    if (!out.empty()) out += ", ";
    out += std::to_string(cells[i]);
    if (j > i) out += "–" + std::to_string(cells[j]);
    i = j + 1;
  }
  return out;
}

// What the entry put into the tables: its cells with their kinds, and its
// service records.
std::string claims(const compiler::CompileResult& result, int entry) {
  const model::Scenario& m = result.model;
  std::vector<int64_t> cells;
  std::string kinds;
  std::vector<std::string> seen;
  if (m.has_cell_track()) {
    for (int64_t c = 0; c <= m.cell_last; ++c) {
      if (result.record.cell_owner(c) != entry) continue;
      cells.push_back(c);
      const std::string kind = model::kind_name(m.cell(static_cast<int32_t>(c)).kind);
      if (std::find(seen.begin(), seen.end(), kind) == seen.end()) seen.push_back(kind);
    }
  }
  std::string out;
  if (!cells.empty()) {
    out += (cells.size() == 1 ? "Claims cell " : "Claims cells ") + runs(cells);
    for (size_t i = 0; i < seen.size(); ++i) out += (i ? ", " : " (") + seen[i];
    out += ").";
  }
  std::vector<int64_t> records;
  for (int r = 0; r < model::kServiceRecords; ++r)
    if (result.record.record_owner(r) == entry) records.push_back(r);
  if (!records.empty()) {
    if (!out.empty()) out += "\n\n";
    out += (records.size() == 1 ? "Fills service record " : "Fills service records ") +
           runs(records) + ".";
  }
  return out;
}

}  // namespace

json hover(const Locator& locator, FileKind file, Position position) {
  const compiler::CompileResult& result = locator.compile().result;
  const size_t offset = locator.offset(file, position);
  const std::optional<FieldAt> at = field_at(result.record, file, offset);
  if (!at) return nullptr;
  const SourceEntry& e = result.record.entry(at->entry);
  std::string text = "**" + e.keyword + "**: " + compiler::describe(e) + "\n\n";
  if (at->field > 0) {
    const size_t n = static_cast<size_t>(at->field);
    text += "Field " + std::to_string(n) + " of " + std::to_string(e.fields.size());
    if (n <= e.numbers.size()) text += ", read as " + std::to_string(e.numbers[n - 1]);
    text += ".\n\n";
  }
  text += claims(result, at->entry);
  const compiler::Location& where =
      at->field == 0 ? e.keyword_at : e.fields[static_cast<size_t>(at->field) - 1];
  return {{"contents", {{"kind", "markdown"}, {"value", text}}}, {"range", locator.range(where)}};
}

json completion(FileKind) { return json::array(); }

}  // namespace tools::lsp
