// engine_bench: our engine against SQLite on the same payroll history table, in one run.
//
// Both sides get the same rows: a 40-column payroll history (periods, employees, NRICs, names, pay items, CPF,
// SDL, levy, dates, flags) generated deterministically from the row number. Each side runs in a child process of
// its own, so its peak resident memory is its own; within a child the peak is reset before each step
// (/proc/self/clear_refs) and read back after it (VmHWM). Rows are generated in small batches outside the timed
// sections, so the times are the database work alone and the generator adds little to the peaks.
//
// Steps: 1 bulk append, 2 full scan summing a money column, 3 index on PERIOD + EMPCODE, 4 random exact seeks
// on that key, 5a deleting 1% of the rows, 5b the whole-table rewrite (our pack, SQLite's VACUUM); plus the cost
// of opening the filled table against a ten-row one. The output ends with the table of ratios.

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ace/ace.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace stdfs = std::filesystem;

// --- the table ----------------------------------------------------------------------------------------------

enum class Kind { Char, Date, Integer, Logical, Double, Money };

struct Column {
  const char* name;
  Kind kind;
  int width;  // Char only
};

constexpr std::array<Column, 40> kColumns = {{
    {"PERIOD", Kind::Char, 6},      {"EMPCODE", Kind::Char, 8},     {"NRIC", Kind::Char, 9},
    {"EMPNAME", Kind::Char, 40},    {"DEPTCODE", Kind::Char, 10},   {"DESIGNATN", Kind::Char, 30},
    {"RACE", Kind::Char, 10},       {"RESSTAT", Kind::Char, 2},     {"CPFTYPE", Kind::Char, 2},
    {"BANKCODE", Kind::Char, 4},    {"BANKACC", Kind::Char, 16},    {"PAYMODE", Kind::Char, 1},
    {"REMARKS", Kind::Char, 60},    {"JOINDATE", Kind::Date, 0},    {"PAYDATE", Kind::Date, 0},
    {"CONFDATE", Kind::Date, 0},    {"WORKDAYS", Kind::Integer, 0}, {"ABSENTDAYS", Kind::Integer, 0},
    {"AGE", Kind::Integer, 0},      {"LEAVEBAL", Kind::Integer, 0}, {"CPFAPPL", Kind::Logical, 0},
    {"SDLAPPL", Kind::Logical, 0},  {"RESIGNED", Kind::Logical, 0}, {"OTRATE", Kind::Double, 0},
    {"OTHOURS", Kind::Double, 0},   {"BASICPAY", Kind::Money, 0},   {"OTPAY", Kind::Money, 0},
    {"ALLOWANCE", Kind::Money, 0},  {"BONUS", Kind::Money, 0},      {"COMMISSION", Kind::Money, 0},
    {"GROSSPAY", Kind::Money, 0},   {"OWWAGES", Kind::Money, 0},    {"AWWAGES", Kind::Money, 0},
    {"EECPF", Kind::Money, 0},      {"ERCPF", Kind::Money, 0},      {"SDL", Kind::Money, 0},
    {"FWL", Kind::Money, 0},        {"SHGFUND", Kind::Money, 0},    {"DEDUCTION", Kind::Money, 0},
    {"NETPAY", Kind::Money, 0},
}};
constexpr int kNetPay = 39;

std::string EngineFieldList() {
  std::string s;
  for (const Column& c : kColumns) {
    s += c.name;
    switch (c.kind) {
      case Kind::Char: s += ",Char," + std::to_string(c.width); break;
      case Kind::Date: s += ",Date"; break;
      case Kind::Integer: s += ",Integer"; break;
      case Kind::Logical: s += ",Logical"; break;
      case Kind::Double: s += ",Double,2"; break;
      case Kind::Money: s += ",CurDouble,2"; break;
    }
    s += ";";
  }
  return s;
}

// retyped: the layout the SQL steps' ALTER COLUMN leaves (BANKACC VARCHAR(20), the added PAYNOTE at the end).
std::string SqliteCreate(const std::string& table = "payhist", bool retyped = false) {
  std::string s = "CREATE TABLE " + table + " (";
  for (std::size_t i = 0; i < kColumns.size(); ++i) {
    const Column& c = kColumns[i];
    if (i) s += ", ";
    s += c.name;
    switch (c.kind) {
      case Kind::Char: s += retyped && std::string_view(c.name) == "BANKACC" ? " VARCHAR(20)" : " TEXT"; break;
      case Kind::Date:
      case Kind::Integer:
      case Kind::Logical: s += " INTEGER"; break;
      case Kind::Double:
      case Kind::Money: s += " REAL"; break;
    }
  }
  return s + (retyped ? ", PAYNOTE TEXT)" : ")");
}

// --- the rows -----------------------------------------------------------------------------------------------

