#include "ace/storage/journal.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "ace/core/bytes.h"
#include "ace/core/checksum.h"
#include "ace/core/error.h"

namespace stdfs = std::filesystem;

namespace ace::storage {

namespace {

constexpr std::uint8_t kMagic[8] = {'K', 'V', '8', 'J', 'R', 'N', 'L', 0x1A};
constexpr std::uint32_t kVersion = 1;

// The journal's head: what the table was before the statement.
namespace head {
constexpr std::size_t kMagic = 0;        // 8 bytes
constexpr std::size_t kVersion = 8;      // u32
constexpr std::size_t kSlotSize = 12;    // u32
constexpr std::size_t kHeaderSize = 16;  // u64, where the table's first record starts
constexpr std::size_t kDataSize = 24;    // u64, the table file's length
constexpr std::size_t kMemoSize = 32;    // u64, the memo file's length (0: none)
constexpr std::size_t kCounters = 40;    // the counter block as the table file stores it
constexpr std::size_t kCrc = 92;         // u32, CRC-32C of the bytes before it
constexpr std::size_t kSize = 96;
}  // namespace head

// Each kept piece: where it goes in the table file (u64), its length (u32), CRC-32C of those 12 bytes and the
// piece (u32), then the piece.
constexpr std::size_t kEntryHead = 16;
constexpr std::size_t kFlushBytes = std::size_t{1} << 20;

std::uint32_t EntryCrc(const std::uint8_t* entryHead, const std::uint8_t* bytes, std::size_t size) {
  return Crc32c(Crc32c(0, entryHead, 12), bytes, size);
}

std::uint64_t LengthOf(const stdfs::path& path) {
  std::error_code ec;
  const auto size = stdfs::file_size(path, ec);
  return ec ? 0 : static_cast<std::uint64_t>(size);
}

}  // namespace

Journal::Journal(const stdfs::path& adt, const TableHeader& before, std::uint64_t dataSize, std::uint64_t memoSize)
    : path_(PathFor(adt)), slotSize_(before.SlotSize()), headerSize_(before.headerSize),
      slotsBefore_(before.counters.slots), kept_(before.counters.slots + 1, 0) {
  pending_.resize(head::kSize);
  std::uint8_t* h = pending_.data();
  std::memcpy(h + head::kMagic, kMagic, sizeof kMagic);
  PutU32(h + head::kVersion, kVersion);
  PutU32(h + head::kSlotSize, slotSize_);
  PutU64(h + head::kHeaderSize, headerSize_);
  PutU64(h + head::kDataSize, dataSize);
  PutU64(h + head::kMemoSize, memoSize);
  TableHeader copy;
  copy.counters = before.counters;
  copy.counters.busy = false;
  const auto counters = copy.EncodeCounters();
  std::memcpy(h + head::kCounters, counters.data(), counters.size());
  PutU32(h + head::kCrc, Crc32c(0, h, head::kCrc));
}

Journal::~Journal() {
  if (file_.IsOpen()) Abandon();
}

bool Journal::Keeps(std::uint64_t recno, bool whole) const {
  return recno > slotsBefore_ || kept_[recno] >= (whole ? 2 : 1);
}

void Journal::Keep(std::uint64_t recno, const std::uint8_t* slot, bool whole) {
  if (Keeps(recno, whole)) return;
  const std::uint32_t length = whole ? slotSize_ : 1;
  const std::size_t at = pending_.size();
  pending_.resize(at + kEntryHead + length);
  std::uint8_t* e = pending_.data() + at;
  PutU64(e, headerSize_ + (recno - 1) * slotSize_);
  PutU32(e + 8, length);
  std::memcpy(e + kEntryHead, slot, length);
  PutU32(e + 12, EntryCrc(e, e + kEntryHead, length));
  kept_[recno] = whole ? 2 : 1;
  if (pending_.size() >= kFlushBytes) Flush();
}

void Journal::Flush() {
  if (pending_.empty()) return;
  if (!file_.IsOpen()) file_ = kv::fs::File::Open(path_, kv::fs::File::Mode::CreateOrTruncate);
  file_.WriteAt(written_, pending_.data(), pending_.size());
  written_ += pending_.size();
  pending_.clear();
}

void Journal::MakeDurable() {
  Flush();
  if (!file_.IsOpen()) return;
  file_.Sync();
  if (!named_) {
    // A journal whose name a power cut could take away would let the half-made change stand.
    kv::fs::SyncFolder(path_.parent_path());
    named_ = true;
  }
}

void Journal::Remove() {
  if (!file_.IsOpen()) {
    pending_.clear();
    return;
  }
  file_.Close();
  kv::fs::RemoveHostFile(path_);
  // Gone for good before the counters say the change is over: a journal that came back after a power cut would
  // roll back this statement and whatever followed it.
  kv::fs::SyncFolder(path_.parent_path());
}

void Journal::Abandon() {
  if (file_.IsOpen()) {
    try {
      Flush();
    } catch (const kv::fs::FsError&) {
      // What is not written was not overwritten either (MakeDurable comes before every overwrite).
    }
    file_.Close();
  }
}

void Journal::Discard(const stdfs::path& adt) {
  const stdfs::path path = PathFor(adt);
  if (kv::fs::HostFileExists(path)) kv::fs::RemoveHostFile(path);
}

std::optional<Journal::Restored> Journal::RollBack(const stdfs::path& adt, const stdfs::path& adm, kv::fs::File& data) {
  const stdfs::path path = PathFor(adt);
  if (!kv::fs::HostFileExists(path)) return std::nullopt;
  std::optional<Restored> restored;
  {
    kv::fs::File journal = kv::fs::File::Open(path, kv::fs::File::Mode::ReadOnly);
    std::uint8_t h[head::kSize];
    TableCounters counters;
    const bool sound = journal.ReadAt(0, h, sizeof h) == sizeof h &&
                       std::memcmp(h + head::kMagic, kMagic, sizeof kMagic) == 0 &&
                       GetU32(h + head::kVersion) == kVersion && GetU32(h + head::kCrc) == Crc32c(0, h, head::kCrc) &&
                       TableHeader::DecodeCounters(h + head::kCounters, counters);
    if (sound) {
      const std::uint32_t slotSize = GetU32(h + head::kSlotSize);
      const std::uint64_t dataSize = GetU64(h + head::kDataSize);
      const std::uint64_t memoSize = GetU64(h + head::kMemoSize);
      // The kept pieces, read in large pieces; a piece that does not read whole ends the journal: it was being
      // written when the process died, and so was never overwritten.
      std::vector<std::uint8_t> buffer;
      std::uint64_t at = head::kSize;
      std::size_t used = 0;
      const auto fill = [&](std::size_t need) {
        if (buffer.size() - used >= need) return true;
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(used));
        used = 0;
        const std::size_t have = buffer.size();
        buffer.resize(have + std::max(need, kFlushBytes));
        const std::size_t got = journal.ReadAt(at, buffer.data() + have, buffer.size() - have);
        at += got;
        buffer.resize(have + got);
        return buffer.size() >= need;
      };
      while (fill(kEntryHead)) {
        const std::uint8_t* e = buffer.data() + used;
        const std::uint64_t offset = GetU64(e);
        const std::uint32_t length = GetU32(e + 8);
        if (length == 0 || length > slotSize || offset > dataSize || length > dataSize - offset) break;
        if (!fill(kEntryHead + length)) break;
        e = buffer.data() + used;
        if (GetU32(e + 12) != EntryCrc(e, e + kEntryHead, length)) break;
        data.WriteAt(offset, e + kEntryHead, length);
        used += kEntryHead + length;
      }
      // Records the statement appended go with the file's old length, values it wrote to the memo file with its.
      if (data.Size() > dataSize) data.Truncate(dataSize);
      if (memoSize > 0 && kv::fs::HostFileExists(adm) && LengthOf(adm) > memoSize) {
        kv::fs::File memo = kv::fs::File::Open(adm, kv::fs::File::Mode::ReadWrite);
        memo.Truncate(memoSize);
        memo.Sync();
      }
      // The old counters, with the change counter moved past anything anyone saw: the index is rebuilt for it.
      std::uint8_t block[TableHeader::kCountersSize];
      TableCounters onDisk;
      if (data.ReadAt(TableHeader::kCountersOffset, block, sizeof block) == sizeof block &&
          TableHeader::DecodeCounters(block, onDisk))
        counters.change = std::max(counters.change, onDisk.change);
      ++counters.change;
      counters.busy = false;
      TableHeader copy;
      copy.counters = counters;
      const auto encoded = copy.EncodeCounters();
      data.WriteAt(TableHeader::kCountersOffset, encoded.data(), encoded.size());
      data.Sync();
      restored = Restored{counters};
    }
  }
  kv::fs::RemoveHostFile(path);
  kv::fs::SyncFolder(adt.parent_path());
  return restored;
}

}  // namespace ace::storage
