#include "app/demo/files.h"

#include <vector>

#include "platform/file.h"
#include "platform/fs.h"

namespace kv::demo {

void WriteNewFile(std::string_view suitePath, std::string_view content) {
  fs::File file = fs::File::Open(fs::Resolve(suitePath), fs::File::Mode::CreateNew);
  file.WriteAt(0, content.data(), content.size());
  file.Close();
}

void CopyToNewFile(std::string_view fromSuitePath, std::string_view toSuitePath) {
  const fs::File from = fs::File::Open(fs::Resolve(fromSuitePath), fs::File::Mode::ReadOnly);
  fs::File to = fs::File::Open(fs::Resolve(toSuitePath), fs::File::Mode::CreateNew);
  std::vector<char> buffer(1 << 16);
  std::uint64_t offset = 0;
  for (;;) {
    const std::size_t got = from.ReadAt(offset, buffer.data(), buffer.size());
    if (got == 0) break;
    to.WriteAt(offset, buffer.data(), got);
    offset += got;
  }
  to.Close();
}

}  // namespace kv::demo
