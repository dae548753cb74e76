#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "crystal/absorption.hpp"
#include "scan/helpers.hpp"
#include "scan/intensity.hpp"
#include "scan_setup.hpp"

namespace korva {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = 180.0 / kPi;

double rel(double expected) { return 2e-4 * std::fabs(expected) + 1e-30; }

double absorption(const Params& p, double theta) {
  float a = 1.0f, second = 0.0f;
  absor1_(p.mur, a, second, static_cast<float>(theta * kDeg), p.rkugel);
  return a;
}

// The first event of the enumeration that satisfies the condition.
bool find_event(const PassGeometry& geo, const std::function<bool(const EventGeometry&)>& want,
                EventGeometry& out) {
  for (int h = -geo.hmax; h <= geo.hmax; ++h)
    for (int k = -geo.kmax; k <= geo.kmax; ++k)
      for (int l = -geo.lmax; l <= geo.lmax; ++l)
        if (locate_event(geo, h, k, l, out) && want(out)) return true;
  return false;
}

testing::CrystalLines yig_like() {
  testing::CrystalLines c;
  c.line5 = "0.14 0.10 150 40 0.02";
  c.primary = "8 8 2 12.5 0 -24.5 -23.5";
  return c;
}

TEST(PrimaryReflection, FollowsTheMosaicModelOfTheTubeLine) {
  testing::PreparedRun pr(yig_like());
  ASSERT_TRUE(pr.ok) << pr.listing();
  Params& p = pr.run.par;
  p.mu = 35.0f;
  p.mur = p.mu * p.rkugel;
  const PassGeometry geo = make_pass_geometry(p, p.alam1, 0.0f);
  const PrimaryReflection r = primary_reflection(pr.run, geo, p.dlam1, p.flam1);

  // Independent, in double.
  const double lam = p.alam1, hn = std::sqrt(132.0) / 12.38;
  const double theta = std::asin(lam * hn / 2.0);
  const double a = absorption(p, theta);
  const double c2 = std::cos(2 * theta);
  const double pol = (1 + c2 * c2) / 2;
  const double t = 4.0 / 3.0 * 40e-4;
  const double k = lam * 2.817938 * 1000.0 / (12.38 * 12.38 * 12.38);
  const double kappa = k * 12.5;
  const double delta = 0.5 * std::sqrt(1 + std::pow((kappa + 35.0) * t, 2)) / (t * 1e8);
  const double half = 0.5 * lam * p.dlam1;
  const double kc = 1 / lam, klo = 1 / (lam + half), khi = 1 / (lam - half);
  const double e = (0.02 + 0.14) * kPi / 360.0;
  const double phi1 = std::acos((khi * khi + hn * hn - std::pow(khi + delta, 2)) / (2 * khi * hn)) + e;
  const double phi2 = std::acos((klo * klo + hn * hn - std::pow(klo - delta, 2)) / (2 * klo * hn)) - e;
  const double lor = kc * (phi1 - phi2) /
                     (std::sqrt(hn * hn + kc * kc - 2 * kc * hn * std::cos(phi1)) -
                      std::sqrt(hn * hn + kc * kc - 2 * kc * hn * std::cos(phi2)));
  const double ws = lam * 1e-8 / t;
  const double y = std::max(1.0, (0.015 * 2.0 / 3.0) / 40e-4 * ws / (0.02 * 0.0174533 + ws));
  float e1 = 0, e2 = 0;
  chuk_(pr.run.extinction, static_cast<float>(40e-4 * kappa), static_cast<float>(theta * kDeg), e1);
  chuk_(pr.run.extinction, static_cast<float>(40e-4 * std::fabs(c2) * kappa), static_cast<float>(theta * kDeg), e2);
  const double s = (0.986 * std::min<double>(e1, 0.9 / (kappa * t)) +
                    c2 * c2 * std::min<double>(e2, 0.9 / (std::fabs(c2) * kappa * t))) /
                   (c2 * c2 + 0.986);
  const double ext = t * s;
  const double q = lam * 1e-8 * lor * kappa * kappa;
  const double p0 = 1.0 * 2.0e9 * kPi * 0.015 * 0.015 * 3282.8064;
  const double ip = p0 / (a * 57.29578) * pol * q * y * ext;

  EXPECT_NEAR(r.theta, theta, 1e-6);
  EXPECT_NEAR(r.absorption, a, 1e-6);
  EXPECT_NEAR(r.lorentz, lor, rel(lor));
  EXPECT_NEAR(r.fwhm_theta, (phi1 - phi2) * kDeg, rel((phi1 - phi2) * kDeg));
  EXPECT_NEAR(r.blocks, y, rel(y));
  EXPECT_NEAR(r.ext_thickness, ext, rel(ext));
  EXPECT_NEAR(r.q, q, rel(q));
  EXPECT_NEAR(r.intensity, ip, rel(ip));
  EXPECT_GT(r.intensity, 0.0f);

  // The second line carries half the weight and its own wavelength.
  const PassGeometry geo2 = make_pass_geometry(p, p.alam2, 0.0f);
  const PrimaryReflection r2 = primary_reflection(pr.run, geo2, p.dlam2, p.flam2);
  EXPECT_GT(r2.theta, r.theta);
  EXPECT_NEAR(r2.p0, 0.5 * r.p0, 1e-6 * r.p0);
}

TEST(PrimaryReflection, ForbiddenReflectionGivesNoIntensity) {
  for (const char* f : {"0.001", "0.0011"}) {
    testing::CrystalLines c = yig_like();
    c.primary = std::string("8 8 2 ") + f + " 0 0 0";
    testing::PreparedRun pr(c);
    ASSERT_TRUE(pr.ok);
    const PassGeometry geo = make_pass_geometry(pr.run.par, pr.run.par.alam1, 0.0f);
    const PrimaryReflection r = primary_reflection(pr.run, geo, pr.run.par.dlam1, 1.0f);
    if (std::string(f) == "0.001") {
      EXPECT_EQ(r.intensity, 0.0f);
    } else {
      EXPECT_GT(r.intensity, 0.0f);
    }
  }
  // Neutron structure factors are smaller: the limit is 0.0001.
  testing::CrystalLines n = yig_like();
  n.radiation = "3 1.2 0.01";
  n.primary = "8 8 2 0.0005 0 0 0";
  testing::PreparedRun pr(n);
  ASSERT_TRUE(pr.ok) << pr.listing();
  const PassGeometry geo = make_pass_geometry(pr.run.par, pr.run.par.alam1, 0.0f);
  EXPECT_GT(primary_reflection(pr.run, geo, pr.run.par.dlam1, 1.0f).intensity, 0.0f);
}

// The width of an event from the band of sphere radii, straight from the
// definitions, in double.
struct Width {
  double xmin, xmax, x, wl, wr, fwhm, ds;
};
Width text_width(const PassGeometry& geo, const PrimaryReflection& prim, const EventGeometry& ev, double de,
                 double ep) {
  const double hp = geo.half_h - ev.p;
  auto cross = [&](double ke, double ks) {
    const double rho = std::sqrt(ke * ke - geo.hnorm * geo.hnorm / 4);
    const double r2 = std::max(0.0, ks * ks - hp * hp);
    return std::acos(std::clamp((rho * rho + ev.gperp2 - r2) / (2 * ev.gperp * rho), -1.0, 1.0)) * kDeg;
  };
  Width w;
  if (hp * hp <= geo.hnorm * geo.hnorm / 4) {
    w.xmin = std::min(cross(prim.k_lo, prim.k_lo - de), cross(prim.k_lo, prim.k_lo + de));
    w.xmax = std::max(cross(prim.k_hi, prim.k_hi + de), cross(prim.k_hi, prim.k_hi - de));
  } else {
    w.xmin = cross(prim.k_lo, prim.k_lo - de);
    w.xmax = cross(prim.k_hi, prim.k_hi + de);
  }
  w.x = ev.x * kDeg;
  w.wl = ep + (w.x - w.xmin);
  w.wr = ep + (w.xmax - w.x);
  w.fwhm = w.wl + w.wr;
  auto dist = [&](double phi) {
    return std::sqrt(hp * hp + ev.gperp2 + geo.rho * geo.rho - 2 * geo.rho * ev.gperp * std::cos(phi / kDeg));
  };
  w.ds = std::fabs(dist(w.x - w.wl) - dist(w.x + w.wr));
  return w;
}

TEST(EventWidth, HalfWidthsFromTheBandEdgesAndTheVerticalSpread) {
  testing::PreparedRun pr(yig_like());
  ASSERT_TRUE(pr.ok);
  const Params& p = pr.run.par;
  const PassGeometry geo = make_pass_geometry(p, p.alam1, 0.0f);
  const PrimaryReflection prim = primary_reflection(pr.run, geo, p.dlam1, p.flam1);
  const double de = 4.0e-7, ep = 0.05;
  for (bool inside : {true, false}) {
    EventGeometry ev;
    ASSERT_TRUE(find_event(geo,
                           [&](const EventGeometry& e) {
                             const bool in = e.p >= 0 && e.p <= geo.hnorm;
                             return in == inside && e.cosx > 0.3;
                           },
                           ev));
    const EventWidth w = event_width(geo, prim, ev, de, ep);
    const Width t = text_width(geo, prim, ev, de, ep);
    EXPECT_GT(t.xmin, 0.0);
    EXPECT_NEAR(w.x_min, t.xmin, 1e-5);
    EXPECT_NEAR(w.x_max, t.xmax, 1e-5);
    EXPECT_NEAR(w.w_left, t.wl, 1e-6);
    EXPECT_NEAR(w.w_right, t.wr, 1e-6);
    EXPECT_NEAR(w.fwhm, t.fwhm, 1e-6);
    EXPECT_NEAR(w.lorentz_arg, t.ds, 1e-6 * t.ds);
    EXPECT_GT(w.w_left, ep);  // an ordered band widens both sides
    EXPECT_GT(w.w_right, ep);
  }
}

TEST(EventWidth, ReversedBandEdgesNeverGiveAZeroOrNegativeHalfWidth) {
  testing::CrystalLines c = yig_like();
  c.line5 = "0.14 0.0 150 40 0.0";  // no vertical spread: e' = 0
  testing::PreparedRun pr(c);
  ASSERT_TRUE(pr.ok);
  const Params& p = pr.run.par;
  const PassGeometry geo = make_pass_geometry(p, p.alam1, 0.0f);
  const PrimaryReflection prim = primary_reflection(pr.run, geo, p.dlam1, p.flam1);
  const double de = 4.0e-7;
  EventGeometry ev;
  ASSERT_TRUE(find_event(geo, [&](const EventGeometry& e) {
    if (e.cosx > -0.3) return false;
    const Width t = text_width(geo, prim, e, de, 0.0);
    return t.xmin > 0 && (t.wl <= 0 || t.wr <= 0);
  }, ev));
  const Width t = text_width(geo, prim, ev, de, 0.0);
  const EventWidth w = event_width(geo, prim, ev, de, 0.0);
  EXPECT_GT(w.w_left, 0.0f);
  EXPECT_GT(w.w_right, 0.0f);
  EXPECT_GT(w.fwhm, 0.0f);
  EXPECT_GT(w.lorentz_arg, 0.0);

  // The floor: half the smaller shift of X by the reflection width alone.
  auto cross = [&](double ks) {
    const double hp = geo.half_h - ev.p, r2 = ks * ks - hp * hp;
    return std::acos(std::clamp((geo.rho * geo.rho + ev.gperp2 - r2) / (2 * ev.gperp * geo.rho), -1.0, 1.0)) * kDeg;
  };
  const double x = ev.x * kDeg;
  const double floor = 0.5 * std::min(std::fabs(x - cross(prim.k - de)), std::fabs(cross(prim.k + de) - x));
  if (t.wl <= 0) {
    EXPECT_NEAR(w.w_left, floor, 1e-3 * floor);
  }
  if (t.wr <= 0) {
    EXPECT_NEAR(w.w_right, floor, 1e-3 * floor);
  }
  if (t.wl > floor) {
    EXPECT_NEAR(w.w_left, t.wl, 1e-9);  // a positive side keeps its value
  }
  if (t.wr > floor) {
    EXPECT_NEAR(w.w_right, t.wr, 1e-9);
  }
  EXPECT_NEAR(w.fwhm, w.w_left + w.w_right, 1e-9);
}

TEST(EventIntensity, IkorvaAndIaufheFromReflectingPowersAndThicknesses) {
  testing::PreparedRun pr(yig_like());
  ASSERT_TRUE(pr.ok);
  Params& p = pr.run.par;
  p.mu = 20.0f;
  p.mur = p.mu * p.rkugel;
  const PassGeometry geo = make_pass_geometry(p, p.alam1, 0.0f);
  const PrimaryReflection prim = primary_reflection(pr.run, geo, p.dlam1, p.flam1);
  EventGeometry ev;
  ASSERT_TRUE(find_event(geo, [](const EventGeometry& e) { return e.cosx > 0.2 && e.p > 0; }, ev));

  struct Case {
    float fg, fc;
  };
  for (const Case& c : {Case{30.0f, 20.0f}, Case{0.001f, 20.0f}, Case{30.0f, 0.0f}}) {
    StructureFactor sfg{c.fg, 0.4f, 0.0f, false}, sfc{c.fc, 1.1f, 0.0f, false};
    const EventIntensity r = event_intensity(pr.run, prim, geo, ev, sfg, sfc);

    const double lam = p.alam1;
    const double tg = std::asin(lam * std::sqrt(ev.g2) / 2), tc = std::asin(lam * std::sqrt(ev.c2) / 2);
    EXPECT_NEAR(r.theta_g, tg, 1e-6);
    EXPECT_NEAR(r.theta_c, tc, 1e-6);
    float ph, pg, pgh, pc, ci, ph2, pg2, pgh2, pc2, ci2;
    polfa_(prim.theta, r.theta_g, r.theta_c, 0, 0, 1, ph, pg, pgh, pc, ci);
    polfa_(prim.theta, r.theta_g, r.theta_c, 0, 1, 0, ph2, pg2, pgh2, pc2, ci2);
    const double p12 = 0.5 * (pg * pc + pg2 * pc2);  // tube: both states weigh 1/2
    const double p_h = 0.5 * (ph + ph2), p_g = 0.5 * (pg + pg2), p_hgh = 0.5 * (ph * pgh + ph2 * pgh2);
    EXPECT_NEAR(r.p12, p12, 1e-6);
    EXPECT_EQ(r.p_int, 0.5f);

    const double kk = p.scale_k;
    const bool gon = c.fg > 0.001f, con = c.fc > 0.001f;
    const double kg = gon ? kk * c.fg : 0.0, kc = con ? kk * c.fc : 0.0, kp = kk * 12.5;
    const double t = prim.t;
    const double le = r.lorentz;  // checked through the width test
    const double ag = absorption(p, tg), ac = absorption(p, tc), a = prim.absorption;
    const double qg = gon ? le * lam * 1e-8 * kg * kg : 0.0;
    const double qce = con ? le * lam * 1e-8 * kc * kc : 0.0;
    const double qc = con ? lam * 1e-8 * prim.lorentz * kc * kc : 0.0;
    // Thicknesses through the extinction lengths z = 1/kappa.
    const double yc = con ? 0.9 * t / std::sqrt(std::pow(t / (1 / kc), 2) + 1) : 0.9 * t;
    const double zg = 1 / kg, zp = 1 / kp;
    const double ygp = gon ? 0.9 * t / std::sqrt(std::pow(t * std::sqrt(zg * zg + zp * zp) / (zp * zg), 2) + 1) : 0.0;
    const double sa = gon ? ygp : prim.ext_thickness;
    const double yu = std::min(yc, ygp), s1 = std::min(yc, sa), s2 = std::min(sa, ygp);
    const double ik = prim.p0 * yu * yu * qc * qg * p12 / std::sqrt(ag * ac);
    const double ia = prim.p0 * (s1 * s1 * qce * p_hgh * prim.q / std::sqrt(ac * a) + qg * prim.q / a * p_h * p_g * s2 * s2);
    EXPECT_NEAR(r.ikorva, ik, rel(ik)) << c.fg << " " << c.fc;
    EXPECT_NEAR(r.iaufhe, ia, rel(ia)) << c.fg << " " << c.fc;
    EXPECT_NEAR(r.absf, std::sqrt(ag * ac), 1e-6);
    const double y2 = prim.blocks * prim.blocks;
    EXPECT_NEAR(r.peak, std::max(ik, ia) * y2 / r.fwhm, rel(std::max(ik, ia) * y2 / r.fwhm));
    EXPECT_NEAR(r.phase_sum, 0.4f + 1.1f - p.phiprim, 1e-6);
    EXPECT_NEAR(r.eta_l, ev.gperp * lam / 2, 1e-6);
    if (!gon || !con) {
      EXPECT_EQ(r.ikorva, 0.0f);
    }
    if (gon && con) {
      EXPECT_GT(r.ikorva, 0.0f);
      EXPECT_GT(r.iaufhe, 0.0f);
    }
  }
}

TEST(EventIntensity, ForbiddenPrimaryLeavesOnlyThePathThroughG) {
  testing::CrystalLines c = yig_like();
  c.primary = "8 8 2 0.0005 0 0 0";
  testing::PreparedRun pr(c);
  ASSERT_TRUE(pr.ok);
  const Params& p = pr.run.par;
  const PassGeometry geo = make_pass_geometry(p, p.alam1, 0.0f);
  const PrimaryReflection prim = primary_reflection(pr.run, geo, p.dlam1, p.flam1);
  EXPECT_EQ(prim.intensity, 0.0f);
  EventGeometry ev;
  ASSERT_TRUE(find_event(geo, [](const EventGeometry& e) { return e.cosx > 0.2; }, ev));
  const EventIntensity r =
      event_intensity(pr.run, prim, geo, ev, StructureFactor{30.0f, 0, 0, false}, StructureFactor{20.0f, 0, 0, false});
  EXPECT_EQ(r.iaufhe, 0.0f);
  EXPECT_GT(r.ikorva, 0.0f);
  // y_GP from F_G alone.
  const double t = prim.t, kg = p.scale_k * 30.0, kc = p.scale_k * 20.0;
  const double ygp = 0.9 * t / std::sqrt(t * t * kg * kg + 1), yc = 0.9 * t / std::sqrt(t * t * kc * kc + 1);
  const double yu = std::min(ygp, yc);
  float ag = 1, ac = 1, second = 0;
  absor1_(p.mur, ag, second, r.theta_g * 57.29578f, p.rkugel);
  absor1_(p.mur, ac, second, r.theta_c * 57.29578f, p.rkugel);
  const double expected = prim.p0 * yu * yu * (p.alam1 * 1e-8 * prim.lorentz * kc * kc) *
                          (r.lorentz * p.alam1 * 1e-8 * kg * kg) * r.p12 / std::sqrt(ag * ac);
  EXPECT_NEAR(r.ikorva, expected, rel(expected));
}

TEST(EventIntensity, SynchrotronPolarizationAndNeutronsWithoutPolarization) {
  testing::CrystalLines c = yig_like();
  c.radiation = "2 0.5612 5.43 1 1 1 58.19";  // polarized in the diffraction plane
  c.line6 = "0 90 10 0 1 0";
  testing::PreparedRun pr(c);
  ASSERT_TRUE(pr.ok) << pr.listing();
  const Params& p = pr.run.par;
  const PassGeometry geo = make_pass_geometry(p, p.alam1, 0.0f);
  const PrimaryReflection prim = primary_reflection(pr.run, geo, p.dlam1, p.flam1);
  EventGeometry ev;
  ASSERT_TRUE(find_event(geo, [](const EventGeometry& e) { return e.cosx > 0.2; }, ev));
  const StructureFactor sf{25.0f, 0, 0, false};
  const EventIntensity r = event_intensity(pr.run, prim, geo, ev, sf, sf);
  float ph, pg, pgh, pc, ci;
  polfa_(prim.theta, r.theta_g, r.theta_c, 0, 1, 0, ph, pg, pgh, pc, ci);
  EXPECT_NEAR(r.p12, pg * pc, 1e-6);  // only the second state
  EXPECT_EQ(r.p_int, ci);

  testing::CrystalLines n = yig_like();
  n.radiation = "3 1.2 0.01";
  n.line6 = "0 90 10 0 1 0";
  testing::PreparedRun pn(n);
  ASSERT_TRUE(pn.ok);
  const PassGeometry gn = make_pass_geometry(pn.run.par, pn.run.par.alam1, 0.0f);
  const PrimaryReflection primn = primary_reflection(pn.run, gn, pn.run.par.dlam1, 1.0f);
  EventGeometry evn;
  ASSERT_TRUE(find_event(gn, [](const EventGeometry& e) { return e.cosx > 0.2; }, evn));
  const EventIntensity rn = event_intensity(pn.run, primn, gn, evn, sf, sf);
  EXPECT_EQ(rn.p12, 1.0f);
  EXPECT_EQ(rn.p_int, 1.0f);
  EXPECT_EQ(rn.absf, 1.0f);
}

}  // namespace
}  // namespace korva
