// Replacing one file so that it is never seen half written: a transaction of one file (see
// file_transaction.h), whose journal goes in the file's own folder.
#pragma once

#include <string>
#include <string_view>

#include "base/write_status.h"

namespace tolvan {

// Fails when any step fails, and the target then keeps its old contents (or stays absent):
// - an existing file that the process may not write is refused, as a plain write would be, and
//   so is a new file in a folder where the process may not create one;
// - a symbolic link is followed: its target gets the new contents and the link stays a link;
// - a file that a rename would change (other hard links, another owner or group) or could not
//   replace (a folder that the process may not write, a sticky folder) is written in place,
//   keeping its owner, group and mode, once its space is reserved;
// - a directory, device, FIFO or socket is refused and never replaced.
// No temporary file is left behind. An existing target's permission bits are kept; a new file
// gets the usual ones for the user's umask.
WriteStatus write_file_atomically(const std::string& path, std::string_view bytes);

}  // namespace tolvan
