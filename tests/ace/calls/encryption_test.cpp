#include <gtest/gtest.h>

#include "calls/engine_fixture.h"

namespace ace::testing {
namespace {

class Encryption : public EngineTest {};

TEST_F(Encryption, RoundTripAndNothingReadableOnDisk) {
  AdsHandle t = Create("SALARY", "EMP,Char,10;NOTE,Memo;PAY,CurDouble,2;");
  ASSERT_ADS(AdsCreateIndex61(t, "", "EMP", "EMP", "", "", 2, 512, nullptr));
  Append(t, {{"EMP", Value::String("S1234567D")}, {"NOTE", Value::String("CONFIDENTIAL REMARK")}, {"PAY", Value::Double(8800)}});
  bool encrypted = true;
  ASSERT_ADS(AdsIsTableEncrypted(t, &encrypted));
  EXPECT_FALSE(encrypted);
  EXPECT_EQ(AdsEncryptTable(t), code::kPasswordRequired);
  ASSERT_ADS(AdsEnableEncryption(t, "MOLAR3816"));
  EXPECT_EQ(AdsEnableEncryption(t, "MOLAR3816"), code::kEncryptionUnchanged);
  ASSERT_ADS(AdsEncryptTable(t));
  EXPECT_EQ(AdsEncryptTable(t), code::kEncryptionUnchanged);
  ASSERT_ADS(AdsIsTableEncrypted(t, &encrypted));
  EXPECT_TRUE(encrypted);
  EXPECT_EQ(Text(t, "EMP"), "S1234567D");  // this handle has the password
  ASSERT_ADS(AdsCloseTable(t));
  for (const char* file : {"SALARY.ADT", "SALARY.ADM", "SALARY.ADI"}) {
    const std::string bytes = FileBytes(file);
    ASSERT_FALSE(bytes.empty()) << file;
    EXPECT_EQ(bytes.find("S1234567D"), std::string::npos) << file;
    EXPECT_EQ(bytes.find("CONFIDENTIAL"), std::string::npos) << file;
    EXPECT_EQ(bytes.find("MOLAR3816"), std::string::npos) << file;
  }
  EXPECT_NE(FileBytes("SALARY.ADT").find("EMP"), std::string::npos);  // the field list stays readable

  t = Open("SALARY");
  std::uint64_t count = 0;
  ASSERT_ADS(AdsGetRecordCount(t, &count));  // the header is readable without the password
  EXPECT_EQ(count, 1u);
  Value v;
  EXPECT_EQ(AdsGetField(t, "EMP", &v), code::kPasswordRequired);
  EXPECT_EQ(AdsAppendRecord(t), code::kPasswordRequired);
  EXPECT_EQ(AdsEnableEncryption(t, "wrong"), code::kWrongPassword);
  EXPECT_EQ(AdsGetField(t, "EMP", &v), code::kPasswordRequired);
  ASSERT_ADS(AdsEnableEncryption(t, "MOLAR3816"));
  ASSERT_ADS(AdsGotoTop(t));
  EXPECT_EQ(Text(t, "NOTE"), "CONFIDENTIAL REMARK");
  bool found = false;
  const Value key[] = {Value::String("S1234567D")};
  ASSERT_ADS(AdsSeek(Index(t, "EMP"), key, seek_type::kExact, &found));
  EXPECT_TRUE(found);
  ASSERT_ADS(AdsDecryptTable(t));
  EXPECT_EQ(AdsDecryptTable(t), code::kEncryptionUnchanged);
  ASSERT_ADS(AdsCloseTable(t));
  EXPECT_NE(FileBytes("SALARY.ADT").find("S1234567D"), std::string::npos);
  t = Open("SALARY");
  EXPECT_EQ(Text(t, "EMP"), "S1234567D");  // clear again: no password needed
}

TEST_F(Encryption, AnOrderChosenBeforeThePasswordWorksOnceItIsGiven) {
  AdsHandle t = Create("BANK", "EMP,Char,6;ACCT,Char,10;");
  ASSERT_ADS(AdsCreateIndex61(t, "", "EMP", "EMP", "", "", 2, 512, nullptr));
  Append(t, {{"EMP", Value::String("E2")}, {"ACCT", Value::String("222")}});
  Append(t, {{"EMP", Value::String("E1")}, {"ACCT", Value::String("111")}});
  ASSERT_ADS(AdsEnableEncryption(t, "MOLAR3816"));
  ASSERT_ADS(AdsEncryptTable(t));
  ASSERT_ADS(AdsCloseTable(t));
  t = Open("BANK");
  const AdsHandle byEmp = Index(t, "EMP");
  EXPECT_EQ(AdsGotoTop(byEmp), 0u);  // moves are allowed; where it stands is known once the password is given
  ASSERT_ADS(AdsEnableEncryption(t, "MOLAR3816"));
  bool found = false;
  const Value e1[] = {Value::String("E1")};
  ASSERT_ADS(AdsSeek(byEmp, e1, seek_type::kExact, &found));
  EXPECT_TRUE(found);
  EXPECT_EQ(Text(t, "ACCT"), "111");
  EXPECT_EQ(Column(byEmp, t, "EMP"), (std::vector<std::string>{"E1", "E2"}));
}

TEST_F(Encryption, AnotherHandleNeedsThePasswordToo) {
  AdsHandle t = Create("T", "A,Char,5;");
  ASSERT_ADS(AdsEnableEncryption(t, "pw"));
  ASSERT_ADS(AdsEncryptTable(t));
  Append(t, {{"A", Value::String("x")}});
  ASSERT_ADS(AdsCloseTable(t));
  AdsHandle a = Open("T");
  AdsHandle b = Open("T");
  ASSERT_ADS(AdsEnableEncryption(a, "pw"));
  EXPECT_EQ(Text(a, "A"), "x");
  Value v;
  EXPECT_EQ(AdsGetField(b, "A", &v), code::kPasswordRequired);
  EXPECT_EQ(AdsPackTable(a), code::kTableInUse);  // a rewrite needs the table alone
}

}  // namespace
}  // namespace ace::testing
