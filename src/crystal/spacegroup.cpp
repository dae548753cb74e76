// Placeholder until the space-group table lands: only explicit operators work.
#include "crystal/spacegroup.hpp"

#include "support/format.hpp"

namespace korva {

void raumgr_(Run& run, int nr, std::string& sgsymbol) {
  run.list(" Space group " + std::to_string(nr) + " is not in the table yet; give the operators (nr > 230).");
  sgsymbol = pad("P", 30);
  run.ierr = 1;
}

}  // namespace korva
