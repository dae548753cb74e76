#include "crystal/atom_sums.hpp"

#include <cmath>

#include "crystal/atom_sums_impl.hpp"

#if defined(__x86_64__)
#include <emmintrin.h>
#include <sleef.h>
#endif

namespace korva {
namespace lanes {

#if defined(__x86_64__)
bool temperature_factors_avx2(const AtomLaneArrays& atoms, const LaneOperator* ops, int ns, float* t);
void operator_sums_avx2(const AtomLaneArrays& atoms, const LaneOperator* ops, int ns, const float* t,
                        std::size_t t_stride, bool sine, float* a, float* b);
#endif

namespace {

#if defined(__x86_64__)
// SSE2 is part of every x86-64 processor.
struct Sse2 {
  using type = __m128;
  static constexpr std::size_t width = 4;
  static type load(const float* p) { return _mm_loadu_ps(p); }
  static void store(float* p, type v) { _mm_storeu_ps(p, v); }
  static type set1(float v) { return _mm_set1_ps(v); }
  static type add(type a, type b) { return _mm_add_ps(a, b); }
  static type mul(type a, type b) { return _mm_mul_ps(a, b); }
  static type neg(type a) { return _mm_xor_ps(a, _mm_set1_ps(-0.0f)); }
  static void sincos(type v, type& s, type& c) {
    const Sleef___m128_2 r = Sleef_sincosf4_u10sse2(v);
    s = r.x;
    c = r.y;
  }
  static type cos(type v) { return Sleef_cosf4_u10sse2(v); }
  static type exp(type v) { return Sleef_expf4_u10sse2(v); }
  static bool any_negative(type v) { return _mm_movemask_ps(_mm_cmplt_ps(v, _mm_setzero_ps())) != 0; }
};

bool have_avx2() {
  static const bool yes = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  return yes;
}

#else
// Other processors: one lane, the C library's functions.
struct Scalar {
  using type = float;
  static constexpr std::size_t width = 1;
  static type load(const float* p) { return *p; }
  static void store(float* p, type v) { *p = v; }
  static type set1(float v) { return v; }
  static type add(type a, type b) { return a + b; }
  static type mul(type a, type b) { return a * b; }
  static type neg(type a) { return -a; }
  static void sincos(type v, type& s, type& c) {
    s = std::sin(v);
    c = std::cos(v);
  }
  static type cos(type v) { return std::cos(v); }
  static type exp(type v) { return std::exp(v); }
  static bool any_negative(type v) { return v < 0.0f; }
};
#endif

}  // namespace
}  // namespace lanes

std::vector<LaneKernels> lane_kernels() {
  std::vector<LaneKernels> out;
#if defined(__x86_64__)
  if (lanes::have_avx2()) out.push_back({"avx2", lanes::temperature_factors_avx2, lanes::operator_sums_avx2});
  out.push_back({"sse2", lanes::temperature_factors<lanes::Sse2>, lanes::operator_sums<lanes::Sse2>});
#else
  out.push_back({"scalar", lanes::temperature_factors<lanes::Scalar>, lanes::operator_sums<lanes::Scalar>});
#endif
  return out;
}

bool lane_temperature_factors(const AtomLaneArrays& atoms, const LaneOperator* ops, int ns, float* t) {
  static const LaneKernels best = lane_kernels().front();
  return best.temperature_factors(atoms, ops, ns, t);
}

void lane_operator_sums(const AtomLaneArrays& atoms, const LaneOperator* ops, int ns, const float* t,
                        std::size_t t_stride, bool sine, float* a, float* b) {
  static const LaneKernels best = lane_kernels().front();
  best.operator_sums(atoms, ops, ns, t, t_stride, sine, a, b);
}

}  // namespace korva
