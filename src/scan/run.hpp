// The state of one psi-scan computation.
//
// Io is what the application shell and the computation share across runs:
// the open units and the I/O status word.  Run is everything one run owns,
// created by korva_ when the run starts and destroyed on every way out of
// it; every routine of the computation receives it explicitly.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "crystal/crystal.hpp"
#include "support/numeric.hpp"
#include "support/radiation.hpp"
#include "support/units.hpp"

namespace korva {

struct Io {
  InUnit input;      // unit 15
  OutUnit listing;   // unit 16
  OutUnit ps;        // unit 7
  InUnit scan;       // unit 11
  OutUnit cal;       // unit 12
  int iostat = 0;    // > 0: the run stopped at a reported error

  // Told now and then during the event search how much of the run's search
  // is done (0 to 1), so that a caller can show that a long run is alive;
  // empty: nobody is told.  Never part of the listing.
  std::function<void(double)> progress;

  // Tests and fuzzing keep units 7, 11 and 12 in memory: no file is created,
  // and unit 11 reads memory_scan whatever name the input gives.
  bool in_memory = false;
  std::string memory_scan;

  // The page and the calculated scan replace an earlier file only when the
  // run commits them (keep_outputs).
  bool open_output(OutUnit& unit, const std::string& name) {
    if (in_memory) {
      unit.open_memory();
      return true;
    }
    return unit.open_replacing(name);
  }
  bool open_scan(const std::string& name) {
    if (in_memory) {
      scan.open_text(memory_scan);
      return true;
    }
    return scan.open(name);
  }

  // Closes 15, 16, 7, 11 and 12, in this order, as the shell does after a run.
  void close_all() {
    input.close();
    listing.close();
    ps.close();
    scan.close();
    cal.close();
  }
};

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

// One multiple-diffraction event as printed and plotted.
struct EventRecord {
  float hg = 0, kg = 0, lg = 0;  // secondary reflection G
  float fg = 0, theta_g = 0;     // F_G, Bragg angle (rad)
  float hc = 0, kc = 0, lc = 0;  // coupling reflection H - G
  float fc = 0, theta_c = 0;
  float ikorva = 0, iaufhe = 0;  // integrated intensities (times y^2)
  float p12 = 0;
  float absf = 0;      // sqrt(A_G A_C)
  float solution = 0;  // 1 for psi1 ("i-o"), 2 for psi2 ("o-i")
  float fwhm = 0;      // degrees
  float beta = 0;      // half the separation of the two solutions, degrees
  float psi = 0;       // degrees
  float phase_g = 0, phase_c = 0;  // radians
  std::array<float, 6> curve{};    // e1..e6 for the psi-lambda diagram
};

// The simulated and the measured scan, and what the comparison and the plot
// need of them.
struct ScanState {
  std::vector<float> aint;   // calculated, 0..nstep
  std::vector<float> aintm;  // measured, 0..nstep; kNoMeasurement where none

  float cmax = 0, cmin = 0, psi_cmax = 0, psi_cmin = 0;  // calculated extrema
  float iprim_calc = 0;                                  // I_P over the passes

  float omax = 0, psi_omax = 0, sig_omax = 0;  // measured extrema
  float omin = 0, psi_omin = 0, sig_omin = 0;
  float iprim_obs = 0, sig_iprim_obs = 0;
  float background = 0;
  float i0_sum = 0;
  int nref = 0;

  int psi_shift = 0;      // whole steps between measured and calculated scan
  float psid = 0;         // psi = 0 of the diffractometer minus that of the reference direction
  float theta_mean = 0;   // mean Bragg angle of the passes, degrees

  std::vector<std::array<float, 6>> plot_events;  // e1..e6 of the first pass, sorted by psi
  int nplot = 0;            // printed events of the first pass
  long long ntot = 0;       // in-range events of the first pass
  long long nsim = 0;       // events taken into the simulated scan, all passes
};

// The clock of the date and elapsed-time stamps.
struct Clock {
  bool started = false;
  int day = 0;
  int seconds_of_day = 0;
  double wall_start = 0.0;
};

struct Run {
  explicit Run(Io& io_) : io(io_) {}
  Io& io;
  Params par;
  Crystal cr;
  ScanState sc;
  Clock clock;
  std::vector<float> extinction;  // working copy of the extinction table (chuk1_)
  int ierr = 0;                   // 1: a routine reported a failure; the run ends

  void list(std::string_view record) { io.listing.line(record); }
};

// The computation of one run.  Units 15 (input) and 16 (listing) must be
// open.  The three names are filled (72 characters each): the measured-scan
// file, the calculated-scan file and the PostScript file.  io.iostat > 0
// afterwards means that the run stopped at an error reported in the listing.
void korva_(Io& io, std::string& dname2, std::string& calname, std::string& dname1);

}  // namespace korva
