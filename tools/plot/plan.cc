#include "tools/plot/plan.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "model/kind_names.h"
#include "tools/decode/decode.h"
#include "tools/decode/position_text.h"
#include "tools/plot/curves.h"
#include "tools/plot/signal_marks.h"
#include "tools/plot/style.h"

namespace tools {
namespace {

using plot_draw::kMargin;
using plot_draw::kWidth;
using plot_draw::num;
using plot_draw::Page;
using plot_draw::text;
using plot_draw::title;

constexpr double kMaxPlanHeight = 420;
constexpr double kMinPlanHeight = 150;
constexpr double kLabelRoom = 34;  // above and below the line, for the labels

struct Point {
  double x, y;
};

// The plan point at metre m, when the plan has one.
bool plan_point(const model::LineTable& t, long m, Point* p) {
  if (m < 0 || m > t.last_row()) return false;
  const model::Variant& x = t.at(static_cast<int32_t>(m), 0);
  const model::Variant& y = t.at(static_cast<int32_t>(m), 1);
  if (x.tag == model::Variant::kEmpty || y.tag == model::Variant::kEmpty) return false;
  *p = {drawn_coordinate(x.value), drawn_coordinate(y.value)};
  return true;
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

// Places a name beside its object where it covers the least: no other label,
// as little of the line and its objects as can be, inside the plan's band.
Label place_label(const Point& at, const std::string& name, double char_width,
                  const std::vector<Point>& obstacles, const std::vector<Box>& placed, double top,
                  double bottom) {
  const double width = char_width * static_cast<double>(name.size());
  struct Offset {
    double dx, dy;
    bool end;
  };
  static constexpr Offset kOffsets[] = {
      {8, -8, false}, {8, 17, false},  {-8, -8, true}, {-8, 17, true},  {10, 4, false},
      {-10, 4, true}, {0, -14, false}, {0, 26, false}, {4, -24, false}, {4, 36, false},
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
    if (l.box.x0 < 0 || l.box.x1 > kWidth || l.box.y0 < top || l.box.y1 > bottom) cost += 1000;
    if (cost < best_cost) best_cost = cost, best = l;
  }
  return best;
}

// The plan turned so that the chord from its first point to the line's end
// runs left to right, the line's left side up, scaled to the page's width.
class View {
 public:
  View(const std::vector<Point>& points, const Point& from, const Point& to, double top) {
    const double cx = to.x - from.x, cy = to.y - from.y, length = std::hypot(cx, cy);
    ux_ = length > 0 ? cx / length : 0;
    uy_ = length > 0 ? cy / length : 1;
    origin_ = from;
    double u0 = std::numeric_limits<double>::max(), u1 = -u0, v0 = u0, v1 = -u0;
    for (const Point& p : points) {
      const Point r = turned(p);
      u0 = std::min(u0, r.x), u1 = std::max(u1, r.x), v0 = std::min(v0, r.y),
      v1 = std::max(v1, r.y);
    }
    const double box_w = kWidth - 2 * kMargin, box_h = kMaxPlanHeight - 2 * kLabelRoom;
    scale_ = std::min(box_w / std::max(u1 - u0, 1.0), box_h / std::max(v1 - v0, 1.0));
    height_ = std::max((v1 - v0) * scale_ + 2 * kLabelRoom, kMinPlanHeight);
    off_x_ = kMargin + (box_w - (u1 - u0) * scale_) / 2 - u0 * scale_;
    // Centred in its band; v grows to the left of the line, which is up.
    off_y_ = top + height_ / 2 + (v1 + v0) / 2 * scale_;
  }
  Point page(const Point& p) const {
    const Point r = turned(p);
    return {off_x_ + r.x * scale_, off_y_ - r.y * scale_};
  }
  // The page direction of a plan step.
  Point direction(const Point& a, const Point& b) const {
    const Point pa = page(a), pb = page(b);
    const double dx = pb.x - pa.x, dy = pb.y - pa.y, l = std::hypot(dx, dy);
    return l > 0 ? Point{dx / l, dy / l} : Point{1, 0};
  }
  double height() const { return height_; }

 private:
  Point turned(const Point& p) const {
    const double dx = p.x - origin_.x, dy = p.y - origin_.y;
    return {dx * ux_ + dy * uy_, ux_ * dy - uy_ * dx};
  }
  Point origin_{};
  double ux_ = 0, uy_ = 1, scale_ = 1, off_x_ = 0, off_y_ = 0, height_ = kMinPlanHeight;
};

std::string polyline(const std::vector<Point>& points, const std::string& attributes) {
  std::string out = "<polyline" + attributes + " fill=\"none\" points=\"";
  for (const Point& p : points) out += num(p.x) + "," + num(p.y) + " ";
  if (!points.empty()) out.pop_back();
  return out + "\"/>";
}

std::string km(double metres) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3f km", metres / 1000);
  return buffer;
}

bool is_station(const model::ServiceRecord& r) { return record_use(r) == RecordUse::kStation; }

}  // namespace

double draw_plan(Page& page, const model::Scenario& m, const Hover& hover, const PlanExtent& extent,
                 double top) {
  const model::LineTable& t = m.line_table;
  page.add(text(kMargin, top - 8, "Plan of the line (turned to run left to right)", "title",
                " font-size=\"14\" font-weight=\"bold\""));
  if (!t.allocated()) {
    page.add(text(kMargin, top + 20, "(no line geometry)", "note"));
    return 40;
  }
  long last = std::min<long>(t.last_row(), static_cast<long>(extent.shown));
  for (Point p; last >= 0 && !plan_point(t, last, &p);) --last;
  if (last < 1) {
    page.add(text(kMargin, top + 20, "(no line geometry)", "note"));
    return 40;
  }
  const long end = std::min<long>(static_cast<long>(extent.line_end), last);
  // A point every 25 m, and the line's end and the last point shown.
  std::vector<long> line_metres, run_on_metres;
  for (long metre = 0; metre < end; metre += 25) line_metres.push_back(metre);
  line_metres.push_back(end);
  for (long metre = end; metre < last; metre += 25) run_on_metres.push_back(metre);
  if (end < last) run_on_metres.push_back(last);

  auto at = [&](long metre) {
    Point p{};
    plan_point(t, std::clamp(metre, 0L, last), &p);
    return p;
  };
  std::vector<Point> plan;
  for (long metre : line_metres) plan.push_back(at(metre));
  for (long metre : run_on_metres) plan.push_back(at(metre));
  const View view(plan, at(0), at(end), top);
  auto page_at = [&](long metre) { return view.page(at(metre)); };

  // The stretch the viewer shows along the kilometres, drawn by the page's
  // script over the plan's points (one every 25 m).
  page.add(
      "<polyline id=\"plan-view\" fill=\"none\" stroke=\"#fc0\" stroke-width=\"8\" "
      "stroke-opacity=\"0.6\" points=\"\" data-last=\"" +
      std::to_string(end) + "\"/>");
  std::vector<Point> line, run_on;
  for (long metre : line_metres) line.push_back(page_at(metre));
  for (long metre : run_on_metres) run_on.push_back(page_at(metre));
  page.add(polyline(
      line, " id=\"plan\" stroke=\"" + std::string(style::kLine) + "\" stroke-width=\"2\""));
  if (!run_on.empty())
    page.add(polyline(run_on, " id=\"plan-run-on\" stroke=\"" + std::string(style::kRunOn) +
                                  "\" stroke-width=\"2\" stroke-dasharray=\"6 4\""));
  // What a label must not cover: the line and the objects on it.
  std::vector<Point> obstacles = line;
  obstacles.insert(obstacles.end(), run_on.begin(), run_on.end());

  // The end mark: a bar across the line.
  {
    const Point p = page_at(end), d = view.direction(at(end - 1), at(end));
    page.add("<g id=\"plan-line-end\">" +
             polyline({{p.x - d.y * 12, p.y + d.x * 12}, {p.x + d.y * 12, p.y - d.x * 12}},
                      " class=\"line-end\" stroke=\"" + std::string(style::kLineEnd) +
                          "\" stroke-width=\"3\"") +
             "</g>");
  }

  page.add("<g id=\"plan-tunnels\">");
  for (size_t i = 0; i < m.cell_track.size(); ++i) {
    const uint8_t type = m.cell_track[i].tunnel_type;
    if (!type) continue;
    size_t j = i;
    while (j + 1 < m.cell_track.size() && m.cell_track[j + 1].tunnel_type == type) ++j;
    const long from = static_cast<long>(i) * 50, to = static_cast<long>(j + 1) * 50;
    i = j;
    if (from > last) continue;
    std::vector<Point> stretch;
    for (long metre = from; metre < std::min(to, last); metre += 5)
      stretch.push_back(page_at(metre));
    stretch.push_back(page_at(std::min(to, last)));
    const std::string what = "tunnel, type " + std::to_string(type) + ", " + std::to_string(from) +
                             " to " + std::to_string(to) + " m";
    page.add("<g class=\"tunnel\">" +
             title(hover.stretch(compiler::EntryKind::kTunnel, from, 50, what)) +
             polyline(stretch, " stroke=\"" + std::string(style::kTunnel) +
                                   "\" stroke-width=\"7\" stroke-opacity=\"0.8\"") +
             "</g>");
  }
  page.add("</g>");

  page.add("<g id=\"plan-signals\">");
  for (size_t i = 0; i < m.cell_track.size(); ++i) {
    if (m.cell_track[i].kind != model::kind::kSignal) continue;
    const long metre = (static_cast<long>(i) - 1) * 50;
    if (metre > last) continue;
    const Point p = page_at(metre);
    obstacles.push_back(p);
    const int code = signal_code(m.cell_track[i]);
    page.add(signal_mark(p.x, p.y, code, "",
                         title(hover.cell(i, signal_kind_label(code) + " at " + hover.place(i)))));
  }
  page.add("</g>");

  struct Named {
    Point at;
    std::string name;
    std::string mark;  // the element, without its label
    bool station;
  };
  std::vector<Named> named;
  for (int r = 1; r <= model::kFirstSignTextRecord; ++r) {
    const model::ServiceRecord& s = m.service_table[static_cast<size_t>(r)];
    if (!is_station(s) || s.position_m > last) continue;
    const Point p = page_at(s.position_m);
    const bool stop = style::stops(s);
    const std::string what = std::string(stop ? "station (stop" : "station (pass-through") +
                             (stop ? ", " + clock_text(s.time_s) : std::string()) + ") " + s.text +
                             " at " + station_place(m, r);
    named.push_back({p, s.text,
                     "<rect class=\"station " + std::string(stop ? "stop" : "pass") + "\" x=\"" +
                         num(p.x - 4.5) + "\" y=\"" + num(p.y - 4.5) +
                         "\" width=\"9\" height=\"9\" fill=\"" +
                         (stop ? style::kStation : "white") + "\" stroke=\"" + style::kStation +
                         "\" stroke-width=\"2\">" + title(hover.record(r, what)) + "</rect>",
                     true});
  }
  for (size_t i = 0; i < m.cell_track.size(); ++i) {
    const model::Cell& c = m.cell_track[i];
    if (c.kind != model::kind::kNameBoard) continue;
    const long metre = (static_cast<long>(i) - 1) * 50;
    if (metre > last) continue;
    const Point p = page_at(metre);
    const std::string board = c.value_a > 0 && c.value_a < model::kServiceRecords
                                  ? m.service_table[static_cast<size_t>(c.value_a)].text
                                  : std::string();
    const std::string what = "name board " + board + " at " + hover.place(i);
    named.push_back({p, board,
                     "<path class=\"name-board\" d=\"M" + num(p.x) + " " + num(p.y - 5) +
                         " l5 5 l-5 5 l-5 -5 z\" fill=\"" + style::kNameBoard + "\">" +
                         title(hover.cell(i, what)) + "</path>",
                     false});
  }
  for (const Named& n : named) obstacles.push_back(n.at);

  const double bottom = top + view.height();
  std::vector<Box> labels;
  {
    // Placed first: the names then keep clear of it.
    const std::string label = "line end " + km(end);
    const Label l = place_label(page_at(end), label, 6.5, obstacles, labels, top, bottom);
    labels.push_back(l.box);
    page.add(text(
        l.x, l.baseline, label, "line-end-label",
        " fill=\"" + std::string(style::kLineEnd) + "\"" + (l.end ? " text-anchor=\"end\"" : "")));
  }
  for (bool stations : {true, false}) {
    page.add(stations ? "<g id=\"plan-stations\">" : "<g id=\"plan-boards\">");
    for (const Named& n : named) {
      if (n.station != stations) continue;
      page.add(n.mark);
      if (n.name.empty()) continue;
      // Station names in capitals at 11 px; board texts at 9 px.
      const Label label =
          place_label(n.at, n.name, stations ? 7.5 : 5.6, obstacles, labels, top, bottom);
      labels.push_back(label.box);
      const std::string colour = stations ? style::kStation : style::kNameBoard;
      page.add(text(label.x, label.baseline, n.name, stations ? "station-name" : "board-text",
                    " fill=\"" + colour + "\"" + (stations ? "" : " font-size=\"9\"") +
                        (label.end ? " text-anchor=\"end\"" : "")));
    }
    page.add("</g>");
  }
  return view.height();
}

}  // namespace tools
