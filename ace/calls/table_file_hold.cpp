#include "ace/ace_files.h"

#include "ace/storage/table_files.h"
#include "platform/file.h"
#include "platform/fs.h"

namespace ace {

struct TableFileHold::Impl {
  kv::fs::File file;
};

TableFileHold::TableFileHold() = default;
TableFileHold::~TableFileHold() = default;
TableFileHold::TableFileHold(TableFileHold&&) noexcept = default;
TableFileHold& TableFileHold::operator=(TableFileHold&&) noexcept = default;

ResultCode TableFileHold::Take(const std::filesystem::path& adt, std::string& why) {
  auto impl = std::make_unique<Impl>();
  try {
    impl->file = kv::fs::File::Open(adt, kv::fs::File::Mode::ReadWrite);
  } catch (const kv::fs::FsError& e) {
    why = e.what();
    std::error_code ignored;
    return std::filesystem::exists(adt, ignored) ? code::kIoError : code::kFileNotFound;
  }
  // Every open holds the open byte shared, an exclusive open holds it alone: holding it alone means no one has
  // the table open, and no one can open it while the hold lasts.
  if (!impl->file.TryLock(storage::kOpenLockByte, 1, true)) {
    why = "the table is open in another program";
    return code::kTableInUse;
  }
  impl_ = std::move(impl);
  return code::kSuccess;
}

}  // namespace ace
