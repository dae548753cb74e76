// The reference-reflection estimate written out again in double precision,
// straight from the mosaic-crystal model, to check the program's single-
// precision code against.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>

#include "scan/run.hpp"

namespace korva::test {

constexpr double kD = 0.0174533;

using ChukD = std::function<double(double x, double theta)>;

struct Expect {
  double y = 0, p = 0, lp = 0, q = 0, t = 0, i0 = 0;
};

// Blocks in reflecting position, at least one.
inline double blocks(const Params& p) {
  const double tb = p.radius * 1e-4, tee = 4.0 / 3.0 * tb, w = p.alam1 * 1e-8 / tee;
  const double t = (2.0 * p.rkugel / (3.0 * tb)) * w / (p.eta * kD + w);
  return t < 1.0 ? 1.0 : t;
}

// Two polarization components with weights w1 and w2 (already including
// their polarization factors) and the normalising p.
inline Expect mosaic(const Params& p, double theta, double f, double w1, double w2, double pnorm,
                     const ChukD& chuk) {
  const double tb = p.radius * 1e-4, tee = 4.0 / 3.0 * tb, kf = p.scale_k * f;
  const double c = std::fabs(std::cos(2 * theta * kD));
  const double y1 = std::min(chuk(tb * kf, theta), 0.9 / (kf * tee));
  const double y2 = std::min(chuk(tb * kf * c, theta), 0.9 / (kf * c * tee));
  Expect e;
  e.p = pnorm;
  e.y = (w1 * y1 + w2 * y2) / (pnorm * 1.0);
  e.lp = 1.0 / (kf * std::sqrt(e.p));
  e.q = p.alam1 * 1e-8 / std::sin(2 * theta * kD) * tee * e.y / (e.lp * e.lp);
  e.t = blocks(p);
  return e;
}

inline Expect tube_expect(const Params& p, double value, double theta, double f, double astar, const ChukD& chuk) {
  const double c2 = std::pow(std::cos(2 * theta * kD), 2), pm = p.cad_pm;
  // y = (P_M y1 + c2 y2) / (c2 + P_M), p = (c2 + P_M) / (1 + P_M)
  Expect e = mosaic(p, theta, f, pm / (c2 + pm), c2 / (c2 + pm), 1.0, chuk);
  e.p = (c2 + pm) / (1 + pm);
  e.lp = 1.0 / (p.scale_k * f * std::sqrt(e.p));
  e.q = p.alam1 * 1e-8 / std::sin(2 * theta * kD) * (4.0 / 3.0 * p.radius * 1e-4) * e.y / (e.lp * e.lp);
  e.i0 = value * astar / (57.29578 * e.t * 1.5 * p.cross_section * e.q);
  return e;
}

inline Expect sync_expect(const Params& p, double value, double theta, double pol, double f, double astar,
                          const ChukD& chuk) {
  const double u2 = std::pow(std::cos(2 * theta * kD), 2);
  const double pn = ((1 + pol) + (1 - pol) * u2) / 2;
  Expect e = mosaic(p, theta, f, 0.5 * (1 + pol), 0.5 * (1 - pol) * u2, pn, chuk);
  e.i0 = value * astar / (57.29578 * e.t * p.cross_section * e.q);
  return e;
}

inline Expect neutron_expect(const Params& p, double value, double theta, double f, const ChukD& chuk) {
  const double tb = p.radius * 1e-4, tee = 4.0 / 3.0 * tb, kf = p.scale_k * f;
  Expect e;
  e.p = 1;
  e.y = std::min(chuk(tb * kf, theta), 0.9 / (kf * tee));
  e.lp = 1 / kf;
  e.q = p.alam1 * 1e-8 / std::sin(2 * theta * kD) * tee * e.y * kf * kf;
  e.t = blocks(p);
  e.i0 = value / (57.29578 * e.t * p.cross_section * e.q);
  return e;
}

}  // namespace korva::test
