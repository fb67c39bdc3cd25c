#pragma once
// The header of a table file (NAME.ADT): what the table looks like (fields, record layout, encryption) and its
// counters. table_format.h and docs/formats/adt.md give the byte layout.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ace/core/cipher.h"
#include "ace/core/field_type.h"
#include "ace/core/kinds.h"
#include "ace/storage/table_format.h"

namespace ace::storage {

struct FieldDescriptor : FieldSpec {
  std::uint32_t offset = 0;   // of the value within the record payload
  std::uint16_t nullBit = 0;  // bit number in the payload's null bitmap
};

// The counters change with every append and delete; they sit in a block of their own with its own checksum, so
// a header whose counters were torn by a crash is recognised and the counters recomputed from the records.
struct TableCounters {
  std::uint64_t slots = 0;        // records ever appended and not yet packed away (deleted ones included)
  std::uint64_t live = 0;         // records not deleted
  std::uint64_t nextAutoInc = 1;  // the value the next appended record gets
  std::uint64_t change = 0;       // bumped by every change; ties the index file to this state
  bool busy = false;              // a change is under way; still set after a crash mid-change
};

// A tag as the table file records it. The index file holds the tags' entries; the table file keeps their
// definitions too, so that an index file that is missing, damaged or stale can be rebuilt from the records.
struct TagDefinition {
  std::string name;
  std::string expression;
  std::uint32_t options = 0;
  std::uint16_t pageSize = 512;
};

struct TableHeader {
  static constexpr std::uint32_t kVersion = table_format::kVersion;
  static constexpr std::uint32_t kFixedSize = table_format::header::kSize;
  static constexpr std::uint32_t kDescriptorSize = table_format::descriptor::kSize;
  static constexpr std::uint32_t kCountersOffset = table_format::header::kCounters;
  static constexpr std::uint32_t kCountersSize = table_format::counters::kSize;
  static constexpr std::size_t kMaxFields = 4000;
  static constexpr std::size_t kMaxNameLength = table_format::descriptor::kNameBytes;
  static constexpr std::uint32_t kMaxPayload = 1u << 20;
  static constexpr std::uint8_t kLive = ' ';
  static constexpr std::uint8_t kDeleted = '*';
  static constexpr std::uint32_t kDefaultTagArea = 8192;

  std::uint32_t headerSize = 0;   // where the first record starts
  std::uint32_t payloadSize = 0;  // null bitmap + values
  std::uint8_t tableType = table_type::kAdt;
  std::uint8_t charType = char_type::kAnsi;
  bool encrypted = false;
  // Record seals bind the status byte as well as the record number (slot_seal.h); false only for encrypted
  // tables sealed before that.
  bool statusBound = true;
  // The salt is two halves: the password's key is derived with the first, the table's key from that with the
  // second (slot_seal.h, TableCipher); false for tables encrypted before.
  bool splitSalt = false;
  Cipher::Salt salt{};
  Cipher::Check check{};
  std::uint64_t memoGeneration = 0;  // 0: the table has no memo fields and no .ADM file
  // Random, drawn for every new layout (a new table, each whole-table rewrite) and copied into the index file
  // built for it, so that an index file of another table, or of this table before a rewrite, is never taken for
  // its own. 0 in a table made before tables had one (it gets one at its next open by one user alone).
  std::uint64_t tableId = 0;
  std::vector<FieldDescriptor> fields;
  std::uint32_t tagAreaSize = kDefaultTagArea;
  std::vector<TagDefinition> tags;
  TableCounters counters;
  // Where FindField looks first: callers name the same field record after record, or the fields one after
  // another, so the last field found and the one after it are tried before the whole list. A copy starts afresh.
  struct FieldHint {
    mutable std::atomic<std::uint32_t> last{0};
    FieldHint() = default;
    FieldHint(const FieldHint&) {}
    FieldHint& operator=(const FieldHint&) { return *this; }
  } fieldHint;

  // Lays out the record for fields: null bitmap first, then the values in field order, under a new table id.
  // Throws AceError for duplicate or empty names, names that are too long, bad lengths, or too many fields.
  static TableHeader ForFields(const std::vector<FieldSpec>& fields, std::uint32_t tagArea = kDefaultTagArea);

  std::uint32_t BitmapSize() const { return static_cast<std::uint32_t>((fields.size() + 7) / 8); }
  // Bytes one record takes on disk: the status byte and the payload, sealed when encrypted.
  std::uint32_t SlotSize() const { return 1 + payloadSize + (encrypted ? static_cast<std::uint32_t>(Cipher::kOverhead) : 0); }
  std::uint64_t SlotOffset(std::uint64_t recno) const { return headerSize + (recno - 1) * SlotSize(); }
  bool HasMemo() const;
  // Index of the field named so, without regard to case; -1 when there is none.
  int FindField(std::string_view name) const;

  int FindTag(std::string_view name) const;
  std::uint32_t TagAreaOffset() const { return kFixedSize + static_cast<std::uint32_t>(fields.size()) * kDescriptorSize; }
  // The tag area as stored (count, checksum, entries, zero filled to tagAreaSize); nullopt when the tags do not
  // fit the area (the table must then be rewritten with a larger header).
  std::optional<std::vector<std::uint8_t>> EncodeTagArea() const;

  std::vector<std::uint8_t> Encode() const;
  std::vector<std::uint8_t> EncodeCounters() const;
  // Reads a counter block (kCountersSize bytes); false when its checksum does not hold.
  static bool DecodeCounters(const std::uint8_t* block, TableCounters& out);
  // Throws AceError(kCorruptFile) naming the file when the bytes are not a sound header. countersValid tells
  // whether the counter block's checksum held (when not, the counters must be recomputed).
  static TableHeader Decode(const std::vector<std::uint8_t>& bytes, const std::filesystem::path& file,
                            bool& countersValid);
  // The size of the header that starts with these bytes (at least kFixedSize of them); 0 when they are not ours.
  static std::uint32_t PeekHeaderSize(const std::uint8_t* bytes);
  // A random table id, never 0.
  static std::uint64_t NewTableId();
};

}  // namespace ace::storage
