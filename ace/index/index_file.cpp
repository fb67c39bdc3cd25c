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
std::uint64_t IndexFile::Owner() const { return Self().owner; }

void IndexFile::SetOwner(std::uint64_t owner) {
  Impl& self = Self();
  self.CheckWritable();
  self.owner = owner;
  self.headerDirty = true;
}

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
