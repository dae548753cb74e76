// Placeholder until the psi offset lands.
#include "scan/helpers.hpp"

namespace korva {

void upsi_(Run& run, float, float, float, const std::array<float, 9>&) { run.sc.psid = 0.0f; }

}  // namespace korva
