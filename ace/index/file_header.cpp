// The index file's header, tag directory and free-page list: reading, checking and writing them.
#include "ace/index/index_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <utility>

#include "ace/core/error.h"
#include "ace/index/io.h"
#include "ace/index/impl.h"
#include "ace/index/node_items.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace ace::index {

namespace fmt = format;

namespace {

constexpr std::size_t kRecordHead = 16;  // fixed part of a directory record
constexpr std::size_t kMaxDirectoryBytes = kMaxTags * (kRecordHead + kMaxTagNameLength + kMaxExpressionLength);

}  // namespace

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
  PutU64(p + h::kOwner, owner);
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

// Reads and checks the header page, the directory's page chain and every tag record. It stays one function of
// about 110 lines on purpose: each check uses the values checked before it, in the order of the file's layout,
// and nothing of the file is kept until every check has passed.
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
  owner = GetU64(p + h::kOwner);
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

}  // namespace ace::index
