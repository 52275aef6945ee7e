#include "tools/lsp/hover.h"

#include <algorithm>
#include <string>
#include <vector>

#include "compiler/field_reference.h"
#include "model/kind_names.h"
#include "tools/decode/position_text.h"
#include "tools/reference/builtin_usage.h"
#include "tools/reference/entry_cell.h"

namespace tools::lsp {
namespace {

using compiler::SourceEntry;
using model::FileKind;
using nlohmann::json;

std::string cell_text(const model::Cell& c) {
  std::string out = model::kind_name(c.kind) + ": value_a " + std::to_string(c.value_a) +
                    ", value_b " + std::to_string(c.value_b) + ", value_c " +
                    std::to_string(c.value_c) + ", value_d " + std::to_string(c.value_d);
  if (c.signal_time) out += ", signal_time " + std::to_string(c.signal_time);
  return out;
}

std::string record_text(const model::ServiceRecord& r) {
  std::string out = "kind " + std::to_string(r.kind) + ", start_m " + std::to_string(r.start_m) +
                    ", end_m " + std::to_string(r.end_m) + ", position_m " +
                    std::to_string(r.position_m) + ", flag_a " + std::to_string(r.flag_a);
  if (r.byte_c) out += ", byte_c " + std::to_string(r.byte_c);
  if (r.byte_d) out += ", byte_d " + std::to_string(r.byte_d);
  if (r.time_s) out += ", time_s " + std::to_string(r.time_s);
  out += ", text \"" + r.text + "\"";
  return out;
}

// What the entry put into the tables, as the binary files will hold it: its
// cells with their values, and its service records.
std::string claims(const compiler::CompileResult& result, int entry) {
  const model::Scenario& m = result.model;
  std::string out;
  if (m.has_cell_track()) {
    for (int32_t c = 0; c <= m.cell_last; ++c)
      if (result.record.cell_owner(c) == entry)
        out += "- " + cell_span_text(c) + ", " + cell_text(m.cell(c)) + "\n";
  }
  for (int r = 0; r < model::kServiceRecords; ++r)
    if (result.record.record_owner(r) == entry)
      out += "- service record " + std::to_string(r) + ": " +
             record_text(m.service_table[static_cast<size_t>(r)]) + "\n";
  if (!out.empty()) out = "Stored (as the binary files hold it):\n" + out;
  return out;
}

std::string field_text(const compiler::FieldReference& f) {
  std::string out = "`" + std::string(f.name) + "`";
  std::string about;
  if (!f.unit.empty()) about += f.unit;
  if (!f.range.empty()) about += (about.empty() ? "" : ", ") + std::string(f.range);
  if (!about.empty()) out += " (" + about + ")";
  return out + ": " + std::string(f.use);
}

// A snippet's literal text: `$`, `}` and `\` are escaped.
std::string snippet_text(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '$' || c == '}' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

// The cell an entry's metres put it in; for a station, its marker cell.
std::optional<int64_t> entry_place_cell(const compiler::CompileResult& result, int entry) {
  const SourceEntry& e = result.record.entry(entry);
  if (e.kind != compiler::EntryKind::kStation) return tools::entry_cell(e);
  const model::Scenario& m = result.model;
  if (m.has_cell_track())
    for (int32_t c = 0; c <= m.cell_last; ++c)
      if (result.record.cell_owner(c) == entry && m.cell(c).kind == model::kind::kStationMarker)
        return c;
  return std::nullopt;
}

// The built-in scenario's entries of a keyword, as templates with where
// they stand, said to be that scenario's choices.
std::string builtin_usage_markdown(compiler::EntryKind kind) {
  const std::vector<tools::UsageGroup>& groups = tools::builtin_usage(kind);
  if (groups.empty()) return {};
  std::string out = "What the built-in scenario uses (its own choices, not rules of the format):\n";
  for (const tools::UsageGroup& g : groups) {
    out += "- `" + g.line + "`";
    if (!g.places.empty()) {
      out += " at ";
      for (size_t i = 0; i < g.places.size(); ++i) out += (i ? "; " : "") + g.places[i];
    }
    out += "\n";
  }
  return out + "\n";
}

}  // namespace

json hover(const Locator& locator, FileKind file, Position position) {
  const compiler::CompileResult& result = locator.compile().result;
  const size_t offset = locator.offset(file, position);
  const std::optional<FieldAt> at = field_at(result.record, file, offset);
  if (!at) return nullptr;
  const SourceEntry& e = result.record.entry(at->entry);
  const compiler::KeywordReference& ref = compiler::reference_for(e.kind);

  std::string text =
      "**" + compiler::keyword_text(ref) + "**: " + std::string(ref.summary) + "\n\n";
  text += compiler::describe(e);
  if (const std::optional<int64_t> cell = entry_place_cell(result, at->entry))
    text += " (cell " + std::to_string(*cell) + ")";
  text += "\n\n";
  if (at->field > 0) {
    const auto n = static_cast<size_t>(at->field);
    if (n <= ref.fields.size()) text += field_text(ref.fields[n - 1]) + "\n\n";
    text += "Field " + std::to_string(n) + " of " + std::to_string(e.fields.size());
    if (n <= e.numbers.size() && !(n == e.fields.size() && !e.name.empty()))
      text += ", read as " + std::to_string(e.numbers[n - 1]);
    text += ".\n\n";
    const std::string used = tools::builtin_field_values(e.kind, static_cast<int>(n));
    if (!used.empty())
      text += "The built-in scenario gives it (its choice, not a rule of the format): " + used +
              ".\n\n";
  } else {
    text += "Fields: ";
    for (size_t i = 0; i < ref.fields.size(); ++i)
      text += (i ? ", " : "") + std::string(ref.fields[i].name);
    text += "\n\nExample: `" + std::string(ref.example) + "`\n\n";
    text += builtin_usage_markdown(e.kind);
  }
  text += claims(result, at->entry);
  const compiler::Location& where =
      at->field == 0 ? e.keyword_at : e.fields[static_cast<size_t>(at->field) - 1];
  return {{"contents", {{"kind", "markdown"}, {"value", text}}}, {"range", locator.range(where)}};
}

json completion(FileKind file, bool snippets) {
  // The protocol's item kind and text formats.
  constexpr int kKeyword = 14, kPlainText = 1, kSnippet = 2;
  json items = json::array();
  int order = 0;
  for (const compiler::KeywordReference& ref : compiler::keyword_references()) {
    if (ref.file != file) continue;
    const std::string keyword = compiler::keyword_text(ref);
    std::string documentation = std::string(ref.summary) + "\n\n";
    for (const compiler::FieldReference& f : ref.fields)
      documentation += "- " + field_text(f) + "\n";
    documentation += "\nExample: `" + std::string(ref.example) + "`";
    std::string filter = keyword;
    for (std::string_view name : ref.also_known_as) filter += " " + std::string(name);
    json item = {{"label", keyword},
                 {"kind", kKeyword},
                 {"detail", std::string(ref.summary)},
                 {"documentation", {{"kind", "markdown"}, {"value", documentation}}},
                 {"sortText", (order < 10 ? "0" : "") + std::to_string(order)},
                 // Typing another word for it (galleria, signal) finds it too.
                 {"filterText", filter}};
    ++order;
    if (snippets) {
      std::string insert = snippet_text(keyword);
      int n = 1;
      for (const compiler::FieldReference& f : ref.fields) {
        insert += (ref.fields_may_share_a_line && n > 1 ? " " : ", ") + std::string("${") +
                  std::to_string(n) + ":" + snippet_text(f.name) + "}";
        ++n;
      }
      item["insertText"] = insert;
      item["insertTextFormat"] = kSnippet;
    } else {
      item["insertText"] = keyword + ", ";
      item["insertTextFormat"] = kPlainText;
    }
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace tools::lsp
