// Structure factors already computed in a run, for the same reflection met
// again (as H - G of another event, or in the second wavelength pass), or
// for the representatives of symmetry orbits.
//
// An open-addressing table of 16 bytes an entry, grown by doubling up to a
// fixed number of slots; beyond that nothing more is kept and the search
// simply computes again.  With 2^23 slots (128 MB) it holds 5.8 million
// entries: every orbit of a protein-size cell, or every reflection of one
// when its operators give no orbits.  The listing records of a computation (rare) are
// kept beside it, so that a reuse writes to the listing exactly what a new
// computation would.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "crystal/structure_factor.hpp"

namespace korva {

class FactorCache {
 public:
  explicit FactorCache(std::size_t max_slots = std::size_t{1} << 23);

  // The key of a reflection's own factor, and of an orbit representative's.
  // The entry of a representative keeps its real and imaginary part (f and
  // phi follow from them); that of a reflection keeps f and phi.
  static std::uint64_t key(const std::array<int, 3>& hkl);
  static std::uint64_t orbit_key(const std::array<int, 3>& rep);

  // The factor of a reflection when it is kept; notes points to its listing
  // records (null when there were none).
  bool find(std::uint64_t key, StructureFactor& sf, const std::vector<std::string>*& notes) const;

  // Keeps a factor (and its records) while there is room; an entry already
  // there stays as it is.
  void insert(std::uint64_t key, const StructureFactor& sf, std::vector<std::string>&& notes);

  std::size_t size() const { return count_; }
  std::size_t slots() const { return keys_.size(); }

 private:
  static constexpr std::uint64_t kOrbitBit = std::uint64_t{1} << 63;
  struct Value {
    float a, b;  // f and phi, or re and im of a representative
  };
  struct Extra {
    bool failed = false;
    std::vector<std::string> notes;
  };
  std::size_t slot_of(std::uint64_t stored) const;
  void grow();

  std::vector<std::uint64_t> keys_;  // key + 1; 0 marks an empty slot
  std::vector<Value> values_;
  std::unordered_map<std::uint64_t, Extra> extra_;  // failures and records
  std::size_t count_ = 0;
  std::size_t max_slots_;
};

}  // namespace korva
