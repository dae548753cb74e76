// The generated constant tables against the values printed in International
// Tables, row by row where the rows are known, and their overall shape.
#include "crystal/scattering_tables.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace korva {
namespace {

std::vector<std::string> split(const std::string& list) {
  std::vector<std::string> out;
  std::istringstream in(list);
  for (std::string item; std::getline(in, item, ',');) {
    const auto first = item.find_first_not_of(' ');
    out.push_back((item.substr(first) + "    ").substr(0, 4));
  }
  return out;
}

const XrayRow& xray_row(const std::string& symbol) {
  for (const XrayRow& r : kXrayTable)
    if (symbol == r.symbol) return r;
  ADD_FAILURE() << "no row " << symbol;
  return kXrayTable[0];
}

TEST(XrayTable, HoldsTheTwoHundredElevenSymbolsInSearchOrder) {
  const std::vector<std::string> expected = split(
      "H, H1-, He, Li, Li1+, Be, Be2+, B, C, Cval, N, O, O1-, F, F1-, Ne, Na, Na1+, Mg, Mg2+, Al, "
      "Al3+, Siv, Siva, Si4+, P, S, Cl, Cl1-, Ar, K, K1+, Ca, Ca2+, Sc, Sc3+, Ti, Ti2+, Ti3+, Ti4+, "
      "V, V2+, V3+, V5+, Cr, Cr2+, Cr3+, Mn, Mn2+, Mn3+, Mn4+, Fe, Fe2+, Fe3+, Co, Co2+, Co3+, Ni, "
      "Ni2+, Ni3+, Cu, Cu1+, Cu2+, Zn, Zn2+, Ga, Ga3+, Ge, Ge4+, As, Se, Br, Br1-, Kr, Rb, Rb1+, Sr, "
      "Sr2+, Y, Y3+, Zr, Zr4+, Nb, Nb3+, Nb5+, Mo, Mo3+, Mo5+, Mo6+, Tc, Ru, Ru3+, Ru4+, Rh, Rh3+, "
      "Rh4+, Pd, Pd2+, Pd4+, Ag, Ag1+, Ag2+, Cd, Cd2+, In, In3+, Sn, Sn2+, Sn4+, Sb, Sb3+, Sb5+, Te, "
      "I, I1-, Xe, Cs, Cs1+, Ba, Ba2+, La, La3+, Ce, Ce3+, Ce4+, Pr, Pr3+, Pr4+, Nd, Nd3+, Pm, Pm3+, "
      "Sm, Sm3+, Eu, Eu2+, Eu3+, Gd, Gd3+, Tb, Tb3+, Dy, Dy3+, Ho, Ho3+, Er, Er3+, Tm, Tm3+, Yb, "
      "Yb2+, Yb3+, Lu, Lu3+, Hf, Hf4+, Ta, Ta5+, W, W6+, Re, Os, Os4+, Ir, Ir3+, Ir4+, Pt, Pt2+, "
      "Pt4+, Au, Au1+, Au3+, Hg, Hg1+, Hg2+, Tl, Tl1+, Tl3+, Pb, Pb2+, Pb4+, Bi, Bi3+, Bi5+, Po, At, "
      "Rn, Fr, Ra, Ra2+, Ac, Ac3+, Th, Th4+, Pa, U, U3+, U4+, U6+, Np, Np3+, Np4+, Np6+, Pu, Pu3+, "
      "Pu4+, Pu6+, Am, Cm, Bk, Cf");
  ASSERT_EQ(expected.size(), 211u);
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(kXrayTable[i].symbol, expected[i]) << i;
}

TEST(XrayTable, ReproducesThePrintedRows) {
  struct Printed {
    const char* symbol;
    int z;
    std::array<float, 9> gauss;
    std::array<float, 4> high;
    std::array<float, 6> disp;
  };
  const Printed printed[] = {
      {"H   ", 1, {0.489918f, 20.6593f, 0.262003f, 7.74039f, 0.196767f, 49.5519f, 0.049879f, 2.20159f, 0.001305f},
       {-100, 0, 0, 0}, {0, 0, 0, 0, 0, 0}},
      {"C   ", 6, {2.31f, 20.8439f, 1.02f, 10.2075f, 1.5886f, 0.5687f, 0.865f, 51.6512f, 0.2156f},
       {1.7056f, -1.5676f, 1.1893f, -0.42715f}, {0.0181f, 0.0091f, 0.0033f, 0.0016f, 0.0015f, 0.0009f}},
      {"Fe  ", 26, {11.7695f, 4.7611f, 7.3573f, 0.3072f, 3.5222f, 15.3535f, 2.3045f, 76.8805f, 1.0369f},
       {3.9979f, -2.1108f, 3.9817f, -2.7199f}, {-1.1336f, 3.1974f, 0.3463f, 0.8444f, 0.2886f, 0.5448f}},
      {"Fe3+", 26, {11.1764f, 4.6147f, 7.3863f, 0.3005f, 3.3948f, 11.6729f, 0.0724f, 38.5566f, 0.9707f},
       {3.9979f, -2.1108f, 3.9817f, -2.7199f}, {-1.1336f, 3.1974f, 0.3463f, 0.8444f, 0.2886f, 0.5448f}},
  };
  for (const Printed& p : printed) {
    const XrayRow& r = xray_row(p.symbol);
    EXPECT_EQ(r.z, p.z) << p.symbol;
    EXPECT_EQ(r.gauss, p.gauss) << p.symbol;
    EXPECT_EQ(r.high, p.high) << p.symbol;
    EXPECT_EQ(r.disp, p.disp) << p.symbol;
  }
}

TEST(NeutronTable, HoldsNinetyTwoElementsWithThePrintedLengthsAndWeights) {
  const std::vector<std::string> expected = split(
      "H, He, Li, Be, B, C, N, O, F, Ne, Na, Mg, Al, Siv, P, S, Cl, Ar, K, Ca, Sc, Ti, V, Cr, Mn, Fe, "
      "Co, Ni, Cu, Zn, Ga, Ge, As, Se, Br, Kr, Rb, Sr, Y, Zr, Nb, Mo, Tc, Ru, Rh, Pd, Ag, Cd, In, Sn, "
      "Sb, Te, I, Xe, Cs, Ba, La, Ce, Pr, Nd, Pm, Sm, Eu, Gd, Tb, Dy, Ho, Er, Tm, Yb, Lu, Hf, Ta, W, "
      "Re, Os, Ir, Pt, Au, Hg, Tl, Pb, Bi, Po, At, Rn, Fr, Ra, Ac, Th, Pa, U");
  ASSERT_EQ(expected.size(), 92u);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(kNeutronTable[i].symbol, expected[i]);
    EXPECT_EQ(kNeutronTable[i].z, static_cast<int>(i) + 1);
  }
  struct Printed {
    int z;
    float b, weight;
  };
  // Iron: 9.45 fm, the coherent length of natural iron (9.54 is a
  // transposed-digit slip).
  const Printed printed[] = {{1, -3.739f, 1.00794f}, {6, 6.646f, 12.0107f},  {8, 5.803f, 15.9994f},
                             {14, 4.149f, 28.0855f}, {26, 9.45f, 55.845f},   {29, 7.718f, 63.546f},
                             {82, 9.4017f, 207.2f},  {88, 10.0f, 226.025f}, {92, 8.417f, 238.029f}};
  for (const Printed& p : printed) {
    EXPECT_EQ(kNeutronTable[p.z - 1].b, p.b) << p.z;
    EXPECT_EQ(kNeutronTable[p.z - 1].weight, p.weight) << p.z;
  }
  for (int z = 1; z <= 92; ++z) {
    const bool unknown = z == 84 || z == 85 || z == 86 || z == 87 || z == 89;
    EXPECT_EQ(kNeutronTable[z - 1].b == 0.0f, unknown) << z;
  }
}

