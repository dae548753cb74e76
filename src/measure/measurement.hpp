// What a measured psi-scan gives: the scan on the grid of the calculated one,
// its extrema, the measured primary intensity and the incident-intensity
// estimates of the reference reflections.
#pragma once

#include <vector>

namespace korva {

struct MeasuredScan {
  std::vector<float> aintm;  // 0..nstep; kNoMeasurement where none

  float omax = 0, psi_omax = 0, sig_omax = 0;  // measured extrema
  float omin = 0, psi_omin = 0, sig_omin = 0;
  float iprim_obs = 0, sig_iprim_obs = 0;      // I-prim over psi1..psi2
  float background = 0;
  float i0_sum = 0;  // sum of the reference reflections' I0 estimates
  int nref = 0;      // reference reflections that entered the sum
  bool usable = true;  // false: the file gave no usable primary step
};

}  // namespace korva
