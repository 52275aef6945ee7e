// The drawing helpers the parts of the plot share: numbers and text as SVG
// wants them, the page being filled, and the distance axis that every track
// under the plan follows.
#pragma once

#include <string>

namespace tools::plot_draw {

constexpr double kWidth = 1200;
constexpr double kMargin = 72;

// One decimal: enough for a screen, and the same bytes on every platform.
std::string num(double v);
// Text and attribute values with the five XML specials escaped and the
// control characters XML has no place for dropped.
std::string escape(const std::string& text);

// A text element; `extra` holds further attributes, each with a leading blank.
std::string text(double x, double y, const std::string& s, const std::string& cls,
                 const std::string& extra = "");
// What a hover shows, as the first child of the element it belongs to.
std::string title(const std::string& hover);

class Page {
 public:
  void add(const std::string& element) { body_ += element + "\n"; }
  const std::string& body() const { return body_; }

 private:
  std::string body_;
};

// What moves along the distance axis is clipped to the tracks' frames.
constexpr char kClip[] = " clip-path=\"url(#along-clip)\"";

// Metres along the line to page x. The page shows metres 0 to `metres`; the
// viewer moves the elements that carry data-m0 (and data-m1) when zooming.
struct Axis {
  double metres;
  double x(double metre) const { return kMargin + metre / metres * (kWidth - 2 * kMargin); }
  // The attributes that let the viewer place an element anew.
  static std::string at(double m0) { return " data-m0=\"" + num(m0) + "\""; }
  static std::string span(double m0, double m1) { return at(m0) + " data-m1=\"" + num(m1) + "\""; }
};

}  // namespace tools::plot_draw
