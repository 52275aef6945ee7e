// `scenarioc plot`: the SVG and the route viewer of the built-in scenario, read back as XML.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "platform/utf8.h"
#include "tests/support/given_scenario.h"
#include "tests/support/mini_xml.h"
#include "tests/support/scenario_sources.h"
#include "tests/support/tool_folder.h"
#include "tools/cli/exit_status.h"
#include "writers/writers.h"

namespace {

using model::FileKind;
using testing_support::kGivenScenario;
using testing_support::kGivenTrain;
using testing_support::parse_xml;
using testing_support::ToolOutcome;
using testing_support::XmlElement;

const std::vector<std::string> kStations = {
    "FIUMICINO AEROPORTO", "PONTE GALERIA", "MURATELLA",      "MAGLIANA",     "VILLA BONELLI",
    "ROMA TRASTEVERE",     "ROMA OSTIENSE", "ROMA TUSCOLANA", "ROMA TERMINI",
};

// The "x,y" pairs of a polyline.
std::vector<std::pair<double, double>> points(const XmlElement& polyline) {
  std::vector<std::pair<double, double>> out;
  std::istringstream in(polyline.attribute("points"));
  std::string pair;
  while (in >> pair) {
    const size_t comma = pair.find(',');
    EXPECT_NE(comma, std::string::npos) << pair;
    if (comma == std::string::npos) break;
    char* end = nullptr;
    const double x = std::strtod(pair.c_str(), &end);
    EXPECT_EQ(end, pair.c_str() + comma) << pair;
    const double y = std::strtod(pair.c_str() + comma + 1, &end);
    EXPECT_EQ(*end, '\0') << pair;
    out.emplace_back(x, y);
  }
  return out;
}

std::vector<std::string> texts(const XmlElement& group) {
  std::vector<std::string> out;
  for (const XmlElement* t : group.all("text")) out.push_back(t->text);
  return out;
}

size_t distinct_heights(const std::vector<std::pair<double, double>>& line) {
  std::set<double> ys;
  for (auto [x, y] : line) ys.insert(y);
  return ys.size();
}

// The curves of the built-in line source, in order: side and metres.
struct Curve {
  const char* side;
  int from, to;
};
const std::vector<Curve> kCurves = {
    {"left", 650, 950},      {"left", 950, 1050},     {"left", 1050, 1200},
    {"left", 1200, 1300},    {"right", 10350, 11050}, {"left", 11050, 12300},
    {"left", 12300, 12600},  {"right", 14050, 15000}, {"right", 15000, 15550},
    {"left", 15550, 16000},  {"left", 17600, 18350},  {"right", 18800, 20800},
    {"left", 20800, 21750},  {"left", 21750, 23100},  {"left", 23100, 23450},
    {"right", 23750, 24300}, {"right", 25150, 25550}, {"right", 27050, 27450},
    {"left", 28400, 29200},  {"right", 29200, 30000}, {"left", 30000, 30650},
    {"left", 31100, 32100},  {"left", 32350, 32950},  {"left", 32950, 33250},
};

// What a hover shows: the <title> directly inside an element.
std::string hover(const XmlElement& e) {
  for (const XmlElement& c : e.children)
    if (c.name == "title") return c.text;
  return {};
}

// Every element inside `e` whose class starts with `prefix`.
std::vector<const XmlElement*> of_class(const XmlElement& e, const std::string& prefix) {
  std::vector<const XmlElement*> out;
  for (const XmlElement& c : e.children) {
    if (c.attribute("class").rfind(prefix, 0) == 0) out.push_back(&c);
    for (const XmlElement* d : of_class(c, prefix)) out.push_back(d);
  }
  return out;
}

// A mark's outline and fill: its path's commands without the numbers.
std::string shape(const XmlElement& e) {
  std::string commands;
  for (char c : e.attribute("d"))
    if (std::isalpha(static_cast<unsigned char>(c))) commands += c;
  return commands + " " + e.attribute("fill");
}

// The picture without its hover texts.
std::string without_titles(std::string svg) {
  for (size_t at; (at = svg.find("<title>")) != std::string::npos;)
    svg.erase(at, svg.find("</title>", at) + 8 - at);
  return svg;
}

// The 1-based line of the first line of `lines` that starts with `prefix`.
template <class Lines>
int line_of(const Lines& lines, const std::string& prefix) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (std::string_view(lines[i]).substr(0, prefix.size()) == prefix)
      return static_cast<int>(i) + 1;
  ADD_FAILURE() << prefix;
  return 0;
}

