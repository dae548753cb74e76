// Placeholder until the measured-scan readers land.
#include "scan/stages.hpp"

namespace korva {

bool read_measured_scan(Run&) { return true; }

}  // namespace korva
