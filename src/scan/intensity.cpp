#include "scan/intensity.hpp"

#include <algorithm>
#include <cmath>

#include "crystal/absorption.hpp"
#include "scan/helpers.hpp"

namespace korva {
namespace {

constexpr float kPi = 3.14159265f;
constexpr float kRadDeg = 57.29578f;     // radians -> degrees, as the intensity formulas use it
constexpr float kDegRad = 0.0174533f;    // degrees -> radians, mosaic spread
constexpr float kSquareDegPerSr = 3282.8064f;  // (180/pi)^2

// Absorption factor A* at the Bragg angle theta (radians): X-rays only, and
// only where the sphere table reaches (mu R < 31.5).
float absorption_at(const Params& p, float theta) {
  if (p.idesy == kNeutrons || !(p.mur < 31.5f)) return 1.0f;
  float astar = 1.0f, second = 0.0f;
  absor1_(p.mur, astar, second, theta * kRadDeg, p.rkugel);
  return astar;
}

double clamp_unit(double v) { return std::fmax(-1.0, std::fmin(1.0, v)); }

}  // namespace

PrimaryReflection primary_reflection(const Run& run, const PassGeometry& geo, float dlam, float weight) {
  const Params& p = run.par;
  PrimaryReflection r;
  r.lambda = static_cast<float>(geo.lambda);
  r.dlam = dlam;
  r.weight = weight;
  const float half_band = 0.5f * r.lambda * dlam;
  r.k = 1.0 / geo.lambda;
  r.k_lo = 1.0 / (geo.lambda + half_band);
  r.k_hi = 1.0 / (geo.lambda - half_band);

  r.theta = std::asin(r.lambda * p.hnorm / 2.0f);
  r.theta_deg = r.theta * kRadDeg;
  r.absorption = absorption_at(p, r.theta);
  const float c2t = std::cos(2.0f * r.theta);
  const float c2t2 = c2t * c2t;
  r.pol_factor = (p.idesy == kTube || p.idesy == kSynchrotron2) ? (1.0f + c2t2) / 2.0f : 1.0f;

  r.t = (4.0f / 3.0f) * p.radius * 1.0e-4f;
  r.kappa = p.scale_k * p.fprim;
  const float mt = (r.kappa + p.mu) * r.t;
  r.delta = 0.5f * std::sqrt(1.0f + mt * mt) / (r.t * 1.0e8f);

  // Angles between the incident wave vector and H at the two band edges.
  // Their difference is a small fraction of a degree for narrow bands, so
  // the geometry is evaluated in double precision.
  const double hn = geo.hnorm, hn2 = hn * hn;
  const double e = (static_cast<double>(p.eta) + p.diverp) * M_PI / 360.0;
  const double dl = r.delta;
  const double phi1 =
      std::acos(clamp_unit((r.k_hi * r.k_hi + hn2 - (r.k_hi + dl) * (r.k_hi + dl)) / (2.0 * r.k_hi * hn))) + e;
  const double phi2 =
      std::acos(clamp_unit((r.k_lo * r.k_lo + hn2 - (r.k_lo - dl) * (r.k_lo - dl)) / (2.0 * r.k_lo * hn))) - e;
  const double len1 = std::sqrt(hn2 + r.k * r.k - 2.0 * r.k * hn * std::cos(phi1));
  const double len2 = std::sqrt(hn2 + r.k * r.k - 2.0 * r.k * hn * std::cos(phi2));
  r.lorentz = len1 != len2 ? static_cast<float>(r.k * (phi1 - phi2) / (len1 - len2)) : 0.0f;
  r.fwhm_theta = static_cast<float>((phi1 - phi2) * kDegPerRad);

  // Mosaic blocks in reflecting position along the beam.
  const float ws = r.lambda * 1.0e-8f / r.t;
  r.blocks = ((p.rkugel * 2.0f / 3.0f) / (p.radius * 1.0e-4f)) * ws / (p.eta * kDegRad + ws);
  if (!(r.blocks >= 1.0f)) r.blocks = 1.0f;

  r.q = r.lambda * 1.0e-8f * r.lorentz * r.kappa * r.kappa;
  r.p0 = weight * p.i0 * p.cross_section * kSquareDegPerSr;

  const float fmin = p.idesy == kNeutrons ? 0.0001f : kFZero;
  if (p.fprim <= fmin) {
    r.ext_thickness = 0.0f;
    r.intensity = 0.0f;
    return r;
  }
  // Extinction of the two polarization components (one for neutrons).
  const float tb = p.radius * 1.0e-4f;
  const float amp[2] = {1.0f, std::fabs(c2t)};
  const bool tube = p.idesy == kTube;
  const float w[2] = {tube ? p.cad_pm : (1.0f + p.pol) / 2.0f,
                      tube ? c2t2 : (1.0f - p.pol) / 2.0f * c2t2};
  const int ncomp = p.idesy == kNeutrons ? 1 : 2;
  float s = 0.0f;
  for (int j = 0; j < ncomp; ++j) {
    float y = 1.0f;
    chuk_(run.extinction, tb * amp[j] * r.kappa, r.theta_deg, y);
    s += w[j] * std::fmin(y, 0.9f / (amp[j] * r.kappa * r.t));
  }
  if (tube) s = s / (c2t2 + p.cad_pm);
  else s = s * 2.0f / ((1.0f + p.pol) + (1.0f - p.pol) * c2t2);
  r.ext_thickness = r.t * s;
  r.intensity = (r.p0 / (r.absorption * kRadDeg)) * r.pol_factor * r.q * r.blocks * r.ext_thickness;
  return r;
}

EventWidth event_width(const PassGeometry& geo, const PrimaryReflection& prim, const EventGeometry& ev,
                       double delta_e, double e_prime) {
  const double axial = geo.half_h - ev.p;
  const double axial2 = axial * axial;
  // Crossing angle (degrees) of the sphere of radius ks whose centre sits
  // where the band edge ke puts it.
  auto crossing = [&](double ke, double ks) {
    const double rho_e = std::sqrt(std::fmax(0.0, ke * ke - geo.half_h * geo.half_h));
    double r2 = ks * ks - axial2;
    if (r2 < 0.0) r2 = 0.0;
    return std::acos(clamp_unit((rho_e * rho_e + ev.gperp2 - r2) / (2.0 * ev.gperp * rho_e))) * kDegPerRad;
  };
  EventWidth w;
  double xmin = 0, xmax = 0;
  if (ev.p >= 0.0 && ev.p <= geo.hnorm) {
    xmin = std::fmin(crossing(prim.k_lo, prim.k_lo - delta_e), crossing(prim.k_lo, prim.k_lo + delta_e));
    xmax = std::fmax(crossing(prim.k_hi, prim.k_hi + delta_e), crossing(prim.k_hi, prim.k_hi - delta_e));
  } else {
    xmin = crossing(prim.k_lo, prim.k_lo - delta_e);
    xmax = crossing(prim.k_hi, prim.k_hi + delta_e);
  }
  const double x = ev.x * kDegPerRad;

  // Where the crossing angle falls with the sphere radius (cos X < 0) the
  // band edges change sides and a half width can come out zero or negative.
  // No half width goes below half the smaller of the two intrinsic widths
  // (the shift of X by the reflection width delta_e at the band centre):
  // an ordered band always gives more than that.
  const double intrinsic = std::fmin(std::fabs(x - crossing(prim.k, prim.k - delta_e)),
                                     std::fabs(crossing(prim.k, prim.k + delta_e) - x));
  const double floor = std::fmax(kMinHalfWidth, 0.5 * intrinsic);

  auto dist = [&](double phi_deg) {
    return std::sqrt(axial2 + ev.gperp2 + geo.rho * geo.rho -
                     2.0 * geo.rho * ev.gperp * std::cos(phi_deg / kDegPerRad));
  };
  double wl = 0, wr = 0, fwhm = 0, ds = 0;
  if (xmin > 0.0) {
    wl = std::fmax(e_prime + (x - xmin), floor);
    wr = std::fmax(e_prime + (xmax - x), floor);
    fwhm = wl + wr;
    ds = std::fabs(dist(x - wl) - dist(x + wr));
  } else {
    wl = 0.0;
    wr = std::fmax(e_prime + (xmax - x), floor);
    fwhm = std::fmax(2.0 * (e_prime + xmax), 2.0 * floor);
    ds = 2.0 * std::fabs(dist(xmax) - dist(0.0));
    if (ev.x == 0.0) ds *= 0.5;
  }
  w.w_left = static_cast<float>(wl);
  w.w_right = static_cast<float>(wr);
  w.fwhm = static_cast<float>(fwhm);
  w.x_min = static_cast<float>(xmin);
  w.x_max = static_cast<float>(xmax);
  w.lorentz_arg = ds;
  return w;
}

EventIntensity event_intensity(const Run& run, const PrimaryReflection& prim, const PassGeometry& geo,
                               const EventGeometry& ev, const StructureFactor& sfg,
                               const StructureFactor& sfc) {
  const Params& p = run.par;
  EventIntensity r;
  const float lambda = prim.lambda;
  r.theta_g = std::asin(static_cast<float>(std::fmin(1.0, geo.lambda * std::sqrt(ev.g2) / 2.0)));
  r.theta_c = std::asin(static_cast<float>(std::fmin(1.0, geo.lambda * std::sqrt(ev.c2) / 2.0)));
  const float fg = sfg.f, fc = sfc.f, fp = p.fprim;
  const bool g_on = fg > kFZero, c_on = fc > kFZero, p_on = fp > kFZero;

  // Polarization of the two incident states.
  float p_h = 1, p_g = 1, p_hgh = 1;
  r.p12 = 1.0f;
  r.p_int = 1.0f;
  if (p.idesy != kNeutrons) {
    float ph = 0, pg = 0, pgh = 0, pc = 0, ci = 0;
    float ph2 = 0, pg2 = 0, pgh2 = 0, pc2 = 0, ci2 = 0;
    polfa_(prim.theta, r.theta_g, r.theta_c, 0.0f, 0.0f, 1.0f, ph, pg, pgh, pc, ci);
    polfa_(prim.theta, r.theta_g, r.theta_c, 0.0f, 1.0f, 0.0f, ph2, pg2, pgh2, pc2, ci2);
    const float a = 1.0f + p.pol, b = 1.0f - p.pol;
    p_h = 0.5f * (a * ph + b * ph2);
    p_g = 0.5f * (a * pg + b * pg2);
    p_hgh = 0.5f * (a * ph * pgh + b * ph2 * pgh2);
    r.p12 = 0.5f * (a * pg * pc + b * pg2 * pc2);
    r.p_int = p.idesy == kTube ? 0.5f : (p.idesy == kSynchrotron1 ? ci : ci2);
  }

  // Extinction coefficients; a path whose structure factor counts as zero
  // has none.
  const float kg = p.scale_k * fg, kc = p.scale_k * fc;
  const float kg_on = g_on ? kg : 0.0f, kc_on = c_on ? kc : 0.0f, kp_on = p_on ? prim.kappa : 0.0f;
  const float t = prim.t;

  // Width of the event in psi and its Lorentz factor.
  const float mt = (std::fmax(kg, kc) + p.mu) * t;
  const double delta_e = 0.5 * std::sqrt(static_cast<double>(mt) * mt + 1.0) / (static_cast<double>(t) * 1.0e8);
  // (A vertical spread too large for the Bragg angle leaves the arc sine's
  // domain: it is held at 90 degrees.)
  const float e_prime =
      std::asin(std::fmin(1.0f, std::sin((p.eta + p.divers) * kPi / 360.0f) / std::cos(prim.theta))) * kRadDeg;
  const EventWidth w = event_width(geo, prim, ev, delta_e, e_prime);
  r.fwhm = w.fwhm;
  r.w_left = w.w_left;
  r.w_right = w.w_right;
  // A tangential touch of the sphere changes no distance: no integrated intensity.
  r.lorentz = w.lorentz_arg > 0.0
                  ? static_cast<float>(prim.k * w.fwhm * (M_PI / 180.0) / w.lorentz_arg)
                  : 0.0f;

  const float ag = absorption_at(p, r.theta_g), ac = absorption_at(p, r.theta_c);
  const float a = prim.absorption;
  r.absf = std::sqrt(ag * ac);

  // Reflecting powers.
  const float lam8 = lambda * 1.0e-8f;
  const float qg = g_on ? r.lorentz * lam8 * kg * kg : 0.0f;
  const float qc_event = c_on ? r.lorentz * lam8 * kc * kc : 0.0f;
  const float qc = c_on ? lam8 * prim.lorentz * kc * kc : 0.0f;

  // Effective thicknesses, each capped through 0.9 / sqrt(x^2 + 1).
  const float yc = 0.9f * t / std::sqrt((t * kc_on) * (t * kc_on) + 1.0f);
  float ygp = 0.0f;
  if (g_on) ygp = 0.9f * t / std::sqrt(t * t * (kg_on * kg_on + kp_on * kp_on) + 1.0f);
  float sa = 0.0f;
  if (g_on && p_on) sa = ygp;
  else if (p_on) sa = prim.ext_thickness;
  const float yu = std::fmin(yc, ygp);
  const float s1 = std::fmin(yc, sa);
  const float s2 = std::fmin(sa, ygp);

  r.ikorva = prim.p0 * yu * yu * qc * qg * r.p12 / std::sqrt(ag * ac);
  r.iaufhe = prim.p0 * (s1 * s1 * qc_event * p_hgh * prim.q / std::sqrt(ac * a) +
                        qg * prim.q / a * p_h * p_g * s2 * s2);
  const float y2 = prim.blocks * prim.blocks;
  r.peak = std::fmax(r.ikorva, r.iaufhe) * y2 / r.fwhm;
  r.phase_sum = sfg.phi + sfc.phi - p.phiprim;

  r.eta_l = static_cast<float>(ev.gperp * geo.lambda / 2.0);
  if (p.idesy == kSynchrotron1 && (ev.p < 0.0 || ev.p > geo.hnorm))
    r.eta_l = static_cast<float>(std::fabs(ev.cosx));
  return r;
}

}  // namespace korva
