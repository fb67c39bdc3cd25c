// The foreign worker levy and CPF class rows of 2010 to 2012 as published, and the order LoadLevyTables writes
// them in. Three tables: the CPF classes with the year parts they belong to, the levy grid (monthly maximum /
// daily rate per year part), and the levy descriptions, which change with the year part for some classes.

#include "rates/levy_rows.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace kv::rates {

namespace {

// The six year parts, in order: 2010 part 1, 2010 part 2, ..., 2012 part 2.
constexpr int kYearParts = 6;
using Parts = std::uint8_t;  // one bit per year part
constexpr Parts P2010_1 = 1 << 0, P2010_2 = 1 << 1, P2011_1 = 1 << 2, P2011_2 = 1 << 3, P2012_1 = 1 << 4,
                P2012_2 = 1 << 5;
constexpr Parts kAllParts = 0x3F;
constexpr Parts kAfter2010_1 = kAllParts & ~P2010_1;
constexpr Parts P2011 = P2011_1 | P2011_2;
constexpr Parts P2012 = P2012_1 | P2012_2;

std::string YearOf(int yearPart) { return std::to_string(2010 + yearPart / 2); }
std::string PartOf(int yearPart) { return yearPart % 2 == 0 ? "1" : "2"; }

// --- CPF classes: zero amounts; the description as it stands after the load ---

struct ClassRow {
  std::string_view CLASS, CATEGORY, DESC;
  Parts parts;
};

constexpr ClassRow kClassRows[] = {
    {"VOL1", "CLS", "Voluntary Scheme 1", P2010_1},
    {"VOL2", "CLS", "Voluntary Scheme 2", P2010_1},
    {"VOL3", "CLS", "Voluntary Scheme 3", P2010_1},
    {"VOL4", "CLS", "Voluntary Scheme 4", P2010_1},
    {"VOL5", "CLS", "Voluntary Scheme 5", P2010_1},
    {"NONE", "NON", "NONE (Employment Pass)", P2010_1},
    {"NONE", "NON", "EP HOLDER", kAfter2010_1},
    {"CLASS1", "CLA", "Local Resident (Singaporean)", kAllParts},
    {"COW", "CLA", "COWEC", kAfter2010_1},
    {"CSM", "CLA", "CONTRACT SERVICEMEN", kAfter2010_1},
    {"NPE", "CLS", "NON PENSIONER EMPLOYEE", kAfter2010_1},
    {"PEN", "CLS", "PENSIONER EMPLOYEE", kAfter2010_1},
    {"PENSION", "NON", "PENSION - NO CPF/SDF", kAfter2010_1},
    {"PR", "PR", "PR", kAfter2010_1},
    {"PR_ER", "CLS", "PR Full Emp'er & Graduated Emp'ee", kAfter2010_1},
};

// --- levy classes (category "FWL"): monthly maximum / daily rate as passed to PutLevyRow ---

struct Cell {
  double monthly = -1;  // negative: no row for that year part
  double daily = 0;
};
constexpr Cell kNo{};

struct LevyClass {
  std::string_view CLASS;
  Cell cells[kYearParts];
};

constexpr LevyClass kLevyClasses[] = {
    //               2010 part 1  2010 part 2  2011 part 1   2011 part 2   2012 part 1  2012 part 2
    {"CW1",       {kNo,         {160, 6},    {160, 5.27},  {180, 5.59},  {180, 0},    {200, 0}}},
    {"CW2",       {kNo,         {470, 16},   {470, 15.46}, {230, 8},     {230, 0},    {300, 0}}},
    {"CW3",       {{300, 10},   {310, 11},   {310, 10.2},  {380, 13},    {380, 0},    {450, 0}}},
    {"MARINE-S",  {kNo,         {160, 6},    {170, 5.59},  {180, 5.59},  {190, 0},    {200, 0}}},
    {"MARINE-U",  {kNo,         {300, 10},   {300, 9.87},  {300, 9.87},  {300, 0},    {300, 0}}},
    {"MFG40%",    {{240, 8},    {260, 9},    {270, 8.88},  {280, 10},    {290, 0},    {300, 0}}},
    {"MFG40S",    {{150, 5},    {160, 6},    {170, 5.59},  {180, 6},     {190, 0},    {200, 0}}},
    {"MFG40TO5",  {{280, 10},   {280, 10},   {310, 10.2},  {340, 12},    {370, 0},    {400, 0}}},
    {"MFG40TOS",  {{150, 5},    {180, 6},    {210, 6.91},  {240, 8},     {270, 0},    {300, 0}}},
    {"MFG50TO6",  {kNo,         {450, 15},   {450, 14.8},  {450, 14.8},  {450, 15},   {450, 15}}},
    {"PROCESS-",  {kNo,         {160, 6},    {160, 5.27},  {180, 5.27},  {180, 0},    {200, 0}}},
    {"PROCESS2",  {kNo,         {300, 10},   {300, 9.87},  {300, 9.87},  {300, 0},    {300, 0}}},
    {"PROCWV-U",  {{300, 11},   {310, 11},   {310, 10.2},  {380, 13},    {380, 0},    {450, 0}}},
    {"SERV30TO",  {{280, 10},   {300, 10},   {300, 9.87},  {400, 14},    {400, 0},    {400, 0}}},
    {"SERV35TO",  {kNo,         {450, 15},   {450, 14.8},  {450, 14.8},  {450, 15},   {450, 15}}},
    {"SERVICE",   {{240, 8},    {260, 9},    {270, 8.88},  {280, 10},    {290, 0},    {300, 0}}},
    {"SERVSKLL",  {kNo,         {160, 6},    {170, 5.59},  {180, 6},     {190, 0},    {200, 0}}},
    {"SPASS",     {{50, 2},     {100, 4},    {110, 3.62},  {120, 4},     {130, 0},    {150, 0}}},
    {"SPASS_2",   {kNo,         {120, 4},    {150, 4.94},  {180, 6},     {210, 0},    {250, 0}}},
    {"CW4",       {kNo,         kNo,         kNo,          {330, 11},    {330, 0},    {350, 0}}},
    {"MFG50TO7",  {kNo,         kNo,         {160, 5.27},  {160, 5.27},  kNo,         kNo}},
    {"PROCWV-S",  {kNo,         kNo,         kNo,          {330, 11},    {330, 0},    {350, 0}}},
    {"SERV30TS",  {kNo,         kNo,         kNo,          {300, 9.87},  {300, 0},    {300, 0}}},
};

struct LevyDescription {
  std::string_view CLASS, DESC;
  Parts parts;
};

// Trailing blanks and the double blank of "MFG40TOS" 2011 are the published texts.
constexpr LevyDescription kLevyDescriptions[] = {
    {"CW1", "Construction Worker-skilled", kAllParts},
    {"CW2", "Construction Worker-unskilled", kAllParts},
    {"CW3", "Construction Worker-unskilled", P2010_1},
    {"CW3", "Construction Worker-MYE waiver-unskilled", kAfter2010_1},
    {"MARINE-S", "Marine Worker-Skilled", P2010_2 | P2012},
    {"MARINE-S", "Marine Worker-Skilled(1)", P2011},
    {"MARINE-U", "Marine Worker-unskilled", kAllParts},
    {"MFG40%", "Manufacturing-up to 40%", P2010_1},
    {"MFG40%", "Manufacturing-up to 35% worker-unskilled", P2010_2},
    {"MFG40%", "Manufacturing-up to 40% worker-unskilled Tier-1", P2011},
    {"MFG40%", "Manufacturing-up to 40% worker-unskilled", P2012},
    {"MFG40S", "Manufacturing-up to 40% worker-skilled", P2010_1 | P2012},
    {"MFG40S", "Manufacturing-up to 35% worker-skilled", P2010_2},
    {"MFG40S", "Manufacturing-up to 40% worker-skilled Tier-1", P2011},
    {"MFG40TO5", "Manufacturing-Btw 40-50% worker-unskilled", P2010_1},
    {"MFG40TO5", "Manufacturing-Btw 35-55% worker-unskilled", P2010_2},
    {"MFG40TO5", "Manufacturing-Btw 40-55% Tier-2", P2011},
    {"MFG40TO5", "Manufacturing-Btw 40-55% worker-unskilled", P2012},
    {"MFG40TOS", "Manufacturing-Btw 40-50% worker-skilled", P2010_1},
    {"MFG40TOS", "Manufacturing-Btw 35-55% worker-skilled", P2010_2},
    {"MFG40TOS", "Manufacturing-Btw 40-55% worker-skilled  Tier-2", P2011},
    {"MFG40TOS", "Manufacturing-Btw 40-55% worker-skilled", P2012},
    {"MFG50TO6", "Manufacturing-Btw 55-65%", P2010_2 | P2012},
    {"MFG50TO6", "Manufacturing-Btw 55-65% Tier-3", P2011},
    {"PROCESS-", "Process Worker-skilled", P2010_2 | P2012},
    {"PROCESS-", "Process Worker-skilled MYE(2)", P2011},
    {"PROCESS2", "Process unskilled Worker", kAllParts},
    {"PROCWV-U", "Process Worker MYE Waiver-unskilled", P2010_1 | P2010_2 | P2012},
    {"PROCWV-U", "Process Worker Waiver-unskilled MYE(3) ", P2011_1},
    {"PROCWV-U", "Process Worker Waiver-unskilled MYE(3)", P2011_2},
    {"SERV30TO", "Service above 30 to 40%", kAllParts & ~P2010_2},
    {"SERV30TO", "Service above 25 to 40%", P2010_2},
    {"SERV35TO", "Service skilled Worker above 40% to 50%", kAllParts},
    {"SERVICE", "Service", kAllParts & ~P2010_2},
    {"SERVICE", "Service 0 to 25%", P2010_2},
    {"SERVSKLL", "Service skilled Worker", kAllParts},
    {"SPASS", "S PASS up to 20%", kAllParts},
    {"SPASS_2", "S PASS 20% to 25%", kAllParts},
    {"CW4", "Construction Worker-skilled", kAllParts},
    {"MFG50TO7", "Manufacturing-Btw 55-65% MYE-2", kAllParts},
    {"PROCWV-S", "Process Worker Waiver-skilled MYE(3) ", P2011_2},
    {"PROCWV-S", "Process Worker MYE Waiver-skilled", P2012},
    {"SERV30TS", "Service above 30 to 40% skilled Worker", kAllParts},
};

// The 2011 public holidays the levy load records (financial year "2011").
struct Holiday {
  int month, day;
  std::string_view DESC;
};
constexpr Holiday kHolidays2011[] = {
    {5, 2, "Labour Day*"},
    {11, 7, "Hari Raya Haji*"},
    {12, 26, "Christmas Day*"},
};

bool Holds(Parts parts, int yearPart) { return (parts >> yearPart) & 1; }

LevyRow ClassRowFor(const ClassRow& c, int yearPart) {
  return {YearOf(yearPart), PartOf(yearPart), std::string(c.CLASS), std::string(c.CATEGORY), std::string(c.DESC),
          {}, {}};
}

const ClassRow& FindClassRow(std::string_view cls, int yearPart) {
  for (const ClassRow& c : kClassRows)
    if (c.CLASS == cls && Holds(c.parts, yearPart)) return c;
  throw std::logic_error("no CPF class row " + std::string(cls) + " for year part " + std::to_string(yearPart));
}

std::string_view LevyDescriptionOf(std::string_view cls, int yearPart) {
  for (const LevyDescription& d : kLevyDescriptions)
    if (d.CLASS == cls && Holds(d.parts, yearPart)) return d.DESC;
  throw std::logic_error("no levy description for " + std::string(cls) + " in year part " +
                         std::to_string(yearPart));
}

// The CPF class rows of one year part other than the voluntary schemes, by class code.
void AddClassRows(std::vector<LevyTableWrite>& writes, int yearPart) {
  std::vector<const ClassRow*> rows;
  for (const ClassRow& c : kClassRows)
    if (Holds(c.parts, yearPart) && !c.CLASS.starts_with("VOL")) rows.push_back(&c);
  std::stable_sort(rows.begin(), rows.end(), [](const ClassRow* a, const ClassRow* b) { return a->CLASS < b->CLASS; });
  for (const ClassRow* c : rows) writes.emplace_back(ClassRowFor(*c, yearPart));
}

// The levy rows of one year, part 1 then part 2, in the grid's order.
void AddLevyRows(std::vector<LevyTableWrite>& writes, int year) {
  for (int yearPart = (year - 2010) * 2; yearPart <= (year - 2010) * 2 + 1; ++yearPart)
    for (const LevyClass& l : kLevyClasses) {
      const Cell& cell = l.cells[yearPart];
      if (cell.monthly < 0) continue;
      writes.emplace_back(LevyRow{YearOf(yearPart), PartOf(yearPart), std::string(l.CLASS), "FWL",
                                  std::string(LevyDescriptionOf(l.CLASS, yearPart)),
                                  kv::Currency::FromDouble(cell.monthly), kv::Currency::FromDouble(cell.daily)});
    }
}

std::vector<LevyTableWrite> BuildWrites() {
  constexpr int k2010_1 = 0, k2010_2 = 1, k2011_1 = 2, k2011_2 = 3, k2012_1 = 4, k2012_2 = 5;
  std::vector<LevyTableWrite> writes;
  for (const ClassRow& c : kClassRows)
    if (c.CLASS.starts_with("VOL")) writes.emplace_back(ClassRowFor(c, k2010_1));
  // "NONE" first as the Employment Pass class in every year part; the later class rows rename it.
  const ClassRow& employmentPass = FindClassRow("NONE", k2010_1);
  for (int yearPart = 0; yearPart < kYearParts; ++yearPart) writes.emplace_back(ClassRowFor(employmentPass, yearPart));
  AddClassRows(writes, k2010_2);
  AddLevyRows(writes, 2010);
  writes.emplace_back(ClassRowFor(FindClassRow("CLASS1", k2010_1), k2010_1));
  AddClassRows(writes, k2011_1);
  AddClassRows(writes, k2011_2);
  AddLevyRows(writes, 2011);
  for (const Holiday& h : kHolidays2011)
    writes.emplace_back(PublicHoliday{"2011", std::string(h.DESC), kv::Date::FromYmd(2011, h.month, h.day)});
  AddClassRows(writes, k2012_1);
  AddClassRows(writes, k2012_2);
  AddLevyRows(writes, 2012);
  return writes;
}

}  // namespace

const std::vector<LevyTableWrite>& LevyTableWrites() {
  static const std::vector<LevyTableWrite> writes = BuildWrites();
  return writes;
}

}  // namespace kv::rates
