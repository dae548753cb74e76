// Placeholder until the scattering-factor listing lands.
#include "scan/stages.hpp"

namespace korva {

bool list_crystal_data(Run&) { return true; }

}  // namespace korva
