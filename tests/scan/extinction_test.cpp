#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "crystal/extinction_table.hpp"
#include "scan/helpers.hpp"

namespace korva {
namespace {

// Reference values of the extinction factor: rows x with the columns they
// give (theta = 0, 20, 45, 70, 90 and theta = 0, 10, ..., 90 degrees).
struct Reference {
  double x;
  std::vector<float> values;
};

const std::vector<int> kSparseColumns{0, 4, 9, 14, 18};
const std::vector<Reference> kSparse{
    {0.0, {1, 1, 1, 1, 1}},
    {0.1, {0.992f, 0.992f, 0.989f, 0.987f, 0.986f}},
    {0.5, {0.82f, 0.808f, 0.763f, 0.719f, 0.706f}},
    {1.0, {0.47f, 0.453f, 0.424f, 0.421f, 0.421f}},
    {2.0, {0.183f, 0.2f, 0.23f, 0.248f, 0.253f}},
    {10.0, {0.038f, 0.042f, 0.054f, 0.066f, 0.07f}},
    {30.0, {0.012f, 0.014f, 0.02f, 0.026f, 0.028f}},
};

const std::vector<Reference> kEven{
    {0.2, {0.969f, 0.968f, 0.966f, 0.963f, 0.959f, 0.953f, 0.948f, 0.943f, 0.94f, 0.939f}},
    {0.3, {0.931f, 0.929f, 0.925f, 0.918f, 0.91f, 0.899f, 0.889f, 0.88f, 0.874f, 0.871f}},
    {0.4, {0.88f, 0.878f, 0.871f, 0.861f, 0.847f, 0.831f, 0.815f, 0.802f, 0.793f, 0.79f}},
    {0.6, {0.753f, 0.749f, 0.737f, 0.719f, 0.696f, 0.674f, 0.654f, 0.639f, 0.629f, 0.625f}},
    {0.7, {0.681f, 0.676f, 0.663f, 0.643f, 0.619f, 0.598f, 0.58f, 0.567f, 0.559f, 0.556f}},
    {0.8, {0.608f, 0.603f, 0.589f, 0.568f, 0.547f, 0.529f, 0.515f, 0.507f, 0.501f, 0.499f}},
    {0.9, {0.537f, 0.532f, 0.518f, 0.499f, 0.482f, 0.47f, 0.463f, 0.459f, 0.456f, 0.455f}},
    {1.2, {0.356f, 0.353f, 0.346f, 0.342f, 0.346f, 0.355f, 0.363f, 0.369f, 0.371f, 0.372f}},
    {1.5, {0.244f, 0.245f, 0.25f, 0.264f, 0.283f, 0.299f, 0.308f, 0.313f, 0.315f, 0.316f}},
    {2.5, {0.159f, 0.161f, 0.168f, 0.173f, 0.18f, 0.192f, 0.201f, 0.208f, 0.212f, 0.213f}},
    {3.0, {0.125f, 0.127f, 0.133f, 0.142f, 0.155f, 0.164f, 0.172f, 0.179f, 0.184f, 0.185f}},
    {4.0, {0.096f, 0.099f, 0.104f, 0.11f, 0.119f, 0.127f, 0.135f, 0.142f, 0.146f, 0.147f}},
    {5.0, {0.074f, 0.076f, 0.083f, 0.09f, 0.096f, 0.105f, 0.112f, 0.118f, 0.122f, 0.123f}},
    {6.0, {0.063f, 0.065f, 0.068f, 0.075f, 0.082f, 0.089f, 0.096f, 0.101f, 0.105f, 0.106f}},
    {7.0, {0.054f, 0.056f, 0.06f, 0.065f, 0.071f, 0.078f, 0.084f, 0.089f, 0.092f, 0.094f}},
    {8.0, {0.047f, 0.048f, 0.052f, 0.057f, 0.063f, 0.069f, 0.075f, 0.079f, 0.083f, 0.084f}},
    {12.0, {0.031f, 0.033f, 0.035f, 0.039f, 0.043f, 0.048f, 0.052f, 0.056f, 0.059f, 0.06f}},
    {15.0, {0.025f, 0.026f, 0.028f, 0.031f, 0.035f, 0.039f, 0.043f, 0.046f, 0.049f, 0.05f}},
    {20.0, {0.019f, 0.02f, 0.021f, 0.024f, 0.027f, 0.03f, 0.034f, 0.036f, 0.038f, 0.039f}},
    {25.0, {0.015f, 0.016f, 0.017f, 0.019f, 0.022f, 0.025f, 0.028f, 0.03f, 0.032f, 0.032f}},
};

const auto& E = kExtinctionTable;
constexpr int kLastRow = kExtinctionRows - 1, kLastColumn = kExtinctionColumns - 1;

float lookup(const Run& run, double x, double theta) {
  float y = -1.0f;
  chuk_(run.extinction, static_cast<float>(x), static_cast<float>(theta), y);
  return y;
}

struct Prepared {
  Io io;
  Run run{io};
  Prepared() { run.extinction = chuk1_(); }
};

TEST(ExtinctionTable, KeepsTheReferenceValuesExactly) {
  Prepared p;
  int checked = 0;
  for (const auto& [rows, columns] :
       {std::pair{&kSparse, kSparseColumns}, std::pair{&kEven, std::vector<int>{0, 2, 4, 6, 8, 10, 12, 14, 16, 18}}}) {
    for (const Reference& ref : *rows) {
      const int r = static_cast<int>(std::lround(10 * ref.x));
      ASSERT_EQ(ref.values.size(), columns.size());
      for (std::size_t i = 0; i < columns.size(); ++i) {
        EXPECT_EQ(E[r][columns[i]], ref.values[i]) << "x " << ref.x << " column " << columns[i];
        EXPECT_EQ(lookup(p.run, ref.x, 5.0 * columns[i]), ref.values[i]) << "x " << ref.x;
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 7 * 5 + 20 * 10);
}

TEST(ExtinctionTable, FallsFromOneAndNeverJumps) {
  for (int c = 0; c < kExtinctionColumns; ++c) {
    EXPECT_EQ(E[0][c], 1.0f);
    for (int r = 0; r < kLastRow; ++r) {
      ASSERT_LE(E[r + 1][c], E[r][c]) << r << " " << c;
      ASSERT_GT(E[r + 1][c], 0.0f);
      // Steepest reference fall: 0.084 per 0.1 (theta = 90, x = 0.4 .. 0.5).
      ASSERT_LE(E[r][c] - E[r + 1][c], 0.085f) << r << " " << c;
      if (r > 0) {
        ASSERT_LE(std::fabs(E[r + 1][c] - 2 * E[r][c] + E[r - 1][c]), 0.035f) << r << " " << c;
      }
    }
  }
  // Along theta the references change by at most about 0.01 per 5 degrees.
  for (int r = 0; r < kExtinctionRows; ++r) {
    for (int c = 0; c < kLastColumn; ++c) {
      ASSERT_LE(std::fabs(E[r][c + 1] - E[r][c]), 0.015f) << r << " " << c;
      if (c > 0) {
        ASSERT_LE(std::fabs(E[r][c + 1] - 2 * E[r][c] + E[r][c - 1]), 0.005f) << r << " " << c;
      }
    }
  }
}

TEST(Extinction, GridPointsGiveTableValues) {
  Prepared p;
  for (int r = 0; r < kExtinctionRows; ++r)
    for (int c = 0; c < kExtinctionColumns; ++c)
      ASSERT_EQ(lookup(p.run, r / 10.0, 5.0 * c), E[r][c]) << r << " " << c;
  for (double theta : {0.0, 2.5, 13.7, 45.0, 61.3, 89.9, 90.0}) EXPECT_EQ(lookup(p.run, 0.0, theta), 1.0f) << theta;
}

TEST(Extinction, BilinearBetweenGridPoints) {
  Prepared p;
  for (double x : {0.03, 0.47, 1.06, 2.93, 9.99, 17.25, 29.95}) {
    for (double theta : {1.0, 12.5, 44.4, 71.9, 89.5}) {
      const double xf = static_cast<float>(x), tf = static_cast<float>(theta);
      const int r = static_cast<int>(std::floor(10 * xf)), c = static_cast<int>(std::floor(tf / 5));
      const double fx = 10 * xf - r, ft = tf / 5 - c;
      const double below = (1 - ft) * E[r][c] + ft * E[r][c + 1];
      const double above = (1 - ft) * E[r + 1][c] + ft * E[r + 1][c + 1];
      EXPECT_NEAR(lookup(p.run, x, theta), (1 - fx) * below + fx * above, 2e-6) << x << " " << theta;
    }
  }
}

TEST(Extinction, OutsideTheTableHoldsTheEdges) {
  Prepared p;
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  for (double x : {30.0, 30.04, 45.0, 1e30, inf}) {
    EXPECT_EQ(lookup(p.run, x, 45.0), E[kLastRow][9]) << x;
    EXPECT_NEAR(lookup(p.run, x, 47.5), 0.5 * (E[kLastRow][9] + E[kLastRow][10]), 1e-7) << x;
    EXPECT_EQ(lookup(p.run, x, 95.0), E[kLastRow][kLastColumn]) << x;
  }
  for (double theta : {90.0, 90.5, 180.0, 1e30, inf}) {
    EXPECT_EQ(lookup(p.run, 2.0, theta), E[20][kLastColumn]) << theta;
    EXPECT_NEAR(lookup(p.run, 2.05, theta), 0.5 * (E[20][kLastColumn] + E[21][kLastColumn]), 1e-7) << theta;
  }
  for (double low : {-0.5, -1e30, -inf, nan}) {
    EXPECT_EQ(lookup(p.run, low, 30.0), 1.0f) << low;
    EXPECT_EQ(lookup(p.run, 1.0, low), E[10][0]) << low;
  }
  // Just inside the last row and column the interpolation stays between
  // the bracketing values.
  const float below30 = std::nextafter(30.0f, 0.0f), below90 = std::nextafter(90.0f, 0.0f);
  float y = -1;
  chuk_(p.run.extinction, below30, below90, y);
  EXPECT_GE(y, E[kLastRow][kLastColumn - 1]);
  EXPECT_LE(y, E[kLastRow - 1][kLastColumn]);
}

TEST(Extinction, ReadsTheWorkingTableOfTheRun) {
  Io io;
  korva::Run bare(io);
  EXPECT_EQ(lookup(bare, 0.5, 45.0), 0.763f);  // no chuk1_: the built-in table
  Prepared p;
  ASSERT_EQ(p.run.extinction.values.size(), static_cast<std::size_t>(kExtinctionRows * kExtinctionColumns));
  EXPECT_EQ(p.run.extinction.values[5 * kExtinctionColumns + 9], 0.763f);
  p.run.extinction.values[5 * kExtinctionColumns + 9] = 0.5f;
  EXPECT_EQ(lookup(p.run, 0.5, 45.0), 0.5f);
}

}  // namespace
}  // namespace korva
