// The PostScript page of a run: header, scans and psi-lambda diagram.
#pragma once

#include "scan/run.hpp"

namespace korva {

void uplot_(Run& run);

}  // namespace korva
