// `scenarioc decode`: the three binary files of the built-in scenario in
// readable form, and files of the wrong size or kind refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "tests/support/given_scenario.h"
#include "tests/support/scenario_sources.h"
#include "tests/support/tool_folder.h"
#include "tools/cli/exit_status.h"
#include "writers/writers.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using model::FileKind;
using testing_support::kGivenScenario;
using testing_support::kGivenTrain;
using testing_support::ToolOutcome;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool has_line(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::vector<std::string> starting_with(const std::vector<std::string>& lines,
                                       const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& l : lines)
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  return out;
}

class Decode : public testing_support::ToolFolder {
 protected:
  void SetUp() override {
    ToolFolder::SetUp();
    compile_given_scenario();
  }
  ToolOutcome decode(const std::string& file, bool json = false) {
    std::vector<std::string> args = {"decode", file};
    if (json) args.push_back("--json");
    return scenarioc(args);
  }
  // The text of a decoded file of the given scenario, line by line.
  std::vector<std::string> decoded(FileKind kind) {
    ToolOutcome result = decode(path(kind));
    EXPECT_EQ(result.status, tools::kExitOk) << result.err;
    EXPECT_EQ(result.err, "");
    return lines_of(result.out);
  }
};

#define EXPECT_LINE(lines, line) EXPECT_TRUE(has_line(lines, line)) << "no line: " << line

TEST_F(Decode, ServiceFileShowsStationsBoardTextsAndSettingsByName) {
  const auto lines = decoded(FileKind::kService);
  // The two stops, every field.
  EXPECT_LINE(lines,
              "station 1 FIUMICINO AEROPORTO: kind 11, position 0 m, platform -300 to 300 m, "
              "time 10:07:00, flag_a 1, word_a..e 4 1 2 1 1, byte_a..d 0 1 0 0");
  EXPECT_LINE(lines,
              "station 9 ROMA TERMINI: kind 5, position 35000 m, platform 34200 to 35150 m, "
              "time 10:39:00, flag_a 1, word_a..e 1 1 2 1 1, byte_a..d 0 0 0 0");
  // A station the train passes: 500 m centred on 26650.
  EXPECT_LINE(lines,
              "station 7 ROMA OSTIENSE: kind 2, position 26650 m, platform 26400 to 26900 m, "
              "time 00:00:00, flag_a 0, word_a..e 1 1 4 1 1, byte_a..d 0 0 0 0");
  const auto stations = starting_with(lines, "station ");
  ASSERT_EQ(stations.size(), 9u);
  const char* names[] = {
      "FIUMICINO AEROPORTO", "PONTE GALERIA", "MURATELLA",      "MAGLIANA",    "VILLA BONELLI",
      "ROMA TRASTEVERE",     "ROMA OSTIENSE", "ROMA TUSCOLANA", "ROMA TERMINI"};
  for (size_t i = 0; i < 9; ++i)
    EXPECT_EQ(stations[i].rfind("station " + std::to_string(i + 1) + " " + names[i] + ": ", 0), 0u)
        << stations[i];

  // Board texts from record 80 down, in the line source's order.
  EXPECT_EQ(starting_with(lines, "name board text ").size(), 11u);
  EXPECT_LINE(lines, "name board text 80: (SOTTOVIA    )(AUTOSTRADALE)");
  EXPECT_LINE(lines, "name board text 70: (SOTTOVIA)(APPIA   )");

  EXPECT_LINE(lines, "kilometric progressive 81: start 0, end 35100, flag 1");
  EXPECT_LINE(lines, "braked mass 150 %, line length 35000 m, coaches 5");
  EXPECT_LINE(lines,
              "scenario Fiumicino Aeroporto_Roma: backgrounds 1 0 0, fixed value 610, "
              "weighted competition code " +
                  std::to_string(testing_support::weighted_code(testing_support::kGivenWindow)));
  EXPECT_LINE(lines, "train 3291: signal repetition 0 0 code 0, sand 0, clock 10:05:30");
}

