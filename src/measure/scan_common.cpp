// What the three scan readers share: the file kind, storing a primary step
// on the psi grid, the ".obs" line, and the notices of the listing.
#include <climits>
#include <cmath>

#include "crystal/absorption.hpp"
#include "measure/readers.hpp"
#include "support/format.hpp"
#include "support/listread.hpp"
#include "support/numeric.hpp"

namespace korva {

bool is_obs_file(const Params& p) { return p.scan_ext == "obs"; }

void reset_measured_results(MeasuredScan& m) {
  m.psi_omax = m.sig_omax = 0.0f;
  m.psi_omin = m.sig_omin = 0.0f;
  m.iprim_obs = m.sig_iprim_obs = 0.0f;
  m.background = 0.0f;
  m.i0_sum = 0.0f;
  m.nref = 0;
  m.usable = true;
}

bool store_primary_step(const Params& p, MeasuredScan& m, StepSums& sums, float psi, float value, float sigma) {
  if (!(psi >= p.psia && psi <= p.psie)) return false;
  const int i = nint((psi - p.psia) * p.zsw());
  if (i < 0 || static_cast<std::size_t>(i) >= m.aintm.size()) return false;
  m.aintm[static_cast<std::size_t>(i)] = value;
  if (value > m.omax) {
    m.omax = value;
    m.psi_omax = psi;
    m.sig_omax = sigma;
  }
  if (value < m.omin) {
    m.omin = value;
    m.psi_omin = psi;
    m.sig_omin = sigma;
  }
  if (psi >= p.psi1 && psi <= p.psi2) {
    sums.iprim_sum += value;
    sums.sigma_sum += sigma;
    ++sums.iprim_count;
  }
  ++sums.steps;
  return true;
}

void list_missing_primary(Report& report, bool blank_after_comma) {
  report.line("");
  report.line("");
  report.line(blank_after_comma ? " The scan file is missing, or" : " The scan file is missing,or");
  report.line(" the indices or the psi-range input by the user");
  report.line(" do not correspond to the measured primary reflection");
  report.line(" of the scan file, please check your input");
}

ObsRead parse_obs_line(std::string_view record, bool with_pol, ObsLine& out) {
  if (trim_right(trim_left(record)).empty()) return ObsRead::blank;
  // Null values and a slash leave items unchanged: start them at values no
  // number can give, so that such a line shows as unreadable.
  constexpr int kUnset = INT_MIN;
  const float unset = std::nanf("");
  ObsLine v;
  v.h = v.k = v.l = kUnset;
  v.theta = v.psi = v.value = v.pol = unset;
  const ReadStatus st = read_list(record, {&v.h, &v.k, &v.l, &v.theta, &v.psi, &v.value});
  if (st != ReadStatus::ok || v.h == kUnset || v.k == kUnset || v.l == kUnset ||
      std::isnan(v.theta) || std::isnan(v.psi) || std::isnan(v.value))
    return ObsRead::unreadable;
  if (with_pol) {
    // The seventh value, read on its own: the first six are known good.
    int skip = 0;
    float t = 0.0f;
    float pol = unset;
    if (read_list(record, {&skip, &skip, &skip, &t, &t, &t, &pol}) == ReadStatus::ok && !std::isnan(pol)) {
      v.pol = pol;
      v.has_pol = true;
    }
  }
  out = v;
  return ObsRead::line;
}

bool read_obs_list(const ScanSource& src, MeasuredScan& m, StepSums& sums, ReadTrouble& trouble, bool with_pol,
                   const std::function<bool(const ObsLine&)>& reference) {
  const Params& p = src.par;
  std::string rec;
  while (src.file.next(rec)) {
    ObsLine o;
    const ObsRead st = parse_obs_line(rec, with_pol, o);
    if (st == ObsRead::blank) continue;
    if (st == ObsRead::unreadable) {
      ++trouble.skipped;
      continue;
    }
    if (o.h == p.h && o.k == p.k && o.l == p.l)
      store_primary_step(p, m, sums, o.psi, o.value, 0.0f);
    else if (!reference(o))
      return false;
  }
  return true;
}

void list_read_trouble(Report& report, const ReadTrouble& trouble) {
  if (trouble.skipped > 0)
    report.line(I(trouble.skipped, 7) + " line(s) of the scan file could not be used and were skipped");
  if (trouble.stopped_at > 0)
    report.line(" The scan file is damaged in line" + I(trouble.stopped_at, 8) +
             " (record cut short or not numeric);");
  if (trouble.stopped_at > 0)
    report.line(" reading stopped there, the measurements before it are used");
}

float reference_absorption(const Params& p, float theta) {
  const float mur = p.mur;
  if (!(mur >= 0.0f && mur < 31.5f) || !usable_theta(theta)) return 1.0f;
  float astar = 1.0f, second = 0.0f;
  absor1_(mur, astar, second, theta, p.rkugel);
  return astar;
}

}  // namespace korva
