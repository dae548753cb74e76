// A run set up by hand for the scan readers, and writers of constructed
// scan files laid out column by column as the instruments write them.  The
// files are constructed fixtures: no measured file from the instruments is
// used.
#pragma once

#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "crystal/xray.hpp"
#include "crystal/neutron.hpp"
#include "measure/readers.hpp"
#include "scan/run.hpp"
#include "testing/run_text.hpp"

namespace korva::test {

inline std::string fmt(const char* f, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, f, v);
  return buf;
}
inline std::string fmti(const char* f, long v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, f, v);
  return buf;
}

struct TestRun {
  Io io;
  Run run{io};
  TestRun(const TestRun&) = delete;
  TestRun& operator=(const TestRun&) = delete;

  // Runs a scan reader on the run's scan, input and crystal, into the run's
  // measured scan and listing.
  using Reader = void (*)(const ScanSource&, MeasuredScan&, Report&);
  void read(Reader reader) {
    const ScanSource src{run.par, run.cr, run.extinction, io.scan, io.input};
    reader(src, run.sc.measured, run.report);
  }

  // A silicon-like cubic crystal (a = 5.4309) with the primary reflection
  // h k l, psi grid psia..psie with zsw steps per degree.
  TestRun(int idesy, int h, int k, int l, float psia, float psie, float zsw, std::string ext = "obs") {
    io.in_memory = true;
    io.listing.open_memory();
    Params& p = run.par;
    p.idesy = idesy;
    p.h = h;
    p.k = k;
    p.l = l;
    p.psia = psia;
    p.psie = psie;
    p.zsw1 = zsw;
    p.psi1 = psia;
    p.psi2 = psie;
    p.a = p.b = p.c = 5.4309f;
    p.alpha = p.beta = p.gamma = 90.0f;
    p.vol = p.a * p.b * p.c;
    p.radius = 2.0f;           // micrometres
    p.rkugel = 150.0f * 1e-4f;  // cm
    p.eta = 0.01f;
    p.cross_section = 3.14159265f * p.rkugel * p.rkugel;
    p.alam1 = idesy == kNeutrons ? 1.2f : idesy == kTube ? 1.540598f : 0.5612f;
    p.scale_k = idesy == kNeutrons ? p.alam1 * 1000.0f / p.vol : p.alam1 * 2.817938f * 1000.0f / p.vol;
    if (idesy == kTube) {
      p.cad_att = 12.179f;
      p.cad_pm = 0.89423f;
      p.i0 = 2.0e9f;
    } else {
      p.i0 = idesy == kNeutrons ? 1.0e12f : 1.0e10f;
    }
    p.scan_flag = 1;
    p.scan_ext = ext;
    p.dname2 = std::string("scan.") + ext;
    p.dname2.resize(72, ' ');
    p.nstep = static_cast<int>(std::lround((psie - psia) * zsw));
    run.sc.aint.assign(static_cast<std::size_t>(p.nstep) + 1, 0.0f);
    run.sc.measured.aintm.assign(static_cast<std::size_t>(p.nstep) + 1, kNoMeasurement);
    run.sc.measured.omax = 0.0f;
    run.sc.measured.omin = 1.0e6f;
  }

  void scan(const std::string& text) {
    io.memory_scan = text;
    io.scan.open_text(text);
  }
  void input_tail(const std::string& text) { io.input.open_text(text); }

  // Fills the crystal when the scattering tables are available: silicon in
  // the diamond structure, or with zinc = true hexagonal close-packed zinc
  // (a 2.6649, c 4.9468); space group 1 with every atom of the cell written
  // out.  False while the tables or structure factors are missing.
  bool crystal(bool zinc = false) {
    Params& p = run.par;
    Crystal& cr = run.cr;
    cr.sym.ns = 1;
    cr.sym.ic = 2;
    cr.sym.s[0] = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    cr.sym.sgsymbol = "P 1                           ";
    cr.types.assign(1, ScatteringType{});
    cr.types[0].atn = zinc ? "Zn  " : "Siv ";
    std::vector<std::array<float, 3>> pos;
    if (zinc) {
      pos = {{1 / 3.0f, 2 / 3.0f, 0.25f}, {2 / 3.0f, 1 / 3.0f, 0.75f}};
      p.a = p.b = 2.6649f;
      p.c = 4.9468f;
      p.gamma = 120.0f;
      p.vol = p.a * p.a * p.c * std::sin(120.0f * 0.0174533f);
      p.scale_k = p.alam1 * 2.817938f * 1000.0f / p.vol;
    } else {
      pos = {{0, 0, 0},         {0, .5f, .5f},     {.5f, 0, .5f},     {.5f, .5f, 0},
             {.25f, .25f, .25f}, {.25f, .75f, .75f}, {.75f, .25f, .75f}, {.75f, .75f, .25f}};
    }
    cr.atoms.clear();
    for (const auto& x : pos) {
      Atom a;
      a.fnr = 1;
      a.afact = 1;
      a.x = x;
      a.bt = {0.004f, 0.004f, 0.004f, 0, 0, 0};
      cr.atoms.push_back(a);
    }
    Report lookups;  // what the lookups say is not the reader's
    if (p.idesy == kNeutrons) upform_n_(cr.types[0], lookups);
    else upform_(cr.types[0], p.indicator, lookups);
    if (lookups.stopped()) return false;
    float f = 0, phi = 0;
    const int k = zinc ? 0 : 1;  // 1 0 1 of zinc, 1 1 1 of silicon: both strong
    if (p.idesy == kNeutrons) fcalc1_n_(cr, 1, k, 1, f, phi, lookups);
    else fcalc1_(cr, 1, k, 1, 0.2f, f, phi, lookups);
    return !lookups.stopped() && f > 2.0f;
  }

