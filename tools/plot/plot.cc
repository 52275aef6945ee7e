#include "tools/plot/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/decode/decode.h"
#include "tools/plot/draw.h"
#include "tools/plot/hover.h"
#include "tools/plot/legend.h"
#include "tools/plot/plan.h"
#include "tools/plot/signal_marks.h"
#include "tools/plot/style.h"
#include "tools/plot/tracks.h"

namespace tools {
namespace {

using plot_draw::Axis;
using plot_draw::kMargin;
using plot_draw::kWidth;
using plot_draw::num;
using plot_draw::Page;
using plot_draw::text;
using plot_draw::title;

// Where the line ends, and how far the picture goes: to the last object the
// scenario places, or the line's end, and a little past it, so that the
// run-on the tables hold beyond the end takes no room of its own.
PlanExtent extent_of(const model::Scenario& m) {
  const double track = std::max(static_cast<double>(m.cell_track.size()) * 50.0, 50.0);
  double line_end = m.service_table[model::kTrainSettingsRecord].end_m;
  if (line_end <= 0 || line_end > track) line_end = track;
  double last_used = line_end;
  for (size_t i = 0; i < m.cell_track.size(); ++i)
    if (m.cell_track[i].kind != model::kind::kNothing) last_used = std::max(last_used, i * 50.0);
  for (int r = 1; r <= model::kFirstSignTextRecord; ++r) {
    const model::ServiceRecord& s = m.service_table[static_cast<size_t>(r)];
    if (record_use(s) == RecordUse::kStation) last_used = std::max<double>(last_used, s.end_m);
  }
  const double pad = std::max(200.0, line_end * 0.02);
  return {line_end, std::min(track, std::ceil((last_used + pad) / 50) * 50)};
}

// The first error the compile found, as "file:line: message".
std::string first_error(const model::Scenario& m, const compiler::CompileResult& compiled) {
  for (const compiler::Diagnostic& d : compiled.diagnostics) {
    if (d.severity != compiler::Diagnostic::Severity::kError) continue;
    std::string where;
    if (d.at.in_source) {
      where = model::file_name(d.at.file, m.scenario_name, m.train_number);
      if (d.at.line > 0) where += ":" + std::to_string(d.at.line);
      where += ": ";
    }
    return where + d.message;
  }
  return "no message was recorded";
}

double banner(Page& page, const model::Scenario& m, const compiler::CompileResult* compiled,
              double top) {
  if (!compiled || compiled->status == 0) return 0;
  const std::string line1 = "The sources compile with status " + std::to_string(compiled->status) +
                            ": the picture shows the scenario as far as it was read.";
  page.add("<g id=\"status-banner\">");
  page.add("<rect x=\"" + num(kMargin) + "\" y=\"" + num(top) + "\" width=\"" +
           num(kWidth - 2 * kMargin) + "\" height=\"42\" fill=\"#fde8e8\" stroke=\"" +
           style::kLineEnd + "\" stroke-width=\"2\"/>");
  page.add(text(kMargin + 10, top + 17, line1, "banner", " font-weight=\"bold\" fill=\"#900\""));
  page.add(text(kMargin + 10, top + 34, first_error(m, *compiled), "banner", " fill=\"#900\""));
  page.add("</g>");
  return 52;
}

void distance_axis(Page& page, const Axis& axis, double top) {
  page.add("<g id=\"distance-axis\" data-top=\"" + num(top) + "\">");
  page.add("<line x1=\"" + num(kMargin) + "\" y1=\"" + num(top) + "\" x2=\"" +
           num(kWidth - kMargin) + "\" y2=\"" + num(top) + "\" stroke=\"#333\"/>");
  double step = std::pow(10.0, std::floor(std::log10(std::max(axis.metres, 10.0) / 5)));
  if (axis.metres / step > 12) step *= 2;
  if (axis.metres / step > 12) step *= 2.5;
  for (double metre = 0; metre <= axis.metres; metre += step) {
    page.add("<line class=\"tick\" x1=\"" + num(axis.x(metre)) + "\" y1=\"" + num(top) +
             "\" x2=\"" + num(axis.x(metre)) + "\" y2=\"" + num(top + 5) + "\" stroke=\"#333\"/>");
    char label[32];
    std::snprintf(label, sizeof label, "%g km", metre / 1000);
    page.add(text(axis.x(metre), top + 17, label, "tick", " text-anchor=\"middle\""));
  }
  page.add("</g>");
}

std::string svg_element(const model::Scenario& m, const compiler::CompileResult* compiled,
                        bool standalone) {
  const Hover hover(m, compiled);
  const PlanExtent extent = extent_of(m);
  Page page;
  page.add(text(kMargin, 24, m.scenario_name + " - train " + m.train_number, "heading",
                " font-size=\"18\" font-weight=\"bold\""));
  double top = 40;
  top += banner(page, m, compiled, top);
  top += 24;
  top += draw_plan(page, m, hover, extent, top) + 12;

  const Axis axis{extent.shown};
  const double tracks_top = top;
  top += draw_curve_band(page, m, hover, axis, top);
  top += draw_gradient(page, m, hover, axis, top);
  top += draw_speed(page, m, hover, axis, top);
  top += draw_features(page, m, hover, axis, top);
  top += draw_stations(page, m, hover, axis, top);
  // The line's end, across every track, and the run-on past it greyed.
  page.add("<g id=\"line-end\"" + std::string(plot_draw::kClip) + ">" +
           std::string("<rect class=\"run-on\" x=\"") + num(axis.x(extent.line_end)) + "\" y=\"" +
           num(tracks_top) + "\" width=\"" +
           num(std::max(axis.x(extent.shown) - axis.x(extent.line_end), 0.0)) + "\" height=\"" +
           num(top - tracks_top) + "\" fill=\"#999\" fill-opacity=\"0.15\"" +
           Axis::span(extent.line_end, std::max(extent.shown, extent.line_end)) + ">" +
           title("past the line's end: the run-on the tables hold") + "</rect>" +
           "<line class=\"line-end\" x1=\"" + num(axis.x(extent.line_end)) + "\" y1=\"" +
           num(tracks_top) + "\" x2=\"" + num(axis.x(extent.line_end)) + "\" y2=\"" + num(top) +
           "\" stroke=\"" + style::kLineEnd + "\" stroke-width=\"2\" stroke-dasharray=\"6 3\"" +
           Axis::at(extent.line_end) + ">" +
           title("the line's end, " + std::to_string(static_cast<long>(extent.line_end)) +
                 " m (service record 84)") +
           "</line></g>");
  distance_axis(page, axis, top);
  top += 34;
  top += draw_legend(page, top, signal_codes(m));

  const std::string width = num(kWidth), height = num(top + 10);
  std::string out;
  if (standalone) out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg id=\"route\"";
  if (standalone) out += " xmlns=\"http://www.w3.org/2000/svg\"";
  out += " width=\"" + width + "\" height=\"" + height + "\" viewBox=\"0 0 " + width + " " +
         height + "\" font-family=\"sans-serif\" font-size=\"11\" data-metres=\"" +
         num(extent.shown) + "\" data-track-metres=\"" +
         num(std::max(static_cast<double>(m.cell_track.size()) * 50.0, 50.0)) + "\" data-left=\"" +
         num(kMargin) + "\" data-right=\"" + num(kWidth - kMargin) + "\">\n";
  out += "<defs><clipPath id=\"along-clip\"><rect x=\"" + num(kMargin) + "\" y=\"" +
         num(tracks_top) + "\" width=\"" + num(kWidth - 2 * kMargin) + "\" height=\"" +
         num(top - tracks_top) + "\"/></clipPath></defs>\n";
  out += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  out += page.body();
  out += "</svg>\n";
  return out;
}

}  // namespace

std::string plot_svg(const model::Scenario& m, const compiler::CompileResult* compiled) {
  return svg_element(m, compiled, true);
}

std::string plot_svg_element(const model::Scenario& m, const compiler::CompileResult* compiled) {
  return svg_element(m, compiled, false);
}

}  // namespace tools
