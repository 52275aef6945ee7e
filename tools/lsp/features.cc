#include "tools/lsp/features.h"

#include <algorithm>

#include "model/status_codes.h"

namespace tools::lsp {
namespace {

using compiler::Diagnostic;
using compiler::EntryKind;
using compiler::Location;
using compiler::SourceEntry;
using model::FileKind;
using nlohmann::json;

FileKind other(FileKind file) {
  return file == FileKind::kLineSource ? FileKind::kTrainSource : FileKind::kLineSource;
}

json position_json(Position p) { return {{"line", p.line}, {"character", p.character}}; }

json start_of_file() { return {{"start", position_json({})}, {"end", position_json({})}}; }

bool located(const Location& at) { return at.in_source && at.line > 0; }

// The protocol's severities: 1 error, 2 warning.
int severity(const Diagnostic& d) { return d.severity == Diagnostic::Severity::kError ? 1 : 2; }

constexpr char kSource[] = "scenarioc";

std::string file_name_of(const std::string& path) { return split_path(path).name; }

json note_json(const Locator& locator, const compiler::Note& note) {
  return {{"location", locator.location(note.at)}, {"message", note.message}};
}

// A fault shown where it stands.
json here(const Locator& locator, const Diagnostic& d) {
  json j = {{"range", locator.range(d.at)},
            {"severity", severity(d)},
            {"code", d.code},
            {"source", kSource},
            {"message", d.message}};
  json related = json::array();
  for (const compiler::Note& note : d.notes)
    if (located(note.at)) related.push_back(note_json(locator, note));
  if (!related.empty()) j["relatedInformation"] = std::move(related);
  return j;
}

// A fault that stands elsewhere, shown at the start of this file.
json elsewhere(const Locator& locator, const Diagnostic& d, const CompiledSource& where) {
  json j = here(locator, d);
  j["range"] = start_of_file();
  std::string place;
  if (d.at.in_source) {
    place = file_name_of(where.path);
    if (d.at.line > 0) place += ":" + std::to_string(d.at.line) + ":" + std::to_string(d.at.column);
    place += ": ";
  }
  j["message"] = place + d.message;
  if (located(d.at) && where.present) {
    json related = j.value("relatedInformation", json::array());
    json place_itself = {{"location", locator.location(d.at)}, {"message", d.message}};
    related.insert(related.begin(), std::move(place_itself));
    j["relatedInformation"] = std::move(related);
  }
  return j;
}

json error_at_start(const std::string& message) {
  return {{"range", start_of_file()}, {"severity", 1}, {"source", kSource}, {"message", message}};
}

// The end of an entry: the end of its last field in the same file.
size_t entry_end(const SourceEntry& e) {
  size_t end = e.keyword_at.offset + e.keyword_at.length;
  for (const Location& f : e.fields)
    if (f.in_source && f.file == e.keyword_at.file) end = std::max(end, f.offset + f.length);
  return end;
}

std::string trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

// The protocol's symbol kinds.
constexpr int kNamespace = 3, kProperty = 7, kField = 8, kEvent = 24;

int symbol_kind(EntryKind kind) {
  switch (kind) {
    case EntryKind::kStation:
      return kNamespace;
    case EntryKind::kSignal:
    case EntryKind::kSlowdown:
    case EntryKind::kAbbattimento:
      return kEvent;
    case EntryKind::kLineLength:
    case EntryKind::kProgressive:
    case EntryKind::kBackground:
    case EntryKind::kSignalRepetition:
    case EntryKind::kBrakedMass:
    case EntryKind::kCoaches:
    case EntryKind::kClock:
    case EntryKind::kSand:
      return kProperty;
    default:
      return kField;
  }
}

struct Section {
  size_t start = 0;
  size_t name_end = 0;
  std::string name;
};

// Lines whose first character after blanks is '[': the headers the author
// grouped the entries under. Only for the outline; the compiler reads
// entries in any order.
std::vector<Section> sections(std::string_view text) {
  std::vector<Section> out;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    size_t first = at;
    while (first < end && (text[first] == ' ' || text[first] == '\t')) ++first;
    if (first < end && text[first] == '[') {
      size_t comma = text.find(',', first);
      const size_t name_end = std::min(end, comma);
      out.push_back(Section{first, name_end, trimmed(text.substr(first, name_end - first))});
    }
    at = end + 1;
  }
  return out;
}

}  // namespace

Locator::Locator(const ScenarioCompile& compile, PositionEncoding encoding,
                 std::function<std::string(FileKind)> uri_of)
    : compile_(compile),
      uri_of_(std::move(uri_of)),
      line_index_(compile.text(FileKind::kLineSource), encoding),
      train_index_(compile.text(FileKind::kTrainSource), encoding) {}

const LineIndex& Locator::index(FileKind file) const {
  return file == FileKind::kTrainSource ? train_index_ : line_index_;
}

json Locator::buffer_range(FileKind file, size_t start, size_t end) const {
  return {{"start", position_json(index(file).position(start))},
          {"end", position_json(index(file).position(std::max(start, end)))}};
}

