// `scenarioc check`: the messages of one fault of each kind, word for word,
// and a folder that stays exactly as it was.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "platform/mem_env.h"
#include "platform/utf8.h"
#include "tests/support/given_scenario.h"
#include "tests/support/scenario_sources.h"
#include "tests/support/tool_folder.h"
#include "tools/cli/exit_status.h"
#include "writers/writers.h"

namespace {

using model::FileKind;
using testing_support::kGivenScenario;
using testing_support::kGivenTrain;
using testing_support::replacing;
using testing_support::ToolOutcome;

std::vector<std::string> given_line() { return testing_support::given_line_source(); }
std::vector<std::string> given_train() { return testing_support::given_train_source(); }

// The given train source cut short inside its last entry: "[fine]" replaced.
std::vector<std::string> train_cut_short() {
  std::vector<std::string> lines = given_train();
  lines.back() = "segnale,    1500,   2, 4";
  return lines;
}

class Check : public testing_support::ToolFolder {
 protected:
  ToolOutcome check(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"check",        folder_,   "--scenario",
                                     kGivenScenario, "--train", kGivenTrain};
    args.insert(args.end(), extra.begin(), extra.end());
    return scenarioc(args);
  }
  // `text` with "@L" and "@T" replaced by the paths of the two sources.
  std::string with_paths(std::string text) const {
    for (auto [mark, kind] :
         {std::pair{"@L", FileKind::kLineSource}, std::pair{"@T", FileKind::kTrainSource}}) {
      const std::string p = path(kind);
      for (size_t at = text.find(mark); at != std::string::npos;
           at = text.find(mark, at + p.size()))
        text.replace(at, 2, p);
    }
    return text;
  }
};

// --- The messages ------------------------------------------------------------------------

struct MessageCase {
  const char* name;
  std::vector<std::string> line;
  std::vector<std::string> train;
  const char* report;  // "@L" and "@T" stand for the paths of the sources
  int status = tools::kExitStatus;
  friend void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.name; }
};

class CheckMessage : public Check, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(CheckMessage, PointsAtTheFieldAndNamesWhatIsInvolved) {
  const MessageCase& c = GetParam();
  write_sources(c.line, c.train);
  ToolOutcome result = check();
  EXPECT_EQ(result.out, with_paths(c.report));
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, c.status);
}

constexpr char kReadFailure[] =
    "a source could not be read as its fields require: a read past the end of a source, a "
    "number that does not fit its field, or bytes that are not Windows-1252 text (status 25)";

