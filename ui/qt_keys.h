// The host's key numbering, as the key-down table of the emulated keyboard expects it.
#pragma once

namespace tolvan {

// The virtual-key code of a Qt key, or 0 for a key that has none here.
int virtual_key_for_qt_key(int qt_key);

}  // namespace tolvan
