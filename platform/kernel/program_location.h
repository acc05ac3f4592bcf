// Where the running program lies: its companions (the song player, the picture library) are
// installed beside it.
#pragma once

#include <string>

namespace platform {

// The folder holding the running executable, without a trailing slash ("/" for the root);
// empty when /proc/self/exe cannot be read.
std::string ProgramFolder();

}  // namespace platform
