// The listing blocks of a wavelength pass: settings, the primary
// reflection, the table of multiple-diffraction events and the counts.
#pragma once

#include <string>
#include <vector>

#include "scan/event_search.hpp"
#include "scan/intensity.hpp"
#include "scan/run.hpp"

namespace korva {

// Radiation, divergences, mosaic, index limits, reference direction and PsiD.
void list_pass_header(Run& run, const PassGeometry& geo, const PrimaryReflection& prim);

// The primary reflection; share is the part of the measured primary
// intensity that belongs to this wavelength line.  Ends with the header of
// the event table.
void list_primary(Run& run, const PrimaryReflection& prim, float share);

// One row of the event table.
std::string event_row(const EventRecord& r);

// The rows of the records (sorted by psi) that lie inside the scan range.
void list_events(Run& run, const std::vector<EventRecord>& records);

// Events in a full turn and operative reflections.
void list_pass_counts(Run& run, long long events_360, long long prager);

// Number of operative reflections (Prager): INT(V 4 cos(theta) pi^2 / lambda^3).
long long prager_count(float volume, float theta, float lambda);

}  // namespace korva
