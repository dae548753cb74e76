// Placeholder until the end-of-run blocks land: the calculated-scan name.
#include "scan/stages.hpp"

namespace korva {

void finish_run(Run&, const std::string& dname2, std::string& calname, const std::string& dname1) {
  calname = cal_file_name(dname1, dname2);
}

}  // namespace korva