TEST(VictoreenTable, ReproducesThePrintedRows) {
  struct Printed {
    int z;
    std::array<float, 15> regions;
    float weight;
  };
  const Printed printed[] = {
      {1, {0.0127f, 4.66e-06f, 100}, 1.00794f},
      {6, {1.22f, 0.0142f, 100}, 12.011f},
      {8, {3.18f, 0.0654f, 100}, 15.9994f},
      {14, {18.2f, 1.1f, 6.7446f}, 28.0855f},
      {26, {126, 27.2f, 1.743f, 9.95f, 0.433f, 10}, 55.847f},
      {56, {1310, 1460, 0.3314f, 147, 37.3f, 2.0677f, 123, 24, 2.2044f, 56.3f, 7.86f, 2.3628f, 19.2f, 1.72f, 10},
       137.327f},
      {82, {0, 0, 0, 570, 333, 0.7815f, 484, 244, 0.81507f, 287, 104, 0.9503f, 94.1f, 20, 3.226f}, 207.2f},
  };
  for (const Printed& p : printed) {
    const VictoreenRow& row = kVictoreenTable[static_cast<std::size_t>(p.z - 1)];
    for (int k = 0; k < 5; ++k) {
      EXPECT_EQ(row.region[k].c, p.regions[3 * k]) << p.z << " region " << k + 1;
      EXPECT_EQ(row.region[k].d, p.regions[3 * k + 1]) << p.z << " region " << k + 1;
      EXPECT_EQ(row.region[k].edge, p.regions[3 * k + 2]) << p.z << " region " << k + 1;
    }
    EXPECT_EQ(row.weight, p.weight) << p.z;
  }
  // The last region ends between 2.757 A (Sc) and 100 A; edges rise.
  EXPECT_EQ(kVictoreenTable[11].region[0].edge, 9.5117f);
  EXPECT_EQ(kVictoreenTable[20].region[0].edge, 2.757f);
  for (const VictoreenRow& row : kVictoreenTable) {
    float last = 0.0f;
    for (const VictoreenRegion& r : row.region) {
      if (r.edge == 0.0f) continue;
      EXPECT_GT(r.edge, last);
      last = r.edge;
    }
    EXPECT_GE(last, 2.757f);
    EXPECT_LE(last, 100.0f);
  }
}

