#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <tuple>

#include "ace/dict/dictionary.h"
#include "calls/engine_fixture.h"

namespace ace::testing {
namespace {

class Dictionary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_ADS(AdsDDCreate(DictPath(), "MOLAR3816", "", &admin));
  }
  void TearDown() override { AdsDisconnect(admin); }
  std::string DictPath() const { return (dir.Path() / "ABC.add").string(); }
  std::vector<std::string> Names(AdsHandle c, std::uint16_t kind, const std::string& parent = "") {
    std::vector<std::string> names;
    std::string name;
    AdsHandle search = 0;
    ResultCode r = AdsDDFindFirstObject(c, kind, parent, &name, &search);
    while (r == 0) {
      names.push_back(name);
      r = AdsDDFindNextObject(c, search, &name);
    }
    EXPECT_EQ(r, code::kNoMoreObjects) << LastErrorText();
    if (search) {
      EXPECT_ADS(AdsDDFindClose(c, search));
    }
    return names;
  }
  AdsHandle MakeEmployee() {
    AdsHandle t = 0;
    EXPECT_ADS(AdsCreateTable(admin, "EMPLOYEE", "", 3, 1, 1, 1, 0, "EMP_NO,Char,10;NAME,Char,30;", &t));
    EXPECT_ADS(AdsCreateIndex61(t, "", "EMP_NO", "EMP_NO", "", "", 3, 512, nullptr));
    EXPECT_ADS(AdsAppendRecord(t));
    EXPECT_ADS(AdsSetField(t, "EMP_NO", Value::String("S7654321Z")));
    EXPECT_ADS(AdsSetField(t, "NAME", Value::String("KUMAR SUPPIAH")));
    EXPECT_ADS(AdsWriteRecord(t));
    EXPECT_ADS(AdsCloseTable(t));
    return t;
  }
  std::string Bytes(const std::string& name) const {
    std::ifstream in(dir.Path() / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void SetProperty(const std::string& table, std::uint16_t property, std::uint16_t value) {
    ASSERT_ADS(AdsDDSetTableProperty(admin, table, property, &value, 2, 0, ""));
  }
  std::uint16_t Property(const std::string& table, std::uint16_t property) {
    std::uint16_t value = 99, length = 2;
    EXPECT_ADS(AdsDDGetTableProperty(admin, table, property, &value, &length));
    return value;
  }

  kv::testing::TempFolder dir;
  AdsHandle admin = 0;
};

TEST_F(Dictionary, LoginsAndHandleTypes) {
  std::uint16_t type = 0;
  ASSERT_ADS(AdsGetHandleType(admin, &type));
  EXPECT_EQ(type, handle_type::kDictionaryConnection);
  AdsHandle c = 0;
  EXPECT_EQ(AdsConnect60(DictPath(), 3, "ADSSYS", "wrong", 0, &c), code::kDictionaryLoginFailed);
  EXPECT_EQ(AdsConnect60(DictPath(), 3, "NOBODY", "MOLAR3816", 0, &c), code::kDictionaryLoginFailed);
  EXPECT_EQ(AdsConnect60((dir.Path() / "XYZ.add").string(), 3, "ADSSYS", "MOLAR3816", 0, &c), code::kNotADictionary);
  std::ofstream(dir.Path() / "BAD.ADD") << "this is no dictionary";
  EXPECT_NE(AdsConnect60((dir.Path() / "BAD.ADD").string(), 3, "ADSSYS", "MOLAR3816", 0, &c), 0u);
  EXPECT_NE(LastErrorText().find("BAD.ADD"), std::string::npos) << LastErrorText();
  EXPECT_EQ(Names(admin, dd_object::kTable), std::vector<std::string>{});  // 5137 at once
  AdsHandle search = 0;
  std::string name;
  EXPECT_EQ(AdsDDFindFirstObject(admin, dd_object::kTable, "", &name, &search), code::kNoMoreObjects);
}

TEST_F(Dictionary, TablesMadeThroughTheDictionaryAreRegisteredAndOpenByName) {
  MakeEmployee();
  EXPECT_EQ(Names(admin, dd_object::kTable), std::vector<std::string>{"EMPLOYEE"});
  EXPECT_EQ(Names(admin, dd_object::kIndex, "EMPLOYEE"), std::vector<std::string>{"EMP_NO"});
  AdsHandle t = 0;
  ASSERT_ADS(AdsOpenTable(admin, "EMPLOYEE.ADT", "", 0, 1, 1, 1, 0, &t));  // with or without the extension
  ASSERT_ADS(AdsCloseTable(t));
  ASSERT_ADS(AdsOpenTable(admin, "employee", "", 0, 1, 1, 1, 0, &t));
  ASSERT_ADS(AdsGotoTop(t));
  Value v;
  ASSERT_ADS(AdsGetField(t, "NAME", &v));
  EXPECT_EQ(v, Value::String("KUMAR SUPPIAH"));
  ASSERT_ADS(AdsCloseTable(t));

  // A free table lying in the dictionary's folder: 5132 by name, then found by its path.
  {
    AdsHandle folder = 0, free = 0;
    ASSERT_ADS(AdsConnect60(dir.Path().string(), 3, "", "", 0, &folder));
    ASSERT_ADS(AdsCreateTable(folder, "CPFTRX", "", 3, 1, 1, 1, 0, "PPERIOD,Char,6;", &free));
    AdsDisconnect(folder);
  }
  EXPECT_EQ(AdsOpenTable(admin, "CPFTRX", "", 0, 1, 1, 1, 0, &t), code::kNotInDictionary);
  ASSERT_ADS(AdsOpenTable(admin, (dir.Path() / "CPFTRX").string(), "", 3, 1, 1, 1, 0, &t));
  ASSERT_ADS(AdsCloseTable(t));

  ASSERT_ADS(AdsDDAddTable(admin, "CPFTRX", "CPFTRX.ADT", 3, 1, "", ""));
  EXPECT_EQ(Names(admin, dd_object::kTable), (std::vector<std::string>{"EMPLOYEE", "CPFTRX"}));
  EXPECT_EQ(AdsDDAddTable(admin, "GONE", "GONE.ADT", 3, 1, "", ""), code::kFileNotFound);
  ASSERT_ADS(AdsDDRemoveTable(admin, "CPFTRX", false));
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "CPFTRX.ADT"));  // the files stay
  EXPECT_EQ(Names(admin, dd_object::kTable), std::vector<std::string>{"EMPLOYEE"});