  // The listing lines, without the date and time stamps.
  std::vector<std::string> lines() const {
    std::vector<std::string> out;
    std::istringstream in(testing::without_clock(io.listing.text()));
    for (std::string s; std::getline(in, s);) out.push_back(s);
    return out;
  }
  bool listed(const std::string& line) const {
    for (const auto& s : lines())
      if (s == line) return true;
    return false;
  }
  bool listing_contains(const std::string& part) const {
    return io.listing.text().find(part) != std::string::npos;
  }
};

// One CAD-4 record (ten lines).  Line 1: columns 11-25 h k l (I5), 27 the
// flag, 31-32 "**", 33-39 psi (F7.2), NS in 40-43 (I4) for a primary step
// or 41-43 (I3) for a reference, 44-49 BL, 50-56 P, 57-62 BR; line 2:
// columns 11-18 theta (F8.3); lines 3-10: after 11 columns four groups of
// three I4 counts, one blank between groups.
inline std::string cad4_record(int h, int k, int l, char flag, float psi, int ns, bool primary, int bl,
                               int peak, int br, float theta, const std::array<int, 96>& counts) {
  std::string s = "  REC 0001" + fmti("%5ld", h) + fmti("%5ld", k) + fmti("%5ld", l) + " " + flag + "   **" +
                  fmt("%7.2f", psi);
  s += primary ? fmti("%4ld", ns) : " " + fmti("%3ld", ns);
  s += fmti("%6ld", bl) + fmti("%7ld", peak) + fmti("%6ld", br) + "\n";
  s += "     THETA" + fmt("%8.3f", theta) + "\n";
  for (int line = 0; line < 8; ++line) {
    s += "  PROFILE  ";
    for (int g = 0; g < 4; ++g) {
      for (int j = 0; j < 3; ++j) s += fmti("%4ld", counts[static_cast<std::size_t>(line * 12 + g * 3 + j)]);
      if (g < 3) s += " ";
    }
    s += "\n";
  }
  return s;
}

// One HUBER/HASYLAB reflection record with npts = c1.size() points.
struct HasylabRecord {
  int h = 0, k = 0, l = 0;
  float value = 0, sigma = 0;
  int code = 0;
  float pol = 1, two_theta = 20;
  float tc = 1, psi = 0, mb = 1;
  std::vector<double> c1, c2;
};

inline std::string count_block(const std::vector<double>& c) {
  std::string s;
  for (std::size_t i = 0; i < c.size(); ++i) {
    s += fmt("%8.0f", c[i]);
    if (i % 10 == 9 || i + 1 == c.size()) s += "\n";
  }
  return s;
}

inline std::string hasylab_record(const HasylabRecord& r) {
  std::string s = fmti("%4ld", r.h) + fmti("%4ld", r.k) + fmti("%4ld", r.l) + fmt("%9.2f", r.value) +
                  fmt("%9.2f", r.sigma) + fmti("%3ld", r.code) + fmt("%8.3f", r.pol) + fmt("%8.3f", r.two_theta) +
                  fmt("%8.3f", 1.0) + fmt("%8.3f", 2.0) + fmt("%8.3f", 3.0) + fmti("%7ld", 7) + "\n";
  s += std::string(20, ' ') + fmti("%3ld", static_cast<long>(r.c1.size())) + fmt("%5.1f", 0.5) +
       fmt("%6.2f", r.tc) + fmt("%7.3f", r.psi) + fmt("%8.3f", 9.0) + fmt("%8.3f", r.mb) + fmt("%8.3f", 9.0) +
       fmt("%8.3f", 9.0) + fmti("%7ld", 1) + "\n";
  s += fmt("%8.3f", 0.0) + fmt("%8.3f", 0.0) + fmt("%8.3f", 0.0) + "\n";
  s += count_block(r.c1) + count_block(r.c2) + count_block(std::vector<double>(r.c1.size(), 5.0));
  return s;
}

inline std::string label24(std::string s) {
  s.resize(24, ' ');
  return s;
}

// The filter block of a HASYLAB file: filter factors, dead times in
// microseconds, a line not used, the beam count multiplier.
inline std::string hasylab_filter_block(float ff1, float ff2, float ff3, float t1, float t2, float t3, float bcm) {
  return label24("        Filter factors") + fmt("%8.3f", ff1) + fmt("%8.3f", ff2) + fmt("%8.3f", ff3) + "\n" +
         label24("        Dead times (us)") + fmt("%8.3f", t1) + fmt("%8.3f", t2) + fmt("%8.3f", t3) + "\n" +
         "        (not used)\n" + label24("        Beam count") + fmt("%8.1f", bcm) + "\n";
}

}  // namespace korva::test
