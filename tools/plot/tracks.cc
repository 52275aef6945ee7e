#include "tools/plot/tracks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tools/decode/decode.h"
#include "tools/decode/position_text.h"
#include "tools/plot/curves.h"
#include "tools/plot/signal_marks.h"
#include "tools/plot/speed_profile.h"
#include "tools/plot/style.h"

namespace tools {
namespace {

using compiler::EntryKind;
using plot_draw::Axis;
using plot_draw::kClip;
using plot_draw::kMargin;
using plot_draw::kWidth;
using plot_draw::num;
using plot_draw::Page;
using plot_draw::text;
using plot_draw::title;

constexpr double kTitleRoom = 20;
constexpr double kGap = 10;

// Cells that begin before the end of what the axis shows.
size_t shown_cells(const model::Scenario& m, const Axis& axis) {
  return std::min(m.cell_track.size(), static_cast<size_t>(std::ceil(axis.metres / 50)));
}

void frame(Page& page, double top, double height, const std::string& heading,
           const std::string& id) {
  page.add(text(kMargin, top - 4, heading, "track-title", " font-weight=\"bold\""));
  page.add("<rect id=\"" + id + "-frame\" x=\"" + num(kMargin) + "\" y=\"" + num(top) +
           "\" width=\"" + num(kWidth - 2 * kMargin) + "\" height=\"" + num(height) +
           "\" fill=\"#f7f7f7\" stroke=\"#ccc\"/>");
}

// A stretch from metre m0 to m1 in one row of a track.
std::string span_rect(const Axis& axis, double m0, double m1, double y, double h,
                      const std::string& cls, const std::string& fill, const std::string& hover,
                      const std::string& extra = "") {
  return "<rect class=\"" + cls + "\" x=\"" + num(axis.x(m0)) + "\" y=\"" + num(y) + "\" width=\"" +
         num(std::max(axis.x(m1) - axis.x(m0), 1.5)) + "\" height=\"" + num(h) + "\" fill=\"" +
         fill + "\"" + extra + Axis::span(m0, m1) + ">" + title(hover) + "</rect>";
}

// A point object at metre m: a bar `w` pixels wide centred on it.
std::string bar(const Axis& axis, double m, double y, double w, double h, const std::string& cls,
                const std::string& fill, const std::string& hover) {
  return "<rect class=\"" + cls + "\" x=\"" + num(axis.x(m) - w / 2) + "\" y=\"" + num(y) +
         "\" width=\"" + num(w) + "\" height=\"" + num(h) + "\" fill=\"" + fill + "\"" +
         Axis::at(m) + ">" + title(hover) + "</rect>";
}

std::string metres_text(double m0, double m1) {
  return std::to_string(static_cast<long>(m0)) + " to " + std::to_string(static_cast<long>(m1)) +
         " m";
}

// A second line on a step profile's scale, dashed: the value of each cell,
// with its values and hovers only where it differs from the profile.
struct Overlay {
  std::string id;
  std::string heading;  // what its hover says the value is
  std::string colour;
  std::vector<int> values;
  // What a hover on a stretch where it differs adds: the entry behind it.
  std::function<std::string(size_t first_cell, const std::string& what)> hover;
};

// A step profile: the value of each cell, a zero line, the value of each
// step written where there is room, and a hover area per step; an overlay
// beside it where given.
double step_profile(Page& page, const model::Scenario& m, const Hover& hover, const Axis& axis,
                    double top, const std::string& id, const std::string& heading,
                    const std::string& unit, EntryKind kind, const std::vector<int>& all_values,
                    const std::string& colour, const Overlay* overlay = nullptr) {
  top += kTitleRoom;
  frame(page, top, kTrackHeight, heading, id);
  const size_t cells = shown_cells(m, axis);
  const std::vector<int> values(all_values.begin(), all_values.begin() + cells);
  int lo = 0, hi = 1;
  for (size_t i = 0; i < cells; ++i) {
    lo = std::min(lo, values[i]), hi = std::max(hi, values[i]);
    if (overlay) lo = std::min(lo, overlay->values[i]), hi = std::max(hi, overlay->values[i]);
  }
  auto y = [&](int v) {
    return top + kTrackHeight - 8 - (v - lo) * (kTrackHeight - 20) / double(hi - lo);
  };
  page.add("<g id=\"" + id + "-zero\">" + "<line class=\"zero\" x1=\"" + num(kMargin) + "\" y1=\"" +
           num(y(0)) + "\" x2=\"" + num(kWidth - kMargin) + "\" y2=\"" + num(y(0)) +
           "\" stroke=\"#888\" stroke-dasharray=\"3 3\"/>" +
           text(kMargin - 4, y(0) + 4, "0", "scale", " text-anchor=\"end\"") + "</g>");
  page.add(text(kWidth - kMargin + 4, y(hi) + 4, std::to_string(hi), "scale"));
  if (lo != 0) page.add(text(kWidth - kMargin + 4, y(lo) + 4, std::to_string(lo), "scale"));

  // The polyline is drawn once on the base axis; the viewer scales it.
  const auto polyline = [&](const std::string& line_id, const std::vector<int>& of,
                            const std::string& line_colour, double width,
                            const std::string& extra) {
    std::string path = "<g" + std::string(kClip) + "><polyline id=\"" + line_id +
                       "\" class=\"profile\" fill=\"none\" stroke=\"" + line_colour +
                       "\" stroke-width=\"" + num(width) +
                       "\" vector-effect=\"non-scaling-stroke\"" + extra + " points=\"";
    for (size_t i = 0; i < cells; ++i)
      path += num(axis.x(i * 50.0)) + "," + num(y(of[i])) + " " + num(axis.x(i * 50.0 + 50)) + "," +
              num(y(of[i])) + " ";
    if (cells) path.pop_back();
    page.add(path + "\"/></g>");
  };
  // The overlay goes under the profile: where the two agree, the profile
  // shows; where the overlay leaves it, its dashes show on their own.
  if (overlay)
    polyline(overlay->id, overlay->values, overlay->colour, 1, " stroke-dasharray=\"5 2\"");
  polyline(id, values, colour, 1.5, "");

  std::string areas = "<g id=\"" + id + "-steps\"" + kClip + ">",
              labels = "<g id=\"" + id + "-values\"" + kClip + ">";
  double last_label = -1e9;
  for (size_t i = 0; i < cells;) {
    const int v = values[i];
    size_t j = i;
    while (j + 1 < cells && values[j + 1] == v) ++j;
    const double m0 = i * 50.0, m1 = (j + 1) * 50.0;
    const std::string what =
        heading + ": " + std::to_string(v) + " " + unit + ", " + metres_text(m0, m1);
    areas += span_rect(axis, m0, m1, top, kTrackHeight, "step", "white",
                       hover.stretch(kind, m0, 50, what), " fill-opacity=\"0\"");
    // A value is written at the start of its step when it leaves room for
    // the one before; the viewer shows more of them as it zooms in.
    const double x = axis.x(m0) + 2;
    const bool room = x - last_label >= 28;
    if (room) last_label = x;
    labels += text(x, y(v) - 3, std::to_string(v), "step-value",
                   " fill=\"" + colour + "\" font-size=\"9\"" + Axis::at(m0) + " data-dx=\"2\"" +
                       (room ? "" : " visibility=\"hidden\""));
    i = j + 1;
  }
  page.add(areas + "</g>");
  page.add(labels + "</g>");

  if (overlay) {
    // Where it leaves the profile: a hover area and its value, each stretch.
    std::string below = "<g id=\"" + overlay->id + "-steps\"" + kClip + ">",
                written = "<g id=\"" + overlay->id + "-values\"" + kClip + ">";
    for (size_t i = 0; i < cells;) {
      const int v = overlay->values[i];
      size_t j = i;
      while (j + 1 < cells && overlay->values[j + 1] == v &&
             (overlay->values[j + 1] != values[j + 1]) == (v != values[i]))
        ++j;
      if (v != values[i]) {
        const double m0 = i * 50.0, m1 = (j + 1) * 50.0;
        const std::string what =
            overlay->heading + ": " + std::to_string(v) + " " + unit + ", " + metres_text(m0, m1);
        below += span_rect(axis, m0, m1, y(v) - 4, 8, "step", "white", overlay->hover(i, what),
                           " fill-opacity=\"0\"");
        written += text(
            axis.x(m0) + 2, y(v) + 11, std::to_string(v), "step-value",
            " fill=\"" + overlay->colour + "\" font-size=\"9\"" + Axis::at(m0) + " data-dx=\"2\"");
      }
      i = j + 1;
    }
    page.add(below + "</g>");
    page.add(written + "</g>");
  }
  return kTitleRoom + kTrackHeight + kGap;
}

}  // namespace

double draw_curve_band(Page& page, const model::Scenario& m, const Hover& hover, const Axis& axis,
                       double top) {
  top += kTitleRoom;
  frame(page, top, kBandHeight, "Curves (left above, right below; taller: sharper class)",
        "curves");
  const double mid = top + kBandHeight / 2;
  page.add("<line x1=\"" + num(kMargin) + "\" y1=\"" + num(mid) + "\" x2=\"" +
           num(kWidth - kMargin) + "\" y2=\"" + num(mid) + "\" stroke=\"#999\"/>");
  page.add("<g id=\"curves\"" + std::string(kClip) + ">");
  if (!m.line_table.allocated()) page.add(text(kMargin + 6, mid - 4, "(no line geometry)", "note"));
  for (const CurveRun& c : curve_runs(m.line_table, static_cast<long>(axis.metres))) {
    const double h = (kBandHeight / 2 - 3) * std::max(c.curve_class, 1) / 6.0;
    char radius[48];
    std::snprintf(radius, sizeof radius, "%.0f", c.radius);
    const std::string what = std::string(c.left ? "left" : "right") + " curve, class " +
                             (c.curve_class ? std::to_string(c.curve_class) : "unknown") +
                             " (radius " + radius + " m), " + metres_text(c.from, c.to);
    page.add(span_rect(axis, c.from, c.to, c.left ? mid - h : mid, h,
                       std::string("curve ") + (c.left ? "left" : "right"),
                       c.left ? style::kCurveLeft : style::kCurveRight,
                       hover.stretch(EntryKind::kCurve, c.from, 2, what)));
  }
  page.add("</g>");
  return kTitleRoom + kBandHeight + kGap;
}

double draw_gradient(Page& page, const model::Scenario& m, const Hover& hover, const Axis& axis,
                     double top) {
  std::vector<int> gradients(m.cell_track.size());
  for (size_t i = 0; i < gradients.size(); ++i)
    gradients[i] = m.cell_track[i].gradient == 0 ? 0 : m.cell_track[i].gradient - 100;
  return step_profile(page, m, hover, axis, top, "gradient", "Gradient (per mille)", "per mille",
                      EntryKind::kGradient, gradients, style::kGradient);
}

double draw_speed(Page& page, const model::Scenario& m, const Hover& hover, const Axis& axis,
                  double top) {
  // The slowdown behind a stretch of the permitted speed: the start cell at
  // or after the stretch's first cell (the stretch begins one cell before it).
  const auto slowdown_at = [&](size_t first_cell, const std::string& what) {
    for (size_t c = first_cell; c < m.cell_track.size() && c <= first_cell + 1; ++c)
      if (m.cell_track[c].kind == model::kind::kSlowdownStart) return hover.cell(c, what);
    return what;
  };
  const Overlay permitted{"permitted-speed", "Speed a train may run, slowdowns applied (km/h)",
                          style::kPermittedSpeed, permitted_speeds(m.cell_track), slowdown_at};
  return step_profile(page, m, hover, axis, top, "speed-limit", "Speed limit (km/h)", "km/h",
                      EntryKind::kSpeed, line_speeds(m.cell_track), style::kSpeed, &permitted);
}

double draw_features(Page& page, const model::Scenario& m, const Hover& hover, const Axis& axis,
                     double top) {
  top += kTitleRoom;
  frame(page, top, kTrackHeight, "Tunnels, boards, signals, slowdowns and markers", "features");
  const double row = kTrackHeight / 4;
  const size_t cells = shown_cells(m, axis);
  auto point_metre = [](size_t i) { return (static_cast<double>(i) - 1) * 50; };
  auto at = [&](size_t i, const std::string& what) { return what + " at " + hover.place(i); };

  page.add("<g id=\"tunnels\"" + std::string(kClip) + ">");
  for (size_t i = 0; i < cells; ++i) {
    const uint8_t type = m.cell_track[i].tunnel_type;
    if (!type) continue;
    size_t j = i;
    while (j + 1 < cells && m.cell_track[j + 1].tunnel_type == type) ++j;
    const double m0 = i * 50.0, m1 = (j + 1) * 50.0;
    page.add(span_rect(
        axis, m0, m1, top + 3, row - 6, "tunnel", style::kTunnel,
        hover.stretch(EntryKind::kTunnel, m0, 50,
                      "tunnel, type " + std::to_string(type) + ", " + metres_text(m0, m1))));
    i = j;
  }
  page.add("</g><g id=\"boards\"" + std::string(kClip) + ">");
  for (size_t i = 0; i < cells; ++i) {
    const model::Cell& c = m.cell_track[i];
    if (c.kind == model::kind::kSpeedBoard) {
      page.add(bar(axis, point_metre(i), top + row + 3, 4, row - 6, "speed-board",
                   style::kSpeedBoard, hover.cell(i, at(i, "maximum-speed board"))));
    } else if (c.kind == model::kind::kNameBoard) {
      const std::string board = c.value_a > 0 && c.value_a < model::kServiceRecords
                                    ? " " + m.service_table[static_cast<size_t>(c.value_a)].text
                                    : std::string();
      page.add(bar(axis, point_metre(i), top + row + 3, 4, row - 6, "name-board", style::kNameBoard,
                   hover.cell(i, at(i, "name board" + board))));
    }
  }
  page.add("</g><g id=\"signals\"" + std::string(kClip) + ">");
  for (size_t i = 0; i < cells; ++i)
    if (m.cell_track[i].kind == model::kind::kSignal)
      page.add(signal_mark(
          axis.x(point_metre(i)), top + 2.5 * row, signal_code(m.cell_track[i]),
          Axis::at(point_metre(i)),
          title(hover.cell(i, at(i, signal_kind_label(signal_code(m.cell_track[i])))))));
  page.add("</g><g id=\"slowdowns\"" + std::string(kClip) + ">");
  const double y = top + 3 * row + 3, h = row - 6;
  for (size_t i = 0; i < cells; ++i) {
    const model::Cell& c = m.cell_track[i];
    const std::string value = " " + std::to_string(c.value_a);
    switch (c.kind) {
      case model::kind::kSlowdownStart: {
        size_t end = i;
        while (end + 1 < m.cell_track.size() && m.cell_track[end].kind != model::kind::kSlowdownEnd)
          ++end;
        page.add(span_rect(
            axis, point_metre(i), point_metre(end), y, h, "slowdown", style::kSlowdown,
            hover.cell(i, at(i, "slowdown" + value + " km/h") + " to " + hover.place(end))));
        break;
      }
      case model::kind::kWarningBoard:
        page.add(bar(axis, point_metre(i), y - 2, 3, h + 4, "warning-board", style::kWarningBoard,
                     hover.cell(i, at(i, "slowdown warning board" + value + " km/h"))));
        break;
      case model::kind::kPreWarning:
        page.add(bar(axis, point_metre(i), y, 2, h, "pre-warning", style::kPreWarning,
                     hover.cell(i, at(i, "slowdown pre-warning" + value))));
        break;
      case model::kind::kMarker:
      case model::kind::kAbbattimento: {
        // An abbattimento entry is told from a marker the compiler added by
        // the entry that claimed the cell; from the binary files, only a
        // marker without a value is surely an abbattimento.
        const bool entry = hover.from_sources() ? hover.cell_is(i, EntryKind::kAbbattimento)
                                                : c.kind == model::kind::kAbbattimento;
        const std::string what =
            std::string(entry ? "abbattimento" : "marker") +
            (c.kind == model::kind::kMarker ? "," + value : std::string(", no value"));
        page.add(
            bar(axis, point_metre(i), y + h / 2, 2, h / 2 + 3, entry ? "abbattimento" : "marker",
                entry ? style::kAbbattimento : style::kAddedMarker, hover.cell(i, at(i, what))));
        break;
      }
      default:
        break;
    }
  }
  page.add("</g>");
  int legend_row = 0;
  for (const char* legend : {"tunnels", "boards", "signals", "slowdowns"})
    page.add(text(kMargin - 6, top + row * (0.7 + legend_row++), legend, "row-title",
                  " text-anchor=\"end\" font-size=\"10\""));
  return kTitleRoom + kTrackHeight + kGap;
}

double draw_stations(Page& page, const model::Scenario& m, const Hover& hover, const Axis& axis,
                     double top) {
  top += kTitleRoom;
  frame(page, top, kTrackHeight, "Stations (filled: stop, hollow: pass-through)", "stations");
  page.add("<g id=\"stations\"" + std::string(kClip) + ">");
  int n = 0;
  for (int r = 1; r <= model::kFirstSignTextRecord; ++r) {
    const model::ServiceRecord& s = m.service_table[static_cast<size_t>(r)];
    if (record_use(s) != RecordUse::kStation) continue;
    const double m0 = std::max(s.start_m, 0), m1 = std::max<double>(s.end_m, m0);
    const bool stop = style::stops(s);
    const std::string what = std::string(stop ? "station (stop, " + clock_text(s.time_s) + ") "
                                              : "station (pass-through) ") +
                             s.text + " at " + station_place(m, r) + ", platform " +
                             metres_text(m0, m1);
    page.add(span_rect(axis, m0, m1, top + 6, 10,
                       std::string("platform ") + (stop ? "stop" : "pass"),
                       stop ? style::kStation : "white", hover.record(r, what),
                       " stroke=\"" + std::string(style::kStation) + "\" stroke-width=\"1.5\""));
    // A name that would run past the frame ends at its platform's end.
    const bool at_end = axis.x(m0) + 7.5 * static_cast<double>(s.text.size()) > kWidth - kMargin;
    page.add(text(axis.x(at_end ? m1 : m0), top + 30 + (n++ % 3) * 13, s.text, "station-name",
                  " fill=\"" + std::string(style::kStation) + "\"" +
                      (at_end ? " text-anchor=\"end\"" : "") + Axis::at(at_end ? m1 : m0)));
  }
  page.add("</g>");
  return kTitleRoom + kTrackHeight + kGap;
}

}  // namespace tools
