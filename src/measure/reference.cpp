#include "measure/reference.hpp"

#include <cmath>

#include "support/format.hpp"

namespace korva {
namespace {

constexpr float kDeg = 0.0174533f;   // degrees -> radians
constexpr float kRad = 57.29578f;    // radians -> degrees

// Extinction of one polarization component whose structure factor is
// scaled by amp: the tabulated block extinction, but never more than the
// kinematic limit of a block of mean path T.
float component_extinction(const Params& p, const ExtinctionFn& chuk, float kf, float amp, float theta) {
  const float tb = p.radius * 1.0e-4f;
  const float tee = (4.0f / 3.0f) * tb;
  return std::fmin(chuk(tb * kf * amp, theta), 0.9f / (kf * amp * tee));
}

// The parts every radiation shares once y and p are known.
void finish_terms(const Params& p, ReferenceTerms& r, float kf) {
  r.tee = (4.0f / 3.0f) * (p.radius * 1.0e-4f);
  r.ext_len = 1.0f / (kf * std::sqrt(r.p));
  r.q = (p.alam1 * 1.0e-8f) * r.lorentz * r.tee * r.y / (r.ext_len * r.ext_len);
  r.blocks = reflecting_blocks(p);
}

// Built by appending: prepending to a temporary string makes GCC 12 warn of
// an overlapping copy that cannot happen (-Wrestrict).
std::string indices(int h, int k, int l) {
  std::string s(1, ' ');
  s += I(h, 3);
  s += I(k, 3);
  s += I(l, 3);
  return s;
}

}  // namespace

float reflecting_blocks(const Params& p) {
  const float tb = p.radius * 1.0e-4f;
  const float tee = (4.0f / 3.0f) * tb;
  const float w = (p.alam1 * 1.0e-8f) / tee;  // angular width of a block's reflection, rad
  float t = (2.0f * p.rkugel / (3.0f * tb)) * w / (p.eta * kDeg + w);
  if (!(t >= 1.0f)) t = 1.0f;
  return t;
}

// What every reference reflection starts from: its measurement, structure
// factor, absorption and Lorentz factor 1 / sin 2theta.
static ReferenceTerms measured_terms(float value, float theta, float f, float astar) {
  ReferenceTerms r;
  r.theta = theta;
  r.value = value;
  r.f = f;
  r.astar = astar;
  r.lorentz = 1.0f / std::sin(2.0f * theta * kDeg);
  return r;
}

ReferenceTerms tube_reference(const Params& p, float value, float theta, float f, float astar,
                              const ExtinctionFn& chuk) {
  ReferenceTerms r = measured_terms(value, theta, f, astar);
  const float two_theta = 2.0f * theta * kDeg;
  const float c = std::cos(two_theta);
  const float c2 = c * c;
  const float pm = p.cad_pm;
  r.p = (c2 + pm) / (1.0f + pm);
  const float kf = p.scale_k * f;
  const float y1 = component_extinction(p, chuk, kf, 1.0f, theta);
  const float y2 = component_extinction(p, chuk, kf, std::fabs(c), theta);
  r.y = (pm * y1 + c2 * y2) / (c2 + pm);
  finish_terms(p, r, kf);
  r.i0 = value * astar / (kRad * r.blocks * 1.5f * p.cross_section * r.q);
  // Weak reflections carry too much of the model's uncertainty.
  r.counted = f >= 2.0f && std::isfinite(r.i0);
  return r;
}

ReferenceTerms synchrotron_reference(const Params& p, float value, float theta, float pol, float f,
                                     float astar, const ExtinctionFn& chuk) {
  ReferenceTerms r = measured_terms(value, theta, f, astar);
  const float two_theta = 2.0f * theta * kDeg;
  const float u = std::cos(two_theta);
  r.p = ((1.0f + pol) + (1.0f - pol) * u * u) / 2.0f;
  const float kf = p.scale_k * f;
  const float y1 = component_extinction(p, chuk, kf, 1.0f, theta);
  const float y2 = component_extinction(p, chuk, kf, std::fabs(u), theta);
  r.y = (0.5f * (1.0f + pol) * y1 + 0.5f * (1.0f - pol) * u * u * y2) / r.p;
  finish_terms(p, r, kf);
  r.i0 = value * astar / (kRad * r.blocks * p.cross_section * r.q);
  // A structure factor that counts as zero reflects nothing: the estimate
  // would be an intensity divided by rounding noise.
  r.counted = f > 0.001f && std::isfinite(r.i0);
  return r;
}

ReferenceTerms neutron_reference(const Params& p, float value, float theta, float f,
                                 const ExtinctionFn& chuk) {
  ReferenceTerms r = measured_terms(value, theta, f, 1.0f);  // no absorption for neutrons
  r.p = 1.0f;
  const float kf = p.scale_k * f;
  r.y = component_extinction(p, chuk, kf, 1.0f, theta);
  r.tee = (4.0f / 3.0f) * (p.radius * 1.0e-4f);
  r.ext_len = 1.0f / kf;
  r.q = (p.alam1 * 1.0e-8f) * r.lorentz * r.tee * r.y * kf * kf;
  r.blocks = reflecting_blocks(p);
  r.i0 = value / (kRad * r.blocks * p.cross_section * r.q);
  r.counted = f > 0.0001f && std::isfinite(r.i0);
  return r;
}

std::string tube_reference_header() {
  return "   h  k  l" + X(3) + "theta" + X(3) + "I*omega" + X(5) + "   fc" + X(4) + "  A*" + X(4) +
         "   L" + X(5) + "  p" + X(1) + "ext-len" + X(4) + "y-prim" + X(4) + " t-ext" + X(6) + "I0*q";
}

std::string tube_reference_line(int h, int k, int l, const ReferenceTerms& r) {
  return indices(h, k, l) + F(r.theta, 8, 3) + F(r.value, 10, 2) + F(r.f, 10, 2) +
         F(1.0f / r.astar, 8, 4) + F(r.lorentz, 8, 2) + F(r.p, 8, 2) + F(r.ext_len * 1.0e4f, 8, 2) +
         F(r.y, 10, 4) + F(r.tee * r.y * r.blocks * 1.0e4f, 10, 2) +
         E(r.value * r.astar / (1.5f * kRad * r.q * r.blocks), 10, 2);
}

std::string synchrotron_obs_header() {
  return "   h  k  l" + X(3) + "theta" + X(5) + "I*omega" + X(5) + "   fc" + X(3) + "  A*" + X(3) +
         "   L" + X(4) + "  p" + X(1) + "ext-len" + X(1) + "y-prim" + X(2) + "t-ext" + X(6) + "I0*q";
}

std::string synchrotron_file_header() {
  return "   h  k  l" + X(3) + "theta" + X(5) + "I*omega" + X(5) + "   fc" + X(3) + "  A*" + X(3) +
         "   L" + X(4) + "  p" + X(1) + "ext-len" + X(2) + "y-prim" + "   t-ext" + X(6) + "I0*q";
}

std::string synchrotron_reference_line(int h, int k, int l, const ReferenceTerms& r, bool file_record) {
  std::string s = indices(h, k, l) + F(r.theta, 8, 3) + X(2) + F(r.value, 10, 0) + F(r.f, 10, 2) +
                  F(1.0f / r.astar, 7, 3) + F(r.lorentz, 7, 3) + F(r.p, 7, 2);
  const float path = r.tee * r.y * r.blocks * 1.0e4f;
  if (file_record)
    s += F(r.ext_len * 1.0e4f, 8, 1) + F(r.y, 8, 3) + F(path, 8, 2);
  else
    s += F(r.ext_len * 1.0e4f, 8, 2) + F(r.y, 7, 3) + F(path, 7, 2);
  return s + E(r.value * r.astar * kDeg / (r.blocks * r.q), 10, 2);
}

std::string neutron_reference_header() {
  return "   h  k  l" + X(3) + "theta" + X(3) + "I*omega" + X(8) + "fc" + X(5) + "A*" + X(6) + "L" +
         X(1) + "ext-len" + X(2) + "y-prim" + X(3) + "t-ext" + X(6) + "I0*q";
}

std::string neutron_reference_line(int h, int k, int l, const ReferenceTerms& r, const Params& p) {
  return indices(h, k, l) + F(r.theta, 8, 3) + F(r.value, 10, 0) + F(r.f, 10, 2) + F(1.0f, 7, 3) +
         F(r.lorentz, 7, 3) + F(1.0e4f / (p.scale_k * r.f), 8, 2) + F(r.y, 8, 3) +
         F(r.tee * r.y * r.blocks * 1.0e4f, 8, 2) + E(r.value * kDeg / (r.blocks * r.q), 10, 2);
}

}  // namespace korva
