#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scan/line_shape.hpp"

namespace korva {
namespace {

// One side of the profile straight from its definition, in double.
double pseudo_voigt(double d, double w, double eta) {
  return eta * (1.0 / M_PI / w) / (1.0 + (d / w) * (d / w)) +
         (1.0 - eta) * (std::sqrt(std::log(2.0) / M_PI) / w) *
             std::exp(-0.5 * std::pow(d / (w / std::sqrt(2.0 * std::log(2.0))), 2));
}

TEST(LineShape, HalvesMeetAtThePeakAndEncloseUnitArea) {
  for (const auto& [wl, wr, eta] : {std::tuple{0.01f, 0.03f, 0.4f}, std::tuple{0.05f, 0.02f, 0.0f},
                                    std::tuple{0.02f, 0.02f, 0.9f}}) {
    const LineShape s = make_line_shape(wl, wr, eta, 1.0e6f);
    const float left0 = line_shape_value(s, 0.0f, true), right0 = line_shape_value(s, 0.0f, false);
    EXPECT_NEAR(left0, right0, 1e-5 * right0);
    // Just off the peak on either side the profile is continuous too.
    EXPECT_NEAR(line_shape_value(s, -1e-6f, true), line_shape_value(s, 1e-6f, false), 1e-3 * right0);

    // Each side is its own pseudo-Voigt, scaled.
    for (float d : {0.3f * wl, 1.7f * wl}) {
      EXPECT_NEAR(line_shape_value(s, -d, true), s.scale_left * pseudo_voigt(d, wl, eta), 1e-4 * left0);
    }
    for (float d : {0.3f * wr, 2.5f * wr}) {
      EXPECT_NEAR(line_shape_value(s, d, false), s.scale_right * pseudo_voigt(d, wr, eta), 1e-4 * left0);
    }

    // Area by the trapezoid rule out to many widths; the Lorentz tails left
    // beyond +-D hold eta * 2 w / (pi D) of each side's area.
    const double dl = 20000.0 * wl, dr = 20000.0 * wr;
    const int n = 400000;
    double area = 0.0;
    for (int side = 0; side < 2; ++side) {
      const double span = side == 0 ? dl : dr;
      const double h = span / n;
      double sum = 0.0;
      for (int i = 0; i <= n; ++i) {
        const double d = i * h;
        const double v = side == 0 ? line_shape_value(s, static_cast<float>(-d), true)
                                   : line_shape_value(s, static_cast<float>(d), false);
        sum += (i == 0 || i == n) ? 0.5 * v : v;
      }
      area += sum * h;
    }
    const double tails = eta * (wl / (M_PI * dl) * s.scale_left + wr / (M_PI * dr) * s.scale_right);
    EXPECT_NEAR(area + tails, 1.0, 2e-4) << wl << " " << wr << " " << eta;
  }
}

TEST(LineShape, ZeroLeftWidthTakesTheRightShape) {
  const LineShape s = make_line_shape(0.0f, 0.02f, 0.3f, 1.0f);
  EXPECT_EQ(s.w_left, 0.02f);
  EXPECT_FLOAT_EQ(s.scale_left, 1.0f);
  EXPECT_FLOAT_EQ(s.scale_right, 1.0f);
  EXPECT_FLOAT_EQ(line_shape_value(s, -0.013f, true), line_shape_value(s, 0.013f, false));
}

ScanContribution contribution(float psi) {
  ScanContribution c;
  c.psi = psi;
  c.shape = make_line_shape(0.02f, 0.05f, 0.3f, 0.25f);
  c.ikorva = 40.0f;
  c.iaufhe = 25.0f;
  c.blocks = 1.5f;
  c.ip_per_block = 200.0f;
  c.phase_sum = 0.0f;
  c.p_int = 0.5f;
  c.wint_left = 0.02f * 0.84932f;
  c.wint_right = 0.05f * 0.84932f;
  return c;
}

TEST(ScanAddition, NearestPointTakesTheLeftHalfOnceAndNothingBeyondBeta) {
  const ScanGrid grid{10.0f, 100.0f, 200};  // 10 .. 12 degrees
  // 10.5037: the nearest point (10.50) lies left of the event, then 10.5063
  // where it lies right of it.
  for (float psi : {10.5037f, 10.5063f}) {
    ScanContribution c = contribution(psi);
    std::vector<float> aint(201, 0.0f);
    int first = 0, last = 0;
    contribution_range(grid, c, first, last);
    add_contribution(aint, grid, c, first, last);
    const long long near = nearest_point(grid, psi);
    EXPECT_EQ(near, psi < 10.505f ? 50 : 51);
    const double y2 = 1.5 * 1.5;
    for (int i = 0; i <= 200; ++i) {
      const float d = grid.psi(i) - psi;
      double expected = 0.0;
      if (std::fabs(d) <= 0.25f) expected = y2 * (40.0 - 25.0) * line_shape_value(c.shape, d, i <= near);
      EXPECT_NEAR(aint[i], expected, 1e-5 * std::fabs(expected) + 1e-9) << "point " << i << " psi " << psi;
    }
    EXPECT_EQ(aint[24], 0.0f);  // 0.26 degrees away
    EXPECT_NE(aint[26], 0.0f);
  }
}

TEST(ScanAddition, RangeLimitedWalkEqualsTheFullWalk) {
  const ScanGrid grid{-3.0f, 50.0f, 300};
  ScanContribution c = contribution(-1.2345f);
  c.shape.beta = 0.8f;
  std::vector<float> full(301, 1.0f), limited(301, 1.0f);
  add_contribution(full, grid, c, 0, 300);
  int first = 0, last = 0;
  contribution_range(grid, c, first, last);
  EXPECT_GT(first, 0);
  EXPECT_LT(last, 300);
  add_contribution(limited, grid, c, first, last);
  EXPECT_EQ(full, limited);

  // An event outside the grid reaches it with its right half only.
  ScanContribution outside = contribution(-3.1f);
  std::vector<float> a(301, 0.0f);
  add_contribution(a, grid, outside, 0, 300);
  const float d0 = grid.psi(0) - outside.psi;
  EXPECT_NEAR(a[0], 2.25 * 15.0 * line_shape_value(outside.shape, d0, false), 1e-5 * a[0]);
}

// Far from the peak only the Lorentz tail is worked out; the sums must be
// the very ones the whole expression gives, point by point.
TEST(ScanAddition, ShortcutOfTheTailsChangesNoBit) {
  const ScanGrid plain{-180.0f, 100.0f, 36000};
  const std::vector<float> table = grid_table(plain);
  ScanGrid grid = plain;
  grid.table = table.data();
  unsigned seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<float>((seed >> 8) & 0xffff) / 65536.0f;
  };
  for (int n = 0; n < 40; ++n) {
    ScanContribution c = contribution(-170.0f + 340.0f * next());
    const float eta = n % 5 == 0 ? 0.002f : next();
    c.shape = make_line_shape(0.001f + 0.5f * next(), 0.001f + 0.5f * next(), eta, 1.0f + 80.0f * next());
    c.ikorva = 100.0f * next();
    c.iaufhe = 100.0f * next();
    std::vector<float> fast(36001, 3.0f), naive(36001, 3.0f);
    int first = 0, last = 0;
    contribution_range(grid, c, first, last);
    add_contribution(fast, grid, c, first, last);
    const long long near = nearest_point(plain, c.psi);
    const float y = c.blocks, y2 = c.blocks * c.blocks;
    for (int i = 0; i <= 36000; ++i) {
      const float d = plain.psi(i) - c.psi;
      if (std::fabs(d) > c.shape.beta) continue;
      const float s = line_shape_value(c.shape, d, i <= near);
      const float u = c.ikorva * s, aw = c.iaufhe * s;
      naive[i] += y * 0.0f + y2 * (u - aw);
    }
    for (int i = 0; i <= 36000; ++i) ASSERT_EQ(fast[i], naive[i]) << "event " << n << " point " << i;
  }
}

TEST(ScanAddition, WithoutInterferenceNeitherTermNorCapApplies) {
  const ScanGrid grid{0.0f, 100.0f, 100};
  ScanContribution c = contribution(0.5f);
  c.iaufhe = 5000.0f;  // far above the cap near the peak
  c.nnn = 0;
  std::vector<float> aint(101, 0.0f);
  add_contribution(aint, grid, c, 0, 100);
  const double peak = line_shape_value(c.shape, 0.0f, true);
  EXPECT_NEAR(aint[50], 2.25 * (40.0 - 5000.0) * peak, 1e-4 * 5000.0 * peak);
}

TEST(ScanAddition, InterferenceTermAndTheCapOfIaufhe) {
  const ScanGrid grid{0.0f, 100.0f, 100};
  ScanContribution c = contribution(0.5f);
  c.nnn = 1;
  c.iaufhe = 30.0f;  // Aw reaches the cap of 200 only close to the peak
  c.phase_sum = 0.3f;
  std::vector<float> aint(101, 0.0f);
  add_contribution(aint, grid, c, 0, 100);
  int capped = 0, free = 0;
  for (int i = 26; i <= 74; ++i) {
    const double d = grid.psi(i) - 0.5f;
    const bool left = i <= 50;
    const double s = line_shape_value(c.shape, static_cast<float>(d), left);
    const double u = 40.0 * s, aw = 30.0 * s;
    double expected = 0.0;
    if (aw >= 200.0) {
      expected = 2.25 * (u - 200.0);
      ++capped;
    } else {
      const double wint = left ? c.wint_left : c.wint_right;
      const double j = 2.0 * std::sqrt((200.0 - aw) * u) * std::cos(0.3 + M_PI / 2 + std::atan(d / wint)) * 0.5;
      expected = 1.5 * j + 2.25 * (u - aw);
      ++free;
    }
    EXPECT_NEAR(aint[i], expected, 1e-4 * (std::fabs(expected) + 1.0)) << i;
  }
  EXPECT_GT(capped, 0);
  EXPECT_GT(free, 0);

  // With phase 0 and no Iaufhe the term alone changes sign across the peak.
  c.phase_sum = 0.0f;
  c.iaufhe = 0.0f;
  c.ikorva = 1.0e-6f;  // U negligible next to the interference term
  std::vector<float> b(101, 0.0f);
  add_contribution(b, grid, c, 0, 100);
  EXPECT_GT(b[45], 0.0f);
  EXPECT_LT(b[55], 0.0f);
}

}  // namespace
}  // namespace korva
