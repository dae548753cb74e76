// Conversion of the finished PostScript page into PDF or PNG with
// Ghostscript, for users without a PostScript viewer.
#pragma once

#include <string>

namespace korva {

enum class PageFormat { Pdf, Png };

struct ExportResult {
  bool ok = false;
  bool gs_missing = false;  // the Ghostscript program could not be started
  std::string output;       // the file written (also set on failure)
  std::string message;      // why it failed: one line for the user
};

// The converted page next to ps_path: same base name, extension .pdf or .png.
std::string export_name(const std::string& ps_path, PageFormat format);

// Renders ps_path with the Ghostscript program gs (looked up in PATH when it
// has no slash) onto a landscape A4 sheet and writes export_name(ps_path).
// gs runs directly (no shell) with -dSAFER; a failed conversion leaves no
// output file behind.
ExportResult export_page(const std::string& ps_path, PageFormat format, const std::string& gs = "gs");

}  // namespace korva
