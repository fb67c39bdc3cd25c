#include "ace/sql/row_sorter.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "ace/core/error.h"

namespace stdfs = std::filesystem;

namespace ace::sql::exec {

namespace {

std::uint64_t RunPlace(std::uint64_t run, std::uint64_t row) { return (run << 40) | row; }

// One value in a few bytes of its own, for rows that a sort keeps on disk: the kind, then the value.
void PutValue(std::string& out, const Value& v) {
  out.push_back(static_cast<char>(v.GetKind()));
  const auto put = [&](std::uint64_t x) {
    char bytes[8];
    std::memcpy(bytes, &x, sizeof bytes);
    out.append(bytes, sizeof bytes);
  };
  switch (v.GetKind()) {
    case Value::Kind::Null: break;
    case Value::Kind::Boolean: out.push_back(v.AsBoolean() ? 1 : 0); break;
    case Value::Kind::Integer: put(static_cast<std::uint64_t>(v.AsInteger())); break;
    case Value::Kind::Double: {
      const double d = v.AsDouble();
      std::uint64_t x = 0;
      std::memcpy(&x, &d, sizeof x);
      put(x);
      break;
    }
    case Value::Kind::Currency: put(static_cast<std::uint64_t>(v.AsCurrency().Scaled())); break;
    case Value::Kind::Date: put(static_cast<std::uint64_t>(static_cast<std::int64_t>(v.AsDate().Serial()))); break;
    case Value::Kind::Time: put(static_cast<std::uint64_t>(static_cast<std::int64_t>(v.AsTime().ms))); break;
    case Value::Kind::TimeStamp: put(static_cast<std::uint64_t>(v.AsTimeStamp().Milliseconds())); break;
    case Value::Kind::String:
      put(v.AsString().size());
      out += v.AsString();
      break;
    case Value::Kind::Bytes:
      put(v.AsBytes().size());
      out.append(reinterpret_cast<const char*>(v.AsBytes().data()), v.AsBytes().size());
      break;
  }
}

Value GetValue(std::string_view& in) {
  const auto take = [&](std::size_t n) {
    if (in.size() < n) Fail(code::kIoError, "a sort run of a query result does not read back");
    const std::string_view part = in.substr(0, n);
    in.remove_prefix(n);
    return part;
  };
  const auto get = [&] {
    std::uint64_t x = 0;
    std::memcpy(&x, take(sizeof x).data(), sizeof x);
    return x;
  };
  const auto kind = static_cast<Value::Kind>(static_cast<std::uint8_t>(take(1)[0]));
  switch (kind) {
    case Value::Kind::Null: return Value::Null();
    case Value::Kind::Boolean: return Value::Boolean(take(1)[0] != 0);
    case Value::Kind::Integer: return Value::Integer(static_cast<std::int64_t>(get()));
    case Value::Kind::Double: {
      const std::uint64_t x = get();
      double d = 0;
      std::memcpy(&d, &x, sizeof d);
      return Value::Double(d);
    }
    case Value::Kind::Currency: return Value::Money(kv::Currency::FromScaled(static_cast<std::int64_t>(get())));
    case Value::Kind::Date: return Value::Date(kv::Date::FromSerial(static_cast<std::int32_t>(get())));
    case Value::Kind::Time: return Value::Time(TimeOfDay{static_cast<std::int32_t>(get())});
    case Value::Kind::TimeStamp:
      return Value::TimeStamp(kv::DateTime::FromMilliseconds(static_cast<std::int64_t>(get())));
    case Value::Kind::String: {
      const std::uint64_t n = get();
      return Value::String(std::string(take(n)));
    }
    case Value::Kind::Bytes: {
      const std::uint64_t n = get();
      const std::string_view b = take(n);
      return Value::Blob(ByteVector(b.begin(), b.end()));
    }
  }
  Fail(code::kIoError, "a sort run of a query result does not read back");
}

std::size_t HeapBytes(const Value& v) {
  if (v.GetKind() == Value::Kind::String) return v.AsString().capacity() > 15 ? v.AsString().capacity() + 1 : 0;
  if (v.GetKind() == Value::Kind::Bytes) return v.AsBytes().capacity();
  return 0;
}

}  // namespace

// Reads a run back in pieces of 64 KiB.
class RowSorter::Reader {
 public:
  Reader(const stdfs::path& path, const Cipher* seal, std::uint64_t run)
      : file_(kv::fs::File::Open(path, kv::fs::File::Mode::ReadOnly)), size_(file_.Size()), seal_(seal), run_(run) {}

  bool Next(Row& row, std::size_t keys, std::size_t values) {
    if (consumed_ == size_) return false;
    std::uint64_t length = 0;
    Read(&length, sizeof length);
    // A length the run's file cannot hold is damage, found before any memory is taken for it.
    if (length > size_ - consumed_) Fail(code::kIoError, "a sort run of a query result ends early");
    record_.resize(length);
    Read(record_.data(), length);
    std::string_view in = record_;
    if (seal_ != nullptr) {
      if (length < Cipher::kOverhead) Fail(code::kIoError, "a sort run of a query result is damaged");
      opened_.resize(length - Cipher::kOverhead);
      if (!seal_->Open(reinterpret_cast<const std::uint8_t*>(record_.data()), length, RunPlace(run_, count_),
                       reinterpret_cast<std::uint8_t*>(opened_.data())))
        Fail(code::kIoError, "a sort run of a query result is damaged");
      in = opened_;
    }
    ++count_;
    row.keys.clear();
    row.values.clear();
    for (std::size_t i = 0; i < keys; ++i) row.keys.push_back(GetValue(in));
    for (std::size_t i = 0; i < values; ++i) row.values.push_back(GetValue(in));
    return true;
  }

