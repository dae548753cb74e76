// The one-page graphical result of a run.  The page is landscape; in
// centimetres of the drawing: upper panel x 1..21, y 4.5..20.3 with the
// calculated scan (and the measured scan above it), lower panel y 2.5..4.5
// with the psi-lambda diagram, header block to the right of both.
#include "plot/page.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "plot/primitives.hpp"
#include "support/format.hpp"
#include "support/numeric.hpp"

namespace korva {
namespace {

constexpr float kLeft = 1.0f, kRight = 21.0f;       // panel edges in x
constexpr float kDiagramBottom = 2.5f, kDiagramTop = 4.5f;
constexpr float kWidth = 20.0f;                     // x extent of the panels
constexpr float kRadToDeg = 57.29576f;
constexpr int kLambdaSteps = 1000;

// num / den, or 0 when the quotient would not be a finite number (a scale
// without range puts everything on the lower edge of its band).
float ratio(float num, float den) {
  if (den == 0.0f) return 0.0f;
  const float r = num / den;
  return std::isfinite(r) ? r : 0.0f;
}

// Selects a font only when it differs from the one in force.
struct FontState {
  Plotter& out;
  std::string name;
  float size;
  void use(std::string_view n, float s) {
    if (n == name && s == size) return;
    name = std::string(n);
    size = s;
    fonts_(out, s, n);
  }
};

// Label (padded to its character count) and number of one header row.
void label(Plotter& out, float x, float y, std::string_view text, int nchar) {
  symbol_(out, x, y, 0.0f, pad(text, static_cast<std::size_t>(nchar)), 0.0f, nchar);
}
void value(Plotter& out, float x, float y, float v, int ndec) { number_(out, x, y, 0.0f, v, 0.0f, ndec); }

// A level of a scan: short marks left and right of the panel and its name.
void level_mark(Plotter& out, float y, std::string_view name) {
  plot_(out, 0.7f, y, 3);
  plot_(out, 1.0f, y, 2);
  label(out, -0.3f, y, name, 5);
  plot_(out, 21.0f, y, 3);
  plot_(out, 21.3f, y, 2);
}

// The nearer side edge of the panel.
float side_edge(float x) { return std::fabs(x - kLeft) < std::fabs(x - kRight) ? kLeft : kRight; }

struct Branch {
  std::vector<float> x, y;
  bool empty() const { return x.empty(); }
  int size() const { return static_cast<int>(x.size()); }
};

struct DiagramScale {
  float psia, psie, scale;  // scale: degrees of psi per centimetre
  float lam_min, lam_max;
  int idesy;
};

// Where a psi of an event curve is drawn: folded into -180..180, or into
// 0..360 for the radiations whose scans are given that way; false outside
// the scan range (a point exactly at psia belongs to the previous period).
bool psi_to_x(const DiagramScale& g, float psi, float& x) {
  if (psi > 180.0f || psi < -180.0f) psi -= std::copysign(360.0f, psi);
  if (g.idesy > 0 && g.psia >= 0.0f && psi < 0.0f) psi += 360.0f;
  if (!(g.psia < psi && psi <= g.psie)) return false;
  x = kLeft + (psi - g.psia) / g.scale;
  return true;
}

// The curve of one event: psi of the two solutions as the wavelength runs
// through the band.  e1 psi_G (rad), e2 |G|^2, e3 |H|^2, e4 H.G, e5 the
// squared component of G normal to H.
void event_curve(Plotter& out, const std::array<float, 6>& e, const DiagramScale& g) {
  Branch plus, minus;
  const float band = g.lam_max - g.lam_min;
  const float width = std::fabs(band);
  for (int i = 0; i <= kLambdaSteps; ++i) {
    const float lambda =
        i < kLambdaSteps ? g.lam_min + static_cast<float>(i) * 0.001f * width : g.lam_max;
    if (!(lambda > 0.0f)) continue;
    const float q = 1.0f / lambda;
    if (e[1] > 4.0f * q * q) continue;  // G outside the limiting sphere
    const float s = std::sqrt(e[4] * (q * q - e[2] / 4.0f));
    if (!(s > 0.0f)) continue;
    const float u = (e[1] - e[3]) * 0.5f / s;
    if (!(u <= 1.0f && u >= -1.0f)) continue;
    const float a = std::acos(u);
    const float y = kDiagramBottom + ratio(lambda - g.lam_min, band * 0.5f);
    float x = 0;
    if (psi_to_x(g, (e[0] + a) * kRadToDeg, x)) {
      plus.x.push_back(x);
      plus.y.push_back(y);
    }
    if (psi_to_x(g, (e[0] - a) * kRadToDeg, x)) {
      minus.x.push_back(x);
      minus.y.push_back(y);
    }
  }

  // Ends that do not lie on the top or bottom edge left the psi range
  // through a side: they are carried onto that side.
  const auto snap_first = [](Branch& b) {
    if (b.y.front() != kDiagramBottom) b.x.front() = side_edge(b.x.front());
  };
  const auto snap_last = [](Branch& b) {
    if (b.y.back() != kDiagramTop) b.x.back() = side_edge(b.x.back());
  };
  const auto draw = [&](Branch& b) { line1_(out, b.x, b.y, kWidth, b.size()); };

  if (!plus.empty() && minus.empty()) {
    snap_last(plus);
    snap_first(plus);
    draw(plus);
  } else if (plus.empty() && !minus.empty()) {
    snap_last(minus);
    snap_first(minus);
    draw(minus);
  } else if (!plus.empty() && !minus.empty()) {
    snap_first(plus);
    snap_first(minus);
    if (std::fabs(plus.x.back() - minus.x.back()) < 0.9f * kWidth) {
      // The two solutions meet where u reaches +-1.
      plot_(out, plus.x.back(), plus.y.back(), 3);
      plot_(out, minus.x.back(), minus.y.back(), 2);
    } else {
      snap_last(plus);
      snap_last(minus);
    }
    draw(plus);
    draw(minus);
  }
}

}  // namespace

PageStamp page_stamp_now() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  char date[32], time[32];
  std::snprintf(date, sizeof date, "%02d . %02d . %02d", t.tm_mday, t.tm_mon + 1, t.tm_year % 100);
  std::snprintf(time, sizeof time, "%02d . %02d . %02d", t.tm_hour, t.tm_min, t.tm_sec);
  return {date, time};
}

