// The event search of one wavelength pass: enumeration of the reciprocal
// lattice, structure factors and intensities of the events that can reach
// the scan, the event records and the simulated scan.
//
// The work is spread over threads, but everything the run writes (listing
// messages, counters, records, the additions to the scan) happens in the
// order of the enumeration, so the results do not depend on the number of
// threads.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "crystal/structure_factor.hpp"
#include "scan/event_search.hpp"
#include "scan/factor_cache.hpp"
#include "scan/intensity.hpp"
#include "scan/run.hpp"

namespace korva {

// A structure factor as the search obtains it: indices and sin(theta)/lambda
// in, the factor and the listing records of its computation out.  Must be
// safe to call from several threads at once.
using StructureFactorSource =
    std::function<StructureFactor(int h, int k, int l, float stl, std::vector<std::string>* messages)>;

// The kernel that fits the radiation of the run.
StructureFactorSource crystal_structure_factors(const Run& run);

struct SearchOptions {
  int threads = 1;
  StructureFactorSource structure_factor;  // empty: crystal_structure_factors(run)
  std::function<void(double)> progress;    // fraction of the pass searched, after each batch
};

// Threads for the search: KORVA_THREADS when set to a positive number, else
// the number of processors.
int threads_from_environment();

// The outcome of one pass.
struct PassResult {
  std::vector<EventRecord> records;  // in the order found; at most kMaxRecords
  long long points = 0;     // points crossing the sphere in a full turn, each once
  long long in_range = 0;   // solutions inside the acceptance window
  long long simulated = 0;  // solutions added to the simulated scan
};

constexpr int kMaxRecords = 600;

// Searches one pass.  Accepted events are added to run.sc.aint.  Returns
// false when the run must end (the reason is in the listing: a structure
// factor failed, or more than kMaxRecords printable events).  curve_values
// selects whether the records get the values of the psi-lambda diagram.
bool search_pass(Run& run, const PassGeometry& geo, const PrimaryReflection& prim,
                 const SearchOptions& options, FactorCache& cache, bool curve_values, PassResult& out);

// All wavelength passes of the run (the work of compute_passes) with the
// given options.
bool compute_passes_with(Run& run, const SearchOptions& options);

}  // namespace korva
