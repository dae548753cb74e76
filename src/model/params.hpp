// The parameters of a run: what the input file gives, and what is derived
// from it once (cell, band limits, scale constants, absorption).
#pragma once

#include <array>
#include <string>

#include "support/radiation.hpp"

namespace korva {

// What the input file gives, and what is derived from it once.
struct Params {
  std::string title = std::string(80, ' ');
  std::string dname1 = std::string(72, ' ');  // PostScript file
  std::string dname2 = std::string(72, ' ');  // measured-scan file, blank if none
  std::string scan_ext;                       // last three characters of dname2

  float a = 0, b = 0, c = 0, alpha = 0, beta = 0, gamma = 0;  // cell, degrees

  std::string indicator = "  ";  // "Cu", "Mo", "Ag", or "dl" for every other radiation line
  int idesy = kTube;
  float alam1 = 0, dlam1 = 0, flam1 = 0;  // first wavelength, band width, weight
  float alam2 = 0, dlam2 = 0, flam2 = 0;  // second wavelength (tubes)
  float am = 0, fm = 0;                   // monochromator cell and structure factor
  int hm = 0, km = 0, lm = 0;             // monochromator reflection
  float theta_m = 0, w_darwin = 0;        // monochromator Bragg angle (rad), Darwin width

  float diverp = 0, divers = 0;  // degrees
  float rkugel = 0;              // crystal radius in cm (input in micrometres)
  float radius = 0;              // mosaic-block radius in micrometres
  float eta = 0;                 // mosaic spread, degrees

  float psia = 0, psie = 0, zsw1 = 0;
  int nnn = 0;
  float drumin = 0, zeimax = 0;

  int nr = 0, na = 0, nf = 0;  // space group, atoms of the asymmetric unit, tables
  int i_u_b = 0;               // 0 beta input, otherwise U input

  int h = 0, k = 0, l = 0;     // primary reflection
  float fprim = 0;             // its structure factor
  float phiprim = 0;           // its phase, radians
  float psi1 = 0, psi2 = 0;    // psi interval of the measured primary intensity

  bool has_ub = false;
  std::array<float, 9> ub{};  // row by row

  int scan_flag = 0;  // 1: a measured scan is given (and, after reading, usable)

  // Derived.
  float i0 = 0;             // incident intensity, counts / cm^2 / s
  float pol = 0;            // polarization indicator
  float cad_att = 1, cad_pm = 1;  // CAD-4 attenuator factor and monochromator constant
  float lam_min = 0, lam_max = 0;
  float cross_section = 0;  // pi rkugel^2, cm^2
  float scale_k = 0;        // K: structure factor -> extinction coefficient (1/cm)
  int centring = 1;         // centring multiplicity
  int nstep = 0;

  float vol = 0;                                  // cell volume, A^3
  float ast = 0, bst = 0, cst = 0;                // reciprocal lengths, 1/A
  float alphast = 0, betast = 0, gammast = 0;     // reciprocal angles, degrees
  float vol_recip = 0;
  float hnorm2 = 0, hnorm = 0;  // |H|^2, |H|
  float stl_prim = 0;           // sin(theta)/lambda of H
  float d_prim = 0;             // interplanar spacing of H

  float mu = 0, mur = 0;  // linear absorption coefficient (1/cm) and mu R
  float density = 0;      // g/cm^3

  float zsw() const { return zsw1 < 0 ? -zsw1 : zsw1; }
};

}  // namespace korva
