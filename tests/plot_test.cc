// `scenarioc plot`: the SVG of the built-in scenario, read back as XML.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "tools/exit_status.h"
#include "writers/writers.h"
#include "tests/support/given_scenario.h"
#include "tests/support/mini_xml.h"
#include "tests/support/scenario_sources.h"
#include "tests/support/tool_folder.h"

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

class Plot : public testing_support::ToolFolder {
 protected:
  ToolOutcome plot() {
    return scenarioc(
        {"plot", folder_, "--scenario", kGivenScenario, "--train", kGivenTrain, "-o", svg_path()});
  }
  std::string svg_path() const { return path("line.svg"); }

  // What the picture of the built-in scenario must show.
  void expect_given_picture(bool with_plan) {
    const std::string svg = read(svg_path());
    XmlElement root;
    ASSERT_NO_THROW(root = parse_xml(svg)) << svg.substr(0, 400);
    EXPECT_EQ(root.name, "svg");
    EXPECT_EQ(root.attribute("xmlns"), "http://www.w3.org/2000/svg");

    const XmlElement* stations = root.by_id("stations");
    ASSERT_NE(stations, nullptr);
    EXPECT_EQ(texts(*stations), kStations);
    EXPECT_EQ(stations->all("rect", "platform").size(), 9u);

    const XmlElement* signals = root.by_id("signals");
    ASSERT_NE(signals, nullptr);
    EXPECT_EQ(signals->all("circle", "signal").size(), 18u);

    // The profiles are the line's: seven speed levels (60, 140, 80, 70, 90,
    // 30 km/h and the three cells at the end without one) and five gradients
    // (0, -3, 2, -2 and 5 per mille) over the whole distance axis.
    for (auto [id, levels] : {std::pair{"speed-limit", 7u}, std::pair{"gradient", 5u}}) {
      SCOPED_TRACE(id);
      const XmlElement* profile = root.by_id(id);
      ASSERT_NE(profile, nullptr);
      EXPECT_EQ(profile->name, "polyline");
      const auto line = points(*profile);
      EXPECT_EQ(line.size(), 2 * 841u);
      EXPECT_EQ(distinct_heights(line), levels);
    }

    const XmlElement* plan = root.by_id("plan");
    const XmlElement* plan_stations = root.by_id("plan-stations");
    const XmlElement* plan_signals = root.by_id("plan-signals");
    if (!with_plan) {
      EXPECT_EQ(plan, nullptr);
      return;
    }
    ASSERT_NE(plan, nullptr);
    ASSERT_NE(plan_stations, nullptr);
    ASSERT_NE(plan_signals, nullptr);
    // A point every 25 m of the plan, 0 to 41975, and its last point, 41998;
    // a line that bends: its points span both directions of the page.
    const auto line = points(*plan);
    EXPECT_EQ(line.size(), 1681u);
    double min_x = 1e9, max_x = -1e9, min_y = 1e9, max_y = -1e9;
    for (auto [x, y] : line) {
      min_x = std::min(min_x, x), max_x = std::max(max_x, x);
      min_y = std::min(min_y, y), max_y = std::max(max_y, y);
    }
    EXPECT_GT(max_x - min_x, 500);
    EXPECT_GT(max_y - min_y, 200);
    EXPECT_EQ(texts(*plan_stations), kStations);
    EXPECT_EQ(plan_stations->all("rect", "station").size(), 9u);
    EXPECT_EQ(plan_signals->all("circle", "signal").size(), 18u);
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
  // The sources were compiled as a copy: they stay, and nothing else appears.
  auto after = snapshot();
  after.erase("line.svg");
  EXPECT_EQ(after, sources);
}

TEST_F(Plot, DrawsTheSamePictureFromTheBinaryFiles) {
  write_given_sources();
  ASSERT_EQ(plot().status, tools::kExitOk);
  const std::string from_sources = read(svg_path());

  compile_given_scenario();  // the sources are gone now
  ToolOutcome result = plot();
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  expect_given_picture(true);
  EXPECT_EQ(read(svg_path()), from_sources);
}

TEST_F(Plot, WithoutTheGeometryFileDrawsEverythingButThePlan) {
  compile_given_scenario();
  std::filesystem::remove(path(FileKind::kLineGeometry));
  ToolOutcome result = plot();
  EXPECT_EQ(result.status, tools::kExitOk) << result.err;
  expect_given_picture(false);
  EXPECT_NE(read(svg_path()).find("(no line geometry)"), std::string::npos);
}

TEST_F(Plot, AFaultySourceIsDrawnAsFarAsItWasReadWithANote) {
  write_sources(
      testing_support::given_line_source(),
      testing_support::train_source_with({"segnale,    1500,   2, 4, 0,  0, 0,    2,  2,0,0, 0"}));
  ToolOutcome result = plot();
  EXPECT_EQ(result.status, tools::kExitOk);
  EXPECT_EQ(result.err,
            "scenarioc: note: the sources compile with status 16; run 'scenarioc check' for "
            "where\n");
  EXPECT_NO_THROW(parse_xml(read(svg_path())));
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

TEST_F(Plot, AnEmptyOutputNameIsRefusedAndNothingIsWritten) {
  compile_given_scenario();
  const auto before = snapshot();
  ToolOutcome result =
      scenarioc({"plot", folder_, "--scenario", kGivenScenario, "--train", kGivenTrain, "-o", ""});
  EXPECT_EQ(result.status, tools::kExitPlatform);
  EXPECT_EQ(result.err, "scenarioc: -o: the name of the SVG file is empty\n");
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
