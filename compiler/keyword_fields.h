// The named fields of every keyword, in the order its entry reads them:
// name, unit, the values it stores and what the compiler does with it. An
// entry names a field by its number here, found by name when it is compiled
// (field_number), so a field renamed or moved here cannot leave the entry
// pointing at another.
#pragma once

#include <span>
#include <string_view>

#include "compiler/field_reference.h"

namespace compiler {

// The number of field `name` (1 for the first field after the keyword); a
// name the list lacks does not compile where a constant is asked for.
consteval int field_number(std::span<const FieldReference> fields, std::string_view name) {
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields[i].name == name) return static_cast<int>(i) + 1;
  throw "no field of that name";
}

inline constexpr std::string_view kStoredForTheSimulator =
    "stored for the simulator, not used by the compiler";

inline constexpr FieldReference kLineLengthFields[] = {
    {"L", "m", "0 to 1000000",
     "the line length: the plan covers L + 7000 m and the cell track round((L + 7000) / 50) + 1 "
     "cells; also stored in service record 84"},
};
inline constexpr FieldReference kProgressiveFields[] = {
    {"start", "m", "a multiple of 50 (status 2)",
     "the progressive's start; the three progressives are sorted by it, largest first, into "
     "service records 81 to 83"},
    {"end", "m", "a multiple of 50 (status 2)",
     "the progressive's end; 100 m are added when the flag is 1"},
    {"flag", "", "any", "1 adds 100 m to the end; stored with the progressive"},
};
inline constexpr FieldReference kBackgroundFields[] = {
    {"n", "", "any",
     "the background number, stored in service record 85; not used by the compiler"},
};
inline constexpr FieldReference kSignalRepetitionFields[] = {
    {"a", "m", "a multiple of 50 (status 3)", "stored in service record 86 as its start"},
    {"b", "m", "a multiple of 50 (status 4)",
     "stored in service record 86 as its end; 0 switches the repetition off"},
};
inline constexpr FieldReference kGradientFields[] = {
    {"p", "m", "within the range rule", "the gradient holds from cell round(p / 50) on"},
    {"g", "per mille", "-100 to 155",
     "stored as g + 100 in every cell up to the next gradient entry; "
     "positive climbs"},
};
inline constexpr FieldReference kCurveFields[] = {
    {"s", "m", "within the range rule",
     "the curve starts at metre s of the plan; give curves in "
     "increasing order of s"},
    {"n", "m", "s + n at most L + 7000",
     "the curve's length; the plan turns by the class's "
     "curvature for n metres"},
};
inline constexpr FieldReference kTunnelFields[] = {
    {"start", "m", "within the range rule", "the first cell of the tunnel is round(start / 50)"},
    {"end", "m", "the last cell within the track", "the last cell is round(end / 50 - 1)"},
    {"type", "", "0 to 255 (low 8 bits kept)",
     "the tunnel type of its cells; above 10: type - 10 with a filler cell every fourth cell; a "
     "tunnel starting 150 m or less after the previous one gets type 3"},
};
inline constexpr FieldReference kSpeedBoardFields[] = {
    {"p", "m", "within the range rule", "the board stands in cell round(p / 50 + 1)"},
    {"vA", "km/h", "", "first group, speed A: value_a = round(vA * 20 + vA' / 5)"},
    {"vB", "km/h", "", "first group, speed B: value_b = round(vB * 20 + vB' / 5)"},
    {"vC", "km/h", "", "first group, speed C: value_c = round(vC * 20 + vC' / 5)"},
    {"stripes", "", "", "first group's stripes: value_d = stripes * 10 + stripes' (low 16 bits)"},
    {"vA'", "km/h", "", "second group, speed A"},
    {"vB'", "km/h", "", "second group, speed B"},
    {"vC'", "km/h", "", "second group, speed C"},
    {"stripes'", "", "", "second group's stripes"},
};
inline constexpr FieldReference kNameBoardFields[] = {
    {"p", "m", "within the range rule", "the board stands in cell round(p / 50 + 1)"},
    {"text", "", "at most 65535 characters",
     "the board's text, stored whole in a service record from 80 downward"},
};
inline constexpr FieldReference kBrakedMassFields[] = {
    {"n", "%", "any",
     "the braked-mass percentage, stored in service record 84; not used by "
     "the compiler"},
};
inline constexpr FieldReference kCoachesFields[] = {
    {"n", "", "any",
     "the number of coaches, stored in service record 84; not used by the "
     "compiler"},
};
inline constexpr FieldReference kSpeedFields[] = {
    {"p", "m", "within the range rule", "the speed holds from cell round(p / 50) on"},
    {"v", "km/h", "0 to 1277", "stored as round(v / 5) in every cell up to the next speed entry"},
};
inline constexpr FieldReference kAdhesionFields[] = {
    {"p", "m", "within the range rule", "the adhesion holds from cell round(p / 50) on"},
    {"a", "", "0 to 255 (low 8 bits kept)", "stored in every cell up to the next adhesion entry"},
};
inline constexpr FieldReference kClockFields[] = {
    {"h", "h", "-32768 to 32767", "the starting clock's hours, stored in service record 86"},
    {"m", "min", "-32768 to 32767", "its minutes"},
    {"s", "s", "-32768 to 32767", "its seconds"},
};
inline constexpr FieldReference kSandFields[] = {
    {"n", "", "-32768 to 32767",
     "the sand setting, stored in service record 86; not used by "
     "the compiler"},
};
inline constexpr FieldReference kSignalFields[] = {
    {"p", "m", "within the range rule, 325 or more",
     "the signal stands in cell round(p / 50 + 1); its repeat codes go 2, 4, 6 and 8 cells "
     "before it"},
    {"sx", "", "",
     "packed into value_d = rapp * 10 + sx * 3 + dx and the repeat codes; with "
     "sx = 2 the cell keeps tempo"},
    {"s1", "", "", "value_a = s1 * 10 + d1"},
    {"s2", "", "", "value_b = s2 * 10 + d2"},
    {"s3", "", "", "value_c = s3 * 10 + d3"},
    {"rapp", "", "", "value_d = rapp * 10 + sx * 3 + dx"},
    {"dx", "", "", "packed with sx"},
    {"d1", "", "", "value_a = s1 * 10 + d1"},
    {"d2", "", "", "value_b = s2 * 10 + d2"},
    {"d3", "", "", "value_c = s3 * 10 + d3"},
    {"tempo", "", "0, or 101 to 255",
     "the signal's time value, kept when sx = 2; 1 to 100 is "
     "raised to 101"},
};
inline constexpr FieldReference kSlowdownFields[] = {
    {"start", "m", "within the range rule",
     "the start cell round(start / 50 + 1); beyond 1500 m also a warning board 1200 m before"},
    {"v", "km/h", "",
     "the speed, in the start, end and warning board cells; below 110 the "
     "compiler adds a marker every 400 m inside"},
    {"length", "m", "", "the end cell is round((start + length) / 50 + 1)"},
    {"f_tt", "", "", "stored in the start and end cells (value_c); not used by the compiler"},
    {"f_ta", "", "", "nonzero: four pre-warning cells before the warning board"},
    {"d_v", "", "",
     "stored, when nonzero, in the start, end, board and pre-warning cells "
     "(value_b); not used by the compiler"},
};
inline constexpr FieldReference kAbbattimentoFields[] = {
    {"p", "m", "within the range rule", "the marker stands in cell round(p / 50)"},
    {"w", "", "",
     "above 0: a marker with value w (low 16 bits); otherwise a marker without "
     "value"},
};
inline constexpr FieldReference kStationFields[] = {
    {"position", "m", "a multiple of 50 (status 8)", "the station's position"},
    {"kind", "", "0 to 255",
     "5, 6: the platform ends 150 m after the position; 7, 8: it runs from position - length "
     "to position + length; 25 and above: no marker cell and no approach codes; others: "
     "centred on the position"},
    {"length", "m", "a multiple of 100 (status 9)", "the platform's length"},
    {"f4", "", "0 to 255", "the stop flag (1 where the train stops); stored as flag_a"},
    {"f5", "", "0 to 255",
     "kept (byte_d) only for lengths of 600 m and more, and not in the "
     "first station; otherwise stored for the simulator"},
    {"f6", "", "0 to 255",
     "nonzero lengthens an ordinary station by 50 m at its end; cleared "
     "for kinds 5 to 8 and the first station (byte_c)"},
    {"f7", "", "-32768 to 32767", kStoredForTheSimulator},
    {"f8", "", "-32768 to 32767", kStoredForTheSimulator},
    {"f9", "", "0 to 255", kStoredForTheSimulator},
    {"f10", "", "-32768 to 32767", kStoredForTheSimulator},
    {"f11", "", "-32768 to 32767", kStoredForTheSimulator},
    {"f12", "", "-32768 to 32767", kStoredForTheSimulator},
    {"f13", "", "0 to 255", kStoredForTheSimulator},
    {"hh", "h", "",
     "the scheduled time: (hh * 60 + mm) * 60 + ss seconds; 0 0 0 for a station "
     "passed without stopping"},
    {"mm", "min", "", "the scheduled time's minutes"},
    {"ss", "s", "", "the scheduled time's seconds"},
    {"NAME", "", "at most 65535 characters", "the station's name, in its service record"},
};

}  // namespace compiler
