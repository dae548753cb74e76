// Reference reflections read from the scan files and turned into I0, with
// the run's own structure factors, absorption and extinction.  The two
// ".obs" files are built after the examples of the input description: their
// first lines as printed there, the rest constructed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "crystal/absorption.hpp"
#include "crystal/neutron.hpp"
#include "crystal/xray.hpp"
#include "expected_terms.hpp"
#include "fixtures.hpp"
#include "measure/readers.hpp"
#include "scan/helpers.hpp"
#include "scan/stages.hpp"

namespace korva {
namespace {

using test::cad4_record;
using test::Expect;
using test::fmt;
using test::TestRun;

#define NEED_CRYSTAL(t, zinc) \
  if (!(t).crystal(zinc)) GTEST_SKIP() << "structure factors are not available in this build"

test::ChukD real_chuk(const Run& run) {
  return [&run](double x, double theta) {
    float y = 0;
    chuk_(run.extinction, static_cast<float>(x), static_cast<float>(theta), y);
    return static_cast<double>(y);
  };
}

double xray_f(Run& run, int h, int k, int l, double theta) {
  float f = 0, phi = 0;
  fcalc1_(run.cr, h, k, l, std::sin(static_cast<float>(theta) * 0.0174533f) / run.par.alam1, f, phi, run.report);
  return f;
}

double astar(const Run& run, double theta) {
  float a = 1, second = 0;
  absor1_(run.par.mur, a, second, static_cast<float>(theta), run.par.rkugel);
  return a;
}

// The listed lines that start with the indices h k l in 3-column fields.
int listed_with_indices(const TestRun& t, int h, int k, int l) {
  const std::string head = " " + fmt("%3.0f", h) + fmt("%3.0f", k) + fmt("%3.0f", l);
  int n = 0;
  for (const auto& s : t.lines())
    if (s.rfind(head, 0) == 0) ++n;
  return n;
}

// Zinc, Cu K-alpha, primary 0 0 3 measured in steps of 0.02 degrees.
const char* kZincObs =
    "   -1    2   -4    58.375     0.       1941.340\n"
    "   -2    3    1    63.700     0.        850.500\n"
    "   -2    1    2    41.040     0.       3120.000\n"
    "    0    0    3    27.350   -40.00        52.300\n"
    "    0    0    3    27.350   -39.98        51.900\n"
    "    0    0    3    27.350   -39.96        58.700\n"
    "    0    0    3    27.350   -39.94        66.100\n"
    "       .\n"
    "       .\n"
    "       .\n";

TEST(ReferenceReflections, ZincTubeListGivesIZeroAsTheMeanEstimate) {
  TestRun t(kTube, 0, 0, 3, -40.0f, -38.0f, 50.0f);
  NEED_CRYSTAL(t, true);
  t.run.par.mur = 2.0f;
  t.io.memory_scan = kZincObs;
  ASSERT_TRUE(read_measured_scan(t.run));
  const struct {
    int h, k, l;
    double theta, value;
  } refs[] = {{-1, 2, -4, 58.375, 1941.34}, {-2, 3, 1, 63.7, 850.5}, {-2, 1, 2, 41.04, 3120.0}};
  double sum = 0;
  for (const auto& r : refs) {
    const Expect e = test::tube_expect(t.run.par, r.value, r.theta, xray_f(t.run, r.h, r.k, r.l, r.theta),
                                       astar(t.run, r.theta), real_chuk(t.run));
    sum += e.i0;
    EXPECT_EQ(listed_with_indices(t, r.h, r.k, r.l), 1);
  }
  EXPECT_EQ(t.run.sc.measured.nref, 3);
  EXPECT_NEAR(t.run.par.i0, sum / 3, 1e-3 * sum / 3);
  EXPECT_EQ(t.run.sc.measured.aintm[3], 66.1f);
  EXPECT_TRUE(t.listed("      3 line(s) of the scan file could not be used and were skipped"));
  EXPECT_TRUE(t.listed(" Radius of the crystal (muemeter)       : 150.00000"));
  EXPECT_TRUE(t.listed(" crystal cross section (mm**2)          :" + fmt("%10.5f", 3.14159265 * 0.15 * 0.15)));
  // The doublet carries 1.5 times the intensity of the K-alpha1 line.
  const std::string tag = " I0(K-alpha1+2; counts * mm-2 * sec-1)  :";
  bool found = false;
  for (const auto& s : t.lines()) {
    if (s.rfind(tag, 0) != 0) continue;
    found = true;
    const double shown = std::strtod(s.substr(tag.size()).c_str(), nullptr);
    EXPECT_NEAR(shown, 0.01 * 1.5 * sum / 3, 1e-3 * 0.015 * sum / 3);
  }
  EXPECT_TRUE(found);
  EXPECT_FALSE(t.listing_contains("There are no reference reflections"));
}

TEST(ReferenceReflections, WeakTubeReferenceIsListedButNotUsed) {
  TestRun t(kTube, 0, 0, 4, -40.0f, -38.0f, 50.0f);
  NEED_CRYSTAL(t, false);
  t.scan(
      "  2  0  0  16.47  0.  100.0\n"  // forbidden in the diamond structure
      "  0  0  4  34.56  -39.0  80.0\n");
  t.read(cad4_);
  EXPECT_EQ(listed_with_indices(t, 2, 0, 0), 1);
  EXPECT_EQ(t.run.sc.measured.nref, 0);
  EXPECT_EQ(t.run.sc.measured.i0_sum, 0.0f);
}

TEST(ReferenceReflections, CadReferenceRecordWithAttenuator) {
  TestRun t(kTube, 0, 0, 4, -40.0f, -38.0f, 4.0f, "dat");
  NEED_CRYSTAL(t, false);
  std::array<int, 96> counts{};
  counts.fill(3);
  t.scan(cad4_record(2, 2, 0, 'I', 0.0f, -2, false, 1200, 90000, 1500, 23.65f, counts) +
         cad4_record(0, 0, 4, ' ', -39.0f, 1, true, 0, 0, 0, 34.56f, counts));
  t.read(cad4_);
  const double value = 12.179 * 16.48 * (90000 / 60.0 - 2 * (1200 / 60.0 + 1500 / 60.0)) / 2;
  const Expect e = test::tube_expect(t.run.par, value, 23.65, xray_f(t.run, 2, 2, 0, 23.65), astar(t.run, 23.65),
                                     real_chuk(t.run));
  EXPECT_EQ(t.run.sc.measured.nref, 1);
  EXPECT_NEAR(t.run.sc.measured.i0_sum, e.i0, 1e-3 * e.i0);
  bool found = false;
  for (const auto& s : t.lines())
    if (s.rfind("   2  2  0  23.650", 0) == 0) {
      found = true;
      EXPECT_NEAR(std::strtod(s.substr(18, 10).c_str(), nullptr), value, 0.02);
    }
  EXPECT_TRUE(found);
}

TEST(ReferenceReflections, SiliconSynchrotronListAfterTheInputDescription) {
  TestRun t(kSynchrotron1, 2, 2, 2, 176.0f, 179.0f, 500.0f);
  NEED_CRYSTAL(t, false);
  t.scan(
      "    1    1    1     5.137      .000    5130.000     1.000\n"
      "   -1   -1   -1     5.137      .000    5080.000     1.000\n"
      "    0    0    4    11.917      .000    2950.000     0.950\n"
      "    2    2    2    10.310   176.000      17.778     1.000\n"
      "    2    2    2    10.310   176.002      18.012     1.000\n"
      "    2    2    2    10.310   176.004      17.950     1.000\n"
      "    2    2    2    10.310   176.006      18.430     1.000\n");
  t.read(hasyl4_);
  const struct {
    int h, k, l;
    double theta, value, pol;
  } refs[] = {{1, 1, 1, 5.137, 5130, 1}, {-1, -1, -1, 5.137, 5080, 1}, {0, 0, 4, 11.917, 2950, 0.95}};
  double sum = 0;
  for (const auto& r : refs)
    sum += test::sync_expect(t.run.par, r.value, r.theta, r.pol, xray_f(t.run, r.h, r.k, r.l, r.theta),
                             astar(t.run, r.theta), real_chuk(t.run))
               .i0;
  EXPECT_EQ(t.run.sc.measured.nref, 3);
  EXPECT_NEAR(t.run.sc.measured.i0_sum, sum, 1e-3 * sum);
  EXPECT_FLOAT_EQ(t.run.sc.measured.aintm[3], 18.43f);
}

TEST(ReferenceReflections, DuplicateKeyIsEvaluatedOnceAndPrimaryKeyStaysPrimary) {
  TestRun t(kSynchrotron1, 2, 2, 2, 176.0f, 179.0f, 4.0f, "dat");
  NEED_CRYSTAL(t, false);
  t.input_tail("1 1 1\n1 1 1\n2 2 2\n999 0 0\n");
  test::HasylabRecord ref;
  ref.h = ref.k = ref.l = 1;
  ref.value = 5000;
  ref.two_theta = -10.274f;  // the magnitude counts
  ref.pol = 1;
  ref.c1 = {1, 2, 3};
  ref.c2 = {1, 1, 1};
  test::HasylabRecord prim = ref;
  prim.h = prim.k = prim.l = 2;
  prim.value = 20;
  prim.psi = 176.5f;
  t.scan(test::hasylab_record(ref) + test::hasylab_record(prim));
  t.read(hasyl4_);
  EXPECT_EQ(t.run.sc.measured.nref, 1);
  EXPECT_EQ(listed_with_indices(t, 1, 1, 1), 1);
  EXPECT_EQ(t.run.sc.measured.aintm[2], 20.0f);
  const Expect e = test::sync_expect(t.run.par, 5000, 5.137, 1, xray_f(t.run, 1, 1, 1, 5.137), astar(t.run, 5.137),
                                     real_chuk(t.run));
  EXPECT_NEAR(t.run.sc.measured.i0_sum, e.i0, 1e-3 * e.i0);
}

TEST(ReferenceReflections, NeutronReferencesWithTheirStructureFactors) {
  TestRun t(kNeutrons, 2, 2, 2, 10.0f, 12.0f, 2.0f);
  NEED_CRYSTAL(t, false);
  t.scan(
      "  1  1  1  10.98   0.   4000.0\n"
      "  2  0  0  12.70   0.    100.0\n"  // structure factor counts as zero: listed, no estimate
      "  2  2  2  22.50  11.    300.0\n");
  t.read(neutron_);
  float f = 0, phi = 0;
  fcalc1_n_(t.run.cr, 1, 1, 1, f, phi, t.run.report);
  const Expect e = test::neutron_expect(t.run.par, 4000, 10.98, f, real_chuk(t.run));
  EXPECT_EQ(t.run.sc.measured.nref, 1);
  EXPECT_NEAR(t.run.sc.measured.i0_sum, e.i0, 1e-3 * e.i0);
  EXPECT_EQ(listed_with_indices(t, 2, 0, 0), 1);
  EXPECT_EQ(t.run.sc.measured.aintm[2], 300.0f);
}

}  // namespace
}  // namespace korva
