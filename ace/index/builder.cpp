// Bulk build of one tag: an external merge sort feeding a bottom-up tree writer.
//
// Memory stays within the budget: the in-memory chunk (entries plus a 16-byte sort item each) and one run
// block buffer while spilling; one block buffer per run being merged (and one for the output run of an
// intermediate pass) while merging; one pinned page per tree level while writing. The pages written go through
// the index's page cache like any others.

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <queue>
#include <string>
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

constexpr std::size_t kMinBudget = std::size_t{64} << 10;
constexpr std::size_t kMaxFanIn = 64;

bool EntryLess(const std::uint8_t* a, const std::uint8_t* b, std::size_t k) {
  if (const int c = std::memcmp(a, b, k); c != 0) return c < 0;
  return GetU64(a + k) < GetU64(b + k);
}

struct Run {
  std::filesystem::path path;
  std::uint64_t entries = 0;
};

// A sorted run on disk: blocks of whole entries, each sealed on its own (the block number as the place) when
// the index is encrypted, so no key is ever readable in a temporary file either.
class RunWriter {
 public:
  RunWriter(const std::filesystem::path& path, const Cipher* cipher, std::size_t blockBytes)
      : file_(Io([&] { return kv::fs::File::Open(path, kv::fs::File::Mode::CreateOrTruncate); })),
        cipher_(cipher),
        block_(blockBytes),
        sealed_(cipher != nullptr ? blockBytes + Cipher::kOverhead : 0) {}

  void Add(const std::uint8_t* entry, std::size_t stride) {
    if (used_ + stride > block_.size()) WriteBlock();
    std::memcpy(block_.data() + used_, entry, stride);
    used_ += stride;
    ++entries_;
  }

  std::uint64_t Finish() {
    WriteBlock();
    file_.Close();
    return entries_;
  }

 private:
  void WriteBlock() {
    if (used_ == 0) return;
    if (cipher_ != nullptr) {
      cipher_->Seal(block_.data(), used_, blockNumber_, sealed_.data());
      Io([&] { file_.WriteAt(offset_, sealed_.data(), used_ + Cipher::kOverhead); });
      offset_ += used_ + Cipher::kOverhead;
    } else {
      Io([&] { file_.WriteAt(offset_, block_.data(), used_); });
      offset_ += used_;
    }
    ++blockNumber_;
    used_ = 0;
  }

  kv::fs::File file_;
  const Cipher* cipher_;
  std::vector<std::uint8_t> block_;
  std::vector<std::uint8_t> sealed_;
  std::size_t used_ = 0;
  std::uint64_t offset_ = 0;
  std::uint64_t blockNumber_ = 0;
  std::uint64_t entries_ = 0;
};

class RunReader {
 public:
  RunReader(const Run& run, const Cipher* cipher, std::size_t blockBytes, std::size_t stride)
      : path_(run.path),
        file_(Io([&] { return kv::fs::File::Open(run.path, kv::fs::File::Mode::ReadOnly); })),
        cipher_(cipher),
        stride_(stride),
        left_(run.entries * stride),
        block_(blockBytes),
        sealed_(cipher != nullptr ? blockBytes + Cipher::kOverhead : 0) {
    Load();
  }

  bool Valid() const { return at_ < size_; }
  const std::uint8_t* Current() const { return block_.data() + at_; }
  void Advance() {
    at_ += stride_;
    if (at_ >= size_) Load();
  }

 private:
  void Load() {
    at_ = 0;
    size_ = static_cast<std::size_t>(std::min<std::uint64_t>(left_, block_.size()));
    if (size_ == 0) return;
    bool ok = true;
    if (cipher_ != nullptr) {
      const std::size_t want = size_ + Cipher::kOverhead;
      ok = Io([&] { return file_.ReadAt(offset_, sealed_.data(), want); }) == want &&
           cipher_->Open(sealed_.data(), want, blockNumber_, block_.data());
      offset_ += want;
    } else {
      ok = Io([&] { return file_.ReadAt(offset_, block_.data(), size_); }) == size_;
      offset_ += size_;
    }
    if (!ok)
      Fail(code::kCorruptFile, "temporary sort file '" + path_.string() + "' of a bulk index build is damaged");
    left_ -= size_;
    ++blockNumber_;
  }

