// The measured scan of a run and the incident intensity I0 that puts the
// calculated scan on its scale.
#include <cmath>
#include <string>

#include "measure/readers.hpp"
#include "scan/helpers.hpp"
#include "scan/stages.hpp"
#include "support/format.hpp"

namespace korva {
namespace {

constexpr float kPi = 3.14159265f;

// I0 from the default of the radiation, with the size of the sample it
// applies to.
void list_default_scale(Run& run) {
  const Params& p = run.par;
  const float radius_mm = p.rkugel * 10.0f;
  const float volume_mm3 = (4.0f / 3.0f) * kPi * radius_mm * radius_mm * radius_mm;
  run.list(" Scale factor estimated from the incident intensity I0:");
  run.list(" I0 (counts * mm-2 * sec-1)        :" + E(0.01f * p.i0, 10, 4));
  run.list(" Volume of the sample (mm-3)       :" + E(volume_mm3, 10, 4) + X(5) +
           " (Radius of the sample (mm):" + F(radius_mm, 10, 4) + " )");
  zeit_(run);
}

// I0 as the mean of the reference-reflection estimates.  False when they do
// not give a positive intensity: the default then stays.
bool take_reference_scale(Run& run) {
  Params& p = run.par;
  const ScanState& sc = run.sc;
  const float i0 = sc.measured.i0_sum / static_cast<float>(sc.measured.nref);
  if (!(std::isfinite(i0) && i0 > 0.0f)) {
    run.list("");
    run.list(" The reference reflections give no positive incident intensity;");
    run.list(" the default I0 is used");
    return false;
  }
  p.i0 = i0;
  run.list("");
  run.list(" Radius of the crystal (muemeter)       :" + F(p.rkugel * 1.0e4f, 10, 5));
  run.list(" crystal cross section (mm**2)          :" + F(p.cross_section * 100.0f, 10, 5));
  if (p.idesy == kTube)
    run.list(" I0(K-alpha1+2; counts * mm-2 * sec-1)  :" + E(0.01f * p.i0 * 1.5f, 10, 4));
  else
    run.list(" I0(counts * mm-2 * sec-1)              :" + E(0.01f * p.i0, 10, 4));
  zeit_(run);
  return true;
}

}  // namespace

bool read_measured_scan(Run& run) {
  Params& p = run.par;
  ScanState& sc = run.sc;
  if (p.scan_flag != 1) {
    list_default_scale(run);
    return true;
  }
  const std::string name(trim_right(trim_left(p.dname2)));
  if (!run.io.open_scan(name)) {
    run.list("");
    run.list("");
    run.list(X(5) + pad(p.dname2, 72));
    if (run.io.scan.failure().empty())
      run.list(" there is no such file or directory, or the file is empty,");
    else
      run.list(" " + run.io.scan.failure() + ",");
    run.list(" check your input!");
    run.io.iostat = 1;
    return false;
  }
  run.list(" Calculation of the scale factor using the reference reflections of the file:");
  run.list(X(3) + pad(p.dname2, 72));

  sc.measured.omax = 0.0f;
  sc.measured.omin = 1.0e6f;
  const ScanSource src{p, run.cr, run.extinction, run.io.scan, run.io.input};
  MeasuredScan& m = sc.measured;
  switch (p.idesy) {
    case kTube: cad4_(src, m, run.report); break;
    // The second synchrotron kind differs only in the polarization of the
    // beam, which its files carry: the synchrotron reader serves both.
    case kSynchrotron1:
    case kSynchrotron2: hasyl4_(src, m, run.report); break;
    case kNeutrons: neutron_(src, m, run.report); break;
    default: break;
  }
  if (run.report.stopped()) {
    if (run.io.iostat <= 0) run.io.iostat = 1;
    return false;
  }
  // Without a primary step there is nothing to compare with or to draw.
  if (!m.usable) p.scan_flag = 0;
  if (sc.measured.omin < 0.0f) sc.measured.omin = 0.0f;

  if (sc.measured.nref >= 1 && take_reference_scale(run)) return true;
  if (sc.measured.nref < 1) {
    run.list("");
    run.list(" There are no reference reflections in the file");
    run.list("");
  }
  list_default_scale(run);
  return true;
}

}  // namespace korva
