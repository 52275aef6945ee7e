#include "tools/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "tools/decode.h"

namespace tools {
namespace {

constexpr double kWidth = 1200;
constexpr double kMargin = 72;
constexpr double kPlanHeight = 460;
constexpr double kTrackHeight = 70;
constexpr double kTrackGap = 18;

std::string num(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", v);
  return buffer;
}

std::string escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        // XML has no place for the other control characters.
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
    }
  }
  return out;
}

struct Point {
  double x, y;
};

// The plan point at metre m, when the plan has one.
bool plan_point(const model::LineTable& t, long m, Point* p) {
  if (m < 0 || m > t.last_row()) return false;
  const model::Variant& x = t.at(static_cast<int32_t>(m), 0);
  const model::Variant& y = t.at(static_cast<int32_t>(m), 1);
  if (x.tag == model::Variant::kEmpty || y.tag == model::Variant::kEmpty) return false;
  *p = {x.value, y.value};
  return true;
}

bool is_station(const model::ServiceRecord& r) { return record_use(r) == RecordUse::kStation; }

class Page {
 public:
  void add(const std::string& element) { body_ += element + "\n"; }
  std::string finish(double height) const {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           num(kWidth) + "\" height=\"" + num(height) + "\" viewBox=\"0 0 " + num(kWidth) + " " +
           num(height) +
           "\" font-family=\"sans-serif\" font-size=\"11\">\n"
           "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n" +
           body_ + "</svg>\n";
  }

 private:
  std::string body_;
};

std::string text(double x, double y, const std::string& s, const std::string& cls,
                 const std::string& extra = "") {
  return "<text class=\"" + cls + "\" x=\"" + num(x) + "\" y=\"" + num(y) + "\"" + extra + ">" +
         escape(s) + "</text>";
}

// A label's extent on the page.
struct Box {
  double x0, y0, x1, y1;
  bool overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
  bool holds(const Point& p, double margin) const {
    return p.x > x0 - margin && p.x < x1 + margin && p.y > y0 - margin && p.y < y1 + margin;
  }
};

struct Label {
  double x, baseline;
  bool end;  // anchored at its end
  Box box;
};

// Places a station's name beside it where it covers the least: no other
// label, as little of the line and its signals as can be, inside the page.
Label place_label(const Point& at, const std::string& name, const std::vector<Point>& obstacles,
                  const std::vector<Box>& placed, double top) {
  // Capitals of the 11-pixel sans-serif font are about 7.5 pixels wide.
  const double width = 7.5 * static_cast<double>(name.size());
  struct Offset {
    double dx, dy;
    bool end;
  };
  static constexpr Offset kOffsets[] = {
      {8, -8, false}, {8, 17, false}, {-8, -8, true},  {-8, 17, true},
      {10, 4, false}, {-10, 4, true}, {0, -14, false}, {0, 26, false},
  };
  Label best{};
  double best_cost = std::numeric_limits<double>::max();
  for (const Offset& o : kOffsets) {
    Label l{at.x + o.dx, at.y + o.dy, o.end, {}};
    const double x0 = o.end ? l.x - width : l.x;
    l.box = {x0, l.baseline - 10, x0 + width, l.baseline + 3};
    double cost = 0;
    for (const Point& p : obstacles)
      if (l.box.holds(p, 3)) cost += 1;
    for (const Box& b : placed)
      if (l.box.overlaps(b)) cost += 1000;
    if (l.box.x0 < 0 || l.box.x1 > kWidth || l.box.y0 < top) cost += 1000;
    if (cost < best_cost) best_cost = cost, best = l;
  }
  return best;
}

