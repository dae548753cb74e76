#include "plot/export.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "support/files.hpp"

extern char** environ;

namespace korva {
namespace {

namespace fs = std::filesystem;

// In an OutputFile name Ghostscript reads "%d" as a page number: a literal
// percent sign is doubled.
std::string output_file_arg(const std::string& path) {
  std::string out = "-sOutputFile=";
  for (char c : path) {
    if (c == '%') out += '%';
    out += c;
  }
  return out;
}

// Absolute, so that no name can be taken for an option ("-x"), an argument
// file ("@x") or a pipe ("|x").
std::string absolute(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::absolute(path, ec);
  return ec ? path : p.lexically_normal().string();
}

// The last non-empty line of what Ghostscript said, for the message.
std::string last_line(const std::string& text) {
  std::size_t end = text.find_last_not_of(" \r\n\t");
  if (end == std::string::npos) return {};
  std::size_t start = text.find_last_of('\n', end);
  start = start == std::string::npos ? 0 : start + 1;
  return text.substr(start, end - start + 1);
}

// The program as posix_spawn needs it: a name with a slash as it stands,
// otherwise the first executable of that name in PATH.
std::string find_program(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : std::string{};
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = end > start ? dirs.substr(start, end - start) : std::string(1, '.');
    candidate += '/';
    candidate += name;
    std::error_code ec;
    if (access(candidate.c_str(), X_OK) == 0 && !fs::is_directory(candidate, ec)) return candidate;
    start = end + 1;
  }
  return {};
}

}  // namespace

std::string export_name(const std::string& ps_path, PageFormat format) {
  fs::path p(ps_path);
  p.replace_extension(format == PageFormat::Pdf ? ".pdf" : ".png");
  return p.string();
}

ExportResult export_page(const std::string& ps_path, PageFormat format, const std::string& gs) {
  ExportResult r;
  r.output = export_name(ps_path, format);
  const std::string program = find_program(gs);
  if (program.empty()) {
    r.gs_missing = true;
    r.message = "Ghostscript ('" + gs + "') was not found; install it (package ghostscript) to convert the page";
    return r;
  }
  if (const std::string folder = device_folder(r.output); !folder.empty()) {
    r.message = "'" + r.output + "' would be created in the device folder " + folder;
    return r;
  }
  std::error_code ec;
  if (!fs::is_regular_file(ps_path, ec)) {
    r.message = "the PostScript file '" + ps_path + "' does not exist";
    return r;
  }
  if (fs::file_size(ps_path, ec) == 0 || ec) {
    r.message = "the PostScript file '" + ps_path + "' holds no page";
    return r;
  }

  // The drawing is made for a portrait sheet turned on its side; the
  // converted page is the landscape sheet itself, upright.
  std::vector<std::string> args = {gs, "-dSAFER", "-dBATCH", "-dNOPAUSE", "-dQUIET"};
  if (format == PageFormat::Pdf) {
    args.insert(args.end(), {"-sDEVICE=pdfwrite", "-dAutoRotatePages=/None"});
  } else {
    args.insert(args.end(), {"-sDEVICE=png16m", "-r100", "-dTextAlphaBits=4", "-dGraphicsAlphaBits=4"});
  }
  args.insert(args.end(), {"-dDEVICEWIDTHPOINTS=842", "-dDEVICEHEIGHTPOINTS=595", "-dFIXEDMEDIA",
                           output_file_arg(absolute(r.output)), "-c", "0 595 translate -90 rotate", "-f",
                           absolute(ps_path)});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int pipefd[2];
  if (pipe(pipefd) != 0) {
    r.message = std::string("cannot start Ghostscript: ") + std::strerror(errno);
    return r;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipefd[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipefd[1], 2);
  posix_spawn_file_actions_addclose(&actions, pipefd[0]);
  posix_spawn_file_actions_addclose(&actions, pipefd[1]);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipefd[1]);
  if (rc != 0) {
    close(pipefd[0]);
    r.gs_missing = true;
    r.message = "Ghostscript ('" + gs + "') could not be started (" + std::strerror(rc) +
                "); install it (package ghostscript) to convert the page";
    return r;
  }

  std::string said;
  char buf[4096];
  for (;;) {
    const ssize_t got = read(pipefd[0], buf, sizeof buf);
    if (got > 0) {
      if (said.size() < 65536) said.append(buf, static_cast<std::size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      break;
    }
  }
  close(pipefd[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }

  const bool exited_ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  const bool written = fs::is_regular_file(r.output, ec) && fs::file_size(r.output, ec) > 0 && !ec;
  // Ghostscript reports PostScript errors on its output, not always in its
  // exit status.
  const bool error_text = said.find("Error:") != std::string::npos;
  if (exited_ok && written && !error_text) {
    r.ok = true;
    return r;
  }
  fs::remove(r.output, ec);
  if (WIFSIGNALED(status)) {
    r.message = "Ghostscript was ended by signal " + std::to_string(WTERMSIG(status));
  } else {
    std::string why = last_line(said);
    r.message = "Ghostscript could not convert '" + ps_path + "'" +
                (WIFEXITED(status) ? " (exit status " + std::to_string(WEXITSTATUS(status)) + ")" : "") +
                (why.empty() ? "" : ": " + why);
  }
  return r;
}

}  // namespace korva