std::uint64_t Mix(std::uint64_t x) {  // splitmix64
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

double Cents(double v) { return std::round(v * 100.0) / 100.0; }

// One row's values: text columns as views into the row's own buffer, numbers as numbers, nulls flagged.
struct Row {
  std::array<std::string_view, 40> text{};
  std::array<double, 40> number{};
  std::array<std::int64_t, 40> whole{};
  std::array<bool, 40> null{};
  char buffer[320];
};

// Which rows hold which keys: row i is period i / employees, and within a period the employees come in a
// scattered order, as payroll runs append them (so the key order is not the append order).
struct Shape {
  std::uint64_t rows = 0;
  std::uint64_t employees = 0;
  std::uint64_t Employee(std::uint64_t row) const {
    const std::uint64_t j = row % employees;
    return employees % 7919 == 0 ? j : (j * 7919) % employees;
  }
  std::uint64_t Period(std::uint64_t row) const { return row / employees; }
  // PERIOD "YYYYMM" from January 2008 on, EMPCODE "E0000001"; both written with their terminators.
  void Key(std::uint64_t row, char* period, char* empcode) const {
    const std::uint64_t p = Period(row);
    Digits(period, 4, 2008 + p / 12);
    Digits(period + 4, 2, p % 12 + 1);
    period[6] = 0;
    empcode[0] = 'E';
    Digits(empcode + 1, 7, Employee(row) + 1);
    empcode[8] = 0;
  }
  static void Digits(char* out, int width, std::uint64_t v) {
    for (int k = width - 1; k >= 0; --k, v /= 10) out[k] = static_cast<char>('0' + v % 10);
  }
};

constexpr const char* kGiven[] = {"WEI MING", "SITI",  "RAJESH", "MEI LING", "AHMAD", "PRIYA",  "JUN JIE",
                                  "NURUL",    "KUMAR", "HUI MIN", "FARID",   "LAKSHMI", "ZHI HAO", "AISYAH",
                                  "DAVID",    "GRACE"};
constexpr const char* kFamily[] = {"TAN",   "LIM",    "LEE",   "NG",       "ONG",  "WONG",  "GOH",   "CHUA",
                                   "BIN ISMAIL", "BTE RAHMAN", "S/O RAMAN", "D/O SUPPIAH", "PILLAI", "FERNANDEZ",
                                   "TEO", "KOH"};
constexpr const char* kRaceOf[] = {"CHINESE", "CHINESE", "CHINESE", "CHINESE", "CHINESE", "CHINESE", "CHINESE",
                                   "CHINESE", "MALAY",   "MALAY",   "INDIAN",  "INDIAN",  "INDIAN",  "EURASIAN",
                                   "CHINESE", "CHINESE"};
constexpr const char* kDept[] = {"FIN", "HR", "OPS", "IT", "SALES", "LOGISTICS", "PROD", "QA"};
constexpr const char* kTitle[] = {"ACCOUNTS EXECUTIVE", "HR MANAGER", "OPERATIONS SUPERVISOR", "SOFTWARE ENGINEER",
                                  "SALES EXECUTIVE",    "STOREKEEPER", "PRODUCTION OPERATOR", "QA TECHNICIAN",
                                  "ADMIN ASSISTANT",    "DRIVER"};
constexpr const char* kBank[] = {"7171", "7339", "7375", "7232"};
constexpr const char* kRemark[] = {"", "", "", "", "", "", "BACK PAY INCLUDED", "NO PAY LEAVE 1 DAY", "TRANSPORT CLAIM",
                                   "ANNUAL WAGE SUPPLEMENT"};

void MakeRow(const Shape& shape, std::uint64_t i, Row& r) {
  const std::uint64_t emp = shape.Employee(i);
  const std::uint64_t p = shape.Period(i);
  const std::uint64_t h = Mix(emp + 1);
  const std::uint64_t g = Mix(i ^ 0xA5A5A5A5ULL);
  const int year = static_cast<int>(2008 + p / 12), month = static_cast<int>(p % 12 + 1);
  char* out = r.buffer;
  const auto put = [&](int column, std::string_view s) {
    std::memcpy(out, s.data(), s.size());
    r.text[column] = std::string_view(out, s.size());
    r.null[column] = false;
    out += s.size();
  };
  char tmp[64];
  shape.Key(i, tmp, tmp + 8);
  put(0, std::string_view(tmp, 6));
  put(1, std::string_view(tmp + 8, 8));
  // NRIC: S or T, seven digits and the check letter.
  const bool young = (h >> 40) % 3 == 0;
  const std::uint64_t digits = (emp * 104729 + 1234567) % 10000000;
  int weighted = young ? 4 : 0;
  static constexpr int kWeights[] = {2, 7, 6, 5, 4, 3, 2};
  for (int k = 0; k < 7; ++k) {
    const int d = static_cast<int>(digits / static_cast<std::uint64_t>(std::pow(10, 6 - k)) % 10);
    weighted += d * kWeights[k];
  }
  std::snprintf(tmp, sizeof tmp, "%c%07llu%c", young ? 'T' : 'S', static_cast<unsigned long long>(digits),
                "JZIHGFEDCBA"[weighted % 11]);
  put(2, tmp);
  const std::size_t family = (h >> 8) % 16;
  std::snprintf(tmp, sizeof tmp, "%s %s", kFamily[family], kGiven[h % 16]);
  put(3, tmp);
  put(4, kDept[(h >> 12) % 8]);
  put(5, kTitle[(h >> 16) % 10]);
  put(6, kRaceOf[family]);
  const int res = static_cast<int>((h >> 20) % 10);  // 0-5 citizen, 6-7 PR, 8-9 foreign worker
  const bool foreigner = res >= 8;
  put(7, res < 6 ? "SC" : (res < 8 ? "PR" : "FW"));
  put(8, foreigner ? "NA" : (res < 6 ? "F1" : "G1"));
  put(9, kBank[(h >> 24) % 4]);
  std::snprintf(tmp, sizeof tmp, "%03llu-%06llu-%01llu", static_cast<unsigned long long>((h >> 28) % 1000),
                static_cast<unsigned long long>((h >> 32) % 1000000), static_cast<unsigned long long>(h % 10));
  put(10, tmp);
  put(11, (h >> 36) % 20 == 0 ? "C" : "B");
  const char* remark = kRemark[g % 10];
  if (*remark) put(12, remark);
  else r.null[12] = true;

  // Dates as day numbers from 1 January 2000, the same for both sides.
  const std::int64_t join = static_cast<std::int64_t>(h % 3000);
  const std::int64_t periodStart = static_cast<std::int64_t>(2922 + p * 3044 / 100);  // 2008-01-01 on
  r.whole[13] = join;
  r.whole[14] = periodStart + 27;
  r.null[15] = (h >> 44) % 5 == 0;
  r.whole[15] = join + 180;
  const std::int64_t absent = static_cast<std::int64_t>((g >> 32) % 3);
  r.whole[16] = 22 - absent;
  r.whole[17] = absent;
  r.whole[18] = static_cast<std::int64_t>(21 + (h >> 48) % 40 + p / 12);
  r.whole[19] = static_cast<std::int64_t>((h >> 52) % 21);
  r.whole[20] = !foreigner;
  r.whole[21] = 1;
  r.whole[22] = g % 997 == 0;
  for (int c = 13; c <= 22; ++c)
    if (c != 15) r.null[c] = false;

  const double basic = Cents((1800 + static_cast<double>((h >> 4) % 900) * 11.5) * (1 + 0.03 * static_cast<double>(p / 12)));
  const double otRate = Cents(basic * 12 / (52 * 44) * 1.5);
  const double otHours = static_cast<double>(g % 40) * 0.5;
  const double otPay = Cents(otRate * otHours);
  const double allowance = static_cast<double>((h >> 56) % 4) * 150;
  const double bonus = month == 12 ? Cents(basic * static_cast<double>((g >> 8) % 3)) : 0;
  const double commission = (g >> 12) % 5 == 0 ? static_cast<double>((g >> 20) % 2000) : 0;
  const double gross = Cents(basic + otPay + allowance + bonus + commission);
  const double ow = std::min(gross - bonus, 6000.0);
  const double aw = bonus;
  const double eeCpf = foreigner ? 0 : std::floor(0.20 * (ow + aw));
  const double erCpf = foreigner ? 0 : std::round(0.17 * (ow + aw));
  const double sdl = Cents(std::clamp(gross * 0.0025, 2.0, 11.25));
  const double fwl = foreigner ? 450 : 0;
  const double shg = foreigner ? 0 : (family >= 8 && family <= 9 ? 5.0 : (family >= 10 && family <= 12 ? 3.0 : 1.0));
  const double deduction = (g >> 28) % 10 == 0 ? 50 : 0;
  const double net = Cents(gross - eeCpf - shg - deduction);
  const double numbers[] = {otRate, otHours, basic, otPay, allowance, bonus, commission, gross, ow, aw,
                            eeCpf,  erCpf,   sdl,   fwl,   shg,       deduction, net};
  for (int c = 23; c < 40; ++c) {
    r.number[c] = numbers[c - 23];
    r.null[c] = false;
  }
  (void)year;
}

// --- measuring ----------------------------------------------------------------------------------------------

struct Step {
  std::string key;
  double seconds = 0;
  long peakKiB = -1;
  std::string note;
  double cpu = -1;  // user + system seconds of the step; filled in by Mark
};

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The processor time since the last mark goes to the step recorded next: on a busy machine it says what the
// step itself cost when the wall-clock time also holds waiting for the processor.
double g_cpuMark = 0;
void Mark() { g_cpuMark = CpuSeconds(); }
Step Timed(std::string key, double seconds, long peak, std::string note) {
  Step s{std::move(key), seconds, peak, std::move(note)};
  s.cpu = CpuSeconds() - g_cpuMark;
  return s;
}

long StatusKiB(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::size_t n = std::strlen(field);
  while (std::getline(in, line))
    if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':') return std::atol(line.c_str() + n + 1);
  return -1;
}

