#pragma once
// The inside of IndexFile, shared by index_file.cpp (header, directory, free list, tree changes, cursors) and
// builder.cpp (bulk build). Not part of the library's interface.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ace/core/cipher.h"
#include "ace/index/format.h"
#include "ace/index/index_file.h"
#include "ace/index/pager.h"

namespace ace::index {

// Trees taller than this cannot be built from a file of 2^52 pages even with three entries a page; a header
// that claims more is damaged.
inline constexpr std::uint16_t kMaxHeight = 64;

struct IndexFile::Impl {
  struct Tag {
    std::uint32_t serial = 0;
    TagInfo info;
    std::uint64_t root = 0;
    std::uint16_t height = 1;  // levels; 1 = the root is a leaf
    std::uint64_t count = 0;
    std::uint64_t version = 0;  // bumped by every change, so cursors know to re-find their place
    // Derived from the key length and the page body size.
    std::size_t keyLength = 0;
    std::size_t stride = 0;       // leaf entry: key + recno
    std::size_t innerStride = 0;  // inner item: key + recno + child
    std::uint32_t leafCap = 0;
    std::uint32_t innerCap = 0;   // separators
    std::uint32_t leafMin = 0;    // below this a node is merged with or refilled from a sibling
    std::uint32_t innerMin = 0;
    bool Unique() const { return (info.options & index_option::kUnique) != 0; }
  };

  struct Pos {
    std::uint64_t leaf = 0;
    std::uint32_t slot = 0;
  };

  struct Step {  // one inner node on the way down
    std::uint64_t page = 0;
    std::uint32_t slot = 0;  // the child the descent took
  };

  Impl(std::filesystem::path path, kv::fs::File file, const Cipher* cipher, std::size_t cacheBytes, bool readOnly);

  // Made by Create where no file was, and not marked clean since: whatever of it a crash may leave is no file, a
  // short one, the empty header Create wrote (no tags) or a not-clean one, never a clean header describing tags,
  // so clearing the clean flag needs no sync.
  bool newFile = false;

  // Header and directory.
  void InitNew(std::uint64_t stamp);
  void Load();  // header, then directory; replaces the in-memory state only when all of it is sound
  void StoreHeader();
  void WriteDirectory();
  void CheckWritable() const;  // kReadOnly
  void EnsureWritable();       // CheckWritable, then the clean flag cleared on disk before the first change
  void Flush();

  // Tags.
  Tag& TagFor(TagId id);
  const Tag& TagFor(TagId id) const;
  Tag& TagNamed(std::string_view name);
  void SetShape(Tag& tag) const;
  void CheckKey(const Tag& tag, std::size_t size, bool prefix) const;

  // Pages.
  std::uint64_t Allocate();
  void Free(std::uint64_t page);
  void CheckPageNumber(std::uint64_t page, const Tag& tag) const;
  Pager::Ref Node(const Tag& tag, std::uint64_t page, unsigned level);
  Pager::Ref NewNode(const Tag& tag, std::uint64_t page, unsigned level);
  void FreeTree(const Tag& tag);
  std::uint64_t NewEmptyRoot(const Tag& tag);