void draw_plan(Page& page, const model::Scenario& m, double top) {
  const model::LineTable& t = m.line_table;
  page.add(text(kMargin, top - 8, "Plan of the line", "title",
                " font-size=\"14\" font-weight=\"bold\""));
  if (!t.allocated()) {
    page.add(text(kMargin, top + 20, "(no line geometry)", "note"));
    return;
  }
  double min_x = std::numeric_limits<double>::max(), max_x = -min_x, min_y = min_x, max_y = -min_x;
  std::vector<Point> points;
  // A point every 25 m, and the last one the plan has, so that the line ends
  // where the plan ends.
  long last = t.last_row();
  for (Point p; last >= 0 && !plan_point(t, last, &p);) --last;
  std::vector<long> metres;
  for (long metre = 0; metre < last; metre += 25) metres.push_back(metre);
  if (last >= 0) metres.push_back(last);
  for (long metre : metres) {
    Point p;
    if (!plan_point(t, metre, &p)) continue;
    points.push_back(p);
    min_x = std::min(min_x, p.x), max_x = std::max(max_x, p.x);
    min_y = std::min(min_y, p.y), max_y = std::max(max_y, p.y);
  }
  if (points.empty()) return;
  const double box_w = kWidth - 2 * kMargin, box_h = kPlanHeight - 40;
  const double scale =
      std::min(box_w / std::max(max_x - min_x, 1.0), box_h / std::max(max_y - min_y, 1.0));
  const double off_x = kMargin + (box_w - (max_x - min_x) * scale) / 2;
  const double off_y = top + 10 + (box_h - (max_y - min_y) * scale) / 2;
  auto sx = [&](double x) { return off_x + (x - min_x) * scale; };
  auto sy = [&](double y) { return off_y + (max_y - y) * scale; };  // north up

  std::string path =
      "<polyline id=\"plan\" fill=\"none\" stroke=\"#333\" stroke-width=\"2\" points=\"";
  for (const Point& p : points) path += num(sx(p.x)) + "," + num(sy(p.y)) + " ";
  page.add(path + "\"/>");

  // What a label must not cover: the line, the signals and the stations.
  std::vector<Point> obstacles;
  for (const Point& p : points) obstacles.push_back({sx(p.x), sy(p.y)});

  page.add("<g id=\"plan-signals\">");
  for (size_t i = 0; i < m.cell_track.size(); ++i) {
    if (m.cell_track[i].kind != model::kind::kSignal) continue;
    Point p;
    long metre = (static_cast<long>(i) - 1) * 50;
    if (!plan_point(t, metre, &p)) continue;
    obstacles.push_back({sx(p.x), sy(p.y)});
    page.add("<circle class=\"signal\" cx=\"" + num(sx(p.x)) + "\" cy=\"" + num(sy(p.y)) +
             "\" r=\"3.5\" fill=\"#d22\"><title>signal at " + std::to_string(metre) +
             " m</title></circle>");
  }
  page.add("</g>");

  struct Station {
    Point at;
    const std::string* name;
  };
  std::vector<Station> stations;
  for (int i = 1; i <= model::kFirstSignTextRecord; ++i) {
    const model::ServiceRecord& r = m.service_table[static_cast<size_t>(i)];
    Point p;
    if (!is_station(r) || !plan_point(t, r.position_m, &p)) continue;
    stations.push_back({{sx(p.x), sy(p.y)}, &r.text});
    obstacles.push_back(stations.back().at);
  }
  page.add("<g id=\"plan-stations\">");
  std::vector<Box> labels;
  for (const Station& s : stations) {
    page.add("<rect class=\"station\" x=\"" + num(s.at.x - 4) + "\" y=\"" + num(s.at.y - 4) +
             "\" width=\"8\" height=\"8\" fill=\"#15c\"/>");
    const Label label = place_label(s.at, *s.name, obstacles, labels, top);
    labels.push_back(label.box);
    page.add(text(label.x, label.baseline, *s.name, "station-name",
                  label.end ? " fill=\"#15c\" text-anchor=\"end\"" : " fill=\"#15c\""));
  }
  page.add("</g>");
}

struct Axis {
  double metres;  // the length the axis shows
  double x(double metre) const { return kMargin + metre / metres * (kWidth - 2 * kMargin); }
};

void track_frame(Page& page, double top, const std::string& title) {
  page.add("<rect x=\"" + num(kMargin) + "\" y=\"" + num(top) + "\" width=\"" +
           num(kWidth - 2 * kMargin) + "\" height=\"" + num(kTrackHeight) +
           "\" fill=\"#f7f7f7\" stroke=\"#ccc\"/>");
  page.add(text(kMargin, top - 3, title, "track-title", " font-weight=\"bold\""));
}