bool g_peakResets = true;

// Starts a new peak measurement: the kernel's high-water mark goes back to the current resident size.
void ResetPeak() {
  Mark();
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  if (!clear) g_peakResets = false;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

class Stopwatch {
 public:
  void Start() { start_ = Clock::now(); }
  void Stop() { total_ += Clock::now() - start_; }
  double Total() const { return Seconds(total_); }

 private:
  Clock::time_point start_{};
  Clock::duration total_{};
};

[[noreturn]] void Die(const std::string& what) { throw std::runtime_error(what); }

// --- our engine ---------------------------------------------------------------------------------------------

void Check(ace::ResultCode rc, const char* what) {
  if (rc == 0) return;
  ace::ResultCode code = 0;
  std::string text;
  ace::AdsGetLastError(&code, &text);
  Die(std::string(what) + " failed: " + std::to_string(rc) + " " + text);
}

ace::Value EngineValue(const Row& r, int c) {
  if (r.null[c]) return ace::Value::Null();
  switch (kColumns[c].kind) {
    case Kind::Char: return ace::Value::String(std::string(r.text[c]));
    case Kind::Date: return ace::Value::Date(kv::Date::FromSerial(static_cast<std::int32_t>(r.whole[c] + 36526)));
    case Kind::Integer: return ace::Value::Integer(r.whole[c]);
    case Kind::Logical: return ace::Value::Boolean(r.whole[c] != 0);
    case Kind::Double:
    case Kind::Money: return ace::Value::Double(r.number[c]);
  }
  return ace::Value::Null();
}

constexpr std::uint64_t kBatch = 1000;

ace::AdsHandle OpenEngineTable(ace::AdsHandle connection, const char* name, std::uint32_t mode) {
  ace::AdsHandle t = 0;
  Check(ace::AdsOpenTable(connection, name, "", ace::table_type::kAdt, 1, 1, 1, mode, &t), "AdsOpenTable");
  return t;
}

void FillEngineTable(ace::AdsHandle t, const Shape& shape, Stopwatch* watch) {
  std::vector<Row> batch(kBatch);
  for (std::uint64_t first = 0; first < shape.rows; first += kBatch) {
    const std::uint64_t n = std::min(kBatch, shape.rows - first);
    for (std::uint64_t k = 0; k < n; ++k) MakeRow(shape, first + k, batch[k]);
    if (watch) watch->Start();
    for (std::uint64_t k = 0; k < n; ++k) {
      Check(ace::AdsAppendRecord(t), "AdsAppendRecord");
      for (int c = 0; c < 40; ++c) Check(ace::AdsSetField(t, kColumns[c].name, EngineValue(batch[k], c)), "AdsSetField");
      Check(ace::AdsWriteRecord(t), "AdsWriteRecord");
    }
    if (watch) watch->Stop();
  }
}

double MedianOpenSeconds(ace::AdsHandle connection, const char* name) {
  std::vector<double> times;
  for (int k = 0; k < 25; ++k) {
    const auto t0 = Clock::now();
    const ace::AdsHandle t = OpenEngineTable(connection, name, ace::open_mode::kShared);
    times.push_back(Seconds(Clock::now() - t0));
    Check(ace::AdsCloseTable(t), "AdsCloseTable");
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

struct Plan {
  Shape shape;
  std::uint64_t seeks = 100000;
  stdfs::path folder;
  bool storageSteps = true;  // steps 1 to 5b
  bool sqlSteps = true;      // steps 6a to 6f
};

// --- SQL statements ----------------------------------------------------------------------------------------
// Steps 6a to 6f run on a table of their own (PAYSQL: the same 1 000 000 rows, 40 columns and PERIOD + EMPCODE
// index, made outside the timed sections), one statement after another in this order. Both sides run the same
// text wherever the two dialects allow; each step's outcome (rows changed, the count, the groups and their sums,
// the rows kept) is printed for both and must agree.

struct SqlStatement {
  const char* key;
  const char* label;
  const char* ours;
  const char* lite;  // the SQLite text where it differs
};

constexpr const char* kSqliteRebuild = "12-step rebuild in one transaction: CREATE TABLE PAYSQL_NEW (... BANKACC VARCHAR(20) ...), "
                                       "INSERT INTO PAYSQL_NEW SELECT ... FROM PAYSQL, DROP TABLE PAYSQL, ALTER TABLE "
                                       "PAYSQL_NEW RENAME TO PAYSQL, CREATE INDEX again";

const std::array<SqlStatement, 6> kSql = {{
    {"sql_update", "6a UPDATE 10%", "UPDATE PAYSQL SET BASICPAY = BASICPAY * 1.05 WHERE OTHOURS < 2", nullptr},
    {"sql_delete", "6b DELETE WHERE 10%", "DELETE FROM PAYSQL WHERE REMARKS = 'TRANSPORT CLAIM'", nullptr},
    {"sql_count", "6c COUNT(*) WHERE", "SELECT COUNT(*) AS N FROM PAYSQL WHERE DEPTCODE = 'SALES' AND GROSSPAY > 3000",
     nullptr},
    {"sql_group", "6d GROUP BY + SUM", "SELECT PERIOD, SUM(NETPAY) AS TOTAL FROM PAYSQL GROUP BY PERIOD", nullptr},
    {"sql_add", "6e ADD COLUMN", "ALTER TABLE PAYSQL ADD COLUMN PAYNOTE Char(20)", "ALTER TABLE PAYSQL ADD COLUMN PAYNOTE TEXT"},
    {"sql_alter", "6f ALTER COLUMN retype", "ALTER TABLE PAYSQL ALTER COLUMN BANKACC BANKACC Char(20)", kSqliteRebuild},
}};

// The outcome of the GROUP BY step: groups and the sum of their sums in whole cents (each group's sum rounded to
// cents first, so that both sides' ways of adding give the same text).
std::string GroupOutcome(std::uint64_t groups, long long cents) {
  char text[96];
  std::snprintf(text, sizeof text, "%llu groups, sums total %lld.%02lld", static_cast<unsigned long long>(groups),
                cents / 100, cents % 100);
  return text;
}

std::uint64_t SeekRow(const Plan& plan, std::uint64_t k) { return Mix(k * 2654435761ULL + 17) % plan.shape.rows; }
bool DeletedRow(std::uint64_t i) { return i % 100 == 37; }

void EngineStorageSteps(const Plan& plan, ace::AdsHandle connection, std::vector<Step>& steps) {
  const std::string fields = EngineFieldList();
  ace::AdsHandle t = 0;
  const std::string expression = "PERIOD;EMPCODE";

  // The ten-row table for the open comparison, with the same fields and index.
  Check(ace::AdsCreateTable(connection, "PAYSMALL", "", ace::table_type::kAdt, 1, 1, 1, 0, fields, &t), "AdsCreateTable");
  FillEngineTable(t, Shape{10, std::min<std::uint64_t>(10, plan.shape.employees)}, nullptr);
  Check(ace::AdsCreateIndex61(t, "", "PERIODEMP", expression, "", "", ace::index_option::kCompound, 512, nullptr),
        "AdsCreateIndex61");
  Check(ace::AdsCloseTable(t), "AdsCloseTable");

  Check(ace::AdsCreateTable(connection, "PAYHIST", "", ace::table_type::kAdt, 1, 1, 1, 0, fields, &t), "AdsCreateTable");
  Check(ace::AdsCloseTable(t), "AdsCloseTable");

  {  // 1. bulk append, the table opened exclusively; closing it is part of the step
    ResetPeak();
    Stopwatch watch;
    watch.Start();
    t = OpenEngineTable(connection, "PAYHIST", ace::open_mode::kExclusive);
    watch.Stop();
    FillEngineTable(t, plan.shape, &watch);
    watch.Start();
    Check(ace::AdsCloseTable(t), "AdsCloseTable");
    watch.Stop();
    steps.push_back(Timed("append", watch.Total(), StatusKiB("VmHWM"), "exclusive open, close included"));
  }
  // 2. full scan in record order, summing NETPAY; shared (as the tool reads) and exclusive (no per-call locks)
  const auto scan = [&](std::uint32_t mode, const char* key, const char* how) {
    ResetPeak();
    const auto t0 = Clock::now();
    t = OpenEngineTable(connection, "PAYHIST", mode);
    double sum = 0;
    std::uint64_t rows = 0;
    Check(ace::AdsGotoTop(t), "AdsGotoTop");
    for (;;) {
      bool eof = false;
      Check(ace::AdsAtEOF(t, &eof), "AdsAtEOF");
      if (eof) break;
      ace::Value v;
      Check(ace::AdsGetField(t, "NETPAY", &v), "AdsGetField");
      sum += v.AsDouble();
      ++rows;
      Check(ace::AdsSkip(t, 1), "AdsSkip");
    }
    Check(ace::AdsCloseTable(t), "AdsCloseTable");
    const double s = Seconds(Clock::now() - t0);
    if (rows != plan.shape.rows) Die("the scan saw " + std::to_string(rows) + " rows");
    char note[96];
    std::snprintf(note, sizeof note, "%s open; NETPAY sum %.2f", how, sum);
    steps.push_back(Timed(key, s, StatusKiB("VmHWM"), note));
  };
  scan(ace::open_mode::kShared, "scan", "shared");
  scan(ace::open_mode::kExclusive, "scan_x", "exclusive");
  {  // 3. the two-field index over the filled table
    t = OpenEngineTable(connection, "PAYHIST", ace::open_mode::kShared);
    ResetPeak();
    const auto t0 = Clock::now();
    Check(ace::AdsCreateIndex61(t, "", "PERIODEMP", expression, "", "", ace::index_option::kCompound, 512, nullptr),
          "AdsCreateIndex61");
    Check(ace::AdsCloseTable(t), "AdsCloseTable");
    steps.push_back(Timed("index", Seconds(Clock::now() - t0), StatusKiB("VmHWM"), "close (clean mark, sync) included"));
  }
  // 4. random exact seeks, each reading NETPAY of the record found; shared and exclusive
  const auto seek = [&](std::uint32_t mode, const char* key, const char* how) {
    t = OpenEngineTable(connection, "PAYHIST", mode);
    ace::AdsHandle index = 0;
    Check(ace::AdsGetIndexHandle(t, "PERIODEMP", &index), "AdsGetIndexHandle");
    ResetPeak();
    const auto t0 = Clock::now();
    double sum = 0;
    char period[8], empcode[16];
    std::array<ace::Value, 2> values;
    for (std::uint64_t k = 0; k < plan.seeks; ++k) {
      plan.shape.Key(SeekRow(plan, k), period, empcode);
      values[0] = ace::Value::String(period);
      values[1] = ace::Value::String(empcode);
      bool found = false;
      Check(ace::AdsSeek(index, values, ace::seek_type::kExact, &found), "AdsSeek");
      if (!found) Die(std::string("AdsSeek did not find ") + period + " " + empcode);
      ace::Value v;
      Check(ace::AdsGetField(t, "NETPAY", &v), "AdsGetField");
      sum += v.AsDouble();
    }
    const double s = Seconds(Clock::now() - t0);
    char note[96];
    std::snprintf(note, sizeof note, "%s open; NETPAY sum %.2f", how, sum);
    steps.push_back(Timed(key, s, StatusKiB("VmHWM"), note));
    Check(ace::AdsCloseTable(t), "AdsCloseTable");
  };
  seek(ace::open_mode::kShared, "seek", "shared");
  seek(ace::open_mode::kExclusive, "seek_x", "exclusive");
  {  // opening does not read the records: the filled table against the ten-row one
    const double big = MedianOpenSeconds(connection, "PAYHIST");
    const double small = MedianOpenSeconds(connection, "PAYSMALL");
    steps.push_back({"open_big", big, -1, ""});
    steps.push_back({"open_small", small, -1, ""});
  }
  {  // 5a. delete 1% of the rows; 5b. pack
    t = OpenEngineTable(connection, "PAYHIST", ace::open_mode::kExclusive);
    ResetPeak();
    auto t0 = Clock::now();
    std::uint64_t deleted = 0;
    for (std::uint64_t i = 0; i < plan.shape.rows; ++i) {
      if (!DeletedRow(i)) continue;
      Check(ace::AdsGotoRecord(t, i + 1), "AdsGotoRecord");
      Check(ace::AdsDeleteRecord(t), "AdsDeleteRecord");
      ++deleted;
    }
    steps.push_back(Timed("delete", Seconds(Clock::now() - t0), StatusKiB("VmHWM"),
                     std::to_string(deleted) + " rows, exclusive open"));
    ResetPeak();
    t0 = Clock::now();
    Check(ace::AdsPackTable(t), "AdsPackTable");
    Check(ace::AdsCloseTable(t), "AdsCloseTable");
    const double s = Seconds(Clock::now() - t0);
    t = OpenEngineTable(connection, "PAYHIST", ace::open_mode::kShared);
    std::uint64_t count = 0;
    Check(ace::AdsGetRecordCount(t, &count), "AdsGetRecordCount");
    Check(ace::AdsCloseTable(t), "AdsCloseTable");
    if (count != plan.shape.rows - deleted) Die("the packed table has " + std::to_string(count) + " rows");
    steps.push_back(Timed("rewrite", s, StatusKiB("VmHWM"), "AdsPackTable (records and index rewritten), close included"));
  }
  std::uint64_t bytes = 0;
  for (const auto& entry : stdfs::directory_iterator(plan.folder / "ace"))
    if (entry.path().stem() == "PAYHIST") bytes += entry.file_size();
  steps.push_back({"files", static_cast<double>(bytes), -1, "PAYHIST.ADT + .ADI after the pack"});
}

// --- SQL statements through the engine calls ------------------------------------------------------------------

double Number(const ace::Value& v) {
  switch (v.GetKind()) {
    case ace::Value::Kind::Integer: return static_cast<double>(v.AsInteger());
    case ace::Value::Kind::Double: return v.AsDouble();
    case ace::Value::Kind::Currency: return v.AsCurrency().ToDouble();
    default: Die("a statement result is not a number");
  }
}

// Prepares, executes and closes one statement, reading its whole result; gives its outcome.
std::string EngineStatement(ace::AdsHandle connection, const SqlStatement& s) {
  ace::AdsHandle statement = 0, cursor = 0;
  Check(ace::AdsCreateSQLStatement(connection, &statement), "AdsCreateSQLStatement");
  Check(ace::AdsPrepareSQL(statement, s.ours), "AdsPrepareSQL");
  Check(ace::AdsExecuteSQL(statement, &cursor), "AdsExecuteSQL");
  std::string outcome;
  const std::string_view key = s.key;
  if (key == "sql_count") {
    ace::Value n;
    Check(ace::AdsGetField(cursor, "N", &n), "AdsGetField");
    outcome = "count " + std::to_string(static_cast<long long>(Number(n)));
  } else if (key == "sql_group") {
    std::uint64_t groups = 0;
    long long cents = 0;
    Check(ace::AdsGotoTop(cursor), "AdsGotoTop");
    for (;;) {
      bool eof = false;
      Check(ace::AdsAtEOF(cursor, &eof), "AdsAtEOF");
      if (eof) break;
      ace::Value total;
      Check(ace::AdsGetField(cursor, "TOTAL", &total), "AdsGetField");
      cents += std::llround(Number(total) * 100);
      ++groups;
      Check(ace::AdsSkip(cursor, 1), "AdsSkip");
    }
    outcome = GroupOutcome(groups, cents);
  } else if (key == "sql_update" || key == "sql_delete") {
    std::uint64_t rows = 0;
    Check(ace::AdsGetRecordCount(statement, &rows), "AdsGetRecordCount");
    outcome = std::to_string(rows) + " rows";
  }
  Check(ace::AdsCloseSQLStatement(statement), "AdsCloseSQLStatement");
  return outcome;
}

void EngineSqlSteps(const Plan& plan, ace::AdsHandle connection, std::vector<Step>& steps) {
  ace::AdsHandle t = 0;
  Check(ace::AdsCreateTable(connection, "PAYSQL", "", ace::table_type::kAdt, 1, 1, 1, 0, EngineFieldList(), &t),
        "AdsCreateTable");
  Check(ace::AdsCloseTable(t), "AdsCloseTable");
  t = OpenEngineTable(connection, "PAYSQL", ace::open_mode::kExclusive);
  FillEngineTable(t, plan.shape, nullptr);
  Check(ace::AdsCreateIndex61(t, "", "PERIODEMP", "PERIOD;EMPCODE", "", "", ace::index_option::kCompound, 512, nullptr),
        "AdsCreateIndex61");
  Check(ace::AdsCloseTable(t), "AdsCloseTable");
  for (const SqlStatement& s : kSql) {
    ResetPeak();
    const auto t0 = Clock::now();
    std::string outcome = EngineStatement(connection, s);
    const double secs = Seconds(Clock::now() - t0);
    const long peak = StatusKiB("VmHWM");
    Step step = Timed(s.key, secs, peak, "");
    if (outcome.empty()) {  // ALTER: the rows the table keeps
      t = OpenEngineTable(connection, "PAYSQL", ace::open_mode::kShared);
      std::uint64_t rows = 0;
      Check(ace::AdsGetRecordCount(t, &rows), "AdsGetRecordCount");
      std::uint32_t bankacc = 0, paynote = 0;
      Check(ace::AdsGetFieldLength(t, "BANKACC", &bankacc), "AdsGetFieldLength");
      Check(ace::AdsGetFieldLength(t, "PAYNOTE", &paynote), "AdsGetFieldLength");  // fails when ADD left none
      Check(ace::AdsCloseTable(t), "AdsCloseTable");
      if (std::string_view(s.key) == "sql_alter" && bankacc != 21)
        Die("ALTER COLUMN left BANKACC with data size " + std::to_string(bankacc));
      outcome = std::to_string(rows) + " rows kept";
    }
    step.note = outcome;
    steps.push_back(step);
  }
}

std::vector<Step> RunEngine(const Plan& plan) {
  std::vector<Step> steps;
  ace::AdsHandle connection = 0;
  Check(ace::AdsConnect60((plan.folder / "ace").string(), 1, "", "", 0, &connection), "AdsConnect60");
  if (plan.storageSteps) EngineStorageSteps(plan, connection, steps);
  if (plan.sqlSteps) EngineSqlSteps(plan, connection, steps);
  Check(ace::AdsDisconnect(connection), "AdsDisconnect");
  return steps;
}

// --- SQLite -------------------------------------------------------------------------------------------------

void Ok(sqlite3* db, int rc, const char* what) {
  if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
  Die(std::string(what) + " failed: " + sqlite3_errmsg(db));
}

void Exec(sqlite3* db, const std::string& sql) { Ok(db, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), sql.c_str()); }

sqlite3_stmt* Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* s = nullptr;
  Ok(db, sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr), sql.c_str());
  return s;
}

