#include "plot/primitives.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "support/format.hpp"
#include "support/numeric.hpp"

namespace korva {
namespace {

// The point value of a centimetre argument, formed in single precision.
float pt(float cm) { return cm * kPointsPerCm; }

std::string P(float cm, int w, int d) { return F(pt(cm), w, d); }

// Writes "(" + body + ") s" with at most per_line characters to a line.  An
// escape pair is never cut, so a backslash cannot end a line and join it
// with the next.
void write_string(Plotter& out, std::string_view body, std::size_t per_line) {
  std::vector<std::string> tokens;
  tokens.reserve(body.size() + 4);
  tokens.emplace_back("(");
  for (char c : body) {
    if (c == '(' || c == ')' || c == '\\') {
      tokens.push_back(std::string{'\\', c});
    } else {
      tokens.emplace_back(1, c);
    }
  }
  tokens.emplace_back(")");
  tokens.emplace_back(" ");
  tokens.emplace_back("s");
  std::string line;
  for (const std::string& t : tokens) {
    if (line.size() + t.size() > per_line && !line.empty()) {
      out.ps.line(line);
      line.clear();
    }
    line += t;
  }
  if (!line.empty()) out.ps.line(line);
}

// The first n characters of a blank-padded text field.
std::string field(std::string_view text, int n) { return pad(text, n > 0 ? static_cast<std::size_t>(n) : 0); }

int clamp_count(int n, std::size_t size) {
  if (n < 0) return 0;
  return static_cast<std::size_t>(n) > size ? static_cast<int>(size) : n;
}

}  // namespace

std::string ps_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '(' || c == ')' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

void plots_(Plotter& out) {
  OutUnit& ps = out.ps;
  ps.line(pad("%!", 70));
  ps.line("/m  {moveto} def /l  {lineto} def /s  {show  } def /st {stroke} def ");
  ps.line(pad("/rl {rlineto} def", 70));
  ps.line(pad("/s  {show  } def", 70));
  ps.line(pad("610 20 translate 90 rotate", 70));
}

void plot_(Plotter& out, float x, float y, int ipen) {
  if (ipen == 3) {
    out.ps.line(P(x, 8, 1) + P(y, 8, 1) + " m");
  } else if (ipen == 2) {
    out.ps.line(P(x, 8, 1) + P(y, 8, 1) + " l st ");
  } else if (ipen == 999) {
    // The end of the page is the end of the file; the run puts the file in
    // its place once everything else went well.
    out.ps.line(pad("showpage", 8));
    out.ps.end_file();
  }
}

void symbol_(Plotter& out, float x, float y, float, std::string_view text, float angle, int nchar) {
  OutUnit& ps = out.ps;
  ps.line(P(x, 8, 1) + P(y, 8, 1) + " m");
  const bool rotate = angle > 0;
  if (rotate) ps.line(std::string(1, ' ').append(F(angle, 7, 2)).append(" rotate"));
  write_string(out, field(text, nchar), 90);
  if (rotate) ps.line(P(x, 6, 1) + P(y, 6, 1) + " m" + " " + F(-angle, 7, 2) + " rotate");
}

void number_(Plotter& out, float x, float y, float, float value, float, int ndec) {
  out.ps.line(P(x, 6, 1) + P(y, 6, 1) + " m");
  if (ndec >= 1) {
    const int w = ndec / 10;
    const int d = ndec % 10;
    const float limit = std::pow(10.0f, static_cast<float>(w - d));
    if (value > limit) {
      out.notes.emplace_back("the number is to large");
      return;
    }
    write_string(out, F(value, w, d), 90);
    return;
  }
  const int r = nint(value);
  const long long mag = std::llabs(static_cast<long long>(r));
  int k = 1;
  for (long long m = mag; m >= 10; m /= 10) ++k;
  write_string(out, I(r, k + 1), 90);
}

void newpen_(Plotter& out, int ipen) {
  static constexpr const char* kColours[] = {" 0 0 0 setrgbcolor", " 1 0 0 setrgbcolor",
                                             " 0 1 0 setrgbcolor", " 0 0 1 setrgbcolor"};
  if (ipen >= 0 && ipen <= 3) out.ps.line(kColours[ipen]);
}

void dash_(Plotter& out, int idash) {
  static constexpr const char* kPatterns[] = {"[5 0] 0 setdash", "[5 3] 0 setdash", "[2 3] 0 setdash",
                                              "[6 4 2 4] 0 setdash"};
  if (idash >= 0 && idash <= 3) out.ps.line(kPatterns[idash]);
}

void fonts_(Plotter& out, float size, std::string_view name) {
  const int points = itrunc(pt(size));
  out.ps.line(std::string(1, '/').append(pad(name, 20)).append(" findfont").append(I(points, 4)).append(" scalefont setfont"));
}

void transl_(Plotter& out, float x, float y) { out.ps.line(P(x, 10, 2) + P(y, 10, 2) + "  translate"); }

void frame_(Plotter& out, int, float x1, float x2, float y1, float y2) {
  out.ps.line("newpath " + P(x1, 6, 1) + P(y1, 6, 1) + " m  0 " + P(y2 - y1, 6, 1) + " rl " +
                 P(x2 - x1, 6, 1) + " 0 rl" + " 0 " + P(y1 - y2, 6, 1) + " rl closepath ");
  out.ps.line("  0.5 setlinewidth st");
}

void line_(Plotter& out, float dx, std::span<const float> y, int n) {
  OutUnit& ps = out.ps;
  n = clamp_count(n, y.size());
  if (n >= 1) ps.line(P(1.0f, 8, 1) + P(y[0], 8, 1) + " m");
  std::string text;
  int on_line = 0;
  for (int i = 2; i <= n; ++i) {
    // x from the sample counter, so rounding does not accumulate along the scan.
    const float x = 1.0f + static_cast<float>(i - 1) * dx;
    text += P(x, 8, 1) + P(y[i - 1], 8, 1) + " l";
    if (++on_line == 4) {
      ps.line(text);
      text.clear();
      on_line = 0;
    }
  }
  if (on_line > 0) ps.line(text);
  ps.line("st");
}

void line2_(Plotter& out, float dx, std::span<const float> y, int ishift, int n) {
  OutUnit& ps = out.ps;
  n = clamp_count(n, y.size());
  const long long shift = ishift < 0 ? -static_cast<long long>(ishift) : ishift;
  const long long count = n - shift;
  bool first = true;
  for (long long j = 0; j < count; ++j) {
    const long long column = ishift >= 0 ? shift + j : j;
    const float v = y[static_cast<std::size_t>(ishift >= 0 ? j : shift + j)];
    if (!(v < kNoMeasurement)) continue;
    const float x = 1.0f + static_cast<float>(column) * dx;
    ps.line(P(x, 8, 1) + P(v, 8, 1) + (first ? " m" : " l"));
    first = false;
  }
  ps.line("st");
}

void line1_(Plotter& out, std::span<const float> x, std::span<const float> y, float w, int n) {
  n = clamp_count(clamp_count(n, x.size()), y.size());
  if (n < 1) return;
  int split = n;
  for (int i = n; i >= 2; --i) {
    if (std::fabs(x[i - 1] - x[i - 2]) > 0.8f * w) {
      split = i;
      break;
    }
  }
  OutUnit& ps = out.ps;
  // One path: a move to point `from`, then line-tos through points from..to.
  const auto path = [&](int from, int to) {
    ps.line(P(x[from - 1], 6, 1) + P(y[from - 1], 6, 1) + " m");
    std::string text;
    int on_line = 0;
    for (int i = from; i <= to; ++i) {
      text += P(x[i - 1], 6, 1) + P(y[i - 1], 6, 1) + " l";
      if (++on_line == 5) {
        ps.line(text);
        text.clear();
        on_line = 0;
      }
    }
    if (on_line > 0) ps.line(text);
    ps.line("st");
  };
  if (split == n) {
    path(1, n);
  } else {
    path(1, split - 1);
    path(split, n);
  }
}

void axis_(Plotter& out, float x0, float y0, std::string_view label, int nc, float axlen, float, float firstv,
           float deltav) {
  OutUnit& ps = out.ps;
  ps.line(P(x0, 6, 1) + P(y0, 6, 1) + " m " + P(x0 + axlen, 6, 1) + P(y0, 6, 1) + " l st " +
          P(x0 + axlen / 2 - 0.5f, 6, 1) + P(y0 - 1.5f, 6, 1) + " m ");
  write_string(out, field(label, nc < 0 ? -nc : nc), 72);
  ps.line(pad("/Courier-Bold findfont [10 0 0 12 0 0] makefont setfont", 80));
  for (int k = 0; k <= 20; ++k) {
    const float v = firstv + static_cast<float>(k) * deltav;
    const float t = v - firstv;
    // A zero step still spaces the ticks one centimetre apart.
    const float x = deltav != 0 ? x0 + t / deltav : x0 + static_cast<float>(k);
    ps.line(P(x, 6, 1) + P(y0, 6, 1) + " m" + P(x, 6, 1) + P(y0 - 0.3f, 6, 1) + " l st ");
    if (k % 5 == 0) number_(out, x - 0.95f, y0 - 0.8f, 0.0f, v, 0.0f, 72);
  }
}

void symbo1_(Plotter& out, int nplot, long long ntot, float drumin) {
  OutUnit& ps = out.ps;
  const std::string roman = pad("/Times-Roman findfont [14 0 0 14 0 0] makefont setfont", 80);
  const auto move = [&](float x, float y) { ps.line(P(x, 6, 1) + P(y, 6, 1) + " m"); };
  ps.line(roman);
  move(22.0f, 3.9f);
  if (nplot == ntot) {
    write_string(out, "All events", 90);
  } else if (nplot < 1) {
    write_string(out, "No events", 90);
  } else {
    write_string(out, "Events with I(cps) >", 90);
    number_(out, 26.0f, 3.9f, 0.0f, drumin, 0.0f, 92);
  }
  move(22.0f, 3.3f);
  write_string(out, "are plotted in the", 90);
  move(22.0f, 2.7f);
  ps.line(pad("/Symbol findfont [14 0 0 14 0 0] makefont setfont", 80));
  write_string(out, "y-l", 90);
  ps.line(roman);
  write_string(out, "-diagram", 90);
}

}  // namespace korva
