#include "platform/whole_file.h"

#include "platform/file.h"
#include "platform/fs.h"

namespace kv::fs {

std::vector<std::uint8_t> ReadWholeFile(std::string_view suitePath) {
  const File file = File::Open(Resolve(suitePath), File::Mode::ReadOnly);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Size()));
  if (!bytes.empty()) file.ReadExactAt(0, bytes.data(), bytes.size());
  return bytes;
}

void WriteWholeFile(std::string_view suitePath, const std::vector<std::uint8_t>& bytes) {
  File file = File::Open(Resolve(suitePath), File::Mode::CreateOrTruncate);
  if (!bytes.empty()) file.WriteAt(0, bytes.data(), bytes.size());
  file.Close();
}

}  // namespace kv::fs