std::string PragmaText(sqlite3* db, const char* pragma) {
  sqlite3_stmt* s = Prepare(db, std::string("PRAGMA ") + pragma);
  std::string v;
  if (sqlite3_step(s) == SQLITE_ROW) v = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
  sqlite3_finalize(s);
  return v;
}

// Binds one row's 40 values to a prepared INSERT of all columns.
void BindRow(sqlite3_stmt* insert, const Row& r) {
  for (int c = 0; c < 40; ++c) {
    if (r.null[c]) {
      sqlite3_bind_null(insert, c + 1);
      continue;
    }
    switch (kColumns[c].kind) {
      case Kind::Char:
        sqlite3_bind_text(insert, c + 1, r.text[c].data(), static_cast<int>(r.text[c].size()), SQLITE_STATIC);
        break;
      case Kind::Date:
      case Kind::Integer:
      case Kind::Logical: sqlite3_bind_int64(insert, c + 1, r.whole[c]); break;
      case Kind::Double:
      case Kind::Money: sqlite3_bind_double(insert, c + 1, r.number[c]); break;
    }
  }
}

std::string SqliteInsert(const std::string& table) {
  std::string sql = "INSERT INTO " + table + " VALUES (";
  for (int c = 0; c < 40; ++c) sql += c ? ",?" : "?";
  return sql + ")";
}

