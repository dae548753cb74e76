// Geometry of multiple-diffraction events: where a reciprocal-lattice point
// G crosses the Ewald sphere while the crystal turns about the primary
// scattering vector H.
//
// Positions are computed in double precision.  The crossing angle and the
// azimuth of G come from arc cosines of values that are often close to +-1
// (every G in the plane of H and the reference direction); in single
// precision that costs up to a tenth of a degree of psi, more than the width
// of a synchrotron event.  The results are stored as single-precision values.
#pragma once

#include <array>

#include "scan/run.hpp"

namespace korva {

constexpr double kDegPerRad = 57.295779513082321;  // 180 / pi

// What the search needs of the crystal, the primary reflection and the
// wavelength of one pass.
struct PassGeometry {
  std::array<std::array<double, 3>, 3> metric{};  // reciprocal metric G*
  std::array<int, 3> hkl{};                       // primary reflection H
  std::array<double, 3> gh{};                     // G* H: H.G = gh . G
  double hnorm = 0, half_h = 0, d = 0;            // |H|, |H|/2, 1/|H|
  double lambda = 0, inv_lambda = 0, inv_lambda2 = 0;
  double rho = 0;  // distance of the sphere centre from the H axis
  std::array<double, 3> u{};  // reference direction (reciprocal components), u.H = 0
  double unorm = 0;           // |u|
  double psid = 0;            // psi offset of the diffractometer, degrees
  bool wrap_0_360 = false;    // psi given in 0..360 (not a tube, psia >= 0)
  int hmax = 0, kmax = 0, lmax = 0;
  // The acceptance window as an arc, for a test of its solutions before
  // their arc cosines (set_psi_window; off when window_cos > 1).
  double window_cos = 2.0;     // cosine of the half width, with a margin
  double window_c = 0, window_s = 0;  // direction of its centre, less psid
};

// Sets the arc of the acceptance window psia - 5 .. psie + 5 (after psid is
// known).  It stays off where the window reaches the ends of the psi range,
// so that the normalised psi and the direction tell the same.
void set_psi_window(PassGeometry& geo, float psia, float psie);

// The reference direction of the azimuth: a reciprocal-lattice direction
// perpendicular to H.
std::array<double, 3> reference_direction(const std::array<double, 3>& gh);

// Reciprocal metric of the cell of p, computed in double from the direct
// cell constants (right angles give exact zeros).
std::array<std::array<double, 3>, 3> reciprocal_metric(const Params& p);

// Geometry of one wavelength pass.  psid is the psi offset (degrees) that
// upsi_ gave for the reference direction, or 0.
PassGeometry make_pass_geometry(const Params& p, float lambda, float psid);

// One point on the Ewald sphere.
struct EventGeometry {
  std::array<int, 3> g{};  // secondary reflection G
  std::array<int, 3> c{};  // coupling reflection H - G
  double p = 0;            // axial component of G along H
  double g2 = 0;           // |G|^2
  double c2 = 0;           // |H - G|^2
  double hg = 0;           // H.G
  double gperp2 = 0, gperp = 0;
  double cosx = 0, x = 0;  // crossing angle X, radians
  double psig = 0;         // azimuth of G from the reference direction, radians
  std::array<float, 2> psi{};  // the two solutions, degrees, normalised ("i-o", "o-i")
  bool outside = false;        // both solutions surely outside the window: nothing else is set
};

inline double metric_norm2(const std::array<std::array<double, 3>, 3>& m, double h, double k, double l) {
  return h * h * m[0][0] + k * k * m[1][1] + l * l * m[2][2] +
         2.0 * (h * k * m[0][1] + h * l * m[0][2] + k * l * m[1][2]);
}

// The l of row (h, k) whose points can lie inside |G| <= radius, widened by
// one on either side against rounding and kept within -lmax..lmax; false
// when there are none.
bool sphere_row(const std::array<std::array<double, 3>, 3>& m, double radius, int h, int k, int lmax, int& first,
                int& last);

// psi in degrees brought into -180..180 (moved once by 360 toward zero),
// then into 0..360 when the scan is given that way.
double normalise_psi(double psi, bool wrap_0_360);

// True when point G crosses the Ewald sphere; fills ev.  The two cheap tests
// (axial component, limiting sphere and H axis) come before any square root,
// and the window test of set_psi_window before the arc cosines.
bool locate_event(const PassGeometry& geo, int hg, int kg, int lg, EventGeometry& ev);

// The acceptance window of a solution: up to 5 degrees outside the scan.
inline bool in_window(float psi, float psia, float psie) {
  return psia < psi + 5.0f && psi - 5.0f < psie;
}

}  // namespace korva
