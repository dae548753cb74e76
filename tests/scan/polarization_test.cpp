#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "scan/helpers.hpp"

namespace korva {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Factors {
  float ph, pg, pgh, pc, ci;
};

Factors call(double th, double tg, double tc, double e1, double e2, double e3) {
  Factors f{};
  polfa_(static_cast<float>(th), static_cast<float>(tg), static_cast<float>(tc), static_cast<float>(e1),
         static_cast<float>(e2), static_cast<float>(e3), f.ph, f.pg, f.pgh, f.pc, f.ci);
  return f;
}

// Independent double-precision model: the beam diffracted by G is the
// incident direction turned by 2thetaG about z and then by phi1 about the
// beam; a beam along k passes the part of the polarization perpendicular to k.
struct D3 {
  double x, y, z;
};
double dot(D3 a, D3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
D3 perp(D3 k, D3 v) {
  const double p = dot(v, k);
  return {v.x - p * k.x, v.y - p * k.y, v.z - p * k.z};
}
D3 unit(D3 v) {
  const double n = std::sqrt(dot(v, v));
  return {v.x / n, v.y / n, v.z / n};
}

struct Geometry {
  double th, tg, tc;  // Bragg angles
  D3 s, t;            // beams diffracted by G and by H
};

Geometry geometry(double th, double tg, double phi1) {
  Geometry g;
  g.th = th;
  g.tg = tg;
  const D3 in_plane{std::cos(2 * tg), std::sin(2 * tg), 0.0};
  g.s = {in_plane.x, in_plane.y * std::cos(phi1), in_plane.y * std::sin(phi1)};
  g.t = {std::cos(2 * th), std::sin(2 * th), 0.0};
  // The coupling reflection H - G diffracts between the two beams.
  g.tc = 0.5 * std::acos(dot(g.s, g.t));
  return g;
}

struct Expected {
  double ph, pg, pgh, pc, ci;
};

Expected expected(const Geometry& g, D3 e) {
  const D3 after_g = perp(g.s, e);
  const D3 after_gc = perp(g.t, unit(after_g));
  const D3 after_h = perp(g.t, e);
  const D3 after_hc = perp(g.s, unit(after_h));
  const double pc = dot(after_gc, after_gc), ph = dot(after_h, after_h);
  return {ph, dot(after_g, after_g), dot(after_hc, after_hc), pc,
          dot(after_h, after_gc) / std::sqrt(pc * ph)};
}

void expect_matches(const Factors& f, const Expected& x, double tol) {
  EXPECT_NEAR(f.ph, x.ph, tol);
  EXPECT_NEAR(f.pg, x.pg, tol);
  EXPECT_NEAR(f.pgh, x.pgh, tol);
  EXPECT_NEAR(f.pc, x.pc, tol);
  EXPECT_NEAR(f.ci, x.ci, tol);
}

const D3 kPerpendicular{0, 0, 1}, kInPlane{0, 1, 0};

TEST(Polarization, GeneralGeometryAgreesWithRotatedBeams) {
  int cases = 0;
  for (double th : {0.15, 0.4, 0.65, 1.1, 1.4}) {
    for (double tg : {0.2, 0.55, 0.9, 1.3}) {
      for (double phi1 : {0.35, 1.0, 1.5, 1.9, 2.7}) {
        const Geometry g = geometry(th, tg, phi1);
        for (D3 e : {kPerpendicular, kInPlane, unit(D3{0, 0.6, 0.8})}) {
          SCOPED_TRACE(testing::Message() << th << " " << tg << " " << phi1 << " e " << e.y << e.z);
          const Expected x = expected(g, e);
          if (x.pg < 1e-3 || x.ph < 1e-3 || x.pc < 1e-3) continue;  // ill-conditioned cosine
          expect_matches(call(g.th, g.tg, g.tc, e.x, e.y, e.z), x, 1e-5);
          ++cases;
        }
      }
    }
  }
  EXPECT_GT(cases, 250);
}

TEST(Polarization, PrimaryFactorOfBothIncidentStates) {
  for (double th : {0.0, 0.1, 0.3, 0.5, 0.7853981, 1.0, 1.3, 1.5707963}) {
    const Factors perpendicular = call(th, 0.4, 0.5, 0, 0, 1);
    EXPECT_FLOAT_EQ(perpendicular.ph, 1.0f) << th;
    const Factors in_plane = call(th, 0.4, 0.5, 0, 1, 0);
    const double c = std::cos(2 * th);
    EXPECT_NEAR(in_plane.ph, c * c, 1e-6) << th;
  }
}

// With thetaC = |thetaH - thetaG| or thetaH + thetaG the G beam lies in the
// plane of H (phi1 = 0 or pi); single-precision rounding puts the cosine of
// that angle slightly outside [-1, 1] for many of these.
TEST(Polarization, PlaneOfHWithRoundingOutsideTheCosineRange) {
  int outside = 0;
  for (int i = 1; i < 40; ++i) {
    for (int j = 1; j < 40; ++j) {
      const float th = 0.04f * static_cast<float>(i), tg = 0.04f * static_cast<float>(j);
      for (int side = 0; side < 2; ++side) {
        const float tc = side == 0 ? std::fabs(th - tg) : th + tg;
        if (tc > 1.5707963f) continue;
        const float v = (std::cos(2 * tc) - std::cos(2 * th) * std::cos(2 * tg)) /
                        (std::sin(2 * th) * std::sin(2 * tg));
        if (std::fabs(v) > 1.0f) ++outside;
        const Factors f = call(th, tg, tc, 0, 0, 1);
        const Factors f2 = call(th, tg, tc, 0, 1, 0);
        for (float value : {f.ph, f.pg, f.pgh, f.pc, f.ci, f2.ph, f2.pg, f2.pgh, f2.pc, f2.ci})
          ASSERT_TRUE(std::isfinite(value)) << th << " " << tg << " " << tc;
        // Everything stays in the plane of H: perpendicular polarization
        // passes unchanged along every path, and both paths end parallel.
        EXPECT_NEAR(f.pg, 1.0f, 1e-5);
        EXPECT_NEAR(f.pc, 1.0f, 1e-5);
        EXPECT_NEAR(f.pgh, 1.0f, 1e-5);
        EXPECT_NEAR(f.ci, 1.0f, 1e-5);
        const Geometry g = geometry(th, tg, side == 0 ? 0.0 : kPi);
        const Expected x = expected(g, kInPlane);
        EXPECT_NEAR(f2.pg, x.pg, 1e-4);
        EXPECT_NEAR(f2.ph, x.ph, 1e-4);
        if (x.pg > 1e-3 && x.ph > 1e-3) {
          EXPECT_NEAR(f2.pc, x.pc, 1e-3);
          EXPECT_NEAR(f2.pgh, x.pgh, 1e-3);
        }
      }
    }
  }
  EXPECT_GT(outside, 0);
}

TEST(Polarization, BeamAlongThePolarizationLeavesAPathDark) {
  // G diffracted along z, the perpendicular polarization: nothing passes G.
  const Factors g_dark = call(0.5, 0.7853982, 0.7853982, 0, 0, 1);
  EXPECT_LT(g_dark.pg, 1e-10f);
  EXPECT_EQ(g_dark.pc, 0.0f);
  EXPECT_EQ(g_dark.ci, 0.0f);
  EXPECT_FLOAT_EQ(g_dark.ph, 1.0f);
  EXPECT_TRUE(std::isfinite(g_dark.pgh));

  // H diffracted at 90 degrees, the in-plane polarization: nothing passes H.
  const Factors h_dark = call(0.7853982, 0.4, 0.5, 0, 1, 0);
  EXPECT_LT(h_dark.ph, 1e-10f);
  EXPECT_EQ(h_dark.pgh, 0.0f);
  EXPECT_EQ(h_dark.ci, 0.0f);
  EXPECT_TRUE(std::isfinite(h_dark.pg) && std::isfinite(h_dark.pc));

  const Factors none = call(0.5, 0.4, 0.3, 0, 0, 0);
  for (float value : {none.ph, none.pg, none.pgh, none.pc, none.ci}) EXPECT_EQ(value, 0.0f);
}

TEST(Polarization, NoNaNAnywhereOnTheAngleRange) {
  std::vector<float> angles;
  for (int i = 0; i <= 24; ++i) angles.push_back(static_cast<float>(i) * 0.0654498469f);  // 0 .. pi/2
  angles.push_back(0.7853982f);
  angles.push_back(1.5707964f);
  for (float th : angles)
    for (float tg : angles)
      for (float tc : angles)
        for (D3 e : {kPerpendicular, kInPlane}) {
          const Factors f = call(th, tg, tc, e.x, e.y, e.z);
          for (float value : {f.ph, f.pg, f.pgh, f.pc}) {
            ASSERT_TRUE(value >= 0.0f && value <= 1.0001f) << th << " " << tg << " " << tc << " " << value;
          }
          ASSERT_TRUE(f.ci >= -1.0f && f.ci <= 1.0f) << th << " " << tg << " " << tc;
        }
}

}  // namespace
}  // namespace korva
