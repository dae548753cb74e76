// Which symbol of korva's scattering tables an element with a charge uses,
// and the list of all symbols that `korva symbols` prints.
#pragma once

#include <string>

namespace korva::cif {

struct TableSymbol {
  std::string symbol;   // trimmed, e.g. "Fe3+" or "Siv"; empty: the table lacks the element
  std::string warning;  // why an ion fell back to its neutral atom
};

// X-ray table symbol of the element (chemical symbol such as "Fe", atomic
// number z) with the given charge.  An ion the table lacks falls back to the
// neutral atom, with a warning that names the ions the table has.
TableSymbol xray_symbol(const std::string& element, int z, int charge);

// Neutron table symbol of atomic number z (the table holds no ions), empty
// when the table lacks the element.
std::string neutron_symbol(int z);

// Tabulated coherent scattering length (fm) of atomic number z, 0 when the
// table gives none.
float neutron_length(int z);

// The text of `korva symbols`.
std::string symbols_text();

}  // namespace korva::cif
