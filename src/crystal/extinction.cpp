// Extinction factor of a mosaic block: the run's working table and its
// bilinear interpolation.
#include <cmath>

#include "crystal/extinction.hpp"
#include "crystal/extinction_table.hpp"

namespace korva {

ExtinctionTable chuk1_() {
  const float* first = &kExtinctionTable[0][0];
  return {std::vector<float>(first, first + kExtinctionRows * kExtinctionColumns)};
}

namespace {

// Splits a grid coordinate u (in steps) into the cell index at or below it
// and the fraction inside the cell.  Below the grid (also NaN) the first
// point is taken, at or beyond the last point the last one is held, so the
// reads of index and index + 1 never leave the table.
struct Cell {
  int index;
  int next;
  float fraction;
};

Cell locate(float steps, int last) {
  if (!(steps > 0.0f)) return {0, 0, 0.0f};
  if (!(steps < static_cast<float>(last))) return {last, last, 0.0f};
  // Truncation toward zero of steps + 1, as the table's lookup defines it.
  // Rounding can carry steps + 1 up to the next whole number (0.99999994 + 1
  // is 2 in single precision): the index is then one above the point below
  // steps, the fraction slightly negative and taken as 0.
  const int index = static_cast<int>(std::trunc(steps + 1.0f)) - 1;
  if (index >= last) return {last, last, 0.0f};
  float fraction = steps - static_cast<float>(index);
  if (fraction < 0.0f) fraction = 0.0f;
  if (fraction > 1.0f) fraction = 1.0f;
  return {index, index + 1, fraction};
}

}  // namespace

void chuk_(const ExtinctionTable& table, float x, float theta, float& y) {
  // Without chuk1_ the run has no working table; the constant one is the
  // same data.
  const float* e = table.values.size() == static_cast<std::size_t>(kExtinctionRows * kExtinctionColumns)
                       ? table.values.data()
                       : &kExtinctionTable[0][0];
  const auto at = [e](int r, int c) { return e[r * kExtinctionColumns + c]; };

  const Cell row = locate(10.0f * x, kExtinctionRows - 1);
  const Cell col = locate(0.2f * theta, kExtinctionColumns - 1);
  // The angle fraction follows the lookup's own definition, (theta - 5 c0) / 5.
  float ftheta = col.fraction;
  if (col.next != col.index) {
    ftheta = (theta - 5.0f * static_cast<float>(col.index)) / 5.0f;
    if (ftheta < 0.0f) ftheta = 0.0f;
    if (ftheta > 1.0f) ftheta = 1.0f;
  }

  const float g0 = at(row.index, col.index) + ftheta * (at(row.index, col.next) - at(row.index, col.index));
  const float g1 = at(row.next, col.index) + ftheta * (at(row.next, col.next) - at(row.next, col.index));
  y = g0 + row.fraction * (g1 - g0);
}

}  // namespace korva
