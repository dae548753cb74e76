// Pen-plotter style drawing calls that write PostScript text to unit 7.
//
// Coordinates and sizes are centimetres; every call writes complete
// statements with absolute coordinates in points.  The library keeps no
// state of its own: colour, dash pattern, line width, font and origin live
// in the PostScript interpreter that renders the page.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/units.hpp"

namespace korva {

// Where the drawing calls write: the PostScript unit, and the notes a call
// leaves for the listing (a number too large for its field), in their order.
struct Plotter {
  OutUnit& ps;
  std::vector<std::string> notes;
};

// Centimetres to PostScript points (72/2.54 as a single-precision constant).
constexpr float kPointsPerCm = 28.34645f;

// A text as a PostScript string body: backslash before "(", ")" and "\",
// every other byte unchanged.
std::string ps_escape(std::string_view text);

// The file prolog: abbreviations m, l, s, st, rl and the landscape set-up.
void plots_(Plotter& out);

// ipen 3: move to (x, y); 2: draw to (x, y) and stroke; 999: end the page
// and close unit 7 (nothing is written after it); anything else: nothing.
void plot_(Plotter& out, float x, float y, int ipen);

// The first nchar characters of text at (x, y), rotated by angle degrees
// when angle > 0.  The height is ignored: the last font statement decides.
void symbol_(Plotter& out, float x, float y, float height, std::string_view text, float angle, int nchar);

// value at (x, y).  ndec >= 1 is a fixed-point format, width ndec / 10 and
// ndec % 10 decimals (a value above 10^(width - decimals) is not drawn and
// leaves the note "the number is to large"); ndec <= 0 draws the nearest
// whole number.  Height and angle are ignored.
void number_(Plotter& out, float x, float y, float height, float value, float angle, int ndec);

// Colour: 0 black, 1 red, 2 green, 3 blue.
void newpen_(Plotter& out, int ipen);

// Dash pattern 0 (solid) to 3.
void dash_(Plotter& out, int idash);

// The PostScript font name (20 characters at most) scaled to size cm.
void fonts_(Plotter& out, float size, std::string_view name);

// Moves the origin by (x, y); translations accumulate.
void transl_(Plotter& out, float x, float y);

// Rectangle x1..x2 by y1..y2; sets the line width to 0.5 points for
// everything that follows.  n is ignored.
void frame_(Plotter& out, int n, float x1, float x2, float y1, float y2);

// Polyline through (1 + (i - 1) dx, y(i)), i = 1..n.
void line_(Plotter& out, float dx, std::span<const float> y, int n);

// Polyline over equidistant x shifted by ishift whole samples (right for
// ishift > 0, left for ishift < 0); points with y >= 1.0E20 are left out.
void line2_(Plotter& out, float dx, std::span<const float> y, int ishift, int n);

// Polyline through (x(i), y(i)), split into two paths at the last jump in x
// larger than 0.8 w.
void line1_(Plotter& out, std::span<const float> x, std::span<const float> y, float w, int n);

// Horizontal axis at (x0, y0): 21 ticks one centimetre apart, every fifth
// numbered with firstv + k deltav, and the first |nc| characters of label
// centred below.  angle is ignored.
void axis_(Plotter& out, float x0, float y0, std::string_view label, int nc, float axlen, float angle,
           float firstv, float deltav);

// Legend of the psi-lambda diagram: which events are plotted (all, none, or
// those above drumin).
void symbo1_(Plotter& out, int nplot, long long ntot, float drumin);

}  // namespace korva