template <class Value>
void step_profile(Page& page, const model::Scenario& m, const Axis& axis, double top,
                  const std::string& id, const std::string& title, Value value,
                  const std::string& colour) {
  track_frame(page, top, title);
  int lo = 0, hi = 1;
  for (const model::Cell& c : m.cell_track)
    lo = std::min(lo, value(c)), hi = std::max(hi, value(c));
  auto y = [&](int v) {
    return top + kTrackHeight - 6 - (v - lo) * (kTrackHeight - 12) / double(hi - lo);
  };
  std::string path = "<polyline id=\"" + id + "\" fill=\"none\" stroke=\"" + colour +
                     "\" stroke-width=\"1.5\" points=\"";
  for (size_t i = 0; i < m.cell_track.size(); ++i) {
    int v = value(m.cell_track[i]);
    path += num(axis.x(i * 50.0)) + "," + num(y(v)) + " " + num(axis.x(i * 50.0 + 50)) + "," +
            num(y(v)) + " ";
  }
  page.add(path + "\"/>");
  page.add(text(kWidth - kMargin + 4, y(hi) + 4, std::to_string(hi), "scale"));
  page.add(text(kWidth - kMargin + 4, y(lo) + 4, std::to_string(lo), "scale"));
}

void features(Page& page, const model::Scenario& m, const Axis& axis, double top) {
  track_frame(page, top, "Tunnels, boards, signals, slowdowns");
  const double row = kTrackHeight / 4;
  page.add("<g id=\"tunnels\">");
  for (size_t i = 0; i < m.cell_track.size(); ++i)
    if (m.cell_track[i].tunnel_type)
      page.add("<rect class=\"tunnel\" x=\"" + num(axis.x(i * 50.0)) + "\" y=\"" + num(top + 3) +
               "\" width=\"" + num(std::max(axis.x(50) - axis.x(0), 1.5)) + "\" height=\"" +
               num(row - 6) + "\" fill=\"#775\"/>");
  page.add("</g><g id=\"boards\">");
  for (size_t i = 0; i < m.cell_track.size(); ++i) {
    const model::Cell& c = m.cell_track[i];
    if (c.kind != model::kind::kSpeedBoard && c.kind != model::kind::kNameBoard) continue;
    const char* cls = c.kind == model::kind::kSpeedBoard ? "speed-board" : "name-board";
    page.add("<rect class=\"" + std::string(cls) + "\" x=\"" + num(axis.x((i - 1) * 50.0) - 2) +
             "\" y=\"" + num(top + row + 3) + "\" width=\"4\" height=\"" + num(row - 6) +
             "\" fill=\"" + (c.kind == model::kind::kSpeedBoard ? "#e80" : "#090") + "\"/>");
  }
  page.add("</g><g id=\"signals\">");
  for (size_t i = 0; i < m.cell_track.size(); ++i)
    if (m.cell_track[i].kind == model::kind::kSignal)
      page.add("<circle class=\"signal\" cx=\"" + num(axis.x((i - 1) * 50.0)) + "\" cy=\"" +
               num(top + 2.5 * row) + "\" r=\"3.5\" fill=\"#d22\"/>");
  page.add("</g><g id=\"slowdowns\">");
  for (size_t i = 0; i < m.cell_track.size(); ++i) {
    const model::Cell& c = m.cell_track[i];
    if (c.kind == model::kind::kSlowdownStart) {
      size_t end = i;
      while (end + 1 < m.cell_track.size() && m.cell_track[end].kind != model::kind::kSlowdownEnd)
        ++end;
      page.add("<rect class=\"slowdown\" x=\"" + num(axis.x(i * 50.0)) + "\" y=\"" +
               num(top + 3 * row + 3) + "\" width=\"" +
               num(std::max(axis.x(end * 50.0) - axis.x(i * 50.0), 2.0)) + "\" height=\"" +
               num(row - 6) + "\" fill=\"#c0c\"><title>slowdown " + std::to_string(c.value_a) +
               " km/h</title></rect>");
    } else if (c.kind == model::kind::kWarningBoard || c.kind == model::kind::kMarker) {
      page.add("<rect class=\"" +
               std::string(c.kind == model::kind::kMarker ? "marker" : "warning-board") +
               "\" x=\"" + num(axis.x(i * 50.0) - 1) + "\" y=\"" + num(top + 3 * row + 3) +
               "\" width=\"2\" height=\"" + num(row - 6) + "\" fill=\"#a0a\"/>");
    }
  }
  page.add("</g>");
  int legend_row = 0;
  for (const char* legend : {"tunnels", "boards", "signals", "slowdowns"})
    page.add(text(kMargin - 6, top + row * (0.7 + legend_row++), legend, "legend",
                  " text-anchor=\"end\""));
}

