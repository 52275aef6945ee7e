#include "compiler/line_geometry.h"

#include "compiler/keyword.h"

namespace compiler {
namespace {

// Curvature of each class, tested in this order: 1/10000 m up to 1/333⅓ m.
struct CurveClass {
  char digit;
  double k;
};
constexpr CurveClass kClasses[] = {{'1', 0.0001}, {'2', 0.0002}, {'3', 0.0004},
                                   {'4', 0.001},  {'5', 0.002},  {'6', 0.003}};

// The plan is walked with the last two points held in locals: a million
// points must cost no allocation and no re-reading of the table.
template <class Step>
bool extend(model::LineTable& plan, int32_t& m, int64_t last, int64_t cursor_limit, Step step) {
  if (m > last) return true;
  model::Variant* xs = plan.column[0].data();
  model::Variant* ys = plan.column[1].data();
  double x1 = xs[m - 1].value, y1 = ys[m - 1].value;
  double x2 = xs[m - 2].value, y2 = ys[m - 2].value;
  while (m <= last) {
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    double x, y;
    step(x1, y1, dx, dy, x, y);
    xs[m] = model::Variant::real(x);
    ys[m] = model::Variant::real(y);
    x2 = x1;
    y2 = y1;
    x1 = x;
    y1 = y;
    ++m;
    if (m > cursor_limit) return false;
  }
  return true;
}

}  // namespace

void start_plan(model::LineTable& plan) {
  plan.at(0, 0) = model::Variant::integer(0);
  plan.at(0, 1) = model::Variant::integer(0);
  plan.at(1, 0) = model::Variant::integer(0);
  plan.at(1, 1) = model::Variant::integer(1);
}

std::optional<double> curve_curvature(std::string_view keyword) {
  for (const CurveClass& c : kClasses) {
    if (keyword.find(c.digit) == std::string_view::npos) continue;
    return contains_ignoring_case(keyword, "s") ? c.k * -1 : c.k;
  }
  return std::nullopt;
}

bool extend_straight(model::LineTable& plan, int32_t& m, int64_t last, int64_t cursor_limit) {
  return extend(plan, m, last, cursor_limit,
                [](double x1, double y1, double dx, double dy, double& x, double& y) {
                  x = x1 + dx;
                  y = y1 + dy;
                });
}

bool extend_curve(model::LineTable& plan, int32_t& m, int64_t last, double k,
                  int64_t cursor_limit) {
  return extend(plan, m, last, cursor_limit,
                [k](double x1, double y1, double dx, double dy, double& x, double& y) {
                  x = x1 + (dx + k * dy);
                  y = y1 + (dy - k * dx);
                });
}

}  // namespace compiler
