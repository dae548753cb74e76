#include "crystal/centring.hpp"

#include <array>
#include <vector>

namespace korva {

int centring_multiplicity(char letter) {
  switch (letter) {
    case 'A':
    case 'B':
    case 'C':
    case 'I':
      return 2;
    case 'F':
      return 4;
    default:
      return 1;
  }
}

void bravai_(std::vector<Atom>& atoms, std::string_view sgsymbol) {
  using Shift = std::array<float, 3>;
  std::vector<Shift> shifts;
  switch (sgsymbol.empty() ? ' ' : sgsymbol[0]) {
    case 'I': shifts = {{0.5f, 0.5f, 0.5f}}; break;
    case 'A': shifts = {{0.0f, 0.5f, 0.5f}}; break;
    case 'B': shifts = {{0.5f, 0.0f, 0.5f}}; break;
    case 'C': shifts = {{0.5f, 0.5f, 0.0f}}; break;
    case 'F': shifts = {{0.5f, 0.5f, 0.0f}, {0.5f, 0.0f, 0.5f}, {0.0f, 0.5f, 0.5f}}; break;
    default: return;  // P, R and anything else: no centred copies
  }
  const std::size_t n = atoms.size();
  atoms.reserve(n * (shifts.size() + 1));
  for (const Shift& shift : shifts) {
    for (std::size_t i = 0; i < n; ++i) {
      Atom copy = atoms[i];
      // A zero component leaves the coordinate exactly as it was.
      for (int j = 0; j < 3; ++j)
        if (shift[j] != 0.0f) copy.x[j] += shift[j];
      atoms.push_back(copy);
    }
  }
}

}  // namespace korva
