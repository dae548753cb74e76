#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "scan/event_search.hpp"
#include "scan_setup.hpp"

namespace korva {
namespace {

using Vec = std::array<double, 3>;
constexpr double kPi = 3.14159265358979323846;

Vec add(const Vec& a, const Vec& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec scale(const Vec& a, double f) { return {a[0] * f, a[1] * f, a[2] * f}; }
double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec unit(const Vec& a) { return scale(a, 1.0 / std::sqrt(dot(a, a))); }

// Reciprocal basis in Cartesian coordinates (a* along x, b* in the xy
// plane), built from the direct cell without the metric tensor.
struct Basis {
  Vec as, bs, cs;
  Vec of(double h, double k, double l) const { return add(add(scale(as, h), scale(bs, k)), scale(cs, l)); }
};

Basis reciprocal_basis(double a, double b, double c, double al, double be, double ga) {
  const double r = kPi / 180.0;
  // Direct basis vectors, then the reciprocal ones by cross products.
  const Vec av = {a, 0, 0};
  const Vec bv = {b * std::cos(ga * r), b * std::sin(ga * r), 0};
  const double cx = c * std::cos(be * r);
  const double cy = c * (std::cos(al * r) - std::cos(be * r) * std::cos(ga * r)) / std::sin(ga * r);
  const Vec cv = {cx, cy, std::sqrt(c * c - cx * cx - cy * cy)};
  const double v = dot(av, cross(bv, cv));
  return {scale(cross(bv, cv), 1.0 / v), scale(cross(cv, av), 1.0 / v), scale(cross(av, bv), 1.0 / v)};
}

// Rotation of v about the unit axis n by the angle t (right-handed).
Vec rotate(const Vec& v, const Vec& n, double t) {
  return add(add(scale(v, std::cos(t)), scale(cross(n, v), std::sin(t))), scale(n, dot(n, v) * (1.0 - std::cos(t))));
}

// The angles psi (degrees, -180..180) at which G lies on the Ewald sphere
// whose centre sits in the direction of u, G turned about H by psi
// (right-handed; psi counts azimuths the other way round, as the sign rule
// of the azimuth of G has it).  Found by scanning and bisection,
// independently of the crossing-angle formula.
std::vector<double> crossings(const Basis& basis, const Params& p, const Vec& u_index, int h, int k, int l,
                              double lambda) {
  const Vec hc = basis.of(p.h, p.k, p.l);
  const Vec n = unit(hc);
  const Vec uc = basis.of(u_index[0], u_index[1], u_index[2]);
  const Vec eu = unit(add(uc, scale(n, -dot(uc, n))));
  const double kk = 1.0 / lambda;
  const double half = std::sqrt(dot(hc, hc)) / 2.0;
  const Vec centre = add(scale(n, half), scale(eu, std::sqrt(kk * kk - half * half)));
  const Vec g = basis.of(h, k, l);
  auto f = [&](double psi_deg) {
    const Vec d = add(rotate(g, n, psi_deg * kPi / 180.0), scale(centre, -1.0));
    return dot(d, d) - kk * kk;
  };
  std::vector<double> roots;
  const double step = 0.25;
  double x0 = -180.0, f0 = f(x0);
  for (double x1 = x0 + step; x1 <= 180.0 + 1e-9; x1 += step) {
    const double f1 = f(x1);
    if ((f0 < 0) != (f1 < 0)) {
      double lo = x0, hi = x1, flo = f0;
      for (int it = 0; it < 80; ++it) {
        const double mid = 0.5 * (lo + hi), fm = f(mid);
        if ((fm < 0) == (flo < 0)) {
          lo = mid;
          flo = fm;
        } else {
          hi = mid;
        }
      }
      roots.push_back(0.5 * (lo + hi));
    }
    x0 = x1;
    f0 = f1;
  }
  return roots;
}

double angle_gap(double a, double b) {
  double d = std::fmod(std::fabs(a - b), 360.0);
  return std::min(d, 360.0 - d);
}

TEST(EventPositions, AgreeWithTheSphereMetByTurningGAboutH) {
  // A triclinic cell: no symmetry helps the formulas.
  testing::CrystalLines lines;
  lines.cell = "7.1 9.3 5.4 85 97 102";
  lines.radiation = "Mo";
  lines.primary = "1 2 3 1.5 0 0 0";
  lines.line6 = "-180 180 10 0 1 0";
  testing::PreparedRun pr(lines);
  ASSERT_TRUE(pr.ok) << pr.listing();
  const Params& p = pr.run.par;
  const PassGeometry geo = make_pass_geometry(p, p.alam1, 0.0f);
  const Basis basis = reciprocal_basis(7.1, 9.3, 5.4, 85, 97, 102);

  // The reference direction is perpendicular to H in the Cartesian frame too.
  const Vec hc = basis.of(1, 2, 3), uc = basis.of(geo.u[0], geo.u[1], geo.u[2]);
  EXPECT_NEAR(dot(hc, uc) / std::sqrt(dot(hc, hc) * dot(uc, uc)), 0.0, 1e-7);

  int crossing_points = 0, missing_points = 0;
  for (int h = -4; h <= 4; ++h)
    for (int k = -4; k <= 4; ++k)
      for (int l = -4; l <= 4; ++l) {
        if (h == 0 && k == 0 && l == 0) continue;
        EventGeometry ev;
        const bool found = locate_event(geo, h, k, l, ev);
        if (found && std::fabs(ev.cosx) > 0.999) continue;  // too close to tangent for the scan
        const Vec gc = basis.of(h, k, l), along = cross(gc, hc);
        if (dot(along, along) < 1e-12 * dot(gc, gc) * dot(hc, hc)) {  // on the H axis
          EXPECT_FALSE(found);
          continue;
        }
        const std::vector<double> roots = crossings(basis, p, geo.u, h, k, l, p.alam1);
        if (!found) {
          EXPECT_TRUE(roots.empty()) << h << " " << k << " " << l;
          ++missing_points;
          continue;
        }
        ++crossing_points;
        ASSERT_EQ(roots.size(), 2u) << h << " " << k << " " << l;
        for (float psi : ev.psi) {
          const double best = std::min(angle_gap(psi, roots[0]), angle_gap(psi, roots[1]));
          EXPECT_LT(best, 2e-5) << h << " " << k << " " << l << " psi " << psi;
        }
        EXPECT_GT(angle_gap(ev.psi[0], ev.psi[1]), 1e-3);
      }
  EXPECT_GT(crossing_points, 50);
  EXPECT_GT(missing_points, 50);
}

// The window test before the arc cosines drops only points whose two
// solutions both fail the acceptance window, and only where it is on.
TEST(EventPositions, TheWindowTestDropsOnlyPointsOutsideTheWindow) {
  testing::CrystalLines lines;
  lines.cell = "7.1 9.3 5.4 85 97 102";
  lines.primary = "1 2 3 1.5 0 0 0";
  testing::PreparedRun pr(lines);
  ASSERT_TRUE(pr.ok) << pr.listing();
  struct Case {
    float psia, psie, psid;
    bool wrap, on;
  };
  const Case cases[] = {{-66, 16, 0, false, true},   {-66, 16, 23.5f, false, true}, {10, 100, -40, true, true},
                        {-179, 16, 0, false, false}, {2, 100, 0, true, false},      {-10, 10, 200, false, false}};
  for (const Case& c : cases) {
    PassGeometry geo = make_pass_geometry(pr.run.par, pr.run.par.alam1, c.psid);
    geo.wrap_0_360 = c.wrap;
    const PassGeometry plain = geo;
    set_psi_window(geo, c.psia, c.psie);
    EXPECT_EQ(geo.window_cos <= 1.0, c.on) << c.psia;
    int dropped = 0, kept = 0;
    for (int h = -geo.hmax; h <= geo.hmax; ++h)
      for (int k = -geo.kmax; k <= geo.kmax; ++k)
        for (int l = -geo.lmax; l <= geo.lmax; ++l) {
          if (h == 0 && k == 0 && l == 0) continue;
          EventGeometry ev, full;
          const bool found = locate_event(geo, h, k, l, ev);
          ASSERT_EQ(found, locate_event(plain, h, k, l, full));
          if (!found) continue;
          const bool in = in_window(full.psi[0], c.psia, c.psie) || in_window(full.psi[1], c.psia, c.psie);
          if (ev.outside) {
            EXPECT_FALSE(in) << h << " " << k << " " << l;
            ++dropped;
          } else {
            EXPECT_EQ(ev.psi, full.psi);
            kept += in;
          }
        }
    EXPECT_EQ(dropped > 0, c.on) << c.psia;
    EXPECT_GT(kept, 0);
  }
}

TEST(EventPositions, OriginAndPointsOnTheHAxisGiveNoEvent) {
  testing::PreparedRun pr(testing::CrystalLines{});
  ASSERT_TRUE(pr.ok);
  const PassGeometry geo = make_pass_geometry(pr.run.par, pr.run.par.alam1, 0.0f);
  EventGeometry ev;
  for (int m : {-3, -2, -1, 0, 1, 2, 3})
    EXPECT_FALSE(locate_event(geo, 4 * m, 4 * m, m, ev)) << m;  // multiples of 4 4 1 lie on 8 8 2
  EXPECT_TRUE(locate_event(geo, 3, 5, 1, ev));  // next to the axis
}

// In the plane of H and u the azimuth of G is exactly 0 or 180 degrees and
// the solutions are +-X: the arc cosines work at +-1, where single precision
// is poorest, above all for G nearly parallel to H.
TEST(EventPositions, GInThePlaneOfHAndUIsPlacedToDoublePrecision) {
  testing::PreparedRun pr(testing::CrystalLines{});
  ASSERT_TRUE(pr.ok);
  const Params& p = pr.run.par;
  const PassGeometry geo = make_pass_geometry(p, p.alam1, 0.0f);
  ASSERT_EQ(geo.u[0], -1.0);  // u = (-1, 1, 0) for 8 8 2 in a cubic cell
  ASSERT_EQ(geo.u[1], 1.0);

  // The azimuth in single precision from the cell as the input phase keeps
  // it, the way the formula reads.
  const float rad = static_cast<float>(M_PI / 180.0);
  const float ast = p.ast, cg = std::cos(p.gammast * rad);
  const float m[3][3] = {{ast * ast, ast * ast * cg, ast * ast * cg},
                         {ast * ast * cg, ast * ast, ast * ast * cg},
                         {ast * ast * cg, ast * ast * cg, ast * ast}};
  const int hp[3] = {8, 8, 2};
  float gh[3], hn2 = 0.0f;
  for (int i = 0; i < 3; ++i) gh[i] = m[i][0] * hp[0] + m[i][1] * hp[1] + m[i][2] * hp[2];
  for (int i = 0; i < 3; ++i) hn2 += hp[i] * gh[i];
  const float dsp = 1.0f / std::sqrt(hn2);
  const float us[3] = {-gh[1] / gh[0], 1.0f, 0.0f};
  float un2 = 0.0f;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) un2 += us[i] * m[i][j] * us[j];
  auto single_azimuth = [&](const int g[3]) {
    float pf = 0.0f, g2 = 0.0f, gu = 0.0f;
    for (int i = 0; i < 3; ++i) {
      pf += gh[i] * g[i];
      for (int j = 0; j < 3; ++j) {
        g2 += g[i] * m[i][j] * g[j];
        gu += g[i] * m[i][j] * us[j];
      }
    }
    pf *= dsp;
    const float gn = std::sqrt(g2);
    float c = gu / (std::sqrt(un2) * gn * std::sin(std::acos(pf / gn)));
    c = std::fmax(-1.0f, std::fmin(1.0f, c));
    return std::acos(c) * 57.29578;
  };

  const double astar = 1.0 / static_cast<double>(p.a), lam = p.alam1;
  double worst_single = 0.0;
  int events = 0;
  for (int alpha = -6; alpha <= 6; ++alpha)
    for (int beta = -20; beta <= 20; ++beta) {
      if (beta == 0) continue;
      const int g[3] = {4 * alpha - beta, 4 * alpha + beta, alpha};  // alpha H/2 + beta u
      EventGeometry ev;
      if (!locate_event(geo, g[0], g[1], g[2], ev)) continue;
      ++events;
      const double psig = beta > 0 ? 0.0 : 180.0;
      // Independent: cos X = (|G|^2 - H.G) / (2 rho g-perp) in a cubic cell.
      const double g2 = (g[0] * g[0] + g[1] * g[1] + g[2] * g[2]) * astar * astar;
      const double hg = (8.0 * g[0] + 8.0 * g[1] + 2.0 * g[2]) * astar * astar;
      const double h2 = 132.0 * astar * astar;
      const double gperp = std::sqrt(g2 - hg * hg / h2);
      const double rho = std::sqrt(1.0 / (lam * lam) - h2 / 4.0);
      const double x = std::acos((g2 - hg) / (2.0 * rho * gperp)) * 180.0 / kPi;
      auto norm = [](double v) { return v > 180.0 ? v - 360.0 : (v < -180.0 ? v + 360.0 : v); };
      EXPECT_NEAR(ev.psi[0], norm(psig + x), 2e-5) << g[0] << " " << g[1] << " " << g[2];
      EXPECT_NEAR(ev.psi[1], norm(psig - x), 2e-5) << g[0] << " " << g[1] << " " << g[2];
      EXPECT_NEAR(std::fabs(ev.psig) * 180.0 / kPi, psig, 1e-5);
      worst_single = std::max(worst_single, std::fabs(single_azimuth(g) - psig));
    }
  EXPECT_GT(events, 20);
  // Single precision misses some of these by more than the width of an event.
  EXPECT_GT(worst_single, 0.05);
}

// A hand-made pass whose numbers are exact in binary: 1/lambda = 1.25,
// |H|/2 = 0.75, rho = 1; G = (2, 0, 0) touches the sphere (cos X = 1).
PassGeometry exact_geometry() {
  PassGeometry g;
  g.metric = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 0.5625}}};
  g.hkl = {0, 0, 2};
  g.gh = {0, 0, 1.125};
  g.hnorm = 1.5;
  g.half_h = 0.75;
  g.d = 1.0 / 1.5;
  g.lambda = 0.8;
  g.inv_lambda = 1.25;
  g.inv_lambda2 = 1.5625;
  g.rho = 1.0;
  g.u = {1, 0, 0};
  g.unorm = 1.0;
  g.hmax = 2;
  return g;
}

