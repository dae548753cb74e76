// The lane kernels for AVX2 with FMA (the SLEEF functions of that level need
// both); built with -mavx2 -mfma and called only where the processor has
// them.  Nothing else may live here: inline functions compiled for AVX2
// could be picked for the whole program.
#if defined(__x86_64__)
#include <immintrin.h>
#include <sleef.h>

#include "crystal/atom_sums_impl.hpp"

namespace korva::lanes {
namespace {

struct Avx2 {
  using type = __m256;
  static constexpr std::size_t width = 8;
  static type load(const float* p) { return _mm256_loadu_ps(p); }
  static void store(float* p, type v) { _mm256_storeu_ps(p, v); }
  static type set1(float v) { return _mm256_set1_ps(v); }
  static type add(type a, type b) { return _mm256_add_ps(a, b); }
  static type mul(type a, type b) { return _mm256_mul_ps(a, b); }
  static type neg(type a) { return _mm256_xor_ps(a, _mm256_set1_ps(-0.0f)); }
  static void sincos(type v, type& s, type& c) {
    const Sleef___m256_2 r = Sleef_sincosf8_u35avx2(v);
    s = r.x;
    c = r.y;
  }
  static type cos(type v) { return Sleef_cosf8_u35avx2(v); }
  static type exp(type v) { return Sleef_expf8_u10avx2(v); }
  static bool any_negative(type v) {
    return _mm256_movemask_ps(_mm256_cmp_ps(v, _mm256_setzero_ps(), _CMP_LT_OQ)) != 0;
  }
};

}  // namespace

bool temperature_factors_avx2(const AtomLaneArrays& atoms, const LaneOperator* ops, int ns, float* t) {
  return temperature_factors<Avx2>(atoms, ops, ns, t);
}

void operator_sums_avx2(const AtomLaneArrays& atoms, const LaneOperator* ops, int ns, const float* t,
                        std::size_t t_stride, bool sine, float* a, float* b) {
  operator_sums<Avx2>(atoms, ops, ns, t, t_stride, sine, a, b);
}

}  // namespace korva::lanes
#endif
