// The table's index side: the tag list in the table header, and the index file kept in step with it (opened,
// checked against the table, rebuilt when stale).
#include <array>

#include "ace/core/bytes.h"
#include "ace/core/checksum.h"
#include "ace/core/error.h"
#include "ace/storage/table_files.h"
#include "ace/storage/tag_builder.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace ace::storage {

namespace {

// The first 8 bytes of the tag list (count, checksum of the entries) of a list without tags. They lie inside one
// disk sector (the list starts 32-byte aligned), so one write of them is whole or not made at all.
std::array<std::uint8_t, 8> EmptyTagListHead() {
  std::array<std::uint8_t, 8> head{};
  PutU32(&head[4], Crc32({}));
  return head;
}

}  // namespace

void TableFiles::ForgetTags(bool sole) {
  // The index file was deleted: its tags go with it, and the table opens with no indexes. The header forgets them
  // on disk before anything else happens, so every later open agrees, also after a crash right now. Another user
  // who still has the table open may be keeping a deleted index file's entries: nothing may change under them.
  if (!sole)
    Fail(code::kCorruptFile, "table " + paths_.adt.stem().string() +
                                 " has lost its index file while another user has it open; it opens without its "
                                 "indexes when it is next opened by one user alone");
  if (writable_) {
    const auto head = EmptyTagListHead();
    data_.WriteAt(header_.TagAreaOffset(), head.data(), head.size());
    SyncData();
  }
  header_.tags.clear();
}

void TableFiles::WriteTagArea(TagListChange change) {
  // The list's head (count and checksum) is written last, each step synced before the next. A list that grew
  // keeps its old entries byte for byte in front of the new one, so until the new head is down the old head still
  // reads. A list that shrank moves entries: its head first says "no tags", a state a crash may leave but one that
  // opens (as after a lost index file), then the entries, then the real head.
  const auto area = header_.EncodeTagArea();
  if (!area) Fail(code::kInternal, "the index tags of table " + paths_.adt.stem().string() + " do not fit its header");
  const std::uint64_t at = header_.TagAreaOffset();
  if (change == TagListChange::kRemoved) {
    const auto head = EmptyTagListHead();
    data_.WriteAt(at, head.data(), head.size());
    data_.Sync();
  }
  data_.WriteAt(at + 8, area->data() + 8, area->size() - 8);
  data_.Sync();
  data_.WriteAt(at, area->data(), 8);
  wrote_ = true;
}

void TableFiles::ReloadKeys() {
  keys_.clear();
  for (const TagDefinition& tag : header_.tags) keys_.push_back(ParseKeyExpression(header_, tag.expression, tag.options));
}

bool TableFiles::IndexAvailable() const { return !header_.tags.empty() && index_.has_value(); }

index::IndexFile& TableFiles::Index() {
  if (!index_) {
    if (header_.encrypted && !cipher_)
      Fail(code::kPasswordRequired, "table " + paths_.adt.stem().string() + " is encrypted: give its password first");
    Fail(code::kIndexNotFound, "table " + paths_.adt.stem().string() + " has no index open");
  }
  return *index_;
}

std::vector<std::uint8_t> TableFiles::KeyOf(int tag, const std::vector<std::uint8_t>& payload) const {
  std::vector<std::uint8_t> key(keys_.at(tag).length);
  EncodeRecordKey(keys_[tag], header_, payload.data(), key.data());
  return key;
}

void TableFiles::BuildTag(int tag) { storage::BuildTag(*index_, header_.tags.at(tag), keys_.at(tag), Records()); }

void TableFiles::EnsureIndex(bool sole) {
  if (header_.tags.empty()) {
    index_.reset();
    tagIds_.clear();
    return;
  }
  if (header_.encrypted && !cipher_) return;
  if (index_ && indexChecked_) {
    RefreshTagIds();
    return;
  }
  bool rebuild = forceRebuild_ || !kv::fs::HostFileExists(paths_.adi);
  if (!rebuild) {
    try {
      index_ = index::IndexFile::Open(paths_.adi, DataCipher());
      const auto tags = index_->Tags();
      bool same = tags.size() == header_.tags.size();
      for (std::size_t i = 0; same && i < tags.size(); ++i)
        same = kv::SameText(tags[i].name, header_.tags[i].name) && tags[i].expression == header_.tags[i].expression &&
               tags[i].options == header_.tags[i].options;
      if (!same || index_->Owner() != header_.tableId) rebuild = true;
      if (sole && (!index_->WasClean() || index_->Stamp() != header_.counters.change || !CountsAgree())) rebuild = true;
    } catch (const AceError& e) {
      // The table's own key was checked against the table's header before: an index file sealed otherwise, or
      // not sealed when the table is, was not written for the table as it is.
      if (e.Code() != code::kCorruptFile && e.Code() != code::kWrongPassword && e.Code() != code::kPasswordRequired)
        throw;
      rebuild = true;
    }
  }
  if (rebuild) {
    index_.reset();
    if (!sole || !writable_)
      Fail(code::kCorruptFile, "the index file of table " + paths_.adt.stem().string() +
                                   " is missing or out of date; it is rebuilt when the table is next opened by one "
                                   "user alone");
    RebuildIndex();
  }
  RefreshTagIds();
  indexChecked_ = true;
}

bool TableFiles::CountsAgree() const {
  // Every live record has one entry in every tag (a delete takes its entries out with it).
  for (const index::TagInfo& tag : index_->Tags()) {
    const auto id = index_->FindTag(tag.name);
    if (!id || index_->EntryCount(*id) != header_.counters.live) return false;
  }
  return true;
}

void TableFiles::RefreshTagIds() {
  tagIds_.clear();
  for (const TagDefinition& tag : header_.tags) {
    const auto id = index_->FindTag(tag.name);
    if (!id) Fail(code::kCorruptFile, "the index file of table " + paths_.adt.stem().string() + " lacks tag " + tag.name);
    tagIds_.push_back(*id);
  }
}

void TableFiles::RebuildIndex() {
  index_.reset();
  // A build killed part way left its sort runs: the table is ours alone here, so no build is running.
  index::IndexFile::RemoveLeftoverSortRuns(paths_.adi);
  index_ = index::IndexFile::Create(paths_.adi, DataCipher(), header_.counters.change);
  index_->SetOwner(header_.tableId);
  index_->MarkDirty();
  indexMarkedDirty_ = true;
  for (std::size_t t = 0; t < header_.tags.size(); ++t) BuildTag(static_cast<int>(t));
  index_->Flush();
  forceRebuild_ = false;
  // Built from the header's tags just now: the next EnsureIndex must not take the file's not-clean mark for a
  // reason to build it again (after CreateTag it runs without the write lock, while others may be reading).
  RefreshTagIds();
  indexChecked_ = true;
}

}  // namespace ace::storage
