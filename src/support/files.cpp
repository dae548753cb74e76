#include "support/files.hpp"

#include <sys/stat.h>

#include <filesystem>

namespace korva {
namespace {

namespace fs = std::filesystem;

// More links than this in a row are a loop.
constexpr int kMaxLinks = 40;

}  // namespace

std::string resolved_name(const std::string& name) {
  if (name.empty()) return {};
  std::error_code ec;
  fs::path p = fs::absolute(name, ec);
  if (ec) return name;
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    const fs::path w = fs::weakly_canonical(p, ec);
    if (ec) break;
    // weakly_canonical keeps a link to a missing file as a name of its own:
    // the file the run would create is the one the link points to.
    if (!fs::is_symlink(fs::symlink_status(w, ec))) return w.string();
    const fs::path target = fs::read_symlink(w, ec);
    if (ec) return w.string();
    p = target.is_absolute() ? target : w.parent_path() / target;
  }
  return p.lexically_normal().string();
}

bool same_file(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  struct stat sa {}, sb {};
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  return resolved_name(a) == resolved_name(b);
}

bool written_in_place(const std::string& name) {
  struct stat sb {};
  return !name.empty() && ::stat(name.c_str(), &sb) == 0 && !S_ISREG(sb.st_mode) && !S_ISDIR(sb.st_mode);
}

std::string device_folder(const std::string& name) {
  if (name.empty() || written_in_place(name)) return {};
  const fs::path r(resolved_name(name));
  auto it = r.begin();
  if (it == r.end() || *it != "/" || ++it == r.end()) return {};
  const std::string top = it->string();
  if (++it == r.end()) return {};  // the folder itself, not a file in it
  return top == "dev" || top == "proc" || top == "sys" ? "/" + top : std::string();
}

}  // namespace korva
