#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.hpp"
#include "measure/readers.hpp"

namespace korva {
namespace {

using test::TestRun;

// Grid 0..10 degrees, 4 steps per degree: every psi below is exact in binary.
TestRun grid() { return TestRun(kTube, 0, 0, 3, 0.0f, 10.0f, 4.0f); }

TEST(PrimaryStep, GoesToTheNearestGridPointWithHalvesAwayFromZero) {
  TestRun t = grid();
  StepSums sums;
  for (float psi : {0.125f, 0.375f, 10.0f}) EXPECT_TRUE(store_primary_step(t.run.par, t.run.sc.measured, sums, psi, 7.0f, 0.0f));
  const auto& m = t.run.sc.measured.aintm;
  ASSERT_EQ(m.size(), 41u);
  EXPECT_EQ(m[1], 7.0f);   // 0.5 steps
  EXPECT_EQ(m[2], 7.0f);   // 1.5 steps
  EXPECT_EQ(m[40], 7.0f);  // psie itself
  EXPECT_EQ(m[0], kNoMeasurement);
  EXPECT_EQ(sums.steps, 3);
}

TEST(PrimaryStep, OutsideTheRangeLeavesNoTrace) {
  TestRun t = grid();
  StepSums sums;
  EXPECT_FALSE(store_primary_step(t.run.par, t.run.sc.measured, sums, -0.0625f, 500.0f, 1.0f));
  EXPECT_FALSE(store_primary_step(t.run.par, t.run.sc.measured, sums, 10.0625f, -500.0f, 1.0f));
  for (float v : t.run.sc.measured.aintm) EXPECT_EQ(v, kNoMeasurement);
  EXPECT_EQ(t.run.sc.measured.omax, 0.0f);
  EXPECT_EQ(t.run.sc.measured.omin, 1.0e6f);
  EXPECT_EQ(sums.steps, 0);
  EXPECT_EQ(sums.iprim_count, 0);
}

TEST(PrimaryStep, LaterStepOnTheSamePointOverwritesButBothCount) {
  TestRun t = grid();
  t.run.par.psi1 = 1.0f;
  t.run.par.psi2 = 1.0625f;  // inclusive at both ends
  StepSums sums;
  store_primary_step(t.run.par, t.run.sc.measured, sums, 1.0f, 50.0f, 2.0f);
  store_primary_step(t.run.par, t.run.sc.measured, sums, 1.0625f, 30.0f, 3.0f);  // 4.25 steps: same point
  store_primary_step(t.run.par, t.run.sc.measured, sums, 2.0f, 40.0f, 4.0f);     // outside psi1..psi2
  const ScanState& sc = t.run.sc;
  EXPECT_EQ(sc.measured.aintm[4], 30.0f);
  EXPECT_EQ(sc.measured.omax, 50.0f);
  EXPECT_EQ(sc.measured.psi_omax, 1.0f);
  EXPECT_EQ(sc.measured.sig_omax, 2.0f);
  EXPECT_EQ(sc.measured.omin, 30.0f);
  EXPECT_EQ(sc.measured.psi_omin, 1.0625f);
  EXPECT_EQ(sc.measured.sig_omin, 3.0f);
  EXPECT_EQ(sums.iprim_count, 2);
  EXPECT_EQ(sums.iprim_sum, 80.0f);
  EXPECT_EQ(sums.sigma_sum, 5.0f);
  EXPECT_EQ(sums.steps, 3);
}

TEST(ObsLine, ReadsTheDocumentedLayouts) {
  ObsLine o;
  // Synchrotron list: seven columns.
  ASSERT_EQ(parse_obs_line("    1    1    1     5.137      .000    5130.000     1.000", true, o), ObsRead::line);
  EXPECT_EQ(o.h, 1);
  EXPECT_EQ(o.l, 1);
  EXPECT_FLOAT_EQ(o.theta, 5.137f);
  EXPECT_EQ(o.psi, 0.0f);
  EXPECT_FLOAT_EQ(o.value, 5130.0f);
  EXPECT_TRUE(o.has_pol);
  EXPECT_EQ(o.pol, 1.0f);
  // Tube list: six columns, no polarization ratio.
  ASSERT_EQ(parse_obs_line("   -1    2   -4    58.375     0.       1941.340", false, o), ObsRead::line);
  EXPECT_EQ(o.h, -1);
  EXPECT_EQ(o.k, 2);
  EXPECT_EQ(o.l, -4);
  EXPECT_FLOAT_EQ(o.value, 1941.34f);
  EXPECT_FALSE(o.has_pol);
  // Commas, and values beyond those needed.
  ASSERT_EQ(parse_obs_line("2,2,2,10.31,176.002,17.5,0.9,extra", false, o), ObsRead::line);
  EXPECT_FLOAT_EQ(o.psi, 176.002f);
  // Six values where seven are wanted: readable, without polarization.
  ASSERT_EQ(parse_obs_line("2 2 2 10.31 176.004 17.5", true, o), ObsRead::line);
  EXPECT_FALSE(o.has_pol);
}

TEST(ObsLine, TextShortLinesAndNullValuesAreUnreadable) {
  ObsLine o;
  EXPECT_EQ(parse_obs_line("", false, o), ObsRead::blank);
  EXPECT_EQ(parse_obs_line("     ", false, o), ObsRead::blank);
  EXPECT_EQ(parse_obs_line("       .", false, o), ObsRead::unreadable);
  EXPECT_EQ(parse_obs_line("  h  k  l  theta  psi  I", false, o), ObsRead::unreadable);
  EXPECT_EQ(parse_obs_line("1 1 1 5.0 0.0", false, o), ObsRead::unreadable);
  EXPECT_EQ(parse_obs_line("1,,1,5.0,0.0,3.0", false, o), ObsRead::unreadable);
  EXPECT_EQ(parse_obs_line("1 1 1 5.0 / 3.0", false, o), ObsRead::unreadable);
  EXPECT_EQ(parse_obs_line("1.5 1 1 5.0 0.0 3.0", false, o), ObsRead::unreadable);  // indices are integers
}

}  // namespace
}  // namespace korva