void SqliteStorageSteps(const Plan& plan, std::vector<Step>& steps) {
  const std::string path = (plan.folder / "payhist.sqlite").string();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
    Die("sqlite3_open_v2 failed");
  Exec(db, "PRAGMA synchronous=NORMAL");
  Exec(db, "PRAGMA journal_mode=DELETE");
  Exec(db, SqliteCreate());
  steps.push_back({"settings", 0, -1,
                   "synchronous=" + PragmaText(db, "synchronous") + " (1 = NORMAL), journal_mode=" +
                       PragmaText(db, "journal_mode") + ", page_size=" + PragmaText(db, "page_size") +
                       ", cache_size=" + PragmaText(db, "cache_size") + ", SQLite " + sqlite3_libversion()});

  {  // 1. bulk append: one prepared INSERT, one transaction
    ResetPeak();
    Stopwatch watch;
    const std::string sql = SqliteInsert("payhist");
    watch.Start();
    Exec(db, "BEGIN");
    sqlite3_stmt* insert = Prepare(db, sql);
    watch.Stop();
    std::vector<Row> batch(kBatch);
    for (std::uint64_t first = 0; first < plan.shape.rows; first += kBatch) {
      const std::uint64_t n = std::min(kBatch, plan.shape.rows - first);
      for (std::uint64_t k = 0; k < n; ++k) MakeRow(plan.shape, first + k, batch[k]);
      watch.Start();
      for (std::uint64_t k = 0; k < n; ++k) {
        BindRow(insert, batch[k]);
        Ok(db, sqlite3_step(insert), "INSERT");
        sqlite3_reset(insert);
      }
      watch.Stop();
    }
    watch.Start();
    sqlite3_finalize(insert);
    Exec(db, "COMMIT");
    watch.Stop();
    steps.push_back(Timed("append", watch.Total(), StatusKiB("VmHWM"), "prepared INSERT, one transaction"));
  }
  {  // 2. full scan: step every row, sum in C++
    ResetPeak();
    const auto t0 = Clock::now();
    sqlite3_stmt* s = Prepare(db, "SELECT NETPAY FROM payhist");
    double sum = 0;
    std::uint64_t rows = 0;
    int rc = 0;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      sum += sqlite3_column_double(s, 0);
      ++rows;
    }
    Ok(db, rc, "SELECT");
    sqlite3_finalize(s);
    const double secs = Seconds(Clock::now() - t0);
    if (rows != plan.shape.rows) Die("the SQLite scan saw " + std::to_string(rows) + " rows");
    char note[96];
    std::snprintf(note, sizeof note, "prepared SELECT; NETPAY sum %.2f", sum);
    steps.push_back(Timed("scan", secs, StatusKiB("VmHWM"), note));
  }
  {  // 3. the index
    ResetPeak();
    const auto t0 = Clock::now();
    Exec(db, "CREATE INDEX payhist_key ON payhist(PERIOD, EMPCODE)");
    steps.push_back(Timed("index", Seconds(Clock::now() - t0), StatusKiB("VmHWM"), "CREATE INDEX"));
  }
  {  // 4. random exact seeks
    ResetPeak();
    const auto t0 = Clock::now();
    sqlite3_stmt* s = Prepare(db, "SELECT NETPAY FROM payhist WHERE PERIOD=?1 AND EMPCODE=?2");
    double sum = 0;
    char period[8], empcode[16];
    for (std::uint64_t k = 0; k < plan.seeks; ++k) {
      plan.shape.Key(SeekRow(plan, k), period, empcode);
      sqlite3_bind_text(s, 1, period, 6, SQLITE_STATIC);
      sqlite3_bind_text(s, 2, empcode, 8, SQLITE_STATIC);
      if (sqlite3_step(s) != SQLITE_ROW) Die(std::string("SQLite did not find ") + period + " " + empcode);
      sum += sqlite3_column_double(s, 0);
      sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    const double secs = Seconds(Clock::now() - t0);
    char note[96];
    std::snprintf(note, sizeof note, "prepared SELECT ... WHERE PERIOD=? AND EMPCODE=?; NETPAY sum %.2f", sum);
    steps.push_back(Timed("seek", secs, StatusKiB("VmHWM"), note));
  }
  {  // 5a. delete 1%; 5b. VACUUM
    ResetPeak();
    auto t0 = Clock::now();
    Exec(db, "BEGIN");
    sqlite3_stmt* s = Prepare(db, "DELETE FROM payhist WHERE rowid=?1");
    std::uint64_t deleted = 0;
    for (std::uint64_t i = 0; i < plan.shape.rows; ++i) {
      if (!DeletedRow(i)) continue;
      sqlite3_bind_int64(s, 1, static_cast<sqlite3_int64>(i + 1));
      Ok(db, sqlite3_step(s), "DELETE");
      sqlite3_reset(s);
      ++deleted;
    }
    sqlite3_finalize(s);
    Exec(db, "COMMIT");
    steps.push_back(Timed("delete", Seconds(Clock::now() - t0), StatusKiB("VmHWM"),
                     std::to_string(deleted) + " rows, prepared DELETE by rowid, one transaction"));
    ResetPeak();
    t0 = Clock::now();
    Exec(db, "VACUUM");
    const double secs = Seconds(Clock::now() - t0);
    sqlite3_stmt* c = Prepare(db, "SELECT count(*) FROM payhist");
    sqlite3_step(c);
    const auto count = static_cast<std::uint64_t>(sqlite3_column_int64(c, 0));
    sqlite3_finalize(c);
    if (count != plan.shape.rows - deleted) Die("the vacuumed table has " + std::to_string(count) + " rows");
    steps.push_back(Timed("rewrite", secs, StatusKiB("VmHWM"), "VACUUM (table and index rebuilt)"));
  }
  sqlite3_close(db);
  steps.push_back({"files", static_cast<double>(stdfs::file_size(path)), -1, "payhist.sqlite after VACUUM"});
}

