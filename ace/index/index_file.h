#pragma once
// The compound index file (NAME.ADI) of one table: up to 50 tags, each an ordered multiset of entries
// (fixed-length key, record number) kept in a disk B+tree. Keys are compared with memcmp and ties are broken by
// the record number; the table layer encodes field values so that this order is the order it wants, so the
// index never looks inside a key. The layout is described in docs/formats/adi.md.
//
// Cost: a seek or a change reads O(log n) pages; memory is bounded by the page cache (8 MiB by default) whatever
// the number of entries; a bulk build holds at most its memory budget besides the cache.
//
// Errors are AceError: kCorruptFile for anything wrong with the bytes of the file (named with the file and the
// page), kIoError when the system fails a read or write, kIndexNotFound for an unknown tag, kIndexExists,
// kUniqueKeyViolation, kBadIndexKey for a key of the wrong length, kInvalidArgument for other bad arguments,
// kReadOnly for a change through a read-only open, kPasswordRequired / kWrongPassword for the cipher.
//
// One IndexFile is used by one thread at a time. Cursors and builders refer to the IndexFile they came from and
// must not outlive it (moving the IndexFile is fine).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ace/core/cipher.h"
#include "ace/core/kinds.h"

namespace ace::index {

// A tag's option bits are ace::index_option's (ace/core/kinds.h); only kUnique changes what the index does, the
// others are kept for the table layer. Keys are 1 to ace::kMaxKeyLength bytes.

inline constexpr std::size_t kMaxTags = 50;
inline constexpr std::size_t kMaxTagNameLength = 128;
inline constexpr std::size_t kMaxExpressionLength = 2048;
inline constexpr std::size_t kDefaultCacheBytes = std::size_t{8} << 20;
inline constexpr std::size_t kDefaultBuildBudget = std::size_t{16} << 20;

struct TagInfo {
  std::string name;                 // as given; matched without regard to case
  std::string expression;           // the key text as the caller gave it, stored
  std::uint32_t options = 0;        // option bits as given, stored
  std::uint16_t keyLength = 0;      // fixed key length in bytes, 1..kMaxKeyLength
  std::uint16_t pageSize = 512;     // the page size the caller asked for, stored and reported back
  bool operator==(const TagInfo&) const = default;
};

// A tag's identity within its file: stable across reopening, never reused for another tag of the same file.
using TagId = std::uint32_t;

class IndexFile {
 public:
  struct Impl;  // the library's inside (ace/index/impl.h), not for callers

  enum class Access { ReadWrite, ReadOnly };

  // A new empty file at a host path, replacing any file there; clean, with the given stamp. With a cipher every
  // page but the header is sealed with it (the header only keeps the cipher's check value).
  static IndexFile Create(const std::filesystem::path& path, const Cipher* cipher, std::uint64_t stamp,
                          std::size_t cacheBytes = kDefaultCacheBytes);
  // Opens an existing file. kCorruptFile for a file that is not an index file, has another format version, is
  // truncated or has a damaged header or directory; kPasswordRequired for an encrypted file opened without a
  // cipher; kWrongPassword for a cipher that does not match (or a cipher given for a clear file).
  static IndexFile Open(const std::filesystem::path& path, const Cipher* cipher, Access access = Access::ReadWrite,
                        std::size_t cacheBytes = kDefaultCacheBytes);

  IndexFile(IndexFile&&) noexcept;
  IndexFile& operator=(IndexFile&&) noexcept;
  ~IndexFile();  // writes changed pages as Flush does; errors are lost there, so call Close to see them

  const std::filesystem::path& Path() const;
  bool Encrypted() const;

  // The stamp ties the index to the state of its table file. WasClean is the header's clean flag: true after
  // Create and MarkClean; false from the first change after opening (which writes the flag durably before any
  // page is written) or after MarkDirty, until MarkClean. MarkDirty writes the header and syncs; a file Create
  // made where none was needs no sync for it (no crash can leave it with a clean header describing tags).
  std::uint64_t Stamp() const;
  bool WasClean() const;
  void MarkDirty();
  void MarkClean(std::uint64_t stamp);  // Flush, sync, then the clean header (not synced: lost, it costs a rebuild)
  // For a file under a temporary name that a later rename publishes: the clean header and every page made
  // durable with one sync.
  void MarkCleanUnpublished(std::uint64_t stamp);
  // The identity of the table the file was built for (0 in files made before tables had one). SetOwner keeps it
  // for the next header write (MarkDirty, MarkClean, Flush after a change).
  std::uint64_t Owner() const;
  void SetOwner(std::uint64_t owner);

