// The neutron reader, and the measured-scan stage of a run around the readers.
#include <gtest/gtest.h>

#include "fixtures.hpp"
#include "measure/readers.hpp"
#include "scan/stages.hpp"

namespace korva {
namespace {

using test::TestRun;

TEST(NeutronScan, PrimaryIntensitiesAsReadWhateverTheFileName) {
  TestRun t(kNeutrons, 2, 2, 0, 10.0f, 12.0f, 2.0f, "dat");
  t.run.par.psi1 = 10.5f;
  t.run.par.psi2 = 11.0f;
  t.scan(
      "  2  2  0  24.0   9.5    999.0\n"  // outside the range
      "  2  2  0  24.0  10.0    300.0\n"
      "  2  2  0  24.0  10.5    320.0\n"
      "  2  2  0  24.0  11.0    -20.0\n"
      "  2  2  0  24.0  12.5    999.0\n");
  t.read(neutron_);
  const ScanState& sc = t.run.sc;
  EXPECT_EQ(sc.measured.aintm[0], 300.0f);
  EXPECT_EQ(sc.measured.aintm[1], 320.0f);
  EXPECT_EQ(sc.measured.aintm[2], -20.0f);
  EXPECT_EQ(sc.measured.aintm[3], kNoMeasurement);
  EXPECT_EQ(sc.measured.aintm[4], kNoMeasurement);
  EXPECT_EQ(sc.measured.omax, 320.0f);
  EXPECT_EQ(sc.measured.omin, -20.0f);
  EXPECT_EQ(sc.measured.background, 0.0f);
  EXPECT_EQ(sc.measured.iprim_obs, 150.0f);
  EXPECT_EQ(sc.measured.sig_iprim_obs, 0.0f);
  EXPECT_EQ(sc.measured.nref, 0);
  EXPECT_EQ(sc.measured.i0_sum, 0.0f);
  EXPECT_TRUE(t.run.sc.measured.usable);
}

TEST(NeutronScan, NoPrimaryLineInRange) {
  TestRun t(kNeutrons, 2, 2, 0, 10.0f, 12.0f, 2.0f);
  t.scan("  2  2  0  24.0   9.5    999.0\n");
  t.read(neutron_);
  EXPECT_FALSE(t.run.sc.measured.usable);
  EXPECT_TRUE(t.listed(" The scan file is missing,or"));
}

TEST(MeasuredScanStage, WithoutScanFileOnlyTheDefaultScale) {
  TestRun t(kSynchrotron1, 2, 2, 2, 176.0f, 179.0f, 10.0f);
  t.run.par.scan_flag = 0;
  t.run.par.rkugel = 0.02f;
  ASSERT_TRUE(read_measured_scan(t.run));
  const std::vector<std::string> expected = {
      " Scale factor estimated from the incident intensity I0:",
      " I0 (counts * mm-2 * sec-1)        :0.1000E+09",
      " Volume of the sample (mm-3)       :0.3351E-01      (Radius of the sample (mm):    0.2000 )",
  };
  EXPECT_EQ(t.lines(), expected);
}

TEST(MeasuredScanStage, MissingFileEndsTheRun) {
  TestRun t(kTube, 0, 0, 3, -40.0f, -38.0f, 10.0f);
  t.io.in_memory = false;
  t.run.par.dname2 = "/nonexistent/korva/zn.obs";
  t.run.par.dname2.resize(72, ' ');
  EXPECT_FALSE(read_measured_scan(t.run));
  EXPECT_EQ(t.io.iostat, 1);
  const std::vector<std::string> expected = {
      "", "", "     " + t.run.par.dname2, " there is no such file or directory, or the file is empty,",
      " check your input!"};
  EXPECT_EQ(t.lines(), expected);
}

TEST(MeasuredScanStage, SecondSynchrotronKindIsReadAsSynchrotronScan) {
  TestRun t(kSynchrotron2, 2, 2, 2, 176.0f, 179.0f, 500.0f);
  t.io.memory_scan = "    2    2    2    10.310   176.002      18.250     1.000\n";
  ASSERT_TRUE(read_measured_scan(t.run));
  EXPECT_EQ(t.run.sc.measured.aintm[1], 18.25f);
  EXPECT_EQ(t.run.par.scan_flag, 1);
  EXPECT_TRUE(t.listed(" There are no reference reflections in the file"));
}

TEST(MeasuredScanStage, NegativeMeasuredMinimumBecomesZero) {
  TestRun t(kNeutrons, 2, 2, 0, 10.0f, 12.0f, 2.0f);
  t.io.memory_scan = "2 2 0 24. 10. -5.\n2 2 0 24. 11. 7.\n";
  ASSERT_TRUE(read_measured_scan(t.run));
  EXPECT_EQ(t.run.sc.measured.omin, 0.0f);
  EXPECT_EQ(t.run.sc.measured.aintm[0], -5.0f);  // the scan itself keeps the value
}

}  // namespace
}  // namespace korva