TEST_F(Decode, CellFileNamesEachKindAndUnpacksItsValues) {
  const auto lines = decoded(FileKind::kCells);
  EXPECT_EQ(lines.front(), "841 cells");
  // "segnale, 1500, 2, 4, 0, 0, 0, 2, 2,0,0, 0": sx 2, s1 4, dx 2, d1 2.
  EXPECT_LINE(
      lines,
      "cell 31 (1550 to 1600 m): signal: s1 4, d1 2, s2 0, d2 0, s3 0, d3 0, rapp 0, sx 2, dx 2, "
      "tempo 0");
  // "segnale, 25200, 1, 4, 1, 1, 0, 1, 2,1,1, 0" and the one with a delay.
  EXPECT_LINE(
      lines,
      "cell 505 (25250 to 25300 m): signal: s1 4, d1 2, s2 1, d2 1, s3 1, d3 1, rapp 0, sx 1, "
      "dx 1, tempo 0");
  EXPECT_LINE(
      lines,
      "cell 565 (28250 to 28300 m): signal: s1 4, d1 2, s2 0, d2 0, s3 0, d3 0, rapp 0, sx 2, "
      "dx 2, tempo 160");
  EXPECT_EQ(starting_with(lines, "cell ").size() > 18, true);
  size_t signals = 0;
  for (const std::string& l : lines) signals += l.find("): signal: ") != std::string::npos;
  EXPECT_EQ(signals, 18u);

  // Speed boards per group; the board at 1300 also carries a repeat code of
  // the signal at 1500.
  EXPECT_LINE(
      lines,
      "cell 27 (1350 to 1400 m): maximum-speed board: first_group 140/150/160 km/h stripes 0, "
      "second_group 140/150/160 km/h stripes 0, repeat code 82 (before a signal with "
      "sx*3+dx = 8, or a station end, k = 2)");
  EXPECT_LINE(
      lines,
      "cell 155 (7750 to 7800 m): maximum-speed board: first_group 80/80/90 km/h stripes 2, "
      "second_group 80/80/90 km/h stripes 2");
  EXPECT_LINE(lines, "cell 5 (250 to 300 m): station marker: station_record 1");
  EXPECT_LINE(lines, "cell 702 (35100 to 35150 m): station marker: station_record 9");
  EXPECT_LINE(lines, "cell 144 (7200 to 7250 m): name board: text_record 80, tunnel type 2");
  EXPECT_LINE(lines,
              "cell 1 (50 to 100 m): nothing: fixed_value 5121, plain_competition_code " +
                  std::to_string(testing_support::plain_code(testing_support::kGivenWindow)) +
                  ", value_c 0, value_d 0");
  // The profiles, as runs of cells.
  EXPECT_LINE(lines, "speed_limit_kmh cells 26-207: 140");
  EXPECT_LINE(lines, "speed_limit_kmh cells 679-837: 30");
  EXPECT_LINE(lines, "gradient_per_mille cells 27-126: -3");
  EXPECT_LINE(lines, "gradient_per_mille cells 838-840: not set");
  EXPECT_LINE(lines, "adhesion cells 0-837: 100");
}

// The given boards repeat one group in the other; a board whose groups
// differ, stripes included, shows which digits belong to which group.
TEST_F(Decode, ASpeedBoardShowsEachGroupWithItsOwnSpeedsAndStripes) {
  write_sources(testing_support::line_source_with(
                    {"indicatori_vmax,  20000,  100,  110,  120,  3,  60,  70,  85,  1"}),
                testing_support::given_train_source());
  ToolOutcome compiled =
      scenarioc({"compile", folder_, "--scenario", kGivenScenario, "--train", kGivenTrain});
  ASSERT_EQ(compiled.status, tools::kExitOk) << compiled.out << compiled.err;
  const auto lines = decoded(FileKind::kCells);
  EXPECT_LINE(
      lines,
      "cell 401 (20050 to 20100 m): maximum-speed board: first_group 100/110/120 km/h stripes 3, "
      "second_group 60/70/85 km/h stripes 1");
}

// Point 651 is the first step of the curve at 650: x is the double -0.003.
TEST_F(Decode, GeometryShowsThePlanToFullPrecision) {
  const auto lines = decoded(FileKind::kLineGeometry);
  ASSERT_EQ(lines.size(), 1u + 42001u);
  EXPECT_EQ(lines[0], "metre, x, y");
  EXPECT_EQ(lines[1], "0, 0, 0");
  EXPECT_EQ(lines[2], "1, 0, 1");
  EXPECT_EQ(lines[1 + 651], "651, -0.003, 651");
  EXPECT_EQ(lines.back(), "42000, empty, empty");

  // Every printed number reads back as exactly the double in the file.
  const std::string geometry = read(FileKind::kLineGeometry);
  const size_t column = testing_support::kGivenGeometryColumnBytes;
  for (int metre : {651, 652, 950, 20000, 41998}) {
    SCOPED_TRACE(metre);
    const size_t row = 8 + (static_cast<size_t>(metre) - 2) * 10 + 2;
    const std::string& line = lines[1 + static_cast<size_t>(metre)];
    const size_t first = line.find(", "), second = line.find(", ", first + 2);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(std::strtod(line.c_str() + first + 2, nullptr),
              testing_support::le_double(geometry, row));
    EXPECT_EQ(std::strtod(line.c_str() + second + 2, nullptr),
              testing_support::le_double(geometry, column + row));
  }
}

