#include "scan/event_search.hpp"

#include <cmath>

#include "support/numeric.hpp"

namespace korva {
namespace {

// Cosine and sine of an angle in degrees, exact at the angles cells are
// usually given with, so that orthogonal axes have an exactly zero metric
// term.
double cosd(double deg) {
  if (deg == 90.0) return 0.0;
  if (deg == 60.0) return 0.5;
  if (deg == 120.0) return -0.5;
  return std::cos(deg / kDegPerRad);
}
double sind(double deg) {
  if (deg == 90.0) return 1.0;
  return std::sin(deg / kDegPerRad);
}

}  // namespace

std::array<std::array<double, 3>, 3> reciprocal_metric(const Params& p) {
  const double a = p.a, b = p.b, c = p.c;
  const double ca = cosd(p.alpha), cb = cosd(p.beta), cg = cosd(p.gamma);
  const double sa = sind(p.alpha), sb = sind(p.beta), sg = sind(p.gamma);
  const double v = a * b * c * std::sqrt(1.0 - ca * ca - cb * cb - cg * cg + 2.0 * ca * cb * cg);
  const double ast = b * c * sa / v, bst = a * c * sb / v, cst = a * b * sg / v;
  const double cas = (cb * cg - ca) / (sb * sg);
  const double cbs = (ca * cg - cb) / (sa * sg);
  const double cgs = (ca * cb - cg) / (sa * sb);
  std::array<std::array<double, 3>, 3> m{};
  m[0][0] = ast * ast;
  m[1][1] = bst * bst;
  m[2][2] = cst * cst;
  m[0][1] = m[1][0] = ast * bst * cgs;
  m[0][2] = m[2][0] = ast * cst * cbs;
  m[1][2] = m[2][1] = bst * cst * cas;
  return m;
}

std::array<double, 3> reference_direction(const std::array<double, 3>& gh) {
  if (std::fabs(gh[0]) > 1.0e-5) return {-gh[1] / gh[0], 1.0, 0.0};
  if (std::fabs(gh[1]) > 1.0e-5) return {1.0, -gh[0] / gh[1], 0.0};
  return {1.0, 0.0, -gh[0] / gh[2]};
}

PassGeometry make_pass_geometry(const Params& p, float lambda, float psid) {
  PassGeometry g;
  g.metric = reciprocal_metric(p);
  g.hkl = {p.h, p.k, p.l};
  for (int i = 0; i < 3; ++i)
    g.gh[i] = g.metric[i][0] * p.h + g.metric[i][1] * p.k + g.metric[i][2] * p.l;
  g.hnorm = std::sqrt(metric_norm2(g.metric, p.h, p.k, p.l));
  g.half_h = 0.5 * g.hnorm;
  g.d = 1.0 / g.hnorm;
  g.lambda = lambda;
  g.inv_lambda = 1.0 / g.lambda;
  g.inv_lambda2 = g.inv_lambda * g.inv_lambda;
  g.rho = std::sqrt(std::fmax(0.0, g.inv_lambda2 - g.half_h * g.half_h));
  g.u = reference_direction(g.gh);
  g.unorm = std::sqrt(metric_norm2(g.metric, g.u[0], g.u[1], g.u[2]));
  g.psid = psid;
  g.wrap_0_360 = p.idesy > 0 && p.psia >= 0.0f;
  g.hmax = itrunc(2.0f * p.a / lambda);
  g.kmax = itrunc(2.0f * p.b / lambda);
  g.lmax = itrunc(2.0f * p.c / lambda);
  return g;
}

bool sphere_row(const std::array<std::array<double, 3>, 3>& m, double radius, int h, int k, int lmax, int& first,
                int& last) {
  // |G|^2 = a l^2 + b l + c <= radius^2, the radius a little widened too.
  const double a = m[2][2], b = 2.0 * (h * m[0][2] + k * m[1][2]);
  const double c = h * h * m[0][0] + k * k * m[1][1] + 2.0 * h * k * m[0][1] - radius * radius * (1.0 + 1e-9);
  const double disc = b * b - 4.0 * a * c;
  if (!(a > 0.0) || !(disc >= 0.0)) return false;
  const double q = std::sqrt(disc);
  first = static_cast<int>(std::fmax(-lmax, std::floor((-b - q) / (2.0 * a)) - 1.0));
  last = static_cast<int>(std::fmin(lmax, std::ceil((-b + q) / (2.0 * a)) + 1.0));
  return first <= last;
}

void set_psi_window(PassGeometry& geo, float psia, float psie) {
  geo.window_cos = 2.0;
  // A hundredth of a degree beyond the window covers every rounding of the
  // solutions and of the window test itself.
  constexpr double kMargin = 0.01;
  const double lo = static_cast<double>(psia) - 5.0 - kMargin, hi = static_cast<double>(psie) + 5.0 + kMargin;
  const double first = geo.wrap_0_360 ? 0.0 : -180.0;
  // Beyond |psid| = 180 a solution may need more than the one move by 360.
  if (!(lo > first && hi < first + 360.0 && lo < hi) || std::fabs(geo.psid) > 180.0) return;
  const double centre = (0.5 * (lo + hi) - geo.psid) / kDegPerRad;
  geo.window_cos = std::cos(0.5 * (hi - lo) / kDegPerRad);
  geo.window_c = std::cos(centre);
  geo.window_s = std::sin(centre);
}

double normalise_psi(double psi, bool wrap_0_360) {
  if (psi > 180.0) psi -= 360.0;
  else if (psi < -180.0) psi += 360.0;
  if (wrap_0_360 && psi < 0.0) psi += 360.0;
  return psi;
}

bool locate_event(const PassGeometry& geo, int hg, int kg, int lg, EventGeometry& ev) {
  const double h = hg, k = kg, l = lg;
  const double hdotg = geo.gh[0] * h + geo.gh[1] * k + geo.gh[2] * l;
  const double p = hdotg * geo.d;
  if (p < -(geo.inv_lambda - geo.half_h) || p > geo.inv_lambda + geo.half_h) return false;
  const double g2 = metric_norm2(geo.metric, h, k, l);
  if (g2 > 4.0 * geo.inv_lambda2) return false;
  const double gperp2 = g2 - p * p;
  if (gperp2 < 1.0e-6) return false;  // on the H axis: never reaches the sphere

  const double gperp = std::sqrt(gperp2);
  const double axial = geo.half_h - p;
  const double cosx =
      (gperp2 + geo.rho * geo.rho + axial * axial - geo.inv_lambda2) / (2.0 * geo.rho * gperp);
  if (!(std::fabs(cosx) <= 1.0)) return false;

  // Azimuth of G about H, counted from u.  |G| sin angle(G, H) is g-perp.
  const auto& m = geo.metric;
  const auto& u = geo.u;
  double gu = 0.0;
  for (int i = 0; i < 3; ++i) gu += (h * m[0][i] + k * m[1][i] + l * m[2][i]) * u[i];
  double cospsi = gu / (geo.unorm * gperp);
  cospsi = std::fmax(-1.0, std::fmin(1.0, cospsi));
  const double hh = geo.hkl[0], kk = geo.hkl[1], ll = geo.hkl[2];
  const double sense = h * (ll * u[1] - kk * u[2]) + k * (hh * u[2] - ll * u[0]) + l * (kk * u[0] - hh * u[1]);

  ev.outside = false;
  if (geo.window_cos <= 1.0) {
    // The directions of X + psi_G and psi_G - X against the window's centre.
    const double sx = std::sqrt(std::fmax(0.0, 1.0 - cosx * cosx));
    const double sp = std::copysign(std::sqrt(std::fmax(0.0, 1.0 - cospsi * cospsi)), sense < 0.0 ? -1.0 : 1.0);
    const double c1 = cosx * cospsi - sx * sp, s1 = sx * cospsi + cosx * sp;
    const double c2 = cospsi * cosx + sp * sx, s2 = sp * cosx - cospsi * sx;
    if (c1 * geo.window_c + s1 * geo.window_s < geo.window_cos && c2 * geo.window_c + s2 * geo.window_s < geo.window_cos) {
      ev.outside = true;
      return true;
    }
  }

  ev.g = {hg, kg, lg};
  ev.c = {geo.hkl[0] - hg, geo.hkl[1] - kg, geo.hkl[2] - lg};
  ev.p = p;
  ev.g2 = g2;
  ev.c2 = metric_norm2(geo.metric, ev.c[0], ev.c[1], ev.c[2]);
  ev.hg = hdotg;
  ev.gperp2 = gperp2;
  ev.gperp = gperp;
  ev.cosx = cosx;
  ev.x = std::acos(cosx);
  double psig = std::fabs(std::acos(cospsi));
  if (sense < 0.0) psig = -psig;
  ev.psig = psig;

  ev.psi[0] = static_cast<float>(normalise_psi((ev.x + psig) * kDegPerRad + geo.psid, geo.wrap_0_360));
  ev.psi[1] = static_cast<float>(normalise_psi((psig - ev.x) * kDegPerRad + geo.psid, geo.wrap_0_360));
  return true;
}

}  // namespace korva
