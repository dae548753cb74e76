// The wavelength passes of a run: for each line of the radiation the
// primary reflection, the event search and the listing of its events.
#include <algorithm>
#include <array>

#include "scan/event_listing.hpp"
#include "scan/helpers.hpp"
#include "scan/pass_search.hpp"
#include "scan/stages.hpp"

namespace korva {

bool compute_passes_with(Run& run, const SearchOptions& given) {
  SearchOptions options = given;
  if (!options.structure_factor) {
    options.structure_factor = crystal_structure_factors(run);
    options.orbits = crystal_orbits(run);
  }
  const Params& p = run.par;
  ScanState& sc = run.sc;
  const bool tube = p.idesy == kTube;
  const int npass = tube ? 2 : 1;
  FactorCache cache;
  {
    // Every G and H - G of the run lies within 2 / lambda of the origin.
    const float shortest = tube ? std::min(p.alam1, p.alam2) : p.alam1;
    const PassGeometry g = make_pass_geometry(p, shortest, 0.0f);
    cache.keep_sphere(g.metric, 2.0 * g.inv_lambda, g.hmax, g.kmax, g.lmax);
  }
  float theta_sum = 0.0f;
  sc.iprim_calc = 0.0f;
  sc.nsim = 0;

  run.list("");
  run.list("");
  for (int pass = 0; pass < npass; ++pass) {
    const float lambda = pass == 0 ? p.alam1 : p.alam2;
    const float dlam = pass == 0 ? p.dlam1 : p.dlam2;
    const float weight = pass == 0 ? p.flam1 : p.flam2;

    PassGeometry geo = make_pass_geometry(p, lambda, 0.0f);
    if (p.has_ub)
      geo.psid = upsi_(p.h, p.k, p.l, static_cast<float>(geo.u[0]), static_cast<float>(geo.u[1]),
                       static_cast<float>(geo.u[2]), p.ub);
    const PrimaryReflection prim = primary_reflection(run, geo, dlam, weight);

    list_pass_header(run, geo, prim);
    // A tube's measured primary intensity belongs 2:1 to K-alpha1 and K-alpha2.
    const float share = tube ? (pass == 0 ? 2.0f / 3.0f : 1.0f / 3.0f) : 1.0f;
    list_primary(run, prim, share);

    SearchOptions pass_options = options;
    if (run.io.progress)
      pass_options.progress = [&run, pass, npass](double done) { run.io.progress((pass + done) / npass); };
    PassResult result;
    if (!search_pass(run, geo, prim, pass_options, cache, pass == 0, result)) return false;
    std::stable_sort(result.records.begin(), result.records.end(),
                     [](const EventRecord& a, const EventRecord& b) { return a.psi < b.psi; });
    list_events(run, result.records);
    list_pass_counts(run, 2 * result.points, prager_count(p.vol, prim.theta, lambda));
    zeit_(run);

    if (pass == 0) {
      sc.plot_events.clear();
      for (const EventRecord& r : result.records) sc.plot_events.push_back(r.curve);
      sc.nplot = static_cast<int>(result.records.size());
      sc.ntot = result.in_range;
    }
    sc.nsim += result.simulated;
    sc.iprim_calc += prim.intensity;
    theta_sum += prim.theta_deg;
  }
  sc.theta_mean = tube ? theta_sum / 2.0f : theta_sum;
  return true;
}

bool compute_passes(Run& run) {
  SearchOptions options;
  options.threads = threads_from_environment();
  return compute_passes_with(run, options);
}

}  // namespace korva