  std::filesystem::path path_;
  kv::fs::File file_;
  const Cipher* cipher_;
  std::size_t stride_;
  std::uint64_t left_;
  std::vector<std::uint8_t> block_;
  std::vector<std::uint8_t> sealed_;
  std::size_t at_ = 0;
  std::size_t size_ = 0;
  std::uint64_t offset_ = 0;
  std::uint64_t blockNumber_ = 0;
};

// Writes a tree bottom up from entries in order. How many nodes each level gets is known from the total, so the
// children are spread evenly: every node but none-too-small ones is filled to about 90%, and no node is left
// with a lone child at the end of a level.
class TreeWriter {
 public:
  TreeWriter(IndexFile::Impl& file, Tag& tag, std::uint64_t total) : file_(file), tag_(tag), total_(total) {
    const std::uint64_t leafFill = std::max<std::uint64_t>(1, tag.leafCap * 9 / 10);
    const std::uint64_t innerFill = std::max<std::uint64_t>(3, (tag.innerCap + 1) * 9 / 10);
    std::uint64_t items = total;
    std::uint64_t fill = leafFill;
    do {
      Level level;
      level.nodes = (items + fill - 1) / fill;
      level.base = items / level.nodes;
      level.extra = items % level.nodes;
      levels_.push_back(std::move(level));
      items = levels_.back().nodes;
      fill = innerFill;
    } while (items > 1);
    if (levels_.size() > kMaxHeight) Fail(code::kInternal, file.TagText(tag) + " would be too tall");
    last_.resize(tag.stride);
    file_.EnsureWritable();
  }

  TreeWriter(const TreeWriter&) = delete;
  TreeWriter& operator=(const TreeWriter&) = delete;

  ~TreeWriter() {
    if (done_) return;
    // Abandoned (a unique violation, an I/O error): give every page written so far back to the free list.
    try {
      for (Level& level : levels_) level.ref.Release();
      for (const std::uint64_t page : allocated_) file_.Free(page);
    } catch (...) {  // NOLINT(bugprone-empty-catch): the error that abandoned the build is already on its way
    }
  }

  void Add(const std::uint8_t* entry) {
    const std::size_t k = tag_.keyLength;
    if (written_ > 0) {
      const int c = std::memcmp(entry, last_.data(), k);
      const std::uint64_t recno = GetU64(entry + k);
      const std::uint64_t lastRecno = GetU64(last_.data() + k);
      if (c == 0 && tag_.Unique())
        file_.UniqueViolation(tag_, entry,
                              "is given for records " + std::to_string(lastRecno) + " and " + std::to_string(recno));
      if (c == 0 && recno == lastRecno)
        Fail(code::kInvalidArgument, file_.TagText(tag_) + " is given key '" + PrintableKey({entry, k}) +
                                         "' for record " + std::to_string(recno) + " twice");
      if (c < 0 || (c == 0 && recno < lastRecno))
        Fail(code::kInternal, "the bulk build of " + file_.TagText(tag_) + " received its entries out of order");
    }
    std::memcpy(last_.data(), entry, tag_.stride);
    ++written_;

    Level& leaves = levels_[0];
    if (!leaves.ref || leaves.filled == leaves.target) {
      const std::uint64_t page = NewPage();
      Pager::Ref fresh = file_.NewNode(tag_, page, 0);
      if (leaves.ref) {
        SetLink1(leaves.ref.Data(), page);
        SetLink2(fresh.Data(), leaves.page);
        Close(0);
      }
      Open(leaves, std::move(fresh), page, entry);
    }
    std::memcpy(LeafEntry(leaves.ref.Data(), tag_, leaves.filled), entry, tag_.stride);
    ++leaves.filled;
  }