  // Entries.
  std::optional<Pos> Bound(const Tag& tag, const std::uint8_t* key, std::uint64_t recno, bool upper);
  std::optional<Pos> Forward(const Tag& tag, std::uint64_t leaf, std::uint32_t slot);
  std::optional<Pos> Before(const Tag& tag, std::uint64_t leaf, std::uint32_t slot);
  std::optional<Pos> Edge(const Tag& tag, bool last);
  void Insert(Tag& tag, const std::uint8_t* key, std::uint64_t recno);
  bool Erase(Tag& tag, const std::uint8_t* key, std::uint64_t recno);
  // Steps of Insert and Erase.
  struct Split {  // what a split node hands its parent: the first entry of the new right node, and its page
    std::vector<std::uint8_t> separator;
    std::uint64_t right = 0;
  };
  // The leaf that holds (or would hold) an entry, with the inner nodes passed on the way down.
  std::uint64_t Descend(const Tag& tag, const std::uint8_t* key, std::uint64_t recno, std::vector<Step>& trail);
  void RefuseHeldKey(const Tag& tag, const std::uint8_t* key);  // kUniqueKeyViolation when the key is held
  Split SplitLeaf(const Tag& tag, Pager::Ref& leaf, std::uint32_t idx, const std::uint8_t* key, std::uint64_t recno,
                  bool append);
  // Carries a split up the trail, splitting inner nodes as they fill and growing a new root at the top.
  void CarryUp(Tag& tag, std::vector<Step>& trail, Split split, bool append);
  void GrowRoot(Tag& tag, unsigned level, const Split& split);
  Split SplitInner(const Tag& tag, Pager::Ref& node, unsigned level, std::uint32_t slot, const Split& below,
                   bool append);
  // Refills or merges nodes that fell below their minimum, bottom up; a root left with one child gives way to it.
  void Rebalance(Tag& tag, std::vector<Step>& trail, Pager::Ref node);
  struct Siblings {  // two neighbouring nodes below one parent, and the separator between them there
    Pager::Ref left, right;
    std::uint8_t* parent = nullptr;
    std::uint32_t sep = 0;
    std::uint8_t* ld = nullptr;  // the nodes' bodies and counts
    std::uint8_t* rd = nullptr;
    std::uint32_t lc = 0, rc = 0;
  };
  void MergeLeaves(const Tag& tag, Siblings& s);  // the right node's entries join the left; the right is freed
  void ShareLeaves(const Tag& tag, Siblings& s);  // the entries shared out evenly, the separator moved
  void MergeInner(const Tag& tag, Siblings& s);   // the left takes the separator and the right node's items
  void ShareInner(const Tag& tag, Siblings& s);
  void Changed(Tag& tag);

  // Cursor placement.
  bool Place(Cursor& cursor, const Tag& tag, std::optional<Pos> pos);
  bool Stale(const Cursor& cursor, const Tag& tag) const;

  // Errors.
  std::string FileText() const;  // "index file '...'"
  std::string TagText(const Tag& tag) const;  // "tag 'X' of index file '...'"
  [[noreturn]] void Corrupt(const std::string& what) const;
  [[noreturn]] void UniqueViolation(const Tag& tag, const std::uint8_t* key, const std::string& holders) const;

  std::filesystem::path path;
  Pager pager;
  bool readOnly = false;
  std::uint64_t epoch = 1;  // bumped when the cache is invalidated or a tag is dropped

  // The header's fields.
  std::uint64_t stamp = 0;
  std::uint64_t owner = 0;
  bool clean = true;
  std::uint32_t nextSerial = 1;
  std::uint64_t pageCount = 1;
  std::uint64_t freeHead = 0;
  std::uint64_t freeCount = 0;
  std::uint32_t dirBytes = 0;
  std::vector<std::uint64_t> dirPages;
  std::vector<Tag> tags;
  bool headerDirty = false;
};

// Entry helpers over page bodies.
inline std::uint32_t Count(const std::uint8_t* d) { return GetU32(d + format::page::kCount); }
inline void SetCount(std::uint8_t* d, std::uint32_t n) { PutU32(d + format::page::kCount, n); }
inline std::uint64_t Link1(const std::uint8_t* d) { return GetU64(d + format::page::kLink1); }
inline std::uint64_t Link2(const std::uint8_t* d) { return GetU64(d + format::page::kLink2); }
inline void SetLink1(std::uint8_t* d, std::uint64_t v) { PutU64(d + format::page::kLink1, v); }
inline void SetLink2(std::uint8_t* d, std::uint64_t v) { PutU64(d + format::page::kLink2, v); }

using Tag = IndexFile::Impl::Tag;

inline std::uint8_t* LeafEntry(std::uint8_t* d, const Tag& t, std::size_t i) {
  return d + format::page::kItems + i * t.stride;
}
inline std::uint8_t* InnerItem(std::uint8_t* d, const Tag& t, std::size_t i) {
  return d + format::page::kItems + i * t.innerStride;
}
inline std::uint64_t ChildAt(std::uint8_t* d, const Tag& t, std::size_t i) {
  return i == 0 ? Link1(d) : GetU64(InnerItem(d, t, i - 1) + t.stride);
}

// memcmp order of the keys, then the record number.
inline int CompareEntry(const std::uint8_t* entry, const std::uint8_t* key, std::uint64_t recno, std::size_t k) {
  if (const int c = std::memcmp(entry, key, k); c != 0) return c;
  const std::uint64_t r = GetU64(entry + k);
  return r < recno ? -1 : (r > recno ? 1 : 0);
}

// The key shown in messages: printable ASCII as is, other bytes as \xNN, trailing blanks left out.
std::string PrintableKey(std::span<const std::uint8_t> key);

}  // namespace ace::index