  ASSERT_ADS(AdsDDDeleteIndex(admin, "EMPLOYEE", "EMP_NO"));
  EXPECT_EQ(Names(admin, dd_object::kIndex, "EMPLOYEE"), std::vector<std::string>{});
  ASSERT_ADS(AdsOpenTable(admin, "EMPLOYEE", "", 0, 1, 1, 1, 0, &t));
  std::uint16_t tags = 9;
  ASSERT_ADS(AdsGetNumIndexes(t, &tags));
  EXPECT_EQ(tags, 0);
}

TEST_F(Dictionary, EncryptionPropertyEncryptsWithTheDictionarysKey) {
  MakeEmployee();
  EXPECT_EQ(Property("EMPLOYEE", dd_property::kEncryption), 0);
  SetProperty("EMPLOYEE", dd_property::kEncryption, 1);
  SetProperty("EMPLOYEE", dd_property::kAutoCreate, 1);
  EXPECT_EQ(Property("EMPLOYEE", dd_property::kEncryption), 1);
  EXPECT_EQ(Property("EMPLOYEE", dd_property::kAutoCreate), 1);
  for (const char* file : {"EMPLOYEE.ADT", "EMPLOYEE.ADI"}) {
    EXPECT_EQ(Bytes(file).find("S7654321Z"), std::string::npos) << file;
    EXPECT_EQ(Bytes(file).find("KUMAR"), std::string::npos) << file;
  }
  AdsHandle t = 0;
  ASSERT_ADS(AdsOpenTable(admin, "EMPLOYEE", "", 0, 1, 1, 1, 0, &t));  // no password needed through the dictionary
  ASSERT_ADS(AdsGotoTop(t));
  Value v;
  ASSERT_ADS(AdsGetField(t, "EMP_NO", &v));
  EXPECT_EQ(v, Value::String("S7654321Z"));
  ASSERT_ADS(AdsCloseTable(t));
  // As a free table the file is unreadable.
  AdsHandle folder = 0;
  ASSERT_ADS(AdsConnect60(dir.Path().string(), 3, "", "", 0, &folder));
  ASSERT_ADS(AdsOpenTable(folder, "EMPLOYEE", "", 3, 1, 1, 1, 0, &t));
  EXPECT_EQ(AdsGetField(t, "EMP_NO", &v), code::kPasswordRequired);
  AdsDisconnect(folder);
  SetProperty("EMPLOYEE", dd_property::kEncryption, 0);
  EXPECT_NE(Bytes("EMPLOYEE.ADT").find("S7654321Z"), std::string::npos);
  std::uint16_t value = 5;
  EXPECT_EQ(AdsDDSetTableProperty(admin, "EMPLOYEE", 999, &value, 2, 0, ""), code::kBadProperty);
  EXPECT_EQ(AdsDDSetTableProperty(admin, "NOSUCH", 203, &value, 2, 0, ""), code::kNotInDictionary);
}

