#include "tools/reference/builtin_usage.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <span>
#include <string_view>

#include "compiler/compile.h"
#include "compiler/field_reference.h"
#include "model/file_names.h"
#include "writers/writers.h"

namespace tools {
namespace {

using compiler::EntryKind;
using compiler::FieldReference;
using compiler::SourceEntry;

bool is_text(const FieldReference& f) { return f.name == "NAME" || f.name == "text"; }

// A field that says where on the line something stands, not how long it is:
// such values differ from entry to entry and tell nothing of the entry's
// kind, so the template names them instead.
bool is_place(const SourceEntry& e, const FieldReference& f) {
  return e.position && f.unit == "m" && f.name != "n" && f.name != "length";
}

std::string trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

std::string template_line(const SourceEntry& e) {
  const compiler::KeywordReference& ref = compiler::reference_for(e.kind);
  std::string line = trimmed(e.keyword);
  for (size_t i = 0; i < e.fields.size() && i < ref.fields.size(); ++i) {
    const FieldReference& f = ref.fields[i];
    line += ", ";
    if (is_text(f) || is_place(e, f))
      line += f.name;
    else
      line += std::to_string(i < e.numbers.size() ? e.numbers[i] : 0);
  }
  return line;
}

struct Station {
  int32_t metres;
  std::string name;
};

std::vector<Station> stations_of(const compiler::SourceRecord& record) {
  std::vector<Station> stations;
  for (const SourceEntry& e : record.entries())
    if (e.kind == EntryKind::kStation && e.position) stations.push_back({*e.position, e.name});
  return stations;
}

// "1500 m, 1500 m after FIUMICINO AEROPORTO": the place and the station
// nearest it; a span ("7200 to 7250 m") where the entry has a second place,
// and a board's text after it.
std::string place_text(const SourceEntry& e, const std::vector<Station>& stations) {
  const int32_t p = *e.position;
  std::string text = std::to_string(p);
  const compiler::KeywordReference& ref = compiler::reference_for(e.kind);
  bool first = true;
  for (size_t i = 0; i < ref.fields.size() && i < e.numbers.size(); ++i) {
    if (!is_place(e, ref.fields[i])) continue;
    if (!first) text += " to " + std::to_string(e.numbers[i]);
    first = false;
  }
  text += " m";
  if (e.kind == EntryKind::kStation) return text + ", " + e.name;
  const Station* nearest = nullptr;
  for (const Station& s : stations)
    if (!nearest || std::abs(s.metres - p) < std::abs(nearest->metres - p)) nearest = &s;
  if (nearest) {
    const int32_t d = p - nearest->metres;
    if (d == 0)
      text += ", at " + nearest->name;
    else
      text += ", " + std::to_string(std::abs(d)) + " m " + (d < 0 ? "before " : "after ") +
              nearest->name;
  }
  if (!e.name.empty()) text += ": " + e.name;
  return text;
}

compiler::CompileResult compile_builtin() {
  const auto joined = [](std::span<const std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) text += std::string(line) + "\r\n";
    return text;
  };
  compiler::Sources sources;
  sources.scenario_name = writers::kScenarioName;
  sources.train_number = writers::kTrainNumber;
  sources.line_source_path =
      model::file_name(model::FileKind::kLineSource, sources.scenario_name, sources.train_number);
  sources.train_source_path =
      model::file_name(model::FileKind::kTrainSource, sources.scenario_name, sources.train_number);
  sources.line =
      compiler::text_source(joined(writers::line_source_lines()), model::FileKind::kLineSource);
  sources.train =
      compiler::text_source(joined(writers::train_source_lines()), model::FileKind::kTrainSource);
  return compiler::compile_sources(std::move(sources));
}

// The built-in record never changes, so it is compiled once.
const compiler::SourceRecord& builtin_record() {
  static const compiler::CompileResult kBuiltin = compile_builtin();
  return kBuiltin.record;
}

}  // namespace

std::vector<UsageGroup> usage_groups(const compiler::SourceRecord& record, EntryKind kind) {
  const std::vector<Station> stations = stations_of(record);
  std::vector<UsageGroup> groups;
  for (const SourceEntry& e : record.entries()) {
    if (e.kind != kind) continue;
    const std::string line = template_line(e);
    auto group = std::find_if(groups.begin(), groups.end(),
                              [&](const UsageGroup& g) { return g.line == line; });
    if (group == groups.end()) group = groups.insert(groups.end(), UsageGroup{line, {}, 0});
    ++group->entries;
    if (e.position) group->places.push_back(place_text(e, stations));
  }
  return groups;
}

const std::vector<UsageGroup>& builtin_usage(EntryKind kind) {
  static const std::map<EntryKind, std::vector<UsageGroup>> kByKind = [] {
    std::map<EntryKind, std::vector<UsageGroup>> by_kind;
    for (const compiler::KeywordReference& r : compiler::keyword_references())
      by_kind[r.kind] = usage_groups(builtin_record(), r.kind);
    return by_kind;
  }();
  return kByKind.at(kind);
}

std::string builtin_field_values(EntryKind kind, int field) {
  const compiler::KeywordReference& ref = compiler::reference_for(kind);
  if (field < 1 || static_cast<size_t>(field) > ref.fields.size()) return {};
  const FieldReference& f = ref.fields[static_cast<size_t>(field) - 1];
  std::vector<std::pair<int64_t, int>> counts;  // value, entries; in order of first use
  for (const SourceEntry& e : builtin_record().entries()) {
    if (e.kind != kind || is_text(f) || is_place(e, f)) continue;
    if (static_cast<size_t>(field) > e.numbers.size()) continue;
    const int64_t v = e.numbers[static_cast<size_t>(field) - 1];
    auto c =
        std::find_if(counts.begin(), counts.end(), [&](const auto& p) { return p.first == v; });
    if (c == counts.end())
      counts.emplace_back(v, 1);
    else
      ++c->second;
  }
  std::stable_sort(counts.begin(), counts.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  std::string text;
  for (const auto& [value, n] : counts)
    text += (text.empty() ? "" : ", ") + std::to_string(value) + " (" + std::to_string(n) +
            (n == 1 ? " entry)" : " entries)");
  return text;
}

std::string builtin_usage_text(EntryKind kind, const std::string& indent) {
  const std::vector<UsageGroup>& groups = builtin_usage(kind);
  const std::string keyword = compiler::keyword_text(compiler::reference_for(kind));
  if (groups.empty()) return indent + "the built-in scenario has no " + keyword + " entry\n";
  std::string out =
      indent + "what the built-in scenario uses (its own choices, not rules of the format):\n";
  for (const UsageGroup& g : groups) {
    out += indent + "  " + g.line;
    if (g.entries > 1) out += "  (" + std::to_string(g.entries) + " entries)";
    out += "\n";
    for (const std::string& place : g.places) out += indent + "    at " + place + "\n";
  }
  return out;
}

}  // namespace tools
