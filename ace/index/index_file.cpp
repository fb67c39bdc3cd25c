#include "ace/index/index_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <utility>

#include "ace/core/error.h"
#include "ace/index/io.h"
#include "ace/index/impl.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace ace::index {

namespace fmt = format;

namespace {

constexpr std::size_t kRecordHead = 16;  // fixed part of a directory record
constexpr std::size_t kMaxDirectoryBytes = kMaxTags * (kRecordHead + kMaxTagNameLength + kMaxExpressionLength);

// The number of entries (leaf) or separators (inner node) before the first one above the probe (upper) or at
// or above it (lower).
std::uint32_t Search(const std::uint8_t* first, std::size_t step, std::size_t keyLength, std::uint32_t count,
                     const std::uint8_t* key, std::uint64_t recno, bool upper) {
  std::uint32_t lo = 0;
  std::uint32_t hi = count;
  while (lo < hi) {
    const std::uint32_t mid = lo + (hi - lo) / 2;
    const int c = CompareEntry(first + mid * step, key, recno, keyLength);
    if (upper ? c <= 0 : c < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

// Inner nodes keep, for every separator s_i, entries of child i below s_i and entries of child i+1 at or above
// it; so the child that holds (or would hold) an entry is the one after all separators <= the entry.
std::uint32_t InnerSlot(std::uint8_t* d, const Tag& t, const std::uint8_t* key, std::uint64_t recno) {
  return Search(InnerItem(d, t, 0), t.innerStride, t.keyLength, Count(d), key, recno, true);
}

std::uint32_t LeafSlot(std::uint8_t* d, const Tag& t, const std::uint8_t* key, std::uint64_t recno, bool upper) {
  return Search(LeafEntry(d, t, 0), t.stride, t.keyLength, Count(d), key, recno, upper);
}

// Writes n separators and n + 1 children, taken from seps / kids starting at separator first, into an inner
// node, clearing the items behind them.
void WriteInner(std::uint8_t* d, const Tag& t, const std::vector<std::uint8_t>& seps,
                const std::vector<std::uint64_t>& kids, std::size_t first, std::size_t n) {
  SetLink1(d, kids[first]);
  for (std::size_t i = 0; i < n; ++i) {
    std::uint8_t* item = InnerItem(d, t, i);
    std::memcpy(item, seps.data() + (first + i) * t.stride, t.stride);
    PutU64(item + t.stride, kids[first + i + 1]);
  }
  std::memset(InnerItem(d, t, n), 0, (t.innerCap - n) * t.innerStride);
  SetCount(d, static_cast<std::uint32_t>(n));
}

// Splits an inner node's items into separators and children (child 0 first).
void ReadInner(std::uint8_t* d, const Tag& t, std::vector<std::uint8_t>& seps, std::vector<std::uint64_t>& kids) {
  const std::uint32_t count = Count(d);
  kids.push_back(Link1(d));
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* item = InnerItem(d, t, i);
    seps.insert(seps.end(), item, item + t.stride);
    kids.push_back(GetU64(item + t.stride));
  }
}

void RemoveItem(std::uint8_t* d, const Tag& t, std::uint32_t i) {
  const std::uint32_t count = Count(d);
  std::memmove(InnerItem(d, t, i), InnerItem(d, t, i + 1), (count - i - 1) * t.innerStride);
  std::memset(InnerItem(d, t, count - 1), 0, t.innerStride);
  SetCount(d, count - 1);
}

IndexFile::Impl& FileOf(IndexFile::Impl* file) {
  if (file == nullptr) Fail(code::kInvalidHandle, "the index cursor is not open on a tag");
  return *file;
}

}  // namespace

std::string PrintableKey(std::span<const std::uint8_t> key) {
  std::size_t size = key.size();
  while (size > 0 && key[size - 1] == ' ') --size;
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    if (text.size() >= 200) {
      text += "...";
      break;
    }
    const std::uint8_t b = key[i];
    if (b >= 0x20 && b < 0x7F && b != '\\' && b != '\'') {
      text += static_cast<char>(b);
    } else {
      text += "\\x";
      text += kHex[b >> 4];
      text += kHex[b & 15];
    }
  }
  return text;
}

// ---- Impl: header, directory, free list ----

IndexFile::Impl::Impl(std::filesystem::path p, kv::fs::File file, const Cipher* cipher, std::size_t cacheBytes,
                      bool ro)
    : path(p), pager(p, std::move(file), cipher, cacheBytes), readOnly(ro) {}

std::string IndexFile::Impl::FileText() const { return "index file '" + path.string() + "'"; }

std::string IndexFile::Impl::TagText(const Tag& tag) const { return "tag '" + tag.info.name + "' of " + FileText(); }

void IndexFile::Impl::Corrupt(const std::string& what) const {
  Fail(code::kCorruptFile, FileText() + " is damaged: " + what);
}

void IndexFile::Impl::UniqueViolation(const Tag& tag, const std::uint8_t* key, const std::string& holders) const {
  Fail(code::kUniqueKeyViolation, "unique key violation in " + TagText(tag) + ": key '" +
                                      PrintableKey({key, tag.keyLength}) + "' " + holders);
}

void IndexFile::Impl::SetShape(Tag& tag) const {
  tag.keyLength = tag.info.keyLength;
  tag.stride = tag.keyLength + 8;
  tag.innerStride = tag.keyLength + 16;
  const std::size_t room = pager.BodySize() - fmt::page::kItems;
  tag.leafCap = static_cast<std::uint32_t>(room / tag.stride);
  tag.innerCap = static_cast<std::uint32_t>(room / tag.innerStride);
  tag.leafMin = std::max<std::uint32_t>(1, tag.leafCap / 3);
  tag.innerMin = std::max<std::uint32_t>(1, tag.innerCap / 3);
}

void IndexFile::Impl::InitNew(std::uint64_t newStamp) {
  stamp = newStamp;
  clean = true;
  StoreHeader();
}

void IndexFile::Impl::StoreHeader() {
  namespace h = fmt::header;
  std::array<std::uint8_t, fmt::kPageBytes> page{};
  std::uint8_t* p = page.data();
  std::memcpy(p + h::kMagic, fmt::kMagic, sizeof fmt::kMagic);
  PutU32(p + h::kVersion, fmt::kVersion);
  PutU32(p + h::kPageBytes, static_cast<std::uint32_t>(fmt::kPageBytes));
  PutU32(p + h::kFlags, pager.Sealed() ? h::kFlagSealed : 0);
  PutU32(p + h::kTagCount, static_cast<std::uint32_t>(tags.size()));
  PutU64(p + h::kStamp, stamp);
  PutU32(p + h::kClean, clean ? 1 : 0);
  PutU32(p + h::kNextSerial, nextSerial);
  PutU64(p + h::kPageCount, pageCount);
  PutU64(p + h::kFreeHead, freeHead);
  PutU64(p + h::kFreeCount, freeCount);
  PutU64(p + h::kDirFirst, dirPages.empty() ? 0 : dirPages.front());
  PutU32(p + h::kDirBytes, dirBytes);
  if (const Cipher* cipher = pager.CipherOrNull()) std::memcpy(p + h::kCheck, cipher->CheckValue().data(), 16);
  for (std::size_t i = 0; i < tags.size(); ++i) {
    std::uint8_t* slot = p + h::kSlots + i * h::kSlotBytes;
    PutU32(slot, tags[i].serial);
    PutU16(slot + 4, tags[i].height);
    PutU64(slot + 8, tags[i].root);
    PutU64(slot + 16, tags[i].count);
  }
  PutU32(p + h::kCrc, fmt::PageCrc(0, p, h::kCrc));
  pager.WriteHeader(p);
  headerDirty = false;
}

void IndexFile::Impl::Load() {
  namespace h = fmt::header;
  std::array<std::uint8_t, fmt::kPageBytes> page{};
  const std::uint8_t* p = page.data();
  pager.ReadHeader(page.data());
  if (std::memcmp(p + h::kMagic, fmt::kMagic, sizeof fmt::kMagic) != 0)
    Fail(code::kCorruptFile, FileText() + " is not an index file (it does not start with the index file mark)");
  if (const std::uint32_t version = GetU32(p + h::kVersion); version != fmt::kVersion)
    Fail(code::kCorruptFile, FileText() + " has format version " + std::to_string(version) +
                                 "; this engine reads version " + std::to_string(fmt::kVersion));
  if (GetU32(p + h::kCrc) != fmt::PageCrc(0, p, h::kCrc)) Corrupt("its header fails its checksum");
  if (GetU32(p + h::kPageBytes) != fmt::kPageBytes) Corrupt("its header gives another page size");
  const std::uint32_t flags = GetU32(p + h::kFlags);
  if ((flags & ~h::kFlagSealed) != 0) Corrupt("its header has unknown flags");
  const bool sealed = (flags & h::kFlagSealed) != 0;
  if (sealed && !pager.Sealed())
    Fail(code::kPasswordRequired, FileText() + " is encrypted; it cannot be read without the table's password");
  if (!sealed && pager.Sealed())
    Fail(code::kWrongPassword, FileText() + " is not encrypted, but a password was given for it");
  if (sealed && std::memcmp(p + h::kCheck, pager.CipherOrNull()->CheckValue().data(), Cipher::kCheckSize) != 0)
    Fail(code::kWrongPassword, "the password does not open " + FileText());

  const std::uint32_t tagCount = GetU32(p + h::kTagCount);
  const std::uint32_t cleanFlag = GetU32(p + h::kClean);
  const std::uint32_t serialNext = GetU32(p + h::kNextSerial);
  const std::uint64_t pages = GetU64(p + h::kPageCount);
  const std::uint64_t head = GetU64(p + h::kFreeHead);
  const std::uint64_t freePages = GetU64(p + h::kFreeCount);
  const std::uint64_t dirFirst = GetU64(p + h::kDirFirst);
  const std::uint32_t directoryBytes = GetU32(p + h::kDirBytes);
  if (tagCount > kMaxTags) Corrupt("its header counts " + std::to_string(tagCount) + " tags");
  if (cleanFlag > 1) Corrupt("its header's clean flag is " + std::to_string(cleanFlag));
  if (pages == 0) Corrupt("its header counts no pages");
  const std::uint64_t fileBytes = pager.FileSize();
  if (pages > fileBytes / fmt::kPageBytes)
    Fail(code::kCorruptFile, FileText() + " is truncated: its header counts " + std::to_string(pages) +
                                 " pages of " + std::to_string(fmt::kPageBytes) + " bytes, the file holds " +
                                 std::to_string(fileBytes) + " bytes");
  if (head >= pages || freePages >= pages || (head == 0) != (freePages == 0))
    Corrupt("its header's free-page list is out of range");
  if (dirFirst >= pages || (dirFirst == 0) != (tagCount == 0) || (dirFirst == 0) != (directoryBytes == 0) ||
      directoryBytes > kMaxDirectoryBytes)
    Corrupt("its header's tag directory is out of range");

  // The directory: a chain of pages holding one byte stream.
  const std::size_t dirCap = pager.BodySize() - fmt::page::kItems;
  std::vector<std::uint8_t> stream;
  stream.reserve(directoryBytes);
  std::vector<std::uint64_t> chain;
  std::uint64_t at = dirFirst;
  while (stream.size() < directoryBytes) {
    if (at == 0 || at >= pages) Corrupt("its tag directory refers to page " + std::to_string(at) + " outside the file");
    if (chain.size() > directoryBytes / dirCap) Corrupt("its tag directory runs in a circle");
    Pager::Ref ref = pager.Read(at);
    std::uint8_t* d = ref.Data();
    const std::size_t want = std::min(dirCap, directoryBytes - stream.size());
    if (d[fmt::page::kType] != fmt::kDirectory || Count(d) != want)
      pager.Corrupt(at, "is not the directory page the tag directory continues in");
    stream.insert(stream.end(), d + fmt::page::kItems, d + fmt::page::kItems + want);
    chain.push_back(at);
    at = Link1(d);
  }
  if (at != 0) Corrupt("its tag directory runs on past its length");

  std::vector<Tag> parsed;
  std::size_t pos = 0;
  for (std::uint32_t i = 0; i < tagCount; ++i) {
    const std::string which = "tag directory record " + std::to_string(i + 1);
    if (stream.size() - pos < kRecordHead) Corrupt("its " + which + " is cut short");
    const std::uint8_t* r = stream.data() + pos;
    Tag tag;
    tag.serial = GetU32(r);
    tag.info.options = GetU32(r + 4);
    tag.info.keyLength = GetU16(r + 8);
    tag.info.pageSize = GetU16(r + 10);
    const std::size_t nameLength = GetU16(r + 12);
    const std::size_t expressionLength = GetU16(r + 14);
    if (tag.info.keyLength == 0 || tag.info.keyLength > kMaxKeyLength || nameLength == 0 ||
        nameLength > kMaxTagNameLength || expressionLength > kMaxExpressionLength)
      Corrupt("its " + which + " is out of range");
    if (stream.size() - pos - kRecordHead < nameLength + expressionLength) Corrupt("its " + which + " is cut short");
    tag.info.name.assign(reinterpret_cast<const char*>(r + kRecordHead), nameLength);
    tag.info.expression.assign(reinterpret_cast<const char*>(r + kRecordHead + nameLength), expressionLength);
    pos += kRecordHead + nameLength + expressionLength;

    const std::uint8_t* slot = p + h::kSlots + i * h::kSlotBytes;
    tag.height = GetU16(slot + 4);
    tag.root = GetU64(slot + 8);
    tag.count = GetU64(slot + 16);
    if (GetU32(slot) != tag.serial || tag.serial == 0 || tag.serial >= serialNext)
      Corrupt("its header and its tag directory disagree about tag " + std::to_string(i + 1));
    if (tag.height == 0 || tag.height > kMaxHeight || tag.root == 0 || tag.root >= pages)
      Corrupt("its header's entry for tag '" + tag.info.name + "' is out of range");
    for (const Tag& other : parsed)
      if (other.serial == tag.serial || kv::SameText(other.info.name, tag.info.name))
        Corrupt("its tag directory holds tag '" + tag.info.name + "' twice");
    SetShape(tag);
    parsed.push_back(std::move(tag));
  }
  if (pos != stream.size()) Corrupt("its tag directory has stray bytes at its end");

  stamp = GetU64(p + h::kStamp);
  clean = cleanFlag == 1;
  nextSerial = serialNext;
  pageCount = pages;
  freeHead = head;
  freeCount = freePages;
  dirBytes = directoryBytes;
  dirPages = std::move(chain);
  tags = std::move(parsed);
  headerDirty = false;
}

void IndexFile::Impl::WriteDirectory() {
  std::vector<std::uint8_t> stream;
  for (const Tag& tag : tags) {
    std::uint8_t head[kRecordHead];
    PutU32(head, tag.serial);
    PutU32(head + 4, tag.info.options);
    PutU16(head + 8, tag.info.keyLength);
    PutU16(head + 10, tag.info.pageSize);
    PutU16(head + 12, static_cast<std::uint16_t>(tag.info.name.size()));
    PutU16(head + 14, static_cast<std::uint16_t>(tag.info.expression.size()));
    stream.insert(stream.end(), head, head + kRecordHead);
    stream.insert(stream.end(), tag.info.name.begin(), tag.info.name.end());
    stream.insert(stream.end(), tag.info.expression.begin(), tag.info.expression.end());
  }
  const std::size_t dirCap = pager.BodySize() - fmt::page::kItems;
  const std::size_t need = (stream.size() + dirCap - 1) / dirCap;
  std::vector<std::uint64_t> pages = dirPages;
  while (pages.size() > need) {
    Free(pages.back());
    pages.pop_back();
  }
  while (pages.size() < need) pages.push_back(Allocate());
  for (std::size_t i = 0; i < need; ++i) {
    Pager::Ref ref = pager.Fresh(pages[i]);
    std::uint8_t* d = ref.Data();
    const std::size_t n = std::min(dirCap, stream.size() - i * dirCap);
    d[fmt::page::kType] = fmt::kDirectory;
    SetCount(d, static_cast<std::uint32_t>(n));
    SetLink1(d, i + 1 < need ? pages[i + 1] : 0);
    std::memcpy(d + fmt::page::kItems, stream.data() + i * dirCap, n);
  }
  dirPages = std::move(pages);
  dirBytes = static_cast<std::uint32_t>(stream.size());
  headerDirty = true;
}

void IndexFile::Impl::CheckWritable() const {
  if (readOnly) Fail(code::kReadOnly, FileText() + " is open read-only");
}

void IndexFile::Impl::EnsureWritable() {
  CheckWritable();
  // The clean flag goes to disk before any changed page can: a crash from here on leaves a file the table layer
  // sees as not clean, and rebuilds.
  if (clean) {
    clean = false;
    StoreHeader();
    if (!newFile) pager.Sync();
  }
}

void IndexFile::Impl::Flush() {
  if (readOnly) return;
  pager.FlushDirty();
  // Pages allocated and freed again before they were ever written leave a hole at the end; the file must still
  // be as long as the header says.
  const std::uint64_t need = pageCount * fmt::kPageBytes;
  if (pager.FileSize() < need) pager.ExtendTo(need);
  if (headerDirty) StoreHeader();
}

std::uint64_t IndexFile::Impl::Allocate() {
  if (freeHead == 0) {
    headerDirty = true;
    return pageCount++;
  }
  const std::uint64_t trunkPage = freeHead;
  Pager::Ref trunk = pager.Read(trunkPage);
  std::uint8_t* d = trunk.Data();
  const std::uint32_t count = Count(d);
  const std::size_t trunkCap = (pager.BodySize() - fmt::page::kItems) / 8;
  if (d[fmt::page::kType] != fmt::kFreeTrunk || count > trunkCap || freeCount == 0)
    pager.Corrupt(trunkPage, "is not the free-list page the free-page list continues in");
  std::uint64_t page = 0;
  if (count > 0) {
    page = GetU64(d + fmt::page::kItems + (count - 1) * 8);
    SetCount(d, count - 1);
    trunk.MarkDirty();
  } else {
    page = trunkPage;
    freeHead = Link1(d);
    if (freeHead >= pageCount) Corrupt("its free-page list refers to page " + std::to_string(freeHead));
  }
  if (page == 0 || page >= pageCount) Corrupt("its free-page list holds page " + std::to_string(page));
  --freeCount;
  headerDirty = true;
  return page;
}

void IndexFile::Impl::Free(std::uint64_t page) {
  pager.Forget(page);
  const std::size_t trunkCap = (pager.BodySize() - fmt::page::kItems) / 8;
  if (freeHead != 0) {
    if (freeHead >= pageCount) Corrupt("its free-page list refers to page " + std::to_string(freeHead));
    Pager::Ref trunk = pager.Read(freeHead);
    std::uint8_t* d = trunk.Data();
    const std::uint32_t count = Count(d);
    if (d[fmt::page::kType] != fmt::kFreeTrunk || count > trunkCap)
      pager.Corrupt(freeHead, "is not the free-list page the free-page list starts with");
    if (count < trunkCap) {
      PutU64(d + fmt::page::kItems + count * 8, page);
      SetCount(d, count + 1);
      trunk.MarkDirty();
      ++freeCount;
      headerDirty = true;
      return;
    }
  }
  // The freed page becomes the new first trunk page.
  Pager::Ref ref = pager.Fresh(page);
  ref.Data()[fmt::page::kType] = fmt::kFreeTrunk;
  SetLink1(ref.Data(), freeHead);
  freeHead = page;
  ++freeCount;
  headerDirty = true;
}

// ---- Impl: tags and nodes ----

Tag& IndexFile::Impl::TagFor(TagId id) {
  for (Tag& tag : tags)
    if (tag.serial == id) return tag;
  Fail(code::kIndexNotFound, FileText() + " has no tag with id " + std::to_string(id));
}

const Tag& IndexFile::Impl::TagFor(TagId id) const { return const_cast<Impl*>(this)->TagFor(id); }

Tag& IndexFile::Impl::TagNamed(std::string_view name) {
  for (Tag& tag : tags)
    if (kv::SameText(tag.info.name, name)) return tag;
  Fail(code::kIndexNotFound, FileText() + " has no tag '" + std::string(name) + "'");
}

void IndexFile::Impl::CheckKey(const Tag& tag, std::size_t size, bool prefix) const {
  if (prefix ? size > tag.keyLength : size != tag.keyLength)
    Fail(code::kBadIndexKey, TagText(tag) + " has keys of " + std::to_string(tag.keyLength) + " bytes; " +
                                 (prefix ? "a prefix of " : "a key of ") + std::to_string(size) +
                                 " bytes was given");
}

void IndexFile::Impl::CheckPageNumber(std::uint64_t page, const Tag& tag) const {
  if (page == 0 || page >= pageCount)
    Corrupt("tag '" + tag.info.name + "' refers to page " + std::to_string(page) + ", outside the file's " +
            std::to_string(pageCount) + " pages");
}

Pager::Ref IndexFile::Impl::Node(const Tag& tag, std::uint64_t page, unsigned level) {
  CheckPageNumber(page, tag);
  Pager::Ref ref = pager.Read(page);
  const std::uint8_t* d = ref.Data();
  const bool leaf = level == 0;
  const std::uint32_t count = Count(d);
  if (d[fmt::page::kType] != (leaf ? fmt::kLeaf : fmt::kInner) || GetU16(d + fmt::page::kLevel) != level ||
      GetU32(d + fmt::page::kSerial) != tag.serial || count > (leaf ? tag.leafCap : tag.innerCap) ||
      (!leaf && count == 0))
    pager.Corrupt(page, "is not the level " + std::to_string(level) + " node of tag '" + tag.info.name +
                            "' that the tree points to");
  return ref;
}

Pager::Ref IndexFile::Impl::NewNode(const Tag& tag, std::uint64_t page, unsigned level) {
  Pager::Ref ref = pager.Fresh(page);
  std::uint8_t* d = ref.Data();
  d[fmt::page::kType] = level == 0 ? fmt::kLeaf : fmt::kInner;
  PutU16(d + fmt::page::kLevel, static_cast<std::uint16_t>(level));
  PutU32(d + fmt::page::kSerial, tag.serial);
  return ref;
}

std::uint64_t IndexFile::Impl::NewEmptyRoot(const Tag& tag) {
  const std::uint64_t page = Allocate();
  NewNode(tag, page, 0);
  return page;
}

void IndexFile::Impl::FreeTree(const Tag& tag) {
  // Inner nodes are read for their children; leaves are freed unread.
  std::vector<std::pair<std::uint64_t, unsigned>> stack{{tag.root, tag.height - 1u}};
  std::vector<std::uint8_t> seps;
  std::vector<std::uint64_t> kids;
  while (!stack.empty()) {
    const auto [page, level] = stack.back();
    stack.pop_back();
    CheckPageNumber(page, tag);
    if (level == 0) {
      Free(page);
      continue;
    }
    seps.clear();
    kids.clear();
    {
      Pager::Ref node = Node(tag, page, level);
      ReadInner(node.Data(), tag, seps, kids);
    }
    Free(page);
    for (const std::uint64_t kid : kids) stack.emplace_back(kid, level - 1);
  }
}

void IndexFile::Impl::Changed(Tag& tag) {
  ++tag.version;
  headerDirty = true;
}

// ---- Impl: finding entries ----

std::optional<IndexFile::Impl::Pos> IndexFile::Impl::Bound(const Tag& tag, const std::uint8_t* key,
                                                           std::uint64_t recno, bool upper) {
  std::uint64_t page = tag.root;
  for (unsigned level = tag.height - 1u; level > 0; --level) {
    Pager::Ref node = Node(tag, page, level);
    page = ChildAt(node.Data(), tag, InnerSlot(node.Data(), tag, key, recno));
  }
  std::uint32_t slot = 0;
  {
    Pager::Ref leaf = Node(tag, page, 0);
    slot = LeafSlot(leaf.Data(), tag, key, recno, upper);
  }
  return Forward(tag, page, slot);
}

std::optional<IndexFile::Impl::Pos> IndexFile::Impl::Forward(const Tag& tag, std::uint64_t leaf,
                                                             std::uint32_t slot) {
  std::uint64_t page = leaf;
  std::uint64_t from = 0;
  for (std::uint64_t steps = 0;; ++steps) {
    if (steps >= pageCount) Corrupt("the leaf chain of tag '" + tag.info.name + "' runs in a circle");
    Pager::Ref node = Node(tag, page, 0);
    // Each step checks that the neighbour points back, so a damaged link cannot send a scan round in a loop.
    if (from != 0 && Link2(node.Data()) != from)
      pager.Corrupt(page, "does not link back to leaf " + std::to_string(from) + " of tag '" + tag.info.name + "'");
    if (slot < Count(node.Data())) return Pos{page, slot};
    from = page;
    page = Link1(node.Data());
    if (page == 0) return std::nullopt;
    slot = 0;
  }
}

std::optional<IndexFile::Impl::Pos> IndexFile::Impl::Before(const Tag& tag, std::uint64_t leaf,
                                                            std::uint32_t slot) {
  if (slot > 0) return Pos{leaf, slot - 1};
  std::uint64_t from = leaf;
  std::uint64_t page = Link2(Node(tag, leaf, 0).Data());
  for (std::uint64_t steps = 0; page != 0; ++steps) {
    if (steps >= pageCount) Corrupt("the leaf chain of tag '" + tag.info.name + "' runs in a circle");
    Pager::Ref node = Node(tag, page, 0);
    if (Link1(node.Data()) != from)
      pager.Corrupt(page, "does not link on to leaf " + std::to_string(from) + " of tag '" + tag.info.name + "'");
    if (const std::uint32_t count = Count(node.Data()); count > 0) return Pos{page, count - 1};
    from = page;
    page = Link2(node.Data());
  }
  return std::nullopt;
}

std::optional<IndexFile::Impl::Pos> IndexFile::Impl::Edge(const Tag& tag, bool last) {
  std::uint64_t page = tag.root;
  for (unsigned level = tag.height - 1u; level > 0; --level) {
    Pager::Ref node = Node(tag, page, level);
    page = ChildAt(node.Data(), tag, last ? Count(node.Data()) : 0);
  }
  if (!last) return Forward(tag, page, 0);
  std::uint32_t count = 0;
  {
    Pager::Ref leaf = Node(tag, page, 0);
    count = Count(leaf.Data());
  }
  return count > 0 ? std::optional<Pos>(Pos{page, count - 1}) : Before(tag, page, 0);
}

// ---- Impl: changing entries ----

std::uint64_t IndexFile::Impl::Descend(const Tag& tag, const std::uint8_t* key, std::uint64_t recno,
                                       std::vector<Step>& trail) {
  std::uint64_t page = tag.root;
  for (unsigned level = tag.height - 1u; level > 0; --level) {
    Pager::Ref node = Node(tag, page, level);
    const std::uint32_t slot = InnerSlot(node.Data(), tag, key, recno);
    trail.push_back({page, slot});
    page = ChildAt(node.Data(), tag, slot);
  }
  return page;
}

void IndexFile::Impl::RefuseHeldKey(const Tag& tag, const std::uint8_t* key) {
  const auto pos = Bound(tag, key, 0, false);
  if (!pos) return;
  Pager::Ref leaf = Node(tag, pos->leaf, 0);
  const std::uint8_t* entry = LeafEntry(leaf.Data(), tag, pos->slot);
  if (std::memcmp(entry, key, tag.keyLength) == 0)
    UniqueViolation(tag, key, "is already held by record " + std::to_string(GetU64(entry + tag.keyLength)));
}

void IndexFile::Impl::Insert(Tag& tag, const std::uint8_t* key, std::uint64_t recno) {
  const std::size_t k = tag.keyLength;
  const std::size_t st = tag.stride;
  if (tag.Unique()) RefuseHeldKey(tag, key);
  std::vector<Step> trail;
  Pager::Ref leaf = Node(tag, Descend(tag, key, recno, trail), 0);
  std::uint8_t* d = leaf.Data();
  const std::uint32_t count = Count(d);
  const std::uint32_t idx = LeafSlot(d, tag, key, recno, false);
  if (idx < count && CompareEntry(LeafEntry(d, tag, idx), key, recno, k) == 0)
    Fail(code::kInvalidArgument, TagText(tag) + " already holds key '" + PrintableKey({key, k}) +
                                     "' for record " + std::to_string(recno));
  EnsureWritable();

  if (count < tag.leafCap) {
    std::memmove(LeafEntry(d, tag, idx + 1), LeafEntry(d, tag, idx), (count - idx) * st);
    std::memcpy(LeafEntry(d, tag, idx), key, k);
    PutU64(LeafEntry(d, tag, idx) + k, recno);
    SetCount(d, count + 1);
    leaf.MarkDirty();
    ++tag.count;
    Changed(tag);
    return;
  }
  // Appending past the last entry of the last leaf (records added in key order): then every step of the trail
  // took the last child too, and the splits keep their left pages full instead of leaving two half-empty ones.
  const bool append = Link1(d) == 0 && idx == count;
  Split split = SplitLeaf(tag, leaf, idx, key, recno, append);
  ++tag.count;
  Changed(tag);
  CarryUp(tag, trail, std::move(split), append);
}

IndexFile::Impl::Split IndexFile::Impl::SplitLeaf(const Tag& tag, Pager::Ref& leaf, std::uint32_t idx,
                                                  const std::uint8_t* key, std::uint64_t recno, bool append) {
  const std::size_t k = tag.keyLength;
  const std::size_t st = tag.stride;
  std::uint8_t* d = leaf.Data();
  const std::uint32_t count = Count(d);
  const std::uint32_t total = count + 1;
  std::vector<std::uint8_t> all(total * st);
  std::memcpy(all.data(), LeafEntry(d, tag, 0), idx * st);
  std::memcpy(all.data() + idx * st, key, k);
  PutU64(all.data() + idx * st + k, recno);
  std::memcpy(all.data() + (idx + 1) * st, LeafEntry(d, tag, idx), (count - idx) * st);
  const std::uint64_t oldNext = Link1(d);
  const std::uint32_t leftCount = append ? count : total / 2;
  const std::uint64_t rightPage = Allocate();
  {
    Pager::Ref right = NewNode(tag, rightPage, 0);
    std::uint8_t* rd = right.Data();
    std::memcpy(LeafEntry(rd, tag, 0), all.data() + leftCount * st, (total - leftCount) * st);
    SetCount(rd, total - leftCount);
    SetLink1(rd, oldNext);
    SetLink2(rd, leaf.Page());
  }
  if (oldNext != 0) {
    Pager::Ref next = Node(tag, oldNext, 0);
    SetLink2(next.Data(), rightPage);
    next.MarkDirty();
  }
  std::memcpy(LeafEntry(d, tag, 0), all.data(), leftCount * st);
  std::memset(LeafEntry(d, tag, leftCount), 0, (tag.leafCap - leftCount) * st);
  SetCount(d, leftCount);
  SetLink1(d, rightPage);
  leaf.MarkDirty();
  leaf.Release();
  Split split;
  split.separator.assign(all.begin() + static_cast<std::ptrdiff_t>(leftCount * st),
                         all.begin() + static_cast<std::ptrdiff_t>((leftCount + 1) * st));
  split.right = rightPage;
  return split;
}

void IndexFile::Impl::CarryUp(Tag& tag, std::vector<Step>& trail, Split split, bool append) {
  const std::size_t st = tag.stride;
  for (unsigned level = 1;; ++level) {
    if (trail.empty()) {
      GrowRoot(tag, level, split);
      return;
    }
    const Step step = trail.back();
    trail.pop_back();
    Pager::Ref node = Node(tag, step.page, level);
    std::uint8_t* nd = node.Data();
    const std::uint32_t n = Count(nd);
    if (n < tag.innerCap) {
      std::memmove(InnerItem(nd, tag, step.slot + 1), InnerItem(nd, tag, step.slot),
                   (n - step.slot) * tag.innerStride);
      std::memcpy(InnerItem(nd, tag, step.slot), split.separator.data(), st);
      PutU64(InnerItem(nd, tag, step.slot) + st, split.right);
      SetCount(nd, n + 1);
      node.MarkDirty();
      return;
    }
    split = SplitInner(tag, node, level, step.slot, split, append);
  }
}

void IndexFile::Impl::GrowRoot(Tag& tag, unsigned level, const Split& split) {
  if (tag.height >= kMaxHeight) Fail(code::kInternal, TagText(tag) + " cannot grow taller");
  const std::uint64_t rootPage = Allocate();
  Pager::Ref root = NewNode(tag, rootPage, level);
  std::uint8_t* rd = root.Data();
  SetLink1(rd, tag.root);
  std::memcpy(InnerItem(rd, tag, 0), split.separator.data(), tag.stride);
  PutU64(InnerItem(rd, tag, 0) + tag.stride, split.right);
  SetCount(rd, 1);
  tag.root = rootPage;
  ++tag.height;
}

IndexFile::Impl::Split IndexFile::Impl::SplitInner(const Tag& tag, Pager::Ref& node, unsigned level,
                                                   std::uint32_t slot, const Split& below, bool append) {
  const std::size_t st = tag.stride;
  std::uint8_t* nd = node.Data();
  const std::uint32_t n = Count(nd);
  std::vector<std::uint8_t> seps;
  std::vector<std::uint64_t> kids;
  ReadInner(nd, tag, seps, kids);
  seps.insert(seps.begin() + static_cast<std::ptrdiff_t>(slot * st), below.separator.begin(), below.separator.end());
  kids.insert(kids.begin() + slot + 1, below.right);
  const std::size_t sepsTotal = n + 1;
  const std::size_t m = append ? sepsTotal - 2 : sepsTotal / 2;  // separators kept on the left
  const std::uint64_t newPage = Allocate();
  {
    Pager::Ref fresh = NewNode(tag, newPage, level);
    WriteInner(fresh.Data(), tag, seps, kids, m + 1, sepsTotal - 1 - m);
  }
  WriteInner(nd, tag, seps, kids, 0, m);
  node.MarkDirty();
  Split split;
  split.separator.assign(seps.begin() + static_cast<std::ptrdiff_t>(m * st),
                         seps.begin() + static_cast<std::ptrdiff_t>((m + 1) * st));
  split.right = newPage;
  return split;
}

bool IndexFile::Impl::Erase(Tag& tag, const std::uint8_t* key, std::uint64_t recno) {
  const std::size_t st = tag.stride;
  std::vector<Step> trail;
  Pager::Ref node = Node(tag, Descend(tag, key, recno, trail), 0);
  {
    std::uint8_t* d = node.Data();
    const std::uint32_t count = Count(d);
    const std::uint32_t idx = LeafSlot(d, tag, key, recno, false);
    if (idx >= count || CompareEntry(LeafEntry(d, tag, idx), key, recno, tag.keyLength) != 0) return false;
    EnsureWritable();
    std::memmove(LeafEntry(d, tag, idx), LeafEntry(d, tag, idx + 1), (count - idx - 1) * st);
    std::memset(LeafEntry(d, tag, count - 1), 0, st);
    SetCount(d, count - 1);
    node.MarkDirty();
    --tag.count;
    Changed(tag);
  }
  Rebalance(tag, trail, std::move(node));
  return true;
}

void IndexFile::Impl::Rebalance(Tag& tag, std::vector<Step>& trail, Pager::Ref node) {
  for (unsigned level = 0;; ++level) {
    const std::uint32_t count = Count(node.Data());
    if (trail.empty()) {
      if (level > 0 && count == 0) {  // the root kept one child: that child is the new root
        const std::uint64_t child = Link1(node.Data());
        const std::uint64_t old = node.Page();
        node.Release();
        Free(old);
        tag.root = child;
        --tag.height;
      }
      return;
    }
    if (count >= (level == 0 ? tag.leafMin : tag.innerMin)) return;
    const Step step = trail.back();
    trail.pop_back();
    Pager::Ref parent = Node(tag, step.page, level + 1);
    // The node and the sibling beside it, left and right of the separator between them.
    Siblings s;
    s.parent = parent.Data();
    if (step.slot < Count(s.parent)) {
      s.sep = step.slot;
      s.left = std::move(node);
      s.right = Node(tag, ChildAt(s.parent, tag, s.sep + 1), level);
    } else {
      s.sep = step.slot - 1;
      s.right = std::move(node);
      s.left = Node(tag, ChildAt(s.parent, tag, s.sep), level);
    }
    if (s.left.Page() == s.right.Page()) pager.Corrupt(step.page, "names one child twice");
    parent.MarkDirty();
    s.left.MarkDirty();
    s.right.MarkDirty();
    s.ld = s.left.Data();
    s.rd = s.right.Data();
    s.lc = Count(s.ld);
    s.rc = Count(s.rd);
    const bool merge = level == 0 ? s.lc + s.rc <= tag.leafCap : s.lc + 1 + s.rc <= tag.innerCap;
    if (!merge) {
      if (level == 0) ShareLeaves(tag, s);
      else ShareInner(tag, s);
      return;
    }
    if (level == 0) MergeLeaves(tag, s);
    else MergeInner(tag, s);
    RemoveItem(s.parent, tag, s.sep);
    node = std::move(parent);
  }
}

void IndexFile::Impl::MergeLeaves(const Tag& tag, Siblings& s) {
  std::memcpy(LeafEntry(s.ld, tag, s.lc), LeafEntry(s.rd, tag, 0), s.rc * tag.stride);
  SetCount(s.ld, s.lc + s.rc);
  const std::uint64_t next = Link1(s.rd);
  SetLink1(s.ld, next);
  const std::uint64_t leftPage = s.left.Page();
  const std::uint64_t rightPage = s.right.Page();
  s.right.Release();
  if (next != 0) {
    Pager::Ref after = Node(tag, next, 0);
    SetLink2(after.Data(), leftPage);
    after.MarkDirty();
  }
  Free(rightPage);
}

void IndexFile::Impl::ShareLeaves(const Tag& tag, Siblings& s) {
  const std::size_t st = tag.stride;
  const std::uint32_t total = s.lc + s.rc;
  const std::uint32_t newLeft = total / 2;
  if (s.lc > newLeft) {
    const std::uint32_t moved = s.lc - newLeft;
    std::memmove(LeafEntry(s.rd, tag, moved), LeafEntry(s.rd, tag, 0), s.rc * st);
    std::memcpy(LeafEntry(s.rd, tag, 0), LeafEntry(s.ld, tag, newLeft), moved * st);
    std::memset(LeafEntry(s.ld, tag, newLeft), 0, moved * st);
  } else {
    const std::uint32_t moved = newLeft - s.lc;
    std::memcpy(LeafEntry(s.ld, tag, s.lc), LeafEntry(s.rd, tag, 0), moved * st);
    std::memmove(LeafEntry(s.rd, tag, 0), LeafEntry(s.rd, tag, moved), (s.rc - moved) * st);
    std::memset(LeafEntry(s.rd, tag, s.rc - moved), 0, moved * st);
  }
  SetCount(s.ld, newLeft);
  SetCount(s.rd, total - newLeft);
  std::memcpy(InnerItem(s.parent, tag, s.sep), LeafEntry(s.rd, tag, 0), st);
}

void IndexFile::Impl::MergeInner(const Tag& tag, Siblings& s) {
  const std::size_t st = tag.stride;
  std::memcpy(InnerItem(s.ld, tag, s.lc), InnerItem(s.parent, tag, s.sep), st);
  PutU64(InnerItem(s.ld, tag, s.lc) + st, Link1(s.rd));
  std::memcpy(InnerItem(s.ld, tag, s.lc + 1), InnerItem(s.rd, tag, 0), s.rc * tag.innerStride);
  SetCount(s.ld, s.lc + 1 + s.rc);
  const std::uint64_t rightPage = s.right.Page();
  s.right.Release();
  Free(rightPage);
}

void IndexFile::Impl::ShareInner(const Tag& tag, Siblings& s) {
  const std::size_t st = tag.stride;
  std::vector<std::uint8_t> seps;
  std::vector<std::uint64_t> kids;
  ReadInner(s.ld, tag, seps, kids);
  const std::uint8_t* parentSep = InnerItem(s.parent, tag, s.sep);
  seps.insert(seps.end(), parentSep, parentSep + st);
  ReadInner(s.rd, tag, seps, kids);
  const std::size_t total = s.lc + 1 + s.rc;
  const std::size_t a = total / 2;
  WriteInner(s.ld, tag, seps, kids, 0, a);
  std::memcpy(InnerItem(s.parent, tag, s.sep), seps.data() + a * st, st);
  WriteInner(s.rd, tag, seps, kids, a + 1, total - 1 - a);
}

// ---- Impl: cursors ----

bool IndexFile::Impl::Place(Cursor& cursor, const Tag& tag, std::optional<Pos> pos) {
  cursor.epoch_ = epoch;
  cursor.version_ = tag.version;
  if (!pos) {
    cursor.valid_ = false;
    return false;
  }
  Pager::Ref leaf = Node(tag, pos->leaf, 0);
  const std::uint8_t* entry = LeafEntry(leaf.Data(), tag, pos->slot);
  cursor.entry_.assign(entry, entry + tag.stride);
  cursor.leaf_ = pos->leaf;
  cursor.slot_ = pos->slot;
  cursor.valid_ = true;
  return true;
}

bool IndexFile::Impl::Stale(const Cursor& cursor, const Tag& tag) const {
  return cursor.epoch_ != epoch || cursor.version_ != tag.version;
}

// ---- IndexFile ----

IndexFile::IndexFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
IndexFile::IndexFile(IndexFile&&) noexcept = default;
IndexFile& IndexFile::operator=(IndexFile&& other) noexcept {
  if (this != &other) {
    if (impl_) {
      try {
        impl_->Flush();
      } catch (...) {  // NOLINT(bugprone-empty-catch): a move cannot report; Close does
      }
    }
    impl_ = std::move(other.impl_);
  }
  return *this;
}

IndexFile::~IndexFile() {
  if (!impl_) return;
  try {
    impl_->Flush();
  } catch (...) {  // NOLINT(bugprone-empty-catch): a destructor cannot report; Close does
  }
}

IndexFile::Impl& IndexFile::Self() const {
  if (!impl_) Fail(code::kInvalidHandle, "the index file is closed");
  return *impl_;
}

IndexFile IndexFile::Create(const std::filesystem::path& path, const Cipher* cipher, std::uint64_t stamp,
                            std::size_t cacheBytes) {
  const bool none = !kv::fs::HostFileExists(path);
  kv::fs::File file = Io([&] { return kv::fs::File::Open(path, kv::fs::File::Mode::CreateOrTruncate); });
  auto impl = std::make_unique<Impl>(path, std::move(file), cipher, cacheBytes, false);
  impl->InitNew(stamp);
  // A file that replaced another is not fresh: until the truncation is on disk, a crash may bring back the old
  // file's clean header.
  impl->newFile = none;
  return IndexFile(std::move(impl));
}

IndexFile IndexFile::Open(const std::filesystem::path& path, const Cipher* cipher, Access access,
                          std::size_t cacheBytes) {
  if (!kv::fs::HostFileExists(path)) Fail(code::kFileNotFound, "index file '" + path.string() + "' does not exist");
  const bool readOnly = access == Access::ReadOnly;
  kv::fs::File file = Io([&] {
    return kv::fs::File::Open(path, readOnly ? kv::fs::File::Mode::ReadOnly : kv::fs::File::Mode::ReadWrite);
  });
  auto impl = std::make_unique<Impl>(path, std::move(file), cipher, cacheBytes, readOnly);
  impl->Load();
  return IndexFile(std::move(impl));
}

const std::filesystem::path& IndexFile::Path() const { return Self().path; }
bool IndexFile::Encrypted() const { return Self().pager.Sealed(); }
std::uint64_t IndexFile::Stamp() const { return Self().stamp; }
bool IndexFile::WasClean() const { return Self().clean; }

void IndexFile::MarkDirty() {
  Impl& self = Self();
  self.CheckWritable();
  self.Flush();
  self.clean = false;
  self.StoreHeader();
  if (!self.newFile) self.pager.Sync();
}

void IndexFile::MarkClean(std::uint64_t stamp) {
  Impl& self = Self();
  self.CheckWritable();
  // Every page durable first: a clean header must never describe pages that are not on disk. The clean header
  // itself is not synced: lost in a crash, it leaves a file that reads as not clean and is rebuilt.
  self.Flush();
  self.pager.Sync();
  self.clean = true;
  self.stamp = stamp;
  self.StoreHeader();
  self.newFile = false;
}

void IndexFile::MarkCleanUnpublished(std::uint64_t stamp) {
  Impl& self = Self();
  self.CheckWritable();
  // Nobody reads this file before the rename that publishes it, and that comes after this sync: pages and clean
  // header may reach the disk in any order until then.
  self.clean = true;
  self.stamp = stamp;
  self.headerDirty = true;
  self.Flush();
  self.pager.Sync();
  self.newFile = false;
}

std::vector<TagInfo> IndexFile::Tags() const {
  std::vector<TagInfo> infos;
  for (const auto& tag : Self().tags) infos.push_back(tag.info);
  return infos;
}

std::optional<TagId> IndexFile::FindTag(std::string_view name) const {
  for (const auto& tag : Self().tags)
    if (kv::SameText(tag.info.name, name)) return tag.serial;
  return std::nullopt;
}

TagInfo IndexFile::Info(TagId tag) const { return Self().TagFor(tag).info; }

TagId IndexFile::AddTag(const TagInfo& info) {
  Impl& self = Self();
  self.CheckWritable();
  if (info.name.empty() || info.name.size() > kMaxTagNameLength)
    Fail(code::kInvalidArgument, "tag name '" + info.name + "' for " + self.FileText() + " must have 1 to " +
                                     std::to_string(kMaxTagNameLength) + " characters");
  if (info.expression.size() > kMaxExpressionLength)
    Fail(code::kInvalidArgument, "the key expression of tag '" + info.name + "' is longer than " +
                                     std::to_string(kMaxExpressionLength) + " characters");
  if (info.keyLength == 0 || info.keyLength > kMaxKeyLength)
    Fail(code::kBadIndexKey, "tag '" + info.name + "' would have keys of " + std::to_string(info.keyLength) +
                                 " bytes; keys have 1 to " + std::to_string(kMaxKeyLength) + " bytes");
  if (FindTag(info.name))
    Fail(code::kIndexExists, "tag '" + info.name + "' already exists in " + self.FileText());
  if (self.tags.size() >= kMaxTags)
    Fail(code::kInvalidArgument, self.FileText() + " already holds " + std::to_string(kMaxTags) +
                                     " tags, the most an index file can");
  if (self.nextSerial == std::numeric_limits<std::uint32_t>::max())
    Fail(code::kInternal, self.FileText() + " has used up its tag numbers");
  self.EnsureWritable();
  Impl::Tag tag;
  tag.info = info;
  tag.serial = self.nextSerial++;
  self.SetShape(tag);
  tag.root = self.NewEmptyRoot(tag);
  self.tags.push_back(tag);
  self.WriteDirectory();
  return tag.serial;
}

void IndexFile::DropTag(std::string_view name) {
  Impl& self = Self();
  self.CheckWritable();
  const auto& tag = self.TagNamed(name);
  self.EnsureWritable();
  self.FreeTree(tag);
  const std::uint32_t serial = tag.serial;
  std::erase_if(self.tags, [&](const Impl::Tag& t) { return t.serial == serial; });
  self.WriteDirectory();
}

void IndexFile::ClearTag(TagId id) {
  Impl& self = Self();
  self.CheckWritable();
  auto& tag = self.TagFor(id);
  self.EnsureWritable();
  self.FreeTree(tag);
  tag.root = self.NewEmptyRoot(tag);
  tag.height = 1;
  tag.count = 0;
  self.Changed(tag);
}

std::uint64_t IndexFile::EntryCount(TagId tag) const { return Self().TagFor(tag).count; }

void IndexFile::Insert(TagId id, std::span<const std::uint8_t> key, std::uint64_t recno) {
  Impl& self = Self();
  self.CheckWritable();
  auto& tag = self.TagFor(id);
  self.CheckKey(tag, key.size(), false);
  self.Insert(tag, key.data(), recno);
}

bool IndexFile::Erase(TagId id, std::span<const std::uint8_t> key, std::uint64_t recno) {
  Impl& self = Self();
  self.CheckWritable();
  auto& tag = self.TagFor(id);
  self.CheckKey(tag, key.size(), false);
  return self.Erase(tag, key.data(), recno);
}

void IndexFile::Flush() { Self().Flush(); }

void IndexFile::Sync() {
  Impl& self = Self();
  if (self.readOnly) return;
  self.Flush();
  self.pager.Sync();
}

void IndexFile::InvalidateCache() {
  Impl& self = Self();
  // Unflushed changes go with the cache; nor may our old header be written back should the new one not load.
  self.pager.ForgetAll();
  self.headerDirty = false;
  ++self.epoch;
  self.Load();
}

void IndexFile::Close() {
  if (!impl_) return;
  impl_->Flush();
  impl_->pager.Close();
  impl_.reset();
}

IndexFile::Cursor IndexFile::OpenCursor(TagId tag) const {
  Impl& self = Self();
  self.TagFor(tag);
  Cursor cursor;
  cursor.file_ = &self;
  cursor.tag_ = tag;
  return cursor;
}

// ---- Cursor ----

bool IndexFile::Cursor::First() {
  Impl& f = FileOf(file_);
  const auto& tag = f.TagFor(tag_);
  return f.Place(*this, tag, f.Edge(tag, false));
}

bool IndexFile::Cursor::Last() {
  Impl& f = FileOf(file_);
  const auto& tag = f.TagFor(tag_);
  return f.Place(*this, tag, f.Edge(tag, true));
}

bool IndexFile::Cursor::SeekGE(std::span<const std::uint8_t> prefix) {
  Impl& f = FileOf(file_);
  const auto& tag = f.TagFor(tag_);
  f.CheckKey(tag, prefix.size(), true);
  // key[0, p) >= prefix exactly when key >= prefix padded with 0x00 bytes.
  std::vector<std::uint8_t> probe(tag.keyLength, 0x00);
  std::copy(prefix.begin(), prefix.end(), probe.begin());
  return f.Place(*this, tag, f.Bound(tag, probe.data(), 0, false));
}

bool IndexFile::Cursor::SeekLE(std::span<const std::uint8_t> prefix) {
  Impl& f = FileOf(file_);
  const auto& tag = f.TagFor(tag_);
  f.CheckKey(tag, prefix.size(), true);
  // key[0, p) <= prefix exactly when (key, recno) <= (prefix padded with 0xFF bytes, the largest record number).
  std::vector<std::uint8_t> probe(tag.keyLength, 0xFF);
  std::copy(prefix.begin(), prefix.end(), probe.begin());
  const auto above = f.Bound(tag, probe.data(), std::numeric_limits<std::uint64_t>::max(), true);
  return f.Place(*this, tag, above ? f.Before(tag, above->leaf, above->slot) : f.Edge(tag, true));
}

bool IndexFile::Cursor::SeekEntry(std::span<const std::uint8_t> key, std::uint64_t recno) {
  Impl& f = FileOf(file_);
  const auto& tag = f.TagFor(tag_);
  f.CheckKey(tag, key.size(), false);
  return f.Place(*this, tag, f.Bound(tag, key.data(), recno, false));
}

bool IndexFile::Cursor::Next() {
  if (!valid_) return false;
  Impl& f = FileOf(file_);
  const auto& tag = f.TagFor(tag_);
  if (f.Stale(*this, tag)) return f.Place(*this, tag, f.Bound(tag, entry_.data(), Recno(), true));
  return f.Place(*this, tag, f.Forward(tag, leaf_, slot_ + 1));
}

bool IndexFile::Cursor::Prev() {
  if (!valid_) return false;
  Impl& f = FileOf(file_);
  const auto& tag = f.TagFor(tag_);
  if (f.Stale(*this, tag)) {
    const auto atOrAbove = f.Bound(tag, entry_.data(), Recno(), false);
    return f.Place(*this, tag, atOrAbove ? f.Before(tag, atOrAbove->leaf, atOrAbove->slot) : f.Edge(tag, true));
  }
  return f.Place(*this, tag, f.Before(tag, leaf_, slot_));
}

std::span<const std::uint8_t> IndexFile::Cursor::Key() const {
  if (!valid_) Fail(code::kNoCurrentRecord, "the index cursor is not on an entry");
  return {entry_.data(), entry_.size() - 8};
}

std::uint64_t IndexFile::Cursor::Recno() const {
  if (!valid_) Fail(code::kNoCurrentRecord, "the index cursor is not on an entry");
  return GetU64(entry_.data() + entry_.size() - 8);
}

}  // namespace ace::index
