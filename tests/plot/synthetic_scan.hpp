// A realistic run for the page: the Si 222 Renninger scan at 1.2 A
// synchrotron radiation, with event curves from the diamond-lattice
// geometry, a simulated scan of Lorentzian peaks on the weak primary
// intensity and a "measured" scan that is the simulation shifted by four
// steps, scaled, with noise and a gap.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "scan/run.hpp"
#include "support/format.hpp"

namespace korva::testing {

inline void fill_si222(Run& run) {
  Params& p = run.par;
  ScanState& sc = run.sc;
  p.title = pad("Si (222), synchrotron radiation 1.2 A, 4% band", 80);
  p.idesy = kSynchrotron1;
  p.indicator = "dl";
  p.alam1 = 1.2f;
  p.dlam1 = 0.04f;
  p.lam_min = p.alam1 - 0.5f * p.alam1 * p.dlam1;
  p.lam_max = p.alam1 + 0.5f * p.alam1 * p.dlam1;
  p.psia = -30.0f;
  p.psie = 30.0f;
  p.zsw1 = 20.0f;
  p.nstep = 1200;
  p.nnn = 3;
  p.drumin = 20.0f;
  p.h = p.k = p.l = 2;
  p.fprim = 1.45f;
  p.phiprim = 0.0f;
  p.diverp = 0.01f;
  p.divers = 0.02f;
  p.radius = 9.5f;
  p.eta = 0.003f;
  p.scan_flag = 1;

  const double a = 5.4309, pi = 3.14159265358979;
  const std::array<double, 3> hv = {2 / a, 2 / a, 2 / a};
  const double h2 = 12 / (a * a), hn = std::sqrt(h2);
  // psi = 0 along [1 -1 0], normal to H.
  const std::array<double, 3> ex = {1 / std::sqrt(2.0), -1 / std::sqrt(2.0), 0};
  const std::array<double, 3> ey = {hv[1] / hn * ex[2] - hv[2] / hn * ex[1], hv[2] / hn * ex[0] - hv[0] / hn * ex[2],
                                    hv[0] / hn * ex[1] - hv[1] / hn * ex[0]};
  sc.theta_mean = static_cast<float>(std::asin(p.alam1 * hn / 2) * 180 / pi);

  const auto allowed = [](int h, int k, int l) {
    const bool odd = (h & 1) && (k & 1) && (l & 1);
    const bool even = !(h & 1) && !(k & 1) && !(l & 1);
    return odd || (even && (h + k + l) % 4 == 0);
  };
  const auto lattice = [](int h, int k, int l) { return ((h + k) & 1) == 0 && ((k + l) & 1) == 0; };

  struct Solution {
    float psi;
    float height;
  };
  std::vector<std::pair<float, std::array<float, 6>>> events;
  std::vector<Solution> peaks;
  const double q = 1 / p.alam1;
  for (int h = -7; h <= 7; ++h)
    for (int k = -7; k <= 7; ++k)
      for (int l = -7; l <= 7; ++l) {
        if ((h == 0 && k == 0 && l == 0) || (h == 2 && k == 2 && l == 2) || !lattice(h, k, l)) continue;
        const double g[3] = {h / a, k / a, l / a};
        const double g2 = g[0] * g[0] + g[1] * g[1] + g[2] * g[2];
        const double hg = g[0] * hv[0] + g[1] * hv[1] + g[2] * hv[2];
        const double gp2 = g2 - hg * hg / h2;
        if (g2 > 4 * q * q || gp2 <= 1e-9) continue;
        const double s = std::sqrt(gp2 * (q * q - h2 / 4));
        const double u = (g2 - hg) * 0.5 / s;
        if (u > 1 || u < -1) continue;
        const double gx = g[0] * ex[0] + g[1] * ex[1] + g[2] * ex[2];
        const double gy = g[0] * ey[0] + g[1] * ey[1] + g[2] * ey[2];
        const double e1 = std::atan2(gy, gx);
        const bool strong = allowed(h, k, l) && allowed(2 - h, 2 - k, 2 - l);
        const float height = strong ? static_cast<float>(900 / (g2 * a * a)) : 0.0f;
        bool in_range = false;
        for (double sign : {1.0, -1.0}) {
          double psi = (e1 + sign * std::acos(u)) * 180 / pi;
          if (psi > 180) psi -= 360;
          if (psi < -180) psi += 360;
          if (psi > p.psia && psi <= p.psie) {
            in_range = true;
            peaks.push_back({static_cast<float>(psi), height});
          }
        }
        if (!in_range) continue;
        const float cls = strong ? 0.0f : (allowed(h, k, l) || allowed(2 - h, 2 - k, 2 - l)) ? 2.0f : 3.0f;
        const double psi0 = (e1 + std::acos(u)) * 180 / pi;
        events.push_back({static_cast<float>(psi0), {static_cast<float>(e1), static_cast<float>(g2),
                                                    static_cast<float>(h2), static_cast<float>(hg),
                                                    static_cast<float>(gp2), cls}});
      }
  std::sort(events.begin(), events.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
  sc.ntot = static_cast<int>(events.size());
  for (const auto& e : events)
    if (e.second[5] == 0.0f) sc.plot_events.push_back(e.second);
  sc.nplot = static_cast<int>(sc.plot_events.size());

  const int n = p.nstep;
  const float base = 40.0f, width = 0.08f;
  sc.aint.assign(n + 1, base);
  for (int i = 0; i <= n; ++i) {
    const float psi = p.psia + static_cast<float>(i) / p.zsw();
    for (const Solution& pk : peaks) {
      const float t = (psi - pk.psi) / (0.5f * width);
      sc.aint[i] += pk.height / (1 + t * t);
    }
  }
  sc.iprim_calc = base;
  sc.cmax = *std::max_element(sc.aint.begin(), sc.aint.end());
  sc.cmin = *std::min_element(sc.aint.begin(), sc.aint.end());

  sc.measured.aintm.assign(n + 1, kNoMeasurement);
  sc.psi_shift = 4;
  for (int i = 0; i + 4 <= n; ++i) {
    if (i >= 700 && i < 740) continue;  // the counter was off here
    const float v = 0.9f * sc.aint[i + 4];
    const float noise = static_cast<float>(std::sin(i * 12.9898) * 43758.5453);
    sc.measured.aintm[i] = v + (noise - std::floor(noise) - 0.5f) * 2 * std::sqrt(v);
  }
  sc.measured.omax = 0;
  sc.measured.omin = 1e30f;
  for (float v : sc.measured.aintm)
    if (v < kNoMeasurement) {
      sc.measured.omax = std::max(sc.measured.omax, v);
      sc.measured.omin = std::min(sc.measured.omin, v);
    }
  sc.measured.iprim_obs = 36.0f;
}

}  // namespace korva::testing