class Plot : public testing_support::ToolFolder {
 protected:
  ToolOutcome plot(const std::string& output = "line.svg") {
    return scenarioc({"plot", folder_, "--scenario", kGivenScenario, "--train", kGivenTrain, "-o",
                      path(output)});
  }
  std::string svg_path() const { return path("line.svg"); }
  XmlElement picture(const std::string& name = "line.svg") {
    const std::string svg = read(path(name));
    XmlElement root;
    EXPECT_NO_THROW(root = parse_xml(svg)) << svg.substr(0, 400);
    return root;
  }

  // What the picture of the built-in scenario must show.
  void expect_given_picture(bool with_plan) {
    const XmlElement root = picture();
    EXPECT_EQ(root.name, "svg");
    EXPECT_EQ(root.attribute("xmlns"), "http://www.w3.org/2000/svg");

    // Stations: the first and the last are stops (flag 1, a scheduled
    // time), the seven between are passed through.
    const XmlElement* stations = root.by_id("stations");
    ASSERT_NE(stations, nullptr);
    EXPECT_EQ(texts(*stations), kStations);
    std::vector<std::string> platforms;
    for (const XmlElement* p : of_class(*stations, "platform"))
      platforms.push_back(p->attribute("class"));
    std::vector<std::string> expected(9, "platform pass");
    expected.front() = expected.back() = "platform stop";
    EXPECT_EQ(platforms, expected);

    // Each kind of signal (sx and dx) its own mark: twelve with sx 2, dx 2,
    // five with sx 1, dx 0, one with sx 1, dx 1.
    const XmlElement* signals = root.by_id("signals");
    ASSERT_NE(signals, nullptr);
    std::map<std::string, int> kinds;
    std::map<std::string, std::string> shape_of_kind;
    for (const XmlElement* s : of_class(*signals, "signal")) {
      ++kinds[s->attribute("class")];
      shape_of_kind[s->attribute("class")] = shape(*s);
    }
    EXPECT_EQ(kinds, (std::map<std::string, int>{
                         {"signal signal-3", 5}, {"signal signal-4", 1}, {"signal signal-8", 12}}));
    std::set<std::string> shapes;
    for (const auto& [kind, s] : shape_of_kind) shapes.insert(s);
    EXPECT_EQ(shapes.size(), 3u);

    // The axis runs to the last object placed (ROMA TERMINI's platform ends
    // at 35150 m) and 700 m more: 717 cells, not the 7000 m of run-on the
    // tables hold past the line's end at 35000 m.
    EXPECT_EQ(root.attribute("data-metres"), "35850.0");
    const XmlElement* line_end = root.by_id("line-end");
    ASSERT_NE(line_end, nullptr);
    ASSERT_EQ(line_end->all("line", "line-end").size(), 1u);
    EXPECT_EQ(line_end->all("line", "line-end")[0]->attribute("data-m0"), "35000.0");

    // The profiles with each step's value, in order, and a zero line.
    struct Profile {
      const char* id;
      size_t levels;
      std::vector<std::string> values;
    };
    for (const Profile& p : {
             Profile{"speed-limit", 6, {"60", "140", "80", "140", "70", "90", "140", "80", "30"}},
             Profile{"gradient", 5, {"0", "-3", "0", "2", "0", "-2", "0", "5", "0"}},
         }) {
      SCOPED_TRACE(p.id);
      const XmlElement* profile = root.by_id(p.id);
      ASSERT_NE(profile, nullptr);
      EXPECT_EQ(profile->name, "polyline");
      const auto line = points(*profile);
      EXPECT_EQ(line.size(), 2 * 717u);
      EXPECT_EQ(distinct_heights(line), p.levels);
      const XmlElement* values = root.by_id(std::string(p.id) + "-values");
      ASSERT_NE(values, nullptr);
      EXPECT_EQ(texts(*values), p.values);
      const XmlElement* zero = root.by_id(std::string(p.id) + "-zero");
      ASSERT_NE(zero, nullptr);
      ASSERT_EQ(zero->all("line", "zero").size(), 1u);
    }
    // The gradient's zero line lies on the level stretches.
    const auto gradient = points(*root.by_id("gradient"));
    EXPECT_EQ(std::to_string(gradient.front().second),
              std::to_string(std::strtod(
                  root.by_id("gradient-zero")->all("line", "zero")[0]->attribute("y1").c_str(),
                  nullptr)));

    // The features each have their own colour and a legend entry.
    const XmlElement* legend = root.by_id("legend");
    ASSERT_NE(legend, nullptr);
    for (const char* item :
         {"tunnel", "name board", "maximum-speed board", "signal sx 1, dx 0", "signal sx 1, dx 1",
          "signal sx 2, dx 2", "speed a train may run (slowdowns applied)", "station: stop",
          "station: pass-through", "left curve", "right curve", "slowdown",
          "slowdown warning board", "pre-warning", "marker (added)", "abbattimento", "line end"}) {
      const auto all = texts(*legend);
      EXPECT_NE(std::find(all.begin(), all.end(), item), all.end()) << item;
    }

    const XmlElement* plan = root.by_id("plan");
    const XmlElement* curves = root.by_id("curves");
    ASSERT_NE(curves, nullptr);
    if (!with_plan) {
      EXPECT_EQ(plan, nullptr);
      EXPECT_EQ(of_class(*curves, "curve").size(), 0u);
      return;
    }
    // Each curve of the source, on its side, from its start over its length.
    std::vector<std::string> drawn, wanted;
    for (const XmlElement* c : of_class(*curves, "curve"))
      drawn.push_back(c->attribute("class") + " " + c->attribute("data-m0") + " " +
                      c->attribute("data-m1"));
    for (const Curve& c : kCurves)
      wanted.push_back(std::string("curve ") + c.side + " " + std::to_string(c.from) + ".0 " +
                       std::to_string(c.to) + ".0");
    EXPECT_EQ(drawn, wanted);

    ASSERT_NE(plan, nullptr);
    const XmlElement* plan_stations = root.by_id("plan-stations");
    const XmlElement* plan_signals = root.by_id("plan-signals");
    const XmlElement* plan_boards = root.by_id("plan-boards");
    const XmlElement* plan_tunnels = root.by_id("plan-tunnels");
    ASSERT_NE(plan_stations, nullptr);
    ASSERT_NE(plan_signals, nullptr);
    ASSERT_NE(plan_boards, nullptr);
    ASSERT_NE(plan_tunnels, nullptr);
    ASSERT_NE(root.by_id("plan-line-end"), nullptr);
    ASSERT_NE(root.by_id("plan-run-on"), nullptr);
    // A point every 25 m of the line, 0 to 34975, and its end, 35000; the
    // plan is turned to run across the page and uses its width.
    const auto line = points(*plan);
    EXPECT_EQ(line.size(), 1401u);
    double min_x = 1e9, max_x = -1e9;
    for (auto [x, y] : line) min_x = std::min(min_x, x), max_x = std::max(max_x, x);
    EXPECT_GT(max_x - min_x, 0.8 * 1200);
    EXPECT_LT(line.front().first, line.back().first);
    EXPECT_EQ(texts(*plan_stations), kStations);
    EXPECT_EQ(of_class(*plan_stations, "station stop").size(), 2u);
    EXPECT_EQ(of_class(*plan_stations, "station pass").size(), 7u);
    EXPECT_EQ(of_class(*plan_signals, "signal").size(), 18u);
    EXPECT_EQ(plan_boards->all("path", "name-board").size(), 11u);
    EXPECT_EQ(texts(*plan_boards).size(), 11u);
    EXPECT_EQ(texts(*plan_boards).front(), "(SOTTOVIA    )(AUTOSTRADALE)");
    EXPECT_EQ(of_class(*plan_tunnels, "tunnel").size(), 10u);
  }
};

