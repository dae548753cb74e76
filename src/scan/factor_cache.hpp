// Structure factors already computed in a run, for the same reflection met
// again (as H - G of another event, or in the second wavelength pass), or
// for the representatives of symmetry orbits.
//
// Reflections inside the limiting sphere of the run can have slots of their
// own (keep_sphere): row by row (h, k) the interval of l in one array, 8
// bytes a reflection and as much again for orbit representatives, so that
// the neighbours in l that the search meets one after the other lie side by
// side in memory.  A protein-size cell (2 million reflections) takes 35 MB.
// Everything else goes to an open-addressing table of 16-byte slots, grown by
// doubling up to a fixed number of slots; beyond that nothing more is kept
// and the search simply computes again.  The listing records of a
// computation (rare) are kept beside both, so that a reuse writes to the
// listing exactly what a new computation would.
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
  // The entry of a representative keeps its real and imaginary part (f
  // follows from them; its phase is not formed: the members' phases come
  // from re and im); that of a reflection keeps f and phi.
  static std::uint64_t key(const std::array<int, 3>& hkl);
  static std::uint64_t orbit_key(const std::array<int, 3>& rep);

  // The factor of a reflection when it is kept; notes points to its listing
  // records (null when there were none).
  bool find(std::uint64_t key, StructureFactor& sf, const std::vector<std::string>*& notes) const;

  // The factor as find gives it back once it is kept: a representative's f
  // recomputed from re and im, a reflection's without re and im.
  static StructureFactor as_kept(std::uint64_t key, const StructureFactor& sf);

  // Starts loading the slot where find(key) begins to look.
  void prefetch(std::uint64_t key) const;

  // Keeps a factor (and its records) while there is room; an entry already
  // there stays as it is.
  void insert(std::uint64_t key, const StructureFactor& sf, std::vector<std::string>&& notes);

  // Hands every entry to target (as insert would) and empties this table,
  // which keeps its slots for the next use.  For a table without a sphere,
  // as the search's per-thread ones are.
  void move_into(FactorCache& target);

  // Slots of their own for every reflection with |G| <= radius in the
  // reciprocal metric, as long as they take at most max_bytes; false (and
  // nothing changed) otherwise.
  bool keep_sphere(const std::array<std::array<double, 3>, 3>& metric, double radius, int hmax, int kmax,
                   int lmax, std::size_t max_bytes = std::size_t{256} << 20);

  std::size_t size() const { return count_ + dense_count_; }
  std::size_t slots() const { return slots_.size(); }
  std::size_t sphere_slots() const { return own_.size(); }

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
  static constexpr std::size_t kOutside = ~std::size_t{0};
  std::size_t sphere_slot(std::uint64_t key) const;  // kOutside when not in the sphere
  void grow();
  void put(const Slot& slot, Extra* extra);

  std::vector<Slot> slots_;

  // The sphere: first l, count and start of each row (h, k); the values of
  // reflections and of representatives (a NaN of its own marks "none").
  struct Pair {
    float a, b;
  };
  int rows_h_ = 0, rows_k_ = 0;  // hmax, kmax of the rows
  std::vector<int> row_lo_, row_n_;
  std::vector<std::size_t> row_start_;
  std::vector<Pair> own_, orbit_;
  std::size_t dense_count_ = 0;
  std::unordered_map<std::uint64_t, Extra> extra_;  // failures and records
  std::size_t count_ = 0;
  std::size_t max_slots_;
};

}  // namespace korva
