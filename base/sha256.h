// SHA-256 of a byte string, as lower-case hexadecimal: the checksum that marks the files a
// folder holds as Tolvan's own, in the same form as the system's sha256sum prints it.
#pragma once

#include <string>
#include <string_view>

namespace tolvan {

std::string sha256_hex(std::string_view bytes);

}  // namespace tolvan