TEST(EventPositions, ATouchingPointGivesTwoEqualSolutions) {
  const PassGeometry geo = exact_geometry();
  EventGeometry ev;
  ASSERT_TRUE(locate_event(geo, 2, 0, 0, ev));
  EXPECT_EQ(ev.cosx, 1.0);
  EXPECT_EQ(ev.x, 0.0);
  EXPECT_EQ(ev.psi[0], 0.0f);
  EXPECT_EQ(ev.psi[1], 0.0f);
  ASSERT_TRUE(locate_event(geo, -2, 0, 0, ev));  // on the far side
  EXPECT_EQ(ev.psi[0], 180.0f);
  EXPECT_EQ(ev.psi[1], 180.0f);
  ASSERT_TRUE(locate_event(geo, 1, 0, 0, ev));  // cos X = 1/2
  EXPECT_NEAR(ev.psi[0], 60.0f, 1e-5);
  EXPECT_NEAR(ev.psi[1], -60.0f, 1e-5);
  EXPECT_FALSE(locate_event(geo, 2, 1, 0, ev));  // beyond the sphere
  PassGeometry moved = geo;  // the diffractometer's psi = 0 lies elsewhere
  moved.psid = 10.0;
  ASSERT_TRUE(locate_event(moved, 1, 0, 0, ev));
  EXPECT_NEAR(ev.psi[0], 70.0f, 1e-5);
  EXPECT_NEAR(ev.psi[1], -50.0f, 1e-5);
}