 private:
  void Read(void* out, std::size_t n) {
    auto* to = static_cast<char*>(out);
    while (n > 0) {
      if (at_ == buffer_.size()) {
        const std::uint64_t left = size_ - read_;
        if (left == 0) Fail(code::kIoError, "a sort run of a query result ends early");
        buffer_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(left, 64u << 10)));
        file_.ReadExactAt(read_, buffer_.data(), buffer_.size());
        read_ += buffer_.size();
        at_ = 0;
      }
      const std::size_t take = std::min(n, buffer_.size() - at_);
      std::memcpy(to, buffer_.data() + at_, take);
      to += take;
      at_ += take;
      n -= take;
      consumed_ += take;
    }
  }

  kv::fs::File file_;
  std::uint64_t size_ = 0, read_ = 0, consumed_ = 0;
  const Cipher* seal_;
  std::uint64_t run_ = 0, count_ = 0;
  std::string buffer_, record_, opened_;
  std::size_t at_ = 0;
};

RowSorter::~RowSorter() {
  for (const stdfs::path& run : runs_) kv::fs::RemoveHostFile(run);
}

void RowSorter::Add(Row row) {
  std::size_t bytes = sizeof(Row) + (row.keys.capacity() + row.values.capacity()) * sizeof(Value);
  for (const Value& v : row.keys) bytes += HeapBytes(v);
  for (const Value& v : row.values) bytes += HeapBytes(v);
  rows_.push_back(std::move(row));
  held_ += bytes;
  if (held_ > kBudget) Spill();
}

void RowSorter::Finish(const std::function<void(const std::vector<Value>&)>& write) {
  if (runs_.empty()) {
    SortHeld();
    for (const Row& r : rows_) write(r.values);
    return;
  }
  Spill();
  Merge(write);
}

void RowSorter::Merge(const std::function<void(const std::vector<Value>&)>& write) {
  std::vector<Reader> readers;
  readers.reserve(runs_.size());
  for (std::size_t i = 0; i < runs_.size(); ++i) readers.emplace_back(runs_[i], seal_, i);
  // The heads of the runs; of equal keys the earlier run's row goes first.
  std::vector<std::pair<Row, std::size_t>> heads;
  const auto later = [&](const std::pair<Row, std::size_t>& a, const std::pair<Row, std::size_t>& b) {
    if (less_(b.first.keys, a.first.keys)) return true;
    if (less_(a.first.keys, b.first.keys)) return false;
    return a.second > b.second;
  };
  for (std::size_t i = 0; i < readers.size(); ++i) {
    Row r;
    if (readers[i].Next(r, keyCount_, valueCount_)) heads.emplace_back(std::move(r), i);
  }
  std::make_heap(heads.begin(), heads.end(), later);
  while (!heads.empty()) {
    std::pop_heap(heads.begin(), heads.end(), later);
    auto& [row, run] = heads.back();
    write(row.values);
    if (readers[run].Next(row, keyCount_, valueCount_)) std::push_heap(heads.begin(), heads.end(), later);
    else heads.pop_back();
  }
}

void RowSorter::SortHeld() {
  std::stable_sort(rows_.begin(), rows_.end(), [&](const Row& a, const Row& b) { return less_(a.keys, b.keys); });
}

void RowSorter::Spill() {
  if (rows_.empty()) return;
  SortHeld();
  keyCount_ = rows_.front().keys.size();
  valueCount_ = rows_.front().values.size();
  const stdfs::path path = folder_ / ("SORT" + std::to_string(runs_.size() + 1) + ".RUN");
  runs_.push_back(path);
  kv::fs::File file = kv::fs::File::Open(path, kv::fs::File::Mode::CreateOrTruncate);
  std::string chunk, record, sealed;
  std::uint64_t offset = 0, count = 0;
  for (const Row& r : rows_) {
    record.clear();
    for (const Value& v : r.keys) PutValue(record, v);
    for (const Value& v : r.values) PutValue(record, v);
    if (seal_ != nullptr) {
      // Each row sealed on its own, bound to its run and its place in it.
      sealed.resize(record.size() + Cipher::kOverhead);
      seal_->Seal(reinterpret_cast<const std::uint8_t*>(record.data()), record.size(), RunPlace(runs_.size() - 1, count++),
                  reinterpret_cast<std::uint8_t*>(sealed.data()));
      record.swap(sealed);
    }
    const std::uint64_t length = record.size();
    chunk.append(reinterpret_cast<const char*>(&length), sizeof length);
    chunk += record;
    if (chunk.size() >= (1u << 20)) {
      file.WriteAt(offset, chunk.data(), chunk.size());
      offset += chunk.size();
      chunk.clear();
    }
  }
  if (!chunk.empty()) file.WriteAt(offset, chunk.data(), chunk.size());
  rows_.clear();
  rows_.shrink_to_fit();
  held_ = 0;
}

}  // namespace ace::sql::exec
