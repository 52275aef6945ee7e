#include "model/kind_names.h"

#include "model/scenario.h"

namespace model {

std::string kind_name(uint8_t kind) {
  switch (kind) {
    case kind::kNothing:
      return "nothing";
    case kind::kSignal:
      return "signal";
    case kind::kSlowdownEnd:
      return "slowdown end";
    case kind::kSlowdownStart:
      return "slowdown start";
    case kind::kWarningBoard:
      return "slowdown warning board";
    case kind::kPreWarning:
      return "slowdown pre-warning";
    case kind::kSpeedBoard:
      return "maximum-speed board";
    case kind::kStationMarker:
      return "station marker";
    case kind::kTunnelFiller:
      return "tunnel filler";
    case kind::kMarker:
      return "marker";
    case kind::kAbbattimento:
      return "abbattimento";
    case kind::kNameBoard:
      return "name board";
  }
  return "unknown kind " + std::to_string(kind);
}

}  // namespace model
