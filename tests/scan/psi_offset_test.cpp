#include <array>
#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "scan/helpers.hpp"

namespace korva {
namespace {

constexpr double kDeg = 57.29577951308232;

struct D3 {
  double x, y, z;
};
D3 operator+(D3 a, D3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
D3 operator*(double f, D3 a) { return {f * a.x, f * a.y, f * a.z}; }
double dot(D3 a, D3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
D3 cross(D3 a, D3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
D3 unit(D3 v) { return (1.0 / std::sqrt(dot(v, v))) * v; }

D3 ub_times(const std::array<float, 9>& m, D3 v) {
  return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
          m[6] * v.x + m[7] * v.y + m[8] * v.z};
}

// Solves m u = v by Cramer's rule.
D3 solve(const std::array<float, 9>& m, D3 v) {
  const D3 c0{m[0], m[3], m[6]}, c1{m[1], m[4], m[7]}, c2{m[2], m[5], m[8]};
  const double det = dot(c0, cross(c1, c2));
  return {dot(v, cross(c1, c2)) / det, dot(c0, cross(v, c2)) / det, dot(c0, cross(c1, v)) / det};
}

// Frame about the scattering vector N of the primary reflection: psi = 0
// of the diffractometer is the horizontal direction perpendicular to N
// (x when N is vertical), psi = 90 degrees the direction completing the
// right-handed turn about N.
struct Frame {
  D3 zero, quarter, n;
};
Frame frame(D3 n) {
  n = unit(n);
  const double rho = std::hypot(n.x, n.y);
  const D3 zero = rho > 0 ? D3{n.y / rho, -n.x / rho, 0.0} : D3{1, 0, 0};
  return {zero, cross(zero, n), n};
}

float offset(const std::array<float, 9>& ub, int h, int k, int l, D3 u) {
  return upsi_(h, k, l, static_cast<float>(u.x), static_cast<float>(u.y), static_cast<float>(u.z), ub);
}

const std::array<float, 9> kCubic{0.18f, 0, 0, 0, 0.18f, 0, 0, 0, 0.18f};

TEST(PsiOffset, VerticalScatteringVectorMeasuresFromX) {
  for (double beta : {0.0, 30.0, 90.0, 150.0, 179.0, -45.0, -120.0, -179.0}) {
    const D3 u{std::cos(beta / kDeg), -std::sin(beta / kDeg), 0.0};
    EXPECT_NEAR(offset(kCubic, 0, 0, 2, u), beta, 2e-3) << beta;
  }
  EXPECT_NEAR(std::fabs(offset(kCubic, 0, 0, 2, {-1, 0, 0})), 180.0, 2e-3);
}

TEST(PsiOffset, KnownAzimuthOfAReferenceDirectionForAGeneralMatrix) {
  const std::array<float, 9> ub{0.112f, -0.031f, 0.047f, 0.058f, 0.121f, -0.019f, -0.044f, 0.036f, 0.098f};
  for (const auto& hkl : {std::array<int, 3>{1, 2, -1}, {0, 0, 4}, {3, -1, 2}, {-2, 0, 1}}) {
    const Frame f = frame(ub_times(ub, {double(hkl[0]), double(hkl[1]), double(hkl[2])}));
    for (double beta : {0.0, 17.0, 64.0, 91.0, 135.0, 178.0, -8.0, -77.0, -160.0}) {
      const D3 in_lab = std::cos(beta / kDeg) * f.zero + std::sin(beta / kDeg) * f.quarter;
      const D3 u = solve(ub, 3.0 * in_lab);
      EXPECT_NEAR(offset(ub, hkl[0], hkl[1], hkl[2], u), beta, 5e-3) << hkl[0] << hkl[1] << hkl[2] << " " << beta;
    }
    // A reference direction out of the plane perpendicular to N: the angle
    // is measured from the psi = 0 direction to the direction itself.
    const D3 tilted = 0.6 * f.zero + (-0.48) * f.quarter + 0.64 * f.n;
    EXPECT_NEAR(offset(ub, hkl[0], hkl[1], hkl[2], solve(ub, tilted)), -std::acos(0.6) * kDeg, 5e-3);
  }
}

TEST(PsiOffset, RangeAndSignFollowTheQuarterTurnComponent) {
  std::mt19937 rng(20260314);
  std::uniform_real_distribution<float> element(-0.2f, 0.2f);
  std::uniform_int_distribution<int> index(-4, 4);
  std::uniform_real_distribution<double> coordinate(-3.0, 3.0);
  int checked = 0;
  for (int trial = 0; trial < 400; ++trial) {
    std::array<float, 9> ub;
    for (float& v : ub) v = element(rng);
    const int h = index(rng), k = index(rng), l = index(rng);
    const D3 hc = ub_times(ub, {double(h), double(k), double(l)});
    const D3 u{coordinate(rng), coordinate(rng), coordinate(rng)};
    const D3 uc = ub_times(ub, u);
    if (dot(hc, hc) < 1e-6 || dot(uc, uc) < 1e-6) continue;
    const float psid = offset(ub, h, k, l, u);
    ASSERT_TRUE(psid >= -180.0f && psid <= 180.0f) << psid;
    const double c = dot(unit(uc), frame(hc).quarter);
    if (std::fabs(c) < 1e-3) continue;
    EXPECT_EQ(psid < 0, c < 0) << trial << " " << psid << " " << c;
    ++checked;
  }
  EXPECT_GT(checked, 300);
}

TEST(PsiOffset, NoDirectionGivesNoOffset) {
  const std::array<float, 9> zero{};
  EXPECT_EQ(offset(zero, 1, 1, 1, {1, 0, 0}), 0.0f);
  EXPECT_EQ(offset(kCubic, 0, 0, 0, {1, 0, 0}), 0.0f);
  EXPECT_EQ(offset(kCubic, 1, 1, 1, {0, 0, 0}), 0.0f);
  const std::array<float, 9> singular{0.1f, 0.2f, 0.3f, 0.2f, 0.4f, 0.6f, 0.0f, 0.0f, 0.1f};
  EXPECT_EQ(offset(singular, 2, -1, 0, {1, 0, 0}), 0.0f);  // H is in the null space
}

}  // namespace
}  // namespace korva
