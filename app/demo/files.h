#pragma once
// The few plain files of the demo installation that are not tables: "KAVEN.ini", placeholders, and the
// leftover copies of table files the clean-up steps look for. Paths are suite paths (platform/fs).

#include <string>
#include <string_view>

namespace kv::demo {

// Writes a new file; refuses (std::runtime_error) when the file exists already.
void WriteNewFile(std::string_view suitePath, std::string_view content);
// Copies a file byte for byte to a new file.
void CopyToNewFile(std::string_view fromSuitePath, std::string_view toSuitePath);

}  // namespace kv::demo
