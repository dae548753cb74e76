#include "scan/run_files.hpp"

#include <array>
#include <string_view>

#include "scan/stages.hpp"
#include "support/files.hpp"
#include "support/format.hpp"

namespace korva {
namespace {

struct Named {
  const char* role;
  std::string name;
};

std::string trimmed(const std::string& field) { return std::string(trim_right(trim_left(field))); }

// A device or a pipe shared by two roles (output to /dev/null twice) loses
// nothing: only files that can be replaced must differ.
bool clash(const Named& a, const Named& b) {
  return !a.name.empty() && !b.name.empty() && !written_in_place(a.name) && same_file(a.name, b.name);
}

bool fail_file(Run& run, const std::string& name, const std::string& why, const char* advice) {
  run.list("");
  run.list("");
  run.list(X(5) + pad(name, 72));
  run.list(why);
  run.list(advice);
  run.io.iostat = 1;
  return false;
}

}  // namespace

bool check_run_files(Run& run, bool with_scan) {
  const Params& p = run.par;
  const Named input{"input file", run.io.input.path()};
  const Named listing{"listing", run.io.listing.path()};
  const Named page{"PostScript file", trimmed(p.dname1)};
  const Named scan{"measured-scan file", with_scan ? trimmed(p.dname2) : std::string()};
  const Named cal{"calculated-scan file", with_scan ? trimmed(cal_file_name(p.dname1, p.dname2)) : std::string()};

  const std::array<std::array<const Named*, 2>, 9> pairs{{{&page, &input},
                                                          {&page, &listing},
                                                          {&scan, &input},
                                                          {&scan, &listing},
                                                          {&scan, &page},
                                                          {&cal, &input},
                                                          {&cal, &listing},
                                                          {&cal, &page},
                                                          {&cal, &scan}}};
  for (const auto& [a, b] : pairs) {
    if (clash(*a, *b))
      return fail_file(run, a->name, std::string(" the ") + a->role + " and the " + b->role + " are the same file,",
                       " check your input!");
  }
  // The page is written beside its name and moved there when complete.
  if (const std::string folder = device_folder(page.name); !folder.empty())
    return fail_file(run, page.name, " the PostScript file would be created in the device folder " + folder + ",",
                     " check your input!");
  if (const std::string folder = device_folder(cal.name); !folder.empty())
    return fail_file(run, cal.name, " the calculated-scan file would be created in the device folder " + folder + ",",
                     " check the name of the PostScript or scan file!");
  return true;
}

std::string listing_clash(const InUnit& input, const std::string& listing) {
  if (same_file(input.path(), listing)) return "input file";
  Io io;
  io.in_memory = true;
  io.input = input;
  io.listing.open_memory();
  std::string dname2(72, ' '), dname1(72, ' ');
  bool complete = false;
  {
    Run run(io);
    complete = read_input(run, dname2, dname1);
  }
  // A run that stops in its input writes neither page nor calculated scan,
  // but the listing may still fall on a file the input names.
  for (const Named& other : {Named{"PostScript file", trimmed(dname1)}, Named{"measured-scan file", trimmed(dname2)},
                             Named{"calculated-scan file", complete ? trimmed(cal_file_name(dname1, dname2)) : ""}}) {
    if (clash(Named{"listing", listing}, other)) return other.role;
  }
  return {};
}

std::string failure_message(const Io& io, const std::string& listing) {
  if (io.listing.failed()) return "cannot write listing file '" + listing + "': " + io.listing.error();
  return io.listing.last_message();
}

}  // namespace korva