TEST(PsiNormalisation, TubeKeepsMinus180To180OtherRadiationFrom0To360) {
  EXPECT_DOUBLE_EQ(normalise_psi(190.0, false), -170.0);
  EXPECT_DOUBLE_EQ(normalise_psi(-190.0, false), 170.0);
  EXPECT_DOUBLE_EQ(normalise_psi(180.0, false), 180.0);
  EXPECT_DOUBLE_EQ(normalise_psi(-10.0, false), -10.0);
  EXPECT_DOUBLE_EQ(normalise_psi(-10.0, true), 350.0);
  EXPECT_DOUBLE_EQ(normalise_psi(190.0, true), 190.0);  // -170 + 360
  EXPECT_DOUBLE_EQ(normalise_psi(-190.0, true), 170.0);

  // Which convention a run gets.
  testing::CrystalLines tube;
  tube.line6 = "0 90 10 0 1 0";
  testing::PreparedRun t(tube);
  ASSERT_TRUE(t.ok);
  EXPECT_FALSE(make_pass_geometry(t.run.par, t.run.par.alam1, 0.0f).wrap_0_360);
  testing::CrystalLines synchrotron = tube;
  synchrotron.radiation = "1 0.5612 5.43 1 1 1 58.19";
  testing::PreparedRun s(synchrotron);
  ASSERT_TRUE(s.ok) << s.listing();
  EXPECT_TRUE(make_pass_geometry(s.run.par, s.run.par.alam1, 0.0f).wrap_0_360);
  synchrotron.line6 = "-90 90 10 0 1 0";
  testing::PreparedRun s2(synchrotron);
  ASSERT_TRUE(s2.ok);
  EXPECT_FALSE(make_pass_geometry(s2.run.par, s2.run.par.alam1, 0.0f).wrap_0_360);

}

TEST(PsiNormalisation, AcceptanceWindowReachesFiveDegreesBeyondTheRange) {
  EXPECT_TRUE(in_window(-14.9f, -10.0f, 10.0f));
  EXPECT_FALSE(in_window(-15.0f, -10.0f, 10.0f));
  EXPECT_TRUE(in_window(14.9f, -10.0f, 10.0f));
  EXPECT_FALSE(in_window(15.0f, -10.0f, 10.0f));
}

}  // namespace
}  // namespace korva