TEST_F(Plot, DrawsTheBuiltInScenarioFromItsSources) {
  write_given_sources();
  const auto sources = snapshot();
  ToolOutcome result = plot();
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  EXPECT_EQ(result.out, "wrote " + svg_path() + "\n");
  EXPECT_EQ(result.err, "");
  expect_given_picture(true);
  EXPECT_EQ(picture().by_id("status-banner"), nullptr);
  // The sources were compiled as a copy: they stay, and nothing else appears.
  auto after = snapshot();
  after.erase("line.svg");
  EXPECT_EQ(after, sources);
}

// Hovering an object shows the entry that put it there: its keyword, its
// values by field name and its file:line.
TEST_F(Plot, EachObjectFromTheSourcesCarriesItsEntryAndFileLine) {
  write_given_sources();
  ASSERT_EQ(plot().status, tools::kExitOk);
  const XmlElement root = picture();
  const std::string train = model::file_name(FileKind::kTrainSource, kGivenScenario, kGivenTrain);
  const std::string line = model::file_name(FileKind::kLineSource, kGivenScenario, kGivenTrain);
  const auto train_lines = writers::train_source_lines();
  const auto line_lines = writers::line_source_lines();

  EXPECT_EQ(hover(*of_class(*root.by_id("signals"), "signal")[0]),
            "signal sx 2, dx 2 at 1500 m (cell 31)\nsegnale: p 1500 m, sx 2, s1 4, s2 0, s3 0, "
            "rapp 0, dx 2, "
            "d1 2, d2 0, d3 0, tempo 0\n" +
                train + ":" + std::to_string(line_of(train_lines, "segnale,    1500,")));
  EXPECT_EQ(hover(*of_class(*root.by_id("stations"), "platform").back()),
            "station (stop, 10:39:00) ROMA TERMINI at 35000 m (cell 702), platform 34200 to "
            "35150 m\nstazione: "
            "position 35000 m, kind 5, length 800 m, f4 1, f5 0, f6 0, f7 1, f8 1, f9 0, f10 2, "
            "f11 1, f12 1, f13 0, hh 10 h, mm 39 min, ss 0 s, NAME ROMA TERMINI\n" +
                train + ":" + std::to_string(line_of(train_lines, "stazione,   35000,")));
  EXPECT_EQ(
      hover(*of_class(*root.by_id("curves"), "curve")[4]),
      "right curve, class 4 (radius 1000 m), 10350 to 11050 m\ncurvad4: s 10350 m, n 700 m\n" +
          line + ":" + std::to_string(line_of(line_lines, "curvad4,  10350,")));
  EXPECT_EQ(
      hover(*of_class(*root.by_id("plan-boards"), "name-board")[1]),
      "name board (SOTTOVIA )(MURATELLA) at 9900 m (cell 199)\ncartello_indicatore: p 9900 m, text "
      "(SOTTOVIA )(MURATELLA)\n" +
          line + ":" + std::to_string(line_of(line_lines, "cartello_indicatore,  9900,")));
  const auto steps = of_class(*root.by_id("gradient-steps"), "step");
  ASSERT_GE(steps.size(), 2u);
  EXPECT_EQ(hover(*steps[1]),
            "Gradient (per mille): -3 per mille, 1350 to 6350 m\npendenza: p 1350 m, g -3 per "
            "mille\n" +
                line + ":" + std::to_string(line_of(line_lines, "pendenza,  1350,")));
}

