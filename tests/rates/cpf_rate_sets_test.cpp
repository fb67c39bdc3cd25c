// The three CPF rate sets checked as data, apart from how they are written: the key and age code of every row
// in the order the loaders write them, column sums worked out by hand from the published band tables, the
// descriptions (with every one the suite stores in a form of its own), the rows without rates, and the rules
// that tie columns together.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "rates/cpf_rate_sets.h"

namespace kv::rates {
namespace {

// A run of rows of one category: bands in the order written and their age codes in the same order. A
// single-row category has ages from 0, whatever its band.
struct Block {
  std::string category;
  std::vector<std::string> bands;
  std::string ageCodes;
  bool single = false;
};

const std::vector<std::string> kUp6 = {"1", "2", "3", "4", "5", "6"};
const std::vector<std::string> kDown6 = {"6", "5", "4", "3", "2", "1"};
const std::vector<std::string> kDown5 = {"5", "4", "3", "2", "1"};

// AGE_FROM of a band: six-band categories start at 0, 35, 50, 55, 60, 65; five-band ones at 0, 50, 55, 60, 65.
double AgeFrom(bool fiveBands, const std::string& band) {
  static const double six[] = {0, 35, 50, 55, 60, 65};
  static const double five[] = {0, 50, 55, 60, 65};
  const int i = std::stoi(band) - 1;
  return fiveBands ? five[i] : six[i];
}

std::string Number(double v) {
  std::string text = std::to_string(v);
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return text;
}

// "YEAR|CPF_CAT|CPF_AGE_TYPE|AGE_FROM|AGE_CODE" for each block's rows.
std::vector<std::string> Expected(const std::string& year, const std::vector<Block>& blocks,
                                  const std::vector<std::string>& fiveBandCategories = {}) {
  std::vector<std::string> keys;
  for (const Block& b : blocks) {
    const bool five = std::find(fiveBandCategories.begin(), fiveBandCategories.end(), b.category) !=
                      fiveBandCategories.end();
    const std::size_t rows = b.bands.empty() ? 1 : b.bands.size();
    for (std::size_t i = 0; i < rows; ++i) {
      const std::string band = b.bands.empty() ? "" : b.bands[i];
      keys.push_back(year + "|" + b.category + "|" + band + "|" + Number(b.single ? 0 : AgeFrom(five, band)) + "|" +
                     b.ageCodes.substr(i, b.ageCodes.empty() ? 0 : 1));
    }
  }
  return keys;
}

std::vector<std::string> Keys(const std::vector<CpfRateRow>& rows) {
  std::vector<std::string> keys;
  for (const CpfRateRow& r : rows)
    keys.push_back(r.YEAR + "|" + r.CPF_CAT + "|" + r.CPF_AGE_TYPE + "|" + Number(r.AGE_FROM) + "|" + r.AGE_CODE);
  return keys;
}

double Sum(const std::vector<CpfRateRow>& rows, double CpfRateRow::*column) {
  double total = 0;
  for (const CpfRateRow& r : rows) total += r.*column;
  return total;
}

const CpfRateRow* Find(const std::vector<CpfRateRow>& rows, const std::string& category, const std::string& band) {
  for (const CpfRateRow& r : rows)
    if (r.CPF_CAT == category && r.CPF_AGE_TYPE == band) return &r;
  return nullptr;
}

TEST(CpfRateSets, EveryRowKeyAndAgeCodeInTheOrderWritten) {
  const std::vector<std::string> y2013 = Expected(
      "2013",
      {{"VOL1", kUp6, "FFFAFA"},   {"VOL2", kUp6, "FFFAFA"},   {"VOL3", kUp6, "FFFAFA"}, {"VOL4", kUp6, "FFFAFA"},
       {"VOL5", kUp6, "FFFAFA"},   {"S", kUp6, "FFFAFA"},      {"PR3", kUp6, "FFFAFA"},  {"PR1", kUp6, "FFFFFF"},
       {"PR2", kUp6, "FFFFFF"},    {"PR2_ER", kDown6, "FFFFFF"}, {"PR1_ER", kDown6, "FFFFFF"},
       {"PEN", kDown5, "AFFFF"},   {"NPE", kDown5, "AFFFF"},   {"MPF", {}, "F", true},   {"FIX", {}, "", true},
       {"CSM", kDown5, "AFFFF"},   {"COW", kDown5, "AFFFF"}},
      {"PEN", "NPE", "CSM", "COW"});
  ASSERT_EQ(y2013.size(), 88u);
  EXPECT_EQ(Keys(Cpf2013Rows()), y2013);

  const std::vector<std::string> voluntary = Expected(
      "2007", {{"VOL1", kUp6, "FFFAFA"}, {"VOL2", kUp6, "FFFAFA"}, {"VOL3", kUp6, "FFFAFA"},
               {"VOL4", kUp6, "FFFAFA"}, {"VOL5", kUp6, "FFFAFA"}});
  ASSERT_EQ(voluntary.size(), 30u);
  EXPECT_EQ(Keys(VoluntaryCpf2007Rows()), voluntary);

  const std::vector<std::string> y2007 = Expected(
      "2007", {{"PR1", kUp6, "F0FFFF"}, {"PR1_ER", kUp6, "F000FF"}, {"PR2", kUp6, "F0FF00"},
               {"PR2_ER", kUp6, "F000F0"}, {"PR3", kUp6, "F0000F"}, {"S", kUp6, "FFFAFA"},
               {"COW", kUp6, "FFFAFA"}, {"CSM", kUp6, "FFFAFA"}, {"NPE", kUp6, "FFFAFA"},
               {"PEN", kUp6, "FFFAFA"}, {"MPF", {"6"}, "A", true}});
  ASSERT_EQ(y2007.size(), 61u);
  EXPECT_EQ(Keys(Cpf2007Rows()), y2007);
}

// Each expected value is the sum of the column over the published tables, added up by hand (per category, the
// six bands, times the categories sharing them).
TEST(CpfRateSets, ColumnSumsMatchThePublishedTables) {
  struct Case {
    const char* set;
    const std::vector<CpfRateRow>& rows;
    const char* column;
    double CpfRateRow::*member;
    double expected;
  };
  const Case cases[] = {
      // 11 six-band categories at 1264 and 4 five-band ones at 329: the open band ends at 999 or 99.
      {"2013", Cpf2013Rows(), "AGE_TO", &CpfRateRow::AGE_TO, 15220},
      // 7 x 803.01 (VOL1-VOL5, S, PR3) + 4 x 803.01 (PEN, NPE, CSM, COW).
      {"2013", Cpf2013Rows(), "SALARY_FROM3", &CpfRateRow::SALARY_FROM3, 8833.11},
      {"2013", Cpf2013Rows(), "S1_ER%", &CpfRateRow::S1_ERPercent, 4.8886},
      {"2013", Cpf2013Rows(), "S3_ADD_ER", &CpfRateRow::S3_ADD_ER, 2325.675},
      {"2013", Cpf2013Rows(), "S5_MAXWAGE_ER", &CpfRateRow::S5_MAXWAGE_ER, 32850},
      {"2013", Cpf2013Rows(), "S5_MAXWAGE_EE", &CpfRateRow::S5_MAXWAGE_EE, 39050},
      {"voluntary", VoluntaryCpf2007Rows(), "S1_ER%", &CpfRateRow::S1_ERPercent, 2.1365},
      {"voluntary", VoluntaryCpf2007Rows(), "S3_ADD_ER", &CpfRateRow::S3_ADD_ER, 988.5},
      {"voluntary", VoluntaryCpf2007Rows(), "S5_MAXWAGE_EE", &CpfRateRow::S5_MAXWAGE_EE, 18675},
      {"voluntary", VoluntaryCpf2007Rows(), "EMP_R%1", &CpfRateRow::EMP_RPercent1, 25},
      // With "PR2_ER" band 3's 0.697 and band 4's 34.88.
      {"2007", Cpf2007Rows(), "S1_ER%", &CpfRateRow::S1_ERPercent, 4.5072},
      {"2007", Cpf2007Rows(), "S3_ADD_ER", &CpfRateRow::S3_ADD_ER, 1814.105},
      {"2007", Cpf2007Rows(), "S5_MAXWAGE_ER", &CpfRateRow::S5_MAXWAGE_ER, 23355},
      // "MPF" adds its 5 to the ordinary-wage rates of the others.
      {"2007", Cpf2007Rows(), "S5_AW_EE", &CpfRateRow::S5_AW_EE, 703},
      // Only band 4 of "S", "COW", "CSM", "NPE", "PEN" carries 5; "PR3" band 4 does not.
      {"2007", Cpf2007Rows(), "EMP_E%1", &CpfRateRow::EMP_EPercent1, 25},
  };
  for (const Case& c : cases) EXPECT_NEAR(Sum(c.rows, c.member), c.expected, 1e-9) << c.set << " " << c.column;
}

TEST(CpfRateSets, DescriptionsAsStoredIncludingTheDepartures) {
  struct Case {
    const std::vector<CpfRateRow>& rows;
    const char* category;
    const char* band;
    const char* description;
  };
  const Case cases[] = {
      {Cpf2013Rows(), "VOL1", "1", "Voluntary Scheme 1 : (1) Age from :0 To:35"},
      {Cpf2013Rows(), "S", "4", "Singaporean : (4) Age from :55 To:60"},
      {Cpf2013Rows(), "PR1", "6", "PR 1ST YEAR : (6) Age from :65 To:999"},
      {Cpf2013Rows(), "PR3", "2", "PR 3TH YEAR : (2) Age from :35 To:50"},
      {Cpf2013Rows(), "PR1_ER", "6", "PR 1ST YEAR FULL EMPLOYER : (6) Age from :65 To:99"},
      {Cpf2013Rows(), "PR2_ER", "6", "PR 2RD YEAR FULL EMPLOYER : (6) Age from :65 To:99"},
      {Cpf2013Rows(), "PR2_ER", "5", "PR 2RD YEAR FULL EMPLOYER : (5) Age from :60 To:65"},
      {Cpf2013Rows(), "PEN", "1", "PENSION PS.EMP. : (1) Age from :0 To:50"},
      {Cpf2013Rows(), "NPE", "5", "NON PENSION PS.EMP. : (5) Age from :65 To:99"},
      {Cpf2013Rows(), "CSM", "2", "CONTRACT SERVICE MAN : (2) Age from :50 To:55"},
      {Cpf2013Rows(), "CSM", "3", "CONTRACT SERVICE MAN : (1) Age from :55 To:60"},
      {Cpf2013Rows(), "COW", "5", "COWEC : (5) Age from :65 To:99"},
      {Cpf2013Rows(), "MPF", "", "MPF : () Age from :0 To:0"},
      {Cpf2013Rows(), "FIX", "", "F"},
      {VoluntaryCpf2007Rows(), "VOL1", "1", "Voluntary Scheme 1  : (1) Age from :0 To:35"},
      {VoluntaryCpf2007Rows(), "VOL5", "6", "Voluntary Scheme 5  : (6) Age from :65 To:999"},
      {Cpf2007Rows(), "PR1_ER", "6", "PR 1ST YEAR FULL EMPLOYER : (6) Age from :65 To:99"},
      {Cpf2007Rows(), "PR2_ER", "6", "PR 2RD YEAR FULL EMPLOYER : (6) Age from :65 To:99"},
      {Cpf2007Rows(), "PR2", "2", "PR 2RD YEAR : (2) Age from :35 To:50"},
      {Cpf2007Rows(), "PEN", "4", "PENSION : (4) Age from :55 To:60"},
      {Cpf2007Rows(), "COW", "3", "COW : (3) Age from :50 To:55"},
      {Cpf2007Rows(), "MPF", "6", "MPF : (6) Age from :0 To:999"},
  };
  for (const Case& c : cases) {
    const CpfRateRow* row = Find(c.rows, c.category, c.band);
    ASSERT_NE(row, nullptr) << c.category << " " << c.band;
    EXPECT_EQ(row->DESC, c.description);
    EXPECT_LE(row->DESC.size(), 50u);
  }
}

// The rows that stand apart from their neighbours, value for value.
TEST(CpfRateSets, StandApartValuesAndSingleRows) {
  const CpfRateRow* pr2Er3 = Find(Cpf2007Rows(), "PR2_ER", "3");
  const CpfRateRow* pr1Er3 = Find(Cpf2007Rows(), "PR1_ER", "3");
  const CpfRateRow* pr2Er4 = Find(Cpf2007Rows(), "PR2_ER", "4");
  const CpfRateRow* pr3Band4 = Find(Cpf2007Rows(), "PR3", "4");
  const CpfRateRow* sBand4 = Find(Cpf2007Rows(), "S", "4");
  ASSERT_TRUE(pr2Er3 && pr1Er3 && pr2Er4 && pr3Band4 && sBand4);
  EXPECT_EQ(pr2Er3->S1_ERPercent, 0.697);
  EXPECT_EQ(pr2Er3->S2_ERPercent, 0.697);
  EXPECT_EQ(pr1Er3->S1_ERPercent, 0.0697);
  EXPECT_EQ(pr2Er4->S3_ADD_ER, 34.88);
  EXPECT_EQ(pr3Band4->S3_ADD_ER, 34.875);
  EXPECT_EQ(pr3Band4->EMP_RPercent1, 0);
  EXPECT_EQ(sBand4->EMP_RPercent1, 5);
  EXPECT_EQ(sBand4->EMP_EPercent1, 5);

  const CpfRateRow* mpf2007 = Find(Cpf2007Rows(), "MPF", "6");
  ASSERT_NE(mpf2007, nullptr);
  EXPECT_EQ(mpf2007->AGE_TO, 999);
  EXPECT_EQ(mpf2007->SALARY_TO5, 1500);
  EXPECT_EQ(mpf2007->S5_AW_EE, 5);
  EXPECT_EQ(mpf2007->S5_AW_ER, 5);
  EXPECT_EQ(mpf2007->S5_EE_OW, 0);
  EXPECT_EQ(mpf2007->S5_ER_OW, 0);
  EXPECT_EQ(mpf2007->SALARY_TO1, 0);
  EXPECT_EQ(mpf2007->S5_MAXWAGE_EE, 0);

  // The 2013 rows without rates: only the first wage bands' bounds.
  const CpfRateRow* csm1 = Find(Cpf2013Rows(), "CSM", "1");
  const CpfRateRow* pen3 = Find(Cpf2013Rows(), "PEN", "3");
  const CpfRateRow* cow5 = Find(Cpf2013Rows(), "COW", "5");
  ASSERT_TRUE(csm1 && pen3 && cow5);
  for (const CpfRateRow* r : {csm1, pen3, cow5}) {
    EXPECT_EQ(r->SALARY_TO1, 50);
    EXPECT_EQ(r->SALARY_FROM2, 50);
    EXPECT_EQ(r->SALARY_TO2, 500);
    EXPECT_EQ(r->SALARY_TO3, 750);
    EXPECT_EQ(r->SALARY_FROM4, 750);
    EXPECT_EQ(r->SALARY_TO4, 0);
    EXPECT_EQ(r->SALARY_TO5, 0);
    EXPECT_EQ(r->S2_MINUS_EE, 0);
    EXPECT_EQ(r->S1_ERPercent, 0);
    EXPECT_EQ(r->S5_MAXWAGE_EE, 0);
  }
  EXPECT_EQ(csm1->SALARY_FROM3, 200.01);
  EXPECT_EQ(pen3->SALARY_FROM3, 201);
  EXPECT_EQ(cow5->SALARY_FROM3, 0);
  EXPECT_EQ(cow5->AGE_TO, 99);
}

// Rules the published tables follow in every row with rates; a value typed into the wrong column breaks one.
TEST(CpfRateSets, RatedRowsKeepTheSharedValuesAndTheirPartners) {
  struct Set {
    const char* name;
    const std::vector<CpfRateRow>& rows;
    double wageCeiling;  // the monthly maxima are the ordinary-wage percentage of this
    int rated;           // rows with rates
  };
  const Set sets[] = {{"2013", Cpf2013Rows(), 5000, 66}, {"voluntary", VoluntaryCpf2007Rows(), 4500, 30},
                      {"2007", Cpf2007Rows(), 4500, 60}};
  for (const Set& s : sets) {
    int rated = 0;
    for (const CpfRateRow& r : s.rows) {
      if (r.S5_EE_OW == 0) continue;  // the rows without rates
      ++rated;
      const std::string where = std::string(s.name) + " " + r.CPF_CAT + " " + r.CPF_AGE_TYPE;
      EXPECT_EQ(r.SALARY_TO1, 50) << where;
      EXPECT_EQ(r.SALARY_TO2, 500) << where;
      EXPECT_EQ(r.SALARY_TO3, 750) << where;
      EXPECT_EQ(r.SALARY_TO4, 1200) << where;
      EXPECT_EQ(r.SALARY_TO5, 1500) << where;
      EXPECT_EQ(r.SALARY_FROM1, 0) << where;
      EXPECT_EQ(r.SALARY_FROM5, 0) << where;
      EXPECT_EQ(r.S1_EEPercent, 0) << where;
      EXPECT_EQ(r.S1_MINUS_EE, 0) << where;
      EXPECT_EQ(r.S2_MINUS_EE, 500) << where;
      EXPECT_EQ(r.S3_MINUS_EE, 750) << where;
      EXPECT_EQ(r.S4_MINUS_EE, 750) << where;
      EXPECT_EQ(r.S1_ADD_EE + r.S1_ADD_ER + r.S2_ADD_EE + r.S2_ADD_ER, 0) << where;
      EXPECT_EQ(r.S2_ERPercent, r.S1_ERPercent) << where;
      EXPECT_EQ(r.S2_MINUS_ER, r.S1_MINUS_ER) << where;
      EXPECT_EQ(r.S4_EEPercent, r.S3_EEPercent) << where;
      EXPECT_EQ(r.S4_ADD_EE, r.S3_ADD_EE) << where;
      EXPECT_EQ(r.S5_AW_EE, r.S5_EE_OW) << where;
      EXPECT_EQ(r.S5_AW_ER, r.S5_ER_OW) << where;
      EXPECT_NEAR(r.S5_MAXWAGE_EE, r.S5_EE_OW * s.wageCeiling / 100, 1e-9) << where;
      EXPECT_NEAR(r.S5_MAXWAGE_ER, r.S5_ER_OW * s.wageCeiling / 100, 1e-9) << where;
      // The employee's phase-in figures follow from the ordinary-wage rate, a whole percentage where the band
      // rates are fractions: S3_EE% = 1.2 x S5_EE_OW / 100, S2_EE% twice that, S3_ADD_EE 500 x S3_EE%.
      EXPECT_NEAR(r.S3_EEPercent, r.S5_EE_OW * 0.012, 1e-9) << where;
      EXPECT_NEAR(r.S2_EEPercent, 2 * r.S3_EEPercent, 1e-9) << where;
      EXPECT_NEAR(r.S3_ADD_EE, 500 * r.S3_EEPercent, 1e-9) << where;
    }
    EXPECT_EQ(rated, s.rated) << s.name;
  }
}

}  // namespace
}  // namespace kv::rates
