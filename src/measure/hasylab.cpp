// Measured scans with synchrotron radiation: ".obs" lists carrying the
// polarization ratio of the beam, and the output of the HUBER four-circle
// diffractometer at HASYLAB.
//
// In the HASYLAB output a reflection record starts with its indices as three
// 4-column integers; the reference reflections to use are named on the last
// lines of the input file, closed by "999 0 0" and optionally followed by
// the filter factors, dead times and beam count multiplier.  A record holds
// three header lines and three blocks of counts (detector, monitor, a third
// counter), ten 8-column values per line.
#include <cmath>
#include <string>
#include <vector>

#include "crystal/xray.hpp"
#include "measure/readers.hpp"
#include "measure/reference.hpp"
#include "support/format.hpp"
#include "support/listread.hpp"

namespace korva {
namespace {

constexpr float kDeg = 0.0174533f;
constexpr std::size_t kMaxReferenceKeys = 100;

// Attenuation, dead times and beam normalisation of the detector counts.
// Every run starts from zero: nothing carries over from an earlier run.
struct Counting {
  float ff1 = 0, ff2 = 0, ff3 = 0;     // filter factors
  float tau1 = 0, tau2 = 0, tau3 = 0;  // dead times of detector, monitor, third counter (s)
  float bcm = 0;                       // beam count multiplier
};

std::string key_of(int h, int k, int l) { return I(h, 4) + I(k, 4) + I(l, 4); }

bool real_field(const std::string& rec, int first, int last, int d, float& v) {
  return read_fixed_real(columns(rec, first, last), d, v);
}
bool int_field(const std::string& rec, int first, int last, int& v) {
  return read_fixed_int(columns(rec, first, last), v);
}

void fail_input_read(Report& report, const char* what) {
  report.line("");
  report.line("");
  report.line(std::string("read-error in the ") + what + " of the input-file");
  report.stop();
}

// Input lines 13a (one reference reflection a line, closed by h = 999) and
// 13b.  False after a reported read error.
bool read_reference_input(InUnit& in, Report& report, std::vector<std::string>& keys, Counting& cnt) {
  std::string rec;
  bool dropped = false;
  for (;;) {
    if (!in.next(rec)) return true;  // the input ends: no line 13b
    if (trim_right(trim_left(rec)).empty()) continue;
    int h = 0, k = 0, l = 0;
    const ReadStatus st = read_list(rec, {&h, &k, &l});
    if (st == ReadStatus::bad_value || (st == ReadStatus::end_of_file && h != 999)) {
      fail_input_read(report, "reference reflection lines");
      return false;
    }
    if (h == 999) break;
    // Lines beyond the hundredth are passed over up to the closing line, so
    // that none of them is taken for line 13b.
    if (keys.size() < kMaxReferenceKeys) keys.push_back(key_of(h, k, l));
    else dropped = true;
  }
  if (dropped) report.line(" Only the first 100 reference reflections of the input file are used");
  // Line 13b: values not given keep their start values.
  if (read_list(in, {&cnt.ff1, &cnt.ff2, &cnt.ff3, &cnt.tau1, &cnt.tau2, &cnt.tau3, &cnt.bcm}) ==
      ReadStatus::bad_value) {
    fail_input_read(report, "filter and dead-time line");
    return false;
  }
  return true;
}

struct Record {
  float value = 0, sigma = 0;
  int code = 0;
  float pol = 0, two_theta = 0;
  int npts = 0;
  float tc = 0, psi = 0, mb = 0;
  float c1_first = 0, c1_last = 0, c2_first = 0, c2_last = 0;
};

// Reads the rest of a record whose first line is line1; false when it is cut
// short or holds text where a used number belongs.
bool read_record(InUnit& in, const std::string& line1, bool primary, Record& r) {
  if (!real_field(line1, 13, 21, 2, r.value)) return false;
  if (primary) {
    if (!real_field(line1, 22, 30, 2, r.sigma) || !int_field(line1, 31, 33, r.code)) return false;
  } else if (!real_field(line1, 34, 41, 3, r.pol) || !real_field(line1, 42, 49, 3, r.two_theta)) {
    return false;
  }
  std::string line2, line3, rec;
  if (!in.next(line2) || !in.next(line3)) return false;
  if (!int_field(line2, 21, 23, r.npts) || r.npts < 1) return false;
  if (primary && (!real_field(line2, 29, 34, 2, r.tc) || !real_field(line2, 35, 41, 3, r.psi) ||
                  !real_field(line2, 50, 57, 3, r.mb)))
    return false;
  const int per_block = (r.npts + 9) / 10;
  for (int block = 0; block < 3; ++block) {
    int left = r.npts;
    for (int line = 0; line < per_block; ++line, left -= 10) {
      if (!in.next(rec)) return false;
      if (!primary || block == 2) continue;  // counts not needed
      const int n = left < 10 ? left : 10;
      for (int j = 0; j < n; ++j) {
        float v = 0.0f;
        if (!real_field(rec, 1 + 8 * j, 8 + 8 * j, 0, v)) return false;
        const int index = line * 10 + j;
        float& first = block == 0 ? r.c1_first : r.c2_first;
        float& last = block == 0 ? r.c1_last : r.c2_last;
        if (index == 0) first = v;
        if (index == r.npts - 1) last = v;
      }
    }
  }
  return true;
}

struct Reader {
  Reader(const ScanSource& s, MeasuredScan& ms, Report& rep) : src(s), m(ms), report(rep) {}
  const ScanSource& src;
  MeasuredScan& m;
  Report& report;
  StepSums sums;
  ReadTrouble trouble;
  Counting cnt;
  float att = 1.0f;  // attenuation of the last primary record
  float bg_left = 0.0f, bg_right = 0.0f;
  int last_npts = 0;
  float last_mb = 0.0f;

