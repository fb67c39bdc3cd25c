#include "ace/storage/memo_file.h"

#include <cstring>
#include <vector>

#include "ace/core/error.h"
#include "ace/storage/bytes.h"

namespace ace::storage {

namespace {

constexpr std::uint8_t kMagic[8] = {'K', 'V', '8', 'M', 'E', 'M', 'O', 0x1A};
constexpr std::uint32_t kVersion = 1;
constexpr std::uint32_t kValueHeader = 8;  // length (4), sealed flag (1), reserved (3)

[[noreturn]] void Damaged(const std::filesystem::path& path, const std::string& why) {
  Fail(code::kCorruptFile, "memo file " + path.string() + " is damaged: " + why);
}

}  // namespace

MemoFile MemoFile::Create(const std::filesystem::path& path, std::uint64_t generation) {
  MemoFile memo;
  memo.file_ = kv::fs::File::Open(path, kv::fs::File::Mode::CreateOrTruncate);
  std::vector<std::uint8_t> header(kHeaderBlocks * kBlockSize, 0);
  std::memcpy(header.data(), kMagic, 8);
  PutU32(&header[8], kVersion);
  PutU32(&header[12], kBlockSize);
  PutU64(&header[16], generation);
  PutU32(&header[24], Crc32({header.data(), 24}));
  memo.file_.WriteAt(0, header.data(), header.size());
  return memo;
}

MemoFile MemoFile::Open(const std::filesystem::path& path, std::uint64_t generation, bool writable) {
  MemoFile memo;
  try {
    memo.file_ = kv::fs::File::Open(path, writable ? kv::fs::File::Mode::ReadWrite : kv::fs::File::Mode::ReadOnly);
  } catch (const kv::fs::FsError& e) {
    Fail(code::kFileNotFound, std::string("the table's memo file cannot be opened: ") + e.what());
  }
  std::uint8_t header[32];
  if (memo.file_.ReadAt(0, header, sizeof header) != sizeof header) Damaged(path, "it is truncated");
  if (std::memcmp(header, kMagic, 8) != 0) Damaged(path, "it is not a memo file of this engine");
  if (GetU32(header + 8) != kVersion || GetU32(header + 12) != kBlockSize) Damaged(path, "unknown format version");
  if (GetU32(header + 24) != Crc32({header, 24})) Damaged(path, "header checksum does not match");
  if (GetU64(header + 16) != generation) Damaged(path, "it belongs to another version of the table");
  return memo;
}

std::string MemoFile::Read(MemoRef ref) const {
  if (ref.block == 0) return {};
  const std::uint64_t offset = ref.block * kBlockSize;
  std::uint8_t head[kValueHeader];
  if (ref.block < kHeaderBlocks || file_.ReadAt(offset, head, sizeof head) != sizeof head)
    Damaged(file_.Path(), "value at block " + std::to_string(ref.block) + " is missing");
  const std::uint32_t stored = GetU32(head);
  const bool sealed = head[4] != 0;
  const std::uint32_t expected = ref.length + (sealed ? static_cast<std::uint32_t>(Cipher::kOverhead) : 0);
  if (stored != expected || stored > kMaxValue + Cipher::kOverhead)
    Damaged(file_.Path(), "value at block " + std::to_string(ref.block) + " has the wrong length");
  std::string data(stored, '\0');
  if (file_.ReadAt(offset + kValueHeader, data.data(), stored) != stored)
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
  std::vector<std::uint8_t> out(kValueHeader + stored);
  PutU32(out.data(), stored);
  out[4] = cipher_ ? 1 : 0;
  if (cipher_) cipher_->Seal(reinterpret_cast<const std::uint8_t*>(bytes.data()), length, block, out.data() + kValueHeader);
  else std::memcpy(out.data() + kValueHeader, bytes.data(), length);
  // Pad to whole blocks so the next value starts on a block boundary.
  out.resize((out.size() + kBlockSize - 1) / kBlockSize * kBlockSize, 0);
  file_.WriteAt(block * kBlockSize, out.data(), out.size());
  return {block, length};
}

}  // namespace ace::storage
