// The description of the input file for users, shown by the desktop
// program's Help command and printed by "korva help-input".
//
// Every record is blank-padded to 78 columns when it is handed out; the text
// below keeps them without their trailing blanks.
#include "support/input_help.hpp"

#include <fstream>
#include <string_view>

namespace korva {
namespace {

constexpr std::size_t kWidth = 78;

// One record per line.  The sample inputs at the end are complete input
// files that run as they are (given their scan files).
constexpr const char* kText = R"(                          INPUT DESCRIPTION


1. Text
  Title line, maximum 80 characters
  (printed at the head of the print output and on the plot)

2. dname1
  Name of the postscript-output-file, maximum 72 characters
  A name without a folder refers to the working directory of the program;
  an existing file of that name is overwritten.

3. a,b,c,alpha,beta,gamma (free format)
  Cell constants
  a, b, c in Angstrom; alpha, beta, gamma in degrees
  At most 1.0E+09 lattice points in the limiting sphere (radius 2/lambda)

4. Wavelength indicator:
  either
    Cu, Mo or Ag in columns 1 and 2: X-ray tube in use. Wavelengths,
    deltalambda/lambda and weights of K-alpha1 and K-alpha2 are built in;
    the rest of the line is not read.
  or
    1  in columns 1 and 2, followed by (free format) the wavelength, the
    cell constant of the cubic Si or Ge monochromator crystal, h k l and
    structure factor of its reflection: synchrotron radiation with
    monochromator. The band width is derived from the divergence diverp
    (line 5) and the Darwin width of the monochromator reflection.
    (2 instead of 1: the same, with the polarization indicator -1 instead
    of +1)
  or
    3  in columns 1 and 2, followed by (free format) the wavelength and
    deltalambda/lambda: neutrons
  or
    alam1,dlam1,flam1,alam2,dlam2,flam2 (free format): two wavelengths
    (Angstrom), their deltalambda/lambda and the weights of the K-alpha1,2
    lines, e.g. 1.540598 0.000306 1.0 1.544426 0.000413 0.5 . The shorter
    wavelength is always used as the first one.

5. diverp,divers,rkugel,radius,eta (free format)
  diverp : divergence of the primary beam in the diffraction plane of the
           primary reflection (degrees, not negative)
  divers : divergence perpendicular to that plane (degrees, not negative)
  rkugel : radius of the crystal sphere, or of the irradiated cross section
           of a large crystal [mue]
  radius : radius of the mosaic blocks [mue] (extinction model after
           W. H. Zachariasen, Acta Cryst. 23 (1967) 558-564)
  eta    : mosaic-spread parameter (degrees); see P. J. Becker & P. Coppens,
           Acta Cryst. A30 (1974) 129-147; not negative

6. psia, psie, zsw1, nnn, drumin, zeimax (free format)
  psia, psie : psi range of the scan in degrees
           CAD4           : -180 < psia < psie < 180
           HUBER (HASYLAB): -180 < psia < psie < 180
                       or      0 < psia < psie < 360
  zsw1   : number of steps per degree
           zsw1 < 0: no Renninger-scan calculation (zsw1 = 0 is refused)
           The scan is calculated at psi = psia + i/abs(zsw1),
           i = 0, 1, ..., nint((psie-psia)*abs(zsw1)).
  nnn    : nnn > 0: with interference term between the primary and the
           secondary waves; nnn is the interval factor of the phase shift
           (S.-L. Chang, Multiple Diffraction of X-Rays in Crystals,
           Springer 1984; E. Weckert & K. Huemmer, Acta Cryst. A53 (1997)
           108-143)
           nnn = 0: without interference term
  drumin : drumin = 0: no Umweganregung (multiple-diffraction event) is
           listed in the print output or drawn in the psi-lambda diagram;
           all events are used for the simulation of the scan
           drumin > 0: Umweganregungen with intensities (cps) above drumin
           are listed and drawn, those above 0.01*drumin are used for the
           simulation
  zeimax : zeimax = 0: the maximum of the plot follows the largest measured
           and calculated intensities
           zeimax > 0: zeimax (cps) is the maximum of the plot of KORVA99
           ("zooming")

7. nr, na, nf (free format)
  nr : 1 <= nr <= 230: number of the space group in International Tables
       for Crystallography, Volume A, in the settings
         monoclinic  : unique axis b, cell choice 1
         orthorhombic, tetragonal, cubic: origin choice 2 where there are
                       two origin choices
         trigonal R  : rhombohedral axes
       If nr > 230: the symmetry is given explicitly (7a and 7b)
  na : number of atoms in the asymmetric unit
  nf : number of scattering-factor tables (chemical elements or ions)
  For a centred lattice (A, B, C, I, F) and nr <= 230 only the atoms of
  one lattice point are given; the centred copies are added by the
  program. With nr > 230 all atoms of the cell are given (see b) below).
7a. ic,ns (free format)
  ic = 1: centrosymmetric, ic = 2: acentric
  ns : number of symmetry operators that follow, maximum 24
7b. ns following lines (free format):
  one operator per line: tx sxx sxy sxz ty syx syy syz tz szx szy szz
  (ti: translations, sij: elements of the rotation matrix); the new
  coordinate x' = tx + sxx*x + sxy*y + sxz*z, and so on for y' and z'

8. (atn(j), f'(j),f''(j),i_u_b    j = 1,...,nf) (Format: a4,2f10.4,i2)
  X-rays:
    one line for each element or ion
    columns  1- 4: chemical symbol as in International Tables for
                   Crystallography, Vol. C, p. 500-502, e.g. Ni2+
    columns  5-24: optional for Cu, Mo and Ag K-alpha radiation
    columns  5-14: f'  (real part of the dispersion correction)
    columns 15-24: f'' (imaginary part of the dispersion correction)
    column  25   : i_u_b, kind of temperature parameters, the same for all
                   atoms (the value of the last line counts)
                   i_u_b=0  :inbut of beta
                   i_u_b/=0 :input of u
  neutrons (idesy=3):
    columns  1- 4: chemical symbol
    columns  5-14: coherent scattering length (optional); a value given
                   here replaces the one of International Tables for
                   Crystallography, Vol. C, p. 384-391
    column  25   : i_u_b as for X-rays
  Blank numerical fields count as 0.
  The symbols are looked up in the built-in tables; an unknown symbol
  stops the run with a message in the print output.

9. Atom parameters: for each of the na atoms two lines
  first line (free format): fnr, afact, x, y, z
    fnr   : number of the scattering-factor table (line 8), 1 to nf
    afact : multiplier = number of special positions / number of general
            positions, above 0; at most 1 atom per A**3 in the cell
    x,y,z : position in fractions of the cell edges
  second line (free format): six anisotropic temperature parameters
    i_u_b = 0: b1 ... b6 of
      T=exp(-(b1*h*h+b2*k*k+b3*l*l+2*b4*h*k+2*b5*h*l+2*b6*k*l)
    i_u_b = 1: u1 ... u6 (Angstrom**2) of
      T=exp(-2*pi**2*(u1*h*h*ast*ast+u2*k*k*bst*bst+u3*l*l*cst*cst
                     +2*u4*h*k*ast*bst+2*u5*h*l*ast*cst+2*u6*k*l*bst*cst))
      with the reciprocal lengths ast, bst, cst
  Example (two lines):
     1  0.25  0.125  0.0  0.25
  0.0004909  0.0004909  0.0004909  0.  0.  0.

10. h,k,l,f,phi,psi1,psi2 (free format)
  h,k,l : indices of the primary reflection
  f,phi : structure factor and phase (degrees) of the primary reflection,
          to be given only for almost forbidden reflections; for allowed
          reflections input f = phi = 0, and KORVA98 computes both
  psi1,psi2: psi region of the measured scan used to estimate the measured
          integrated intensity of the primary reflection
  The input file may end here (no orientation matrix and no measured
  scan) or after line 11 (no measured scan).

if orientation matrix is known (CAD4-, 4-circle-HUBER-HASYLAB-geometry):
11. ub1 to ub9 (free format)
  the nine components of the orientation matrix, row by row
  For other diffractometers the psi shift between psi = 0 of the CAD-4
  and psi = 0 of the diffractometer in use has to be established
  separately.
  The reciprocal lattice constants calculated from the matrix are printed
  for comparison with the cell constants of line 3.

if the measured scan is available:
12. dname2: Name of the scan-file (maximum 72 characters)
  extension obs: one line (free format) for each reference reflection and
  for each psi step:
    h, k, l, theta (degrees), psi (degrees), intensity integrated over
    theta (cps), background-corrected, without other corrections,
    polarization ratio (synchrotron radiation only)
  any other extension: the output of the CAD-4 (10 lines for each psi
  step: the complete theta scan) or the HUBER-HASYLAB output
  A blank line 12 is the same as no line 12. A name without a folder
  refers to the working directory of the program.

if the HUBER-HASYLAB-output is used:
13a. ihr,ikr,ilr (free format)
  indices of the reference reflections, one line each, closed by the line
  999 0 0 (the only line when there are no reference reflections)
13b. ff1,ff2,ff3,tau1,tau2,tau3,bcm (free format);   optional
  ff1, ff2, ff3    : attenuation factors of the three filters
  tau1, tau2, tau3 : dead times (s) of detector, monitor and a third
                     counter
  bcm              : the beam count multiplier
  Without line 13b the values are taken from the filter block of the
  HUBER-HASYLAB output, if it has one. At most 100 reference reflections
  are used.


_______________________________________________________________________
_______________________________________________________________________


Example si.obs: measured scan with reference reflections, synchrotron
_______________________________________________________________________

    1    1    1     5.137      .000    5130.000     1.000
   -1   -1   -1     5.137      .000    4870.000     1.000
    0    0    4    11.931      .000    2310.000     1.000
    2    2    2    10.310   176.000      17.778     1.000
    2    2    2    10.310   176.002      18.112     1.000
    .
    .
    .
    2    2    2    10.310   178.998      16.904     1.000
    2    2    2    10.310   179.000      17.215     1.000


_______________________________________________________________________
_______________________________________________________________________


Example zn.obs: measured scan with reference reflections, CuK-alpha 1,2
_______________________________________________________________________

   -1    2   -4    58.191      .000    1520.000
   -2    3    1    63.727      .000     985.000
   -2    1    2    41.045      .000    2240.000
    0    0    3    27.849   -40.000      85.310
    0    0    3    27.849   -39.980      86.022
    .
    .
    .
    0    0    3    27.849    39.980      84.775
    0    0    3    27.849    40.000      85.130

_______________________________________________________________________
_______________________________________________________________________


Additional output file:
_______________________________________________________________________
The calculated scan is written to a file named after the scan file
(line 12), or without one after the postscript file (line 2), with .cal.

_______________________________________________________________________
_______________________________________________________________________


References:
_______________________________________________________________________
M. Renninger (1937). Z. Phys. 106, 141-176 ("Umweganregung").
H. Cole, F. W. Chambers & H. M. Dunn (1962). Acta Cryst. 15, 138-144.
B. Post (1977). Phys. Rev. Lett. 39, 760-763.
S.-L. Chang (1984). Multiple Diffraction of X-Rays in Crystals. Springer.


_______________________________________________________________________
_______________________________________________________________________


Examples for input files
_______________________________________________________________________

a) Example for X-ray-tube, nr <= 230:
_______________________________________________________________________
YIG - KORVA99
yig.ps
12.380  12.380  12.380   90. 90. 90.
Ag
0.14  0.14 150. 150.  0.0
-66.   16. 50  0  1. 0.
230  4  3
Y3+
Fe3+
O1-
   1  0.25  0.125  0.0  0.25
0.0004909  0.0004909  0.0004909  0.  0.  0.
   2  0.16667  0.0  0.0  0.0
0.0004909  0.0004909  0.0004909  0.  0.  0.
   2  0.25  0.375  0.0  0.25
0.0004909  0.0004909  0.0004909  0.  0.  0.
   3  1.  -0.0271  0.0568  0.1504
0.0004909  0.0004909  0.0004909  0.  0.  0.
 8  8  2  0  0 -24.5  -23.5
 -0.071161  -0.036463   0.012399
  0.038060  -0.062495   0.034549
 -0.006014   0.036221   0.072079
yig.dat


_______________________________________________________________________

b) The same result is obtained, giving the symmetry information
   explicitly (nr > 230)
_______________________________________________________________________
YIG - KORVA99
yig.ps
12.380  12.380  12.380   90. 90. 90.
Ag
0.14  0.14 150. 150.  0.0
-66.   16.  50  0  4.  0.
231 8 3
1 24
0    1  0  0     0    0  1  0     0    0  0  1
0.5 -1  0  0     0    0 -1  0     0.5  0  0  1
0   -1  0  0     0.5  0  1  0     0.5  0  0 -1
0.5  1  0  0     0.5  0 -1  0     0    0  0 -1
0    0  0  1     0    1  0  0     0    0  1  0
0.5  0  0  1     0.5 -1  0  0     0    0 -1  0
0.5  0  0 -1     0   -1  0  0     0.5  0  1  0
0    0  0 -1     0.5  1  0  0     0.5  0 -1  0
0    0  1  0     0    0  0  1     0    1  0  0
0    0 -1  0     0.5  0  0  1     0.5 -1  0  0
0.5  0  1  0     0.5  0  0 -1     0   -1  0  0
0.5  0 -1  0     0    0  0 -1     0.5  1  0  0
0.75  0  1  0     0.25  1  0  0     0.25  0  0 -1
0.75  0 -1  0     0.75 -1  0  0     0.75  0  0 -1
0.25  0  1  0     0.25 -1  0  0     0.75  0  0  1
0.25  0 -1  0     0.75  1  0  0     0.25  0  0  1
0.75  1  0  0     0.25  0  0  1     0.25  0 -1  0
0.25 -1  0  0     0.75  0  0  1     0.25  0  1  0
0.75 -1  0  0     0.75  0  0 -1     0.75  0 -1  0
0.25  1  0  0     0.25  0  0 -1     0.75  0  1  0
0.75  0  0  1     0.25  0  1  0     0.25 -1  0  0
0.25  0  0  1     0.25  0 -1  0     0.75  1  0  0
0.25  0  0 -1     0.75  0  1  0     0.25  1  0  0
0.75  0  0 -1     0.75  0 -1  0     0.75 -1  0  0
Y3+
Fe3+
O1-
   1  0.25  0.125  0.0  0.25
0.0004909  0.0004909  0.0004909  0.  0.  0.
   2  0.16667  0.0  0.0  0.0
0.0004909  0.0004909  0.0004909  0.  0.  0.
   2  0.25  0.375  0.0  0.25
0.0004909  0.0004909  0.0004909  0.  0.  0.
   3  1.  -0.0271  0.0568  0.1504
0.0004909  0.0004909  0.0004909  0.  0.  0.
   1  0.25  0.625  0.5  0.75
0.0004909  0.0004909  0.0004909  0.  0.  0.
   2  0.16667  0.5  0.5  0.5
0.0004909  0.0004909  0.0004909  0.  0.  0.
   2  0.25  0.875  0.5  0.75
0.0004909  0.0004909  0.0004909  0.  0.  0.
   3  1.  0.4729  0.5568  0.6504
0.0004909  0.0004909  0.0004909  0.  0.  0.
 8  8  2  0  0  0  0
 -0.071161  -0.036463   0.012399
  0.038060  -0.062495   0.034549
 -0.006014   0.036221   0.072079
yig.dat


_______________________________________________________________________

c) Example for synchrotron radiation
_______________________________________________________________________
Sig3 - Renninger pattern of the 'almost forbidden' 2  2  2 - reflection
si222ag2.ps
5.4298  5.4298  5.4298  90. 90. 90.
1 0.5612  5.43 1 1 1 58.19
0.001  0.005  1000.  200.  0.0001
176.  179.  1000.  8  10.  0.
2  4  1
Siva
   1  1.  0.125  0.125  0.125