TEST_F(Decode, JsonOfEachFileParses) {
  const auto service = nlohmann::json::parse(decode(path(FileKind::kService), true).out);
  ASSERT_EQ(service["stations"].size(), 9u);
  EXPECT_EQ(service["stations"][0]["name"], "FIUMICINO AEROPORTO");
  EXPECT_EQ(service["stations"][0]["time"], "10:07:00");
  EXPECT_EQ(service["stations"][8]["time"], "10:39:00");
  EXPECT_EQ(service["stations"][8]["start_m"], 34200);
  EXPECT_EQ(service["stations"][8]["end_m"], 35150);
  EXPECT_EQ(service["name_boards"].size(), 11u);
  EXPECT_EQ(service["train"]["braked_mass_percent"], 150);
  EXPECT_EQ(service["train_settings"]["clock"], "10:05:30");

  const auto cells = nlohmann::json::parse(decode(path(FileKind::kCells), true).out);
  EXPECT_EQ(cells["cell_count"], 841);
  const auto signal = std::find_if(cells["cells"].begin(), cells["cells"].end(),
                                   [](const nlohmann::json& c) { return c["cell"] == 31; });
  ASSERT_NE(signal, cells["cells"].end());
  EXPECT_EQ((*signal)["kind_name"], "signal");
  EXPECT_EQ((*signal)["values"], (nlohmann::json{{"s1", 4},
                                                 {"d1", 2},
                                                 {"s2", 0},
                                                 {"d2", 0},
                                                 {"s3", 0},
                                                 {"d3", 0},
                                                 {"rapp", 0},
                                                 {"sx", 2},
                                                 {"dx", 2},
                                                 {"tempo", 0}}));

  const auto plan = nlohmann::json::parse(decode(path(FileKind::kLineGeometry), true).out);
  EXPECT_EQ(plan["last_metre"], 42000);
  EXPECT_EQ(plan["points_metre_x_y"][651], (nlohmann::json{651, -0.003, 651.0}));
  EXPECT_EQ(plan["points_metre_x_y"][42000], (nlohmann::json{42000, nullptr, nullptr}));
}

TEST_F(Decode, TheLargestCellFileALineCanGiveIsRead) {
  put("x_1.dat", std::string(20141 * 15, '\0'));
  ToolOutcome result = decode(path("x_1.dat"));
  // A refused file prints nothing: stop here rather than read a first line.
  ASSERT_EQ(result.status, tools::kExitOk) << result.err;
  const auto lines = lines_of(result.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "20141 cells");
}

#ifndef _WIN32
// A folder, a device and a pipe under a binary file's name are refused at once.
TEST_F(Decode, RefusesAnythingButARegularFileWithoutWaiting) {
  std::filesystem::create_directory(path("folder_1.dat"));
  std::filesystem::create_symlink("/dev/zero", path("zero_1.dat"));
  ASSERT_EQ(::mkfifo(path("pipe_1.sim").c_str(), 0600), 0);
  for (const char* name : {"folder_1.dat", "zero_1.dat", "pipe_1.sim"}) {
    ToolOutcome result = decode(path(name));
    EXPECT_EQ(result.status, tools::kExitPlatform) << name;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "scenarioc: " + path(name) + ": cannot read '" + path(name) +
                              "': not a regular file\n");
  }
}
#endif

// --- Files that are not what their name says ----------------------------------------------

struct BadFile {
  const char* name;
  const char* file_name;
  // The bytes from the given scenario's files: "cells", "service", "geometry".
  std::string (*content)(const std::string& cells, const std::string& service,
                         const std::string& geometry);
  const char* says;  // a part of the message, or all of it
  friend void PrintTo(const BadFile& c, std::ostream* os) { *os << c.name; }
};

class DecodeRefuses : public Decode, public ::testing::WithParamInterface<BadFile> {};

