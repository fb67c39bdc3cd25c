#pragma once
// Statement texts the tool sends, as it sends them (lines ended by CR LF), shared by the suites that parse them
// and the suites that run them, and sample rows of the nationality seeding.

#include <string>
#include <vector>

namespace kv::testing {

// The lines joined as the tool joins a statement's lines: each one ended by CR LF.
inline std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The CPF rate loader's count of the rows of one key.
inline std::string CpfRateCountText() {
  return Lines({"SELECT COUNT(*) AS RecAmt FROM CPFNEW2 ",
                "WHERE YEAR=:sYEAR AND CPF_CAT=:sCPF_CAT AND CPF_AGE_TYPE=:sCPF_AGE_TYPE AND AGE_FROM=:nAGE_FROM;"});
}

// The CPF rate loader's insert of one rate row, every column a parameter.
inline std::string CpfRateInsertText() {
  return Lines({
    "INSERT INTO CPFNEW2([YEAR],[CPF_CAT],[CPF_AGE_TYPE],[AGE_CODE],[DESC],[AGE_FROM],[AGE_TO],[SALARY_FROM1], ",
    "                    [SALARY_TO1],[SALARY_FROM2],[SALARY_TO2],[SALARY_FROM3],[SALARY_TO3],[SALARY_FROM4], ",
    "                    [SALARY_TO4],[SALARY_FROM5],[SALARY_TO5],[S5_AW_EE],[S5_AW_ER],[S1_ER%],[S1_MINUS_EE], ",
    "                    [S1_MINUS_ER],[S1_ADD_EE],[S1_ADD_ER],[S2_ER%],[S2_MINUS_EE],[S2_MINUS_ER],[S2_ADD_EE], ",
    "                    [S2_ADD_ER],[S1_EE%],[S2_EE%],[S3_EE%],[S4_EE%],[S3_ER%],[S5_EE_OW],[S5_ER_OW],[S4_ER%], ",
    "                    [S3_MINUS_EE],[S4_MINUS_EE],[S3_MINUS_ER],[S4_MINUS_ER],[S3_ADD_EE],[S4_ADD_EE],[S3_ADD_ER], ",
    "                    [S4_ADD_ER],[S5_MAXWAGE_EE],[S5_MAXWAGE_ER],[EMP_R%1],[EMP_E%1]) ",
    "VALUES(:sYEAR,:sCPF_CAT,:sCPF_AGE_TYPE,:sAGE_CODE,:sDESC, ",
    "       :nAGE_FROM,:nAGE_TO,:nSALARY_FROM1,:nSALARY_TO1,:nSALARY_FROM2,:nSALARY_TO2,:nSALARY_FROM3,:nSALARY_TO3, ",
    "       :nSALARY_FROM4,:nSALARY_TO4,:nSALARY_FROM5,:nSALARY_TO5,:nS5_AW_EE,:nS5_AW_ER,:nS1_ERPercent,:nS1_MINUS_EE, ",
    "       :nS1_MINUS_ER,:nS1_ADD_EE,:nS1_ADD_ER,:nS2_ERPercent,:nS2_MINUS_EE,:nS2_MINUS_ER,:nS2_ADD_EE,:nS2_ADD_ER, ",
    "       :nS1_EEPercent,:nS2_EEPercent,:nS3_EEPercent,:nS4_EEPercent,:nS3_ERPercent,:nS5_EE_OW,:nS5_ER_OW,:nS4_ERPercent, ",
    "       :nS3_MINUS_EE,:nS4_MINUS_EE,:nS3_MINUS_ER,:nS4_MINUS_ER,:nS3_ADD_EE,:nS4_ADD_EE,:nS3_ADD_ER,:nS4_ADD_ER, ",
    "       :nS5_MAXWAGE_EE,:nS5_MAXWAGE_ER,:nEMP_RPercent1,:nEMP_EPercent1) ",
  });
}

// Rows of the nationality seeding that show its texts' shapes: commas, lower-case letters, 40 characters.
struct Nationality {
  const char* code;
  const char* nationality;
  const char* country;
};
inline constexpr Nationality kSampleNationalities[] = {
    {"101", "BELGIAN", "BELGIUM"},
    {"104", "GERMAN", "FEDERAL REPUBLIC OF GERMANY"},
    {"110", "BRITISH", "UNITED KINGDOM"},
    {"113", "BRITISH, CHANNELl ISLAND", "ISLAND OF GUERNSEY, CHANNEL ISLANDS, U.K"},
    {"300", "SINGAPORE PR", "SINGAPORE"},
    {"301", "SINGAPORE CITIZEN", "SINGAPORE"},
    {"304", "MALAYSIAN", "MALAYSIA"},
    {"336", "CHINESE", "PEOPLES REPUBLIC OF CHINA"},
    {"354", "INDIAN", "INDIA"},
    {"384", "YEMINI", "REP OF YEMEN"},
    {"385", "YEMINI", "DEMOCRATIC YEMEN"},
    {"422", "IVORY COAST", "COTE DIVOIRE"},
    {"499", "OC IN OTHER AFRICA", "O C IN OTHER AFRICA"},
    {"503", "AMERICAN", "UNITED STATES OF AMERICA"},
    {"799", "OC OCEANIA", "OC OCEANIA"},
    {"999", "OTHERS", "OTHERS"},
};

}  // namespace kv::testing