TEST_F(Plot, DrawsTheSamePictureFromTheBinaryFilesWithTheCellsInTheHover) {
  write_given_sources();
  ASSERT_EQ(plot().status, tools::kExitOk);
  const std::string from_sources = read(svg_path());

  compile_given_scenario();  // the sources are gone now
  ToolOutcome result = plot();
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  expect_given_picture(true);
  EXPECT_EQ(without_titles(read(svg_path())), without_titles(from_sources));
  // No author's metres in the binary files: the cell with the metres it covers.
  EXPECT_EQ(hover(*of_class(*picture().by_id("signals"), "signal")[0]),
            "signal sx 2, dx 2 at cell 31 (1550 to 1600 m)\ncell 31: value_a 42, value_b 0, "
            "value_c 0, value_d 8, "
            "signal_time 0");
}

TEST_F(Plot, WithoutTheGeometryFileDrawsEverythingButThePlanAndTheCurves) {
  compile_given_scenario();
  std::filesystem::remove(path(FileKind::kLineGeometry));
  ToolOutcome result = plot();
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  expect_given_picture(false);
  EXPECT_NE(read(svg_path()).find("(no line geometry)"), std::string::npos);
}

TEST_F(Plot, AFaultySourceIsDrawnAsFarAsItWasReadUnderABanner) {
  const auto train =
      testing_support::train_source_with({"segnale,    1500,   2, 4, 0,  0, 0,    2,  2,0,0, 0"});
  write_sources(testing_support::given_line_source(), train);
  ToolOutcome result = plot();
  EXPECT_EQ(result.status, tools::kExitOk);
  EXPECT_EQ(result.err,
            "scenarioc: note: the sources compile with status 16; run 'scenarioc check' for "
            "where\n");
  const XmlElement root = picture();
  const XmlElement* banner = root.by_id("status-banner");
  ASSERT_NE(banner, nullptr);
  const auto lines = texts(*banner);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("status 16"), std::string::npos) << lines[0];
  // The first error, where check puts it: the second signal at 1500 m.
  int second = 0;
  for (size_t i = 0, seen = 0; i < train.size(); ++i)
    if (train[i].rfind("segnale,    1500,", 0) == 0 && ++seen == 2)
      second = static_cast<int>(i) + 1;
  EXPECT_EQ(lines[1].rfind(model::file_name(FileKind::kTrainSource, kGivenScenario, kGivenTrain) +
                               ":" + std::to_string(second) + ": ",
                           0),
            0u)
      << lines[1];
}