TEST(SphereTable, ReproducesThePrintedValuesRisesWithMuRAndFallsWithTheta) {
  // Rows mu R = 0.1, 0.5, 1, 2, 10, 31.5 at theta = 0, 20, 45, 70, 90.
  const int rows[] = {1, 5, 10, 20, 100, 143};
  const int cols[] = {0, 4, 9, 14, 18};
  const float printed[6][5] = {{1.161f, 1.161f, 1.159f, 1.157f, 1.156f},
                               {2.076f, 2.057f, 1.99f, 1.92f, 1.895f},
                               {4.124f, 3.963f, 3.505f, 3.121f, 3.008f},
                               {14, 11.75f, 7.961f, 5.995f, 5.505f},
                               {1333, 206.9f, 60.44f, 32.48f, 26.7f},
                               {41670, 892.2f, 211.4f, 105.4f, 84.01f}};
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 5; ++c) EXPECT_EQ(kSphereTable[rows[r]][cols[c]], printed[r][c]) << r << " " << c;
  for (float v : kSphereTable[0]) EXPECT_EQ(v, 1.0f);
  for (int r = 1; r < kSphereRows; ++r)
    for (int c = 0; c < kSphereColumns; ++c) {
      EXPECT_GT(kSphereTable[r][c], kSphereTable[r - 1][c]) << r << " " << c;
      if (c > 0) {
        EXPECT_LE(kSphereTable[r][c], kSphereTable[r][c - 1]) << r << " " << c;
      }
    }
}

}  // namespace
}  // namespace korva