void uplot_(Plotter& out, const PageData& page, std::string_view date, std::string_view time) {
  const PageSettings& p = page.par;
  const PageScans& sc = page.sc;
  const float zsw = p.zsw;
  const bool measured = p.measured;
  const int n = std::max(p.nstep, 0);

  // 1. Page start and title.
  plots_(out);
  newpen_(out, 0);
  fonts_(out, 0.5f, "Times-Bold");
  symbol_(out, 1.0f, 20.5f, 0.0f, pad(p.title, 80), 0.0f, 80);
  fonts_(out, 0.5f, "Times-Roman");
  transl_(out, -0.5f, 0.0f);

  // 2. Header block, to the right of the panels.
  FontState font{out, "Times-Roman", 0.5f};
  label(out, 22.0f, 20.0f, "Date:", 5);
  symbol_(out, 23.5f, 20.0f, 0.0f, pad(date, 12), 0.0f, 12);
  label(out, 22.0f, 19.4f, "Time:", 5);
  symbol_(out, 23.5f, 19.4f, 0.0f, pad(time, 12), 0.0f, 12);
  font.use("Times-Bold", 0.5f);
  label(out, 22.0f, 18.5f, "hkl-prim:", 9);
  value(out, 25.2f, 18.5f, static_cast<float>(p.h), 0);
  value(out, 26.2f, 18.5f, static_cast<float>(p.k), 0);
  value(out, 27.2f, 18.5f, static_cast<float>(p.l), 0);
  // In the Symbol font l, q and j are lambda, theta and phi.
  font.use("Symbol", 0.5f);
  label(out, 22.0f, 17.5f, "l:", 2);
  label(out, 22.0f, 16.8f, "q-", 2);
  label(out, 22.0f, 15.6f, "j-", 2);
  font.use("Times-Roman", 0.5f);
  if (trim_right(p.indicator) == "dl") {
    value(out, 23.0f, 17.5f, (p.lam_min + p.lam_max) * 0.5f, 64);
  } else {
    label(out, 23.0f, 17.5f, p.indicator, 2);
  }
  label(out, 22.5f, 16.8f, "prim:", 5);
  value(out, 24.0f, 16.8f, sc.theta_mean, 52);
  label(out, 22.0f, 16.2f, "F-prim:", 7);
  value(out, 24.0f, 16.2f, p.fprim, 72);
  label(out, 22.5f, 15.6f, "prim:", 5);
  value(out, 24.0f, 15.6f, p.phiprim * kRadToDeg, 72);
  font.use("Times-Bold", 0.5f);
  label(out, 22.0f, 11.8f, "Simulation calculated with", 26);
  font.use("Times-Roman", 0.4f);
  label(out, 22.0f, 11.1f, "step-width", 14);
  value(out, 25.5f, 11.1f, ratio(1.0f, zsw), 53);
  label(out, 22.0f, 10.6f, "divergence-p", 14);
  value(out, 25.5f, 10.6f, p.diverp, 53);
  label(out, 22.0f, 10.1f, "divergence-s", 14);
  value(out, 25.5f, 10.1f, p.divers, 53);
  label(out, 22.0f, 9.6f, "mosaic-radius", 14);
  value(out, 25.5f, 9.6f, p.radius, p.radius < 10.0f ? 53 : 50);
  label(out, 22.0f, 9.1f, "mosaic-spread", 14);
  value(out, 25.5f, 9.1f, p.eta, 53);
  font.use("Times-Bold", 0.5f);
  if (p.nnn > 0) {
    label(out, 22.0f, 8.6f, "nnn", 14);
    value(out, 25.5f, 8.6f, static_cast<float>(p.nnn), 50);
  } else {
    label(out, 22.0f, 8.4f, "without interference term,", 26);
  }
  label(out, 22.0f, 7.8f, "taking into account events", 26);
  label(out, 22.0f, 7.2f, "with I (cps) >", 14);
  value(out, 25.0f, 7.2f, 0.01f * p.drumin, 74);
  font.use("Times-Roman", 0.5f);
  if (measured) {
    label(out, 22.0f, 14.6f, "Imax-obs (cps):", 15);
    value(out, 25.3f, 14.6f, sc.omax, 92);
    label(out, 22.0f, 14.0f, "Imin-obs (cps):", 15);
    value(out, 25.3f, 14.0f, sc.omin, 92);
  }
  label(out, 22.0f, 6.2f, "Imax-calc(cps):", 15);
  value(out, 25.3f, 6.2f, sc.cmax, 92);
  label(out, 22.0f, 5.6f, "Imin-calc(cps):", 15);
  value(out, 25.3f, 5.6f, sc.cmin, 92);
  transl_(out, 0.5f, 0.0f);

  // 3. Upper panel.
  frame_(out, 0, kLeft, kRight, 4.5f, 20.3f);
  fonts_(out, 0.5f, "Times-Roman");
  if (measured) {
    symbol_(out, 0.7f, 15.5f, 0.0f, "I-obs (cps)", 90.0f, 12);
    symbol_(out, 0.7f, 7.5f, 0.0f, "I-calc (cps)", 90.0f, 12);
  } else {
    symbol_(out, 0.7f, 15.5f, 0.0f, "I-calc (cps)", 90.0f, 12);
  }

  // 4. Zooming: the header has shown the true maxima.
  float cmax = sc.cmax, omax = sc.omax;
  const float cmin = sc.cmin, omin = sc.omin;
  if (p.zeimax > 0.0f) {
    cmax = p.zeimax;
    omax = p.zeimax;
  }
  const float height = measured ? 7.0f : 14.0f;
  const float scale = (p.psie - p.psia) * 0.05f;  // degrees of psi per centimetre
  const float dx = ratio(1.0f, zsw * scale);

  // 5. Calculated scan.
  const std::size_t points = std::min<std::size_t>(static_cast<std::size_t>(n) + 1, sc.aint.size());
  std::vector<float> curve(points);
  for (std::size_t i = 0; i < points; ++i) {
    const float v = std::min(sc.aint[i], cmax);
    curve[i] = 4.8f + height * ratio(v - cmin, cmax - cmin);
  }
  level_mark(out, 4.8f + height * ratio(sc.iprim_calc - cmin, cmax - cmin), "Iprim");
  level_mark(out, 4.8f + height, "Imax");
  level_mark(out, 4.8f, "Imin");
  label(out, 21.5f, 5.0f, "Iprim-calc(cps):", 16);
  value(out, 24.8f, 5.0f, sc.iprim_calc, 92);
  line_(out, dx, curve, static_cast<int>(points));

  // 6. Measured scan, in the band above the calculated one.
  if (measured) {
    const float base = height + 5.8f;
    newpen_(out, 1);
    const std::size_t mpoints = std::min<std::size_t>(static_cast<std::size_t>(n) + 1, sc.aintm.size());
    std::vector<float> mcurve(mpoints);
    for (std::size_t i = 0; i < mpoints; ++i) {
      const float v = sc.aintm[i];
      mcurve[i] = v < kNoMeasurement ? base + height * ratio(std::min(v, omax) - omin, omax - omin) : v;
    }
    newpen_(out, 0);
    if (sc.iprim_obs > omin) level_mark(out, base + height * ratio(sc.iprim_obs - omin, omax - omin), "Iprim");
    level_mark(out, 2.0f * height + 5.8f, "Imax");
    level_mark(out, base, "Imin");
    label(out, 21.5f, 13.4f, "Iprim-obs (cps):", 16);
    value(out, 24.8f, 13.4f, sc.iprim_obs, 92);
    newpen_(out, 1);
    line2_(out, dx, mcurve, sc.psi_shift, static_cast<int>(mpoints));
    newpen_(out, 0);
  }

  // 7. Lower panel: the wavelength band, with the edges of the two tube lines.
  newpen_(out, 0);
  frame_(out, 0, kLeft, kRight, kDiagramBottom, kDiagramTop);
  dash_(out, 0);
  float w1 = 0.0f, w2 = 0.0f;
  if (p.idesy == kTube) {
    w1 = 0.5f * p.alam1 * p.dlam1;
    w2 = 0.5f * p.alam2 * p.dlam2;
  }
  const float band = p.lam_max - p.lam_min;
  const float y1 = kDiagramBottom + 2.0f * ratio(2.0f * w1, band);
  const float y2 = kDiagramTop - 2.0f * ratio(2.0f * w2, band);
  plot_(out, kLeft, y1, 3);
  plot_(out, kRight, y1, 2);
  plot_(out, kLeft, y2, 3);
  plot_(out, kRight, y2, 2);
  dash_(out, 1);

  // 8. Event curves, dashed by extinction class.
  const DiagramScale g{p.psia, p.psie, scale, p.lam_min, p.lam_max, p.idesy};
  const int events = std::min(std::max(sc.nplot, 0), static_cast<int>(sc.plot_events.size()));
  for (int j = 0; j < events; ++j) {
    const auto& e = sc.plot_events[static_cast<std::size_t>(j)];
    dash_(out, nint(e[5]));
    if (scale != 0.0f) event_curve(out, e, g);
  }
  dash_(out, 0);

  // 9. Psi axis and legend; end of the page.
  fonts_(out, 0.5f, "Symbol");
  axis_(out, kLeft, kDiagramBottom, "y", 1, kWidth, 0.0f, p.psia, scale);
  fonts_(out, 0.5f, "Symbol");
  symbol_(out, 0.5f, 3.2f, 0.0f, "l", 0.0f, 1);
  transl_(out, -0.5f, 0.0f);
  symbo1_(out, sc.nplot, sc.ntot, p.drumin);
  plot_(out, 0.0f, 0.0f, 999);
}

}  // namespace korva
