// The incident intensity I0 from the integrated intensity of a reference
// reflection: the kinematic reflecting power of a mosaic crystal with
// primary extinction, divided out of the measured intensity.
//
// The formulas are kept free of the run's helpers: the structure factor, the
// absorption factor and the extinction function come in as arguments, so
// that each can be checked on its own.
#pragma once

#include <functional>
#include <string>

#include "model/params.hpp"

namespace korva {

// y of a mosaic block for the ratio x of block size to extinction length at
// the Bragg angle theta (degrees): chuk_ of the run's table.
using ExtinctionFn = std::function<float(float x, float theta)>;

struct ReferenceTerms {
  float theta = 0;   // Bragg angle, degrees
  float value = 0;   // measured integrated intensity (cps)
  float f = 0;       // structure factor
  float astar = 1;   // absorption factor A*
  float lorentz = 0; // 1 / sin 2theta
  float p = 0;       // polarization factor
  float y = 0;       // primary-extinction factor
  float ext_len = 0; // extinction length of the reflection, cm
  float tee = 0;     // (4/3) block radius: mean path through a block, cm
  float q = 0;       // reflecting power per block
  float blocks = 0;  // mosaic blocks in reflecting position (at least 1)
  float i0 = 0;      // incident-intensity estimate, counts / cm^2 / s
  bool counted = false;  // enters the I0 sum
};

// Mosaic blocks in reflecting position along a path through the crystal
// (at least 1).
float reflecting_blocks(const Params& p);

// X-ray tube with a monochromator of constant P_M = p.cad_pm; only
// reflections with F >= 2.0 are counted, and the estimate is per K-alpha1
// line (the doublet carries 1.5 times its intensity).
ReferenceTerms tube_reference(const Params& p, float value, float theta, float f, float astar,
                              const ExtinctionFn& chuk);

// Synchrotron radiation with the polarization ratio pol of the beam; every
// reflection counts.
ReferenceTerms synchrotron_reference(const Params& p, float value, float theta, float pol, float f,
                                     float astar, const ExtinctionFn& chuk);

// Neutrons: no polarization, no absorption; every reflection counts.
ReferenceTerms neutron_reference(const Params& p, float value, float theta, float f,
                                 const ExtinctionFn& chuk);

// Listing headers (without the empty lines around them) and lines of the
// reference reflections.
std::string tube_reference_header();
std::string tube_reference_line(int h, int k, int l, const ReferenceTerms& r);
std::string synchrotron_obs_header();
std::string synchrotron_file_header();
// file_record: a HUBER/HASYLAB record, otherwise an ".obs" line.
std::string synchrotron_reference_line(int h, int k, int l, const ReferenceTerms& r, bool file_record);
std::string neutron_reference_header();
std::string neutron_reference_line(int h, int k, int l, const ReferenceTerms& r, const Params& p);

}  // namespace korva
