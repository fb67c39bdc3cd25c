#pragma once
// What the rate sets share: the age-band schemes, the rates of one band as the rate tables list them, and the
// making of a row from them with the values common to every row that carries rates.

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "rates/cpf_rate_row.h"

namespace kv::rates::bands {

// One band of a scheme: its number (CPF_AGE_TYPE) and its ages.
struct AgeBand {
  std::string_view number;
  double from, to;
};

inline constexpr std::array<AgeBand, 6> kSixBands{{
    {"1", 0, 35}, {"2", 35, 50}, {"3", 50, 55}, {"4", 55, 60}, {"5", 60, 65}, {"6", 65, 999}}};
inline constexpr std::array<AgeBand, 5> kFiveBands{{
    {"1", 0, 50}, {"2", 50, 55}, {"3", 55, 60}, {"4", 60, 65}, {"5", 65, 99}}};

// The rates of one band, in the column order of the rate tables (after the ages and the year's own column).
// Each value also fills its partner column: S2_ER% = S1_ER%, S2_MINUS_ER = S1_MINUS_ER, S4_EE% = S3_EE%,
// S4_ADD_EE = S3_ADD_EE, S5_AW_EE = S5_EE_OW, S5_AW_ER = S5_ER_OW.
struct BandRates {
  double owEe, owEr;            // S5_EE_OW, S5_ER_OW (whole percent)
  double s12Er;                 // S1_ER%, S2_ER%
  double s12MinusEr;            // S1_MINUS_ER, S2_MINUS_ER
  double s2Ee;                  // S2_EE%
  double s34Ee;                 // S3_EE%, S4_EE%
  double s3Er, s4Er;            // S3_ER%, S4_ER%
  double s3MinusEr, s4MinusEr;  // S3_MINUS_ER, S4_MINUS_ER
  double s34AddEe;              // S3_ADD_EE, S4_ADD_EE
  double s3AddEr, s4AddEr;      // S3_ADD_ER, S4_ADD_ER
  double maxEe, maxEr;          // S5_MAXWAGE_EE, S5_MAXWAGE_ER
};

// A description the suite has stored in a form of its own, for one category and band.
struct StoredDescription {
  std::string_view category;
  std::string_view band;
  std::string_view text;
};

// The stored text for the category's band when it is listed among the departures, else
// label + " : (" + band + ") Age from :" + from + " To:" + to, the ages written without decimals.
std::string Description(std::span<const StoredDescription> departures, std::string_view category,
                        std::string_view label, const AgeBand& band);

// A row of a band with rates: key, age code, description, ages, the band's rates, and the values every such row
// has (wage-band upper bounds 50, 500, 750, 1200, 1500; S2_MINUS_EE 500; S3_MINUS_EE and S4_MINUS_EE 750; zero
// S1_EE%, S1_MINUS_EE and additions of bands 1 and 2). Lower wage-band bounds and EMP_R%1 / EMP_E%1 stay 0.
CpfRateRow RatedRow(std::string_view year, std::string_view category, const AgeBand& band, char ageCode,
                    std::string description, const BandRates& rates);

// A row with only its key, age code, description and ages; every number else 0.
CpfRateRow BareRow(std::string_view year, std::string_view category, const AgeBand& band, std::string_view ageCode,
                   std::string description);

}  // namespace kv::rates::bands