0.0039  0.0039  0.0039  0.  0.  0.
   1  1.  0.125  0.625  0.625
0.0039  0.0039  0.0039  0.  0.  0.
   1  1.  0.625  0.125  0.625
0.0039  0.0039  0.0039  0.  0.  0.
   1  1.  0.625  0.625  0.125
0.0039  0.0039  0.0039  0.  0.  0.
 2  2  2  1.5  0.  177.2  177.4
  0.143954  -0.088941   0.072699
  0.101314   0.153234  -0.013148
 -0.054138   0.050270   0.168701
../hasylab/scans/si222ag2.dat
 1   1   1
-1  -1  -1
 0   0   4
 2   2   0
-2  -2   0
 3   1   1
-3  -1  -1
 0   0  -4
 4   0   0
-4   0   0
 3   3   1
-3  -3  -1
 4   2   2
-4  -2  -2
 5   1   1
-5  -1  -1
 4   4   0
-4  -4   0
 5   3   1
-5  -3  -1
 6   2   0
-6  -2   0
 5   3   3
-5  -3  -3
 4   4   4
-4  -4  -4
 8   0   0
12  12   0
-12 -12  0
999 0 0
2.029 4.065 16.756 0.0000029 0.000005 0.000005 10000. 0.


_______________________________________________________________________)";

}  // namespace

const std::vector<std::string>& input_help_lines() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> out;
    std::string_view text(kText);
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string line(text.substr(start, end - start));
      if (line.size() < kWidth) line.resize(kWidth, ' ');
      out.push_back(std::move(line));
      start = end + 1;
    }
    return out;
  }();
  return lines;
}

std::string input_help_text() {
  std::string text;
  for (const std::string& line : input_help_lines()) {
    text += line;
    text += '\n';
  }
  return text;
}

bool write_input_help(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out << input_help_text();  // one write: the file is complete or absent
  return static_cast<bool>(out.flush());
}

void in_help_() { write_input_help(kInputHelpFile); }

}  // namespace korva
