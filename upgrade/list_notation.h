#pragma once
// The notation the list files (list_d.cpp, list_b.cpp, list_n.cpp) are written in: one ColumnBlock per block,
// one ChangeRow per row of requests, one StepEntry per table-level step, in the order the run takes them.

#include "upgrade/column_lists.h"

namespace kv::upgrade::notation {

// The Encrypted flag of a row's requests.
inline constexpr bool kEncrypted = true;
inline constexpr bool kClear = false;

}  // namespace kv::upgrade::notation
