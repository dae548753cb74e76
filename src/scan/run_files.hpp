// The files of one run and the checks that keep a run from writing over a
// file it needs or has just written: input, listing, PostScript page,
// measured scan and calculated scan must be five different files.
#pragma once

#include <string>

#include "scan/run.hpp"

namespace korva {

// The names of the run's own files that are known by now, as files: the
// input and the listing as opened, the page after line 2, the measured scan
// and the calculated scan after line 12 (with_scan).  On a clash the listing
// gets the message and the run is to end (false).  A name of a new file in a
// device folder is refused as well.
bool check_run_files(Run& run, bool with_scan);

// For a caller about to open the listing, which empties it at once: the
// file of the run the listing would destroy ("input file", "PostScript
// file", "measured-scan file" or "calculated-scan file"), or empty.  The
// input is read as the run will read it, but nothing is written.
std::string listing_clash(const InUnit& input, const std::string& listing);

// What to tell the user when a run stopped at an error (io.iostat > 0): the
// listing's last message, or why the listing could not be written.
std::string failure_message(const Io& io, const std::string& listing);

}  // namespace korva
