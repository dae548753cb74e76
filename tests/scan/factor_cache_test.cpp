#include <gtest/gtest.h>

#include "scan/factor_cache.hpp"

namespace korva {
namespace {

TEST(FactorCache, KeepsFactorsAndRecordsUntilItIsFull) {
  FactorCache cache(std::size_t{1} << 16);  // the smallest table: 45875 entries at most
  int kept = 0;
  for (int h = -40; h <= 40; ++h)
    for (int k = -40; k <= 40; ++k)
      for (int l = -5; l <= 5; ++l) {
        std::vector<std::string> notes;
        if (h == 3 && k == -7 && l == 2) notes = {" a note", " another"};
        const StructureFactor sf{static_cast<float>(h * 1000 + k * 10 + l), 0.25f * l, 0.0f, h == -40 && k == 0};
        cache.insert(FactorCache::key({h, k, l}), sf, std::move(notes));
      }
  EXPECT_LE(cache.size(), std::size_t{45875});
  EXPECT_EQ(cache.slots(), std::size_t{1} << 16);
  for (int h = -40; h <= 40; ++h)
    for (int k = -40; k <= 40; ++k)
      for (int l = -5; l <= 5; ++l) {
        StructureFactor sf;
        const std::vector<std::string>* notes = nullptr;
        if (!cache.find(FactorCache::key({h, k, l}), sf, notes)) continue;
        ++kept;
        EXPECT_EQ(sf.f, static_cast<float>(h * 1000 + k * 10 + l));
        EXPECT_EQ(sf.phi, 0.25f * l);
        EXPECT_EQ(sf.failed, h == -40 && k == 0);
        if (h == 3 && k == -7 && l == 2) {
          ASSERT_NE(notes, nullptr);
          EXPECT_EQ(*notes, (std::vector<std::string>{" a note", " another"}));
        } else {
          EXPECT_EQ(notes, nullptr);
        }
      }
  EXPECT_EQ(static_cast<std::size_t>(kept), cache.size());
  EXPECT_GT(kept, 40000);

}

}  // namespace
}  // namespace korva
