// Placeholder until the X-ray scattering tables land.
#include "crystal/xray.hpp"

namespace korva {

void upform_(Run& run, int) {
  run.list(" X-ray scattering factors are not available yet.");
  run.ierr = 1;
}

void fcalc1_(Run& run, int, int, int, float, float&, float&) { run.ierr = 1; }

}  // namespace korva
