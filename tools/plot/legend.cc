#include "tools/plot/legend.h"

#include <functional>
#include <string>

#include "tools/plot/signal_marks.h"
#include "tools/plot/style.h"

namespace tools {
namespace {

using plot_draw::kMargin;
using plot_draw::kWidth;
using plot_draw::num;
using plot_draw::text;

enum class Shape { kLine, kDashed, kBlock, kBar, kHollow, kDiamond };

struct Item {
  Shape shape;
  const char* colour;
  const char* label;
};

constexpr Item kItems[] = {
    {Shape::kLine, style::kLine, "line"},
    {Shape::kDashed, style::kRunOn, "run-on past the end"},
    {Shape::kBar, style::kLineEnd, "line end"},
    {Shape::kBlock, style::kTunnel, "tunnel"},
    {Shape::kDiamond, style::kNameBoard, "name board"},
    {Shape::kBar, style::kSpeedBoard, "maximum-speed board"},
    {Shape::kBlock, style::kStation, "station: stop"},
    {Shape::kHollow, style::kStation, "station: pass-through"},
    {Shape::kBlock, style::kCurveLeft, "left curve"},
    {Shape::kBlock, style::kCurveRight, "right curve"},
    {Shape::kLine, style::kGradient, "gradient"},
    {Shape::kLine, style::kSpeed, "speed limit"},
    {Shape::kDashed, style::kPermittedSpeed, "speed a train may run (slowdowns applied)"},
    {Shape::kBlock, style::kSlowdown, "slowdown"},
    {Shape::kBar, style::kWarningBoard, "slowdown warning board"},
    {Shape::kBar, style::kPreWarning, "pre-warning"},
    {Shape::kBar, style::kAddedMarker, "marker (added)"},
    {Shape::kBar, style::kAbbattimento, "abbattimento"},
};

std::string sample(const Item& item, double x, double y) {
  const std::string c = item.colour;
  switch (item.shape) {
    case Shape::kLine:
    case Shape::kDashed:
      return "<line x1=\"" + num(x) + "\" y1=\"" + num(y) + "\" x2=\"" + num(x + 18) + "\" y2=\"" +
             num(y) + "\" stroke=\"" + c + "\" stroke-width=\"2\"" +
             (item.shape == Shape::kDashed ? " stroke-dasharray=\"4 3\"" : "") + "/>";
    case Shape::kBlock:
      return "<rect x=\"" + num(x) + "\" y=\"" + num(y - 5) +
             "\" width=\"18\" height=\"10\" fill=\"" + c + "\"/>";
    case Shape::kHollow:
      return "<rect x=\"" + num(x + 1) + "\" y=\"" + num(y - 4) +
             "\" width=\"16\" height=\"8\" fill=\"white\" stroke=\"" + c +
             "\" stroke-width=\"1.5\"/>";
    case Shape::kBar:
      return "<rect x=\"" + num(x + 7.5) + "\" y=\"" + num(y - 6) +
             "\" width=\"3\" height=\"12\" fill=\"" + c + "\"/>";
    case Shape::kDiamond:
      return "<path d=\"M" + num(x + 9) + " " + num(y - 5) + " l5 5 l-5 5 l-5 -5 z\" fill=\"" + c +
             "\"/>";
  }
  return {};
}

}  // namespace

double draw_legend(plot_draw::Page& page, double top, const std::vector<int>& signal_codes) {
  page.add(text(kMargin, top + 4, "Legend", "track-title", " font-weight=\"bold\""));
  page.add("<g id=\"legend\">");
  double x = kMargin, y = top + 22;
  const auto add = [&](const std::function<std::string(double, double)>& mark,
                       const std::string& label) {
    // The 11-pixel font averages about 6 pixels a character.
    const double width = 26 + 6.0 * static_cast<double>(label.size()) + 14;
    if (x + width > kWidth - kMargin) x = kMargin, y += 20;
    page.add("<g class=\"legend-item\">" + mark(x, y) + text(x + 24, y + 4, label, "legend") +
             "</g>");
    x += width;
  };
  for (const Item& item : kItems)
    add([&](double ix, double iy) { return sample(item, ix, iy); }, item.label);
  for (int code : signal_codes)
    add([&](double ix, double iy) { return signal_mark(ix + 9, iy, code, "", ""); },
        signal_kind_label(code));
  page.add("</g>");
  return y - top + 16;
}

}  // namespace tools
