#include "crystal/centring.hpp"

#include <gtest/gtest.h>

#include "scan/run.hpp"

namespace korva {
namespace {

Atom atom(float fnr, float x, float y, float z) {
  Atom a;
  a.fnr = fnr;
  a.afact = 0.5f;
  a.x = {x, y, z};
  a.bt = {1, 2, 3, 4, 5, 6};
  return a;
}

TEST(Centring, FaceCentringAppendsThreeCopiesInOrder) {
  Io io;
  korva::Run run(io);
  run.cr.atoms = {atom(1, 0.75f, 0.1f, 0.2f), atom(2, 0.0f, 0.25f, 0.5f)};
  bravai_(run.cr.atoms, "F m -3 m");
  const auto& a = run.cr.atoms;
  ASSERT_EQ(a.size(), 8u);
  const float expect[8][3] = {{0.75f, 0.1f, 0.2f}, {0.0f, 0.25f, 0.5f},   // originals
                              {1.25f, 0.6f, 0.2f}, {0.5f, 0.75f, 0.5f},   // + (1/2, 1/2, 0)
                              {1.25f, 0.1f, 0.7f}, {0.5f, 0.25f, 1.0f},   // + (1/2, 0, 1/2)
                              {0.75f, 0.6f, 0.7f}, {0.0f, 0.75f, 1.0f}};  // + (0, 1/2, 1/2)
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 3; ++j) EXPECT_EQ(a[i].x[j], expect[i][j]) << "atom " << i << " coordinate " << j;
    EXPECT_EQ(a[i].fnr, i % 2 == 0 ? 1.0f : 2.0f);
    EXPECT_EQ(a[i].afact, 0.5f);
    EXPECT_EQ(a[i].bt[5], 6.0f);
  }
}

TEST(Centring, LetterDecidesTheCopies) {
  struct Case {
    const char* symbol;
    std::size_t atoms;
    std::array<float, 3> first_copy;
  };
  for (const Case& c : {Case{"I a -3 d", 2, {0.6f, 0.6f, 0.6f}}, Case{"A b m 2", 2, {0.1f, 0.6f, 0.6f}},
                        Case{"B 1 1 2", 2, {0.6f, 0.1f, 0.6f}}, Case{"C 1 2/c 1", 2, {0.6f, 0.6f, 0.1f}},
                        Case{"P 1", 1, {}}, Case{"R -3 m ; rhombohedral axes", 1, {}}, Case{"i 4", 1, {}}}) {
    Io io;
    korva::Run run(io);
    run.cr.atoms = {atom(1, 0.1f, 0.1f, 0.1f)};
    bravai_(run.cr.atoms, c.symbol);
    ASSERT_EQ(run.cr.atoms.size(), c.atoms) << c.symbol;
    if (c.atoms == 2) {
      for (int j = 0; j < 3; ++j) EXPECT_FLOAT_EQ(run.cr.atoms[1].x[j], c.first_copy[j]) << c.symbol;
    }
  }
  Io io;
  korva::Run empty(io);
  bravai_(empty.cr.atoms, "F d d d");
  EXPECT_TRUE(empty.cr.atoms.empty());
  EXPECT_EQ(centring_multiplicity('F'), 4);
  EXPECT_EQ(centring_multiplicity('C'), 2);
  EXPECT_EQ(centring_multiplicity('R'), 1);
  EXPECT_EQ(centring_multiplicity('i'), 1);
}

}  // namespace
}  // namespace korva
