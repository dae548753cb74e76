#include "support/listread.hpp"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace korva {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\0'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool ends_value(char c) { return is_blank(c) || c == ',' || c == '/'; }

// Parses the whole of s as a real constant: sign, digits with at most one
// point (at least one digit), optional exponent with a letter E, D or Q or
// with only a sign.  Returns the value as written, in double precision.
bool parse_real(std::string_view s, double& out) {
  std::size_t i = 0;
  std::string text;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) text += s[i++];
  int mantissa_digits = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    if (is_digit(s[i])) {
      ++mantissa_digits;
      text += s[i];
    } else if (s[i] == '.' && !point) {
      point = true;
      text += '.';
    } else {
      break;
    }
  }
  if (mantissa_digits == 0) return false;
  if (i < s.size()) {
    char c = s[i];
    if (c == 'e' || c == 'E' || c == 'd' || c == 'D' || c == 'q' || c == 'Q') ++i;
    else if (c != '+' && c != '-') return false;
    text += 'e';
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) text += s[i++];
    int exp_digits = 0;
    for (; i < s.size() && is_digit(s[i]); ++i, ++exp_digits) text += s[i];
    if (exp_digits == 0 || i != s.size()) return false;
  }
  errno = 0;
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(out);
}

bool parse_int(std::string_view s, long long& out) {
  std::size_t i = 0;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  if (i == s.size()) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (!is_digit(s[i])) return false;
    v = v * 10 + (s[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) return false;
  }
  out = neg ? -v : v;
  return out >= INT_MIN && out <= INT_MAX;
}

bool assign(const ListItem& item, std::string_view token) {
  if (auto* p = std::get_if<int*>(&item)) {
    long long v = 0;
    if (!parse_int(token, v)) return false;
    **p = static_cast<int>(v);
    return true;
  }
  double v = 0.0;
  if (!parse_real(token, v)) return false;
  if (auto* p = std::get_if<float*>(&item)) {
    if (std::fabs(v) > FLT_MAX) return false;
    **p = static_cast<float>(v);
  } else {
    **std::get_if<double*>(&item) = v;
  }
  return true;
}

}  // namespace

ReadStatus ListReader::get(const ListItem& item) {
  if (slash_) return ReadStatus::ok;
  if (repeat_left_ > 0) {
    --repeat_left_;
    if (repeat_null_) return ReadStatus::ok;
    return assign(item, repeat_value_) ? ReadStatus::ok : ReadStatus::bad_value;
  }
  for (;;) {
    if (!have_record_ || pos_ >= rec_.size()) {
      if (!in_.next(rec_)) return ReadStatus::end_of_file;
      have_record_ = true;
      pos_ = 0;
      continue;
    }
    const char c = rec_[pos_];
    if (is_blank(c)) {
      ++pos_;
      continue;
    }
    if (c == ',') {
      ++pos_;
      const bool null_value = after_separator_;
      after_separator_ = true;
      if (null_value) return ReadStatus::ok;  // item unchanged
      continue;
    }
    if (c == '/') {
      slash_ = true;
      return ReadStatus::ok;
    }
    std::size_t end = pos_;
    while (end < rec_.size() && !ends_value(rec_[end])) ++end;
    std::string_view token(rec_.data() + pos_, end - pos_);
    pos_ = end;
    after_separator_ = false;
    if (const std::size_t star = token.find('*'); star != std::string_view::npos) {
      long long repeat = 0;
      if (!parse_int(token.substr(0, star), repeat) || repeat < 1) return ReadStatus::bad_value;
      repeat_value_ = std::string(token.substr(star + 1));
      repeat_null_ = repeat_value_.empty();
      repeat_left_ = repeat - 1;
      if (repeat_null_) return ReadStatus::ok;
      return assign(item, repeat_value_) ? ReadStatus::ok : ReadStatus::bad_value;
    }
    return assign(item, token) ? ReadStatus::ok : ReadStatus::bad_value;
  }
}

ReadStatus read_list(InUnit& in, std::span<const ListItem> items) {
  ListReader reader(in);
  for (const ListItem& item : items) {
    const ReadStatus st = reader.get(item);
    if (st != ReadStatus::ok) return st;
    if (reader.ended()) break;
  }
  return ReadStatus::ok;
}

ReadStatus read_list(InUnit& in, std::initializer_list<ListItem> items) {
  return read_list(in, std::span<const ListItem>(items.begin(), items.size()));
}

ReadStatus read_list(std::string_view text, std::initializer_list<ListItem> items) {
  InUnit internal;
  internal.open_text(text);
  return read_list(internal, items);
}

std::string columns(std::string_view record, int first, int last) {
  std::string out;
  for (int col = first; col <= last; ++col) {
    const std::size_t i = static_cast<std::size_t>(col - 1);
    out += (col >= 1 && i < record.size()) ? record[i] : ' ';
  }
  return out;
}

bool read_fixed_real(std::string_view field, int d, float& value) {
  std::string s;
  for (char c : field)
    if (!is_blank(c)) s += c;
  if (s.empty()) {
    value = 0.0f;
    return true;
  }
  double v = 0.0;
  if (!parse_real(s, v)) return false;
  if (s.find('.') == std::string::npos) v /= std::pow(10.0, d);  // implied decimals
  if (!std::isfinite(v) || std::fabs(v) > FLT_MAX) return false;
  value = static_cast<float>(v);
  return true;
}

bool read_fixed_int(std::string_view field, int& value) {
  std::string s;
  for (char c : field)
    if (!is_blank(c)) s += c;
  if (s.empty()) {
    value = 0;
    return true;
  }
  long long v = 0;
  if (!parse_int(s, v)) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace korva
