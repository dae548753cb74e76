#include <new>
#include <stdexcept>
#include <string>

#include "scan/helpers.hpp"
#include "scan/run.hpp"
#include "scan/stages.hpp"
#include "support/format.hpp"

namespace korva {
namespace {

// A listing that cannot be written ends the run: what it computes would
// reach nobody.
bool listing_written(Run& run) {
  if (!run.io.listing.failed()) return true;
  run.io.iostat = 1;
  return false;
}

// The page and the calculated scan take the place of earlier files only
// after a run that went well, and only when both could be written whole.
void keep_outputs(Run& run, bool completed) {
  Io& io = run.io;
  if (completed && io.iostat <= 0) {
    const auto report = [&](const OutUnit& unit, const char* what) {
      run.list("");
      run.list("");
      run.list(X(5) + pad(unit.path(), 72));
      run.list(std::string(" the ") + what + " cannot be written: " + unit.error());
      io.iostat = 1;
    };
    // Both are written out before either is moved into place.
    if (!io.ps.flush()) report(io.ps, "PostScript file");
    else if (!io.cal.flush()) report(io.cal, "calculated scan");
    else if (!io.ps.commit()) report(io.ps, "PostScript file");
    else if (!io.cal.commit()) report(io.cal, "calculated scan");
  }
}

void run_stages(Io& io, std::string& dname2, std::string& calname, std::string& dname1) {
  Run run(io);  // everything of this run is released when it goes out of scope

  run.extinction = chuk1_();
  run.list(X(30) + "****  KORVA-99  ****");
  run.list(X(22) + "simulation of multiple-diffraction psi-scans");
  run.list("");
  zeit_(run);

  // A run that ends early always reports a failure to the caller, also when
  // the last read itself went well (an unknown symbol, a temperature factor
  // above 1, too many events).
  bool completed = read_input(run, dname2, dname1) && listing_written(run) && list_crystal_data(run) &&
                   listing_written(run) && read_measured_scan(run) && listing_written(run) &&
                   compute_passes(run) && listing_written(run);
  if (completed) {
    finish_run(run, dname2, calname, dname1);
    completed = listing_written(run);
  }
  if (!completed && io.iostat <= 0) io.iostat = 1;
  keep_outputs(run, completed);
}

// Memory ran out somewhere in the run.  The run's arrays are already
// released when this is written, so the listing can still take it.
void report_no_memory(Io& io, const char* what) {
  io.listing.line("");
  io.listing.line("");
  io.listing.line(" Dynamical array allocation failed");
  io.listing.line(std::string(" There is not enough memory for this run (") + what + ")");
  io.iostat = 1;
}

}  // namespace

void korva_(Io& io, std::string& dname2, std::string& calname, std::string& dname1) {
  io.iostat = 0;
  io.listing.set_progressive(true);
  try {
    run_stages(io, dname2, calname, dname1);
  } catch (const std::bad_alloc& e) {
    report_no_memory(io, e.what());
  } catch (const std::length_error& e) {
    report_no_memory(io, e.what());
  }
  // A page or calculated scan not put in place by now goes with its
  // temporary file; the earlier file stays.
  io.ps.close();
  io.cal.close();
}

}  // namespace korva
