// Readers of a measured psi-scan and the pieces they share.
//
// Each reader reads the scan file of its source to its end, fills the
// measured scan on the psi grid, the measured extrema, I-prim, the background
// and the sum and count of the incident-intensity estimates of the reference
// reflections, and reports one line per reference reflection.  The caller
// starts the measured scan with aintm on the grid, omax 0 and omin 1.0e6.  A
// failed structure factor, or input lines 13a/13b that cannot be read, stop
// the run and end a reader at once.  A file without a usable primary step
// leaves the scan marked unusable.
//
// Damaged files end soundly: a record cut short by the end of the file, or
// text where a used number belongs, stops the reading and keeps what was
// read before; a list line that cannot be read as numbers is skipped.  Both
// are reported in the listing.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "crystal/crystal.hpp"
#include "crystal/extinction.hpp"
#include "measure/measurement.hpp"
#include "model/params.hpp"
#include "support/report.hpp"
#include "support/units.hpp"

namespace korva {

// What a reader reads: the run parameters and the crystal (for the structure
// factors of the reference reflections), the extinction table, the scan
// file, and the input file after line 12.
struct ScanSource {
  const Params& par;
  const Crystal& cr;
  const ExtinctionTable& extinction;
  InUnit& file;
  InUnit& input;
};

// X-ray tube (idesy 0): ".obs" lists and CAD-4 profile output.
void cad4_(const ScanSource& src, MeasuredScan& m, Report& report);
// Synchrotron radiation: ".obs" lists with the polarization ratio, and the
// HUBER/HASYLAB output with input lines 13a/13b read from src.input.
void hasyl4_(const ScanSource& src, MeasuredScan& m, Report& report);
// Neutrons: ".obs" lists whatever the file name.
void neutron_(const ScanSource& src, MeasuredScan& m, Report& report);

// True when the trimmed scan-file name ends in exactly "obs".
bool is_obs_file(const Params& p);

// Sums over the primary steps of one reader call.
struct StepSums {
  float iprim_sum = 0.0f;  // intensities with psi1 <= psi <= psi2
  float sigma_sum = 0.0f;
  int iprim_count = 0;
  int steps = 0;           // primary steps stored
  float bg_left = 0.0f, bg_right = 0.0f;
};

// Resets what every reader starts from: extrema positions and sigmas, I-prim,
// background, the I0 sum and the reference count (not omax / omin, which the
// caller sets).
void reset_measured_results(MeasuredScan& m);

// Stores one primary step of intensity value and uncertainty sigma at psi
// (degrees) when it lies in psia..psie: the grid point nearest to psi takes
// the value (a later step on the same point overwrites it), and the step
// enters the extrema, the I-prim sums and the step count.  False (nothing
// changed) for a step outside the range.
bool store_primary_step(const Params& p, MeasuredScan& m, StepSums& sums, float psi, float value, float sigma);

// The four-line notice of a scan without a usable primary step.  The CAD-4
// reader writes "missing, or", the others "missing,or".
void list_missing_primary(Report& report, bool blank_after_comma);

// One line of a ".obs" list: h k l theta psi I [P].
struct ObsLine {
  int h = 0, k = 0, l = 0;
  float theta = 0.0f, psi = 0.0f, value = 0.0f, pol = 0.0f;
  bool has_pol = false;
};

enum class ObsRead { line, blank, unreadable };

// Reads one record of a ".obs" list: six numbers, and a seventh (the
// polarization ratio) when with_pol.  Values after those are ignored.  A
// line with fewer values, null values or text where a number belongs is
// unreadable.  A line missing only the seventh value is read with has_pol
// false.
ObsRead parse_obs_line(std::string_view record, bool with_pol, ObsLine& out);

// What went wrong while reading a scan file, for the listing.
struct ReadTrouble {
  int skipped = 0;       // lines that could not be read as numbers, or unusable records
  int stopped_at = 0;    // line (1-based) of a damaged record that ended the reading; 0: none
};

// Reads a ".obs" list (the scan file) to its end.  Lines with the primary indices
// are scan steps (uncertainty 0); every other readable line goes to
// reference, which returns false when the run must end (then so does this).
// Unreadable lines are counted in trouble, blank lines skipped.
bool read_obs_list(const ScanSource& src, MeasuredScan& m, StepSums& sums, ReadTrouble& trouble, bool with_pol,
                   const std::function<bool(const ObsLine&)>& reference);

// Writes the notes of a damaged file (nothing when all went well).
void list_read_trouble(Report& report, const ReadTrouble& trouble);

// The Bragg angle of a reference reflection can be used (0 < theta < 90
// degrees).
inline bool usable_theta(float theta) { return theta > 0.0f && theta < 90.0f; }

// Absorption factor A* of a reference reflection at theta (degrees): from
// absor1_ for mu R below 31.5, otherwise 1.
float reference_absorption(const Params& p, float theta);

}  // namespace korva
