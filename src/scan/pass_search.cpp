#include "scan/pass_search.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <thread>

#include "scan/line_shape.hpp"
#include "support/format.hpp"

namespace korva {
namespace {

constexpr float kWidthToInterval = 0.84932f;

// Runs f(i, worker) for i = 0 .. n - 1 on up to `threads` threads, each
// index once; worker (0 .. threads - 1) tells the calling thread.  An
// exception in any thread (memory running out) stops the work and reaches
// the caller once all threads have ended, as it would without threads.
template <class Fn>
void parallel_for(int threads, int n, Fn&& f) {
  const int nt = std::min(threads, n);
  if (nt <= 1) {
    for (int i = 0; i < n; ++i) f(i, 0);
    return;
  }
  std::atomic<int> next{0};
  std::vector<std::exception_ptr> failed(static_cast<std::size_t>(nt));
  auto work = [&](int worker) {
    try {
      for (int i = next.fetch_add(1); i < n; i = next.fetch_add(1)) f(i, worker);
    } catch (...) {
      failed[static_cast<std::size_t>(worker)] = std::current_exception();
      next = n;
    }
  };
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(nt - 1));
  for (int t = 1; t < nt; ++t) pool.emplace_back(work, t);
  work(0);
  for (std::thread& t : pool) t.join();
  for (const std::exception_ptr& e : failed)
    if (e) std::rethrow_exception(e);
}

// A structure factor as a candidate holds it, with its listing records.
struct Factor {
  StructureFactor sf;
  const std::vector<std::string>* notes = nullptr;
};

// A point with at least one solution inside the acceptance window.
struct Candidate {
  EventGeometry ev;
  Factor fg, fc;
  EventIntensity in;
};

// A factor computed while searching a slab.
struct LocalFactor {
  StructureFactor sf;
  std::vector<std::string> notes;
};

// The points of one row (hG, kG) of the enumeration.
struct Row {
  std::vector<Candidate> candidates;
  long long points = 0;
};

// Factors a thread computed during a batch, until they go to the cache.
using LocalFactors = std::unordered_map<std::uint64_t, LocalFactor>;

Factor factor(const FactorCache& cache, LocalFactors& local, const StructureFactorSource& source,
              const std::array<int, 3>& hkl, double norm2) {
  const std::uint64_t key = FactorCache::key(hkl);
  Factor f;
  if (cache.find(key, f.sf, f.notes)) return f;
  auto it = local.find(key);
  if (it == local.end()) {
    LocalFactor lf;
    lf.sf = source(hkl[0], hkl[1], hkl[2], static_cast<float>(std::sqrt(norm2) / 2.0), &lf.notes);
    it = local.emplace(key, std::move(lf)).first;
  }
  f.sf = it->second.sf;
  if (!it->second.notes.empty()) f.notes = &it->second.notes;
  return f;
}

// Reads the run and the cache, writes only its row and its thread's factors.
void search_row(const Run& run, const PassGeometry& geo, const PrimaryReflection& prim,
                const StructureFactorSource& source, const FactorCache& cache, int hg, int kg, LocalFactors& local,
                Row& row) {
  const float psia = run.par.psia, psie = run.par.psie;
  EventGeometry ev;
  for (int lg = -geo.lmax; lg <= geo.lmax; ++lg) {
    if (hg == 0 && kg == 0 && lg == 0) continue;
    if (!locate_event(geo, hg, kg, lg, ev)) continue;
    ++row.points;
    if (!in_window(ev.psi[0], psia, psie) && !in_window(ev.psi[1], psia, psie)) continue;
    Candidate c;
    c.ev = ev;
    c.fg = factor(cache, local, source, ev.g, ev.g2);
    c.fc = factor(cache, local, source, ev.c, ev.c2);
    // With both factors zero neither path carries intensity: at peak 0 the
    // event is neither printed nor simulated (unless drumin < 0 lets every
    // event into the scan).
    const bool dark = c.fg.sf.f <= kFZero && c.fc.sf.f <= kFZero && run.par.drumin >= 0.0f;
    if (!c.fg.sf.failed && !c.fc.sf.failed && !dark) c.in = event_intensity(run, prim, geo, ev, c.fg.sf, c.fc.sf);
    row.candidates.push_back(c);
  }
}

float extinction_class(float fg, float fc) {
  if (fg < kFZero) return 2.0f;
  if (fc < kFZero) return 3.0f;
  return 0.0f;
}

EventRecord make_record(const PassGeometry& geo, const PrimaryReflection& prim, const Candidate& c, int s,
                        bool curve_values) {
  EventRecord r;
  const EventGeometry& ev = c.ev;
  const float y2 = prim.blocks * prim.blocks;
  r.hg = static_cast<float>(ev.g[0]);
  r.kg = static_cast<float>(ev.g[1]);
  r.lg = static_cast<float>(ev.g[2]);
  r.fg = c.fg.sf.f;
  r.theta_g = c.in.theta_g;
  r.hc = static_cast<float>(ev.c[0]);
  r.kc = static_cast<float>(ev.c[1]);
  r.lc = static_cast<float>(ev.c[2]);
  r.fc = c.fc.sf.f;
  r.theta_c = c.in.theta_c;
  r.ikorva = c.in.ikorva * y2;
  r.iaufhe = c.in.iaufhe * y2;
  r.p12 = c.in.p12;
  r.absf = c.in.absf;
  r.solution = static_cast<float>(s + 1);
  r.fwhm = c.in.fwhm;
  r.beta = static_cast<float>(ev.x * kDegPerRad);
  r.psi = ev.psi[s];
  r.phase_g = c.fg.sf.phi;
  r.phase_c = c.fc.sf.phi;
  if (curve_values) {
    // The azimuth is counted from psi = 0 of the diffractometer, so that
    // the psi-lambda curves pass through the events of the scan.
    r.curve = {static_cast<float>(ev.psig + geo.psid / kDegPerRad), static_cast<float>(ev.g2),
               static_cast<float>(geo.hnorm * geo.hnorm),
               static_cast<float>(ev.hg),   static_cast<float>(ev.gperp2),
               extinction_class(r.fg, r.fc)};
  }
  return r;
}

ScanContribution make_contribution(const Run& run, const PrimaryReflection& prim, const Candidate& c, int s) {
  ScanContribution a;
  a.psi = c.ev.psi[s];
  a.shape = make_line_shape(c.in.w_left, c.in.w_right, c.in.eta_l, static_cast<float>(c.ev.x * kDegPerRad));
  a.ikorva = c.in.ikorva;
  a.iaufhe = c.in.iaufhe;
  a.blocks = prim.blocks;
  a.ip_per_block = prim.intensity / prim.blocks;
  a.phase_sum = c.in.phase_sum;
  a.p_int = c.in.p_int;
  a.nnn = run.par.nnn;
  a.wint_right = static_cast<float>(a.nnn) * kWidthToInterval * c.in.w_right;
  a.wint_left = static_cast<float>(a.nnn) * kWidthToInterval * c.in.w_left;
  if (a.wint_left == 0.0f) a.wint_left = a.wint_right;
  return a;
}

// Adds the contributions in their order.  Threads take disjoint parts of
// the grid, so every point receives its additions in the same order
// whatever the number of threads.
void add_to_scan(std::vector<float>& aint, const ScanGrid& grid, const std::vector<ScanContribution>& adds,
                 int threads) {
  if (adds.empty()) return;
  const long long npoints = static_cast<long long>(grid.nstep) + 1;
  const int parts = static_cast<int>(std::min<long long>(threads, npoints));
  parallel_for(parts, parts, [&](int part, int) {
    const int lo = static_cast<int>(npoints * part / parts);
    const int hi = static_cast<int>(npoints * (part + 1) / parts) - 1;
    for (const ScanContribution& c : adds) {
      int first = 0, last = -1;
      contribution_range(grid, c, first, last);
      first = std::max(first, lo);
      last = std::min(last, hi);
      if (first <= last) add_contribution(aint, grid, c, first, last);
    }
  });
}

}  // namespace

