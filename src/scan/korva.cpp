#include <new>
#include <stdexcept>
#include <string>

#include "scan/helpers.hpp"
#include "scan/run.hpp"
#include "scan/stages.hpp"
#include "support/format.hpp"

namespace korva {
namespace {

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
  const bool completed = read_input(run, dname2, dname1) && list_crystal_data(run) &&
                         read_measured_scan(run) && compute_passes(run);
  if (!completed) {
    if (io.iostat <= 0) io.iostat = 1;
    return;
  }
  finish_run(run, dname2, calname, dname1);
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
  try {
    run_stages(io, dname2, calname, dname1);
  } catch (const std::bad_alloc& e) {
    report_no_memory(io, e.what());
  } catch (const std::length_error& e) {
    report_no_memory(io, e.what());
  }
}

}  // namespace korva
