// Placeholder until the page lands.
#include "plot/page.hpp"

namespace korva {

void uplot_(Run&) {}

}  // namespace korva