// The banner quotes the field the compile could not read, cut at 37 bytes:
// between two characters, so the SVG is XML and the page whole UTF-8.
TEST_F(Plot, ABannerQuotingALongFieldOutsideAsciiKeepsBothOutputsWellFormed) {
  write_sources(testing_support::given_line_source(),
                testing_support::replacing(
                    testing_support::given_train_source(), "stazione,   26650",
                    "stazione,   26650,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, "
                    "PONTE GALERIA - FIERA DI ROMA E CITTÀ DELLA SCIENZA"));
  ASSERT_EQ(plot().status, tools::kExitOk);
  const std::string svg = read(svg_path());
  EXPECT_TRUE(platform::is_utf8(svg));
  const XmlElement root = picture();
  const XmlElement* banner = root.by_id("status-banner");
  ASSERT_NE(banner, nullptr);
  const auto lines = texts(*banner);
  ASSERT_EQ(lines.size(), 2u);
  const std::string quoted = ", found 'PONTE GALERIA - FIERA DI ROMA E CITT...'";
  EXPECT_EQ(lines[1].substr(lines[1].size() - std::min(lines[1].size(), quoted.size())), quoted);

  ASSERT_EQ(plot("viewer.html").status, tools::kExitOk);
  EXPECT_TRUE(platform::is_utf8(read(path("viewer.html"))));
}

// Slowdowns, their boards, the markers the compiler adds and abbattimento
// entries are told apart; from the binary files a marker with a value cannot
// be told from an added one.
TEST_F(Plot, SlowdownsBoardsAndMarkersEachHaveTheirOwnKind) {
  const auto line = testing_support::given_line_source();
  const auto train = testing_support::train_source_with(
      {"rallentamento,   5000,   80,   500,   0,   1,   0", "abbattimento,   9000,   0",
       "abbattimento,   13000,   7"});
  auto count = [&](const std::string& cls) {
    return of_class(*picture().by_id("slowdowns"), cls).size();
  };
  write_sources(line, train);
  ASSERT_EQ(plot().status, tools::kExitOk);
  EXPECT_EQ(count("slowdown"), 1u);
  EXPECT_EQ(count("warning-board"), 1u);
  EXPECT_EQ(count("pre-warning"), 4u);
  EXPECT_EQ(count("abbattimento"), 2u);
  const size_t added = count("marker");
  EXPECT_GT(added, 0u);

  ASSERT_EQ(scenarioc({"compile", folder_, "--scenario", kGivenScenario, "--train", kGivenTrain,
                       "--delete-sources"})
                .status,
            tools::kExitOk);
  ASSERT_EQ(plot().status, tools::kExitOk);
  EXPECT_EQ(count("abbattimento"), 1u);
  EXPECT_EQ(count("marker"), added + 1);
}

