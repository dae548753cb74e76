// Intensity model of the psi-scan: the primary reflection (the flat level of
// the scan) and the two integrated intensities, width and line-shape
// parameters of every multiple-diffraction event.
//
// The functions read the run but change nothing in it, so the events of one
// pass can be evaluated on several threads.
#pragma once

#include "crystal/structure_factor.hpp"
#include "scan/event_search.hpp"
#include "scan/run.hpp"

namespace korva {

// A structure factor at or below this counts as zero.
constexpr float kFZero = 0.001f;

// The primary reflection for one wavelength line.
struct PrimaryReflection {
  float lambda = 0, dlam = 0, weight = 0;
  double k = 0, k_lo = 0, k_hi = 0;  // 1/lambda at the centre and the band edges
  float theta = 0;           // Bragg angle, radians
  float theta_deg = 0;
  float absorption = 1;      // A
  float pol_factor = 1;      // P
  float delta = 0;           // reflection width in reciprocal space (1/A)
  float lorentz = 0;         // L
  float fwhm_theta = 0;      // width of the theta-scan, degrees
  float blocks = 1;          // y: mosaic blocks in reflecting position
  float ext_thickness = 0;   // E: extinction-weighted thickness (cm)
  float q = 0;               // reflecting power Q
  float p0 = 0;              // incident power on the crystal
  float t = 0;               // mean path through a mosaic block (cm)
  float kappa = 0;           // K F of the primary (1/cm)
  float intensity = 0;       // I_P (cps)
};

// The wavelength is that of geo; dlam its relative band width, weight the
// weight of the line.
PrimaryReflection primary_reflection(const Run& run, const PassGeometry& geo, float dlam, float weight);

// Half widths of an event in psi (degrees), from the band of sphere radii
// [k_lo - delta_e, k_hi + delta_e] and the vertical spread e_prime.
struct EventWidth {
  float w_left = 0, w_right = 0;  // w_left 0: the left side takes the right-side shape
  float fwhm = 0;
  float x_min = 0, x_max = 0;     // crossing angles at the band edges, degrees
  double lorentz_arg = 0;         // delta s, the change of distance from the sphere centre
};

// Half widths smaller than this fraction of a degree never reach the line
// shape (see event_width).
constexpr double kMinHalfWidth = 1.0e-6;

EventWidth event_width(const PassGeometry& geo, const PrimaryReflection& prim, const EventGeometry& ev,
                       double delta_e, double e_prime);

// Everything the listing and the scan need of one event.
struct EventIntensity {
  float theta_g = 0, theta_c = 0;  // Bragg angles, radians
  float ikorva = 0, iaufhe = 0;    // integrated intensities, before the block factor y^2
  float p12 = 0, p_int = 0;
  float absf = 1;                  // sqrt(A_G A_C)
  float fwhm = 0, w_left = 0, w_right = 0;  // degrees
  float eta_l = 0;                 // Lorentz fraction of the line shape
  float lorentz = 0;               // L_E
  float phase_sum = 0;             // phase_G + phase_C - phase_P, radians
  float peak = 0;                  // max(Ikorva, Iaufhe) y^2 / FWHM, the threshold figure
};

EventIntensity event_intensity(const Run& run, const PrimaryReflection& prim, const PassGeometry& geo,
                               const EventGeometry& ev, const StructureFactor& sfg,
                               const StructureFactor& sfc);

}  // namespace korva
