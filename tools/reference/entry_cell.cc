#include "tools/reference/entry_cell.h"

#include "model/rounding.h"

namespace tools {

std::optional<int64_t> entry_cell(const compiler::SourceEntry& e) {
  if (!e.position) return std::nullopt;
  switch (e.kind) {
    case compiler::EntryKind::kSignal:
    case compiler::EntryKind::kSlowdown:
    case compiler::EntryKind::kSpeedBoard:
    case compiler::EntryKind::kNameBoard:
      return model::point_cell(*e.position);
    case compiler::EntryKind::kGradient:
    case compiler::EntryKind::kSpeed:
    case compiler::EntryKind::kAdhesion:
    case compiler::EntryKind::kTunnel:
    case compiler::EntryKind::kAbbattimento:
      return model::stretch_cell(*e.position);
    default:
      return std::nullopt;
  }
}

}  // namespace tools
