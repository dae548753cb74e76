// Small physical helpers of the psi-scan computation: polarization factors
// of an event, the psi offset from the orientation matrix and the date /
// elapsed-time stamps (the extinction table comes with crystal/extinction.hpp).
#pragma once

#include <array>

#include "crystal/extinction.hpp"
#include "scan/run.hpp"

namespace korva {

// Polarization factors of one event for the incident polarization e, from
// the Bragg angles (radians) of the primary H, the secondary G and the
// coupling reflection H - G.
void polfa_(float theta_h, float theta_g, float theta_c, float e1, float e2, float e3,
            float& ph, float& pg, float& pgh, float& pc, float& ci);

// The same in two steps, for several incident polarizations of one event:
// the directions of the beams diffracted by G (s) and by H (t), then the
// factors for one polarization.
struct EventBeams {
  std::array<float, 3> s, t;
};
EventBeams event_beams(float theta_h, float theta_g, float theta_c);
void polfa_beams(const EventBeams& beams, float e1, float e2, float e3, float& ph, float& pg, float& pgh,
                 float& pc, float& ci);

// Psi offset (degrees) between psi = 0 of the diffractometer and psi = 0 of
// the reference direction u, from the orientation matrix ub (row by row) and
// the primary indices h k l; 0 when the matrix or a vector leaves no direction.
float upsi_(int h, int k, int l, float u1, float u2, float u3, const std::array<float, 9>& ub);

// Date and time into the listing (first call of a run), later the elapsed
// time.
void zeit_(Run& run);

// Local civil date and time of day.
struct CivilTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
};

// zeit_ for a given reading: now is the local date and time, clock_seconds
// the time of day in seconds with its fraction (a clock that restarts at
// midnight, hence the whole days added across a change of date).
void zeit_at(Run& run, const CivilTime& now, double clock_seconds);

}  // namespace korva
