// The inner loops of the structure factor, several atoms at a time: the
// operator sums A = sum_k T_k cos(arg_k) and B = sum_k T_k sin(arg_k) of
// each atom, and the temperature factors T = exp(-h'^T beta h') when the
// atoms do not share a few sets of betas.
//
// Every lane does the operations of the single-atom formula in the same
// order (no fused multiply-add), so a lane differs from the scalar sum only
// in the last bits of the SLEEF cosine, sine and exponential.
#pragma once

#include <cstddef>
#include <vector>

namespace korva {

// Atoms in lanes: arrays of n values (n a multiple of kAtomLanes; pad lanes
// hold zeros).
constexpr std::size_t kAtomLanes = 8;

struct AtomLaneArrays {
  const float* x[3];   // fractional coordinates
  const float* bt[6];  // betas (used by lane_temperature_factors only)
  std::size_t n;
};

// One operator for the reflection of the call: h' as reals, h.t, and the
// six products h1^2, h2^2, h3^2, 2h1h2, 2h1h3, 2h2h3.
struct LaneOperator {
  float h[3];
  float p;
  float q[6];
};

// T of every operator and lane into t[k * n + i]; false (t unfinished) when
// an exponent is negative.
bool lane_temperature_factors(const AtomLaneArrays& atoms, const LaneOperator* ops, int ns, float* t);

// A and B of every lane.  t_stride 0: operator k has the one factor t[k] for
// all lanes; otherwise lane i of operator k uses t[k * t_stride + i].  With
// sine false only A is formed (b is left alone).
void lane_operator_sums(const AtomLaneArrays& atoms, const LaneOperator* ops, int ns, const float* t,
                        std::size_t t_stride, bool sine, float* a, float* b);

// The two kernels for one instruction set.  lane_kernels lists those the
// processor can run, the best first: the one the functions above use.
struct LaneKernels {
  const char* isa;  // "avx2", "sse2" or "scalar"
  bool (*temperature_factors)(const AtomLaneArrays&, const LaneOperator*, int, float*);
  void (*operator_sums)(const AtomLaneArrays&, const LaneOperator*, int, const float*, std::size_t, bool, float*,
                        float*);
};
std::vector<LaneKernels> lane_kernels();

}  // namespace korva
