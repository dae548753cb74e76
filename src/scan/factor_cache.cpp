#include "scan/factor_cache.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "scan/event_search.hpp"

namespace korva {
namespace {

constexpr std::size_t kFirstSlots = std::size_t{1} << 16;
constexpr std::int64_t kOffset = std::int64_t{1} << 20;
constexpr std::uint64_t kMask = (std::uint64_t{1} << 21) - 1;
constexpr std::uint32_t kNoneBits = 0x7fbadbadu;  // a signalling NaN no computation gives

float none_marker() {
  float v;
  std::memcpy(&v, &kNoneBits, sizeof v);
  return v;
}

bool is_none(float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits == kNoneBits;
}

int index_of(std::uint64_t key, int shift) {
  return static_cast<int>(static_cast<std::int64_t>((key >> shift) & kMask) - kOffset);
}

}  // namespace

FactorCache::FactorCache(std::size_t max_slots) : max_slots_(max_slots < kFirstSlots ? kFirstSlots : max_slots) {}

std::uint64_t FactorCache::key(const std::array<int, 3>& hkl) {
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

bool FactorCache::keep_sphere(const std::array<std::array<double, 3>, 3>& m, double radius, int hmax, int kmax,
                              int lmax, std::size_t max_bytes) {
  const std::size_t nrows = static_cast<std::size_t>(2 * hmax + 1) * static_cast<std::size_t>(2 * kmax + 1);
  std::vector<int> lo(nrows, 0), n(nrows, 0);
  std::vector<std::size_t> start(nrows, 0);
  std::size_t total = 0;
  for (int h = -hmax; h <= hmax; ++h)
    for (int k = -kmax; k <= kmax; ++k) {
      const std::size_t row = static_cast<std::size_t>(h + hmax) * static_cast<std::size_t>(2 * kmax + 1) +
                              static_cast<std::size_t>(k + kmax);
      start[row] = total;
      int first = 0, last = -1;
      if (!sphere_row(m, radius, h, k, lmax, first, last)) continue;
      lo[row] = first;
      n[row] = last - first + 1;
      total += static_cast<std::size_t>(n[row]);
    }
  if (2 * total * sizeof(Pair) + nrows * (2 * sizeof(int) + sizeof(std::size_t)) > max_bytes) return false;
  rows_h_ = hmax;
  rows_k_ = kmax;
  row_lo_ = std::move(lo);
  row_n_ = std::move(n);
  row_start_ = std::move(start);
  own_.assign(total, Pair{none_marker(), 0.0f});
  orbit_.clear();
  dense_count_ = 0;
  return true;
}

std::size_t FactorCache::sphere_slot(std::uint64_t key) const {
  if (row_n_.empty()) return kOutside;
  const int h = index_of(key, 42), k = index_of(key, 21), l = index_of(key, 0);
  if (h < -rows_h_ || h > rows_h_ || k < -rows_k_ || k > rows_k_) return kOutside;
  const std::size_t row =
      static_cast<std::size_t>(h + rows_h_) * static_cast<std::size_t>(2 * rows_k_ + 1) + static_cast<std::size_t>(k + rows_k_);
  const int dl = l - row_lo_[row];
  if (dl < 0 || dl >= row_n_[row]) return kOutside;
  return row_start_[row] + static_cast<std::size_t>(dl);
}

void FactorCache::prefetch(std::uint64_t key) const {
  const std::size_t d = sphere_slot(key);
  if (d != kOutside) {
    const std::vector<Pair>& v = key & kOrbitBit ? orbit_ : own_;
    if (!v.empty()) __builtin_prefetch(&v[d]);
  } else if (!slots_.empty()) {
    __builtin_prefetch(&slots_[mix(key + 1) & (slots_.size() - 1)]);
  }
}

bool FactorCache::find(std::uint64_t key, StructureFactor& sf, const std::vector<std::string>*& notes) const {
  const std::size_t d = sphere_slot(key);
  if (d != kOutside) {
    const std::vector<Pair>& v = key & kOrbitBit ? orbit_ : own_;
    if (v.empty() || is_none(v[d].a)) return false;
    sf = unpack(Slot{key + 1, v[d].a, v[d].b});
  } else {
    if (slots_.empty()) return false;
    const Slot& s = slots_[slot_of(key + 1)];
    if (s.key == 0) return false;
    sf = unpack(s);
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
  std::vector<Slot> old = std::move(slots_);
  const std::size_t n = old.empty() ? kFirstSlots : 2 * old.size();
  slots_.assign(n, Slot{0, 0.0f, 0.0f});
  for (const Slot& s : old)
    if (s.key != 0) slots_[slot_of(s.key)] = s;
}

void FactorCache::put(const Slot& slot, Extra* extra) {
  const std::uint64_t key = slot.key - 1;
  if (const std::size_t d = sphere_slot(key); d != kOutside) {
    std::vector<Pair>& v = key & kOrbitBit ? orbit_ : own_;
    if (v.empty()) v.assign(own_.size(), Pair{none_marker(), 0.0f});
    if (!is_none(v[d].a)) return;
    v[d] = Pair{slot.a, slot.b};
    ++dense_count_;
    if (extra) extra_[key] = std::move(*extra);
    return;
  }
  // At most 70 % of the slots in use keeps the probe sequences short.
  if (10 * (count_ + 1) > 7 * slots_.size()) {
    if (slots_.size() >= max_slots_) return;
    grow();
  }
  Slot& s = slots_[slot_of(slot.key)];
  if (s.key != 0) return;
  s = slot;
  ++count_;
  if (extra) extra_[key] = std::move(*extra);
}

FactorCache::Slot FactorCache::pack(std::uint64_t key, const StructureFactor& sf) {
  if (key & kOrbitBit) return Slot{key + 1, sf.re, sf.im};
  return Slot{key + 1, sf.f, sf.phi};
}

StructureFactor FactorCache::unpack(const Slot& s) {
  if ((s.key - 1) & kOrbitBit) return StructureFactor{std::sqrt(s.a * s.a + s.b * s.b), 0.0f, s.b, false, s.a};
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
