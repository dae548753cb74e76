// Measured scans of an X-ray tube diffractometer: ".obs" lists and the
// profile output of the CAD-4.
//
// A CAD-4 record is marked by "**" in columns 31-32 of its first line and has
// ten lines: the header (indices, psi, count-rate divisor NS, background and
// peak counts), the Bragg angle, and 96 profile counts, twelve per line.  A
// divisor NS <= 0 means the attenuator was in the beam.
#include <array>
#include <cmath>
#include <cstdlib>

#include "crystal/xray.hpp"
#include "measure/readers.hpp"
#include "measure/reference.hpp"
#include "support/format.hpp"
#include "support/listread.hpp"
#include "support/numeric.hpp"

namespace korva {
namespace {

constexpr float kDeg = 0.0174533f;
// Counts per profile point to counts per second at unit divisor.
constexpr float kCountRate = 16.48f;
constexpr int kProfilePoints = 96;
constexpr int kRecordLines = 10;

bool real_field(const std::string& rec, int first, int last, int d, float& v) {
  return read_fixed_real(columns(rec, first, last), d, v);
}
bool int_field(const std::string& rec, int first, int last, int& v) {
  return read_fixed_int(columns(rec, first, last), v);
}

// The 96 profile counts of lines 3-10: after 11 columns, four groups of
// three 4-column counts with one blank between the groups.
bool read_profile(const std::array<std::string, kRecordLines>& lines, std::array<int, kProfilePoints>& p) {
  int n = 0;
  for (int line = 2; line < kRecordLines; ++line) {
    for (int group = 0; group < 4; ++group) {
      for (int j = 0; j < 3; ++j) {
        const int first = 12 + 13 * group + 4 * j;
        int v = 0;
        if (!int_field(lines[static_cast<std::size_t>(line)], first, first + 3, v) || v < 0) return false;
        p[static_cast<std::size_t>(n++)] = v;
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
  float bg_left = 0.0f, bg_right = 0.0f;

  float extinction(float x, float theta) const {
    float y = 0.0f;
    chuk_(src.extinction, x, theta, y);
    return y;
  }

  // Evaluates and lists one reference reflection; false when the structure
  // factor failed (the run ends).
  bool reference(int h, int k, int l, float theta, float value) {
    if (!usable_theta(theta)) {
      ++trouble.skipped;
      return true;
    }
    const Params& p = src.par;
    float f = 0.0f, phase = 0.0f;
    fcalc1_(src.cr, h, k, l, std::sin(theta * kDeg) / p.alam1, f, phase, report);
    if (report.stopped()) return false;
    const float astar = reference_absorption(src.par, theta);
    const ReferenceTerms r = tube_reference(p, value, theta, f, astar,
                                            [this](float x, float th) { return extinction(x, th); });
    if (r.counted) {
      m.i0_sum += r.i0;
      ++m.nref;
    }
    report.line(tube_reference_line(h, k, l, r));
    return true;
  }

  // False when the run must end.
  bool read_obs() {
    return read_obs_list(src, m, sums, trouble, false,
                         [this](const ObsLine& o) { return reference(o.h, o.k, o.l, o.theta, o.value); });
  }

  bool read_profiles() {
    const Params& p = src.par;
    InUnit& in = src.file;
    std::array<std::string, kRecordLines> lines;
    while (in.next(lines[0])) {
      if (columns(lines[0], 31, 32) != "**") continue;
      int h = 0, k = 0, l = 0;
      if (!int_field(lines[0], 11, 15, h) || !int_field(lines[0], 16, 20, k) || !int_field(lines[0], 21, 25, l)) {
        ++trouble.skipped;
        continue;
      }
      const int first_line = static_cast<int>(in.position());
      bool complete = true;
      for (std::size_t j = 1; j < lines.size() && complete; ++j) complete = in.next(lines[j]);
      if (!complete) {
        trouble.stopped_at = first_line;
        return true;
      }
      const bool primary = h == p.h && k == p.k && l == p.l;
      if (primary) {
        float psi = 0.0f;
        int ns = 0;
        std::array<int, kProfilePoints> prof{};
        if (!real_field(lines[0], 33, 39, 2, psi) || !int_field(lines[0], 40, 43, ns) || !read_profile(lines, prof)) {
          trouble.stopped_at = first_line;
          return true;
        }
        if (ns == 0) {  // no count-rate divisor: the step cannot be scaled
          ++trouble.skipped;
          continue;
        }
        const float att = ns > 0 ? 1.0f : p.cad_att;
        const float div = static_cast<float>(std::abs(ns));
        float sum = 0.0f;
        for (int c : prof) sum += static_cast<float>(c);
        const float first = static_cast<float>(prof.front()), last = static_cast<float>(prof.back());
        const float value = att * kCountRate * sum / (60.0f * div);
        const float sigma = att * kCountRate * std::sqrt(sum + 48.0f * (first + last)) / (60.0f * div);
        if (store_primary_step(src.par, m, sums, psi, value, sigma)) {
          bg_left += att * kCountRate * first / div;
          bg_right += att * kCountRate * last / div;
        }
      } else {
        if (columns(lines[0], 27, 27) != "I") continue;  // not an intensity measurement
        int ns = 0;
        float bl = 0.0f, peak = 0.0f, br = 0.0f, theta = 0.0f;
        if (!int_field(lines[0], 41, 43, ns) || !real_field(lines[0], 44, 49, 0, bl) ||
            !real_field(lines[0], 50, 56, 0, peak) || !real_field(lines[0], 57, 62, 0, br) ||
            !real_field(lines[1], 11, 18, 3, theta)) {
          trouble.stopped_at = first_line;
          return true;
        }
        if (ns == 0) {
          ++trouble.skipped;
          continue;
        }
        bl /= 60.0f;
        peak /= 60.0f;
        br /= 60.0f;
        const float att = ns > 0 ? 1.0f : p.cad_att;
        const float value = att * kCountRate * (peak - 2.0f * (bl + br)) / static_cast<float>(std::abs(ns));
        if (!reference(h, k, l, theta, value)) return false;
      }
    }
    return true;
  }
};

}  // namespace

void cad4_(const ScanSource& src, MeasuredScan& m, Report& report) {
  const Params& p = src.par;
  reset_measured_results(m);
  report.line("");
  report.line(tube_reference_header());
  report.line("");

  Reader reader(src, m, report);
  const bool obs = is_obs_file(p);
  if (!(obs ? reader.read_obs() : reader.read_profiles())) return;
  list_read_trouble(report, reader.trouble);

  const StepSums& sums = reader.sums;
  float background = 0.0f;
  if (!obs && sums.steps > 0) {
    const float steps = static_cast<float>(sums.steps);
    background = std::fmin(96.0f * reader.bg_left / (60.0f * steps), 96.0f * reader.bg_right / (60.0f * steps));
    for (float& v : m.aintm)
      if (v < kNoMeasurement) v -= background;
  }
  m.background = background;
  if (sums.steps == 0) {
    list_missing_primary(report, true);
    m.usable = false;
  }
  if (sums.iprim_count > 0) {
    const float n = static_cast<float>(sums.iprim_count);
    m.iprim_obs = (sums.iprim_sum - n * background) / n;
    m.sig_iprim_obs = sums.sigma_sum / n;
  }
  m.omax -= background;
  m.omin -= background;
}

}  // namespace korva
