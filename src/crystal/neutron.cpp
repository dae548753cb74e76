// Placeholder until the neutron tables land.
#include "crystal/neutron.hpp"

namespace korva {

void upform_n_(Run& run, int) {
  run.list(" Neutron scattering lengths are not available yet.");
  run.ierr = 1;
}

void fcalc1_n_(Run& run, int, int, int, float&, float&) { run.ierr = 1; }

void mue_n_(Run&, float, int, float& density) { density = 0.0f; }

}  // namespace korva
