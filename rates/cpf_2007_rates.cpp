// The 2007 CPF rate sets for CPFNEW: the voluntary-scheme rows (30) and the 2007 rates (61). Both come from one
// band table, as published: "PR3", "S", "COW", "CSM", "NPE" and "PEN" share the voluntary-scheme rows of their
// band except where a category is listed apart. CPFNEW has no lower wage-band bounds; the year's own column is
// EMP_R%1 / EMP_E%1 instead.

#include <array>
#include <span>
#include <string>
#include <vector>

#include "rates/cpf_bands.h"
#include "rates/cpf_rate_sets.h"

namespace kv::rates {

namespace {

using namespace bands;

constexpr std::string_view kYear = "2007";

// One band with rates: EMP_R%1, EMP_E%1, then the band's rates (owEe, owEr, s12Er, s12MinusEr, s2Ee, s34Ee,
// s3Er, s4Er, s3MinusEr, s4MinusEr, s34AddEe, s3AddEr, s4AddEr, maxEe, maxEr).
struct Band2007 {
  double empR, empE;
  BandRates rates;
};
using SixBands = std::array<Band2007, 6>;

// "VOL1" .. "VOL5", "S", "COW", "CSM", "NPE", "PEN"; bands 1 to 6. Band 5 is also "PR2_ER"'s, band 6 also
// "PR1_ER"'s and "PR2_ER"'s, and bands 1 to 3, 5 and 6 are "PR3"'s.
constexpr SixBands kResident{{
    {0, 0, {20, 14.5, 0.145, 0, 0.48, 0.24, 0.145, 0.145, 0, 0, 120, 0, 0, 900, 652.5}},
    {0, 0, {20, 14.5, 0.0964, 50, 0.48, 0.24, 0.1966, 0.205, 750, 1200, 120, 67.5, 156, 900, 652.5}},
    {0, 0, {18, 10.5, 0.0697, 50, 0.432, 0.216, 0.1315, 0.165, 750, 1200, 108, 48.825, 108, 810, 472.5}},
    {5, 5, {12.5, 7.5, 0.0498, 50, 0.3, 0.15, 0.0825, 0.135, 750, 1200, 75, 34.875, 72, 562.5, 337.5}},
    {0, 0, {7.5, 5, 0.0332, 50, 0.18, 0.09, 0.0416, 0.11, 750, 1200, 45, 23.25, 42, 337.5, 225}},
    {0, 0, {5, 5, 0.0332, 50, 0.12, 0.06, 0.0416, 0.11, 750, 1200, 30, 23.25, 42, 225, 225}},
}};

// Band 6 (65-999) of "PR1" and "PR2".
constexpr Band2007 kPrBand6{0, 0, {5, 3.5, 0.0232, 50, 0.12, 0.06, 0.0291, 0.077, 750, 1200, 30, 16.275, 29.4, 225, 157.5}};

constexpr SixBands kPr1{{
    {0, 0, {5, 4, 0.04, 0, 0.12, 0.06, 0.04, 0.04, 0, 0, 30, 0, 0, 225, 180}},
    {0, 0, {5, 4, 0.0265, 50, 0.12, 0.06, 0.0541, 0.0568, 750, 1200, 30, 18.6, 42.96, 225, 180}},
    {0, 0, {5, 4, 0.0265, 50, 0.12, 0.06, 0.0498, 0.0632, 750, 1200, 30, 18.6, 41.04, 225, 180}},
    {0, 0, {5, 4, 0.0265, 50, 0.12, 0.06, 0.044, 0.072, 750, 1200, 30, 18.6, 38.4, 225, 180}},
    {0, 0, {5, 3.5, 0.0232, 50, 0.12, 0.06, 0.0291, 0.077, 750, 1200, 30, 16.275, 29.4, 225, 157.5}},
    kPrBand6,
}};

constexpr SixBands kPr1FullEmployer{{
    {0, 0, {5, 14.5, 0.145, 0, 0.12, 0.06, 0.145, 0.145, 0, 0, 30, 0, 0, 225, 652.5}},
    {0, 0, {5, 14.5, 0.0964, 50, 0.12, 0.06, 0.1966, 0.205, 750, 1200, 30, 67.5, 156, 225, 652.5}},
    {0, 0, {5, 10.5, 0.0697, 50, 0.12, 0.06, 0.1315, 0.165, 750, 1200, 30, 48.825, 108, 225, 472.5}},
    {0, 0, {5, 7.5, 0.0498, 50, 0.12, 0.06, 0.0825, 0.135, 750, 1200, 30, 34.875, 72, 225, 337.5}},
    {0, 0, {5, 5, 0.0332, 50, 0.12, 0.06, 0.0416, 0.11, 750, 1200, 30, 23.25, 42, 225, 225}},
    kResident[5],
}};

constexpr SixBands kPr2{{
    {0, 0, {15, 9, 0.09, 0, 0.36, 0.18, 0.09, 0.09, 0, 0, 90, 0, 0, 675, 405}},
    {0, 0, {15, 9, 0.0597, 50, 0.36, 0.18, 0.1219, 0.1276, 750, 1200, 90, 41.85, 96.72, 675, 405}},
    {0, 0, {15, 9, 0.0597, 50, 0.36, 0.18, 0.1126, 0.1416, 750, 1200, 90, 41.85, 92.52, 675, 405}},
    {0, 0, {12.5, 6, 0.0398, 50, 0.3, 0.15, 0.066, 0.108, 750, 1200, 75, 27.9, 57.6, 562.5, 270}},
    {0, 0, {7.5, 3.5, 0.0232, 50, 0.18, 0.09, 0.0291, 0.077, 750, 1200, 45, 16.275, 29.4, 337.5, 157.5}},
    kPrBand6,
}};

// Two values stand apart from their neighbours and are kept as the suite has always written them: band 3 has
// 0.697 in S1_ER% and S2_ER% (where "PR1_ER" has 0.0697), band 4 has 34.88 in S3_ADD_ER (elsewhere 34.875).
constexpr SixBands kPr2FullEmployer{{
    {0, 0, {15, 14.5, 0.145, 0, 0.36, 0.18, 0.145, 0.145, 0, 0, 90, 0, 0, 675, 652.5}},
    {0, 0, {15, 14.5, 0.0964, 50, 0.36, 0.18, 0.1966, 0.205, 750, 1200, 90, 67.5, 156, 675, 652.5}},
    {0, 0, {15, 10.5, 0.697, 50, 0.36, 0.18, 0.1315, 0.165, 750, 1200, 90, 48.825, 108, 675, 472.5}},
    {0, 0, {12.5, 7.5, 0.0498, 50, 0.3, 0.15, 0.0825, 0.135, 750, 1200, 75, 34.88, 72, 562.5, 337.5}},
    kResident[4],
    kResident[5],
}};

// "PR3" band 4 carries no EMP_R%1 / EMP_E%1.
constexpr SixBands kPr3{{
    kResident[0],
    kResident[1],
    kResident[2],
    {0, 0, {12.5, 7.5, 0.0498, 50, 0.3, 0.15, 0.0825, 0.135, 750, 1200, 75, 34.875, 72, 562.5, 337.5}},
    kResident[4],
    kResident[5],
}};

constexpr StoredDescription kDepartures[] = {
    {"PR1_ER", "6", "PR 1ST YEAR FULL EMPLOYER : (6) Age from :65 To:99"},
    {"PR2_ER", "6", "PR 2RD YEAR FULL EMPLOYER : (6) Age from :65 To:99"},
};

// A category with rates, bands 1 to 6: code, label, AGE_CODE of bands 1 to 6, rates of bands 1 to 6.
struct RatedCategory {
  std::string_view code;
  std::string_view label;
  std::string_view ageCodes;
  const SixBands* bands;
};

void AddRated(std::vector<CpfRateRow>& rows, const RatedCategory& c) {
  for (std::size_t i = 0; i < kSixBands.size(); ++i) {
    const AgeBand& band = kSixBands[i];
    const Band2007& b = (*c.bands)[i];
    CpfRateRow row = RatedRow(kYear, c.code, band, c.ageCodes[i], Description(kDepartures, c.code, c.label, band), b.rates);
    row.EMP_RPercent1 = b.empR;
    row.EMP_EPercent1 = b.empE;
    rows.push_back(std::move(row));
  }
}

// The voluntary-scheme labels keep the trailing blank the suite stored them with.
constexpr RatedCategory kVoluntary[] = {
    {"VOL1", "Voluntary Scheme 1 ", "FFFAFA", &kResident},
    {"VOL2", "Voluntary Scheme 2 ", "FFFAFA", &kResident},
    {"VOL3", "Voluntary Scheme 3 ", "FFFAFA", &kResident},
    {"VOL4", "Voluntary Scheme 4 ", "FFFAFA", &kResident},
    {"VOL5", "Voluntary Scheme 5 ", "FFFAFA", &kResident},
};

constexpr RatedCategory kRated[] = {
    {"PR1", "PR 1ST YEAR", "F0FFFF", &kPr1},
    {"PR1_ER", "PR 1ST YEAR FULL EMPLOYER", "F000FF", &kPr1FullEmployer},
    {"PR2", "PR 2RD YEAR", "F0FF00", &kPr2},
    {"PR2_ER", "PR 2RD YEAR FULL EMPLOYER", "F000F0", &kPr2FullEmployer},
    {"PR3", "PR 3TH YEAR", "F0000F", &kPr3},
    {"S", "Singaporean", "FFFAFA", &kResident},
    {"COW", "COW", "FFFAFA", &kResident},
    {"CSM", "CSM", "FFFAFA", &kResident},
    {"NPE", "NPE", "FFFAFA", &kResident},
    {"PEN", "PENSION", "FFFAFA", &kResident},
};

// "MPF": one row in band "6" over all ages, with only the additional-wage rates of 5 % and the top wage band.
CpfRateRow MpfRow() {
  constexpr AgeBand kAllAges{"6", 0, 999};
  CpfRateRow row = BareRow(kYear, "MPF", kAllAges, "A", Description(kDepartures, "MPF", "MPF", kAllAges));
  row.SALARY_TO5 = 1500;
  row.S5_AW_EE = 5;
  row.S5_AW_ER = 5;
  return row;
}

std::vector<CpfRateRow> RowsOf(std::span<const RatedCategory> categories) {
  std::vector<CpfRateRow> rows;
  for (const RatedCategory& c : categories) AddRated(rows, c);
  return rows;
}

}  // namespace

const std::vector<CpfRateRow>& VoluntaryCpf2007Rows() {
  static const std::vector<CpfRateRow> rows = RowsOf(kVoluntary);
  return rows;
}

const std::vector<CpfRateRow>& Cpf2007Rows() {
  static const std::vector<CpfRateRow> rows = [] {
    std::vector<CpfRateRow> all = RowsOf(kRated);
    all.push_back(MpfRow());
    return all;
  }();
  return rows;
}

}  // namespace kv::rates
