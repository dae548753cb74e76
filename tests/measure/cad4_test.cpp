// The CAD-4 and tube ".obs" reader on constructed fixtures.
#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.hpp"
#include "measure/readers.hpp"
#include "scan/stages.hpp"

namespace korva {
namespace {

using test::cad4_record;
using test::TestRun;

// Primary 0 0 3 on psi -40..-38 with 4 steps per degree.
TestRun cad4_run() { return TestRun(kTube, 0, 0, 3, -40.0f, -38.0f, 4.0f, "dat"); }

std::array<int, 96> profile(int base, int first, int last) {
  std::array<int, 96> p{};
  for (int i = 0; i < 96; ++i) p[static_cast<std::size_t>(i)] = base + (i * 7) % 13;
  p.front() = first;
  p.back() = last;
  return p;
}

double sum(const std::array<int, 96>& p) {
  double s = 0;
  for (int c : p) s += c;
  return s;
}

const std::array<int, 96> kA = profile(20, 11, 17);
const std::array<int, 96> kB = profile(40, 25, 23);

std::string two_steps() {
  return "CAD4 PSI SCAN OF 0 0 3 (constructed fixture)\n" +
         cad4_record(0, 0, 3, ' ', -39.5f, -2, true, 0, 0, 0, 21.5f, kA) +
         "some other line with ** elsewhere\n" + cad4_record(0, 0, 3, ' ', -39.0f, 4, true, 0, 0, 0, 21.5f, kB);
}

TEST(Cad4Profile, AttenuatedAndPlainStepsWithTheProfileBackground) {
  TestRun t = cad4_run();
  t.scan(two_steps());
  t.read(cad4_);
  // Counts per second from the profile sums, independently in double.
  const double att = 12.179;
  const double ia = att * 16.48 * sum(kA) / (60.0 * 2);
  const double sa = att * 16.48 * std::sqrt(sum(kA) + 48.0 * (11 + 17)) / (60.0 * 2);
  const double ib = 16.48 * sum(kB) / (60.0 * 4);
  const double sb = 16.48 * std::sqrt(sum(kB) + 48.0 * (25 + 23)) / (60.0 * 4);
  const double left = att * 16.48 * 11 / 2 + 16.48 * 25 / 4;
  const double right = att * 16.48 * 17 / 2 + 16.48 * 23 / 4;
  const double bg = std::min(96.0 * left / (60.0 * 2), 96.0 * right / (60.0 * 2));

  const ScanState& sc = t.run.sc;
  EXPECT_NEAR(sc.measured.background, bg, 1e-5 * bg);
  EXPECT_NEAR(sc.measured.aintm[2], ia - bg, 1e-4 * ia);
  EXPECT_NEAR(sc.measured.aintm[4], ib - bg, 1e-4 * ib);
  for (std::size_t i : {0u, 1u, 3u, 5u, 6u, 7u, 8u}) EXPECT_EQ(sc.measured.aintm[i], kNoMeasurement);
  EXPECT_NEAR(sc.measured.omax, std::max(ia, ib) - bg, 1e-4 * ia);
  EXPECT_NEAR(sc.measured.omin, std::min(ia, ib) - bg, 1e-4 * ia);
  EXPECT_NEAR(sc.measured.iprim_obs, (ia + ib) / 2 - bg, 1e-4 * ia);
  EXPECT_NEAR(sc.measured.sig_iprim_obs, (sa + sb) / 2, 1e-4 * sa);
  EXPECT_TRUE(t.run.sc.measured.usable);
  EXPECT_EQ(t.run.sc.measured.nref, 0);
}

TEST(Cad4Profile, StepsJustOutsideThePsiRangeLeaveNoTrace) {
  TestRun plain = cad4_run();
  plain.scan(two_steps());
  plain.read(cad4_);

  TestRun outside = cad4_run();
  const auto loud = profile(900, 999, 999);
  outside.scan(cad4_record(0, 0, 3, ' ', -40.01f, 1, true, 0, 0, 0, 21.5f, loud) + two_steps() +
               cad4_record(0, 0, 3, ' ', -37.99f, -1, true, 0, 0, 0, 21.5f, loud));
  outside.read(cad4_);

  EXPECT_EQ(outside.run.sc.measured.aintm, plain.run.sc.measured.aintm);
  EXPECT_EQ(outside.run.sc.measured.background, plain.run.sc.measured.background);
  EXPECT_EQ(outside.run.sc.measured.omax, plain.run.sc.measured.omax);
  EXPECT_EQ(outside.run.sc.measured.omin, plain.run.sc.measured.omin);
  EXPECT_EQ(outside.run.sc.measured.iprim_obs, plain.run.sc.measured.iprim_obs);
}

TEST(Cad4Profile, NoPrimaryStepGivesTheNoticeAndNoScan) {
  TestRun t = cad4_run();
  // A reference record that is no intensity measurement (flag other than I)
  // and a primary step outside the range.
  t.scan(cad4_record(1, 1, 1, 'X', 0.0f, 1, false, 10, 500, 10, 14.2f, kA) +
         cad4_record(0, 0, 3, ' ', 12.0f, 1, true, 0, 0, 0, 21.5f, kA));
  t.read(cad4_);
  EXPECT_FALSE(t.run.sc.measured.usable);
  EXPECT_TRUE(t.listed(" The scan file is missing, or"));
  EXPECT_TRUE(t.listed(" the indices or the psi-range input by the user"));
  EXPECT_TRUE(t.listed(" do not correspond to the measured primary reflection"));
  EXPECT_TRUE(t.listed(" of the scan file, please check your input"));
  EXPECT_EQ(t.run.sc.measured.background, 0.0f);
  for (float v : t.run.sc.measured.aintm) EXPECT_EQ(v, kNoMeasurement);
}

TEST(Cad4Profile, DamagedRecordStopsReadingAndKeepsWhatCameBefore) {
  // The second record holds text where a count belongs; the third is never read.
  std::string bad = cad4_record(0, 0, 3, ' ', -39.0f, 4, true, 0, 0, 0, 21.5f, kB);
  const std::size_t line5 = bad.find("PROFILE", bad.find("PROFILE", bad.find("PROFILE") + 1) + 1);
  bad.replace(line5 + 9, 4, "x12 ");  // columns 12-15
  TestRun t = cad4_run();
  t.scan(cad4_record(0, 0, 3, ' ', -39.5f, 2, true, 0, 0, 0, 21.5f, kA) + bad +
         cad4_record(0, 0, 3, ' ', -38.5f, 2, true, 0, 0, 0, 21.5f, kA));
  t.read(cad4_);
  EXPECT_LT(t.run.sc.measured.aintm[2], kNoMeasurement);
  EXPECT_EQ(t.run.sc.measured.aintm[4], kNoMeasurement);
  EXPECT_EQ(t.run.sc.measured.aintm[6], kNoMeasurement);
  EXPECT_TRUE(t.listing_contains(" The scan file is damaged in line      11"));
  EXPECT_TRUE(t.run.sc.measured.usable);

  // A record cut short by the end of the file.
  std::string cut = cad4_record(0, 0, 3, ' ', -39.0f, 4, true, 0, 0, 0, 21.5f, kB);
  cut.resize(cut.find("PROFILE"));
  TestRun u = cad4_run();
  u.scan(cad4_record(0, 0, 3, ' ', -39.5f, 2, true, 0, 0, 0, 21.5f, kA) + cut);
  u.read(cad4_);
  EXPECT_LT(u.run.sc.measured.aintm[2], kNoMeasurement);
  EXPECT_EQ(u.run.sc.measured.aintm[4], kNoMeasurement);
  EXPECT_TRUE(u.run.sc.measured.usable);
}

TEST(Cad4Profile, ZeroCountDivisorIsSkipped) {
  TestRun t = cad4_run();
  t.scan(cad4_record(0, 0, 3, ' ', -39.5f, 0, true, 0, 0, 0, 21.5f, kA) +
         cad4_record(0, 0, 3, ' ', -39.0f, 4, true, 0, 0, 0, 21.5f, kB));
  t.read(cad4_);
  EXPECT_EQ(t.run.sc.measured.aintm[2], kNoMeasurement);
  EXPECT_LT(t.run.sc.measured.aintm[4], kNoMeasurement);
  EXPECT_TRUE(std::isfinite(t.run.sc.measured.background));
  EXPECT_TRUE(t.listing_contains("      1 line(s) of the scan file could not be used"));
}

TEST(Cad4Obs, OnlyPrimaryLinesGiveNoReferenceAndTheDefaultScale) {
  TestRun t(kTube, 0, 0, 3, -40.0f, -38.0f, 50.0f);
  t.io.memory_scan =
      "    0    0    3    21.500   -40.00       120.000\n"
      "    0    0    3    21.500   -39.98       130.000\n"
      "    0    0    3    21.500   -39.96       110.000\n";
  ASSERT_TRUE(read_measured_scan(t.run));
  EXPECT_EQ(t.run.sc.measured.nref, 0);
  EXPECT_EQ(t.run.sc.measured.i0_sum, 0.0f);
  EXPECT_EQ(t.run.par.i0, 2.0e9f);
  EXPECT_EQ(t.run.sc.measured.background, 0.0f);
  EXPECT_EQ(t.run.sc.measured.aintm[0], 120.0f);
  EXPECT_EQ(t.run.sc.measured.aintm[1], 130.0f);
  EXPECT_EQ(t.run.sc.measured.aintm[2], 110.0f);
  EXPECT_EQ(t.run.sc.measured.omax, 130.0f);
  EXPECT_FLOAT_EQ(t.run.sc.measured.psi_omax, -39.98f);
  EXPECT_EQ(t.run.sc.measured.sig_omax, 0.0f);
  EXPECT_FLOAT_EQ(t.run.sc.measured.iprim_obs, 120.0f);
  const auto lines = t.lines();
  const std::vector<std::string> expected = {
      " Calculation of the scale factor using the reference reflections of the file:",
      "   scan.obs" + std::string(64, ' '),
      "",
      "   h  k  l   theta   I*omega        fc      A*       L       p ext-len    y-prim     t-ext      I0*q",
      "",
      "",
      " There are no reference reflections in the file",
      "",
      " Scale factor estimated from the incident intensity I0:",
      " I0 (counts * mm-2 * sec-1)        :0.2000E+08",
      " Volume of the sample (mm-3)       :0.1414E-01      (Radius of the sample (mm):    0.1500 )",
  };
  ASSERT_GE(lines.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i;
}

TEST(Cad4Obs, TwoLinesOnOneGridPointKeepTheLaterValueAndCountBoth) {
  TestRun t(kTube, 0, 0, 3, -40.0f, -38.0f, 50.0f);
  t.scan(
      "    0    0    3    21.500   -39.98       200.000\n"
      "    0    0    3    21.500   -39.979      150.000\n");
  t.read(cad4_);
  EXPECT_EQ(t.run.sc.measured.aintm[1], 150.0f);
  EXPECT_EQ(t.run.sc.measured.omax, 200.0f);
  EXPECT_EQ(t.run.sc.measured.omin, 150.0f);
  EXPECT_FLOAT_EQ(t.run.sc.measured.iprim_obs, 175.0f);
}

}  // namespace
}  // namespace korva