// The speed profile shows, beside the line speed, the speed a train may run:
// the slowdown's 80 km/h over its metres 5000 to 5500, where the line runs
// at 140.
TEST_F(Plot, TheSpeedProfileAppliesTheSlowdownsBesideTheLineSpeed) {
  const auto train =
      testing_support::train_source_with({"rallentamento,   5000,   80,   500,   0,   0,   0"});
  write_sources(testing_support::given_line_source(), train);
  ASSERT_EQ(plot().status, tools::kExitOk);
  const XmlElement root = picture();
  const auto line = points(*root.by_id("speed-limit"));
  const auto permitted = points(*root.by_id("permitted-speed"));
  ASSERT_EQ(permitted.size(), line.size());
  // Two points a cell: cells 100 to 109 differ, and nothing else.
  std::vector<size_t> lowered;
  for (size_t i = 0; i < line.size(); ++i)
    if (permitted[i] != line[i]) lowered.push_back(i / 2);
  std::vector<size_t> span;
  for (size_t cell = 100; cell <= 109; ++cell) span.insert(span.end(), {cell, cell});
  EXPECT_EQ(lowered, span);
  EXPECT_GT(permitted[200].second, line[200].second);  // lower on the page: slower

  EXPECT_EQ(texts(*root.by_id("permitted-speed-values")), std::vector<std::string>{"80"});
  const auto steps = of_class(*root.by_id("permitted-speed-steps"), "step");
  ASSERT_EQ(steps.size(), 1u);
  const std::string file = model::file_name(FileKind::kTrainSource, kGivenScenario, kGivenTrain);
  const std::string entry =
      "rallentamento: start 5000 m, v 80 km/h, length 500 m, f_tt 0, f_ta 0, d_v 0\n" + file + ":" +
      std::to_string(line_of(train, "rallentamento,"));
  EXPECT_EQ(hover(*steps[0]),
            "Speed a train may run, slowdowns applied (km/h): 80 km/h, 5000 to 5500 m\n" + entry);
  // The slowdown's own bar: its start where the author put it, its end cell
  // with the metres the cell covers.
  EXPECT_EQ(hover(*of_class(*root.by_id("slowdowns"), "slowdown")[0]),
            "slowdown 80 km/h at 5000 m (cell 101) to cell 111 (5550 to 5600 m)\n" + entry);
}

// The route viewer: the same picture in one page that needs nothing else.
TEST_F(Plot, TheHtmlPageEmbedsThePictureAndReferencesNothingOutside) {
  write_given_sources();
  ASSERT_EQ(plot().status, tools::kExitOk);
  const std::string svg = read(svg_path());
  ToolOutcome result = plot("viewer.HTML");
  ASSERT_EQ(result.status, tools::kExitOk) << result.err;
  const std::string page = read(path("viewer.HTML"));
  EXPECT_EQ(page.rfind("<!DOCTYPE html>\n", 0), 0u);
  for (const char* outside : {"http:", "https:", "ftp:", "file:", " src=", " href=", "@import"})
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  // The picture is the SVG file's, but for its XML declaration and namespace.
  const size_t from = page.find("<svg "), to = page.find("</svg>\n");
  ASSERT_NE(from, std::string::npos);
  ASSERT_NE(to, std::string::npos);
  std::string standalone = svg.substr(svg.find("<svg "));
  standalone.erase(standalone.find(" xmlns=\"http://www.w3.org/2000/svg\""), 35);
  EXPECT_EQ(page.substr(from, to + 7 - from), standalone);
  EXPECT_NE(page.find("<script>"), std::string::npos);
  EXPECT_NE(page.find("id=\"tip\""), std::string::npos);
}

TEST_F(Plot, AnOutputNameOfAnotherKindIsRefusedAndNothingIsWritten) {
  compile_given_scenario();
  const auto before = snapshot();
  for (const char* name : {"line.png", "line", "line.svg.txt", "svg"}) {
    ToolOutcome result = plot(name);
    EXPECT_EQ(result.status, tools::kExitPlatform) << name;
    EXPECT_EQ(result.err, "scenarioc: -o " + path(name) +
                              ": the name must end in .svg (a picture) or .html (the route "
                              "viewer)\n");
    EXPECT_EQ(snapshot(), before) << name;
  }
}

TEST_F(Plot, NothingToDrawFromIsAnErrorAndWritesNothing) {
  // Only one source, and no binary files.
  ASSERT_FALSE(testing_support::write_source(platform::default_env(), path(FileKind::kLineSource),
                                             testing_support::given_line_source()));
  ToolOutcome missing = plot();
  EXPECT_EQ(missing.status, tools::kExitPlatform);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find(path(FileKind::kService)), std::string::npos) << missing.err;
  EXPECT_FALSE(std::filesystem::exists(svg_path()));

  // A cell file cut by a byte.
  compile_given_scenario();
  const std::string cells = read(path(FileKind::kCells));
  put(model::file_name(FileKind::kCells, kGivenScenario, kGivenTrain),
      cells.substr(0, cells.size() - 1));
  ToolOutcome cut = plot();
  EXPECT_EQ(cut.status, tools::kExitPlatform);
  EXPECT_NE(cut.err.find("not a whole number of 15-byte cells"), std::string::npos) << cut.err;
  EXPECT_FALSE(std::filesystem::exists(svg_path()));
}

