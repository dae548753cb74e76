#include <string>

#include "scan/helpers.hpp"
#include "scan/run.hpp"
#include "scan/stages.hpp"
#include "support/format.hpp"

namespace korva {

void korva_(Io& io, std::string& dname2, std::string& calname, std::string& dname1) {
  io.iostat = 0;
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

}  // namespace korva