  float extinction(float x, float theta) const {
    float y = 0.0f;
    chuk_(src.extinction, x, theta, y);
    return y;
  }

  bool reference(int h, int k, int l, float theta, float value, float pol, bool file_record) {
    if (!usable_theta(theta)) {
      ++trouble.skipped;
      return true;
    }
    const Params& p = src.par;
    float f = 0.0f, phase = 0.0f;
    fcalc1_(src.cr, h, k, l, std::sin(theta * kDeg) / p.alam1, f, phase, report);
    if (report.stopped()) return false;
    const float astar = reference_absorption(src.par, theta);
    const ReferenceTerms r = synchrotron_reference(p, value, theta, pol, f, astar,
                                                   [this](float x, float th) { return extinction(x, th); });
    if (r.counted) {
      m.i0_sum += r.i0;
      ++m.nref;
    }
    report.line(synchrotron_reference_line(h, k, l, r, file_record));
    return true;
  }

  bool read_obs() {
    return read_obs_list(src, m, sums, trouble, true, [this](const ObsLine& o) {
      if (!o.has_pol) {
        ++trouble.skipped;  // a reference needs the polarization of the beam
        return true;
      }
      return reference(o.h, o.k, o.l, o.theta, o.value, o.pol, false);
    });
  }

  // Detector counts per monitor count, corrected for attenuation and dead
  // time.
  float normalised(float c1, float c2, float r) const {
    const float d = r * cnt.bcm * att * c1 / (1.0f - cnt.tau1 * r * c1);
    const float m = r * c2 / (1.0f - cnt.tau2 * r * c2);
    return d / m;
  }

  void primary(const Record& rec) {
    const Params& p = src.par;
    if (!(rec.psi >= p.psia && rec.psi <= p.psie)) return;
    switch (rec.code) {
      case 0: att = 1.0f; break;
      case 1: att = cnt.ff1; break;
      case 2: att = cnt.ff2; break;
      case 3: att = cnt.ff1 * cnt.ff2; break;
      case 4: att = cnt.ff3; break;
      case 5: att = cnt.ff1 * cnt.ff3; break;
      case 6: att = cnt.ff2 * cnt.ff3; break;
      case 7: att = cnt.ff1 * cnt.ff2 * cnt.ff3; break;
      default: break;  // unknown code: the previous attenuation stays
    }
    if (!store_primary_step(src.par, m, sums, rec.psi, rec.value, rec.sigma)) return;
    const float r = 1.0f / rec.tc;
    // A zero monitor count or a saturated counter gives no usable level.
    const float left = normalised(rec.c1_first, rec.c2_first, r);
    const float right = normalised(rec.c1_last, rec.c2_last, r);
    if (std::isfinite(left)) bg_left += left;
    if (std::isfinite(right)) bg_right += right;
    last_npts = rec.npts;
    last_mb = rec.mb;
  }

