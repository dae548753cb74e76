#include "scan/event_listing.hpp"

#include <cmath>

#include "support/format.hpp"
#include "support/numeric.hpp"

namespace korva {
namespace {

constexpr float kRadDeg = 57.29578f;

// Phases are printed in -180..180.
float phase_degrees(float phase) {
  float deg = phase * kRadDeg;
  if (deg > 180.0f) deg -= 360.0f;
  return deg;
}

}  // namespace

void list_pass_header(Run& run, const PassGeometry& geo, const PrimaryReflection& prim) {
  const Params& p = run.par;
  run.list("");
  run.list("");
  run.list(X(20) + "*** Multiple diffraction events ***");
  run.list("");
  run.list("           calculated for the primary reflection:" + I(p.h, 3) + I(p.k, 3) + I(p.l, 3));
  run.list("");
  run.list(" wavelength        :" + F(prim.lambda, 8, 5));
  run.list(" deltalambda/lambda:" + F(prim.dlam, 8, 5));
  run.list("");
  run.list(" divergence of the primary beam");
  run.list(" parallel to the scattering plane of the primary reflection:" + F(p.diverp, 6, 4));
  run.list(" normal   to the scattering plane of the primary reflection:" + F(p.divers, 6, 4));
  run.list("");
  run.list(" mosaic spread (degrees)  :" + F(p.eta, 7, 3));
  run.list(" mosaic block radius (mue):" + F(p.radius, 7, 2));
  run.list(" Maximum possible h, k, l  :" + I(geo.hmax, 5) + I(geo.kmax, 5) + I(geo.lmax, 5));
  std::string dir = " Reference direction       :";
  for (double u : geo.u) dir += F(static_cast<float>(u), 5, 1) + X(3);
  run.list(dir);
  run.list(" Psi=0 difference between diffractometer and reference direction: PsiD =" +
           F(static_cast<float>(geo.psid), 8, 2));
}

void list_primary(Run& run, const PrimaryReflection& prim, float share) {
  const Params& p = run.par;
  const ScanState& sc = run.sc;
  run.list("");
  run.list("");
  run.list(" theta                of the primary reflection:" + F(prim.theta_deg, 7, 2));
  run.list(" Interplanar spacing  of the primary reflection:" + F(p.d_prim, 7, 4));
  run.list(" fcalc                of the primary reflection:" + F(p.fprim, 7, 2));
  run.list(" calculated intensity of the primary reflection:" + F(prim.intensity, 12, 2));
  run.list(" measured intensity   of the primary reflection:" + F(sc.measured.iprim_obs * share, 12, 2) + " +/- " +
           F(sc.measured.sig_iprim_obs * share, 8, 2) + X(2) + "in the psi-interval:" + F(p.psi1, 10, 3) +
           F(p.psi2, 10, 3));
  run.list(" phase                of the primary reflection:" + F(p.phiprim * kRadDeg, 7, 2));
  run.list(" Lorentz-factor       of the primary reflection:" + F(prim.lorentz, 7, 2));
  run.list(" absorption factor    of the primary reflection:" + F(prim.absorption, 7, 2));
  run.list(" FWHM (theta-scan)    of the primary reflection:" + F(prim.fwhm_theta, 7, 3));
  run.list(" Darwin-width         of the monochromator     :" +
           F(kRadDeg * p.w_darwin * std::tan(p.theta_m), 7, 5));
  run.list("");
  run.list("");
  run.list(" Multiple diffraction-events with intensity greater than" + F(p.drumin, 10, 4));
  run.list("");
  const std::string group = X(3) + "H" + X(3) + "K" + X(3) + "L" + X(6) + "F" + X(5) + "phi" + X(2) + "THETA";
  run.list(group + group + X(6) + "Ikorva" + X(6) + "Iaufhe" + X(3) + "p12" + X(1) + " abs*" + X(5) + X(2) +
           "FWHM" + X(4) + "BETA" + X(4) + " PSI");
  run.list("");
}

std::string event_row(const EventRecord& r) {
  auto index = [](float v) { return I(nint(v), 4); };
  std::string row = index(r.hg) + index(r.kg) + index(r.lg) + F(r.fg, 8, 2) + F(phase_degrees(r.phase_g), 7, 1) +
                    F(r.theta_g * kRadDeg, 7, 2);
  row += index(r.hc) + index(r.kc) + index(r.lc) + F(r.fc, 8, 2) + F(phase_degrees(r.phase_c), 7, 1) +
         F(r.theta_c * kRadDeg, 7, 2);
  row += F(r.ikorva / r.fwhm, 12, 2) + F(r.iaufhe / r.fwhm, 12, 2) + F(r.p12, 6, 2) + F(1.0f / r.absf, 6, 2);
  row += A(r.solution == 1.0f ? "i-o" : "o-i", 5) + F(r.fwhm, 6, 3) + F(r.beta, 8, 2) + F(r.psi, 9, 3);
  return row;
}

void list_events(Run& run, const std::vector<EventRecord>& records) {
  for (const EventRecord& r : records)
    if (r.psi >= run.par.psia && r.psi <= run.par.psie) run.list(event_row(r));
}

void list_pass_counts(Run& run, long long events_360, long long prager) {
  run.list("");
  run.list("");
  run.list(std::string(" Number of events in a 360 degree scan") + " (extinct/non extinct)                    :" +
           I(events_360, 7));
  run.list(" Number of operative reflections (Prager formula)" + X(31) + ":" + I(prager, 7));
}

long long prager_count(float volume, float theta, float lambda) {
  const float pi = 3.14159265f;
  return itrunc(volume * 4.0f * std::cos(theta) * pi * pi / (lambda * lambda * lambda));
}

}  // namespace korva
