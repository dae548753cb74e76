// The profile of a multiple-diffraction event in psi and its addition to the
// simulated scan.
//
// The profile is an asymmetric pseudo-Voigt: each side is a pseudo-Voigt of
// its own half width, the two sides scaled so that they meet at the peak and
// the whole profile has unit area.  Points farther from the event than its
// crossing angle BETA receive nothing.
#pragma once

#include <vector>

namespace korva {

struct LineShape {
  float w_left = 0, w_right = 0;       // half widths, degrees (both > 0)
  float eta = 0;                        // Lorentz fraction
  float scale_left = 1, scale_right = 1;
  float beta = 0;                       // cut-off distance, degrees
};

// w_left <= 0 means that the left side takes the right side's half width.
LineShape make_line_shape(float w_left, float w_right, float eta, float beta);

// Peak value of a unit-area pseudo-Voigt of half width w.
float pseudo_voigt_peak(float w, float eta);

// Value of the profile at distance d (degrees) from the event; left selects
// the half (the grid point nearest the event belongs to the left half).
// Ignores the cut-off.
float line_shape_value(const LineShape& s, float d, bool left);

// The psi grid of the scan: point i at psia + i / zsw, i = 0..nstep.
struct ScanGrid {
  float psia = 0;
  float zsw = 0;  // steps per degree, > 0
  int nstep = 0;
  const float* table = nullptr;  // psi(0..nstep) worked out once, or null
  float psi(int i) const { return table ? table[i] : psia + static_cast<float>(i) / zsw; }
};

// psi(0..nstep) of the grid.
std::vector<float> grid_table(const ScanGrid& grid);

// One solution of an event as it enters the simulated scan.
struct ScanContribution {
  float psi = 0;              // event position, degrees
  LineShape shape;
  float ikorva = 0, iaufhe = 0;  // integrated intensities, before y^2
  float blocks = 1;           // y
  float ip_per_block = 0;     // I_P / y, the cap of Iaufhe
  float phase_sum = 0;        // radians
  float p_int = 0;
  float wint_left = 0, wint_right = 0;  // phase-shift intervals of the interference term
  int nnn = 0;
};

// Index of the grid point nearest to psi (may lie outside 0..nstep).
long long nearest_point(const ScanGrid& grid, float psi);

// First and last grid index that can lie within the cut-off of c, clipped
// to 0..nstep; first > last when the event misses the grid.
void contribution_range(const ScanGrid& grid, const ScanContribution& c, int& first, int& last);

// Adds c to aint on the grid points first..last (inclusive) of its range:
// aint(i) += y J + y^2 (U - Aw).
void add_contribution(std::vector<float>& aint, const ScanGrid& grid, const ScanContribution& c,
                      int first, int last);

}  // namespace korva
