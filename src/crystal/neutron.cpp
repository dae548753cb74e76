// Neutron scattering lengths, the structure factor and the density.
#include "crystal/neutron.hpp"

#include <string>
#include <vector>

#include "crystal/scattering_tables.hpp"
#include "crystal/structure_factor.hpp"
#include "crystal/xray.hpp"
#include "support/format.hpp"

namespace korva {

void upform_n_(ScatteringType& type, Report& report) {
  const std::string symbol = pad(type.atn, 4);
  const NeutronRow* row = find_symbol(kNeutronTable, symbol);
  if (!row) {
    report.line(" The chemical symbol: " + symbol + " does not correspond to an atom name");
    report.stop();
    return;
  }
  type.zatom = row->z;
  if (type.fprime != 0.0f) return;  // a length given in the input wins
  if (row->b == 0.0f) {
    report.line(" The scattering length is not known for the atomic number " + I(row->z, 3));
    return;
  }
  type.fprime = row->b;
}

void fcalc1_n_(const Crystal& cr, int h, int k, int l, float& f, float& phi, Report& report) {
  std::vector<std::string> messages;
  const StructureFactor sf = structure_factor_neutron(cr, h, k, l, &messages);
  take_structure_factor(sf, messages, f, phi, report);
}

void mue_n_(const std::vector<ScatteringType>& types, float v, int nf, float& density, Report& report) {
  float sum = 0.0f;
  for (int m = 0; m < nf && m < static_cast<int>(types.size()); ++m) {
    const ScatteringType& type = types[static_cast<std::size_t>(m)];
    const int z = type.zatom;
    if (z < 1 || z > kNeutronRows) {
      report.line(" The atomic weight is not known for the atomic number " + I(z, 3));
      density = 0.0f;
      return;
    }
    sum += kNeutronTable[static_cast<std::size_t>(z - 1)].weight * type.natcell;
  }
  density = sum * 10.0f / (6.0225701f * v);
}

}  // namespace korva
