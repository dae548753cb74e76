#include "support/format.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace korva {
namespace {

std::string stars(int w) { return std::string(w > 0 ? w : 0, '*'); }

std::string right(const std::string& s, int w) {
  if (static_cast<int>(s.size()) > w) return stars(w);
  return std::string(w - s.size(), ' ') + s;
}

// Adds one unit in the last place of a string of decimal digits; returns
// true when the carry runs out of the front (999 -> 000).
bool increment(std::string& digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it == '9') {
      *it = '0';
    } else {
      ++*it;
      return false;
    }
  }
  return true;
}

}  // namespace

std::string I(long long v, int w) { return right(std::to_string(v), w); }

std::string F(double v, int w, int d) {
  if (w <= 0) return {};
  if (!std::isfinite(v) || d < 0) return stars(w);
  // The exact decimal expansion of the binary value, far enough to decide
  // the rounding at decimal d (70 digits cover every float exactly).
  // (std::to_chars writes the same digits as printf's %.70f, many times
  // faster: the listing and the .cal file format thousands of values.)
  char buf[512];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, 70);
  if (res.ec != std::errc{}) return stars(w);
  std::string s(buf, res.ptr);
  const std::size_t point = s.find('.');
  std::string int_part = s.substr(0, point);
  std::string frac = s.substr(point + 1);
  std::string kept = int_part + frac.substr(0, d);
  if (frac[d] >= '5' && increment(kept)) kept.insert(kept.begin(), '1');
  int_part = kept.substr(0, kept.size() - d);
  frac = kept.substr(kept.size() - d);
  const bool zero = kept.find_first_not_of('0') == std::string::npos;
  const std::string sign = (v < 0 && !zero) ? "-" : "";
  std::string out = sign + int_part + "." + frac;
  if (static_cast<int>(out.size()) > w && int_part == "0") out = sign + "." + frac;
  return right(out, w);
}

std::string E(double v, int w, int d) {
  if (w <= 0) return {};
  if (!std::isfinite(v) || d <= 0) return stars(w);
  std::string digits(d, '0');
  int exponent = 0;
  if (v != 0.0) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%.40e", std::fabs(v));
    std::string s(buf);  // D.DDDD...e+XX
    const std::size_t epos = s.find('e');
    std::string all = s.substr(0, 1) + s.substr(2, epos - 2);
    int x = std::atoi(s.c_str() + epos + 1);
    digits = all.substr(0, d);
    if (all[d] >= '5' && increment(digits)) {
      digits.insert(digits.begin(), '1');
      digits.pop_back();
      ++x;
    }
    exponent = x + 1;  // 0.DDDD form
  }
  char ebuf[16];
  const int ae = exponent < 0 ? -exponent : exponent;
  if (ae <= 99) {
    std::snprintf(ebuf, sizeof ebuf, "E%c%02d", exponent < 0 ? '-' : '+', ae);
  } else if (ae <= 999) {
    std::snprintf(ebuf, sizeof ebuf, "%c%03d", exponent < 0 ? '-' : '+', ae);
  } else {
    return stars(w);
  }
  const std::string sign = v < 0 ? "-" : "";
  std::string out = sign + "0." + digits + ebuf;
  if (static_cast<int>(out.size()) > w) out = sign + "." + digits + ebuf;
  return right(out, w);
}

std::string A(std::string_view s, int w) {
  if (w <= 0) return {};
  if (static_cast<int>(s.size()) >= w) return std::string(s.substr(0, w));
  return std::string(w - s.size(), ' ') + std::string(s);
}

std::string pad(std::string_view s, std::size_t n) {
  std::string out(s.substr(0, std::min(n, s.size())));
  out.resize(n, ' ');
  return out;
}

std::string_view trim_right(std::string_view s) {
  const std::size_t end = s.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view{} : s.substr(0, end + 1);
}

std::string_view trim_left(std::string_view s) {
  const std::size_t start = s.find_first_not_of(' ');
  return start == std::string_view::npos ? std::string_view{} : s.substr(start);
}

}  // namespace korva
