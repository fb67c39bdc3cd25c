#include "app/adsql/shell.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/temp_folder.h"

namespace kv::adsql {
namespace {

struct Result {
  int exit;
  std::string out, err;
};

Result RunShell(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int exit = Main(args, out, err);
  return {exit, out.str(), err.str()};
}

TEST(Adsql, MetaCommandsCreateFillShowAndDumpTables) {
  testing::TempFolder dir;
  const std::string path = dir.Path().string();
  ASSERT_EQ(RunShell({path, "-e", ".create EMP EMPCODE,Char,8;NAME,Char,20;PAY,CurDouble,2;"}).exit, 0);
  // Rows through the engine calls; the shell shows them.
  {
    ace::AdsHandle c = 0, t = 0;
    ASSERT_EQ(ace::AdsConnect60(path, 3, "", "", 0, &c), 0u);
    ASSERT_EQ(ace::AdsOpenTable(c, "EMP", "", 3, 1, 1, 1, 0, &t), 0u);
    for (const auto& [code, name] : std::vector<std::pair<std::string, std::string>>{{"E2", "Lim"}, {"E1", "Tan Ah Kow"}}) {
      ace::AdsAppendRecord(t);
      ace::AdsSetField(t, "EMPCODE", ace::Value::String(code));
      ace::AdsSetField(t, "NAME", ace::Value::String(name));
      ace::AdsSetField(t, "PAY", ace::Value::Double(1234.5));
      ace::AdsWriteRecord(t);
    }
    ace::AdsDisconnect(c);
  }
  const Result r = RunShell({path, "-e", ".index EMP BYCODE EMPCODE unique", "-e", ".dump EMP BYCODE", "-e", ".dump emp",
                        "-e", ".count EMP", "-e", ".indexes EMP", "-e", ".schema EMP", "-e", ".tables"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out,
            "indexed EMP by BYCODE\n"
            "EMPCODE\tNAME\tPAY\nE1\tTan Ah Kow\t1234.5\nE2\tLim\t1234.5\n"
            "EMPCODE\tNAME\tPAY\nE2\tLim\t1234.5\nE1\tTan Ah Kow\t1234.5\n"
            "COUNT\n2\n"
            "TAG\tKEY\tUNIQUE\tDESCENDING\nBYCODE\tEMPCODE\tyes\tno\n"
            "FIELD\tTYPE\tLENGTH\tDECIMALS\nEMPCODE\tChar\t9\t0\nNAME\tChar\t21\t0\nPAY\tCurDouble\t8\t2\n"
            "-- encrypted: no\n"
            "TABLE\nEMP\n");
}

TEST(Adsql, PasswordsEncryptionAndErrors) {
  testing::TempFolder dir;
  const std::string path = dir.Path().string();
  ASSERT_EQ(RunShell({path, "-e", ".create T A,Char,4;"}).exit, 0);
  {
    ace::AdsHandle c = 0, t = 0;
    ASSERT_EQ(ace::AdsConnect60(path, 3, "", "", 0, &c), 0u);
    ASSERT_EQ(ace::AdsOpenTable(c, "T", "", 3, 1, 1, 1, 0, &t), 0u);
    ace::AdsAppendRecord(t);
    ace::AdsSetField(t, "A", ace::Value::String("pay"));
    ace::AdsWriteRecord(t);
    ace::AdsDisconnect(c);
  }
  ASSERT_EQ(RunShell({path, "-e", ".password T secret", "-e", ".encrypt T"}).exit, 0);
  const Result locked = RunShell({path, "-e", ".schema T", "-e", ".dump T"});
  EXPECT_NE(locked.out.find("-- encrypted: yes"), std::string::npos);
  EXPECT_EQ(locked.exit, 1);  // the schema shows, the records do not without the password
  EXPECT_NE(locked.err.find("adsql: error 5060"), std::string::npos) << locked.err;
  EXPECT_EQ(RunShell({path, "-e", ".password T secret", "-e", ".dump T"}).out, "A\npay\n");
  const Result wrong = RunShell({path, "-e", ".password T nope", "-e", ".count T"});
  EXPECT_EQ(wrong.exit, 1);
  EXPECT_NE(wrong.err.find("5061"), std::string::npos);
  const Result stopped = RunShell({path, "-e", ".dump MISSING", "-e", ".tables"});
  EXPECT_EQ(stopped.exit, 1);
  EXPECT_EQ(stopped.out, "");  // nothing after the first error runs
  EXPECT_NE(stopped.err.find("MISSING"), std::string::npos);
  EXPECT_EQ(RunShell({}).exit, 2);
  EXPECT_EQ(RunShell({path, "-x"}).exit, 2);
  EXPECT_EQ(RunShell({path + "/nowhere", "-e", ".tables"}).exit, 1);
}

TEST(Adsql, DictionaryCommands) {
  testing::TempFolder dir;
  const std::string dict = (dir.Path() / "ABC.add").string();
  ASSERT_EQ(RunShell({dir.Path().string(), "-e", ".newdict " + dict + " MOLAR3816"}).exit, 0);
  ASSERT_EQ(RunShell({dir.Path().string(), "-e", ".create LOOSE A,Char,2;"}).exit, 0);
  const std::vector<std::string> login = {dict, "-u", "ADSSYS", "-p", "MOLAR3816"};
  auto with = [&](std::vector<std::string> commands) {
    std::vector<std::string> args = login;
    for (auto& c : commands) args.insert(args.end(), {"-e", c});
    return RunShell(args);
  };
  const Result r = with({".create EMPLOYEE EMP_NO,Char,10;", ".register LOOSE LOOSE.ADT", ".tables", ".users",
                         ".property EMPLOYEE 214 1", ".property EMPLOYEE 203", ".unregister LOOSE", ".tables"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out,
            "created EMPLOYEE\nregistered LOOSE\nTABLE\nEMPLOYEE\nLOOSE\nUSER\nADSSYS\n"
            "PROPERTY\tVALUE\n214\t1\nPROPERTY\tVALUE\n203\t0\nunregistered LOOSE\nTABLE\nEMPLOYEE\n");
  {
    ace::AdsHandle c = 0;
    ASSERT_EQ(ace::AdsConnect60(dict, 3, "ADSSYS", "MOLAR3816", 0, &c), 0u);
    ASSERT_EQ(ace::AdsDDCreateUser(c, "", "UTC", "qzn507", "ZAZA USER"), 0u);
    ASSERT_EQ(ace::AdsDDSetObjectAccessRights(c, "EMPLOYEE", "UTC", "RWI"), 0u);
    ace::AdsDisconnect(c);
  }
  EXPECT_EQ(with({".rights EMPLOYEE"}).out, "ACCESSOR\tRIGHTS\nUTC\tRWI\n");
  EXPECT_EQ(with({".property EMPLOYEE x"}).exit, 1);
  EXPECT_EQ(RunShell({dict, "-u", "ADSSYS", "-p", "bad", "-e", ".tables"}).exit, 1);
  EXPECT_EQ(RunShell({dir.Path().string(), "-e", ".users"}).exit, 1);  // not a dictionary
}

TEST(Adsql, StatementsPrintResultsAndCounts) {
  testing::TempFolder dir;
  const std::string path = dir.Path().string();
  dir.Write("script.sql",
            "-- a payroll table\n"
            ".create PAY EMP,Char,6;AMT,CurDouble,2;\n"
            "INSERT INTO PAY (EMP, AMT) VALUES ('E1', 100);\n"
            "INSERT INTO PAY (EMP, AMT)\n  VALUES (:who, 250.5);\n"
            "UPDATE PAY SET AMT = AMT + 1 WHERE EMP = :WHO;\n"
            "SELECT EMP, AMT FROM PAY ORDER BY AMT DESC;\n");
  const Result r = RunShell({path, "-P", "who=E2", "-f", (dir.Path() / "script.sql").string(), "-e",
                             "SELECT COUNT(*) AS N FROM PAY WHERE AMT > 200"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out, "created PAY\n1 rows affected\n1 rows affected\n1 rows affected\nEMP\tAMT\nE2\t251.5\nE1\t100\nN\n1\n");
  const Result bad = RunShell({path, "-e", "SELECT NOPE FROM PAY", "-e", ".tables"});
  EXPECT_EQ(bad.exit, 1);
  EXPECT_NE(bad.err.find("NOPE"), std::string::npos) << bad.err;
  EXPECT_EQ(bad.out, "");
}

TEST(Adsql, ScriptsSplitIntoMetaCommandsAndStatements) {
  const auto commands = SplitScript(
      "-- a comment\r\n.tables\nUPDATE T SET A = 1\n  WHERE B = 2;\n\n.count T\nDELETE FROM T");
  EXPECT_EQ(commands, (std::vector<std::string>{".tables", "UPDATE T SET A = 1\n  WHERE B = 2;", ".count T",
                                                "DELETE FROM T"}));
}

}  // namespace
}  // namespace kv::adsql
