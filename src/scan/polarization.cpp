// Polarization factors of a multiple-diffraction event.
//
// Frame: x along the incident beam, the diffraction plane of the primary
// reflection H is the xy plane, so the beam diffracted by H runs along
// t = (cos 2thetaH, sin 2thetaH, 0).  A beam along a unit vector k carries
// the polarization k x (k x e) of an incident polarization e; its squared
// length is the polarization factor.
#include <cmath>

#include "scan/helpers.hpp"

namespace korva {

namespace {

struct Vec3 {
  float x, y, z;
};

Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 scaled(const Vec3& a, float f) { return {a.x * f, a.y * f, a.z * f}; }

// Polarization left after a beam along k: k x (k x e).
Vec3 transmitted(const Vec3& k, const Vec3& e) { return cross(k, cross(k, e)); }

constexpr float kPi = 3.14159265f;

// A squared polarization amplitude below this is rounding noise of unit
// vectors in single precision: the beam carries no polarization and has no
// direction to normalise.
constexpr float kNoPolarization = 1.0e-12f;

float clamp_unit(float v) { return v > 1.0f ? 1.0f : (v < -1.0f ? -1.0f : v); }

}  // namespace

EventBeams event_beams(float theta_h, float theta_g, float theta_c) {
  const float c2h = std::cos(2.0f * theta_h), s2h = std::sin(2.0f * theta_h);
  const float c2g = std::cos(2.0f * theta_g), s2g = std::sin(2.0f * theta_g);
  const float c2c = std::cos(2.0f * theta_c);

  // Angle between the diffraction planes of H and G about the incident beam.
  // Rounding can put v just outside [-1, 1]; 0/0 means that H or G lies
  // along the beam, where every angle gives the same beam directions.
  float v = (c2c - c2h * c2g) / (s2h * s2g);
  if (std::isnan(v)) {
    v = 1.0f;
  } else if (std::fabs(v) > 1.0f) {
    v = v >= 0.0f ? 1.0f : -1.0f;
  }
  const float phi1 = std::acos(v);

  float phi2 = std::asin(clamp_unit(s2g * std::sin(phi1)));
  if (phi1 > 1.5707964f) phi2 = kPi - phi2;

  const float r = c2g / std::cos(phi2);
  float phi3;
  if (std::fabs(r) <= 1.0f) {
    phi3 = std::acos(r);
  } else {
    phi3 = r >= 0.0f || std::isnan(r) ? 0.0f : kPi;
  }

  return EventBeams{{c2g, std::sin(phi3) * std::cos(phi2), std::sin(phi2)}, {c2h, s2h, 0.0f}};
}

void polfa_beams(const EventBeams& beams, float e1, float e2, float e3, float& ph, float& pg, float& pgh,
                 float& pc, float& ci) {
  const Vec3 s{beams.s[0], beams.s[1], beams.s[2]};  // beam diffracted by G
  const Vec3 t{beams.t[0], beams.t[1], beams.t[2]};  // beam diffracted by H
  const Vec3 e{e1, e2, e3};

  // Path incident -> G -> H-G into the direction of H.
  const Vec3 g = transmitted(s, e);
  pg = dot(g, g);
  Vec3 w{0.0f, 0.0f, 0.0f};
  if (pg > kNoPolarization) w = transmitted(t, scaled(g, 1.0f / std::sqrt(pg)));
  pc = dot(w, w);

  // Path incident -> H -> -(H-G) into the direction of G.
  const Vec3 q = transmitted(t, e);
  ph = dot(q, q);
  pgh = 0.0f;
  if (ph > kNoPolarization) {
    const Vec3 u = transmitted(s, scaled(q, 1.0f / std::sqrt(ph)));
    pgh = dot(u, u);
  }

  // Cosine between the polarizations of the two paths ending along t; with
  // one path dark there is nothing to interfere with.
  ci = pc > kNoPolarization && ph > kNoPolarization ? clamp_unit(-dot(q, w) / std::sqrt(pc * ph))
                                                    : 0.0f;
}

void polfa_(float theta_h, float theta_g, float theta_c, float e1, float e2, float e3,
            float& ph, float& pg, float& pgh, float& pc, float& ci) {
  polfa_beams(event_beams(theta_h, theta_g, theta_c), e1, e2, e3, ph, pg, pgh, pc, ci);
}

}  // namespace korva
