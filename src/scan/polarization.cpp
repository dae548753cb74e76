// Placeholder until the polarization factors land.
#include "scan/helpers.hpp"

namespace korva {

void polfa_(float, float, float, float, float, float, float& ph, float& pg, float& pgh, float& pc,
            float& ci) {
  ph = pg = pgh = pc = 1.0f;
  ci = 0.0f;
}

}  // namespace korva
