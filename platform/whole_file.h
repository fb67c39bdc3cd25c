#pragma once
// Small files read and written whole, by suite path (photos, work pictures). Failures raise kv::fs::FsError
// naming the file and the system's reason.

#include <cstdint>
#include <string_view>
#include <vector>

namespace kv::fs {

std::vector<std::uint8_t> ReadWholeFile(std::string_view suitePath);
// Creates or replaces the file with the bytes; the folder must exist.
void WriteWholeFile(std::string_view suitePath, const std::vector<std::uint8_t>& bytes);

}  // namespace kv::fs
