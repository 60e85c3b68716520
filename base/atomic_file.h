// Replacing a file so that it is never seen half written: the new contents go to a temporary
// file beside the target, which is flushed to the disk and then renamed over the target.
#pragma once

#include <string>
#include <string_view>

namespace tolvan {

// Returns false when any step fails; the target then keeps its old contents (or stays absent)
// and no temporary file is left behind. An existing target's permission bits are kept; a new
// file gets the usual ones for the user's umask.
bool write_file_atomically(const std::string& path, std::string_view bytes);

}  // namespace tolvan
