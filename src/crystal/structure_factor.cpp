// Placeholder until the structure factors land.
#include "crystal/structure_factor.hpp"

namespace korva {

StructureFactor structure_factor_xray(const Crystal&, int, int, int, float, std::vector<std::string>*) {
  return StructureFactor{0.0f, 0.0f, 0.0f, true};
}

StructureFactor structure_factor_neutron(const Crystal&, int, int, int, std::vector<std::string>*) {
  return StructureFactor{0.0f, 0.0f, 0.0f, true};
}

}  // namespace korva
