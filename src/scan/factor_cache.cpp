#include "scan/factor_cache.hpp"

#include <cmath>
#include <utility>

#include "crystal/structure_factor_kernel.hpp"

namespace korva {
namespace {

constexpr std::size_t kFirstSlots = std::size_t{1} << 16;

std::uint64_t mix(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9ULL;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebULL;
  x ^= x >> 31;
  return x;
}

}  // namespace

FactorCache::FactorCache(std::size_t max_slots) : max_slots_(max_slots < kFirstSlots ? kFirstSlots : max_slots) {}

std::uint64_t FactorCache::key(const std::array<int, 3>& hkl) {
  constexpr std::int64_t kOffset = std::int64_t{1} << 20;
  constexpr std::uint64_t kMask = (std::uint64_t{1} << 21) - 1;
  return ((static_cast<std::uint64_t>(hkl[0] + kOffset) & kMask) << 42) |
         ((static_cast<std::uint64_t>(hkl[1] + kOffset) & kMask) << 21) |
         (static_cast<std::uint64_t>(hkl[2] + kOffset) & kMask);
}

std::uint64_t FactorCache::orbit_key(const std::array<int, 3>& rep) { return key(rep) | kOrbitBit; }

std::size_t FactorCache::slot_of(std::uint64_t stored) const {
  const std::size_t mask = keys_.size() - 1;
  std::size_t i = static_cast<std::size_t>(mix(stored)) & mask;
  while (keys_[i] != 0 && keys_[i] != stored) i = (i + 1) & mask;
  return i;
}

bool FactorCache::find(std::uint64_t key, StructureFactor& sf, const std::vector<std::string>*& notes) const {
  if (keys_.empty()) return false;
  const std::size_t i = slot_of(key + 1);
  if (keys_[i] == 0) return false;
  const Value v = values_[i];
  if (key & kOrbitBit) {
    sf = StructureFactor{std::sqrt(v.a * v.a + v.b * v.b), structure_factor_phase(v.a, v.b), v.b, false, v.a};
  } else {
    sf = StructureFactor{v.a, v.b, 0.0f, false};
  }
  notes = nullptr;
  if (!extra_.empty()) {
    if (auto it = extra_.find(key); it != extra_.end()) {
      sf.failed = it->second.failed;
      if (!it->second.notes.empty()) notes = &it->second.notes;
    }
  }
  return true;
}

void FactorCache::grow() {
  std::vector<std::uint64_t> old_keys = std::move(keys_);
  std::vector<Value> old_values = std::move(values_);
  const std::size_t n = old_keys.empty() ? kFirstSlots : 2 * old_keys.size();
  keys_.assign(n, 0);
  values_.assign(n, Value{0.0f, 0.0f});
  for (std::size_t i = 0; i < old_keys.size(); ++i) {
    if (old_keys[i] == 0) continue;
    const std::size_t j = slot_of(old_keys[i]);
    keys_[j] = old_keys[i];
    values_[j] = old_values[i];
  }
}

void FactorCache::insert(std::uint64_t key, const StructureFactor& sf, std::vector<std::string>&& notes) {
  // At most 70 % of the slots in use keeps the probe sequences short.
  if (10 * (count_ + 1) > 7 * keys_.size()) {
    if (keys_.size() >= max_slots_) return;
    grow();
  }
  const std::size_t i = slot_of(key + 1);
  if (keys_[i] != 0) return;
  keys_[i] = key + 1;
  values_[i] = key & kOrbitBit ? Value{sf.re, sf.im} : Value{sf.f, sf.phi};
  ++count_;
  if (sf.failed || !notes.empty()) extra_[key] = Extra{sf.failed, std::move(notes)};
}

}  // namespace korva