json Locator::range(const Location& at) const {
  if (!located(at)) return start_of_file();
  const size_t start = at.offset;
  size_t end = at.offset + at.length;
  // A field the reader could not take (a malformed number) comes without a
  // length: one character is underlined, an empty range shows in no editor.
  const std::string_view text = compile_.text(at.file);
  if (end <= start && start < text.size() && text[start] != '\r' && text[start] != '\n') {
    end = start + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  }
  return buffer_range(at.file, start, end);
}

json Locator::location(const Location& at) const {
  return {{"uri", uri_of_(at.file)}, {"range", range(at)}};
}

size_t Locator::offset(FileKind file, Position position) const {
  return index(file).offset(position);
}

json diagnostics(const Locator& locator, FileKind file) {
  const ScenarioCompile& compile = locator.compile();
  const compiler::CompileResult& result = compile.result;
  const CompiledSource& mine = compile.source(file);
  const CompiledSource& theirs = compile.source(other(file));
  json out = json::array();

  for (const Unencodable& u : mine.unencodable)
    out.push_back({{"range", locator.buffer_range(file, u.offset, u.offset + u.length)},
                   {"severity", 1},
                   {"source", kSource},
                   {"message",
                    "a character that Windows-1252 cannot represent: the source "
                    "cannot be saved with it"}});
  if (!theirs.unreadable.empty()) out.push_back(error_at_start(theirs.unreadable));
  if (result.train_source_missing && theirs.unreadable.empty())
    out.push_back(error_at_start("no train source '" + result.train_source_path + "'"));

  for (const Diagnostic& d : result.diagnostics) {
    // A line source that could not be read is said as such, not as missing.
    if (!theirs.unreadable.empty() && d.code == model::status::kNoLineSource) continue;
    if (d.at.in_source && d.at.file == file)
      out.push_back(here(locator, d));
    else if (!d.at.in_source || !theirs.open)
      out.push_back(elsewhere(locator, d, theirs));
  }
  return out;
}

json document_symbols(const Locator& locator, FileKind file) {
  const ScenarioCompile& compile = locator.compile();
  const std::string_view text = compile.text(file);
  const std::vector<Section> heads = sections(text);

  json top = json::array();
  std::vector<json> section_symbols;
  std::vector<size_t> section_ends;
  for (size_t i = 0; i < heads.size(); ++i) {
    const size_t end = i + 1 < heads.size() ? heads[i + 1].start : text.size();
    json s = {{"name", heads[i].name.empty() ? "[ ]" : heads[i].name},
              {"kind", kNamespace},
              {"range", locator.buffer_range(file, heads[i].start, end)},
              {"selectionRange", locator.buffer_range(file, heads[i].start, heads[i].name_end)},
              {"children", json::array()}};
    section_symbols.push_back(std::move(s));
    section_ends.push_back(end);
  }

  for (const SourceEntry& e : compile.result.record.entries()) {
    if (!located(e.keyword_at) || e.keyword_at.file != file) continue;
    std::string name = trimmed(e.keyword);
    std::string detail;
    if (e.kind == EntryKind::kStation && !trimmed(e.name).empty()) {
      detail = name;
      name = trimmed(e.name);
    }
    if (e.position)
      (detail.empty() ? detail : detail += ", ") += std::to_string(*e.position) + " m";
    if (e.position && e.kind != EntryKind::kStation)
      name += " " + std::to_string(*e.position) + " m";
    const size_t start = e.keyword_at.offset;
    json symbol = {{"name", name.empty() ? "?" : name},
                   {"kind", symbol_kind(e.kind)},
                   {"range", locator.buffer_range(file, start, entry_end(e))},
                   {"selectionRange", locator.range(e.keyword_at)}};
    if (!detail.empty()) symbol["detail"] = detail;
    // Into the last section that starts before it.
    size_t i = heads.size();
    while (i > 0 && heads[i - 1].start > start) --i;
    if (i > 0 && start < section_ends[i - 1])
      section_symbols[i - 1]["children"].push_back(std::move(symbol));
    else
      top.push_back(std::move(symbol));
  }
  for (json& s : section_symbols) top.push_back(std::move(s));
  return top;
}

std::optional<FieldAt> field_at(const compiler::SourceRecord& record, FileKind file,
                                size_t offset) {
  auto holds = [&](const Location& at) {
    return located(at) && at.file == file && at.offset <= offset && offset <= at.offset + at.length;
  };
  const auto& entries = record.entries();
  for (size_t i = 0; i < entries.size(); ++i) {
    const SourceEntry& e = entries[i];
    if (holds(e.keyword_at)) return FieldAt{static_cast<int>(i), 0};
    for (size_t n = 0; n < e.fields.size(); ++n)
      if (holds(e.fields[n])) return FieldAt{static_cast<int>(i), static_cast<int>(n) + 1};
  }
  return std::nullopt;
}

json definition(const Locator& locator, FileKind file, Position position) {
  const size_t offset = locator.offset(file, position);
  json out = json::array();
  for (const Diagnostic& d : locator.compile().result.diagnostics) {
    if (!located(d.at) || d.at.file != file || offset < d.at.offset ||
        offset > d.at.offset + d.at.length)
      continue;
    for (const compiler::Note& note : d.notes)
      if (located(note.at)) out.push_back(locator.location(note.at));
  }
  return out;
}

}  // namespace tools::lsp
