// The comparison of simulated and measured scan on synthetic arrays.
#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.hpp"
#include "measure/compare.hpp"
#include "scan/finish.hpp"

namespace korva {
namespace {

using test::fmt;
using test::TestRun;

// A flat level with two events on a grid of 201 points.
float pattern(int i) {
  const auto peak = [](double d, double w) { return std::exp(-0.5 * (d / w) * (d / w)); };
  return static_cast<float>(100.0 + 1000.0 * peak(i - 60, 4.0) + 400.0 * peak(i - 140, 6.0) -
                            60.0 * peak(i - 100, 5.0));
}

// Calculated scan = pattern; measured(i) = scale * pattern(i + shift).
void fill(TestRun& t, int shift, float scale) {
  ScanState& sc = t.run.sc;
  const int n = static_cast<int>(sc.aint.size());
  sc.cmax = 0.0f;
  sc.measured.omax = 0.0f;
  for (int i = 0; i < n; ++i) {
    sc.aint[static_cast<std::size_t>(i)] = pattern(i);
    sc.cmax = std::max(sc.cmax, pattern(i));
    if (i + shift >= 0 && i + shift < n) {
      sc.measured.aintm[static_cast<std::size_t>(i)] = scale * pattern(i + shift);
      sc.measured.omax = std::max(sc.measured.omax, scale * pattern(i + shift));
    }
  }
}

TEST(Comparison, FindsTheShiftOfTheMeasuredScan) {
  for (int shift : {3, -2, 0}) {
    TestRun t(kTube, 0, 0, 3, 0.0f, 2.0f, 100.0f);  // 0.01 degree a step
    fill(t, shift, 2.5f);
    compare_with_measurement(t.run);
    EXPECT_EQ(t.run.sc.psi_shift, shift);
    EXPECT_TRUE(t.listed(" Deviation between calculated and measured psi    :" + fmt("%8.3f", shift / 100.0)));
  }
}

TEST(Comparison, ShiftOfATenthOfADegreeOrMoreIsReportedAsZero) {
  TestRun t(kTube, 0, 0, 3, 0.0f, 10.0f, 20.0f);  // 0.05 degree a step
  fill(t, 2, 1.0f);                                 // 0.1 degree
  compare_with_measurement(t.run);
  EXPECT_EQ(t.run.sc.psi_shift, 0);
  EXPECT_TRUE(t.listed(" Deviation between calculated and measured psi    :   0.000"));

  TestRun u(kTube, 0, 0, 3, 0.0f, 10.0f, 20.0f);
  fill(u, 1, 1.0f);  // 0.05 degree stays
  compare_with_measurement(u.run);
  EXPECT_EQ(u.run.sc.psi_shift, 1);
}

TEST(Comparison, NothingToCompareNeverDividesByZero) {
  // One measured point, the maximum itself: no point lies below 0.8 of it.
  TestRun t(kTube, 0, 0, 3, 0.0f, 2.0f, 100.0f);
  for (std::size_t i = 0; i < t.run.sc.aint.size(); ++i) t.run.sc.aint[i] = pattern(static_cast<int>(i));
  t.run.sc.cmax = 1100.0f;
  t.run.sc.measured.aintm[60] = 500.0f;
  t.run.sc.measured.omax = 500.0f;
  compare_with_measurement(t.run);
  EXPECT_EQ(t.run.sc.psi_shift, 0);
  EXPECT_TRUE(t.listed(" Deviation between calculated and measured psi    :   0.000"));

  // All measured values zero, and a calculated scan that never rose above 0.
  TestRun u(kTube, 0, 0, 3, 0.0f, 2.0f, 100.0f);
  for (float& v : u.run.sc.measured.aintm) v = 0.0f;
  u.run.sc.cmax = 0.0f;
  compare_with_measurement(u.run);
  EXPECT_EQ(u.run.sc.psi_shift, 0);
  EXPECT_EQ(u.run.sc.cmax, 0.0f);  // the calculated maximum is shown as it is
  EXPECT_FALSE(u.listing_contains("*"));
}

TEST(Comparison, MeasuredBlockOfTheListing) {
  TestRun t(kTube, 0, 0, 3, -40.0f, -38.0f, 50.0f);
  ScanState& sc = t.run.sc;
  t.run.par.psi1 = -39.5f;
  t.run.par.psi2 = -39.25f;
  sc.measured.omax = 1234.567f;
  sc.measured.sig_omax = 12.345f;
  sc.measured.psi_omax = -39.12f;
  sc.measured.iprim_obs = 300.25f;
  sc.measured.sig_iprim_obs = 4.5f;
  sc.measured.omin = 20.0f;
  sc.measured.sig_omin = 1.25f;
  sc.measured.psi_omin = -38.5f;
  sc.measured.background = 55.5f;
  compare_with_measurement(t.run);
  const std::vector<std::string> expected = {
      "",
      "",
      " Deviation between calculated and measured psi    :   0.000",
      "",
      " Maximum background corrected measured intensity (cps)    :   1234.57  +/-    12.35 at psi = -39.120",
      " Measured I-prim                                 (cps)    :    300.25  +/-     4.50 in the psi interval:   "
      "-39.500   -39.250",
      " Minimum background corrected measured intensity (cps)    :     20.00  +/-     1.25 at psi = -38.500",
      " Background                                      (cps)    :     55.50",
      "",
  };
  EXPECT_EQ(t.lines(), expected);
}

TEST(Comparison, WithoutMeasuredScanNothingIsWritten) {
  TestRun t(kTube, 0, 0, 3, 0.0f, 2.0f, 100.0f);
  fill(t, 3, 1.0f);
  t.run.par.scan_flag = 0;
  compare_with_measurement(t.run);
  EXPECT_EQ(t.io.listing.text(), "");
  EXPECT_EQ(t.run.sc.psi_shift, 0);
}

}  // namespace
}  // namespace korva
