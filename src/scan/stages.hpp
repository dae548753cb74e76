// The stages of one run, in the order korva_ calls them.  Each stage that
// can fail returns false after it has reported the failure in the listing;
// the run then ends.
#pragma once

#include <string>

#include "scan/run.hpp"

namespace korva {

// Input lines 1 to 12, their checks and echo, and the run parameters derived
// from them; the cell block of the listing.  Fills dname2 and dname1.
bool read_input(Run& run, std::string& dname2, std::string& dname1);

// Scattering-factor tables, F(000), atoms, density and absorption
// coefficient (listing), mu and mu R of the run.
bool list_crystal_data(Run& run);

// The measured scan (when the input names one) and the incident-intensity
// estimate.
bool read_measured_scan(Run& run);

// The event search and the simulated scan, for each wavelength line.
bool compute_passes(Run& run);

// Comparison, summary, calculated-scan file and plot.  Fills calname.
void finish_run(Run& run, const std::string& dname2, std::string& calname, const std::string& dname1);

// Name of the calculated-scan file: the measured-scan name without its last
// four characters, or without a scan file the PostScript name without its
// last three, followed by ".cal"; 72 characters.
std::string cal_file_name(const std::string& dname1, const std::string& dname2);

}  // namespace korva
