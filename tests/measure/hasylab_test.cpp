// The HUBER/HASYLAB reader on constructed fixtures: keys from the input
// file, filters, dead times and the reported background.
#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.hpp"
#include "measure/readers.hpp"

namespace korva {
namespace {

using test::HasylabRecord;
using test::hasylab_filter_block;
using test::hasylab_record;
using test::TestRun;

// Primary 2 2 2 on psi 176..179, 4 steps per degree.
TestRun sync_run() { return TestRun(kSynchrotron1, 2, 2, 2, 176.0f, 179.0f, 4.0f, "dat"); }

HasylabRecord primary(float psi, float value, int code, std::vector<double> c1, std::vector<double> c2) {
  HasylabRecord r;
  r.h = r.k = r.l = 2;
  r.value = value;
  r.sigma = value / 10;
  r.code = code;
  r.tc = 2.0f;
  r.psi = psi;
  r.mb = 1.5f;
  r.c1 = std::move(c1);
  r.c2 = std::move(c2);
  return r;
}

// Detector per monitor count after attenuation f, dead times and the beam
// count multiplier, for counting time tc.
double normalised(double c1, double c2, double tc, double bcm, double f, double tau1, double tau2) {
  const double r = 1.0 / tc;
  return (r * bcm * f * c1 / (1 - tau1 * r * c1)) / (r * c2 / (1 - tau2 * r * c2));
}

const std::vector<double> kC1a = {100, 50, 60, 80, 120};
const std::vector<double> kC2a = {1000, 1000, 1100, 900, 1200};
const std::vector<double> kC1b = {90, 70, 40, 60, 75, 81, 92, 40, 33, 55, 61, 70};
const std::vector<double> kC2b = {1010, 990, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1005};

TEST(Hasylab, FilterCodeFiveDeadTimesAndReportedBackground) {
  TestRun t = sync_run();
  t.input_tail("999 0 0\n2. 3. 5. 0.00001 0.00002 0. 1000. 0.\n");
  t.scan("HASYLAB F1 W1 (constructed fixture)\n" + hasylab_record(primary(176.5f, 800.0f, 5, kC1a, kC2a)) +
         hasylab_record(primary(177.0f, 900.0f, 9, kC1b, kC2b)));  // unknown code: keeps ff1*ff3
  t.read(hasyl4_);
  const double f = 2.0 * 5.0;
  const double left = normalised(100, 1000, 2, 1000, f, 1e-5, 2e-5) + normalised(90, 1010, 2, 1000, f, 1e-5, 2e-5);
  const double right = normalised(120, 1200, 2, 1000, f, 1e-5, 2e-5) + normalised(70, 1005, 2, 1000, f, 1e-5, 2e-5);
  const double bg = std::min(left, right) * 12 / 2 * 1.5;  // npts and m_b of the last record
  const ScanState& sc = t.run.sc;
  EXPECT_NEAR(sc.measured.background, bg, 1e-4 * bg);
  // Reported only: the measured values keep it.
  EXPECT_EQ(sc.measured.aintm[2], 800.0f);
  EXPECT_EQ(sc.measured.aintm[4], 900.0f);
  EXPECT_EQ(sc.measured.omax, 900.0f);
  EXPECT_EQ(sc.measured.sig_omax, 90.0f);
  EXPECT_EQ(sc.measured.omin, 800.0f);
  EXPECT_EQ(sc.measured.iprim_obs, 850.0f);
  EXPECT_EQ(sc.measured.sig_iprim_obs, 85.0f);
  EXPECT_TRUE(t.run.sc.measured.usable);
  EXPECT_FALSE(t.run.report.stopped());
}

TEST(Hasylab, OnlyTheClosingLineMeansNoReferences) {
  TestRun t = sync_run();
  t.input_tail("999 0 0\n");
  HasylabRecord ref = primary(0.0f, 5000.0f, 0, kC1a, kC2a);
  ref.h = ref.k = ref.l = 1;
  t.scan(hasylab_record(ref) + hasylab_record(primary(176.5f, 800.0f, 0, kC1a, kC2a)));
  t.read(hasyl4_);
  EXPECT_FALSE(t.run.report.stopped());
  EXPECT_EQ(t.run.sc.measured.nref, 0);
  EXPECT_EQ(t.run.sc.measured.aintm[2], 800.0f);
  // Neither line 13b nor a filter block: no beam count multiplier.
  EXPECT_EQ(t.run.sc.measured.background, 0.0f);
  const auto lines = t.lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "   h  k  l   theta     I*omega        fc     A*      L      p ext-len  y-prim   t-ext      I0*q");
}

TEST(Hasylab, HundredFirstReferenceLineIsNoKeyAndLine13bStillReads) {
  std::string tail;
  for (int i = 1; i <= 101; ++i) tail += std::to_string(i) + " 0 0\n";
  tail += "999 0 0\n2. 3. 5. 0. 0. 0. 1000.\n";
  TestRun t = sync_run();
  t.input_tail(tail);
  HasylabRecord ref = primary(0.0f, 5000.0f, 0, kC1a, kC2a);
  ref.h = 101;
  ref.k = ref.l = 0;
  t.scan(hasylab_record(ref) + hasylab_record(primary(176.5f, 800.0f, 1, kC1a, kC2a)));
  t.read(hasyl4_);
  EXPECT_FALSE(t.run.report.stopped());
  EXPECT_EQ(t.run.sc.measured.nref, 0);
  EXPECT_TRUE(t.listed(" Only the first 100 reference reflections of the input file are used"));
  const double bg = std::min(normalised(100, 1000, 2, 1000, 2, 0, 0), normalised(120, 1200, 2, 1000, 2, 0, 0)) * 5 * 1.5;
  EXPECT_NEAR(t.run.sc.measured.background, bg, 1e-4 * bg);
}

TEST(Hasylab, FilterBlockOfTheFileUnlessLine13bGivesTheMultiplier) {
  const std::string file = hasylab_filter_block(2, 3, 5, 10, 20, 0, 1000) +
                           hasylab_record(primary(176.5f, 800.0f, 3, kC1a, kC2a));
  TestRun from_file = sync_run();
  from_file.input_tail("999 0 0\n");
  from_file.scan(file);
  from_file.read(hasyl4_);
  double bg = std::min(normalised(100, 1000, 2, 1000, 6, 1e-5, 2e-5), normalised(120, 1200, 2, 1000, 6, 1e-5, 2e-5)) * 5 * 1.5;
  EXPECT_NEAR(from_file.run.sc.measured.background, bg, 1e-4 * bg);

  TestRun from_input = sync_run();
  from_input.input_tail("999 0 0\n1. 4. 1. 0. 0. 0. 500.\n");
  from_input.scan(file);
  from_input.read(hasyl4_);
  bg = std::min(normalised(100, 1000, 2, 500, 4, 0, 0), normalised(120, 1200, 2, 500, 4, 0, 0)) * 5 * 1.5;
  EXPECT_NEAR(from_input.run.sc.measured.background, bg, 1e-4 * bg);

  // An incomplete line 13b leaves the multiplier at zero, so the file's
  // filter block still counts.
  TestRun partial = sync_run();
  partial.input_tail("999 0 0\n7. 7. 7.\n");
  partial.scan(file);
  partial.read(hasyl4_);
  EXPECT_NEAR(partial.run.sc.measured.background, from_file.run.sc.measured.background, 1e-6 * bg);

  // Nothing carries over to the next run.
  TestRun next = sync_run();
  next.input_tail("999 0 0\n");
  next.scan(hasylab_record(primary(176.5f, 800.0f, 3, kC1a, kC2a)));
  next.read(hasyl4_);
  EXPECT_EQ(next.run.sc.measured.background, 0.0f);
}

TEST(Hasylab, PrimaryRecordsOutsideTheRangeGiveTheNotice) {
  TestRun t = sync_run();
  t.input_tail("999 0 0\n");
  t.scan(hasylab_record(primary(175.9f, 800.0f, 0, kC1a, kC2a)) +
         hasylab_record(primary(179.1f, 900.0f, 0, kC1a, kC2a)));
  t.read(hasyl4_);
  EXPECT_FALSE(t.run.sc.measured.usable);
  EXPECT_TRUE(t.listed(" The scan file is missing,or"));
  EXPECT_TRUE(t.listed(" of the scan file, please check your input"));
  for (float v : t.run.sc.measured.aintm) EXPECT_EQ(v, kNoMeasurement);
}

TEST(Hasylab, DamagedRecordsStopTheReading) {
  std::string cut = hasylab_record(primary(177.0f, 900.0f, 0, kC1b, kC2b));
  cut.resize(cut.size() - 20);  // the third count block is cut short
  TestRun t = sync_run();
  t.input_tail("999 0 0\n");
  t.scan(hasylab_record(primary(176.5f, 800.0f, 0, kC1a, kC2a)) + cut);
  t.read(hasyl4_);
  EXPECT_EQ(t.run.sc.measured.aintm[2], 800.0f);
  EXPECT_EQ(t.run.sc.measured.aintm[4], kNoMeasurement);
  EXPECT_TRUE(t.run.sc.measured.usable);
  EXPECT_TRUE(t.listing_contains(" reading stopped there"));

  std::string text = hasylab_record(primary(176.5f, 800.0f, 0, kC1a, kC2a));
  const std::size_t line2 = text.find('\n') + 1;
  text.replace(line2 + 20, 3, "abc");  // number of points
  TestRun u = sync_run();
  u.input_tail("999 0 0\n");
  u.scan(text + hasylab_record(primary(177.0f, 900.0f, 0, kC1b, kC2b)));
  u.read(hasyl4_);
  EXPECT_FALSE(u.run.sc.measured.usable);
  for (float v : u.run.sc.measured.aintm) EXPECT_EQ(v, kNoMeasurement);
}

TEST(Hasylab, UnreadableReferenceLineEndsTheRun) {
  TestRun t = sync_run();
  t.input_tail("1 1 1\n1 x 1\n999 0 0\n");
  t.scan(hasylab_record(primary(176.5f, 800.0f, 0, kC1a, kC2a)));
  t.read(hasyl4_);
  EXPECT_TRUE(t.run.report.stopped());
  EXPECT_TRUE(t.listed("read-error in the reference reflection lines of the input-file"));
}

TEST(SynchrotronObs, PrimaryLinesAndLinesThatAreNoNumbers) {
  TestRun t(kSynchrotron1, 2, 2, 2, 176.0f, 179.0f, 500.0f);
  t.scan(
      "    2    2    2    10.310   176.000      17.778     1.000\n"
      "    2    2    2    10.310   176.002      18.250     1.000\n"
      "       .\n"
      "    2    2    2    10.310   176.004      19.000\n");
  t.read(hasyl4_);
  EXPECT_FLOAT_EQ(t.run.sc.measured.aintm[0], 17.778f);
  EXPECT_FLOAT_EQ(t.run.sc.measured.aintm[1], 18.25f);
  EXPECT_FLOAT_EQ(t.run.sc.measured.aintm[2], 19.0f);
  EXPECT_EQ(t.run.sc.measured.background, 0.0f);
  EXPECT_TRUE(t.listed("      1 line(s) of the scan file could not be used and were skipped"));
  EXPECT_EQ(t.lines()[1], "   h  k  l   theta     I*omega        fc     A*      L      p ext-len y-prim  t-ext      I0*q");
}

}  // namespace
}  // namespace korva
