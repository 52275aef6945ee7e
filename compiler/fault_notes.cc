#include "compiler/fault_notes.h"

#include "compiler/range_rule.h"
#include "model/kind_names.h"

namespace compiler {
namespace {

// What part of its entry a cell holds, for the kinds that are a part.
std::string part_of(uint8_t kind) {
  switch (kind) {
    case model::kind::kSlowdownEnd:
      return "the end of ";
    case model::kind::kSlowdownStart:
      return "the start of ";
    case model::kind::kWarningBoard:
      return "the warning board of ";
    case model::kind::kPreWarning:
      return "the pre-warning of ";
    case model::kind::kStationMarker:
      return "the marker of ";
    default:
      return "";
  }
}

}  // namespace

Note cell_note(const model::Scenario& model, const SourceRecord& record, int64_t cell,
               const std::string& detail) {
  const std::string subject = "cell " + std::to_string(cell) + detail;
  if (!model.valid_cell(cell)) return {{}, subject + " lies outside the cell track"};
  const model::Cell& c = model.cell(static_cast<int32_t>(cell));
  if (model::is_free(c)) return {{}, subject + " is free"};
  const int owner = record.cell_owner(cell);
  if (owner != SourceRecord::kNone)
    return {record.field(owner, 0),
            subject + " is taken by " + part_of(c.kind) + describe(record.entry(owner))};
  if (c.kind == model::kind::kMarker)
    return {{}, subject + " holds a marker placed for another slowdown"};
  return {{}, subject + " holds a " + model::kind_name(c.kind)};
}

Note range_note(const model::Scenario& model, int margin) {
  return {{},
          "the range rule accepts positions up to " +
              std::to_string(last_position_in_range(model, margin)) +
              " m on this line (last cell " + std::to_string(model.cell_last) + ")"};
}

}  // namespace compiler
