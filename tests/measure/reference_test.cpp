// The incident-intensity estimate of one reference reflection, checked in
// double precision from the formulas with a stand-in extinction function.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "expected_terms.hpp"
#include "fixtures.hpp"
#include "measure/reference.hpp"

namespace korva {
namespace {

using test::fmt;
using test::TestRun;

using test::blocks;
using test::Expect;
using test::kD;

double chuk_d(double x, double) { return 1.0 / (1.0 + 0.3 * x); }
float chuk_f(float x, float theta) { return static_cast<float>(chuk_d(x, theta)); }

Expect tube_expect(const Params& p, double value, double theta, double f, double astar) {
  return test::tube_expect(p, value, theta, f, astar, chuk_d);
}

TEST(ReferenceEstimate, TubeFollowsTheMosaicModel) {
  TestRun t(kTube, 0, 0, 3, 0.0f, 1.0f, 10.0f);
  const Params& p = t.run.par;
  for (double theta : {8.0, 23.5, 44.0, 71.0}) {
    const ReferenceTerms r = tube_reference(p, 1941.34f, static_cast<float>(theta), 35.5f, 1.37f, chuk_f);
    const Expect e = tube_expect(p, 1941.34, theta, 35.5, 1.37);
    EXPECT_NEAR(r.p, e.p, 1e-5 * e.p) << theta;
    EXPECT_NEAR(r.y, e.y, 1e-4 * e.y) << theta;
    EXPECT_NEAR(r.q, e.q, 1e-4 * e.q) << theta;
    EXPECT_NEAR(r.blocks, e.t, 1e-4 * e.t) << theta;
    EXPECT_NEAR(r.i0, e.i0, 1e-4 * e.i0) << theta;
    EXPECT_TRUE(r.counted);
  }
}

TEST(ReferenceEstimate, TubeCountsOnlyStructureFactorsFromTwoUp) {
  TestRun t(kTube, 0, 0, 3, 0.0f, 1.0f, 10.0f);
  EXPECT_FALSE(tube_reference(t.run.par, 500.0f, 20.0f, 1.99f, 1.0f, chuk_f).counted);
  EXPECT_TRUE(tube_reference(t.run.par, 500.0f, 20.0f, 2.0f, 1.0f, chuk_f).counted);
  // A forbidden reflection gives no estimate at all.
  EXPECT_FALSE(tube_reference(t.run.par, 500.0f, 20.0f, 0.0f, 1.0f, chuk_f).counted);
}

TEST(ReferenceEstimate, FullyPolarizedBeamHasNoPolarizationLoss) {
  TestRun t(kSynchrotron1, 2, 2, 2, 176.0f, 179.0f, 10.0f);
  const Params& p = t.run.par;
  for (double theta : {5.137, 20.0, 45.0, 60.0}) {
    const ReferenceTerms r = synchrotron_reference(p, 5130.0f, static_cast<float>(theta), 1.0f, 48.0f, 1.0f, chuk_f);
    const double tb = p.radius * 1e-4, kf = p.scale_k * 48.0;
    const double y1 = std::min(chuk_d(tb * kf, theta), 0.9 / (kf * 4.0 / 3.0 * tb));
    EXPECT_EQ(r.p, 1.0f);
    EXPECT_NEAR(r.y, y1, 1e-5 * y1);
    const double q = p.alam1 * 1e-8 / std::sin(2 * theta * kD) * (4.0 / 3.0 * tb) * y1 * kf * kf;
    const double i0 = 5130.0 / (57.29578 * blocks(p) * p.cross_section * q);
    EXPECT_NEAR(r.i0, i0, 1e-4 * i0);
  }
  // A partly polarized beam: the perpendicular component enters with cos^2 2theta.
  const double theta = 30.0, pol = 0.6, u = std::cos(2 * theta * kD);
  const ReferenceTerms r = synchrotron_reference(p, 100.0f, 30.0f, 0.6f, 48.0f, 1.0f, chuk_f);
  EXPECT_NEAR(r.p, ((1 + pol) + (1 - pol) * u * u) / 2, 1e-6);
  EXPECT_FALSE(synchrotron_reference(p, 100.0f, 30.0f, 1.0f, 0.001f, 1.0f, chuk_f).counted);
}

TEST(ReferenceEstimate, NeutronsCountWhateverTheStructureFactorButNeverInfinity) {
  TestRun t(kNeutrons, 2, 2, 0, 0.0f, 10.0f, 10.0f);
  const Params& p = t.run.par;
  for (float f : {0.05f, 40.0f}) {
    const ReferenceTerms r = neutron_reference(p, 800.0f, 17.0f, f, chuk_f);
    const double tb = p.radius * 1e-4, tee = 4.0 / 3.0 * tb, kf = p.scale_k * f;
    const double y = std::min(chuk_d(tb * kf, 17.0), 0.9 / (kf * tee));
    const double q = p.alam1 * 1e-8 / std::sin(34 * kD) * tee * y * kf * kf;
    const double i0 = 800.0 / (57.29578 * blocks(p) * p.cross_section * q);
    EXPECT_TRUE(r.counted);
    EXPECT_NEAR(r.i0, i0, 1e-4 * i0);
  }
  // A structure factor that counts as zero gives no estimate.
  EXPECT_FALSE(neutron_reference(p, 800.0f, 17.0f, 0.0f, chuk_f).counted);
  EXPECT_FALSE(neutron_reference(p, 800.0f, 17.0f, 0.0001f, chuk_f).counted);
}

TEST(ReferenceEstimate, BlocksInReflectingPositionAreAtLeastOne) {
  TestRun t(kTube, 0, 0, 3, 0.0f, 1.0f, 10.0f);
  Params& p = t.run.par;
  p.rkugel = 1e-5f;  // a crystal smaller than a block
  EXPECT_EQ(reflecting_blocks(p), 1.0f);
  p.rkugel = 0.015f;
  p.eta = 0.0f;  // perfect alignment: every block along the path
  EXPECT_NEAR(reflecting_blocks(p), 2.0 * 0.015 / (3.0 * 2e-4), 1e-3);
}

TEST(ReferenceListing, HeadersAndColumns) {
  EXPECT_EQ(tube_reference_header(),
            "   h  k  l   theta   I*omega        fc      A*       L       p ext-len    y-prim     t-ext      I0*q");
  EXPECT_EQ(synchrotron_obs_header(),
            "   h  k  l   theta     I*omega        fc     A*      L      p ext-len y-prim  t-ext      I0*q");
  EXPECT_EQ(synchrotron_file_header(),
            "   h  k  l   theta     I*omega        fc     A*      L      p ext-len  y-prim   t-ext      I0*q");
  EXPECT_EQ(neutron_reference_header(),
            "   h  k  l   theta   I*omega        fc     A*      L ext-len  y-prim   t-ext      I0*q");

  TestRun t(kTube, 0, 0, 3, 0.0f, 1.0f, 10.0f);
  const ReferenceTerms r = tube_reference(t.run.par, 1941.34f, 58.375f, 35.5f, 1.37f, chuk_f);
  const Expect e = tube_expect(t.run.par, 1941.34, 58.375, 35.5, 1.37);
  const std::string line = tube_reference_line(-1, 2, -4, r);
  const std::string fixed = std::string(" ") + " -1  2 -4" + fmt("%8.3f", 58.375) + fmt("%10.2f", 1941.34) +
                            fmt("%10.2f", 35.5) + fmt("%8.4f", 1 / 1.37) +
                            fmt("%8.2f", 1 / std::sin(2 * 58.375 * kD)) + fmt("%8.2f", e.p) +
                            fmt("%8.2f", e.lp * 1e4) + fmt("%10.4f", e.y) +
                            fmt("%10.2f", 4.0 / 3.0 * 2e-4 * e.y * e.t * 1e4);
  ASSERT_EQ(line.size(), fixed.size() + 10);
  EXPECT_EQ(line.substr(0, fixed.size()), fixed);
  // The last column, I0*q, in exponent form.
  const double i0q = 1941.34 * 1.37 / (1.5 * 57.29578 * e.q * e.t);
  // Two significant digits: the value rounded as %.1e rounds it.
  EXPECT_EQ(std::strtod(line.substr(fixed.size()).c_str(), nullptr), std::strtod(fmt("%.1e", i0q).c_str(), nullptr));
  EXPECT_EQ(line.substr(fixed.size(), 3), "  0");
}

}  // namespace
}  // namespace korva
