#include "tools/plot/hover.h"

#include <cmath>

#include "compiler/field_reference.h"
#include "tools/decode/decode.h"
#include "tools/decode/position_text.h"
#include "tools/reference/entry_cell.h"

namespace tools {
namespace {

using compiler::SourceRecord;

std::string cell_values(const model::Cell& c) {
  return "value_a " + std::to_string(c.value_a) + ", value_b " + std::to_string(c.value_b) +
         ", value_c " + std::to_string(c.value_c) + ", value_d " + std::to_string(c.value_d) +
         ", signal_time " + std::to_string(c.signal_time);
}

std::string record_values(const model::ServiceRecord& r) {
  return "start_m " + std::to_string(r.start_m) + ", end_m " + std::to_string(r.end_m) +
         ", position_m " + std::to_string(r.position_m) + ", flag_a " + std::to_string(r.flag_a) +
         ", time " + clock_text(r.time_s);
}

// A text field of an entry: the station's name, the board's text.
bool is_text_field(const compiler::FieldReference& f) {
  return f.name == "NAME" || f.name == "text";
}

}  // namespace

std::string Hover::entry_text(int index) const {
  const compiler::SourceEntry& e = compiled_->record.entry(index);
  const compiler::KeywordReference& ref = compiler::reference_for(e.kind);
  std::string values;
  for (size_t i = 0; i < ref.fields.size() && i < e.fields.size(); ++i) {
    const compiler::FieldReference& f = ref.fields[i];
    if (!values.empty()) values += ", ";
    values += std::string(f.name) + " ";
    if (is_text_field(f)) {
      values += e.name;
    } else {
      values += std::to_string(i < e.numbers.size() ? e.numbers[i] : 0);
      if (!f.unit.empty()) values += " " + std::string(f.unit);
    }
  }
  const compiler::Location& at = e.keyword_at;
  return e.keyword + ": " + values + "\n" +
         model::file_name(at.file, model_.scenario_name, model_.train_number) + ":" +
         std::to_string(at.line);
}

std::string Hover::cell(size_t index, const std::string& what) const {
  const int owner =
      compiled_ ? compiled_->record.cell_owner(static_cast<int64_t>(index)) : SourceRecord::kNone;
  if (owner != SourceRecord::kNone) return what + "\n" + entry_text(owner);
  if (index >= model_.cell_track.size()) return what;
  return what + "\ncell " + std::to_string(index) + ": " + cell_values(model_.cell_track[index]);
}

std::string station_place(const model::Scenario& m, int record) {
  const int32_t metres = m.service_table[static_cast<size_t>(record)].position_m;
  const std::optional<int64_t> cell = station_cell(m.cell_track, record);
  return cell ? position_text(metres, *cell) : std::to_string(metres) + " m";
}

std::string Hover::place(size_t index) const {
  const auto cell = static_cast<int64_t>(index);
  const int owner = compiled_ ? compiled_->record.cell_owner(cell) : SourceRecord::kNone;
  if (owner != SourceRecord::kNone) {
    const compiler::SourceEntry& e = compiled_->record.entry(owner);
    // Other cells of the entry (a slowdown's end and boards) stand where
    // no metre of its own puts them.
    if (entry_cell(e) == cell) return position_text(*e.position, cell);
  }
  return cell_span_text(cell);
}

bool Hover::cell_is(size_t index, compiler::EntryKind kind) const {
  const int owner =
      compiled_ ? compiled_->record.cell_owner(static_cast<int64_t>(index)) : SourceRecord::kNone;
  return owner != SourceRecord::kNone && compiled_->record.entry(owner).kind == kind;
}

std::string Hover::record(int index, const std::string& what) const {
  const int owner = compiled_ ? compiled_->record.record_owner(index) : SourceRecord::kNone;
  if (owner != SourceRecord::kNone) return what + "\n" + entry_text(owner);
  return what + "\nservice record " + std::to_string(index) + ": " +
         record_values(model_.service_table[static_cast<size_t>(index)]);
}

int Hover::nearest_entry(compiler::EntryKind kind, double metre, double within) const {
  if (!compiled_) return SourceRecord::kNone;
  int best = SourceRecord::kNone;
  double best_distance = within;
  const auto& entries = compiled_->record.entries();
  for (size_t i = 0; i < entries.size(); ++i) {
    const compiler::SourceEntry& e = entries[i];
    if (e.kind != kind || !e.position) continue;
    const double distance = std::fabs(*e.position - metre);
    // The later of two equally near entries is the one whose value stands.
    if (distance <= best_distance) best = static_cast<int>(i), best_distance = distance;
  }
  return best;
}

std::string Hover::stretch(compiler::EntryKind kind, double metre, double within,
                           const std::string& what) const {
  const int entry = nearest_entry(kind, metre, within);
  return entry == SourceRecord::kNone ? what : what + "\n" + entry_text(entry);
}

}  // namespace tools
