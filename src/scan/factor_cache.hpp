// Structure factors already computed in a run, for the same reflection met
// again (as H - G of another event, or in the second wavelength pass), or
// for the representatives of symmetry orbits.
//
// An open-addressing table of 16-byte slots, grown by doubling up to a
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

  // The factor as find gives it back once it is kept: a representative's f
  // and phi recomputed from re and im, a reflection's without re and im.
  static StructureFactor as_kept(std::uint64_t key, const StructureFactor& sf);

  // Starts loading the slot where find(key) begins to look.
  void prefetch(std::uint64_t key) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[mix(key + 1) & (slots_.size() - 1)]);
  }

  // Keeps a factor (and its records) while there is room; an entry already
  // there stays as it is.
  void insert(std::uint64_t key, const StructureFactor& sf, std::vector<std::string>&& notes);

  // Hands every entry to target (as insert would) and empties this table,
  // which keeps its slots for the next use.
  void move_into(FactorCache& target);

  std::size_t size() const { return count_; }
  std::size_t slots() const { return slots_.size(); }

 private:
  static constexpr std::uint64_t kOrbitBit = std::uint64_t{1} << 63;
  // Key and value side by side: one cache line per lookup.
  struct Slot {
    std::uint64_t key;  // key + 1; 0 marks an empty slot
    float a, b;         // f and phi, or re and im of a representative
  };
  struct Extra {
    bool failed = false;
    std::vector<std::string> notes;
  };
  static std::uint64_t mix(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    x ^= x >> 31;
    return x;
  }
  static Slot pack(std::uint64_t key, const StructureFactor& sf);
  static StructureFactor unpack(const Slot& slot);
  std::size_t slot_of(std::uint64_t stored) const;
  void grow();
  void put(const Slot& slot, Extra* extra);

  std::vector<Slot> slots_;
  std::unordered_map<std::uint64_t, Extra> extra_;  // failures and records
  std::size_t count_ = 0;
  std::size_t max_slots_;
};

}  // namespace korva
