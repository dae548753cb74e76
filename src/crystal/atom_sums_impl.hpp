// The body of the lane kernels, written once for any vector type V
// (a set of static functions: load, store, set1, add, mul, neg, sincos, cos,
// exp, any_negative and the lane count width).  Included only by the
// translation units that instantiate it for one instruction set.
#pragma once

#include "crystal/atom_sums.hpp"

namespace korva::lanes {

template <class V>
bool temperature_factors(const AtomLaneArrays& atoms, const LaneOperator* ops, int ns, float* t) {
  using T = typename V::type;
  const std::size_t n = atoms.n;
  for (int k = 0; k < ns; ++k) {
    const LaneOperator& o = ops[k];
    const T q0 = V::set1(o.q[0]), q1 = V::set1(o.q[1]), q2 = V::set1(o.q[2]);
    const T q3 = V::set1(o.q[3]), q4 = V::set1(o.q[4]), q5 = V::set1(o.q[5]);
    for (std::size_t i = 0; i < n; i += V::width) {
      T e = V::mul(q0, V::load(atoms.bt[0] + i));
      e = V::add(e, V::mul(q1, V::load(atoms.bt[1] + i)));
      e = V::add(e, V::mul(q2, V::load(atoms.bt[2] + i)));
      e = V::add(e, V::mul(q3, V::load(atoms.bt[3] + i)));
      e = V::add(e, V::mul(q4, V::load(atoms.bt[4] + i)));
      e = V::add(e, V::mul(q5, V::load(atoms.bt[5] + i)));
      if (V::any_negative(e)) return false;
      V::store(t + static_cast<std::size_t>(k) * n + i, V::exp(V::neg(e)));
    }
  }
  return true;
}

template <class V, bool kSine>
void operator_sums(const AtomLaneArrays& atoms, const LaneOperator* ops, int ns, const float* t,
                   std::size_t t_stride, float* a, float* b) {
  using T = typename V::type;
  const T two_pi = V::set1(6.283185f);
  for (std::size_t i = 0; i < atoms.n; i += V::width) {
    const T x0 = V::load(atoms.x[0] + i), x1 = V::load(atoms.x[1] + i), x2 = V::load(atoms.x[2] + i);
    T sa = V::set1(0.0f), sb = V::set1(0.0f);
    for (int k = 0; k < ns; ++k) {
      const LaneOperator& o = ops[k];
      T arg = V::add(V::mul(V::set1(o.h[0]), x0), V::mul(V::set1(o.h[1]), x1));
      arg = V::add(arg, V::mul(V::set1(o.h[2]), x2));
      arg = V::mul(two_pi, V::add(arg, V::set1(o.p)));
      const T tk = t_stride ? V::load(t + static_cast<std::size_t>(k) * t_stride + i) : V::set1(t[k]);
      if constexpr (kSine) {
        T s, c;
        V::sincos(arg, s, c);
        sa = V::add(sa, V::mul(tk, c));
        sb = V::add(sb, V::mul(tk, s));
      } else {
        sa = V::add(sa, V::mul(tk, V::cos(arg)));
      }
    }
    V::store(a + i, sa);
    if constexpr (kSine) V::store(b + i, sb);
  }
}

template <class V>
void operator_sums(const AtomLaneArrays& atoms, const LaneOperator* ops, int ns, const float* t,
                   std::size_t t_stride, bool sine, float* a, float* b) {
  if (sine) operator_sums<V, true>(atoms, ops, ns, t, t_stride, a, b);
  else operator_sums<V, false>(atoms, ops, ns, t, t_stride, a, b);
}

}  // namespace korva::lanes
