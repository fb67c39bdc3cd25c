#pragma once
// A secret made at random for this process and kept only in its memory. Scratch files that hold data of
// encrypted tables (a statement's result table, its sort runs) are sealed with it, so what a killed process
// leaves behind under the temp folder reads as noise, and nothing of it can be opened once the process is gone.

#include <string_view>

#include "ace/core/cipher.h"

namespace ace {

// 64 hexadecimal characters, the same for the life of the process (a forked child keeps its parent's).
std::string_view ScratchSecret();
// A key from the secret, for scratch data other than tables (derived once per process).
const Cipher& ScratchCipher();

}  // namespace ace
