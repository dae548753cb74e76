#include "cif/setting.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "cif/cif_reader.hpp"
#include "crystal/spacegroup_table.hpp"

namespace korva::cif {

namespace {

constexpr int kDen = gemmi::Op::DEN;

std::vector<gemmi::Op> sorted(std::vector<gemmi::Op> ops) {
  for (gemmi::Op& op : ops) op.wrap();
  std::sort(ops.begin(), ops.end());
  ops.erase(std::unique(ops.begin(), ops.end()), ops.end());
  return ops;
}

std::vector<gemmi::Op::Rot> rotations(const std::vector<gemmi::Op>& ops) {
  std::vector<gemmi::Op::Rot> r;
  for (const gemmi::Op& op : ops) r.push_back(op.rot);
  std::sort(r.begin(), r.end());
  r.erase(std::unique(r.begin(), r.end()), r.end());
  return r;
}

std::vector<gemmi::Op::Tran> centring_of(const std::vector<gemmi::Op>& ops) {
  std::vector<gemmi::Op::Tran> c;
  for (const gemmi::Op& op : ops)
    if (op.rot == gemmi::Op::identity().rot) c.push_back(op.tran);
  std::sort(c.begin(), c.end());
  return c;
}

bool inversion_at_origin(const std::vector<gemmi::Op>& ops) {
  gemmi::Op inv = gemmi::Op::identity();
  inv.rot = inv.negated_rot();
  return std::binary_search(ops.begin(), ops.end(), inv);
}

// Squared length of a shift with components taken in (-1/2, 1/2].
int shift_norm(const std::array<int, 3>& p) {
  int n = 0;
  for (int v : p) {
    const int w = v > kDen / 2 ? v - kDen : v;
    n += w * w;
  }
  return n;
}

// x' = x - p turns x -> R x + t into x' -> R x' + (t + R p - p).
gemmi::Op shifted(gemmi::Op op, const std::array<int, 3>& p) {
  for (int i = 0; i < 3; ++i) {
    int rp = 0;
    for (int j = 0; j < 3; ++j) rp += op.rot[i][j] * p[j];
    op.tran[i] += rp / kDen - p[i];
  }
  return op.wrap();
}

// The group's operators in the input's coordinates, x' = x - p.
std::vector<gemmi::Op> shifted_group(const std::vector<gemmi::Op>& ops, const std::array<int, 3>& p) {
  std::vector<gemmi::Op> out;
  out.reserve(ops.size());
  for (const gemmi::Op& op : ops) out.push_back(shifted(op, p));
  return sorted(out);
}

// The whole group of table entry nr, as CifCrystal::ops is held.
std::vector<gemmi::Op> table_group(int nr) {
  const SpaceGroupEntry& e = space_group_entry(nr);
  std::vector<gemmi::Op> stored;
  for (int k = 0; k < e.ns; ++k) {
    gemmi::Op op;
    for (int j = 0; j < 3; ++j) {
      op.tran[j] = static_cast<int>(std::lround(e.t[k][j] * kDen));
      for (int m = 0; m < 3; ++m) op.rot[j][m] = static_cast<int>(std::lround(e.s[k][j][m])) * kDen;
    }
    stored.push_back(op);
    if (e.code == 2) stored.push_back(gemmi::Op{op.negated_rot(), {-op.tran[0], -op.tran[1], -op.tran[2]}});
  }
  // The lattice letter of the symbol; R entries are on rhombohedral axes and
  // so primitive.
  std::vector<gemmi::Op::Tran> centring = {{0, 0, 0}};
  const int h = kDen / 2;
  switch (e.symbol[0]) {
    case 'A': centring.push_back({0, h, h}); break;
    case 'B': centring.push_back({h, 0, h}); break;
    case 'C': centring.push_back({h, h, 0}); break;
    case 'I': centring.push_back({h, h, h}); break;
    case 'F': centring.insert(centring.end(), {{h, h, 0}, {h, 0, h}, {0, h, h}}); break;
    default: break;
  }
  std::vector<gemmi::Op> all;
  for (const gemmi::Op& op : stored)
    for (const gemmi::Op::Tran& c : centring) all.push_back(op.translated(c));
  return sorted(all);
}

}  // namespace

Setting choose_setting(const std::vector<gemmi::Op>& given) {
  const std::vector<gemmi::Op> ops = sorted(given);
  Setting s;
  s.order = static_cast<int>(ops.size());
  const std::vector<gemmi::Op::Rot> rots = rotations(ops);

  // A table entry, after the shortest origin shift on a grid of 1/24 (which
  // holds every origin of the standard settings).
  int best = std::numeric_limits<int>::max();
  for (int nr = 1; nr <= 230; ++nr) {
    const std::vector<gemmi::Op> t = table_group(nr);
    if (t.size() != ops.size() || rotations(t) != rots) continue;
    for (int a = 0; a < kDen; ++a)
      for (int b = 0; b < kDen; ++b)
        for (int c = 0; c < kDen; ++c) {
          const std::array<int, 3> p = {a, b, c};
          if (shift_norm(p) >= best) continue;
          // Equal sizes: every shifted operator in t makes the sets equal.
          if (!std::all_of(ops.begin(), ops.end(), [&](const gemmi::Op& op) {
                return std::binary_search(t.begin(), t.end(), shifted(op, p));
              }))
            continue;
          best = shift_norm(p);
          s.table = true;
          s.nr = nr;
          s.shift = p;
        }
  }
  if (s.table) {
    const std::string_view sym = space_group_entry(s.nr).symbol;
    s.table_symbol = std::string(sym.substr(0, sym.find_last_not_of(' ') + 1));
    return s;
  }

  // Explicit operators.  Without an inversion through the origin every
  // operator modulo centring is written; more than 24 of them happen only in
  // centrosymmetric groups, whose origin is then moved to an inversion centre.
  std::vector<gemmi::Op> group = ops;
  const std::size_t per_centring = ops.size() / centring_of(ops).size();
  if (!inversion_at_origin(group) && per_centring > 24) {
    const auto inv = std::find_if(group.begin(), group.end(),
                                  [](const gemmi::Op& op) { return op.rot == gemmi::Op::identity().negated_rot(); });
    bool placed = false;
    if (inv != group.end()) {
      for (const gemmi::Op::Tran& c : centring_of(group)) {
        std::array<int, 3> t = {inv->tran[0] + c[0], inv->tran[1] + c[1], inv->tran[2] + c[2]};
        if (t[0] % 2 || t[1] % 2 || t[2] % 2) continue;
        s.shift = {(t[0] / 2) % kDen, (t[1] / 2) % kDen, (t[2] / 2) % kDen};
        group = shifted_group(ops, s.shift);
        placed = true;
        break;
      }
    }
    if (!placed) throw CifError("the group has more than 24 operators modulo centring and no centre of inversion "
                                "at a multiple of 1/24: korva cannot hold it");
  }
  s.centring = centring_of(group);
  s.ic = inversion_at_origin(group) ? 1 : 2;
  // One operator per rotation (the first in sorted order is the one with the
  // smallest translation); with the inversion implied, the proper rotations.
  gemmi::Op::Rot last{};
  bool first = true;
  for (const gemmi::Op& op : group) {
    if (!first && op.rot == last) continue;
    first = false;
    last = op.rot;
    if (s.ic == 1 && op.det_rot() < 0) continue;
    s.stored.push_back(op);
  }
  // The identity first, as the table lists it.
  std::stable_partition(s.stored.begin(), s.stored.end(),
                        [](const gemmi::Op& op) { return op.rot == gemmi::Op::identity().rot; });
  return s;
}

int site_multiplicity(const std::vector<gemmi::Op>& ops, const std::array<double, 3>& x,
                      const std::array<std::array<double, 3>, 3>& g, double tol) {
  std::vector<std::array<double, 3>> images;
  for (const gemmi::Op& op : ops) {
    std::array<double, 3> y = op.apply_to_xyz(x);
    for (double& v : y) v -= std::floor(v);
    const bool seen = std::any_of(images.begin(), images.end(), [&](const std::array<double, 3>& q) {
      double d[3];
      for (int i = 0; i < 3; ++i) d[i] = (y[i] - q[i]) - std::round(y[i] - q[i]);
      double d2 = 0;
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) d2 += d[i] * g[i][j] * d[j];
      return d2 < tol * tol;
    });
    if (!seen) images.push_back(y);
  }
  return static_cast<int>(images.size());
}

}  // namespace korva::cif