// --- SQL statements in SQLite -----------------------------------------------------------------------------------

std::uint64_t SqliteCount(sqlite3* db, const char* table) {
  sqlite3_stmt* c = Prepare(db, std::string("SELECT count(*) FROM ") + table);
  Ok(db, sqlite3_step(c), "SELECT count(*)");
  const auto n = static_cast<std::uint64_t>(sqlite3_column_int64(c, 0));
  sqlite3_finalize(c);
  return n;
}

// Changing a column's type: SQLite's documented procedure of making a new table, copying the rows, dropping the
// old one and renaming the new one, with the index made again, all in one transaction.
void SqliteRebuild(sqlite3* db) {
  std::string columns;
  for (const Column& c : kColumns) columns += std::string(columns.empty() ? "" : ", ") + c.name;
  columns += ", PAYNOTE";
  Exec(db, "BEGIN");
  Exec(db, SqliteCreate("PAYSQL_NEW", true));
  Exec(db, "INSERT INTO PAYSQL_NEW (" + columns + ") SELECT " + columns + " FROM PAYSQL");
  Exec(db, "DROP TABLE PAYSQL");
  Exec(db, "ALTER TABLE PAYSQL_NEW RENAME TO PAYSQL");
  Exec(db, "CREATE INDEX paysql_key ON PAYSQL(PERIOD, EMPCODE)");
  Exec(db, "COMMIT");
}