INSTANTIATE_TEST_SUITE_P(
    OneFaultOfEachKind, CheckMessage,
    ::testing::Values(
        // Read failure: the caret stands under the number that did not read.
        MessageCase{"read_failure_malformed_number", given_line(),
                    replacing(given_train(), "velocita,   10400", "velocita,   10400,    8O"),
                    "@T:11:23: error: a source could not be read as its fields require: a read "
                    "past the end of a source, a number that does not fit its field, or bytes that "
                    "are not Windows-1252 text (status 25): 'velocita' field v: a number was "
                    "expected, found '8O'\n"
                    "velocita,   10400,    8O\n"
                    "                      ^\n"
                    "1 error, 0 warnings; compile records status 25\n"},
        // Columns count characters, as an editor does: "à" is one.
        MessageCase{"read_failure_after_a_letter_outside_ascii", given_line(),
                    replacing(given_train(), "velocita,   10400", "velocità,   10400,    8O"),
                    "@T:11:23: error: a source could not be read as its fields require: a read "
                    "past the end of a source, a number that does not fit its field, or bytes that "
                    "are not Windows-1252 text (status 25): 'velocità' field v: a number was "
                    "expected, found '8O'\n"
                    "velocità,   10400,    8O\n"
                    "                      ^\n"
                    "1 error, 0 warnings; compile records status 25\n"},
        // An entry cut short by the end of the file: the entry itself.
        MessageCase{"read_failure_past_the_end", given_line(), train_cut_short(),
                    "@T:49:1: error: a source could not be read as its fields require: a read "
                    "past the end of a source, a number that does not fit its field, or bytes that "
                    "are not Windows-1252 text (status 25): 'segnale' is cut short by the end of "
                    "the file before its field s2\n"
                    "segnale,    1500,   2, 4\n"
                    "^\n"
                    "1 error, 0 warnings; compile records status 25\n"},
        // Range rule: the position.
        MessageCase{"range_rule_train_source", given_line(),
                    testing_support::train_source_with({"velocita,   41901,    80"}),
                    "@T:49:13: error: an entry lies too close to the end of the line, or outside "
                    "its tables (status 15, at 41901 m)\n"
                    "velocita,   41901,    80\n"
                    "            ^\n"
                    "note: the range rule accepts positions up to 41900 m on this line (last cell "
                    "840)\n"
                    "1 error, 0 warnings; compile records status 15\n"},
        // A refusal in the line source lets the train pass run with the status
        // set, which stops at its first signal; the entry at fault is the line's.
        MessageCase{"range_rule_line_source",
                    testing_support::line_source_with({"pendenza,  41901,   0"}), given_train(),
                    "@L:82:12: error: an entry lies too close to the end of the line, or outside "
                    "its tables (status 15, at 41901 m)\n"
                    "pendenza,  41901,   0\n"
                    "           ^\n"
                    "note: the range rule accepts positions up to 41900 m on this line (last cell "
                    "840)\n"
                    "@T:30:1: note: the train pass went on with the status set and stopped here; "
                    "the compile records this entry's position, 1500 m\n"
                    "segnale,    1500,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "1 error, 0 warnings; compile records status 15\n"},
        // Occupied cells: the position of the entry that found its cell taken.
        MessageCase{"signal_on_a_taken_cell", given_line(),
                    testing_support::train_source_with(
                        {"segnale,    1500,   2, 4, 0,  0, 0,    2,  2,0,0, 0"}),
                    "@T:49:13: error: a signal stands on a cell that is already taken (status 16, "
                    "at 1500 m)\n"
                    "segnale,    1500,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "            ^\n"
                    "@T:30:1: note: cell 31 is taken by the signal at 1500 m\n"
                    "segnale,    1500,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "1 error, 0 warnings; compile records status 16\n"},
        MessageCase{"name_board_on_a_speed_board",
                    testing_support::line_source_with({"cartello_indicatore,  7700,   (X)(Y)"}),
                    given_train(),
                    "@L:82:23: error: a name board stands on a cell that is already taken "
                    "(status 6, at 7700 m)\n"
                    "cartello_indicatore,  7700,   (X)(Y)\n"
                    "                      ^\n"
                    "@L:59:1: note: cell 155 is taken by the maximum-speed board at 7700 m\n"
                    "indicatori_vmax,  7700,  80,  80,  90,  2,  80,  80,  90,  2\n"
                    "^\n"
                    "1 error, 0 warnings; compile records status 6\n"},
        // Station rules: the position, or the length when it is the length.
        MessageCase{"stations_too_close", given_line(),
                    replacing(given_train(), "stazione,   26650",
                              "stazione,   26600,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, "
                              "0, 0, ROMA OSTIENSE"),
                    "@T:25:13: error: a station starts less than 350 m after the end of the "
                    "station before it (status 22, at 26600 m)\n"
                    "stazione,   26600,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, ROMA "
                    "OSTIENSE\n"
                    "            ^\n"
                    "@T:24:1: note: the station before it ends at 26050 m; this one starts at "
                    "26350 m\n"
                    "stazione,   25800,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, ROMA "
                    "TRASTEVERE\n"
                    "^\n"
                    "1 error, 0 warnings; compile records status 22\n"},
        MessageCase{"station_length_not_a_multiple_of_100", given_line(),
                    replacing(given_train(), "stazione,   26650",
                              "stazione,   26650,  2,  550,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, "
                              "0, 0, ROMA OSTIENSE"),
                    "@T:25:25: error: a station length is not a multiple of 100 (status 9, at "
                    "26650 m)\n"
                    "stazione,   26650,  2,  550,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, ROMA "
                    "OSTIENSE\n"
                    "                        ^\n"
                    "1 error, 0 warnings; compile records status 9\n"},
        // Post-processing: the signal at 1500 m (cell 31) stands 16 cells
        // before the warning board of a slowdown at 3500 m, and the two cells
        // before it hold signals.
        MessageCase{"no_room_before_a_signal", given_line(),
                    testing_support::train_source_with(
                        {"segnale,    1450,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                         "segnale,    1400,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                         "rallentamento,   3500,   80,   500,   0,   0,   0"}),
                    "@T:30:1: error: no room for the marker before a signal in front of a "
                    "slowdown warning board (status 11, at 1550 m): the signal at 1500 m, cell 31\n"
                    "segnale,    1500,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "@T:51:1: note: the slowdown at 3500 m has its warning board in cell 47, 800 "
                    "m after the signal\n"
                    "rallentamento,   3500,   80,   500,   0,   0,   0\n"
                    "^\n"
                    "@T:49:1: note: cell 30, 50 m before the signal, is taken by the signal at "
                    "1450 m\n"
                    "segnale,    1450,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "@T:50:1: note: cell 29, 100 m before the signal, is taken by the signal at "
                    "1400 m\n"
                    "segnale,    1400,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "1 error, 0 warnings; compile records status 11\n"},
        // The same with the warning board exactly 20 cells after the signal,
        // the farthest that still asks for a marker.
        MessageCase{"no_room_before_a_signal_20_cells_before_the_board", given_line(),
                    testing_support::train_source_with(
                        {"segnale,    1450,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                         "segnale,    1400,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                         "rallentamento,   3700,   80,   500,   0,   0,   0"}),
                    "@T:30:1: error: no room for the marker before a signal in front of a "
                    "slowdown warning board (status 11, at 1550 m): the signal at 1500 m, cell 31\n"
                    "segnale,    1500,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "@T:51:1: note: the slowdown at 3700 m has its warning board in cell 51, 1000 "
                    "m after the signal\n"
                    "rallentamento,   3700,   80,   500,   0,   0,   0\n"
                    "^\n"
                    "@T:49:1: note: cell 30, 50 m before the signal, is taken by the signal at "
                    "1450 m\n"
                    "segnale,    1450,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "@T:50:1: note: cell 29, 100 m before the signal, is taken by the signal at "
                    "1400 m\n"
                    "segnale,    1400,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "1 error, 0 warnings; compile records status 11\n"},
        // A slowdown starting in cell 101 whose first group of candidates
        // (cells 96, 95, 94) holds three signals.
        MessageCase{"no_room_before_a_slowdown", given_line(),
                    testing_support::train_source_with(
                        {"segnale,    4750,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                         "segnale,    4700,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                         "segnale,    4650,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                         "rallentamento,   5000,   80,   500,   0,   0,   0"}),
                    "@T:52:1: error: no room for a marker before a slowdown start (status 12, at "
                    "5050 m): the slowdown at 5000 m, cell 101\n"
                    "rallentamento,   5000,   80,   500,   0,   0,   0\n"
                    "^\n"
                    "@T:49:1: note: cell 96, 250 m before the start, is taken by the signal at "
                    "4750 m\n"
                    "segnale,    4750,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "@T:50:1: note: cell 95, 300 m before the start, is taken by the signal at "
                    "4700 m\n"
                    "segnale,    4700,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "@T:51:1: note: cell 94, 350 m before the start, is taken by the signal at "
                    "4650 m\n"
                    "segnale,    4650,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "1 error, 0 warnings; compile records status 12\n"},
        // An 80 km/h slowdown from cell 101 to 119: its first marker goes
        // 8 cells after the start, into cell 109, 108 or 110, all signals.
        MessageCase{"no_room_inside_a_slowdown", given_line(),
                    testing_support::train_source_with(
                        {"segnale,    5350,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                         "segnale,    5400,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                         "segnale,    5450,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                         "rallentamento,   5000,   80,   900,   0,   0,   0"}),
                    "@T:52:1: error: no room for a marker inside a slowdown or before the signal "
                    "after it (status 13, at 5450 m): the slowdown at 5000 m, cell 109\n"
                    "rallentamento,   5000,   80,   900,   0,   0,   0\n"
                    "^\n"
                    "@T:50:1: note: cell 109, a place for the marker inside the slowdown, is taken "
                    "by the signal at 5400 m\n"
                    "segnale,    5400,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "@T:49:1: note: cell 108, a place for the marker inside the slowdown, is taken "
                    "by the signal at 5350 m\n"
                    "segnale,    5350,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "@T:51:1: note: cell 110, a place for the marker inside the slowdown, is taken "
                    "by the signal at 5450 m\n"
                    "segnale,    5450,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "1 error, 0 warnings; compile records status 13\n"},
        // A 120 km/h slowdown ending in cell 119; the first signal after it
        // stands in cell 120 and cell 118 holds another signal.
        MessageCase{"no_room_before_the_signal_after_a_slowdown", given_line(),
                    testing_support::train_source_with(
                        {"segnale,    5850,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                         "segnale,    5950,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                         "rallentamento,   5000,   120,   900,   0,   0,   0"}),
                    "@T:51:1: error: no room for a marker inside a slowdown or before the signal "
                    "after it (status 13, at 5950 m): the slowdown at 5000 m, cell 119\n"
                    "rallentamento,   5000,   120,   900,   0,   0,   0\n"
                    "^\n"
                    "@T:50:1: note: the first signal after the slowdown stands in cell 120\n"
                    "segnale,    5950,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "@T:51:1: note: cell 119, 50 m before that signal, is taken by the end of the "
                    "slowdown at 5000 m\n"
                    "rallentamento,   5000,   120,   900,   0,   0,   0\n"
                    "^\n"
                    "@T:49:1: note: cell 118, 100 m before that signal, is taken by the signal at "
                    "5850 m\n"
                    "segnale,    5850,   2, 4, 0,  0, 0,    2,  2,0,0, 0\n"
                    "^\n"
                    "1 error, 0 warnings; compile records status 13\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Warnings ------------------------------------------------------------------------------

// Warnings: input that compiles but is almost surely not what the author
// meant, each told at its field with how to fix it.
INSTANTIATE_TEST_SUITE_P(
    EveryKindOfWarning, CheckMessage,
    ::testing::Values(
        MessageCase{"keyword_typo", testing_support::line_source_with({"pendnza, 3000, 0"}),
                    given_train(),
                    "@L:82:1: warning: 'pendnza' matches no keyword: it and the values after it "
                    "are passed over; did you mean 'pendenza'?\n"
                    "pendnza, 3000, 0\n"
                    "^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        // The name at the end of the line goes with the entry that was passed over.
        MessageCase{
            "keyword_typo_with_a_name", given_line(),
            testing_support::train_source_with(
                {"stazone,   34000,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, X"}),
            "@T:49:1: warning: 'stazone' matches no keyword: it and the values after it "
            "are passed over; did you mean 'stazione'?\n"
            "stazone,   34000,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, X\n"
            "^\n"
            "no fault (status 0)\n"
            "0 errors, 1 warning\n",
            tools::kExitOk},
        MessageCase{"decimal_comma", testing_support::line_source_with({"pendenza, 34500, 12,5"}),
                    given_train(),
                    "@L:82:18: warning: '12,5' is read as 12 and a field of its own: numbers are "
                    "whole, with no decimal comma\n"
                    "pendenza, 34500, 12,5\n"
                    "                 ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"extra_field", testing_support::line_source_with({"pendenza, 34500, 0, 7"}),
                    given_train(),
                    "@L:82:21: warning: a field beyond the 2 of 'pendenza': it is passed over\n"
                    "pendenza, 34500, 0, 7\n"
                    "                    ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"missing_fields", given_line(),
                    testing_support::train_source_with({"segnale,    20500,   2, 4, 0,  0, 0",
                                                        "2,  2,0,0, 0"}),
                    "@T:49:1: warning: 'segnale' has 11 fields but its line ends after 6; 'dx' "
                    "and the rest were read from line 50\n"
                    "segnale,    20500,   2, 4, 0,  0, 0\n"
                    "^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"past_the_end_of_the_line", given_line(),
                    testing_support::train_source_with({"velocita,   36000,    80"}),
                    "@T:49:13: warning: 36000 m lies past the end of the line (35000 m); the "
                    "range rule still accepts it, in the 7000 m the simulator runs on beyond the "
                    "end\n"
                    "velocita,   36000,    80\n"
                    "            ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"curve_side", testing_support::line_source_with({"curva destra 4, 33500, 100"}),
                    given_train(),
                    "@L:82:1: warning: 'curva destra 4' is read as a left curve: any 's' after "
                    "'curva' makes it left; write 'curvas' + class for a left curve, 'curvad' + "
                    "class for a right one\n"
                    "curva destra 4, 33500, 100\n"
                    "^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"values_stored_otherwise", given_line(),
                    testing_support::train_source_with({"aderenza,   1000,   300",
                                                        "velocita,   34000,   92"}),
                    "@T:49:21: warning: 'aderenza' field a: stored as its low 8 bits, 44\n"
                    "aderenza,   1000,   300\n"
                    "                    ^\n"
                    "@T:50:22: warning: 'velocita' field v: stored as 90 km/h: speeds are kept in "
                    "steps of 5\n"
                    "velocita,   34000,   92\n"
                    "                     ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 2 warnings\n",
                    tools::kExitOk},
        MessageCase{"letter_case_of_a_general_keyword",
                    replacing(given_line(), "sfondo uno", "Sfondo Uno,    1"), given_train(),
                    "@L:7:1: warning: 'Sfondo Uno' matches no keyword: it and the values after it "
                    "are passed over; letter case matters for this keyword: write 'sfondo uno'\n"
                    "Sfondo Uno,    1\n"
                    "^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"section_header_holding_a_keyword", given_line(),
                    testing_support::train_source_with(
                        {"[stazione]",
                         "37000,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, FUORI"}),
                    "@T:50:1: warning: 37000 m lies past the end of the line (35000 m); the range "
                    "rule still accepts it, in the 7000 m the simulator runs on beyond the end\n"
                    "37000,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, FUORI\n"
                    "^\n"
                    "@T:49:1: warning: '[stazione]' looks like a section header but holds "
                    "'stazione' and is read as that entry; name the section otherwise, e.g. "
                    "'[stazioni]'\n"
                    "[stazione]\n"
                    "^\n"
                    "no fault (status 0)\n"
                    "0 errors, 2 warnings\n",
                    tools::kExitOk},
        MessageCase{"unknown_section_header", testing_support::line_source_with({"[gallerie]"}),
                    given_train(),
                    "@L:82:1: warning: '[gallerie]' is not a section header the formats know; "
                    "headers only group entries, and one like '[stazione]' is read as a keyword\n"
                    "[gallerie]\n"
                    "^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        // "Ò" saved as UTF-8 reads as two Windows-1252 characters.
        MessageCase{"text_saved_as_utf8", given_line(),
                    replacing(given_train(), "stazione,   35000",
                              "stazione,   35000,  5,  800,  1, 0, 0,  1,1,0,  2,1,1,    0,  "
                              "10,39, 0, SAN NICOL\xC3\x83\xE2\x80\x99"),
                    "@T:27:82: warning: these bytes look like a letter saved as UTF-8 (they read "
                    "as two Windows-1252 characters); save the file as Windows-1252 (ANSI) text\n"
                    "stazione,   35000,  5,  800,  1, 0, 0,  1,1,0,  2,1,1,    0,  10,39, 0, SAN "
                    "NICOL\xC3\x83\xE2\x80\x99\n"
                    "                                                                             "
                    "    ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Faults at their cause ---------------------------------------------------------------

// A fault that the field reader meets on a later line than the entry's is
// the entry's: it is told there, with what its keyword field shows.
INSTANTIATE_TEST_SUITE_P(
    FaultsAtTheirCause, CheckMessage,
    ::testing::Values(
        MessageCase{
            "hash_line",
            testing_support::line_source_with({"# pendenza in per mille", "pendenza, 34500, 0"}),
            given_train(),
            "@L:82:1: error: a source could not be read as its fields require: a read past the end "
            "of a source, a number that does not fit its field, or bytes that are not Windows-1252 "
            "text (status 25): 'pendenza' (found in the field '# pendenza in per mille') at line "
            "82 has 0 of its 2 numbers; the 1st (p) was read from line 83: a number was expected, "
            "found 'pendenza'; '#' does not make a comment: the field holds 'pendenza' and is read "
            "as that entry; a comment is a field holding '-'\n"
            "# pendenza in per mille\n"
            "^\n"
            "@L:83:1: note: field p of that entry was read here\n"
            "pendenza, 34500, 0\n"
            "^\n"
            "1 error, 0 warnings; compile records status 25\n"},
        MessageCase{"tab_after_the_keyword",
                    testing_support::line_source_with({"pendenza\t3000\t0", "pendenza, 34500, 0"}),
                    given_train(),
                    "@L:82:1: error: a source could not be read as its fields require: a read past "
                    "the end of a source, a number that does not fit its field, or bytes that are "
                    "not Windows-1252 text (status 25): 'pendenza' at line 82 has 0 of its 2 "
                    "numbers; the 1st (p) was read from line 83: a number was expected, found "
                    "'pendenza'; a tab separates the keyword from its values, so the values in the "
                    "keyword field are not read: put a comma after the keyword\n"
                    "pendenza\t3000\t0\n"
                    "^\n"
                    "@L:83:1: note: field p of that entry was read here\n"
                    "pendenza, 34500, 0\n"
                    "^\n"
                    "1 error, 0 warnings; compile records status 25\n"},
        MessageCase{
            "comma_missing_after_the_keyword",
            testing_support::line_source_with({"pendenza  3000, 2", "pendenza, 34500, 0"}),
            given_train(),
            "@L:82:1: error: a source could not be read as its fields require: a read past the end "
            "of a source, a number that does not fit its field, or bytes that are not Windows-1252 "
            "text (status 25): 'pendenza' at line 82 has 1 of its 2 numbers; the 2nd (g) was read "
            "from line 83: a number was expected, found 'pendenza'; the keyword field 'pendenza  "
            "3000' ends in 3000: put a comma between the keyword and its first value\n"
            "pendenza  3000, 2\n"
            "^\n"
            "@L:83:1: note: field g of that entry was read here\n"
            "pendenza, 34500, 0\n"
            "^\n"
            "1 error, 0 warnings; compile records status 25\n"},
        MessageCase{"field_missing",
                    testing_support::line_source_with({"pendenza, 3000", "pendenza, 34500, 0"}),
                    given_train(),
                    "@L:82:1: error: a source could not be read as its fields require: a read past "
                    "the end of a source, a number that does not fit its field, or bytes that are "
                    "not Windows-1252 text (status 25): 'pendenza' at line 82 has 1 of its 2 "
                    "numbers; the 2nd (g) was read from line 83: a number was expected, found "
                    "'pendenza'; a value or a comma is missing on line 82\n"
                    "pendenza, 3000\n"
                    "^\n"
                    "@L:83:1: note: field g of that entry was read here\n"
                    "pendenza, 34500, 0\n"
                    "^\n"
                    "1 error, 0 warnings; compile records status 25\n"},
        MessageCase{
            "last_field_missing", given_line(),
            testing_support::train_source_with({"segnale,    20000,   2, 4, 0,  0, 0,    2,  2,0,0",
                                                "velocita,   34500,    80"}),
            "@T:49:1: error: a source could not be read as its fields require: a read past the end "
            "of a source, a number that does not fit its field, or bytes that are not Windows-1252 "
            "text (status 25): 'segnale' at line 49 has 10 of its 11 numbers; the 11th (tempo) was "
            "read from line 50: a number was expected, found 'velocita'; a value or a comma is "
            "missing on line 49\n"
            "segnale,    20000,   2, 4, 0,  0, 0,    2,  2,0,0\n"
            "^\n"
            "@T:50:1: note: field tempo of that entry was read here\n"
            "velocita,   34500,    80\n"
            "^\n"
            "1 error, 0 warnings; compile records status 25\n"},
        // An entry spread over two lines on purpose: a bad value on the second
        // is that value's fault, and the rest of its line is the entry's.
        MessageCase{
            "bad_value_on_the_line_an_entry_goes_on_to", given_line(),
            testing_support::train_source_with({"segnale,    20000,   2, 4, 0",
                                                "  0, 0,    x,  2,0,0, 0",
                                                "velocita,   34500,    80"}),
            "@T:49:1: warning: 'segnale' has 11 fields but its line ends after 4; 's3' and the "
            "rest "
            "were read from line 50\n"
            "segnale,    20000,   2, 4, 0\n"
            "^\n"
            "@T:50:12: error: a source could not be read as its fields require: a read past the "
            "end of a source, a number that does not fit its field, or bytes that are not "
            "Windows-1252 text (status 25): 'segnale' field dx: a number was expected, found 'x'\n"
            "  0, 0,    x,  2,0,0, 0\n"
            "           ^\n"
            "1 error, 1 warning; compile records status 25\n"},
        // After an entry cut short by the next line, reading on starts at that
        // line: its own fault is found, and nothing else.
        MessageCase{
            "fault_of_the_entry_a_short_one_ran_into", given_line(),
            testing_support::train_source_with({"segnale,    20000,   2, 4, 0,  0, 0,    2,  2,0,0",
                                                "velocita,   34500,    8O"}),
            "@T:49:1: error: a source could not be read as its fields require: a read past the end "
            "of a source, a number that does not fit its field, or bytes that are not Windows-1252 "
            "text (status 25): 'segnale' at line 49 has 10 of its 11 numbers; the 11th (tempo) was "
            "read from line 50: a number was expected, found 'velocita'; a value or a comma is "
            "missing on line 49\n"
            "segnale,    20000,   2, 4, 0,  0, 0,    2,  2,0,0\n"
            "^\n"
            "@T:50:1: note: field tempo of that entry was read here\n"
            "velocita,   34500,    8O\n"
            "^\n"
            "@T:50:23: error: a source could not be read as its fields require: a read past the "
            "end of a source, a number that does not fit its field, or bytes that are not "
            "Windows-1252 text (status 25): 'velocita' field v: a number was expected, found '8O'\n"
            "velocita,   34500,    8O\n"
            "                      ^\n"
            "2 errors (1 found by reading on past the fault that stops the compile), 0 warnings; "
            "compile records status 25\n"},
        MessageCase{
            "from_to_value",
            testing_support::line_source_with({"montagna, 5000-5600, 2", "pendenza, 34500, 0"}),
            given_train(),
            "@L:82:11: error: a source could not be read as its fields require: a read past the "
            "end of a source, a number that does not fit its field, or bytes that are not "
            "Windows-1252 text (status 25): 'montagna' field start: a number was expected, found "
            "'5000-5600'; '5000-5600' is one field: write each number as a field of its own, apart "
            "by a comma\n"
            "montagna, 5000-5600, 2\n"
            "          ^\n"
            "1 error, 0 warnings; compile records status 25\n"},
        MessageCase{"note_holding_a_keyword",
                    testing_support::line_source_with({"attenzione: la pendenza qui cambia spesso",
                                                       "pendenza, 34500, 0"}),
                    given_train(),
                    "@L:82:1: error: a source could not be read as its fields require: a read past "
                    "the end of a source, a number that does not fit its field, or bytes that are "
                    "not Windows-1252 text (status 25): 'pendenza' (found in the field "
                    "'attenzione: la pendenza qui cambia sp...') at line 82 has 0 of its 2 "
                    "numbers; the 1st (p) was read from line 83: a number was expected, found "
                    "'pendenza'; the field holds 'pendenza', and a keyword is found anywhere in a "
                    "field, so it is read as that entry: put a '-' in a note to make it a comment\n"
                    "attenzione: la pendenza qui cambia spesso\n"
                    "^\n"
                    "@L:83:1: note: field p of that entry was read here\n"
                    "pendenza, 34500, 0\n"
                    "^\n"
                    "1 error, 0 warnings; compile records status 25\n"},
        MessageCase{
            "third_comment_line_in_a_row",
            testing_support::line_source_with({"- prima riga -", "- seconda riga -",
                                               "- la curvad4 qui sotto -", "pendenza, 34500, 0"}),
            given_train(),
            "@L:84:1: error: a source could not be read as its fields require: a read past the end "
            "of a source, a number that does not fit its field, or bytes that are not Windows-1252 "
            "text (status 25): 'curva' (found in the field '- la curvad4 qui sotto -') at line 84 "
            "has 0 of its 2 numbers; the 1st (s) was read from line 85: a number was expected, "
            "found 'pendenza'; the field holds '-', but only 2 comment fields in a row are passed "
            "over here (ten in the general part), so it is read as a keyword field, and it holds "
            "'curva': shorten the comment, or break the run with an empty line\n"
            "- la curvad4 qui sotto -\n"
            "^\n"
            "@L:85:1: note: field s of that entry was read here\n"
            "pendenza, 34500, 0\n"
            "^\n"
            "1 error, 0 warnings; compile records status 25\n"},
        // The same rule when the entry finds its numbers on the next line.
        MessageCase{
            "third_comment_line_read_as_an_entry",
            testing_support::line_source_with({"- prima riga -", "- seconda riga -",
                                               "- pendenza qui sotto -", "34500, 2"}),
            given_train(),
            "@L:84:1: warning: the field holds '-', but only 2 comment fields in a row are passed "
            "over here (ten in the general part), so it is read as a keyword field, and it holds "
            "'pendenza': shorten the comment, or break the run with an empty line\n"
            "- pendenza qui sotto -\n"
            "^\n"
            "no fault (status 0)\n"
            "0 errors, 1 warning\n",
            tools::kExitOk},
        MessageCase{"comment_going_on_past_its_comma",
                    testing_support::line_source_with({"- lato: d = destra, s = sinistra"}),
                    given_train(),
                    "@L:82:21: warning: 's = sinistra' is read as a keyword field, although it "
                    "continues the comment before it: a comment ends at its comma; put a '-' in "
                    "this field too, or leave out the comma\n"
                    "- lato: d = destra, s = sinistra\n"
                    "                    ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"negative_number_as_an_extra_field", given_line(),
                    testing_support::train_source_with({"velocita,   34500,    80, -5"}),
                    "@T:49:27: warning: a field beyond the 2 of 'velocita': '-5' holds '-', so it "
                    "is passed over as a comment\n"
                    "velocita,   34500,    80, -5\n"
                    "                          ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"no_header_after_the_general_part", replacing(given_line(), "[curve]", ""),
                    given_train(),
                    "@L:12:1: warning: 'curvas6' holds 'curva', a line feature, but the general "
                    "part has not ended: it ends at the first section header after '[generale]' (a "
                    "field such as '[curve]'), and until then no feature entry is read; put a "
                    "section header before the first feature entry\n"
                    "curvas6,  650,  300\n"
                    "^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{
            "general_keyword_among_the_features",
            testing_support::line_source_with({"sfondo uno, 2"}), given_train(),
            "@L:82:1: warning: 'sfondo uno' is a keyword of the general part, which ended at the "
            "section header on line 11: here it is passed over; move it before that header\n"
            "sfondo uno, 2\n"
            "^\n"
            "no fault (status 0)\n"
            "0 errors, 1 warning\n",
            tools::kExitOk},
        MessageCase{"train_keyword_in_the_line_source",
                    testing_support::line_source_with({"velocita, 3000, 80"}), given_train(),
                    "@L:82:1: warning: 'velocita' is a keyword of the train source: the line "
                    "source passes it over; move the entry to the train source\n"
                    "velocita, 3000, 80\n"
                    "^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"line_keyword_in_the_train_source", given_line(),
                    testing_support::train_source_with({"montagna, 5000, 5600, 2"}),
                    "@T:49:1: warning: 'montagna' is a keyword of the line source: the train "
                    "source passes it over; move the entry to the line source\n"
                    "montagna, 5000, 5600, 2\n"
                    "^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk}),
    [](const auto& info) { return std::string(info.param.name); });

// `lines` without those that start with `prefix`.
std::vector<std::string> without(std::vector<std::string> lines, std::string_view prefix) {
  std::erase_if(lines, [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  return lines;
}

std::vector<std::string> before_given_train(std::string line) {
  std::vector<std::string> lines = given_train();
  lines.insert(lines.begin(), std::move(line));
  return lines;
}

// Entries that compile but that the passes change in silence: out of order,
// covering nothing, a value dropped or changed, a source read as nothing.
INSTANTIATE_TEST_SUITE_P(
    SilentChanges, CheckMessage,
    ::testing::Values(
        MessageCase{"train_header_misspelt", given_line(),
                    replacing(given_train(), "[generale]", "[general]"),
                    "@T:1:1: warning: no field holds '[generale]', so nothing in this file is "
                    "read: no speeds, stations, signals or slowdowns; '[general]' is most likely "
                    "it: write '[generale]'\n"
                    "[general]\n"
                    "^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"train_header_missing", given_line(), without(given_train(), "[generale]"),
                    "@T: warning: no field holds '[generale]', so nothing in this file is read: "
                    "no speeds, stations, signals or slowdowns; put '[generale]' before the "
                    "first entry\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"entry_before_the_train_header", given_line(),
                    before_given_train("sabbia,    1"),
                    "@T:1:1: warning: 'sabbia' stands before '[generale]' and is passed over "
                    "with its values: entries are read only after it; move it below "
                    "'[generale]'\n"
                    "sabbia,    1\n"
                    "^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        // The second entry is in order with the first, but behind the
        // cells the first already took.
        // The line source without it is a fault; the note names the near miss.
        MessageCase{"line_header_misspelt", replacing(given_line(), "[generale]", "[general]"),
                    given_train(),
                    "@L: error: the line source has no [generale] section (status 102)\n"
                    "@L:2:1: note: '[general]' is most likely it: write '[generale]'\n"
                    "[general]\n"
                    "^\n"
                    "1 error, 0 warnings; compile records status 102\n",
                    tools::kExitErrore},
        MessageCase{"entry_before_the_line_header",
                    replacing(given_line(), "stazione di Orte", "pendenza,  0,   0"), given_train(),
                    "@L:1:1: warning: 'pendenza' stands before '[generale]' and is passed over "
                    "with its values: entries are read only after it; move it below "
                    "'[generale]'\n"
                    "pendenza,  0,   0\n"
                    "^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        // The signal's code replaces the station's in cell 222.
        MessageCase{"approach_code_replaced", given_line(),
                    testing_support::train_source_with(
                        {"segnale,   11150,   1, 4, 0,  0, 0,    0,  0,0,0, 0"}),
                    "@T:20:13: warning: the repeat code 81 of the station PONTE GALERIA at 11000 m "
                    "in cell 222 is replaced by the 31 of the signal at 11150 m: a cell keeps one "
                    "repeat code, the one written last; move one of them\n"
                    "stazione,   11000, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, "
                    "PONTE GALERIA\n"
                    "            ^\n"
                    "@T:49:1: note: the signal at 11150 m writes 31 into cell 222\n"
                    "segnale,   11150,   1, 4, 0,  0, 0,    0,  0,0,0, 0\n"
                    "^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"speed_out_of_order", given_line(),
                    testing_support::train_source_with({"velocita,   30000,    80",
                                                        "velocita,   31000,    60"}),
                    "@T:49:13: warning: 'velocita' at 30000 m is listed after the one at 33950 "
                    "m, but the entries take effect in the order written: its speed 80 km/h "
                    "holds from cell 680 (34000 m) on, not from 30000 m; list the 'velocita' "
                    "entries in increasing order of position\n"
                    "velocita,   30000,    80\n"
                    "            ^\n"
                    "@T:50:13: warning: 'velocita' at 31000 m lies behind cell 680 (34000 m), "
                    "where the one before it already takes effect: its speed 60 km/h holds from "
                    "cell 681 (34050 m) on, not from 31000 m; list the 'velocita' entries in "
                    "increasing order of position\n"
                    "velocita,   31000,    60\n"
                    "            ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 2 warnings\n",
                    tools::kExitOk},
        // The entry before it keeps its one cell; at the same place as the
        // first entry, that one keeps none.
        MessageCase{"speed_in_the_cell_of_the_one_before", given_line(),
                    replacing(given_train(), "velocita,       0",
                              "velocita,       0,    60, velocita, 10, 100"),
                    "@T:9:37: warning: 'velocita' at 10 m falls in the cell of the one before "
                    "it, at 0 m: the one before it holds in no cell; give each entry a cell of "
                    "its own, 50 m apart\n"
                    "velocita,       0,    60, velocita, 10, 100\n"
                    "                                    ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"no_first_speed", given_line(),
                    replacing(given_train(), "velocita,       0", ""),
                    "@T:10:14: warning: the first 'velocita' entry is at 1300 m: the cells before "
                    "it, 0 to 25, get speed 0 km/h; add 'velocita, 0, <speed>' before it\n"
                    "velocita,    1300,   140\n"
                    "             ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"no_speed_at_all", given_line(), without(given_train(), "velocita"),
                    "@T: warning: the train source has no 'velocita' entry, so every cell gets "
                    "speed 0 km/h; add 'velocita, 0, <speed>' after '[generale]'\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"no_first_adhesion", given_line(),
                    replacing(given_train(), "aderenza", "aderenza,   500,    100"),
                    "@T:7:13: warning: the first 'aderenza' entry is at 500 m: the cells before "
                    "it, 0 to 9, get adhesion 0; add 'aderenza, 0, <adhesion>' before it\n"
                    "aderenza,   500,    100\n"
                    "            ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"progressives_cleared",
                    replacing(replacing(given_line(), "progressiva chilometrica uno",
                                        "progressiva chilometrica uno,    5000,    35000,    1"),
                              "progressiva chilometrica due",
                              "progressiva chilometrica due,    5000,    0,    0"),
                    given_train(),
                    "@L:4:34: warning: the kilometric progressives are all stored as 0: they are "
                    "sorted by their start, and two share the largest start (or, with starts "
                    "adding up to 0, none has an end above 0); give each progressive a start of "
                    "its own\n"
                    "progressiva chilometrica uno,    5000,    35000,    1\n"
                    "                                 ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"gradient_out_of_order",
                    testing_support::line_source_with({"pendenza,  20000,   1"}), given_train(),
                    "@L:82:12: warning: 'pendenza' at 20000 m is listed after the one at 34000 "
                    "m, but the entries take effect in the order written: its gradient 1 holds "
                    "from cell 681 (34050 m) on, not from 20000 m; list the 'pendenza' entries "
                    "in increasing order of position\n"
                    "pendenza,  20000,   1\n"
                    "           ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"curve_out_of_order",
                    testing_support::line_source_with({"curvas2,  5000,  100"}), given_train(),
                    "@L:82:11: warning: 'curvas2' at 5000 m is listed after the curve at 32950 "
                    "m, but curves are laid in the order written: the plan is already laid up to "
                    "metre 33250, so this curve changes nothing; list the curves in increasing "
                    "order of start\n"
                    "curvas2,  5000,  100\n"
                    "          ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"curve_inside_the_one_before",
                    testing_support::line_source_with({"curvas2,  33200,  200"}), given_train(),
                    "@L:82:11: warning: 'curvas2' at 33200 m starts inside the curve before it "
                    "(32950 m to 33250 m): the plan is already laid up to metre 33250, so only "
                    "its last 150 m are laid; start it at 33250 m or later\n"
                    "curvas2,  33200,  200\n"
                    "          ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"curve_of_no_length",
                    testing_support::line_source_with({"curvas2,  34000,  0"}), given_train(),
                    "@L:82:19: warning: 'curvas2' field n: a curve 0 m long lays no curve; give "
                    "its length\n"
                    "curvas2,  34000,  0\n"
                    "                  ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"tunnel_start_and_end_swapped",
                    testing_support::line_source_with({"montagna,   32050,  32000,  2"}),
                    given_train(),
                    "@L:82:21: warning: the tunnel from 32050 m to 32000 m ends before it starts "
                    "and covers no cell; its end must come after its start (are the two swapped?)\n"
                    "montagna,   32050,  32000,  2\n"
                    "                    ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"tunnel_shorter_than_its_cell",
                    testing_support::line_source_with({"montagna,   32000,  32020,  2"}),
                    given_train(),
                    "@L:82:21: warning: the tunnel from 32000 m to 32020 m covers no cell: its "
                    "cells run from round(start / 50) to round(end / 50 - 1), here 640 to 639; "
                    "make it end at 32050 m or later\n"
                    "montagna,   32000,  32020,  2\n"
                    "                    ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"tunnel_type_made_3",
                    testing_support::line_source_with({"montagna,   30500,  30550,  12"}),
                    given_train(),
                    "@L:82:29: warning: 'montagna' field type: stored as 3, not 2: it starts "
                    "150 m after the end of the tunnel before it (30300 m to 30350 m), and a "
                    "tunnel that starts 150 m or less after the previous one gets type 3; write "
                    "3, or leave more than 150 m between them\n"
                    "montagna,   30500,  30550,  12\n"
                    "                            ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"signal_time_raised", given_line(),
                    testing_support::train_source_with(
                        {"segnale,   20500,   2, 4, 0,  0, 0,    2,  2,0,0, 50"}),
                    "@T:49:51: warning: 'segnale' field tempo: stored as 101: the shortest time a "
                    "signal keeps is 101\n"
                    "segnale,   20500,   2, 4, 0,  0, 0,    2,  2,0,0, 50\n"
                    "                                                  ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        // Raised to 101 and then dropped: only the drop is told.
        MessageCase{"signal_time_dropped", given_line(),
                    testing_support::train_source_with(
                        {"segnale,   20500,   1, 4, 0,  0, 0,    0,  0,0,0, 50"}),
                    "@T:49:51: warning: 'segnale' field tempo: dropped: only a signal with sx = 2 "
                    "keeps its time (this one has sx = 1); set sx to 2, or tempo to 0\n"
                    "segnale,   20500,   1, 4, 0,  0, 0,    0,  0,0,0, 50\n"
                    "                                                  ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{
            "slowdown_without_length_or_warning_board", given_line(),
            testing_support::train_source_with({"rallentamento,   1000,   60,   0,   0,   1,   0"}),
            "@T:49:32: warning: 'rallentamento' field length: the slowdown's end falls "
            "in its start cell 21, which the start takes: it has no end; lengthen it so "
            "that its end falls in a later cell\n"
            "rallentamento,   1000,   60,   0,   0,   1,   0\n"
            "                               ^\n"
            "@T:49:42: warning: 'rallentamento' field f_ta: dropped: a slowdown starting "
            "at 1500 m or less has no warning board, and so no pre-warning cells\n"
            "rallentamento,   1000,   60,   0,   0,   1,   0\n"
            "                                         ^\n"
            "no fault (status 0)\n"
            "0 errors, 2 warnings\n",
            tools::kExitOk},
        MessageCase{"station_values_dropped", given_line(),
                    replacing(replacing(given_train(), "stazione,   11000",
                                        "stazione,   11000, 12,  400,  0, 3, 0,  1,1,0,  4,1,1,  "
                                        "  0,   0, 0, 0, PONTE GALERIA"),
                              "stazione,   35000",
                              "stazione,   35000,  5,  800,  1, 0, 1,  1,1,0,  2,1,1,    0,  "
                              "10,39, 0, ROMA TERMINI"),
                    "@T:20:34: warning: 'stazione' field f5: stored as 0: only a station 600 m or "
                    "longer keeps it\n"
                    "stazione,   11000, 12,  400,  0, 3, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, "
                    "PONTE GALERIA\n"
                    "                                 ^\n"
                    "@T:27:37: warning: 'stazione' field f6: stored as 0, and the platform is not "
                    "lengthened: stations of kind 5 to 8 do not keep it\n"
                    "stazione,   35000,  5,  800,  1, 0, 1,  1,1,0,  2,1,1,    0,  10,39, 0, ROMA "
                    "TERMINI\n"
                    "                                    ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 2 warnings\n",
                    tools::kExitOk},
        MessageCase{"board_replaced_by_a_station_marker",
                    testing_support::line_source_with({"cartello_indicatore,  11100,   (X)(Y)"}),
                    given_train(),
                    "@T:20:13: warning: the marker of the station PONTE GALERIA at 11000 m takes "
                    "cell 223 from the name board at 11100 m, which is lost there: a station's "
                    "marker, in cell round(end / 50 - 1), replaces whatever the cell holds; move "
                    "one of them\n"
                    "stazione,   11000, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, "
                    "PONTE GALERIA\n"
                    "            ^\n"
                    "@L:82:1: note: the name board at 11100 m stood in cell 223\n"
                    "cartello_indicatore,  11100,   (X)(Y)\n"
                    "^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"board_speed_off_the_steps",
                    testing_support::line_source_with(
                        {"indicatori_vmax,  33000,  142,  150,  160,  0,  140,  150,  160,  0"}),
                    given_train(),
                    "@L:82:27: warning: 'indicatori_vmax' field vA: board speeds go in steps of 5 "
                    "from 0 to 495 km/h; 142 km/h makes value_a 2868, which reads as 140 and 340 "
                    "km/h\n"
                    "indicatori_vmax,  33000,  142,  150,  160,  0,  140,  150,  160,  0\n"
                    "                          ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk},
        MessageCase{"abbattimento_value_dropped", given_line(),
                    testing_support::train_source_with({"abbattimento,   20000,   -5"}),
                    "@T:49:26: warning: 'abbattimento' field w: dropped: only a value above 0 is "
                    "kept, so the marker has no value; write 0 for a marker without value\n"
                    "abbattimento,   20000,   -5\n"
                    "                         ^\n"
                    "no fault (status 0)\n"
                    "0 errors, 1 warning\n",
                    tools::kExitOk}),
    [](const auto& info) { return std::string(info.param.name); });

// A file that is no source at all would bury the first warnings.
TEST_F(Check, WarningsOfOneFileStopAfterFifty) {
  std::vector<std::string> train = given_train();
  train.insert(train.end() - 1, 60, "pendnza");
  write_sources(given_line(), train);
  const std::string out = check().out;
  size_t warnings = 0;
  for (size_t at = out.find(": warning: "); at != std::string::npos;
       at = out.find(": warning: ", at + 1))
    ++warnings;
  EXPECT_EQ(warnings, 51u);
  EXPECT_NE(out.find("warning: more warnings in this file are not shown"), std::string::npos);
}

TEST_F(Check, WerrorMakesAWarningFailTheCheck) {
  write_sources(testing_support::line_source_with({"pendnza, 3000, 0"}), given_train());
  EXPECT_EQ(check().status, tools::kExitOk);
  EXPECT_EQ(check({"--werror"}).status, tools::kExitStatus);
  write_given_sources();
  EXPECT_EQ(check({"--werror"}).status, tools::kExitOk);
}

TEST_F(Check, JsonGivesTheSameReportAsOneObject) {
  write_sources(given_line(), testing_support::train_source_with({"velocita,   41901,    80"}));
  ToolOutcome result = check({"--json"});
  EXPECT_EQ(result.status, tools::kExitStatus);
  const nlohmann::json report = nlohmann::json::parse(result.out);
  const std::string meaning =
      "an entry lies too close to the end of the line, or outside its tables";
  EXPECT_EQ(report["status"], 15);
  EXPECT_EQ(report["position"], 41901);
  EXPECT_EQ(report["message"], meaning);
  EXPECT_EQ(report["ended_by_errore"], false);
  EXPECT_EQ(report["error"], (nlohmann::json{{"file", path(FileKind::kTrainSource)},
                                             {"line", 49},
                                             {"column", 13},
                                             {"source_line", "velocita,   41901,    80"},
                                             {"message", meaning + " (status 15, at 41901 m)"}}));
  EXPECT_EQ(report["notes"],
            (nlohmann::json{{{"file", nullptr},
                             {"line", nullptr},
                             {"column", nullptr},
                             {"source_line", nullptr},
                             {"message",
                              "the range rule accepts positions up to 41900 m on this line (last "
                              "cell 840)"}}}));
  ASSERT_EQ(report["diagnostics"].size(), 1u);
  EXPECT_EQ(report["diagnostics"][0]["code"], 15);
  EXPECT_EQ(report["diagnostics"][0]["severity"], "error");
}

// --- Every fault at once --------------------------------------------------------------

// The compile stops at its first fault; check reads on past it and reports
// each later fault too, after what the compile recorded, and counts them.
TEST_F(Check, ReportsEveryIndependentFaultAfterTheOneTheCompileRecords) {
  write_sources(testing_support::line_source_with(
                    {"pendenza, 3000", "pendenza, 34500, 0", "montagna, 5000-5600, 2"}),
                testing_support::train_source_with(
                    {"stazione,   17175, 21,  400,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, X",
                     "velocita,   41901,    80"}));
  ToolOutcome text = check();
  EXPECT_EQ(text.status, tools::kExitStatus);
  EXPECT_EQ(
      text.out,
      with_paths(
          "@L:82:1: error: a source could not be read as its fields require: a read past the end "
          "of a source, a number that does not fit its field, or bytes that are not Windows-1252 "
          "text (status 25): 'pendenza' at line 82 has 1 of its 2 numbers; the 2nd (g) was read "
          "from line 83: a number was expected, found 'pendenza'; a value or a comma is missing on "
          "line 82\n"
          "pendenza, 3000\n"
          "^\n"
          "@L:83:1: note: field g of that entry was read here\n"
          "pendenza, 34500, 0\n"
          "^\n"
          "@L:84:11: error: a source could not be read as its fields require: a read past the end "
          "of a source, a number that does not fit its field, or bytes that are not Windows-1252 "
          "text (status 25): 'montagna' field start: a number was expected, found '5000-5600'; "
          "'5000-5600' is one field: write each number as a field of its own, apart by a comma\n"
          "montagna, 5000-5600, 2\n"
          "          ^\n"
          "@T:49:13: error: a station position is not a multiple of 50 (status 8, at 17175 m)\n"
          "stazione,   17175, 21,  400,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, X\n"
          "            ^\n"
          "@T:50:13: error: an entry lies too close to the end of the line, or outside its tables "
          "(status 15, at 41901 m)\n"
          "velocita,   41901,    80\n"
          "            ^\n"
          "note: the range rule accepts positions up to 41900 m on this line (last cell 840)\n"
          "4 errors (3 found by reading on past the fault that stops the compile), 0 warnings; "
          "compile records status 25\n"));
  ToolOutcome json = check({"--json"});
  const nlohmann::json report = nlohmann::json::parse(json.out);
  EXPECT_EQ(report["status"], 25);
  EXPECT_EQ(report["errors"], 4);
  EXPECT_EQ(report["warnings"], 0);
  EXPECT_EQ(report["error"]["line"], 82);
  ASSERT_EQ(report["diagnostics"].size(), 4u);
  const int codes[] = {25, 25, 8, 15};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(report["diagnostics"][i]["code"], codes[i]) << i;
    EXPECT_EQ(report["diagnostics"][i]["past_the_stop"], i > 0) << i;
  }
}

// A fault that the entry passed over may have caused is marked so.
TEST_F(Check, MarksAFaultThatMayFollowFromAnEarlierOne) {
  // The plan may reach metre 1000000: the first curve passes it, and the
  // second starts where the first left the plan.
  write_sources(replacing(testing_support::line_source_with(
                              {"curvas1, 999000, 5000", "curvas1, 999500, 1000"}),
                          "lunghezza percorso", "lunghezza percorso,    1000000"),
                given_train());
  ToolOutcome text = check();
  EXPECT_EQ(text.out, with_paths("@L:82:18: error: a curve keyword holds none of the digits 1 to "
                                 "6, or a curve runs beyond metre 1000000 (status 103)\n"
                                 "curvas1, 999000, 5000\n"
                                 "                 ^\n"
                                 "@L:83:18: error: a curve keyword holds none of the digits 1 to "
                                 "6, or a curve runs beyond metre 1000000 (status 103)\n"
                                 "curvas1, 999500, 1000\n"
                                 "                 ^\n"
                                 "@L:82:1: note: possibly a consequence of the fault of the curve "
                                 "at 999000 m, which was passed over\n"
                                 "curvas1, 999000, 5000\n"
                                 "^\n"
                                 "2 errors (1 found by reading on past the fault that stops the "
                                 "compile), 0 warnings; compile records status 103\n"));
}

// A long field is quoted cut at 37 bytes; the cut falls between two
// characters, so the text and the JSON both stay whole UTF-8.
struct LongExcerptCase {
  const char* name;
  std::string train_line;  // replaces the station at 26650 m
  std::string quoted;      // what the message says it found
  friend void PrintTo(const LongExcerptCase& c, std::ostream* os) { *os << c.name; }
};

class CheckLongExcerpt : public Check, public ::testing::WithParamInterface<LongExcerptCase> {};

TEST_P(CheckLongExcerpt, IsCutBetweenCharactersInTextAndJson) {
  const LongExcerptCase& c = GetParam();
  write_sources(given_line(), replacing(given_train(), "stazione,   26650", c.train_line));
  const std::string expected_end = "found '" + c.quoted + "'\n";
  ToolOutcome text = check();
  EXPECT_EQ(text.status, tools::kExitStatus);
  EXPECT_TRUE(platform::is_utf8(text.out)) << text.out;
  EXPECT_NE(text.out.find(expected_end), std::string::npos) << text.out;

  ToolOutcome json = check({"--json"});
  EXPECT_EQ(json.status, tools::kExitStatus);
  EXPECT_EQ(json.err, "");
  ASSERT_TRUE(nlohmann::json::accept(json.out)) << json.out;
  const std::string message = nlohmann::json::parse(json.out)["error"]["message"];
  EXPECT_EQ(message.substr(message.rfind(", found '")), ", found '" + c.quoted + "'");
}

INSTANTIATE_TEST_SUITE_P(
    OutsideAscii, CheckLongExcerpt,
    ::testing::Values(
        // A number missing: the name is read where a number stands, and
        // byte 37 is the second of "À".
        LongExcerptCase{"a_name_where_a_number_stands",
                        "stazione,   26650,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, "
                        "PONTE GALERIA - FIERA DI ROMA E CITTÀ DELLA SCIENZA",
                        "PONTE GALERIA - FIERA DI ROMA E CITT..."},
        // Thirty "à", 60 bytes: 37 would split the nineteenth.
        LongExcerptCase{"a_number_written_as_letters",
                        "stazione,   26650,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, " +
                            [] {
                              std::string a;
                              for (int i = 0; i < 30; ++i) a += "à";
                              return a;
                            }() +
                            ", ROMA OSTIENSE",
                        [] {
                          std::string a;
                          for (int i = 0; i < 18; ++i) a += "à";
                          return a + "...";
                        }()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Check, JsonNotesCarryTheirEntries) {
  write_sources(given_line(), testing_support::train_source_with(
                                  {"segnale,    4750,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                                   "segnale,    4700,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                                   "segnale,    4650,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
                                   "rallentamento,   5000,   80,   500,   0,   0,   0"}));
  const nlohmann::json report = nlohmann::json::parse(check({"--json"}).out);
  EXPECT_EQ(report["status"], 12);
  EXPECT_EQ(report["position"], 5050);
  ASSERT_EQ(report["notes"].size(), 3u);
  EXPECT_EQ(report["notes"][2]["line"], 51);
  EXPECT_EQ(report["notes"][2]["column"], 1);
  EXPECT_EQ(report["notes"][2]["message"],
            "cell 94, 350 m before the start, is taken by the signal at 4650 m");
}

// --- The built-in scenario, exit statuses, the folder ---------------------------------

TEST_F(Check, TheBuiltInScenarioHasNoFault) {
  write_given_sources();
  ToolOutcome text = check();
  EXPECT_EQ(text.status, tools::kExitOk);
  EXPECT_EQ(text.out, "no fault (status 0)\n0 errors, 0 warnings\n");
  EXPECT_EQ(text.err, "");
  ToolOutcome json = check({"--json"});
  EXPECT_EQ(json.status, tools::kExitOk);
  EXPECT_EQ(nlohmann::json::parse(json.out),
            (nlohmann::json{{"status", 0},
                            {"position", nullptr},
                            {"message", "no fault"},
                            {"ended_by_errore", false},
                            {"error", nullptr},
                            {"notes", nlohmann::json::array()},
                            {"errors", 0},
                            {"warnings", 0},
                            {"diagnostics", nlohmann::json::array()}}));
}

TEST_F(Check, AFaultThatEndsTheCompileGivesStatus3) {
  // No line source: the compile would end with " Errore n. 101".
  ASSERT_FALSE(testing_support::write_source(platform::default_env(), path(FileKind::kTrainSource),
                                             given_train()));
  ToolOutcome missing = check();
  EXPECT_EQ(missing.status, tools::kExitErrore);
  EXPECT_EQ(missing.out, with_paths("@L: error: the line source file does not exist (status 101)\n"
                                    "1 error, 0 warnings; compile records status 101\n"));

  // A speed board at metre 0 takes cell 1, the slot of the fixed values.
  write_sources(testing_support::line_source_with(
                    {"indicatori_vmax,  0,  140,  150,  160,  0,  140,  150,  160,  0"}),
                given_train());
  ToolOutcome slot = check();
  EXPECT_EQ(slot.status, tools::kExitErrore);
  EXPECT_EQ(slot.out,
            with_paths("@L:82:19: error: the slot of the fixed values is taken: a feature near "
                       "metre 0 gave cell 1 a first value, or service record 85 already holds "
                       "word_a (status 1250)\n"
                       "indicatori_vmax,  0,  140,  150,  160,  0,  140,  150,  160,  0\n"
                       "                  ^\n"
                       "note: cell 1 is taken by the maximum-speed board at 0 m\n"
                       "1 error, 0 warnings; compile records status 1250\n"));
}

// The compile could not go on without it: a file error, as compile reports it.
TEST_F(Check, AMissingTrainSourceIsAFileErrorNamedByItsRealPath) {
  ASSERT_FALSE(testing_support::write_source(platform::default_env(), path(FileKind::kLineSource),
                                             given_line()));
  ToolOutcome result = check();
  EXPECT_EQ(result.status, tools::kExitPlatform);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind(with_paths("scenarioc: cannot open '@T': "), 0), 0u) << result.err;
}

TEST_F(Check, BadUsageOrAnUnreadableSourceGivesStatus2AndNoReport) {
  write_given_sources();
  ToolOutcome no_folder = scenarioc(
      {"check", folder_ + "/missing", "--scenario", kGivenScenario, "--train", kGivenTrain});
  EXPECT_EQ(no_folder.status, tools::kExitPlatform);
  EXPECT_EQ(no_folder.out, "");
  EXPECT_NE(no_folder.err.find("no such folder"), std::string::npos) << no_folder.err;

  platform::FaultEnv env(platform::default_env());
  env.fail_nth(platform::Op::kRead, 1);
  ToolOutcome unreadable = testing_support::run_scenarioc(
      {"check", folder_, "--scenario", kGivenScenario, "--train", kGivenTrain}, env);
  EXPECT_EQ(unreadable.status, tools::kExitPlatform);
  EXPECT_EQ(unreadable.out, "");
  EXPECT_EQ(unreadable.err.rfind("scenarioc: ", 0), 0u) << unreadable.err;
}

// The compile deletes the sources and writes the binary files; check must not.
TEST_F(Check, LeavesTheFolderExactlyAsItWas) {
  struct Case {
    const char* name;
    std::vector<std::string> line, train;
  };
  const Case cases[] = {
      {"given", given_line(), given_train()},
      {"fault in the line pass", testing_support::line_source_with({"pendenza,  41901,   0"}),
       given_train()},
      {"read failure", given_line(), train_cut_short()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write_sources(c.line, c.train);
    put("other file.txt", "untouched");
    const auto before = snapshot();
    check();
    check({"--json"});
    EXPECT_EQ(snapshot(), before);
  }
}

}  // namespace
