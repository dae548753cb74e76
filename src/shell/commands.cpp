#include "shell/commands.hpp"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

extern char** environ;

namespace korva::shell {
namespace {

struct Editor {
  const char* program;
  const char* wait_option;  // nullptr: the program waits anyway
};

// Graphical editors, tried in this order.  Some of them hand the file to a
// window that is already open and return at once unless told to wait.
constexpr Editor kEditors[] = {
    {"gedit", "--wait"}, {"kate", "--block"}, {"kwrite", nullptr}, {"mousepad", nullptr},
    {"xed", nullptr},    {"pluma", nullptr},  {"featherpad", nullptr}, {"leafpad", nullptr},
    {"xedit", nullptr},
};

// Editors that draw in the terminal they were started from.
constexpr std::string_view kTerminalEditors[] = {
    "vi", "vim", "nvim", "nvi", "elvis", "vis", "view", "ex", "ed", "nano", "pico", "joe",
    "jed", "jove", "micro", "mcedit", "ne", "kak", "hx", "helix", "mg",
};

bool executable_file(const std::string& path) {
  struct stat sb {};
  return ::stat(path.c_str(), &sb) == 0 && S_ISREG(sb.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::vector<std::string> split_words(std::string_view s) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    std::size_t j = i;
    while (j < s.size() && s[j] != ' ' && s[j] != '\t') ++j;
    if (j > i) words.emplace_back(s.substr(i, j - i));
    i = j;
  }
  return words;
}

int run_and_wait(const std::vector<std::string>& argv) {
  if (argv.empty() || argv.front().empty()) return -1;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int rc = ::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ);
  if (rc != 0) {
    std::cerr << "korva: cannot start '" << argv.front() << "': " << std::strerror(rc) << "\n";
    return -1;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

std::string find_on_path(std::string_view name, std::string_view path) {
  if (name.empty() || name.find('/') != std::string_view::npos) return {};
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(':', start);
    if (end == std::string_view::npos) end = path.size();
    // An empty entry is the working directory.  The candidate is built by
    // appending: assigning a literal to the folder made GCC 12 warn of an
    // overlapping copy that cannot happen (-Wrestrict).
    std::string candidate = end > start ? std::string(path.substr(start, end - start)) : std::string(".");
    if (candidate.back() != '/') candidate += '/';
    candidate += name;
    if (executable_file(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

std::string find_viewer(std::string_view path) {
  for (const char* viewer : kViewers) {
    std::string found = find_on_path(viewer, path);
    if (!found.empty()) return found;
  }
  return {};
}

std::vector<std::string> choose_editor(std::string_view visual, std::string_view editor,
                                       std::string_view path) {
  for (std::string_view var : {visual, editor}) {
    std::vector<std::string> words = split_words(var);
    if (!words.empty()) return words;
  }
  for (const Editor& e : kEditors) {
    std::string found = find_on_path(e.program, path);
    if (found.empty()) continue;
    std::vector<std::string> words{found};
    if (e.wait_option) words.emplace_back(e.wait_option);
    return words;
  }
  return {};
}

bool terminal_editor(const std::vector<std::string>& command) {
  if (command.empty()) return false;
  const std::string& program = command.front();
  const std::string_view name = std::string_view(program).substr(program.rfind('/') + 1);
  for (std::string_view e : kTerminalEditors)
    if (name == e) return true;
  // Emacs opens a window of its own unless told to stay in the terminal.
  if (name == "emacs" || name == "emacsclient")
    for (std::size_t i = 1; i < command.size(); ++i)
      if (command[i] == "-nw" || command[i] == "-t" || command[i] == "--tty" || command[i] == "--no-window-system")
        return true;
  return false;
}

}  // namespace korva::shell