  void Finish() {
    if (written_ != total_) Fail(code::kInternal, "the bulk build of " + file_.TagText(tag_) + " lost entries");
    for (std::size_t l = 0; l < levels_.size(); ++l) {
      if (levels_[l].index != levels_[l].nodes)
        Fail(code::kInternal, "the bulk build of " + file_.TagText(tag_) + " misplanned its tree");
      Close(l);
    }
    file_.FreeTree(tag_);  // the empty tree the tag had
    tag_.root = levels_.back().page;
    tag_.height = static_cast<std::uint16_t>(levels_.size());
    tag_.count = total_;
    file_.Changed(tag_);
    done_ = true;
  }

 private:
  struct Level {
    std::uint64_t nodes = 0;  // node j of the level gets base + (j < extra ? 1 : 0) entries or children
    std::uint64_t base = 0;
    std::uint64_t extra = 0;
    std::uint64_t index = 0;  // nodes opened so far
    std::uint64_t page = 0;
    Pager::Ref ref;
    std::uint64_t filled = 0;  // entries (leaf) or children (inner) so far
    std::uint64_t target = 0;
    std::vector<std::uint8_t> low;  // first entry below the node: its separator in the parent
  };

  std::uint64_t NewPage() {
    const std::uint64_t page = file_.Allocate();
    allocated_.push_back(page);
    return page;
  }

  void Open(Level& level, Pager::Ref ref, std::uint64_t page, const std::uint8_t* low) {
    level.ref = std::move(ref);
    level.page = page;
    level.filled = 0;
    level.target = level.base + (level.index < level.extra ? 1 : 0);
    ++level.index;
    level.low.assign(low, low + tag_.stride);
  }

  void AddChild(std::size_t l, const std::vector<std::uint8_t>& low, std::uint64_t child) {
    Level& level = levels_[l];
    if (!level.ref || level.filled == level.target) {
      if (level.ref) Close(l);
      const std::uint64_t page = NewPage();
      Open(level, file_.NewNode(tag_, page, static_cast<unsigned>(l)), page, low.data());
      SetLink1(level.ref.Data(), child);
      level.filled = 1;
      return;
    }
    std::uint8_t* item = InnerItem(level.ref.Data(), tag_, level.filled - 1);
    std::memcpy(item, low.data(), tag_.stride);
    PutU64(item + tag_.stride, child);
    ++level.filled;
  }

  // Completes the open node of a level and hands it to the level above.
  void Close(std::size_t l) {
    Level& level = levels_[l];
    SetCount(level.ref.Data(), static_cast<std::uint32_t>(l == 0 ? level.filled : level.filled - 1));
    level.ref.MarkDirty();
    level.ref.Release();
    if (l + 1 < levels_.size()) AddChild(l + 1, level.low, level.page);
  }

  IndexFile::Impl& file_;
  Tag& tag_;
  std::uint64_t total_;
  std::uint64_t written_ = 0;
  std::vector<Level> levels_;
  std::vector<std::uint64_t> allocated_;
  std::vector<std::uint8_t> last_;
  bool done_ = false;
};

std::atomic<std::uint64_t> buildNumber{0};

}  // namespace

struct IndexFile::Builder::State {
  struct SortItem {
    std::uint64_t prefix;  // the key's first 8 bytes, big-endian, so most comparisons are one integer compare
    std::uint32_t index;
  };

  State(IndexFile::Impl& f, const Tag& tag, std::size_t budget)
      : file(f), id(tag.serial), keyLength(tag.keyLength), stride(tag.stride) {
    budget = std::max(budget, kMinBudget);
    const bool sealed = f.pager.Sealed();
    const std::size_t perBlock = std::max<std::size_t>(1, std::clamp<std::size_t>(budget / 32, 4096, 1 << 20) / stride);
    blockBytes = perBlock * stride;
    const std::size_t bufferBytes = sealed ? 2 * blockBytes + Cipher::kOverhead : blockBytes;
    const std::size_t buffers = budget / bufferBytes;  // one is kept for the output of a merge pass
    fanIn = std::clamp<std::size_t>(buffers > 1 ? buffers - 1 : 1, 2, kMaxFanIn);
    const std::size_t room = budget > bufferBytes ? budget - bufferBytes : 0;
    chunkCap = std::clamp<std::size_t>(room / (stride + sizeof(SortItem)), 1, std::numeric_limits<std::uint32_t>::max());
    number = ++buildNumber;
  }

