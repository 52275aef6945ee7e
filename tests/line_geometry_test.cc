#include "compiler/line_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "tests/support/case_name.h"

namespace {

using model::Variant;

struct CurvatureCase {
  const char* keyword;
  std::optional<double> k;
  friend void PrintTo(const CurvatureCase& c, std::ostream* os) { *os << c.keyword; }
};

class CurveCurvature : public ::testing::TestWithParam<CurvatureCase> {};

TEST_P(CurveCurvature, FromTheFirstClassDigitAndTheSide) {
  EXPECT_EQ(compiler::curve_curvature(GetParam().keyword), GetParam().k);
}

INSTANTIATE_TEST_SUITE_P(
    LineGeometry, CurveCurvature,
    ::testing::Values(CurvatureCase{"curvas6", -0.003}, CurvatureCase{"curvad4", 0.001},
                      CurvatureCase{"curvas1", -0.0001}, CurvatureCase{"curvad2", 0.0002},
                      CurvatureCase{"curvad5", 0.002},
                      // A capital S is a left curve too.
                      CurvatureCase{"CURVAS3", -0.0004},
                      // Digit 1 is tested before 6.
                      CurvatureCase{"curvad61", 0.0001}, CurvatureCase{"curva7", std::nullopt},
                      CurvatureCase{"curva0s", std::nullopt}),
    testing_support::CaseName());

model::LineTable started_plan(int32_t line_span) {
  model::LineTable plan;
  plan.allocate(line_span);
  compiler::start_plan(plan);
  return plan;
}

TEST(LineGeometry, TheFirstStepPointsAlongColumn1) {
  model::LineTable plan = started_plan(100);
  int32_t m = compiler::kFirstComputedMetre;
  EXPECT_TRUE(compiler::extend_straight(plan, m, 98, compiler::kNoCursorLimit));
  EXPECT_EQ(m, 99);
  EXPECT_EQ(plan.at(0, 1), Variant::integer(0));
  EXPECT_EQ(plan.at(1, 1), Variant::integer(1));
  for (int32_t i = 2; i <= 98; ++i) {
    EXPECT_EQ(plan.at(i, 0), Variant::real(0));
    EXPECT_EQ(plan.at(i, 1), Variant::real(i));
  }
  EXPECT_EQ(plan.at(99, 0), Variant{});
}

TEST(LineGeometry, CurveStepsAreNotNormalised) {
  model::LineTable plan = started_plan(2000);
  int32_t m = compiler::kFirstComputedMetre;
  const double k = 0.001;
  ASSERT_TRUE(compiler::extend_curve(plan, m, 1000, k, compiler::kNoCursorLimit));
  // Each step turns by atan(k) and grows by sqrt(1 + k^2).
  const double dx = plan.at(1000, 0).value - plan.at(999, 0).value;
  const double dy = plan.at(1000, 1).value - plan.at(999, 1).value;
  EXPECT_NEAR(std::atan2(dx, dy), 999 * std::atan(k), 1e-9);
  EXPECT_NEAR(std::hypot(dx, dy), std::pow(1 + k * k, 999 / 2.0), 1e-9);
  EXPECT_GT(plan.at(1000, 0).value, 0);  // right curves turn to positive column 0
}

TEST(LineGeometry, ACurveStartsFromTheDirectionItFinds) {
  model::LineTable plan = started_plan(100);
  int32_t m = compiler::kFirstComputedMetre;
  compiler::extend_straight(plan, m, 10, compiler::kNoCursorLimit);
  compiler::extend_curve(plan, m, 11, -0.5, compiler::kNoCursorLimit);
  EXPECT_EQ(plan.at(11, 0), Variant::real(-0.5));
  EXPECT_EQ(plan.at(11, 1), Variant::real(11));
  // dx = -0.5, dy = 1: the bracket first, then the previous coordinate.
  compiler::extend_curve(plan, m, 12, -0.5, compiler::kNoCursorLimit);
  EXPECT_EQ(plan.at(12, 0), Variant::real(-0.5 + (-0.5 + -0.5 * 1)));
  EXPECT_EQ(plan.at(12, 1), Variant::real(11 + (1 - 0.25)));
  // A straight step after it repeats the last step.
  compiler::extend_straight(plan, m, 13, compiler::kNoCursorLimit);
  EXPECT_EQ(plan.at(13, 0), Variant::real(-2.5));
  EXPECT_EQ(plan.at(13, 1), Variant::real(12.5));
}

// The given line's first curve, 300 steps of k = -0.003 after 650 m of
// straight, to the last bit: the step is summed first and then added to the
// previous point; any other order changes the last bits from metre 669 on.
TEST(LineGeometry, CurveStepsSumInTheirFixedOrderToTheBit) {
  model::LineTable plan = started_plan(1000);
  int32_t m = compiler::kFirstComputedMetre;
  ASSERT_TRUE(compiler::extend_straight(plan, m, 650, compiler::kNoCursorLimit));
  ASSERT_TRUE(compiler::extend_curve(plan, m, 950, -0.003, compiler::kNoCursorLimit));
  EXPECT_EQ(plan.at(700, 0), Variant::real(-0x1.e8bca5d838a50p+1));  // -3.81825707...
  EXPECT_EQ(plan.at(700, 1), Variant::real(0x1.5de808b0920dcp+9));   // 699.81276518...
  EXPECT_EQ(plan.at(950, 0), Variant::real(-0x1.fa88fc8f59f51p+6));  // -126.63377593...
  EXPECT_EQ(plan.at(950, 1), Variant::real(0x1.c78ab33e2ec09p+9));   // 911.08359505...
}

TEST(LineGeometry, NothingIsComputedBehindTheCursor) {
  model::LineTable plan = started_plan(100);
  int32_t m = 50;
  compiler::extend_straight(plan, m, 49, compiler::kNoCursorLimit);
  compiler::extend_curve(plan, m, 10, 0.003, compiler::kNoCursorLimit);
  EXPECT_EQ(m, 50);
  EXPECT_EQ(plan.at(2, 0), Variant{});
}

TEST(LineGeometry, StopsRightAfterPassingTheCursorLimit) {
  model::LineTable plan = started_plan(100);
  int32_t m = compiler::kFirstComputedMetre;
  EXPECT_TRUE(compiler::extend_straight(plan, m, 20, 21));
  EXPECT_FALSE(compiler::extend_curve(plan, m, 90, 0.001, 30));
  EXPECT_EQ(m, 31);
  EXPECT_EQ(plan.at(30, 0).tag, Variant::kDouble);
  EXPECT_EQ(plan.at(31, 0), Variant{});
}

}  // namespace
