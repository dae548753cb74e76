#include "scan/factor_cache.hpp"

#include <cmath>
#include <utility>

#include "crystal/structure_factor_kernel.hpp"

namespace korva {
namespace {

constexpr std::size_t kFirstSlots = std::size_t{1} << 16;

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
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = static_cast<std::size_t>(mix(stored)) & mask;
  while (slots_[i].key != 0 && slots_[i].key != stored) i = (i + 1) & mask;
  return i;
}

bool FactorCache::find(std::uint64_t key, StructureFactor& sf, const std::vector<std::string>*& notes) const {
  if (slots_.empty()) return false;
  const Slot& s = slots_[slot_of(key + 1)];
  if (s.key == 0) return false;
  sf = unpack(s);
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
  std::vector<Slot> old = std::move(slots_);
  const std::size_t n = old.empty() ? kFirstSlots : 2 * old.size();
  slots_.assign(n, Slot{0, 0.0f, 0.0f});
  for (const Slot& s : old)
    if (s.key != 0) slots_[slot_of(s.key)] = s;
}

void FactorCache::put(const Slot& slot, Extra* extra) {
  // At most 70 % of the slots in use keeps the probe sequences short.
  if (10 * (count_ + 1) > 7 * slots_.size()) {
    if (slots_.size() >= max_slots_) return;
    grow();
  }
  Slot& s = slots_[slot_of(slot.key)];
  if (s.key != 0) return;
  s = slot;
  ++count_;
  if (extra) extra_[slot.key - 1] = std::move(*extra);
}

FactorCache::Slot FactorCache::pack(std::uint64_t key, const StructureFactor& sf) {
  if (key & kOrbitBit) return Slot{key + 1, sf.re, sf.im};
  return Slot{key + 1, sf.f, sf.phi};
}

StructureFactor FactorCache::unpack(const Slot& s) {
  if ((s.key - 1) & kOrbitBit)
    return StructureFactor{std::sqrt(s.a * s.a + s.b * s.b), structure_factor_phase(s.a, s.b), s.b, false, s.a};
  return StructureFactor{s.a, s.b, 0.0f, false};
}

StructureFactor FactorCache::as_kept(std::uint64_t key, const StructureFactor& sf) {
  StructureFactor out = unpack(pack(key, sf));
  out.failed = sf.failed;
  return out;
}

void FactorCache::insert(std::uint64_t key, const StructureFactor& sf, std::vector<std::string>&& notes) {
  Extra extra{sf.failed, std::move(notes)};
  put(pack(key, sf), extra.failed || !extra.notes.empty() ? &extra : nullptr);
}

void FactorCache::move_into(FactorCache& target) {
  if (count_ == 0) return;
  for (Slot& s : slots_) {
    if (s.key == 0) continue;
    auto it = extra_.empty() ? extra_.end() : extra_.find(s.key - 1);
    target.put(s, it == extra_.end() ? nullptr : &it->second);
    s.key = 0;
  }
  extra_.clear();
  count_ = 0;
}

}  // namespace korva