  ~State() { RemoveRuns(); }

  void RemoveRuns() {
    for (const Run& run : runs) kv::fs::RemoveHostFile(run.path);
    runs.clear();
  }

  const std::uint8_t* Entry(std::uint32_t i) const { return chunk.data() + std::size_t{i} * stride; }

  void SortChunk() {
    items.clear();
    items.reserve(chunkCount);
    const std::size_t head = std::min<std::size_t>(keyLength, 8);
    for (std::uint32_t i = 0; i < chunkCount; ++i) {
      const std::uint8_t* e = Entry(i);
      std::uint64_t prefix = 0;
      for (std::size_t b = 0; b < 8; ++b) prefix = (prefix << 8) | (b < head ? e[b] : 0);
      items.push_back({prefix, i});
    }
    const std::size_t k = keyLength;
    std::sort(items.begin(), items.end(), [&](const SortItem& a, const SortItem& b) {
      if (a.prefix != b.prefix) return a.prefix < b.prefix;
      const std::uint8_t* ea = Entry(a.index);
      const std::uint8_t* eb = Entry(b.index);
      if (k > 8)
        if (const int c = std::memcmp(ea + 8, eb + 8, k - 8); c != 0) return c < 0;
      return GetU64(ea + k) < GetU64(eb + k);
    });
  }

  std::filesystem::path NewRunPath() {
    return file.path.string() + ".sort" + std::to_string(number) + "-" + std::to_string(runNumber++) + ".tmp";
  }

  void Spill() {
    SortChunk();
    Run run{NewRunPath(), 0};
    runs.push_back(run);  // listed before the file exists, so it is removed whatever happens
    RunWriter writer(run.path, file.pager.CipherOrNull(), blockBytes);
    for (const SortItem& item : items) writer.Add(Entry(item.index), stride);
    runs.back().entries = writer.Finish();
    chunk.clear();
    items.clear();
    chunkCount = 0;
  }

  template <typename Sink>
  void Merge(std::size_t first, std::size_t count, Sink&& sink) {
    std::vector<RunReader> readers;
    readers.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
      readers.emplace_back(runs[first + i], file.pager.CipherOrNull(), blockBytes, stride);
    const std::size_t k = keyLength;
    auto later = [&](std::size_t a, std::size_t b) { return EntryLess(readers[b].Current(), readers[a].Current(), k); };
    std::priority_queue<std::size_t, std::vector<std::size_t>, decltype(later)> heap(later);
    for (std::size_t i = 0; i < count; ++i)
      if (readers[i].Valid()) heap.push(i);
    while (!heap.empty()) {
      const std::size_t i = heap.top();
      heap.pop();
      sink(readers[i].Current());
      readers[i].Advance();
      if (readers[i].Valid()) heap.push(i);
    }
  }

  void Add(std::span<const std::uint8_t> key, std::uint64_t recno) {
    if (finished) Fail(code::kInvalidArgument, "the bulk build of this tag is already finished");
    if (key.size() != keyLength) file.CheckKey(file.TagFor(id), key.size(), false);
    if (chunkCount == chunkCap) Spill();
    if (chunk.capacity() == 0) chunk.reserve(chunkCap * stride);
    chunk.insert(chunk.end(), key.begin(), key.end());
    std::uint8_t number8[8];
    PutU64(number8, recno);
    chunk.insert(chunk.end(), number8, number8 + 8);
    ++chunkCount;
    ++total;
  }