TEST_F(Plot, AGeometryFileWithANonFiniteValueIsRefusedNamingTheFileAndTheByte) {
  compile_given_scenario();
  std::string geometry = read(path(FileKind::kLineGeometry));
  // Metre 652 of column 1 (its tag at byte column + 8 + 650 * 10) as NaN.
  const size_t at = testing_support::kGivenGeometryColumnBytes + 8 + 650 * 10;
  geometry.replace(at + 2, 8, std::string("\0\0\0\0\0\0\xF8\xFF", 8));
  put(model::file_name(FileKind::kLineGeometry, kGivenScenario, kGivenTrain), geometry);
  ToolOutcome result = plot();
  EXPECT_EQ(result.status, tools::kExitPlatform);
  EXPECT_EQ(result.err, "scenarioc: " + path(FileKind::kLineGeometry) + ": the Double at byte " +
                            std::to_string(at) + " is not a number (not a line geometry file)\n");
  EXPECT_FALSE(std::filesystem::exists(svg_path()));
}

// Plan values that are finite but extreme are accepted; what the picture
// derives from them (the turn between two steps, the curve's radius, the
// place on the page) stays a number, in the hovers too.
TEST_F(Plot, ExtremeFinitePlanValuesGiveNoNonFiniteNumberAnywhere) {
  compile_given_scenario();
  std::string geometry = read(path(FileKind::kLineGeometry));
  const auto put_double = [&](size_t column, size_t metre, double value) {
    const size_t at = column * testing_support::kGivenGeometryColumnBytes + 8 + (metre - 2) * 10;
    ASSERT_EQ(geometry.substr(at, 2), std::string("\x05\0", 2));  // a Double
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    for (int i = 0; i < 8; ++i) geometry[at + 2 + i] = static_cast<char>(bits >> (8 * i) & 0xFF);
  };
  // Inside the first curve, 650 to 950 m, and on a straight after it.
  // Points 25 m apart are drawn: 800 and 5000 m are two, 2e308 apart.
  put_double(0, 800, 1e308);
  put_double(1, 801, -1e300);
  put_double(0, 802, -1e300);
  put_double(0, 5000, -1e308);
  put_double(1, 5000, 1e308);
  put(model::file_name(FileKind::kLineGeometry, kGivenScenario, kGivenTrain), geometry);
  for (const char* name : {"line.svg", "viewer.html"}) {
    ToolOutcome result = plot(name);
    ASSERT_EQ(result.status, tools::kExitOk) << result.err;
    // The picture, without the page's script.
    std::string out = read(path(name));
    out = out.substr(out.find("<svg "), out.find("</svg>") - out.find("<svg "));
    for (const char* word : {"nan", "inf"}) {
      const size_t at = out.find(word);
      EXPECT_EQ(at, std::string::npos) << name << ": " << out.substr(at < 60 ? 0 : at - 60, 120);
    }
  }
}

TEST_F(Plot, AnEmptyOutputNameIsRefusedAndNothingIsWritten) {
  compile_given_scenario();
  const auto before = snapshot();
  ToolOutcome result =
      scenarioc({"plot", folder_, "--scenario", kGivenScenario, "--train", kGivenTrain, "-o", ""});
  EXPECT_EQ(result.status, tools::kExitPlatform);
  EXPECT_EQ(result.err, "scenarioc: -o: the name of the output file is empty\n");
  EXPECT_EQ(snapshot(), before);
}

// The reader that checks the pictures must refuse what is not XML.
TEST(MiniXml, RefusesWhatIsNotWellFormed) {
  EXPECT_NO_THROW(
      parse_xml("<?xml version=\"1.0\"?>\n<a x=\"1\"><b/>t &amp; u<c y='2'></c></a>\n"));
  for (const char* bad : {
           "<a><b></a></b>",        // crossed
           "<a><b></b>",            // not closed
           "<a x=1/>",              // unquoted
           "<a x=\"1\" x=\"2\"/>",  // repeated
           "<a>AT&T</a>",           // stray ampersand
           "<a>1 < 2</a>",          // stray '<'
           "<a/><b/>",              // two roots
           "<a x=\"1\"y=\"2\"/>",   // no blank between attributes
       }) {
    EXPECT_THROW(parse_xml(bad), testing_support::XmlError) << bad;
  }
}

}  // namespace
