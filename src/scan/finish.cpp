// The end of a run: the calculated scan completed with the primary level,
// the comparison with the measurement, the scan summary, the calculated-scan
// file and the plot.
#include <string>

#include "measure/compare.hpp"
#include "plot/page.hpp"
#include "scan/finish.hpp"
#include "scan/helpers.hpp"
#include "scan/stages.hpp"
#include "support/format.hpp"

namespace korva {

void complete_calculated_scan(Run& run) {
  ScanState& sc = run.sc;
  const Params& p = run.par;
  // Without a simulation the scan stays empty (zero).
  if (p.zsw1 > 0.0f)
    for (float& v : sc.aint) v += sc.iprim_calc;
  sc.cmax = 0.0f;
  sc.cmin = 0.0f;
  sc.psi_cmax = sc.psi_cmin = p.psia;
  for (std::size_t i = 0; i < sc.aint.size(); ++i) {
    const float v = sc.aint[i];
    const float psi = scan_psi(p, static_cast<int>(i));
    if (i == 0 || v >= sc.cmax) {
      sc.cmax = v;
      sc.psi_cmax = psi;
    }
    if (i == 0 || v <= sc.cmin) {
      sc.cmin = v;
      sc.psi_cmin = psi;
    }
  }
  if (sc.cmin < 0.0f) sc.cmin = 0.0f;
}

float scan_psi(const Params& p, int i) {
  const float zsw = p.zsw();
  return zsw > 0.0f ? p.psia + static_cast<float>(i) / zsw : p.psia;
}

void write_cal_file(Run& run, OutUnit& unit) {
  ScanState& sc = run.sc;
  for (std::size_t i = 0; i < sc.aint.size(); ++i) {
    if (sc.aint[i] < 0.0f) sc.aint[i] = 0.0f;
    std::string rec = F(scan_psi(run.par, static_cast<int>(i)), 10, 3) + F(sc.aint[i], 20, 4);
    if (i < sc.measured.aintm.size() && sc.measured.aintm[i] < kNoMeasurement) rec += F(sc.measured.aintm[i], 20, 4);
    unit.line(rec);
  }
}

void compare_with_measurement(Run& run) {
  const Params& p = run.par;
  ScanState& sc = run.sc;
  sc.psi_shift = 0;
  if (p.scan_flag != 1) return;
  const Comparison c = compare_scans(sc.aint, sc.measured, sc.cmax, p.zsw());
  sc.psi_shift = c.psi_shift;
  list_comparison(c, sc.measured, p, run.report);
}

PageData page_data(const Run& run) {
  const Params& p = run.par;
  const ScanState& sc = run.sc;
  PageData page;
  page.par = {p.title, p.indicator, p.idesy, p.h, p.k, p.l, p.alam1, p.alam2, p.dlam1, p.dlam2,
              p.lam_min, p.lam_max, p.diverp, p.divers, p.eta, p.radius, p.fprim, p.phiprim, p.nnn,
              p.psia, p.psie, p.zsw(), p.nstep, p.zeimax, p.drumin, p.scan_flag > 0};
  page.sc = {sc.aint, sc.measured.aintm, sc.cmax, sc.cmin, sc.measured.omax, sc.measured.omin, sc.iprim_calc, sc.measured.iprim_obs,
             sc.psi_shift, sc.theta_mean, sc.plot_events, sc.nplot, sc.ntot};
  return page;
}

void finish_run(Run& run, const std::string& dname2, std::string& calname, const std::string& dname1) {
  const Params& p = run.par;
  ScanState& sc = run.sc;
  calname = cal_file_name(dname1, dname2);

  complete_calculated_scan(run);
  compare_with_measurement(run);

  if (p.zsw1 > 0.0f) {
    run.list("");
    run.list(" Maximum calculated intensity                    (cps)    :" + F(sc.cmax, 10, 2) + "    at psi =" +
             F(sc.psi_cmax, 8, 3));
    run.list(" I-prim                                          (cps)    :" + F(sc.iprim_calc, 10, 2));
    run.list(" Minimum calculated intensity                    (cps)    :" + F(sc.cmin, 10, 2) + "    at psi =" +
             F(sc.psi_cmin, 8, 3));
    run.list("");
  }
  run.list(" Scan calculated for");
  run.list(" psia                        :" + F(p.psia, 8, 3));
  run.list(" psie                        :" + F(p.psie, 8, 3));
  run.list(" number of steps per degree  :" + F(p.zsw(), 8, 3));
  run.list(" phase shift interval factor :" + I(p.nnn, 5));

  const std::string name(trim_right(calname));
  if (!run.io.open_output(run.io.cal, name)) {
    run.list("");
    run.list("");
    run.list(X(5) + calname);
    run.list(" the calculated scan cannot be written to this file,");
    run.list(" check the name of the PostScript or scan file!");
    run.io.iostat = 1;
    return;
  }
  write_cal_file(run, run.io.cal);

  if (sc.nsim > 0 && sc.cmax > sc.cmin) {
    run.list("");
    run.list("");
    run.list(" Number of multiple diffraction events in the 360 degree psi-scan");
    const std::string with = p.idesy == kTube ? " (K-alpha1 + K-alpha2) with intensity > " : " with intensity > ";
    run.list(with + E(0.01f * p.drumin, 10, 2) + " : " + I(sc.nsim, 10));
    Plotter out{run.io.ps, {}};
    const PageStamp stamp = page_stamp_now();
    uplot_(out, page_data(run), stamp.date, stamp.time);
    for (const std::string& note : out.notes) run.list(note);
  } else {
    run.list("");
    run.list("");
    run.list(" The number of multiple diffraction events with intensities > 0.01 times drumin is zero!");
    run.list(" No graphical output is produced.");
    run.list(" Please decrease drumin on the seventh input line");
  }
  zeit_(run);
}

}  // namespace korva