  void Finish() {
    if (finished) Fail(code::kInvalidArgument, "the bulk build of this tag is already finished");
    finished = true;
    // The sort runs go when Finish ends, whether it succeeds or not.
    struct Cleanup {
      State& state;
      ~Cleanup() { state.RemoveRuns(); }
    } cleanup{*this};
    Tag& tag = file.TagFor(id);
    file.CheckWritable();
    if (tag.count != 0) Fail(code::kInvalidArgument, file.TagText(tag) + " is not empty; a bulk build needs an empty tag");
    if (total == 0) return;
    if (runs.empty()) {
      SortChunk();
      TreeWriter writer(file, tag, total);
      for (const SortItem& item : items) writer.Add(Entry(item.index));
      writer.Finish();
      return;
    }
    if (chunkCount > 0) Spill();
    std::vector<std::uint8_t>().swap(chunk);
    std::vector<SortItem>().swap(items);
    // Merge passes until the runs left can all be read at once.
    while (runs.size() > fanIn) {
      const std::size_t count = std::min(fanIn, runs.size());
      Run merged{NewRunPath(), 0};
      runs.push_back(merged);
      {
        RunWriter writer(merged.path, file.pager.CipherOrNull(), blockBytes);
        Merge(0, count, [&](const std::uint8_t* e) { writer.Add(e, stride); });
        runs.back().entries = writer.Finish();
      }
      for (std::size_t i = 0; i < count; ++i) kv::fs::RemoveHostFile(runs[i].path);
      runs.erase(runs.begin(), runs.begin() + static_cast<std::ptrdiff_t>(count));
    }
    TreeWriter writer(file, tag, total);
    Merge(0, runs.size(), [&](const std::uint8_t* e) { writer.Add(e); });
    writer.Finish();
  }

  IndexFile::Impl& file;
  TagId id;
  std::size_t keyLength;
  std::size_t stride;
  std::size_t blockBytes = 0;
  std::size_t fanIn = 2;
  std::size_t chunkCap = 0;
  std::uint64_t number = 0;
  std::uint64_t runNumber = 0;
  std::vector<std::uint8_t> chunk;
  std::uint32_t chunkCount = 0;
  std::vector<SortItem> items;
  std::vector<Run> runs;
  std::uint64_t total = 0;
  bool finished = false;
};

IndexFile::Builder::Builder(std::unique_ptr<State> state) : state_(std::move(state)) {}
IndexFile::Builder::Builder(Builder&&) noexcept = default;
IndexFile::Builder& IndexFile::Builder::operator=(Builder&&) noexcept = default;
IndexFile::Builder::~Builder() = default;

void IndexFile::Builder::Add(std::span<const std::uint8_t> key, std::uint64_t recno) {
  if (!state_) Fail(code::kInvalidHandle, "the bulk index build is not open");
  state_->Add(key, recno);
}

void IndexFile::Builder::Finish() {
  if (!state_) Fail(code::kInvalidHandle, "the bulk index build is not open");
  state_->Finish();
}

IndexFile::Builder IndexFile::BuildTag(TagId id, std::size_t memoryBudget) {
  Impl& self = Self();
  self.CheckWritable();
  const auto& tag = self.TagFor(id);
  if (tag.count != 0)
    Fail(code::kInvalidArgument, self.TagText(tag) + " is not empty; a bulk build needs an empty tag");
  return Builder(std::make_unique<Builder::State>(self, tag, memoryBudget));
}

void IndexFile::RemoveLeftoverSortRuns(const std::filesystem::path& path) {
  // Runs are named after the index file: path + ".sort<tag>-<run>.tmp" (see NewRunPath).
  const std::string stem = path.filename().string() + ".";
  std::error_code ec;
  for (std::filesystem::directory_iterator it(path.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() > stem.size() && kv::SameText(name.substr(0, stem.size()), stem) &&
        name.find(".sort", stem.size() - 1) != std::string::npos && name.ends_with(".tmp"))
      kv::fs::RemoveHostFile(it->path());
  }
}

}  // namespace ace::index
