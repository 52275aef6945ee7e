#include "compiler/source_record.h"

namespace compiler {
namespace {

const char* noun(EntryKind kind) {
  switch (kind) {
    case EntryKind::kLineLength:
      return "line length";
    case EntryKind::kProgressive:
      return "kilometric progressive";
    case EntryKind::kBackground:
      return "background";
    case EntryKind::kSignalRepetition:
      return "signal repetition";
    case EntryKind::kGradient:
      return "gradient";
    case EntryKind::kCurve:
      return "curve";
    case EntryKind::kTunnel:
      return "tunnel";
    case EntryKind::kSpeedBoard:
      return "maximum-speed board";
    case EntryKind::kNameBoard:
      return "name board";
    case EntryKind::kBrakedMass:
      return "braked mass";
    case EntryKind::kCoaches:
      return "number of coaches";
    case EntryKind::kSpeed:
      return "speed";
    case EntryKind::kAdhesion:
      return "adhesion";
    case EntryKind::kClock:
      return "clock";
    case EntryKind::kSand:
      return "sand";
    case EntryKind::kSignal:
      return "signal";
    case EntryKind::kSlowdown:
      return "slowdown";
    case EntryKind::kAbbattimento:
      return "abbattimento";
    case EntryKind::kStation:
      return "station";
  }
  return "entry";
}

}  // namespace

std::string describe(const SourceEntry& entry) {
  std::string text = std::string("the ") + noun(entry.kind);
  if (entry.kind == EntryKind::kStation && !entry.name.empty()) text += " " + entry.name;
  if (entry.position) text += " at " + std::to_string(*entry.position) + " m";
  return text;
}

bool sought_past_its_line(const SourceEntry& entry, const Location& at) {
  if (at.line <= entry.keyword_at.line) return false;
  for (const Location& field : entry.fields)
    if (field.line == at.line) return false;
  return true;
}

Location SourceRecord::field(int entry, int n) const {
  if (entry == kNone) return {};
  const SourceEntry& e = entries_[static_cast<size_t>(entry)];
  if (n >= 1 && static_cast<size_t>(n) <= e.fields.size())
    return e.fields[static_cast<size_t>(n) - 1];
  return e.keyword_at;
}

}  // namespace compiler
