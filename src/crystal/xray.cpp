// X-ray scattering types and the structure factor of the run.
#include "crystal/xray.hpp"

#include <string>
#include <string_view>
#include <vector>

#include "crystal/scattering_tables.hpp"
#include "crystal/structure_factor.hpp"
#include "support/format.hpp"

namespace korva {
namespace {

// Ions whose four-Gaussian fit holds only up to sin(theta)/lambda = 1.5.
bool short_fit(std::string_view symbol) {
  for (std::string_view s : {"O1- ", "F1- ", "Sc3+", "Ti2+", "Ti3+", "Ti4+", "V3+ "})
    if (symbol == s) return true;
  return false;
}

}  // namespace

void upform_(ScatteringType& type, std::string_view indicator, Report& report) {
  const std::string symbol = pad(type.atn, 4);
  const XrayRow* row = find_symbol(kXrayTable, symbol);
  if (!row) {
    report.line(" The chemical symbol: " + symbol + " does not correspond to an atom/ion name");
    report.line(" given in the Table 6.1.1.4 of the International Tables for Crystallography,");
    report.line(" Vol. C, p. 500 - 502");
    report.stop();
    return;
  }
  type.zatom = row->z;
  for (int j = 0; j < 9; ++j) type.fcoef[j] = row->gauss[j];
  for (int j = 0; j < 4; ++j) type.fcoef[9 + j] = row->high[j];
  type.fcoef[13] = short_fit(row->symbol) ? 1.5f : 2.0f;

  int tube = -1;
  if (indicator == "Cu") tube = 0;
  else if (indicator == "Mo") tube = 1;
  else if (indicator == "Ag") tube = 2;
  if (tube >= 0) {
    type.fprime = row->disp[2 * tube];
    type.fdprime = row->disp[2 * tube + 1];
  }
}

void fcalc1_(const Crystal& cr, int h, int k, int l, float stl, float& f, float& phi, Report& report) {
  std::vector<std::string> messages;
  const StructureFactor sf = structure_factor_xray(cr, h, k, l, stl, &messages);
  take_structure_factor(sf, messages, f, phi, report);
}

bool take_structure_factor(const StructureFactor& sf, const std::vector<std::string>& messages, float& f,
                           float& phi, Report& report) {
  for (const std::string& record : messages) report.line(record);
  if (sf.failed) return report.stop();
  f = sf.f;
  phi = sf.phi;
  return true;
}

}  // namespace korva