TEST_P(DecodeRefuses, WithAClearErrorAndStatus2) {
  const BadFile& c = GetParam();
  const std::string file = path(c.file_name);
  if (c.content)
    put(c.file_name,
        c.content(read(FileKind::kCells), read(FileKind::kService), read(FileKind::kLineGeometry)));
  for (bool json : {false, true}) {
    ToolOutcome result = decode(file, json);
    EXPECT_EQ(result.status, tools::kExitPlatform);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("scenarioc: " + file + ": ", 0), 0u) << result.err;
    std::string says = c.says;
    if (const size_t star = says.find('*'); star != std::string::npos) says.replace(star, 1, file);
    EXPECT_NE(result.err.find(says), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  }
}

INSTANTIATE_TEST_SUITE_P(
    WrongSizeOrKind, DecodeRefuses,
    ::testing::Values(
        BadFile{"cell_file_cut_by_one_byte", "x_1.dat",
                [](const std::string& c, const std::string&, const std::string&) {
                  return c.substr(0, c.size() - 1);
                },
                "the size 12614 is not a whole number of 15-byte cells (not a cell file)"},
        BadFile{"empty_cell_file", "x_1.dat",
                [](const std::string&, const std::string&, const std::string&) {
                  return std::string();
                },
                "the size 0 is not a whole number of 15-byte cells (not a cell file)"},
        BadFile{
            "service_file_with_extra_bytes", "x_1.sim",
            [](const std::string&, const std::string& s, const std::string&) { return s + "ab"; },
            "2 bytes follow the 87 records (not a service file)"},
        BadFile{"service_file_cut_short", "x_1.sim",
                [](const std::string&, const std::string& s, const std::string&) {
                  return s.substr(0, 100);
                },
                "record 2 is cut short (not a service file)"},
        BadFile{"cell_file_named_as_a_service_file", "x_1.sim",
                [](const std::string& c, const std::string&, const std::string&) { return c; },
                "(not a service file)"},
        BadFile{"service_file_named_as_a_cell_file", "x_1.dat",
                [](const std::string&, const std::string& s, const std::string&) { return s; },
                "the size 3358 is not a whole number of 15-byte cells (not a cell file)"},
        BadFile{"geometry_with_a_bad_tag", "x_linea.dat",
                [](const std::string&, const std::string&, const std::string& g) {
                  return "\x07" + g.substr(1);
                },
                "unknown value tag 7 at byte 0 (not a line geometry file)"},
        BadFile{"geometry_cut_inside_a_double", "x_linea.dat",
                [](const std::string&, const std::string&, const std::string& g) {
                  return g.substr(0, 8 + 5);
                },
                "a Double is cut short at byte 10"},
        BadFile{"geometry_with_an_odd_number_of_values", "x_linea.dat",
                [](const std::string&, const std::string&, const std::string& g) {
                  return g.substr(0, g.size() - 2);
                },
                "the file holds 84001 values, not two equal columns (not a line geometry file)"},
        BadFile{"geometry_with_a_nan", "x_linea.dat",
                [](const std::string&, const std::string&, const std::string& g) {
                  // Metre 3 of column 0: its Double's tag is at byte 8 + 10.
                  return g.substr(0, 20) + std::string("\0\0\0\0\0\0\xF8\x7F", 8) + g.substr(28);
                },
                "the Double at byte 18 is not a number (not a line geometry file)"},
        BadFile{"geometry_with_an_infinity", "x_linea.dat",
                [](const std::string&, const std::string&, const std::string& g) {
                  // The last Double of the file, in column 1, as -infinity; its tag is at
                  // byte 839950.
                  const size_t at = g.size() - 2 * 2 - 8;
                  return g.substr(0, at) + std::string("\0\0\0\0\0\0\xF0\xFF", 8) +
                         g.substr(at + 8);
                },
                "the Double at byte 839950 is infinite (not a line geometry file)"},
        BadFile{"cell_file_one_cell_larger_than_the_longest_line_gives", "x_1.dat",
                [](const std::string&, const std::string&, const std::string&) {
                  return std::string(20142 * 15, '\0');
                },
                "cannot read '*': 302130 bytes, more than the 302115 allowed"},
        BadFile{"service_file_larger_than_any", "x_1.sim",
                [](const std::string&, const std::string& s, const std::string&) {
                  return s + std::string(87 * (34 + 65535) + 1 - s.size(), 'x');
                },
                "5704504 bytes, more than the 5704503 allowed"},
        BadFile{"a_name_of_no_kind", "x_1.txt",
                [](const std::string& c, const std::string&, const std::string&) { return c; },
                "not a scenario binary file (the name must end in _linea.dat, .sim or .dat)"},
        BadFile{"a_missing_file", "missing.sim", nullptr, "cannot open"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