  // False when the run must end.
  bool read_file(const std::vector<std::string>& keys) {
    const Params& p = src.par;
    InUnit& in = src.file;
    const std::string primary_key = key_of(p.h, p.k, p.l);
    std::string rec, line2, line3, line4;
    while (in.next(rec)) {
      const int line_no = static_cast<int>(in.position());
      if (cnt.bcm == 0.0f && columns(rec, 9, 22) == "Filter factors") {
        Counting c = cnt;
        if (!in.next(line2) || !in.next(line3) || !in.next(line4) || !real_field(rec, 25, 32, 3, c.ff1) ||
            !real_field(rec, 33, 40, 3, c.ff2) || !real_field(rec, 41, 48, 3, c.ff3) ||
            !real_field(line2, 25, 32, 3, c.tau1) || !real_field(line2, 33, 40, 3, c.tau2) ||
            !real_field(line2, 41, 48, 3, c.tau3) || !real_field(line4, 25, 32, 0, c.bcm)) {
          trouble.stopped_at = line_no;
          return true;
        }
        c.tau1 *= 1.0e-6f;
        c.tau2 *= 1.0e-6f;
        c.tau3 *= 1.0e-6f;
        cnt = c;
        continue;
      }
      const std::string key = columns(rec, 1, 12);
      const bool is_primary = key == primary_key;
      bool is_reference = false;
      // A key given twice, or equal to the primary's, selects the record once.
      for (const std::string& k : keys) is_reference = is_reference || k == key;
      if (!is_primary && !is_reference) continue;
      int h = 0, k = 0, l = 0;
      Record r;
      if (!int_field(rec, 1, 4, h) || !int_field(rec, 5, 8, k) || !int_field(rec, 9, 12, l) ||
          !read_record(in, rec, is_primary, r)) {
        trouble.stopped_at = line_no;
        return true;
      }
      if (is_primary) primary(r);
      else if (!reference(h, k, l, std::fabs(r.two_theta) / 2.0f, r.value, r.pol, true))
        return false;
    }
    return true;
  }
};

}  // namespace

void hasyl4_(const ScanSource& src, MeasuredScan& m, Report& report) {
  const Params& p = src.par;
  reset_measured_results(m);
  Reader reader(src, m, report);
  const bool obs = is_obs_file(p);
  report.line("");
  report.line(obs ? synchrotron_obs_header() : synchrotron_file_header());
  report.line("");
  if (obs) {
    if (!reader.read_obs()) return;
  } else {
    std::vector<std::string> keys;
    if (!read_reference_input(src.input, report, keys, reader.cnt)) return;
    if (!reader.read_file(keys)) return;
  }
  list_read_trouble(report, reader.trouble);

  const StepSums& sums = reader.sums;
  if (!obs && sums.steps > 0) {
    // Reported only: the measured values keep their background.
    float bg = std::fmin(reader.bg_left, reader.bg_right) * static_cast<float>(reader.last_npts) /
               static_cast<float>(sums.steps) * reader.last_mb;
    if (!(bg >= 0.0f)) bg = 0.0f;
    m.background = bg;
  }
  if (sums.steps == 0) {
    list_missing_primary(report, false);
    m.usable = false;
  }
  if (sums.iprim_count > 0) {
    const float n = static_cast<float>(sums.iprim_count);
    m.iprim_obs = sums.iprim_sum / n;
    m.sig_iprim_obs = sums.sigma_sum / n;
  }
}

}  // namespace korva
