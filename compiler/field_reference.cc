#include "compiler/field_reference.h"

#include <array>
#include <string>

namespace compiler {
namespace {

using model::FileKind;

constexpr std::string_view kStored = "stored for the simulator, not used by the compiler";

constexpr FieldReference kLineLength[] = {
    {"L", "m", "0 to 1000000",
     "the line length: the plan covers L + 7000 m and the cell track round((L + 7000) / 50) + 1 "
     "cells; also stored in service record 84"},
};
constexpr FieldReference kProgressive[] = {
    {"start", "m", "a multiple of 50 (status 2)",
     "the progressive's start; the three progressives are sorted by it, largest first, into "
     "service records 81 to 83"},
    {"end", "m", "a multiple of 50 (status 2)", "the progressive's end; 100 m are added when the flag is 1"},
    {"flag", "", "any", "1 adds 100 m to the end; stored with the progressive"},
};
constexpr FieldReference kBackground[] = {
    {"n", "", "any", "the background number, stored in service record 85; not used by the compiler"},
};
constexpr FieldReference kSignalRepetition[] = {
    {"a", "m", "a multiple of 50 (status 3)", "stored in service record 86 as its start"},
    {"b", "m", "a multiple of 50 (status 4)",
     "stored in service record 86 as its end; 0 switches the repetition off"},
};
constexpr FieldReference kGradient[] = {
    {"p", "m", "within the range rule", "the gradient holds from cell round(p / 50) on"},
    {"g", "per mille", "-100 to 155", "stored as g + 100 in every cell up to the next gradient entry; "
                                      "positive climbs"},
};
constexpr FieldReference kCurve[] = {
    {"s", "m", "within the range rule", "the curve starts at metre s of the plan; give curves in "
                                        "increasing order of s"},
    {"n", "m", "s + n at most L + 7000", "the curve's length; the plan turns by the class's "
                                         "curvature for n metres"},
};
constexpr FieldReference kTunnel[] = {
    {"start", "m", "within the range rule", "the first cell of the tunnel is round(start / 50)"},
    {"end", "m", "the last cell within the track", "the last cell is round(end / 50 - 1)"},
    {"type", "", "0 to 255 (low 8 bits kept)",
     "the tunnel type of its cells; above 10: type - 10 with a filler cell every fourth cell; a "
     "tunnel starting 150 m or less after the previous one gets type 3"},
};
constexpr FieldReference kSpeedBoard[] = {
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
constexpr FieldReference kNameBoard[] = {
    {"p", "m", "within the range rule", "the board stands in cell round(p / 50 + 1)"},
    {"text", "", "at most 65535 characters",
     "the board's text, stored whole in a service record from 80 downward"},
};
constexpr FieldReference kBrakedMass[] = {
    {"n", "%", "any", "the braked-mass percentage, stored in service record 84; not used by "
                      "the compiler"},
};
constexpr FieldReference kCoaches[] = {
    {"n", "", "any", "the number of coaches, stored in service record 84; not used by the "
                     "compiler"},
};
constexpr FieldReference kSpeed[] = {
    {"p", "m", "within the range rule", "the speed holds from cell round(p / 50) on"},
    {"v", "km/h", "0 to 1277", "stored as round(v / 5) in every cell up to the next speed entry"},
};
constexpr FieldReference kAdhesion[] = {
    {"p", "m", "within the range rule", "the adhesion holds from cell round(p / 50) on"},
    {"a", "", "0 to 255 (low 8 bits kept)", "stored in every cell up to the next adhesion entry"},
};
constexpr FieldReference kClock[] = {
    {"h", "h", "-32768 to 32767", "the starting clock's hours, stored in service record 86"},
    {"m", "min", "-32768 to 32767", "its minutes"},
    {"s", "s", "-32768 to 32767", "its seconds"},
};
constexpr FieldReference kSand[] = {
    {"n", "", "-32768 to 32767", "the sand setting, stored in service record 86; not used by "
                                 "the compiler"},
};
constexpr FieldReference kSignal[] = {
    {"p", "m", "within the range rule, 325 or more",
     "the signal stands in cell round(p / 50 + 1); its repeat codes go 2, 4, 6 and 8 cells "
     "before it"},
    {"sx", "", "", "packed into value_d = rapp * 10 + sx * 3 + dx and the repeat codes; with "
                   "sx = 2 the cell keeps tempo"},
    {"s1", "", "", "value_a = s1 * 10 + d1"},
    {"s2", "", "", "value_b = s2 * 10 + d2"},
    {"s3", "", "", "value_c = s3 * 10 + d3"},
    {"rapp", "", "", "value_d = rapp * 10 + sx * 3 + dx"},
    {"dx", "", "", "packed with sx"},
    {"d1", "", "", "value_a = s1 * 10 + d1"},
    {"d2", "", "", "value_b = s2 * 10 + d2"},
    {"d3", "", "", "value_c = s3 * 10 + d3"},
    {"tempo", "", "0, or 101 to 255", "the signal's time value, kept when sx = 2; 1 to 100 is "
                                      "raised to 101"},
};
constexpr FieldReference kSlowdown[] = {
    {"start", "m", "within the range rule",
     "the start cell round(start / 50 + 1); beyond 1500 m also a warning board 1200 m before"},
    {"v", "km/h", "", "the speed, in the start, end and warning board cells; below 110 the "
                      "compiler adds a marker every 400 m inside"},
    {"length", "m", "", "the end cell is round((start + length) / 50 + 1)"},
    {"f_tt", "", "", "stored in the start and end cells (value_c); not used by the compiler"},
    {"f_ta", "", "", "nonzero: four pre-warning cells before the warning board"},
    {"d_v", "", "", "stored, when nonzero, in the start, end, board and pre-warning cells "
                    "(value_b); not used by the compiler"},
};
constexpr FieldReference kAbbattimento[] = {
    {"p", "m", "within the range rule", "the marker stands in cell round(p / 50)"},
    {"w", "", "", "above 0: a marker with value w (low 16 bits); otherwise a marker without "
                  "value"},
};
constexpr FieldReference kStation[] = {
    {"position", "m", "a multiple of 50 (status 8)", "the station's position"},
    {"kind", "", "0 to 255",
     "5, 6: the platform ends 150 m after the position; 7, 8: it runs from position - length "
     "to position + length; 25 and above: no marker cell and no approach codes; others: "
     "centred on the position"},
    {"length", "m", "a multiple of 100 (status 9)", "the platform's length"},
    {"f4", "", "0 to 255", "the stop flag (1 where the train stops); stored as flag_a"},
    {"f5", "", "0 to 255", "kept (byte_d) only for lengths of 600 m and more, and not in the "
                           "first station; otherwise stored for the simulator"},
    {"f6", "", "0 to 255", "nonzero lengthens an ordinary station by 50 m at its end; cleared "
                           "for kinds 5 to 8 and the first station (byte_c)"},
    {"f7", "", "-32768 to 32767", kStored},
    {"f8", "", "-32768 to 32767", kStored},
    {"f9", "", "0 to 255", kStored},
    {"f10", "", "-32768 to 32767", kStored},
    {"f11", "", "-32768 to 32767", kStored},
    {"f12", "", "-32768 to 32767", kStored},
    {"f13", "", "0 to 255", kStored},
    {"hh", "h", "", "the scheduled time: (hh * 60 + mm) * 60 + ss seconds; 0 0 0 for a station "
                    "passed without stopping"},
    {"mm", "min", "", "the scheduled time's minutes"},
    {"ss", "s", "", "the scheduled time's seconds"},
    {"NAME", "", "at most 65535 characters", "the station's name, in its service record"},
};

constexpr KeywordReference kReferences[] = {
    {EntryKind::kLineLength, FileKind::kLineSource, "lunghezza", "percorso", false,
     "the line length; required, in the general part", kLineLength, false,
     "lunghezza percorso,    35000"},
    {EntryKind::kProgressive, FileKind::kLineSource, "progressiva", "", true,
     "a kilometric progressive (\"progressiva uno\", \"due\" or \"tre\"), in the general part",
     kProgressive, false, "progressiva uno,    0,   35000,   1"},
    {EntryKind::kBackground, FileKind::kLineSource, "sfondo", "", true,
     "a background (\"sfondo uno\", \"due\" or \"tre\"), in the general part", kBackground, false,
     "sfondo uno,    1"},
    {EntryKind::kSignalRepetition, FileKind::kLineSource, "ripetizione", "segnali", true,
     "signal repetition; the keyword holds its code, 4 or 9, in the general part",
     kSignalRepetition, false, "ripetizione segnali 4,    0,   35000"},
    {EntryKind::kGradient, FileKind::kLineSource, "pendenza", "", false,
     "a gradient from a position to the next gradient entry", kGradient, false,
     "pendenza,   1350,   -3"},
    {EntryKind::kCurve, FileKind::kLineSource, "curva", "", false,
     "a curve: the keyword holds the class digit 1 to 6 (radius 10000, 5000, 2500, 1000, 500, "
     "333 m) and \"s\" for a left curve",
     kCurve, false, "curvad4,   2000,   300"},
    {EntryKind::kTunnel, FileKind::kLineSource, "montagna", "", false, "a tunnel", kTunnel, false,
     "montagna,   5000,   5600,   2"},
    {EntryKind::kSpeedBoard, FileKind::kLineSource, "indicatori_v", "", false,
     "a maximum-speed board with two groups of three speeds", kSpeedBoard, false,
     "indicatori_vmax,  7700,  80,  80,  90,  2,  80,  80,  90,  2"},
    {EntryKind::kNameBoard, FileKind::kLineSource, "cartello", "indicat", false,
     "a name board with its text", kNameBoard, false,
     "cartello_indicatore,  7700,   (SOTTOVIA )(MURATELLA)"},
    {EntryKind::kBrakedMass, FileKind::kTrainSource, "frenata", "massa", false,
     "the braked-mass percentage", kBrakedMass, false, "percentuale massa frenata,   150"},
    {EntryKind::kCoaches, FileKind::kTrainSource, "vetture", "", false, "the number of coaches",
     kCoaches, false, "numero vetture,   6"},
    {EntryKind::kSpeed, FileKind::kTrainSource, "velocit", "", false,
     "the line speed limit from a position on", kSpeed, false, "velocita,   10400,    80"},
    {EntryKind::kAdhesion, FileKind::kTrainSource, "aderenza", "", false,
     "the adhesion from a position on", kAdhesion, false, "aderenza,   0,   100"},
    {EntryKind::kClock, FileKind::kTrainSource, "orologio", "", false, "the starting clock",
     kClock, true, "orologio,    10  5  30"},
    {EntryKind::kSand, FileKind::kTrainSource, "sabbia", "", false, "the sand setting", kSand,
     false, "sabbia,   1"},
    {EntryKind::kSignal, FileKind::kTrainSource, "segnale", "", false, "a signal", kSignal, false,
     "segnale,    1500,   2, 4, 0,  0, 0,    2,  2,0,0, 0"},
    {EntryKind::kSlowdown, FileKind::kTrainSource, "rallentamento", "", false,
     "a slowdown with its boards", kSlowdown, false,
     "rallentamento,   5000,   80,   500,   0,   0,   0"},
    {EntryKind::kAbbattimento, FileKind::kTrainSource, "abbattimento", "", false,
     "a marker cell (abbattimento)", kAbbattimento, false, "abbattimento,   9000,   0"},
    {EntryKind::kStation, FileKind::kTrainSource, "stazione", "", false,
     "a station: sixteen numbers and its name", kStation, false,
     "stazione,   26650,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, ROMA OSTIENSE"},
};

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

std::span<const KeywordReference> keyword_references() { return kReferences; }

const KeywordReference& reference_for(EntryKind kind) {
  for (const KeywordReference& r : kReferences)
    if (r.kind == kind) return r;
  return kReferences[0];  // not reached: every kind has an entry
}

std::string keyword_text(const KeywordReference& r) {
  std::string_view example = r.example;
  return std::string(example.substr(0, example.find(',')));
}

const KeywordReference* reference_named(std::string_view name) {
  const std::string wanted = lower(name);
  for (const KeywordReference& r : kReferences)
    if (lower(keyword_text(r)) == wanted || lower(r.word) == wanted) return &r;
  return nullptr;
}

}  // namespace compiler
