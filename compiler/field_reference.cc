#include "compiler/field_reference.h"

#include <string>

#include "compiler/field_text.h"
#include "compiler/keyword.h"
#include "compiler/keyword_fields.h"
#include "compiler/line_pass.h"
#include "compiler/train_pass.h"

namespace compiler {
namespace {

using model::FileKind;

// The variant words of the keywords that have them, in the order they are
// tested: each picks its own record or value.
constexpr std::string_view kProgressiveWords[] = {"tre", "due", "uno"};
constexpr std::string_view kBackgroundWords[] = {"uno", "due", "tre"};

// Other words for each keyword, by which `explain` finds it; several
// keywords may share one ("board", "cartello").
constexpr std::string_view kLineLengthNames[] = {"length",    "line length", "route length",
                                                 "lunghezza", "percorso",    "lunghezza linea"};
constexpr std::string_view kProgressiveNames[] = {"progressive",
                                                  "kilometric progressive",
                                                  "kilometre",
                                                  "kilometer",
                                                  "km",
                                                  "chilometrica",
                                                  "progressiva chilometrica",
                                                  "progressive chilometriche",
                                                  "chilometri"};
constexpr std::string_view kBackgroundNames[] = {"background", "scenery", "landscape", "paesaggio",
                                                 "sfondi"};
constexpr std::string_view kSignalRepetitionNames[] = {
    "signal repetition", "repetition",          "repeat",    "repeater",
    "ripetizione",       "ripetizione segnali", "ripetitori"};
constexpr std::string_view kGradientNames[] = {"gradient", "grade",   "slope",
                                               "incline",  "climb",   "pendenze",
                                               "salita",   "discesa", "livelletta"};
constexpr std::string_view kCurveNames[] = {"curve",     "curves", "bend",     "radius",
                                            "curvature", "raggio", "curvatura"};
constexpr std::string_view kTunnelNames[] = {"tunnel",    "tunnels",  "galleria", "gallerie",
                                             "underpass", "sottovia", "traforo",  "montagne"};
constexpr std::string_view kSpeedBoardNames[] = {
    "board", "boards",   "speed board", "speed sign", "sign",       "maximum speed",
    "vmax",  "cartello", "cartelli",    "indicatore", "indicatori", "limite"};
constexpr std::string_view kNameBoardNames[] = {
    "board",    "boards",     "name board", "sign",        "bridge", "cartello",
    "cartelli", "indicatore", "indicatori", "indicazioni", "ponte"};
constexpr std::string_view kBrakedMassNames[] = {"braked mass", "brake", "brakes", "braking",
                                                 "massa",       "freno", "freni",  "frenatura"};
constexpr std::string_view kCoachesNames[] = {"coaches", "coach",   "cars",     "carriages",
                                              "wagons",  "vettura", "carrozze", "composizione"};
constexpr std::string_view kSpeedNames[] = {
    "speed",    "speed limit",      "limit",  "velocity",  "line speed", "velocita massima",
    "velocità", "velocità massima", "limite", "vel_limite"};
constexpr std::string_view kAdhesionNames[] = {"adhesion", "grip", "aderenze"};
constexpr std::string_view kClockNames[] = {"clock",         "time", "start time",
                                            "starting time", "ora",  "orario"};
constexpr std::string_view kSandNames[] = {"sand", "sanding", "sabbiera"};
constexpr std::string_view kSignalNames[] = {"signal", "signals", "segnali", "semaforo", "light"};
constexpr std::string_view kSlowdownNames[] = {"slowdown",          "slowdowns",   "slow order",
                                               "speed restriction", "restriction", "rallentamenti"};
constexpr std::string_view kAbbattimentoNames[] = {"marker", "markers", "abbattimenti"};
constexpr std::string_view kStationNames[] = {"station",  "stations", "stop",    "platform",
                                              "stazioni", "fermata",  "banchina"};

// The entry functions, typed for the table: the driver hands each the pass
// of its own source.
template <class Pass, PassOutcome (*entry)(Pass&)>
PassOutcome place(EntryPass& pass, int) {
  return entry(static_cast<Pass&>(pass));
}
template <class Pass, PassOutcome (*entry)(Pass&, int)>
PassOutcome place_variant(EntryPass& pass, int variant) {
  return entry(static_cast<Pass&>(pass), variant);
}

constexpr KeywordReference kReferences[] = {
    {.kind = EntryKind::kLineLength,
     .file = FileKind::kLineSource,
     .section = Section::kGeneral,
     .word = "lunghezza",
     .also = "percorso",
     .exact_case = false,
     .place = place<line::Pass, line::line_length_entry>,
     .summary = "the line length; required, in the general part",
     .fields = kLineLengthFields,
     .example = "lunghezza percorso,    35000",
     .also_known_as = kLineLengthNames},
    {.kind = EntryKind::kProgressive,
     .file = FileKind::kLineSource,
     .section = Section::kGeneral,
     .word = "progressiva",
     .variants = kProgressiveWords,
     .exact_case = true,
     .place = place_variant<line::Pass, line::progressive_entry>,
     .summary =
         "a kilometric progressive (\"progressiva uno\", \"due\" or \"tre\"), in the general part",
     .fields = kProgressiveFields,
     .example = "progressiva uno,    0,   35000,   1",
     .also_known_as = kProgressiveNames},
    {.kind = EntryKind::kBackground,
     .file = FileKind::kLineSource,
     .section = Section::kGeneral,
     .word = "sfondo",
     .variants = kBackgroundWords,
     .exact_case = true,
     .place = place_variant<line::Pass, line::background_entry>,
     .summary = "a background (\"sfondo uno\", \"due\" or \"tre\"), in the general part",
     .fields = kBackgroundFields,
     .example = "sfondo uno,    1",
     .also_known_as = kBackgroundNames},
    {.kind = EntryKind::kSignalRepetition,
     .file = FileKind::kLineSource,
     .section = Section::kGeneral,
     .word = "ripetizione",
     .also = "segnali",
     .exact_case = true,
     .place = place<line::Pass, line::signal_repetition_entry>,
     .summary = "signal repetition; the keyword holds its code, 4 or 9, in the general part",
     .fields = kSignalRepetitionFields,
     .example = "ripetizione segnali 4,    0,   35000",
     .also_known_as = kSignalRepetitionNames},
    {.kind = EntryKind::kGradient,
     .file = FileKind::kLineSource,
     .section = Section::kFeatures,
     .word = "pendenza",
     .exact_case = false,
     .place = place<line::Pass, line::gradient_entry>,
     .summary = "a gradient from a position to the next gradient entry",
     .fields = kGradientFields,
     .example = "pendenza,   1350,   -3",
     .also_known_as = kGradientNames},
    {.kind = EntryKind::kCurve,
     .file = FileKind::kLineSource,
     .section = Section::kFeatures,
     .word = "curva",
     .exact_case = false,
     .needs_plan = true,
     .place = place<line::Pass, line::curve_entry>,
     .summary =
         "a curve: the keyword holds the class digit 1 to 6 (radius 10000, 5000, 2500, 1000, 500, "
         "333 m) and \"s\" for a left curve",
     .fields = kCurveFields,
     .example = "curvad4,   2000,   300",
     .also_known_as = kCurveNames},
    {.kind = EntryKind::kTunnel,
     .file = FileKind::kLineSource,
     .section = Section::kFeatures,
     .word = "montagna",
     .exact_case = false,
     .place = place<line::Pass, line::tunnel_entry>,
     .summary = "a tunnel",
     .fields = kTunnelFields,
     .example = "montagna,   5000,   5600,   2",
     .also_known_as = kTunnelNames},
    {.kind = EntryKind::kSpeedBoard,
     .file = FileKind::kLineSource,
     .section = Section::kFeatures,
     .word = "indicatori_v",
     .exact_case = false,
     .place = place<line::Pass, line::speed_board_entry>,
     .summary = "a maximum-speed board with two groups of three speeds",
     .fields = kSpeedBoardFields,
     .example = "indicatori_vmax,  7700,  80,  80,  90,  2,  80,  80,  90,  2",
     .also_known_as = kSpeedBoardNames},
    {.kind = EntryKind::kNameBoard,
     .file = FileKind::kLineSource,
     .section = Section::kFeatures,
     .word = "cartello",
     .also = "indicat",
     .exact_case = false,
     .place = place<line::Pass, line::name_board_entry>,
     .summary = "a name board with its text",
     .fields = kNameBoardFields,
     .example = "cartello_indicatore,  7700,   (SOTTOVIA )(MURATELLA)",
     .also_known_as = kNameBoardNames},
    {.kind = EntryKind::kBrakedMass,
     .file = FileKind::kTrainSource,
     .section = Section::kTrain,
     .word = "frenata",
     .also = "massa",
     .exact_case = false,
     .place = place<train::Pass, train::braked_mass_entry>,
     .summary = "the braked-mass percentage",
     .fields = kBrakedMassFields,
     .example = "percentuale massa frenata,   150",
     .also_known_as = kBrakedMassNames},
    {.kind = EntryKind::kCoaches,
     .file = FileKind::kTrainSource,
     .section = Section::kTrain,
     .word = "vetture",
     .exact_case = false,
     .place = place<train::Pass, train::coaches_entry>,
     .summary = "the number of coaches",
     .fields = kCoachesFields,
     .example = "numero vetture,   6",
     .also_known_as = kCoachesNames},
    {.kind = EntryKind::kSpeed,
     .file = FileKind::kTrainSource,
     .section = Section::kTrain,
     .word = "velocit",
     .exact_case = false,
     .place = place<train::Pass, train::speed_entry>,
     .summary = "the line speed limit from a position on",
     .fields = kSpeedFields,
     .example = "velocita,   10400,    80",
     .also_known_as = kSpeedNames},
    {.kind = EntryKind::kAdhesion,
     .file = FileKind::kTrainSource,
     .section = Section::kTrain,
     .word = "aderenza",
     .exact_case = false,
     .place = place<train::Pass, train::adhesion_entry>,
     .summary = "the adhesion from a position on",
     .fields = kAdhesionFields,
     .example = "aderenza,   0,   100",
     .also_known_as = kAdhesionNames},
    {.kind = EntryKind::kClock,
     .file = FileKind::kTrainSource,
     .section = Section::kTrain,
     .word = "orologio",
     .exact_case = false,
     .place = place<train::Pass, train::clock_entry>,
     .summary = "the starting clock",
     .fields = kClockFields,
     .fields_may_share_a_line = true,
     .example = "orologio,    10  5  30",
     .also_known_as = kClockNames},
    {.kind = EntryKind::kSand,
     .file = FileKind::kTrainSource,
     .section = Section::kTrain,
     .word = "sabbia",
     .exact_case = false,
     .place = place<train::Pass, train::sand_entry>,
     .summary = "the sand setting",
     .fields = kSandFields,
     .example = "sabbia,   1",
     .also_known_as = kSandNames},
    {.kind = EntryKind::kSignal,
     .file = FileKind::kTrainSource,
     .section = Section::kTrain,
     .word = "segnale",
     .exact_case = false,
     .place = place<train::Pass, train::signal_entry>,
     .summary = "a signal",
     .fields = kSignalFields,
     .example = "segnale,    1500,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
     .also_known_as = kSignalNames},
    {.kind = EntryKind::kSlowdown,
     .file = FileKind::kTrainSource,
     .section = Section::kTrain,
     .word = "rallentamento",
     .exact_case = false,
     .place = place<train::Pass, train::slowdown_entry>,
     .summary = "a slowdown with its boards",
     .fields = kSlowdownFields,
     .example = "rallentamento,   5000,   80,   500,   0,   0,   0",
     .also_known_as = kSlowdownNames},
    {.kind = EntryKind::kAbbattimento,
     .file = FileKind::kTrainSource,
     .section = Section::kTrain,
     .word = "abbattimento",
     .exact_case = false,
     .place = place<train::Pass, train::abbattimento_entry>,
     .summary = "a marker cell (abbattimento)",
     .fields = kAbbattimentoFields,
     .example = "abbattimento,   9000,   0",
     .also_known_as = kAbbattimentoNames},
    {.kind = EntryKind::kStation,
     .file = FileKind::kTrainSource,
     .section = Section::kTrain,
     .word = "stazione",
     .exact_case = false,
     .place = place<train::Pass, train::station_entry>,
     .summary = "a station: sixteen numbers and its name",
     .fields = kStationFields,
     .example =
         "stazione,   26650,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, ROMA OSTIENSE",
     .also_known_as = kStationNames},
};

// A row's section lies in its own file.
constexpr bool sections_match_files() {
  for (const KeywordReference& r : kReferences)
    if ((r.section == Section::kTrain) != (r.file == FileKind::kTrainSource)) return false;
  return true;
}
static_assert(sections_match_files());

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
  const std::string wanted = lower_ascii(name);
  for (const KeywordReference& r : kReferences)
    if (lower_ascii(keyword_text(r)) == wanted || lower_ascii(r.word) == wanted) return &r;
  return nullptr;
}

std::vector<const KeywordReference*> references_known_as(std::string_view word) {
  std::string wanted = lower_ascii(word);
  wanted.erase(0, wanted.find_first_not_of(" \t"));
  wanted.erase(wanted.find_last_not_of(" \t") + 1);
  if (const KeywordReference* r = reference_named(wanted);
      r && lower_ascii(keyword_text(*r)) == wanted)
    return {r};
  // A keyword's first word ("cartello") may also be another keyword's
  // other name: both are meant.
  std::vector<const KeywordReference*> found;
  for (const KeywordReference& r : kReferences) {
    bool named = lower_ascii(r.word) == wanted;
    for (std::string_view name : r.also_known_as) named = named || name == wanted;
    if (named) found.push_back(&r);
  }
  return found;
}

bool keyword_matches(const KeywordReference& r, std::string_view field, size_t variant) {
  const std::string_view variant_word = r.variants.empty() ? "" : r.variants[variant];
  const auto holds = [&](std::string_view word) {
    return r.exact_case ? contains(field, word) : contains_ignoring_case(field, word);
  };
  return holds(r.word) && holds(r.also) && holds(variant_word);
}

const SectionRules& section_rules(Section section) {
  // The general part looks past up to ten comment fields in a row, ignores
  // the end of the file while doing so, and ends at its header; the feature
  // part and the train source look past two and end with the file.
  static constexpr SectionRules kGeneral{10, false, true};
  static constexpr SectionRules kToTheEnd{2, true, false};
  return section == Section::kGeneral ? kGeneral : kToTheEnd;
}

bool is_section_header(std::string_view field) {
  const size_t first = field.find_first_not_of(" \t");
  return contains(field, "[") && contains(field, "]") && field[first] != '-';
}

bool ends_head(std::string_view field) { return contains_ignoring_case(field, "[generale]"); }

}  // namespace compiler
