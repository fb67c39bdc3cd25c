// The 2013 CPF rate set for CPFNEW2: 88 rows. The band tables below are the statutory tables as published,
// row for row; each row's partner columns and the values every rated row shares are filled by RatedRow.

#include <array>
#include <span>
#include <string>
#include <vector>

#include "rates/cpf_bands.h"
#include "rates/cpf_rate_sets.h"

namespace kv::rates {

namespace {

using namespace bands;

constexpr std::string_view kYear = "2013";

// One band with rates: SALARY_FROM2, SALARY_FROM3, SALARY_FROM4, then the band's rates (owEe, owEr, s12Er,
// s12MinusEr, s2Ee, s34Ee, s3Er, s4Er, s3MinusEr, s4MinusEr, s34AddEe, s3AddEr, s4AddEr, maxEe, maxEr).
struct Band2013 {
  double from2, from3, from4;
  BandRates rates;
};
using SixBands = std::array<Band2013, 6>;

// Band 6 (65-999) of "VOL1" .. "VOL5", "S", "PR3", "PR2_ER" and "PR1_ER".
constexpr Band2013 kResidentBand6{0, 0, 0, {5, 6.5, 0.0431, 50, 0.12, 0.06, 0.0541, 0.143, 750, 1200, 30, 30.225, 54.6, 250, 325}};
// Band 6 (65-999) of "PR1" and "PR2".
constexpr Band2013 kPrBand6{0, 0, 0, {5, 3.5, 0.0232, 50, 0.12, 0.06, 0.0291, 0.077, 750, 1200, 30, 16.275, 29.4, 250, 175}};

// "VOL1" .. "VOL5", "S", "PR3"; bands 1 to 6.
constexpr SixBands kResident{{
    {50, 200.01, 750, {20, 16, 0.16, 0, 0.48, 0.24, 0.16, 0.16, 0, 0, 120, 0, 0, 1000, 800}},
    {50, 201, 750, {20, 16, 0.1063, 50, 0.48, 0.24, 0.2171, 0.226, 750, 1200, 120, 74.475, 172.2, 1000, 800}},
    {50, 201, 750, {18, 12, 0.0797, 50, 0.432, 0.216, 0.1504, 0.1884, 750, 1200, 108, 55.8, 123.48, 900, 600}},
    {50, 201, 750, {12.5, 9, 0.0597, 50, 0.3, 0.15, 0.099, 0.162, 750, 1200, 75, 41.85, 86.4, 625, 450}},
    {50, 0, 750, {7.5, 6.5, 0.0431, 50, 0.18, 0.09, 0.0541, 0.143, 750, 1200, 45, 30.225, 54.6, 375, 325}},
    kResidentBand6,
}};

constexpr SixBands kPr1{{
    {0, 0, 750, {5, 4, 0.04, 0, 0.12, 0.06, 0.04, 0.04, 0, 0, 30, 0, 0, 250, 200}},
    {0, 0, 0, {5, 4, 0.0265, 50, 0.12, 0.06, 0.0541, 0.0568, 750, 1200, 30, 18.6, 42.96, 250, 200}},
    {0, 0, 0, {5, 4, 0.0265, 50, 0.12, 0.06, 0.0498, 0.0632, 750, 1200, 30, 18.6, 41.04, 250, 200}},
    {0, 0, 750, {5, 4, 0.0265, 50, 0.12, 0.06, 0.044, 0.072, 750, 1200, 30, 18.6, 38.4, 250, 200}},
    {0, 0, 750, {5, 3.5, 0.0232, 50, 0.12, 0.06, 0.0291, 0.077, 750, 1200, 30, 16.275, 29.4, 250, 175}},
    kPrBand6,
}};

constexpr SixBands kPr2{{
    {0, 0, 750, {15, 9, 0.09, 0, 0.36, 0.18, 0.09, 0.09, 0, 0, 90, 0, 0, 750, 450}},
    {0, 0, 0, {15, 9, 0.0597, 50, 0.36, 0.18, 0.1219, 0.1276, 750, 1200, 90, 41.85, 96.72, 750, 450}},
    {0, 0, 750, {15, 9, 0.0597, 50, 0.36, 0.18, 0.1126, 0.1416, 750, 1200, 90, 41.85, 92.52, 750, 450}},
    {0, 0, 750, {12.5, 6, 0.0398, 50, 0.3, 0.15, 0.066, 0.108, 750, 1200, 75, 27.9, 57.6, 625, 300}},
    {0, 0, 0, {7.5, 3.5, 0.0232, 50, 0.18, 0.09, 0.0291, 0.077, 750, 1200, 45, 16.275, 29.4, 375, 175}},
    kPrBand6,
}};

constexpr SixBands kPr2FullEmployer{{
    {0, 0, 750, {15, 16, 0.16, 0, 0.36, 0.18, 0.16, 0.16, 0, 0, 90, 0, 0, 750, 800}},
    {0, 0, 0, {15, 16, 0.1063, 50, 0.36, 0.18, 0.2171, 0.226, 750, 1200, 90, 74.475, 172.2, 750, 800}},
    {0, 0, 0, {15, 12, 0.0797, 50, 0.36, 0.18, 0.1504, 0.1884, 750, 1200, 90, 55.8, 123.48, 750, 600}},
    {0, 0, 0, {12.5, 9, 0.0597, 50, 0.3, 0.15, 0.099, 0.162, 750, 1200, 75, 41.85, 86.4, 625, 450}},
    {0, 0, 0, {7.5, 6.5, 0.0431, 50, 0.18, 0.09, 0.0541, 0.143, 750, 1200, 45, 30.225, 54.6, 375, 325}},
    kResidentBand6,
}};

constexpr SixBands kPr1FullEmployer{{
    {0, 0, 750, {5, 16, 0.16, 0, 0.12, 0.06, 0.16, 0.16, 0, 0, 30, 0, 0, 250, 800}},
    {0, 0, 0, {5, 16, 0.1063, 50, 0.12, 0.06, 0.2171, 0.226, 750, 1200, 30, 74.475, 172.2, 250, 800}},
    {0, 0, 0, {5, 12, 0.0797, 50, 0.12, 0.06, 0.1504, 0.1884, 750, 1200, 30, 55.8, 123.48, 250, 600}},
    {0, 0, 0, {5, 9, 0.0597, 50, 0.12, 0.06, 0.099, 0.162, 750, 1200, 30, 41.85, 86.4, 250, 450}},
    {0, 0, 0, {5, 6.5, 0.0431, 50, 0.12, 0.06, 0.0541, 0.143, 750, 1200, 30, 30.225, 54.6, 250, 325}},
    kResidentBand6,
}};

// SALARY_FROM3 of the five-band categories without rates, bands 1 to 5.
constexpr std::array<double, 5> kBareFrom3{200.01, 201, 201, 201, 0};

constexpr StoredDescription kDepartures[] = {
    {"PR2_ER", "6", "PR 2RD YEAR FULL EMPLOYER : (6) Age from :65 To:99"},
    {"PR1_ER", "6", "PR 1ST YEAR FULL EMPLOYER : (6) Age from :65 To:99"},
    {"CSM", "3", "CONTRACT SERVICE MAN : (1) Age from :55 To:60"},
};

// The one row of "MPF" and "FIX": no band, ages 0-0.
constexpr AgeBand kNoBand{"", 0, 0};

enum class Order { Ascending, Descending };

// A category with rates: code, label, AGE_CODE of bands 1 to 6, rates of bands 1 to 6, order written.
struct RatedCategory {
  std::string_view code;
  std::string_view label;
  std::string_view ageCodes;
  const SixBands* bands;
  Order order;
};

void AddRated(std::vector<CpfRateRow>& rows, const RatedCategory& c) {
  for (std::size_t k = 0; k < kSixBands.size(); ++k) {
    const std::size_t i = c.order == Order::Ascending ? k : kSixBands.size() - 1 - k;
    const AgeBand& band = kSixBands[i];
    const Band2013& b = (*c.bands)[i];
    CpfRateRow row = RatedRow(kYear, c.code, band, c.ageCodes[i], Description(kDepartures, c.code, c.label, band), b.rates);
    row.SALARY_FROM2 = b.from2;
    row.SALARY_FROM3 = b.from3;
    row.SALARY_FROM4 = b.from4;
    rows.push_back(std::move(row));
  }
}

// A five-band category without rates, bands 5 down to 1: only the ages and the first wage bands' bounds.
void AddWithoutRates(std::vector<CpfRateRow>& rows, std::string_view code, std::string_view label) {
  constexpr std::string_view kAgeCodes = "FFFFA";
  for (std::size_t k = 0; k < kFiveBands.size(); ++k) {
    const std::size_t i = kFiveBands.size() - 1 - k;
    const AgeBand& band = kFiveBands[i];
    CpfRateRow row = BareRow(kYear, code, band, kAgeCodes.substr(i, 1), Description(kDepartures, code, label, band));
    row.SALARY_TO1 = 50;
    row.SALARY_FROM2 = 50;
    row.SALARY_TO2 = 500;
    row.SALARY_FROM3 = kBareFrom3[i];
    row.SALARY_TO3 = 750;
    row.SALARY_FROM4 = 750;
    rows.push_back(std::move(row));
  }
}

constexpr RatedCategory kRated[] = {
    {"VOL1", "Voluntary Scheme 1", "FFFAFA", &kResident, Order::Ascending},
    {"VOL2", "Voluntary Scheme 2", "FFFAFA", &kResident, Order::Ascending},
    {"VOL3", "Voluntary Scheme 3", "FFFAFA", &kResident, Order::Ascending},
    {"VOL4", "Voluntary Scheme 4", "FFFAFA", &kResident, Order::Ascending},
    {"VOL5", "Voluntary Scheme 5", "FFFAFA", &kResident, Order::Ascending},
    {"S", "Singaporean", "FFFAFA", &kResident, Order::Ascending},
    {"PR3", "PR 3TH YEAR", "FFFAFA", &kResident, Order::Ascending},
    {"PR1", "PR 1ST YEAR", "FFFFFF", &kPr1, Order::Ascending},
    {"PR2", "PR 2RD YEAR", "FFFFFF", &kPr2, Order::Ascending},
    {"PR2_ER", "PR 2RD YEAR FULL EMPLOYER", "FFFFFF", &kPr2FullEmployer, Order::Descending},
    {"PR1_ER", "PR 1ST YEAR FULL EMPLOYER", "FFFFFF", &kPr1FullEmployer, Order::Descending},
};

std::vector<CpfRateRow> MakeRows() {
  std::vector<CpfRateRow> rows;
  for (const RatedCategory& c : kRated) AddRated(rows, c);
  AddWithoutRates(rows, "PEN", "PENSION PS.EMP.");
  AddWithoutRates(rows, "NPE", "NON PENSION PS.EMP.");
  rows.push_back(BareRow(kYear, "MPF", kNoBand, "F", Description(kDepartures, "MPF", "MPF", kNoBand)));
  rows.push_back(BareRow(kYear, "FIX", kNoBand, "", "F"));
  AddWithoutRates(rows, "CSM", "CONTRACT SERVICE MAN");
  AddWithoutRates(rows, "COW", "COWEC");
  return rows;
}

}  // namespace

const std::vector<CpfRateRow>& Cpf2013Rows() {
  static const std::vector<CpfRateRow> rows = MakeRows();
  return rows;
}

}  // namespace kv::rates
