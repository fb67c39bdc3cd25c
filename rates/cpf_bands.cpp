#include "rates/cpf_bands.h"

namespace kv::rates::bands {

std::string Description(std::span<const StoredDescription> departures, std::string_view category,
                        std::string_view label, const AgeBand& band) {
  for (const StoredDescription& d : departures)
    if (d.category == category && d.band == band.number) return std::string(d.text);
  return std::string(label) + " : (" + std::string(band.number) + ") Age from :" +
         std::to_string(static_cast<int>(band.from)) + " To:" + std::to_string(static_cast<int>(band.to));
}

CpfRateRow BareRow(std::string_view year, std::string_view category, const AgeBand& band, std::string_view ageCode,
                   std::string description) {
  CpfRateRow row;
  row.YEAR = year;
  row.CPF_CAT = category;
  row.CPF_AGE_TYPE = band.number;
  row.AGE_CODE = ageCode;
  row.DESC = std::move(description);
  row.AGE_FROM = band.from;
  row.AGE_TO = band.to;
  return row;
}

CpfRateRow RatedRow(std::string_view year, std::string_view category, const AgeBand& band, char ageCode,
                    std::string description, const BandRates& rates) {
  CpfRateRow row = BareRow(year, category, band, std::string_view(&ageCode, 1), std::move(description));
  row.SALARY_TO1 = 50;
  row.SALARY_TO2 = 500;
  row.SALARY_TO3 = 750;
  row.SALARY_TO4 = 1200;
  row.SALARY_TO5 = 1500;
  row.S2_MINUS_EE = 500;
  row.S3_MINUS_EE = 750;
  row.S4_MINUS_EE = 750;

  row.S5_EE_OW = row.S5_AW_EE = rates.owEe;
  row.S5_ER_OW = row.S5_AW_ER = rates.owEr;
  row.S1_ERPercent = row.S2_ERPercent = rates.s12Er;
  row.S1_MINUS_ER = row.S2_MINUS_ER = rates.s12MinusEr;
  row.S2_EEPercent = rates.s2Ee;
  row.S3_EEPercent = row.S4_EEPercent = rates.s34Ee;
  row.S3_ERPercent = rates.s3Er;
  row.S4_ERPercent = rates.s4Er;
  row.S3_MINUS_ER = rates.s3MinusEr;
  row.S4_MINUS_ER = rates.s4MinusEr;
  row.S3_ADD_EE = row.S4_ADD_EE = rates.s34AddEe;
  row.S3_ADD_ER = rates.s3AddEr;
  row.S4_ADD_ER = rates.s4AddEr;
  row.S5_MAXWAGE_EE = rates.maxEe;
  row.S5_MAXWAGE_ER = rates.maxEr;
  return row;
}

}  // namespace kv::rates::bands
