// Psi offset between psi = 0 of the diffractometer and psi = 0 of the
// calculation, from the reference direction u and the orientation matrix.
//
// The primary scattering vector N (diffractometer frame) is turned into the
// pole by an azimuth phi' and an elevation chi'; (a, b, c) are then the
// components of the reference direction M along (cos phi', sin phi', 0), N
// and the third axis completing the frame.  The offset is the angle between
// M and the first axis, signed by c.
#include <cmath>

#include "scan/helpers.hpp"

namespace korva {

namespace {

struct Vec3 {
  float x, y, z;
};

Vec3 times(const std::array<float, 9>& ub, float h, float k, float l) {
  return {ub[0] * h + ub[1] * k + ub[2] * l, ub[3] * h + ub[4] * k + ub[5] * l,
          ub[6] * h + ub[7] * k + ub[8] * l};
}

// v / |v|; false when v has no direction (zero, or not finite).
bool normalise(Vec3& v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (!(length > 0.0f) || !std::isfinite(length)) return false;
  v = {v.x / length, v.y / length, v.z / length};
  return true;
}

}  // namespace

float upsi_(int h, int k, int l, float u1, float u2, float u3, const std::array<float, 9>& ub) {
  // A singular matrix or a zero vector leaves no direction to refer to: no
  // offset rather than NaN in every psi of the run.
  Vec3 n = times(ub, static_cast<float>(h), static_cast<float>(k), static_cast<float>(l));
  Vec3 m = times(ub, u1, u2, u3);
  if (!normalise(n) || !normalise(m)) return 0.0f;

  constexpr float kTurn = 6.28318f;
  float phi = 0.0f;
  if (!(n.x == 0.0f && n.y == 0.0f)) {
    const float z = kTurn - std::atan2(n.x, n.y);
    phi = z - std::trunc(z / kTurn) * kTurn;
  }
  const float chi = std::atan2(n.z, std::sqrt(n.x * n.x + n.y * n.y));

  const float cp = std::cos(phi), sp = std::sin(phi);
  const float cc = std::cos(chi), sc = std::sin(chi);
  const float a = m.x * cp + m.y * sp;
  const float b = m.z * sc - m.x * sp * cc + m.y * cp * cc;
  const float c = m.z * cc - m.y * cp * sc + m.x * sp * sc;

  const float norm = std::sqrt(a * a + b * b + c * c);
  if (!(norm > 0.0f)) return 0.0f;
  float cosine = a / norm;  // rounding may step past +-1
  if (cosine > 1.0f) cosine = 1.0f;
  if (cosine < -1.0f) cosine = -1.0f;
  float psid = std::acos(cosine) * 57.2958f;
  if (c < 0.0f) psid = -psid;
  return psid;
}

}  // namespace korva
