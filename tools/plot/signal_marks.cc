#include "tools/plot/signal_marks.h"

#include <algorithm>

#include "tools/plot/draw.h"
#include "tools/plot/style.h"

namespace tools {

using plot_draw::num;

int signal_code(const model::Cell& signal) { return (signal.value_d % 10 + 10) % 10; }

std::string signal_kind_label(int code) {
  return "signal sx " + std::to_string(code / 3) + ", dx " + std::to_string(code % 3);
}

std::string signal_mark(double x, double y, int code, const std::string& extra,
                        const std::string& inside) {
  // Five outlines, filled for the codes 0 to 4 and hollow for 5 to 9: ten
  // marks, one for each code. The hollow ones take the outlines in another
  // order, so that codes five apart (3 and 8) differ in outline too.
  const bool hollow = code >= 5;
  const int outline = hollow ? (code + 2) % 5 : code;
  const double r = 4;
  std::string d;
  switch (outline) {
    case 0:  // circle
      d = "M" + num(x - r) + " " + num(y) + " a" + num(r) + " " + num(r) + " 0 1 0 " + num(2 * r) +
          " 0 a" + num(r) + " " + num(r) + " 0 1 0 " + num(-2 * r) + " 0 z";
      break;
    case 1:  // triangle, point up
      d = "M" + num(x) + " " + num(y - r) + " l" + num(r) + " " + num(2 * r - 1) + " h" +
          num(-2 * r) + " z";
      break;
    case 2:  // diamond
      d = "M" + num(x) + " " + num(y - r - 1) + " l" + num(r + 1) + " " + num(r + 1) + " l" +
          num(-(r + 1)) + " " + num(r + 1) + " l" + num(-(r + 1)) + " " + num(-(r + 1)) + " z";
      break;
    case 3:  // triangle, point down
      d = "M" + num(x) + " " + num(y + r) + " l" + num(r) + " " + num(-(2 * r - 1)) + " h" +
          num(-2 * r) + " z";
      break;
    default:  // square
      d = "M" + num(x - r + 0.5) + " " + num(y - r + 0.5) + " h" + num(2 * r - 1) + " v" +
          num(2 * r - 1) + " h" + num(-(2 * r - 1)) + " z";
      break;
  }
  return "<path class=\"signal signal-" + std::to_string(code) + "\" d=\"" + d + "\" fill=\"" +
         (hollow ? "white" : style::kSignal) + "\" stroke=\"" + style::kSignal +
         "\" stroke-width=\"1.5\" data-x=\"" + num(x) + "\"" + extra + ">" + inside + "</path>";
}

std::vector<int> signal_codes(const model::Scenario& m) {
  std::vector<int> codes;
  for (const model::Cell& c : m.cell_track)
    if (c.kind == model::kind::kSignal) codes.push_back(signal_code(c));
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  return codes;
}

}  // namespace tools
