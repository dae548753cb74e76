// External programs of the desktop program: the PostScript viewer and the
// text editor, found on this system and started directly with their
// arguments (never through a command interpreter, so a file name with
// blanks or shell characters reaches the program whole and runs nothing).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korva::shell {

// Runs argv[0] (a path, or a name looked up on PATH) with the arguments
// argv[1..] and waits until it has ended.  Returns its exit status, or -1
// when it could not be started.
using CommandRunner = std::function<int(const std::vector<std::string>& argv)>;

// The runner of the real program: posix_spawnp and waitpid.
int run_and_wait(const std::vector<std::string>& argv);

// Full path of the first executable regular file called name in the folders
// of path (the syntax of PATH; an empty entry is the working directory);
// empty when there is none.
std::string find_on_path(std::string_view name, std::string_view path);

// PostScript viewers tried in this order.
inline constexpr const char* kViewers[] = {"gv", "evince", "okular", "zathura", "atril"};

// Full path of the first viewer found on path; empty when there is none.
std::string find_viewer(std::string_view path);

// The editor command without its file: the words of $VISUAL, else of
// $EDITOR (either may carry options, e.g. "code --wait"), else the first
// graphical editor found on path, with the option that makes it stay until
// its window is closed where it has one.  visual and editor are empty when
// the variable is unset.  Empty when nothing was found.
std::vector<std::string> choose_editor(std::string_view visual, std::string_view editor,
                                       std::string_view path);

// True when the editor command runs in a terminal (vi, nano, emacs -nw,
// ...) and so cannot show a file to a program started without one.
bool terminal_editor(const std::vector<std::string>& command);

// Words separated by blanks or tabs.
std::vector<std::string> split_words(std::string_view s);

}  // namespace korva::shell
