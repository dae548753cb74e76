// Fixed-column output fields, as the listing, the .cal file and the PostScript
// page lay them out: Iw, Fw.d, Ew.d, Aw and nX.  Each function returns exactly
// w characters.
//
// A value that needs more columns than its field has is shown as w asterisks,
// the way a Fortran formatter shows it: a damaged column is visible at once
// and never shifts the columns after it.
#pragma once

#include <string>
#include <string_view>

namespace korva {

// Iw: integer right-aligned in w columns.
std::string I(long long v, int w);

// Fw.d: fixed point, d decimals, right-aligned in w columns.  Rounding is to
// the nearest d-decimal value of the exact binary value, halves away from
// zero.  A zero before the decimal point is dropped when the field would
// otherwise overflow (F4.3 of 0.5 is ".500"); a value that rounds to zero
// keeps no minus sign.  Non-finite values give asterisks.
std::string F(double v, int w, int d);

// Ew.d: exponent form 0.ddddE+xx in w columns (d significant decimals), the
// leading zero dropped when there is no room for it.  Exponents beyond
// +-99 are written with three digits and no letter, as Fortran does.
std::string E(double v, int w, int d);

// Aw: text in w columns; a shorter text is right-aligned, a longer one cut
// to its first w characters.
std::string A(std::string_view s, int w);

// nX: n blank columns.
inline std::string X(int n) { return std::string(n > 0 ? n : 0, ' '); }

// A fixed-length text field: s cut or blank-padded to exactly n characters.
std::string pad(std::string_view s, std::size_t n);

// s without its trailing blanks.
std::string_view trim_right(std::string_view s);
// s without leading blanks (left-adjusted), trailing blanks kept.
std::string_view trim_left(std::string_view s);

}  // namespace korva
