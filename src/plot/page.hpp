// The PostScript page of a run: header, scans and psi-lambda diagram, drawn
// from a description of the run that holds just what the page shows.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "plot/primitives.hpp"
#include "support/radiation.hpp"

namespace korva {

// The run parameters the page shows.
struct PageSettings {
  std::string title;      // 80 columns
  std::string indicator;  // "Cu", "Mo", "Ag" or "dl"
  int idesy = 0;          // radiation kind; 0 is the X-ray tube
  int h = 0, k = 0, l = 0;
  float alam1 = 0, alam2 = 0, dlam1 = 0, dlam2 = 0;
  float lam_min = 0, lam_max = 0;  // wavelength band of the diagram
  float diverp = 0, divers = 0, eta = 0, radius = 0;
  float fprim = 0, phiprim = 0;  // F and phase (radians) of H
  int nnn = 0;
  float psia = 0, psie = 0, zsw = 0;  // zsw: steps per degree, positive
  int nstep = 0;
  float zeimax = 0, drumin = 0;
  bool measured = false;  // a usable measured scan belongs to the run
};

// The results the page draws.
struct PageScans {
  std::span<const float> aint;   // calculated, 0..nstep
  std::span<const float> aintm;  // measured; kNoMeasurement where none
  float cmax = 0, cmin = 0, omax = 0, omin = 0;
  float iprim_calc = 0, iprim_obs = 0;
  int psi_shift = 0;       // whole steps between measured and calculated scan
  float theta_mean = 0;    // degrees
  std::span<const std::array<float, 6>> plot_events;  // e1..e6, sorted by psi
  int nplot = 0;            // printed events of the first pass
  long long ntot = 0;       // in-range events of the first pass
};

struct PageData {
  PageSettings par;
  PageScans sc;
};

// Draws the page and ends the file, with the given 12-character date and
// time texts ("dd . mm . yy", "hh . mm . ss").
void uplot_(Plotter& out, const PageData& page, std::string_view date, std::string_view time);

// The header's date and time texts of the current local time.
struct PageStamp {
  std::string date, time;
};
PageStamp page_stamp_now();

}  // namespace korva
