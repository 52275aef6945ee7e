// One colour per kind of object, shared by the plan, the tracks and the
// legend, so that the legend cannot say otherwise than the picture.
#pragma once

#include "model/scenario.h"

namespace tools::style {

inline constexpr char kLine[] = "#333";
inline constexpr char kRunOn[] = "#bbb";
inline constexpr char kLineEnd[] = "#c00";
inline constexpr char kTunnel[] = "#8a6d3b";
inline constexpr char kNameBoard[] = "#090";
inline constexpr char kSpeedBoard[] = "#e80";
inline constexpr char kSignal[] = "#d22";
inline constexpr char kStation[] = "#15c";
inline constexpr char kCurveLeft[] = "#36c";
inline constexpr char kCurveRight[] = "#e63";
inline constexpr char kGradient[] = "#070";
inline constexpr char kSpeed[] = "#d60";
inline constexpr char kPermittedSpeed[] = "#c0c";
inline constexpr char kSlowdown[] = "#c0c";
inline constexpr char kWarningBoard[] = "#70f";
inline constexpr char kPreWarning[] = "#f8c";
inline constexpr char kAddedMarker[] = "#0aa";
inline constexpr char kAbbattimento[] = "#630";
inline constexpr char kStationMarker[] = "#8ad";

// A station where the train stops: its stop flag is 1. A station passed
// without stopping has flag 0 (and the scheduled time 0 0 0).
inline bool stops(const model::ServiceRecord& r) { return r.flag_a == 1; }

}  // namespace tools::style
