#pragma once
// The memo file of a table (NAME.ADM): the values of Memo, Binary and Image fields, each kept in a run of
// 64-byte blocks. A changed value is written to new blocks; the old ones stay until the table is packed.
// docs/formats/adm.md gives the byte layout.

#include <cstdint>
#include <filesystem>
#include <string>

#include "ace/core/cipher.h"
#include "ace/storage/record_codec.h"
#include "platform/file.h"

namespace ace::storage {

class MemoFile {
 public:
  static constexpr std::uint32_t kBlockSize = 64;
  static constexpr std::uint32_t kHeaderBlocks = 8;  // the header takes the first 512 bytes
  static constexpr std::uint32_t kMaxValue = 1u << 30;

  MemoFile() = default;
  // generation ties the memo file to its table file: both headers hold the same number.
  static MemoFile Create(const std::filesystem::path& path, std::uint64_t generation);
  static MemoFile Open(const std::filesystem::path& path, std::uint64_t generation, bool writable);

  bool IsOpen() const { return file_.IsOpen(); }
  // cipher may be null (clear values). Values are sealed with their first block number as the place.
  void SetCipher(const Cipher* cipher) { cipher_ = cipher; }

  std::string Read(MemoRef ref) const;
  MemoRef Write(const std::string& bytes);
  void Sync() { file_.Sync(); }

 private:
  kv::fs::File file_;
  const Cipher* cipher_ = nullptr;
};

}  // namespace ace::storage
