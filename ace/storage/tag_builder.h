#pragma once
// The one way a tag's entries are built from a table's records: every index build (a new tag, an index file
// rebuilt after damage, the index of a rewritten table) reads the slots in large chunks and feeds the keys to the
// index file's bulk builder.

#include <cstdint>
#include <functional>
#include <vector>

#include "ace/index/index_file.h"
#include "ace/storage/key_codec.h"
#include "ace/storage/table_header.h"

namespace ace::storage {

// Reads count slots from recno on into buffer, slot after slot; answers how many it read.
using SlotSource = std::function<std::uint64_t(std::uint64_t recno, std::uint64_t count, std::vector<std::uint8_t>&)>;
// A slot's payload, opened when the table is encrypted; false for a deleted record.
using SlotDecoder = std::function<bool(std::uint64_t recno, const std::uint8_t* slot, std::vector<std::uint8_t>&)>;

// The records a build reads: slots 1 to slots of a table laid out as header says.
struct SlotReader {
  const TableHeader& header;
  std::uint64_t slots = 0;
  SlotSource read;
  SlotDecoder decode;
};

// Adds the key of every live record to builder; a clear table's keys are taken straight from the slots.
void AddTagKeys(const SlotReader& records, const KeyDefinition& key, index::IndexFile::Builder& builder);

// Adds the tag to the index file and fills it with a bulk build from the records.
void BuildTag(index::IndexFile& index, const TagDefinition& tag, const KeyDefinition& key, const SlotReader& records);

}  // namespace ace::storage
