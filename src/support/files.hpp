// Which file a name denotes, and where a run may create files.
//
// Names are compared as files, not as spellings: "./a.ps", "a.ps", a
// symbolic link to it and a second hard link are all the same file.
#pragma once

#include <string>

namespace korva {

// The absolute name with symbolic links followed as far as they lead, also
// through a link to a file that does not exist yet; "." and ".." removed.
// Empty for an empty name.
std::string resolved_name(const std::string& name);

// True when both names denote one file: the same device and inode when both
// exist, otherwise the same resolved name.  An empty name is no file.
bool same_file(const std::string& a, const std::string& b);

// True when the name denotes an existing file that is neither a regular file
// nor a folder (a device such as /dev/null, a pipe): such a file is written
// where it is, it cannot be replaced.
bool written_in_place(const std::string& name);

// The device folder (/dev, /proc or /sys) in which writing to the name
// would create a file, or empty.  A run creates no file there; an existing
// device or pipe creates nothing and gives empty.
std::string device_folder(const std::string& name);

}  // namespace korva