  std::vector<TagInfo> Tags() const;  // in the order they were added
  std::optional<TagId> FindTag(std::string_view name) const;
  TagInfo Info(TagId tag) const;
  TagId AddTag(const TagInfo& info);    // empty tag; kIndexExists when the name is taken
  void DropTag(std::string_view name);  // frees its pages for reuse; kIndexNotFound when there is none
  void ClearTag(TagId tag);             // all entries removed, pages freed
  std::uint64_t EntryCount(TagId tag) const;

  // Unique tags refuse a second entry with an equal key (kUniqueKeyViolation naming the tag and showing the key).
  // An entry equal in key and record number to one already there is refused in every tag (kInvalidArgument).
  void Insert(TagId tag, std::span<const std::uint8_t> key, std::uint64_t recno);
  bool Erase(TagId tag, std::span<const std::uint8_t> key, std::uint64_t recno);  // false when not there

  void Flush();  // writes every changed page and the header (no sync)
  void Sync();   // Flush + fsync
  // Another process changed the file: forget every cached page, the header and the directory, and read them
  // again. Changes not yet flushed are dropped with the cache (flush before giving up the table's lock).
  void InvalidateCache();
  void Close();  // Flush and close; the IndexFile must not be used afterwards

  class Cursor {
   public:
    Cursor() = default;
    bool First();
    bool Last();
    // First entry whose key, cut to prefix.size(), is >= prefix / last entry whose cut key is <= prefix. An empty
    // prefix acts as First / Last; a prefix longer than the key length is kBadIndexKey.
    bool SeekGE(std::span<const std::uint8_t> prefix);
    bool SeekLE(std::span<const std::uint8_t> prefix);
    // First entry >= (key, recno), key of the full key length.
    bool SeekEntry(std::span<const std::uint8_t> key, std::uint64_t recno);
    // Step from the current entry. After a change to the tag (through any cursor or call of this IndexFile) the
    // cursor re-finds its place from the entry it was on, so Next gives the first entry after it and Prev the
    // last one before it, even when that entry itself was erased. Past either end the cursor is no longer valid
    // and Next / Prev return false until it is positioned again.
    bool Next();
    bool Prev();
    bool Valid() const { return valid_; }
    // The current entry (a copy, so it stays readable after the entry is erased).
    std::span<const std::uint8_t> Key() const;
    std::uint64_t Recno() const;

   private:
    friend class IndexFile;
    friend struct IndexFile::Impl;
    IndexFile::Impl* file_ = nullptr;
    TagId tag_ = 0;
    std::uint64_t leaf_ = 0;
    std::uint32_t slot_ = 0;
    std::uint64_t epoch_ = 0;
    std::uint64_t version_ = 0;
    bool valid_ = false;
    std::vector<std::uint8_t> entry_;  // key bytes followed by the record number (u64 little-endian)
  };
  Cursor OpenCursor(TagId tag) const;

  // Bulk build of one empty tag from entries in any order. Entries are sorted in memory chunks; when they do not
  // fit the budget, sorted runs are spilled to temporary files beside the index (sealed when the file is
  // encrypted) and merged; the tree is then written bottom up with pages about 90% full. Unique violations are
  // reported by Finish as by Insert, and leave the tag empty. A Builder dropped without Finish changes nothing.
  class Builder {
   public:
    Builder(Builder&&) noexcept;
    Builder& operator=(Builder&&) noexcept;
    ~Builder();
    void Add(std::span<const std::uint8_t> key, std::uint64_t recno);
    void Finish();

   private:
    friend class IndexFile;
    struct State;
    explicit Builder(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
  };
  // memoryBudget below 64 KiB is raised to 64 KiB.
  Builder BuildTag(TagId tag, std::size_t memoryBudget = kDefaultBuildBudget);
  // Removes the sort runs that bulk builds of the index file at path (or of its ".new" file) left when their
  // process was killed. Only for a caller that has the table alone: a running build's runs look the same.
  static void RemoveLeftoverSortRuns(const std::filesystem::path& path);

 private:
  explicit IndexFile(std::unique_ptr<Impl> impl);
  Impl& Self() const;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ace::index