// SYSCONT.ADT is made through the dictionary and encrypted with the table calls, the password given as on a
// free table: the dictionary's key does it, so the table opens by name, from another process too.
TEST_F(Dictionary, EncryptingATableOfTheDictionaryGoesThroughIt) {
  AdsHandle t = 0;
  ASSERT_ADS(AdsCreateTable(admin, "SYSCONT.ADT", "", 3, 1, 1, 1, 0, "LOG,Char,10;PASS,Char,10;", &t));
  ASSERT_ADS(AdsCreateIndex61(t, "", "LOG", "LOG", "", "", 0, 512, nullptr));
  for (const char* log : {"ADMIN", "AUDIT"}) {
    ASSERT_ADS(AdsAppendRecord(t));
    ASSERT_ADS(AdsSetField(t, "LOG", Value::String(log)));
    ASSERT_ADS(AdsSetField(t, "PASS", Value::String(log == std::string("ADMIN") ? "4711" : "QXZVW")));
    ASSERT_ADS(AdsWriteRecord(t));
  }
  EXPECT_EQ(AdsEnableEncryption(t, "MOLAR3816"), code::kEncryptionUnchanged);  // the dictionary keeps the key
  ASSERT_ADS(AdsEncryptTable(t));
  ASSERT_ADS(AdsCloseTable(t));
  EXPECT_EQ(Property("SYSCONT", dd_property::kEncryption), 1);
  for (const char* file : {"SYSCONT.ADT", "SYSCONT.ADI"}) EXPECT_EQ(Bytes(file).find("QXZVW"), std::string::npos) << file;

  const std::string dict = DictPath(), folder = dir.Path().string();
  AdsDisconnect(admin);
  admin = 0;
  const pid_t pid = fork();
  if (pid == 0) {
    AdsHandle c = 0, s = 0, table = 0, cursor = 0, free = 0;
    if (AdsConnect60(dict, 3, "ADSSYS", "MOLAR3816", 0, &c)) _exit(10);
    Value v;
    bool found = false;
    const Value key[] = {Value::String("AUDIT")};
    AdsHandle byLog = 0;
    if (AdsOpenTable(c, "SYSCONT", "", 0, 1, 1, 1, 0, &table) || AdsGetIndexHandle(table, "LOG", &byLog) ||
        AdsSeek(byLog, key, seek_type::kExact, &found) || !found || AdsGetField(table, "PASS", &v) ||
        v != Value::String("QXZVW"))
      _exit(11);
    AdsCloseTable(table);
    if (AdsCreateSQLStatement(c, &s) || AdsExecuteSQLDirect(s, "SELECT PASS FROM SYSCONT WHERE LOG = 'ADMIN'", &cursor) ||
        AdsGotoTop(cursor) || AdsGetField(cursor, "PASS", &v) || v != Value::String("4711"))
      _exit(12);
    // A free-table connection has no key: not even the table password reads it.
    if (AdsConnect60(folder, 3, "", "", 0, &free) || AdsOpenTable(free, "SYSCONT", "", 3, 1, 1, 1, 0, &table) ||
        AdsEnableEncryption(table, "MOLAR3816") != code::kWrongPassword)
      _exit(13);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "10 connect, 11 open by name, 12 statement, 13 free-table open";

  ASSERT_ADS(AdsConnect60(DictPath(), 3, "ADSSYS", "MOLAR3816", 0, &admin));
  const auto passOfAdmin = [&] {
    AdsHandle h = 0;
    EXPECT_ADS(AdsOpenTable(admin, "SYSCONT", "", 0, 1, 1, 1, open_mode::kExclusive, &h));
    EXPECT_ADS(AdsGotoTop(h));
    Value v;
    const ResultCode r = AdsGetField(h, "PASS", &v);
    return std::make_pair(h, r == 0 ? v.AsString() : "error " + std::to_string(r));
  };
  // Decrypting goes through the dictionary too.
  auto [h, pass] = passOfAdmin();
  EXPECT_EQ(pass, "4711");
  ASSERT_ADS(AdsDecryptTable(h));
  ASSERT_ADS(AdsCloseTable(h));
  EXPECT_EQ(Property("SYSCONT", dd_property::kEncryption), 0);
  EXPECT_NE(Bytes("SYSCONT.ADT").find("QXZVW"), std::string::npos);

  // An encryption cut off before it wrote the property: the dictionary's key still opens the table, and the
  // property is written then.
  std::tie(h, pass) = passOfAdmin();
  ASSERT_ADS(AdsEncryptTable(h));
  ASSERT_ADS(AdsCloseTable(h));
  dict::Dictionary::Open(DictPath()).SetTableProperty("SYSCONT", dict::kPropertyEncrypted, 0);
  std::tie(h, pass) = passOfAdmin();
  EXPECT_EQ(pass, "4711");
  ASSERT_ADS(AdsCloseTable(h));
  EXPECT_EQ(Property("SYSCONT", dd_property::kEncryption), 1);

  // A table of the dictionary encrypted with a password of its own still takes that password.
  SetProperty("SYSCONT", dd_property::kEncryption, 0);
  {
    AdsHandle free = 0, own = 0;
    ASSERT_ADS(AdsConnect60(dir.Path().string(), 3, "", "", 0, &free));
    ASSERT_ADS(AdsOpenTable(free, "SYSCONT", "", 3, 1, 1, 1, open_mode::kExclusive, &own));
    ASSERT_ADS(AdsEnableEncryption(own, "own"));
    ASSERT_ADS(AdsEncryptTable(own));
    AdsDisconnect(free);
  }
  std::tie(h, pass) = passOfAdmin();
  EXPECT_EQ(pass, "error " + std::to_string(code::kPasswordRequired));
  ASSERT_ADS(AdsEnableEncryption(h, "own"));
  Value v;
  ASSERT_ADS(AdsGetField(h, "PASS", &v));
  EXPECT_EQ(v, Value::String("4711"));
  ASSERT_ADS(AdsCloseTable(h));
  EXPECT_EQ(Property("SYSCONT", dd_property::kEncryption), 0);
}

// The dictionary's registered indexes follow the table's: a deleted index file takes them along, so the suite's
// rebuild of an index file (delete it, add the index again) works when the dictionary still listed the old one.
TEST_F(Dictionary, RegisteredIndexesGoWithADeletedIndexFile) {
  MakeEmployee();
  std::filesystem::remove(dir.Path() / "EMPLOYEE.ADI");
  AdsHandle t = 0;
  ASSERT_ADS(AdsOpenTable(admin, "EMPLOYEE", "", 0, 1, 1, 1, open_mode::kExclusive, &t));
  std::uint16_t tags = 9;
  ASSERT_ADS(AdsGetNumIndexes(t, &tags));
  EXPECT_EQ(tags, 0);
  EXPECT_EQ(Names(admin, dd_object::kIndex, "EMPLOYEE"), std::vector<std::string>{});
  ASSERT_ADS(AdsCreateIndex61(t, "", "EMP_NO", "EMP_NO;NAME", "", "", 2, 512, nullptr));
  ASSERT_ADS(AdsCloseTable(t));
  EXPECT_EQ(Names(admin, dd_object::kIndex, "EMPLOYEE"), std::vector<std::string>{"EMP_NO"});
  // Through a statement as well.
  std::filesystem::remove(dir.Path() / "EMPLOYEE.ADI");
  AdsHandle s = 0;
  ASSERT_ADS(AdsCreateSQLStatement(admin, &s));
  ASSERT_ADS(AdsExecuteSQLDirect(s, "Create Index \"EMP_NO\" on EMPLOYEE(EMP_NO)", nullptr));
  ASSERT_ADS(AdsCloseSQLStatement(s));
  EXPECT_EQ(Names(admin, dd_object::kIndex, "EMPLOYEE"), std::vector<std::string>{"EMP_NO"});
  ASSERT_ADS(AdsOpenTable(admin, "EMPLOYEE", "", 0, 1, 1, 1, 0, &t));
  AdsHandle index = 0;
  ASSERT_ADS(AdsGetIndexHandle(t, "EMP_NO", &index));
  std::string expression;
  ASSERT_ADS(AdsGetIndexExpr(index, &expression));
  EXPECT_EQ(expression, "EMP_NO");
  ASSERT_ADS(AdsCloseTable(t));
}

TEST_F(Dictionary, RightsOfUsersAndGroups) {
  MakeEmployee();
  ASSERT_ADS(AdsDDCreateUser(admin, "", "UTC", "qzn507", "ZAZA USER"));
  ASSERT_ADS(AdsDDCreateUser(admin, "STAFF", "clerk", "pw", ""));
  EXPECT_EQ(Names(admin, dd_object::kUser), (std::vector<std::string>{"ADSSYS", "UTC", "clerk"}));
  EXPECT_NE(AdsDDSetObjectAccessRights(admin, "EMPLOYEE", "readuser", "RI"), 0u);  // no such accessor
  EXPECT_NE(LastErrorText().find("readuser"), std::string::npos);
  EXPECT_NE(AdsDDSetObjectAccessRights(admin, "EMPLOYEE", "UTC", "RZ"), 0u);

  AdsHandle utc = 0, t = 0;
  ASSERT_ADS(AdsConnect60(DictPath(), 3, "UTC", "qzn507", 0, &utc));
  EXPECT_EQ(AdsOpenTable(utc, "EMPLOYEE", "", 0, 1, 1, rights_check::kCheck, 0, &t), code::kAccessDenied);
  ASSERT_ADS(AdsOpenTable(utc, "EMPLOYEE", "", 0, 1, 1, rights_check::kIgnore, 0, &t));  // rights code 2
  ASSERT_ADS(AdsCloseTable(t));
  EXPECT_NE(AdsDDCreateUser(utc, "", "X", "y", ""), 0u);  // only the administrator changes the dictionary

  ASSERT_ADS(AdsDDSetObjectAccessRights(admin, "EMPLOYEE", "UTC", "RWI"));
  ASSERT_ADS(AdsOpenTable(utc, "EMPLOYEE", "", 0, 1, 1, rights_check::kCheck, 0, &t));
  ASSERT_ADS(AdsGotoTop(t));
  ASSERT_ADS(AdsSetField(t, "NAME", Value::String("KUMAR S")));
  ASSERT_ADS(AdsWriteRecord(t));
  ASSERT_ADS(AdsAppendRecord(t));
  ASSERT_ADS(AdsSetField(t, "EMP_NO", Value::String("G1111111X")));
  ASSERT_ADS(AdsWriteRecord(t));
  EXPECT_EQ(AdsDeleteRecord(t), code::kAccessDenied);  // no D in "RWI"
  ASSERT_ADS(AdsCloseTable(t));

  // A group's rights count for its members.
  AdsHandle clerk = 0;
  ASSERT_ADS(AdsConnect60(DictPath(), 3, "clerk", "pw", 0, &clerk));
  EXPECT_EQ(AdsOpenTable(clerk, "EMPLOYEE", "", 0, 1, 1, 1, 0, &t), code::kAccessDenied);
  ASSERT_ADS(AdsDDSetObjectAccessRights(admin, "EMPLOYEE", "STAFF", "R"));
  ASSERT_ADS(AdsOpenTable(clerk, "EMPLOYEE", "", 0, 1, 1, 1, 0, &t));
  ASSERT_ADS(AdsGotoTop(t));
  EXPECT_EQ(AdsSetField(t, "NAME", Value::String("x")), 0u);
  EXPECT_EQ(AdsWriteRecord(t), code::kAccessDenied);
  AdsDisconnect(clerk);
  AdsDisconnect(utc);
}

}  // namespace
}  // namespace ace::testing