std::string SqliteStatement(sqlite3* db, const SqlStatement& s) {
  const std::string_view key = s.key;
  if (key == "sql_alter") {
    SqliteRebuild(db);
    return "";
  }
  const char* text = s.lite ? s.lite : s.ours;
  if (key == "sql_count") {
    sqlite3_stmt* q = Prepare(db, text);
    if (sqlite3_step(q) != SQLITE_ROW) Die("the COUNT statement gave no row");
    const long long n = sqlite3_column_int64(q, 0);
    sqlite3_finalize(q);
    return "count " + std::to_string(n);
  }
  if (key == "sql_group") {
    sqlite3_stmt* q = Prepare(db, text);
    std::uint64_t groups = 0;
    long long cents = 0;
    int rc = 0;
    while ((rc = sqlite3_step(q)) == SQLITE_ROW) {
      cents += std::llround(sqlite3_column_double(q, 1) * 100);
      ++groups;
    }
    Ok(db, rc, text);
    sqlite3_finalize(q);
    return GroupOutcome(groups, cents);
  }
  Exec(db, text);
  if (key == "sql_add") return "";
  return std::to_string(sqlite3_changes64(db)) + " rows";
}

void SqliteSqlSteps(const Plan& plan, std::vector<Step>& steps) {
  const std::string path = (plan.folder / "paysql.sqlite").string();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
    Die("sqlite3_open_v2 failed");
  Exec(db, "PRAGMA synchronous=NORMAL");
  Exec(db, "PRAGMA journal_mode=DELETE");
  Exec(db, SqliteCreate("PAYSQL"));
  steps.push_back({"sql_settings", 0, -1,
                   "synchronous=" + PragmaText(db, "synchronous") + " (1 = NORMAL), journal_mode=" +
                       PragmaText(db, "journal_mode") + ", page_size=" + PragmaText(db, "page_size") +
                       ", cache_size=" + PragmaText(db, "cache_size") + ", SQLite " + sqlite3_libversion()});
  {  // the same rows as our side's, outside the timed sections
    Exec(db, "BEGIN");
    sqlite3_stmt* insert = Prepare(db, SqliteInsert("PAYSQL"));
    std::vector<Row> batch(kBatch);
    for (std::uint64_t first = 0; first < plan.shape.rows; first += kBatch) {
      const std::uint64_t n = std::min(kBatch, plan.shape.rows - first);
      for (std::uint64_t k = 0; k < n; ++k) {
        MakeRow(plan.shape, first + k, batch[k]);
        BindRow(insert, batch[k]);
        Ok(db, sqlite3_step(insert), "INSERT");
        sqlite3_reset(insert);
      }
    }
    sqlite3_finalize(insert);
    Exec(db, "COMMIT");
    Exec(db, "CREATE INDEX paysql_key ON PAYSQL(PERIOD, EMPCODE)");
  }
  for (const SqlStatement& s : kSql) {
    ResetPeak();
    const auto t0 = Clock::now();
    std::string outcome = SqliteStatement(db, s);
    const double secs = Seconds(Clock::now() - t0);
    Step step = Timed(s.key, secs, StatusKiB("VmHWM"), "");
    if (outcome.empty()) outcome = std::to_string(SqliteCount(db, "PAYSQL")) + " rows kept";
    step.note = outcome;
    steps.push_back(step);
  }
  sqlite3_close(db);
}

std::vector<Step> RunSqlite(const Plan& plan) {
  std::vector<Step> steps;
  if (plan.storageSteps) SqliteStorageSteps(plan, steps);
  if (plan.sqlSteps) SqliteSqlSteps(plan, steps);
  return steps;
}

// --- the two children and the report -------------------------------------------------------------------------

std::string Encode(const std::vector<Step>& steps) {
  std::ostringstream out;
  for (const Step& s : steps) {
    char seconds[64];
    std::snprintf(seconds, sizeof seconds, "%.9g", s.seconds);
    char cpu[64];
    std::snprintf(cpu, sizeof cpu, "%.6g", s.cpu);
    out << s.key << '\t' << seconds << '\t' << s.peakKiB << '\t' << cpu << '\t' << s.note << '\n';
  }
  return out.str();
}

std::map<std::string, Step> Decode(const std::string& text) {
  std::map<std::string, Step> steps;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    Step s;
    std::istringstream fields(line);
    std::string seconds, peak, cpu;
    std::getline(fields, s.key, '\t');
    std::getline(fields, seconds, '\t');
    std::getline(fields, peak, '\t');
    std::getline(fields, cpu, '\t');
    std::getline(fields, s.note);
    s.seconds = std::atof(seconds.c_str());
    s.cpu = std::atof(cpu.c_str());
    s.peakKiB = std::atol(peak.c_str());
    steps[s.key] = s;
  }
  return steps;
}