StructureFactorSource crystal_structure_factors(const Run& run) {
  const Crystal* cr = &run.cr;
  if (run.par.idesy == kNeutrons)
    return [cr](int h, int k, int l, float, std::vector<std::string>* messages) {
      return structure_factor_neutron(*cr, h, k, l, messages);
    };
  return [cr](int h, int k, int l, float stl, std::vector<std::string>* messages) {
    return structure_factor_xray(*cr, h, k, l, stl, messages);
  };
}

int threads_from_environment() {
  if (const char* v = std::getenv("KORVA_THREADS")) {
    char* end = nullptr;
    const long n = std::strtol(v, &end, 10);
    if (end != v && *end == '\0' && n > 0) return static_cast<int>(std::min(n, 64L));
  }
  const unsigned hw = std::thread::hardware_concurrency();
  return hw == 0 ? 1 : static_cast<int>(std::min(hw, 64u));
}

bool search_pass(Run& run, const PassGeometry& geo, const PrimaryReflection& prim,
                 const SearchOptions& options, FactorCache& cache, bool curve_values, PassResult& out) {
  const Params& p = run.par;
  const StructureFactorSource source =
      options.structure_factor ? options.structure_factor : crystal_structure_factors(run);
  const int threads = std::max(1, options.threads);
  const bool simulate = p.zsw1 > 0.0f && !run.sc.aint.empty();
  ScanGrid grid{p.psia, p.zsw(), static_cast<int>(run.sc.aint.size()) - 1};
  std::vector<float> psi_table;
  if (simulate) {
    psi_table = grid_table(grid);
    grid.table = psi_table.data();
  }
  // Batches of whole rows of about kBatchPoints points: enough work to
  // share out, little memory whatever the size of the cell.
  constexpr long long kBatchPoints = 1 << 17;
  const long long ncol = 2LL * geo.kmax + 1;
  const long long nrows = (2LL * geo.hmax + 1) * ncol;
  const long long row_points = 2LL * geo.lmax + 1;
  const long long per_batch = std::max<long long>(std::max(1, 4 * threads), kBatchPoints / row_points);
  std::vector<LocalFactors> local(static_cast<std::size_t>(threads));

  for (long long first = 0; first < nrows; first += per_batch) {
    const int n = static_cast<int>(std::min(per_batch, nrows - first));
    std::vector<Row> rows(static_cast<std::size_t>(n));
    parallel_for(threads, n, [&](int i, int worker) {
      const long long r = first + i;
      search_row(run, geo, prim, source, cache, static_cast<int>(r / ncol) - geo.hmax,
                 static_cast<int>(r % ncol) - geo.kmax, local[static_cast<std::size_t>(worker)],
                 rows[static_cast<std::size_t>(i)]);
    });

    // Everything the run keeps, in the order of the enumeration.
    std::vector<ScanContribution> adds;
    for (Row& row : rows) {
      out.points += row.points;
      for (const Candidate& c : row.candidates) {
        for (const Factor* f : {&c.fg, &c.fc}) {
          if (f->notes)
            for (const std::string& m : *f->notes) run.list(m);
          if (f->sf.failed) {
            return run.report.stop();
          }
        }
        for (int s = 0; s < 2; ++s) {
          if (!in_window(c.ev.psi[s], p.psia, p.psie)) continue;
          ++out.in_range;
          if (p.drumin > 0.0f && c.in.peak >= p.drumin) {
            if (out.records.size() >= static_cast<std::size_t>(kMaxRecords)) {
              run.list(" the number of output lines is to large");
              run.list(" please increase drumin on the seventh input line");
              run.io.iostat = 1;
              return false;
            }
            out.records.push_back(make_record(geo, prim, c, s, curve_values));
          }
          if (simulate && c.in.peak > 0.01f * p.drumin) {
            adds.push_back(make_contribution(run, prim, c, s));
            ++out.simulated;
          }
        }
      }
    }
    rows.clear();
    add_to_scan(run.sc.aint, grid, adds, threads);

    // Keep the new factors for later events while there is room.
    for (LocalFactors& factors : local) {
      for (auto& [key, lf] : factors) cache.insert(key, lf.sf, std::move(lf.notes));
      factors.clear();
    }
    if (options.progress) options.progress(static_cast<double>(first + n) / static_cast<double>(nrows));
  }
  return true;
}

}  // namespace korva
