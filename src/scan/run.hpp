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
#include "crystal/extinction.hpp"
#include "measure/measurement.hpp"
#include "model/params.hpp"
#include "support/numeric.hpp"
#include "support/radiation.hpp"
#include "support/report.hpp"
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

  float cmax = 0, cmin = 0, psi_cmax = 0, psi_cmin = 0;  // calculated extrema
  float iprim_calc = 0;                                  // I_P over the passes

  MeasuredScan measured;

  int psi_shift = 0;      // whole steps between measured and calculated scan
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
  explicit Run(Io& io_) : io(io_), report([&io_](std::string_view line) { io_.listing.line(line); }) {}
  Io& io;
  Params par;
  Crystal cr;
  ScanState sc;
  Clock clock;
  ExtinctionTable extinction;     // working copy of the extinction table (chuk1_)
  Report report;                  // the listing, and whether a routine stopped the run

  void list(std::string_view record) { io.listing.line(record); }
};

// The computation of one run.  Units 15 (input) and 16 (listing) must be
// open.  The three names are filled (72 characters each): the measured-scan
// file, the calculated-scan file and the PostScript file.  io.iostat > 0
// afterwards means that the run stopped at an error reported in the listing.
void korva_(Io& io, std::string& dname2, std::string& calname, std::string& dname1);

}  // namespace korva
