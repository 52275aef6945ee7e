#include "fuzz/tool_checks.h"

#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string_view>
#include <vector>

#include "compiler/line_geometry.h"
#include "fuzz/bounded_numbers.h"
#include "fuzz/require.h"
#include "job/sources.h"
#include "model/file_names.h"
#include "model/status_codes.h"
#include "platform/mem_env.h"
#include "platform/utf8.h"
#include "tests/support/mini_xml.h"
#include "tools/cli/check.h"
#include "tools/cli/commands.h"
#include "tools/cli/exit_status.h"
#include "tools/decode/binary_readers.h"
#include "tools/plot/plot.h"
#include "writers/writers.h"

namespace fuzz {
namespace {

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

// A refusal is one line on stderr, naming what was refused, and nothing on stdout.
bool one_line(const std::string& text) {
  return !text.empty() && text.find('\n') == text.size() - 1;
}

// Every number of the attributes that place things: finite, and nothing but numbers.
std::string check_numbers(const testing_support::XmlElement& e) {
  static const std::string_view kNumeric[] = {
      "x", "y", "x1", "y1", "x2", "y2", "cx", "cy", "r", "width", "height", "points", "viewBox"};
  for (const auto& [key, value] : e.attributes) {
    bool numeric = false;
    for (std::string_view k : kNumeric) numeric = numeric || key == k;
    if (!numeric) continue;
    std::string text = value;
    for (char& c : text)
      if (c == ',') c = ' ';
    std::istringstream in(text);
    for (std::string token; in >> token;) {
      char* end = nullptr;
      const double v = std::strtod(token.c_str(), &end);
      if (*end == '%') ++end;
      if (*end != '\0' || !std::isfinite(v))
        return key + "=\"" + value + "\" is not finite numbers";
    }
  }
  for (const testing_support::XmlElement& child : e.children)
    if (std::string broken = check_numbers(child); !broken.empty()) return broken;
  return {};
}

// The picture parses as XML, is an <svg> and holds only finite numbers.
std::string check_svg(const std::string& svg, testing_support::XmlElement* root) {
  try {
    *root = testing_support::parse_xml(svg);
  } catch (const std::exception&) {
    return "the SVG is not well-formed";
  }
  REQUIRE(root->name == "svg");
  return check_numbers(*root);
}

}  // namespace

std::string check_decode(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const uint8_t choice = data[0];
  static const char* const kNames[] = {"/f/x_linea.dat", "/f/x_1.sim", "/f/x_1.dat"};
  const std::string file = kNames[choice % 3];
  const bool geometry = choice % 3 == 0;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  platform::MemEnv env;
  env.files()[file] = bytes;
  const bool json = (choice & 4) != 0;
  // The command itself, past its command line, which costs more than the rest.
  std::ostringstream out, err;
  ToolRun run;
  run.status = tools::decode_file(file, json, tools::ToolContext{env, out, err});
  run.out = out.str();
  run.err = err.str();

  REQUIRE(run.status == 0 || run.status == 2);
  REQUIRE(env.files().size() == 1 && env.files()[file] == bytes);
  if (run.status == 2) {
    REQUIRE(run.out.empty());
    REQUIRE(run.err.rfind("scenarioc: " + file + ": ", 0) == 0);
    REQUIRE(one_line(run.err));
    return {};
  }
  REQUIRE(run.err.empty());
  REQUIRE(!run.out.empty() && run.out.back() == '\n');
  if (json) REQUIRE(nlohmann::json::accept(run.out));
  // The plan holds numbers only: a damaged value must have been refused.
  if (geometry)
    REQUIRE(run.out.find("nan") == std::string::npos && run.out.find("inf") == std::string::npos);
  return {};
}

std::string check_plot(const uint8_t* data, size_t size) {
  if (size < 6) return {};
  const uint8_t flags = data[0];
  const size_t geometry_size = data[1] | data[2] << 8 | data[3] << 16;
  const size_t service_size = data[4] | data[5] << 8;
  std::string_view rest(reinterpret_cast<const char*>(data) + 6, size - 6);
  const auto take = [&rest](size_t n) {
    const std::string_view piece = rest.substr(0, n);
    rest.remove_prefix(piece.size());
    return std::string(piece);
  };
  const std::string geometry = take(geometry_size);
  const std::string service = take(service_size);
  const std::string cells(rest);

  // What the command does with the binary files, past its command line,
  // which costs more than the rest: read them as it does, draw, and check the
  // picture.
  model::Scenario m;
  std::string refusal;
  if (flags & 1) refusal = tools::read_line_geometry(geometry, &m.line_table);
  if (refusal.empty()) refusal = tools::read_service(service, &m.service_table);
  if (refusal.empty()) refusal = tools::read_cells(cells, &m.cell_track);
  if (!refusal.empty()) return {};
  m.cell_last = static_cast<int32_t>(m.cell_track.size()) - 1;
  const std::string svg = tools::plot_svg(m);
  testing_support::XmlElement root;
  if (std::string broken = check_svg(svg, &root); !broken.empty()) return broken;
  // What the curves' hovers derive from the plan (the radius) is a number too.
  if (const testing_support::XmlElement* curves = root.by_id("curves"))
    for (const testing_support::XmlElement* hover : curves->all("title"))
      REQUIRE(hover->text.find("nan") == std::string::npos &&
              hover->text.find("inf") == std::string::npos);
  return {};
}

std::string check_plan(const uint8_t* data, size_t size) {
  if (size < 2) return {};
  const int32_t span = 2 + (data[0] | data[1] << 8) % 1999;
  model::LineTable plan;
  plan.allocate(span);
  compiler::start_plan(plan);
  int32_t m = compiler::kFirstComputedMetre;
  const int64_t last_point = int64_t{span} - 2;
  double step = 1;  // the length of the last step
  for (size_t at = 2; at + 4 <= size && m <= last_point; at += 4) {
    const uint8_t what = data[at];
    const int32_t length = data[at + 1] | data[at + 2] << 8;
    const int64_t last = std::min<int64_t>(int64_t{m} + length - 1, last_point);
    // Sometimes a cursor limit that falls inside the stretch.
    const int64_t limit = (what >> 2 & 3) == 0 ? m + length / 2 : compiler::kNoCursorLimit;
    const int32_t from = m;
    bool within = true;
    if (what & 1) {
      const std::string keyword =
          std::string("curva") + ((what & 2) ? "s" : "d") + static_cast<char>(data[at + 3]);
      const std::optional<double> k = compiler::curve_curvature(keyword);
      if (!k) continue;
      REQUIRE(*k != 0 && std::abs(*k) <= 0.003);
      within = compiler::extend_curve(plan, m, last, *k, limit);
    } else {
      within = compiler::extend_straight(plan, m, last, limit);
    }
    // The cursor stops at the end of the stretch, or just past the limit.
    if (within)
      REQUIRE(m == std::max<int64_t>(from, last + 1) && m <= limit);
    else
      REQUIRE(m == limit + 1 && m <= last + 1);
    REQUIRE(m <= last_point + 1);
    for (int32_t p = std::max(from, 2); p < m; ++p) {
      const model::Variant& x = plan.at(p, 0);
      const model::Variant& y = plan.at(p, 1);
      REQUIRE(x.tag == model::Variant::kDouble && y.tag == model::Variant::kDouble);
      REQUIRE(std::isfinite(x.value) && std::isfinite(y.value));
      const double dx = x.value - plan.at(p - 1, 0).value;
      const double dy = y.value - plan.at(p - 1, 1).value;
      // A straight step keeps the step's length, a curve step lengthens it.
      const double length_now = std::hypot(dx, dy);
      REQUIRE(length_now >= step * (1 - 1e-9));
      step = length_now;
    }
  }
  // The points after the cursor are untouched.
  for (int32_t p = std::max(m, 2); p <= span; ++p)
    REQUIRE(plan.at(p, 0).tag == model::Variant::kEmpty &&
            plan.at(p, 1).tag == model::Variant::kEmpty);
  return {};
}

std::string check_render(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t split = input.find('\0');
  std::string_view line = input.substr(0, split);
  // Plot and check build the track plan, a point a metre: mostly on lines
  // shorter than 100 km.
  std::string bounded;
  if (!keeps_long_numbers(data[0])) {
    bounded = bounded_numbers(line);
    line = bounded;
  }
  const std::string_view train =
      split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  constexpr char kFolder[] = "/f";
  const compiler::CompileResult result = compiler::compile_sources(
      job::decoded_sources(kFolder, writers::kScenarioName, writers::kTrainNumber, line, train));
  const int exit_status = tools::check_exit_status(result, false);

  // The text: whole UTF-8, and "no fault" exactly when there is none.
  const std::string text = tools::report_text(result);
  REQUIRE(platform::is_utf8(text));
  REQUIRE(!text.empty() && text.back() == '\n');
  // The report ends with its summary, after "no fault" when there is none.
  const std::string no_fault = "no fault (status 0)\n";
  const size_t summary = text.rfind('\n', text.size() - 2);
  const size_t before_summary = summary == std::string::npos ? 0 : summary + 1;
  const bool says_no_fault =
      before_summary >= no_fault.size() &&
      text.compare(before_summary - no_fault.size(), no_fault.size(), no_fault) == 0;
  REQUIRE(says_no_fault == (exit_status == tools::kExitOk));

  // The JSON: one object that parses, whose status is a documented one and
  // agrees with the exit status.
  const std::string json_text = tools::report_json_text(result);
  REQUIRE(platform::is_utf8(json_text));
  REQUIRE(json_text.size() >= 2 && json_text.compare(json_text.size() - 2, 2, "}\n") == 0);
  nlohmann::json report = nlohmann::json::parse(json_text, nullptr, false);
  REQUIRE(report.is_object());
  REQUIRE(report["status"].is_number_integer());
  const int32_t status = report["status"].get<int32_t>();
  REQUIRE(model::status::is_known(status));
  REQUIRE(report["message"] == std::string(model::status::info(status).text));
  REQUIRE(report["ended_by_errore"] == (exit_status == tools::kExitErrore));
  REQUIRE((status == 0) == (exit_status == tools::kExitOk));
  REQUIRE(report["diagnostics"].is_array() &&
          report["diagnostics"].size() == result.diagnostics.size());
  REQUIRE((status == 0) == report["error"].is_null());

  // The pictures, as plot draws them: it refuses sources that end the
  // compile early.
  if (result.ended_early) return {};
  const std::string svg = tools::plot_svg(result.model, &result);
  REQUIRE(platform::is_utf8(svg));
  testing_support::XmlElement root;
  if (std::string broken = check_svg(svg, &root); !broken.empty()) return broken;
  REQUIRE(platform::is_utf8(tools::plot_html(result.model, &result)));
  return {};
}

}  // namespace fuzz
