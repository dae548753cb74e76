// A run set up by hand for fuzzing the scan readers: a silicon crystal, a
// psi grid over the whole circle, units 11 and 15 fed from the fuzzer's
// bytes.  The bytes are split at a line "=====": before it the last lines
// of the input file (reference keys, filters), after it the scan file; the
// first byte chooses between an ".obs" list and diffractometer output.
#pragma once

#include <cmath>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "crystal/neutron.hpp"
#include "crystal/xray.hpp"
#include "measure/readers.hpp"
#include "scan/helpers.hpp"
#include "scan/run.hpp"

namespace korva::fuzz {

struct SyntheticRun {
  Io io;
  Run run{io};

  SyntheticRun(int idesy, int h, int k, int l, const std::uint8_t* data, std::size_t size) {
    io.in_memory = true;
    io.listing.open_memory();
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const bool obs = !bytes.empty() && (bytes[0] & 1) != 0;
    if (!bytes.empty()) bytes.remove_prefix(1);
    std::string_view tail, scan = bytes;
    if (const std::size_t cut = bytes.find("=====\n"); cut != std::string_view::npos) {
      tail = bytes.substr(0, cut);
      scan = bytes.substr(cut + 6);
    }
    io.input.open_text(tail);
    io.scan.open_text(scan);

    Params& p = run.par;
    p.idesy = idesy;
    p.h = h;
    p.k = k;
    p.l = l;
    p.psia = -180.0f;
    p.psie = 180.0f;
    p.zsw1 = 10.0f;
    p.psi1 = -10.0f;
    p.psi2 = 10.0f;
    p.a = p.b = p.c = 5.4309f;
    p.alpha = p.beta = p.gamma = 90.0f;
    p.vol = p.a * p.b * p.c;
    p.radius = 2.0f;
    p.rkugel = 0.015f;
    p.eta = 0.01f;
    p.cross_section = 3.14159265f * p.rkugel * p.rkugel;
    p.alam1 = idesy == kNeutrons ? 1.2f : idesy == kTube ? 1.540598f : 0.5612f;
    p.scale_k = idesy == kNeutrons ? p.alam1 * 1000.0f / p.vol : p.alam1 * 2.817938f * 1000.0f / p.vol;
    p.cad_att = 12.179f;
    p.cad_pm = 0.89423f;
    p.mur = 1.5f;
    p.scan_flag = 1;
    p.scan_ext = obs ? "obs" : "dat";
    p.nstep = 3600;
    run.sc.aint.assign(3601, 0.0f);
    run.sc.measured.aintm.assign(3601, kNoMeasurement);
    run.sc.measured.omax = 0.0f;
    run.sc.measured.omin = 1.0e6f;

    Crystal& cr = run.cr;
    cr.sym.ns = 1;
    cr.sym.ic = 2;
    cr.sym.s[0] = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    cr.types.assign(1, ScatteringType{});
    cr.types[0].atn = "Siv ";
    const float pos[8][3] = {{0, 0, 0},         {0, .5f, .5f},     {.5f, 0, .5f},     {.5f, .5f, 0},
                             {.25f, .25f, .25f}, {.25f, .75f, .75f}, {.75f, .25f, .75f}, {.75f, .75f, .25f}};
    for (const auto& x : pos) {
      Atom a;
      a.fnr = 1;
      a.afact = 1;
      a.x = {x[0], x[1], x[2]};
      a.bt = {0.004f, 0.004f, 0.004f, 0, 0, 0};
      cr.atoms.push_back(a);
    }
    run.extinction = chuk1_();
    Report lookups;  // what the lookup says is not the reader's
    if (idesy == kNeutrons) upform_n_(cr.types[0], lookups);
    else upform_(cr.types[0], p.indicator, lookups);
  }

  // Runs a scan reader on the run's files and crystal, into its measured scan.
  void read(void (*reader)(const ScanSource&, MeasuredScan&, Report&)) {
    const ScanSource src{run.par, run.cr, run.extinction, io.scan, io.input};
    reader(src, run.sc.measured, run.report);
  }
};

// What every reader must leave, whatever it read: the grid keeps its size
// and every stored value is a number.  A breach stops the fuzzer.
inline void check_measured_results(const Run& run) {
  const auto& m = run.sc.measured.aintm;
  if (m.size() != 3601) __builtin_trap();
  for (float v : m)
    if (!std::isfinite(v)) __builtin_trap();
  if (!std::isfinite(run.sc.measured.omax) || !std::isfinite(run.sc.measured.omin)) __builtin_trap();
}

}  // namespace korva::fuzz
