#include "ace/storage/memo_file.h"

#include <cstring>
#include <vector>

#include "ace/core/error.h"
#include "ace/core/bytes.h"
#include "ace/core/checksum.h"

namespace ace::storage {

namespace {

constexpr std::uint8_t kMagic[8] = {'K', 'V', '8', 'M', 'E', 'M', 'O', 0x1A};
constexpr std::uint32_t kVersion = 1;

// The header's fields (docs/formats/adm.md, "Header"): offsets into block 0.
namespace header {
constexpr std::size_t kMagic = 0;        // 8 bytes
constexpr std::size_t kVersion = 8;      // u32
constexpr std::size_t kBlockSize = 12;   // u32
constexpr std::size_t kGeneration = 16;  // u64
constexpr std::size_t kCrc = 24;         // u32, of the bytes before it
constexpr std::size_t kRead = 32;        // what Open reads and checks
}  // namespace header

// A value's head (docs/formats/adm.md, "Values"): stored length (u32), sealed flag (1), reserved (3).
namespace value {
constexpr std::size_t kStoredLength = 0;
constexpr std::size_t kSealed = 4;
constexpr std::uint32_t kHead = 8;
}  // namespace value

[[noreturn]] void Damaged(const std::filesystem::path& path, const std::string& why) {
  Fail(code::kCorruptFile, "memo file " + path.string() + " is damaged: " + why);
}

}  // namespace

MemoFile MemoFile::Create(const std::filesystem::path& path, std::uint64_t generation) {
  MemoFile memo;
  memo.file_ = kv::fs::File::Open(path, kv::fs::File::Mode::CreateOrTruncate);
  std::vector<std::uint8_t> first(kHeaderBlocks * kBlockSize, 0);
  std::memcpy(&first[header::kMagic], kMagic, sizeof kMagic);
  PutU32(&first[header::kVersion], kVersion);
  PutU32(&first[header::kBlockSize], kBlockSize);
  PutU64(&first[header::kGeneration], generation);
  PutU32(&first[header::kCrc], Crc32({first.data(), header::kCrc}));
  memo.file_.WriteAt(0, first.data(), first.size());
  return memo;
}

MemoFile MemoFile::Open(const std::filesystem::path& path, std::uint64_t generation, bool writable) {
  MemoFile memo;
  try {
    memo.file_ = kv::fs::File::Open(path, writable ? kv::fs::File::Mode::ReadWrite : kv::fs::File::Mode::ReadOnly);
  } catch (const kv::fs::FsError& e) {
    Fail(code::kFileNotFound, std::string("the table's memo file cannot be opened: ") + e.what());
  }
  std::uint8_t head[header::kRead];
  if (memo.file_.ReadAt(0, head, sizeof head) != sizeof head) Damaged(path, "it is truncated");
  if (std::memcmp(head + header::kMagic, kMagic, sizeof kMagic) != 0) Damaged(path, "it is not a memo file of this engine");
  if (GetU32(head + header::kVersion) != kVersion || GetU32(head + header::kBlockSize) != kBlockSize)
    Damaged(path, "unknown format version");
  if (GetU32(head + header::kCrc) != Crc32({head, header::kCrc})) Damaged(path, "header checksum does not match");
  if (GetU64(head + header::kGeneration) != generation) Damaged(path, "it belongs to another version of the table");
  return memo;
}

std::string MemoFile::Read(MemoRef ref) const {
  if (ref.block == 0) return {};
  // The block number comes from a record: one past the file's end is damage, and is never read (nor multiplied
  // into an offset that wraps around).
  const std::uint64_t size = file_.Size();
  if (ref.block < kHeaderBlocks || ref.block > size / kBlockSize)
    Damaged(file_.Path(), "value at block " + std::to_string(ref.block) + " is missing");
  const std::uint64_t offset = ref.block * kBlockSize;
  std::uint8_t head[value::kHead];
  if (file_.ReadAt(offset, head, sizeof head) != sizeof head)
    Damaged(file_.Path(), "value at block " + std::to_string(ref.block) + " is missing");
  const std::uint32_t stored = GetU32(head + value::kStoredLength);
  const bool sealed = head[value::kSealed] != 0;
  const std::uint32_t expected = ref.length + (sealed ? static_cast<std::uint32_t>(Cipher::kOverhead) : 0);
  if (stored != expected || stored > kMaxValue + Cipher::kOverhead)
    Damaged(file_.Path(), "value at block " + std::to_string(ref.block) + " has the wrong length");
  // The length comes from the file: it is held against the file's size before memory is taken for it, so a
  // damaged value cannot make a read reserve up to a gigabyte for bytes that are not there.
  if (offset + value::kHead + stored > size)
    Damaged(file_.Path(), "value at block " + std::to_string(ref.block) + " is truncated");
  std::string data(stored, '\0');
  if (file_.ReadAt(offset + value::kHead, data.data(), stored) != stored)
    Damaged(file_.Path(), "value at block " + std::to_string(ref.block) + " is truncated");
  if (!sealed) {
    if (cipher_ != nullptr) Damaged(file_.Path(), "a clear value in an encrypted table");
    return data;
  }
  if (cipher_ == nullptr) Fail(code::kPasswordRequired, "the table is encrypted: give its password first");
  std::string plain(ref.length, '\0');
  if (!cipher_->Open(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), ref.block,
                     reinterpret_cast<std::uint8_t*>(plain.data())))
    Damaged(file_.Path(), "value at block " + std::to_string(ref.block) + " does not decrypt");
  return plain;
}

MemoRef MemoFile::Write(const std::string& bytes) {
  if (bytes.empty()) return {};
  if (bytes.size() > kMaxValue) Fail(code::kValueOutOfRange, "a memo value holds at most 1 GiB");
  const std::uint64_t size = file_.Size();
  std::uint64_t block = (size + kBlockSize - 1) / kBlockSize;
  if (block < kHeaderBlocks) block = kHeaderBlocks;
  const std::uint32_t length = static_cast<std::uint32_t>(bytes.size());
  const std::uint32_t stored = length + (cipher_ ? static_cast<std::uint32_t>(Cipher::kOverhead) : 0);
  std::vector<std::uint8_t> out(value::kHead + stored);
  PutU32(out.data() + value::kStoredLength, stored);
  out[value::kSealed] = cipher_ ? 1 : 0;
  if (cipher_) cipher_->Seal(reinterpret_cast<const std::uint8_t*>(bytes.data()), length, block, out.data() + value::kHead);
  else std::memcpy(out.data() + value::kHead, bytes.data(), length);
  // Pad to whole blocks so the next value starts on a block boundary.
  out.resize((out.size() + kBlockSize - 1) / kBlockSize * kBlockSize, 0);
  file_.WriteAt(block * kBlockSize, out.data(), out.size());
  return {block, length};
}

}  // namespace ace::storage