// Runs one side in a child process and collects its steps; the whole child's peak comes back as "process".
std::map<std::string, Step> InChild(const char* side, std::vector<Step> (*run)(const Plan&), const Plan& plan) {
  std::fflush(stdout);
  int fds[2];
  if (pipe(fds) != 0) Die("pipe failed");
  const pid_t pid = fork();
  if (pid < 0) Die("fork failed");
  if (pid == 0) {
    close(fds[0]);
    int status = 0;
    std::string text;
    try {
      std::vector<Step> steps = run(plan);
      steps.push_back({"process", 0, StatusKiB("VmHWM"), ""});
      text = Encode(steps);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s side: %s\n", side, e.what());
      status = 1;
    }
    std::size_t at = 0;
    while (at < text.size()) {
      const ssize_t n = write(fds[1], text.data() + at, text.size() - at);
      if (n <= 0) break;
      at += static_cast<std::size_t>(n);
    }
    close(fds[1]);
    _exit(status);
  }
  close(fds[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Die(std::string("the ") + side + " run failed");
  return Decode(text);
}

std::string Mib(long kib) {
  if (kib < 0) return "-";
  char s[32];
  std::snprintf(s, sizeof s, "%.1f MiB", static_cast<double>(kib) / 1024.0);
  return s;
}

int Usage() {
  std::fprintf(stderr,
               "usage: engine_bench [--rows N] [--seeks N] [--dir FOLDER] [--keep] [--runs N] [--only storage|sql]\n"
               "  --rows N      rows of the payroll history table (default 1000000)\n"
               "  --seeks N     random exact seeks (default 100000)\n"
               "  --dir FOLDER  where the two databases are made (default: a new folder under $TMPDIR or /tmp)\n"
               "  --keep        leave the files there afterwards\n"
               "  --runs N      run both sides N times, alternating, and keep each step's fastest time (default 1)\n"
               "  --only WHAT   only the storage steps (1 to 5b) or only the SQL statements (6a to 6f)\n");
  return 2;
}

int Main(int argc, char** argv) {
  Plan plan;
  plan.shape.rows = 1000000;
  bool keep = false;
  int runs = 1;
  std::string folder;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if ((a == "--rows" || a == "--seeks" || a == "--dir" || a == "--runs" || a == "--only") && i + 1 < argc) {
      const char* v = argv[++i];
      if (a == "--dir") {
        folder = v;
        continue;
      }
      if (a == "--only") {
        const std::string_view what = v;
        if (what != "storage" && what != "sql") return Usage();
        plan.storageSteps = what == "storage";
        plan.sqlSteps = what == "sql";
        continue;
      }
      char* end = nullptr;
      const unsigned long long n = std::strtoull(v, &end, 10);
      if (*end != 0 || n == 0) return Usage();
      if (a == "--runs") runs = static_cast<int>(std::min<unsigned long long>(n, 10));
      else (a == "--rows" ? plan.shape.rows : plan.seeks) = n;
    } else if (a == "--keep") {
      keep = true;
    } else {
      return Usage();
    }
  }
  plan.shape.employees = std::min<std::uint64_t>(5000, plan.shape.rows);
  bool made = false;
  if (folder.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/engine_bench.XXXXXX";
    if (!mkdtemp(pattern.data())) Die("cannot make a folder under " + pattern);
    folder = pattern;
    made = true;
  }
  plan.folder = folder;
  stdfs::create_directories(plan.folder / "ace");

  std::printf("engine_bench: %llu rows x 40 columns, %llu seeks, %u cores, files in %s\n",
              static_cast<unsigned long long>(plan.shape.rows), static_cast<unsigned long long>(plan.seeks),
              static_cast<unsigned>(sysconf(_SC_NPROCESSORS_ONLN)), folder.c_str());
  const auto t0 = Clock::now();
  std::map<std::string, Step> lite, ours;
  // Several runs: each step keeps its fastest wall-clock time (with that run's processor time) and the highest
  // peak seen, so that a busy machine disturbs the comparison less. Every run starts from empty files.
  const auto keepBest = [](std::map<std::string, Step>& best, std::map<std::string, Step> run) {
    for (auto& [key, step] : run) {
      auto it = best.find(key);
      if (it == best.end()) {
        best[key] = step;
        continue;
      }
      const long peak = std::max(it->second.peakKiB, step.peakKiB);
      if (step.seconds < it->second.seconds) it->second = step;
      it->second.peakKiB = peak;
    }
  };
  for (int run = 1; run <= runs; ++run) {
    for (const stdfs::path& p : {plan.folder / "payhist.sqlite", plan.folder / "paysql.sqlite", plan.folder / "ace"})
      stdfs::remove_all(p);
    stdfs::create_directories(plan.folder / "ace");
    std::printf("run %d of %d: SQLite ...\n", run, runs);
    keepBest(lite, InChild("SQLite", RunSqlite, plan));
    std::printf("run %d of %d: our engine ...\n", run, runs);
    keepBest(ours, InChild("engine", RunEngine, plan));
  }

  const std::string settings = lite.count("settings") ? lite["settings"].note : lite["sql_settings"].note;
  std::printf("\nSQLite settings: %s; one transaction per bulk step (insert, delete); rewrite = VACUUM\n",
              settings.c_str());
  std::printf("Our engine: free-table connection, ADT table, tag PERIODEMP = \"PERIOD;EMPCODE\"; rewrite = "
              "AdsPackTable after the 1%% delete\n");
  if (!g_peakResets)
    std::printf("(this kernel does not reset the peak per step: each peak is the child's peak so far)\n");
  if (plan.storageSteps) {
    std::printf("\n%-10s %-s\n", "step", "notes");
    for (const char* key : {"append", "scan", "index", "seek", "delete", "rewrite"})
      std::printf("%-10s ours: %s\n%-10s SQLite: %s\n", key, ours[key].note.c_str(), "", lite[key].note.c_str());
    for (const char* key : {"scan_x", "seek_x"}) std::printf("%-10s ours: %s\n", key, ours[key].note.c_str());

    const double openBig = ours["open_big"].seconds, openSmall = ours["open_small"].seconds;
    std::printf("\nAdsOpenTable (median of 25): %llu-row table %.3f ms, 10-row table %.3f ms (ratio %.2f)\n",
                static_cast<unsigned long long>(plan.shape.rows), openBig * 1e3, openSmall * 1e3,
                openSmall > 0 ? openBig / openSmall : 0.0);
    std::printf("Files: ours %.1f MiB, SQLite %.1f MiB\n", ours["files"].seconds / 1048576.0,
                lite["files"].seconds / 1048576.0);
  }
  bool outcomesAgree = true;
  if (plan.sqlSteps) {
    std::printf("\nSQL statements on table PAYSQL (%llu rows, tag / index on PERIOD + EMPCODE), in this order:\n",
                static_cast<unsigned long long>(plan.shape.rows));
    for (const SqlStatement& q : kSql) {
      const bool same = ours[q.key].note == lite[q.key].note;
      outcomesAgree = outcomesAgree && same;
      std::printf("%-22s ours:   %s\n%-22s SQLite: %s\n%-22s outcome: %s%s%s\n", q.label, q.ours, "",
                  q.lite ? q.lite : "(the same text)", "", ours[q.key].note.c_str(), same ? "" : " / SQLite: ",
                  same ? " (both)" : lite[q.key].note.c_str());
    }
  }
  std::printf("Peak resident memory of each whole child: ours %s, SQLite %s\n", Mib(ours["process"].peakKiB).c_str(),
              Mib(lite["process"].peakKiB).c_str());

  std::printf("\n%-24s %10s %10s %8s %12s %12s %9s %9s\n", "step", "ours s", "SQLite s", "ratio", "ours peak",
              "SQLite peak", "ours cpu", "SQL cpu");
  // Our shared and exclusive variants of steps 2 and 4 are both set against SQLite's one run of them.
  std::vector<std::array<const char*, 3>> rows = {{{"append", "append", "1 bulk append"},
                                                           {"scan", "scan", "2 full scan, shared"},
                                                           {"scan_x", "scan", "2 full scan, exclusive"},
                                                           {"index", "index", "3 build index"},
                                                           {"seek", "seek", "4 random seeks, shared"},
                                                           {"seek_x", "seek", "4 random seeks, exclusive"},
                                                           {"delete", "delete", "5a delete 1%"},
                                                           {"rewrite", "rewrite", "5b rewrite"}}};
  if (!plan.storageSteps) rows.clear();
  if (plan.sqlSteps)
    for (const SqlStatement& q : kSql) rows.push_back({q.key, q.key, q.label});
  for (const auto& [ourKey, liteKey, label] : rows) {
    const Step& a = ours[ourKey];
    const Step& b = lite[liteKey];
    std::printf("%-24s %10.3f %10.3f %8.2f %12s %12s %9.3f %9.3f\n", label, a.seconds, b.seconds,
                b.seconds > 0 ? a.seconds / b.seconds : 0.0, Mib(a.peakKiB).c_str(), Mib(b.peakKiB).c_str(), a.cpu,
                b.cpu);
  }
  std::printf("(s = wall-clock seconds; ratio = ours / SQLite wall time, below 1 is faster; peak = resident high-water "
              "mark during the step; cpu = user + system seconds of the step, row generation included in step 1. Total run %.1f s.)\n",
              Seconds(Clock::now() - t0));
  if (made && !keep) stdfs::remove_all(plan.folder);
  if (!outcomesAgree) {
    std::printf("The two sides' outcomes of the SQL statements differ.\n");
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "engine_bench: %s\n", e.what());
    return 1;
  }
}
