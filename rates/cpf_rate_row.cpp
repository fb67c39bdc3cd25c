// The numeric columns of a CPF rate row in the tables' order: the one list all three writers walk, so the
// insert's parameters, CPFNEW's appended fields and the overwritten rate columns cannot fall out of step.

#include "rates/cpf_rate_row.h"

#include <array>

namespace kv::rates {

namespace {

using R = CpfRateRow;

constexpr std::array<CpfColumn, 44> kNumberColumns{{
    {"AGE_FROM", "nAGE_FROM", &R::AGE_FROM, true},
    {"AGE_TO", "nAGE_TO", &R::AGE_TO, true},
    {"SALARY_FROM1", "nSALARY_FROM1", &R::SALARY_FROM1, false},
    {"SALARY_TO1", "nSALARY_TO1", &R::SALARY_TO1, true},
    {"SALARY_FROM2", "nSALARY_FROM2", &R::SALARY_FROM2, false},
    {"SALARY_TO2", "nSALARY_TO2", &R::SALARY_TO2, true},
    {"SALARY_FROM3", "nSALARY_FROM3", &R::SALARY_FROM3, false},
    {"SALARY_TO3", "nSALARY_TO3", &R::SALARY_TO3, true},
    {"SALARY_FROM4", "nSALARY_FROM4", &R::SALARY_FROM4, false},
    {"SALARY_TO4", "nSALARY_TO4", &R::SALARY_TO4, true},
    {"SALARY_FROM5", "nSALARY_FROM5", &R::SALARY_FROM5, false},
    {"SALARY_TO5", "nSALARY_TO5", &R::SALARY_TO5, true},
    {"S5_AW_EE", "nS5_AW_EE", &R::S5_AW_EE, true},
    {"S5_AW_ER", "nS5_AW_ER", &R::S5_AW_ER, true},
    {"S1_ER%", "nS1_ERPercent", &R::S1_ERPercent, true},
    {"S1_MINUS_EE", "nS1_MINUS_EE", &R::S1_MINUS_EE, true},
    {"S1_MINUS_ER", "nS1_MINUS_ER", &R::S1_MINUS_ER, true},
    {"S1_ADD_EE", "nS1_ADD_EE", &R::S1_ADD_EE, true},
    {"S1_ADD_ER", "nS1_ADD_ER", &R::S1_ADD_ER, true},
    {"S2_ER%", "nS2_ERPercent", &R::S2_ERPercent, true},
    {"S2_MINUS_EE", "nS2_MINUS_EE", &R::S2_MINUS_EE, true},
    {"S2_MINUS_ER", "nS2_MINUS_ER", &R::S2_MINUS_ER, true},
    {"S2_ADD_EE", "nS2_ADD_EE", &R::S2_ADD_EE, true},
    {"S2_ADD_ER", "nS2_ADD_ER", &R::S2_ADD_ER, true},
    {"S1_EE%", "nS1_EEPercent", &R::S1_EEPercent, true},
    {"S2_EE%", "nS2_EEPercent", &R::S2_EEPercent, true},
    {"S3_EE%", "nS3_EEPercent", &R::S3_EEPercent, true},
    {"S4_EE%", "nS4_EEPercent", &R::S4_EEPercent, true},
    {"S3_ER%", "nS3_ERPercent", &R::S3_ERPercent, true},
    {"S5_EE_OW", "nS5_EE_OW", &R::S5_EE_OW, true},
    {"S5_ER_OW", "nS5_ER_OW", &R::S5_ER_OW, true},
    {"S4_ER%", "nS4_ERPercent", &R::S4_ERPercent, true},
    {"S3_MINUS_EE", "nS3_MINUS_EE", &R::S3_MINUS_EE, true},
    {"S4_MINUS_EE", "nS4_MINUS_EE", &R::S4_MINUS_EE, true},
    {"S3_MINUS_ER", "nS3_MINUS_ER", &R::S3_MINUS_ER, true},
    {"S4_MINUS_ER", "nS4_MINUS_ER", &R::S4_MINUS_ER, true},
    {"S3_ADD_EE", "nS3_ADD_EE", &R::S3_ADD_EE, true},
    {"S4_ADD_EE", "nS4_ADD_EE", &R::S4_ADD_EE, true},
    {"S3_ADD_ER", "nS3_ADD_ER", &R::S3_ADD_ER, true},
    {"S4_ADD_ER", "nS4_ADD_ER", &R::S4_ADD_ER, true},
    {"S5_MAXWAGE_EE", "nS5_MAXWAGE_EE", &R::S5_MAXWAGE_EE, true},
    {"S5_MAXWAGE_ER", "nS5_MAXWAGE_ER", &R::S5_MAXWAGE_ER, true},
    {"EMP_R%1", "nEMP_RPercent1", &R::EMP_RPercent1, true},
    {"EMP_E%1", "nEMP_EPercent1", &R::EMP_EPercent1, true},
}};

}  // namespace

std::span<const CpfColumn> CpfNumberColumns() { return kNumberColumns; }

}  // namespace kv::rates