void stations(Page& page, const model::Scenario& m, const Axis& axis, double top) {
  track_frame(page, top, "Stations (platforms)");
  page.add("<g id=\"stations\">");
  int n = 0;
  for (int i = 1; i <= model::kFirstSignTextRecord; ++i) {
    const model::ServiceRecord& r = m.service_table[static_cast<size_t>(i)];
    if (!is_station(r)) continue;
    double x0 = axis.x(std::max(r.start_m, 0)), x1 = axis.x(r.end_m);
    page.add("<rect class=\"platform\" x=\"" + num(x0) + "\" y=\"" + num(top + 6) + "\" width=\"" +
             num(std::max(x1 - x0, 2.0)) + "\" height=\"10\" fill=\"#15c\"/>");
    page.add(text(x0, top + 30 + (n++ % 3) * 13, r.text, "station-name", " fill=\"#15c\""));
  }
  page.add("</g>");
}

void distance_axis(Page& page, const Axis& axis, double top) {
  page.add("<g id=\"distance-axis\">");
  page.add("<line x1=\"" + num(kMargin) + "\" y1=\"" + num(top) + "\" x2=\"" +
           num(kWidth - kMargin) + "\" y2=\"" + num(top) + "\" stroke=\"#333\"/>");
  double step = std::pow(10.0, std::floor(std::log10(std::max(axis.metres, 10.0) / 5)));
  if (axis.metres / step > 12) step *= 2;
  if (axis.metres / step > 12) step *= 2.5;
  for (double metre = 0; metre <= axis.metres; metre += step) {
    page.add("<line x1=\"" + num(axis.x(metre)) + "\" y1=\"" + num(top) + "\" x2=\"" +
             num(axis.x(metre)) + "\" y2=\"" + num(top + 5) + "\" stroke=\"#333\"/>");
    char label[32];
    std::snprintf(label, sizeof label, "%g km", metre / 1000);
    page.add(text(axis.x(metre) - 8, top + 17, label, "tick"));
  }
  page.add("</g>");
}

}  // namespace

std::string plot_svg(const model::Scenario& m) {
  Page page;
  page.add(text(kMargin, 24, m.scenario_name + " - train " + m.train_number, "heading",
                " font-size=\"18\" font-weight=\"bold\""));
  draw_plan(page, m, 56);
  Axis axis{std::max(static_cast<double>(m.cell_track.size()) * 50.0, 50.0)};
  double top = 56 + kPlanHeight + 20;
  step_profile(
      page, m, axis, top, "gradient", "Gradient (per mille)",
      [](const model::Cell& c) { return c.gradient == 0 ? 0 : c.gradient - 100; }, "#070");
  top += kTrackHeight + kTrackGap + 6;
  step_profile(
      page, m, axis, top, "speed-limit", "Speed limit (km/h)",
      [](const model::Cell& c) { return c.speed_limit * 5; }, "#d60");
  top += kTrackHeight + kTrackGap + 6;
  features(page, m, axis, top);
  top += kTrackHeight + kTrackGap + 6;
  stations(page, m, axis, top);
  top += kTrackHeight + 8;
  distance_axis(page, axis, top);
  return page.finish(top + 30);
}

}  // namespace tools
