// The kinds of radiation of a run (input line 4, `idesy`), known to every
// layer from the crystal model to the page.
#pragma once

namespace korva {

// kSynchrotron1 and kSynchrotron2 are the two polarization states of the
// beam behind a monochromator.
enum Radiation : int { kTube = 0, kSynchrotron1 = 1, kSynchrotron2 = 2, kNeutrons = 3 };

}  // namespace korva
