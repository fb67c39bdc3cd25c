#include "ace/dict/dictionary.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "ace/core/error.h"
#include "common/ace_error.h"
#include "common/temp_folder.h"

namespace ace::dict {
namespace {

using Names = std::vector<std::string>;
using ace::testing::ErrorOf;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TableEntry Table(const std::string& name) { return TableEntry{name, name + ".ADT", 3, 1, "", "", ""}; }

class DictionaryTest : public ::testing::Test {
 protected:
  std::string AddPath() const { return (folder_.Path() / "ABC.add").string(); }
  Dictionary Make() const { return Dictionary::Create(AddPath(), "MOLAR3816"); }

  kv::testing::TempFolder folder_;
};

TEST_F(DictionaryTest, CreateOpenAndLogin) {
  const std::string secret = Make().EncryptionSecret();
  EXPECT_EQ(ErrorOf([&] { Make(); }).code, code::kFileExists);

  Dictionary dict = Dictionary::Open(AddPath());
  EXPECT_EQ(ErrorOf([&] { dict.EncryptionSecret(); }).code, code::kAccessDenied);  // known only after a login
  dict.Login("ADSSYS", "MOLAR3816");
  EXPECT_EQ(dict.EncryptionSecret(), secret);  // kept in the file, not made anew
  EXPECT_EQ(secret.size(), 64u);
  EXPECT_EQ(secret.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(dict.Folder(), folder_.Path().string() + "/");

  const UserEntry admin = dict.Login("ADSSYS", "MOLAR3816");
  EXPECT_EQ(admin.name, "ADSSYS");
  EXPECT_TRUE(admin.administrator);
  EXPECT_EQ(dict.Login("adssys", "MOLAR3816").name, "ADSSYS");  // user names ignore case, passwords do not

  const auto wrong = ErrorOf([&] { dict.Login("ADSSYS", "molar3816"); });
  const auto unknown = ErrorOf([&] { dict.Login("NOBODY", "MOLAR3816"); });
  EXPECT_EQ(wrong.code, code::kDictionaryLoginFailed);
  EXPECT_EQ(unknown.code, code::kDictionaryLoginFailed);
  EXPECT_NE(wrong.text.find("'ADSSYS'"), std::string::npos) << wrong.text;
  EXPECT_NE(unknown.text.find("unknown user 'NOBODY' or wrong password"), std::string::npos) << unknown.text;

  // Another dictionary gets its own secret; neither the password nor the secret's source is in the file.
  kv::testing::TempFolder other;
  EXPECT_NE(Dictionary::Create((other.Path() / "X.add").string(), "MOLAR3816").EncryptionSecret(), secret);
  dict.CreateUser("", "UTC", "qzn507", "ZAZA USER");
  const std::string bytes = ReadFile(AddPath());
  EXPECT_EQ(bytes.find("MOLAR3816"), std::string::npos);
  EXPECT_EQ(bytes.find("qzn507"), std::string::npos);
  EXPECT_EQ(dict.Login("UTC", "qzn507").description, "ZAZA USER");

  // Everything lives in the one .add file between transactions: a backup of it is complete.
  Names files;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Path()))
    files.push_back(entry.path().filename().string());
  EXPECT_EQ(files, Names{"ABC.add"});
}

TEST_F(DictionaryTest, OpenAndCreateRefuseMissingPlaces) {
  const auto missing = ErrorOf([&] { Dictionary::Open(AddPath()); });
  EXPECT_EQ(missing.code, code::kNotADictionary);
  EXPECT_NE(missing.text.find("ABC.add"), std::string::npos);
  EXPECT_EQ(ErrorOf([&] { Dictionary::Create((folder_.Path() / "NO" / "X.add").string(), "p"); }).code,
            code::kFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "NO"));
}

TEST_F(DictionaryTest, TablesRegisterFindByAnyCaseAndRemoveCompletely) {
  Dictionary dict = Make();
  const TableEntry employee{"EMPLOYEE", "EMPLOYEE.ADT", table_type::kAdt, char_type::kAnsi, "EMPLOYEE.ADI",
                            "staff", "EMPNO"};
  dict.AddTable(employee);
  dict.AddTable(Table("PAYPARA1"));
  EXPECT_EQ(dict.FindTable("employee"), employee);
  EXPECT_EQ(dict.FindTable("EMPLOYEE.ADT"), std::nullopt);
  ASSERT_EQ(dict.Tables().size(), 2u);
  EXPECT_EQ(dict.Tables()[1], Table("PAYPARA1"));
  EXPECT_EQ(ErrorOf([&] { dict.AddTable(Table("Employee")); }).code, code::kObjectExists);
  EXPECT_EQ(ErrorOf([&] { dict.AddTable(TableEntry{"T", "T.ADT", 4, 1, "", "", ""}); }).code,
            code::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { dict.AddTable(TableEntry{"T", "T.ADT", 3, 3, "", "", ""}); }).code,
            code::kInvalidArgument);

  // Everything hanging on the table goes with it: registered again, it starts bare.
  dict.CreateUser("", "UTC", "qzn507", "ZAZA USER");
  dict.SetTableProperty("EMPLOYEE", kPropertyEncrypted, 1);
  dict.AddIndex("EMPLOYEE", IndexEntry{"EMPNO", "EMPNO", 2, ""});
  dict.SetRights("EMPLOYEE", "UTC", "RWI");
  dict.RemoveTable("employee");
  EXPECT_EQ(dict.FindTable("EMPLOYEE"), std::nullopt);
  EXPECT_EQ(dict.FindObjects(kind::kTable), Names{"PAYPARA1"});
  EXPECT_EQ(ErrorOf([&] { dict.RemoveTable("EMPLOYEE"); }).code, code::kObjectNotFound);
  dict.AddTable(Table("EMPLOYEE"));
  EXPECT_EQ(dict.GetTableProperty("EMPLOYEE", kPropertyEncrypted), 0);
  EXPECT_TRUE(dict.Indexes("EMPLOYEE").empty());
  EXPECT_EQ(dict.Rights("EMPLOYEE", "UTC"), "");
  EXPECT_FALSE(dict.HasRight("UTC", "EMPLOYEE", 'R'));
}

TEST_F(DictionaryTest, NameWithExtensionIsReRegisteredUnderItsBareName) {
  Dictionary dict = Make();
  dict.AddTable(Table("Employee.adt"));
  for (const std::string& name : dict.FindObjects(kind::kTable)) {
    dict.RemoveTable("EMPLOYEE.ADT");
    dict.AddTable(TableEntry{"EMPLOYEE", "EMPLOYEE.ADT", 3, 1, "", "", ""});
    EXPECT_EQ(name, "Employee.adt");
  }
  EXPECT_EQ(dict.FindObjects(kind::kTable), Names{"EMPLOYEE"});
  EXPECT_EQ(dict.FindTable("EMPLOYEE")->file, "EMPLOYEE.ADT");
}

TEST_F(DictionaryTest, TableProperties) {
  Dictionary dict = Make();
  dict.AddTable(Table("EMPLOYEE"));
  for (std::uint16_t property : {kPropertyAutoCreate, kPropertyEncrypted}) {
    SCOPED_TRACE(property);
    EXPECT_EQ(dict.GetTableProperty("EMPLOYEE", property), 0);
    dict.SetTableProperty("employee", property, 1);
    EXPECT_EQ(dict.GetTableProperty("EMPLOYEE", property), 1);
    EXPECT_EQ(ErrorOf([&] { dict.SetTableProperty("EMPLOYEE", property, 2); }).code, code::kBadProperty);
    EXPECT_EQ(dict.GetTableProperty("EMPLOYEE", property), 1);
  }
  dict.SetTableProperty("EMPLOYEE", kPropertyAutoCreate, 0);
  EXPECT_EQ(dict.GetTableProperty("EMPLOYEE", kPropertyAutoCreate), 0);
  EXPECT_EQ(dict.GetTableProperty("EMPLOYEE", kPropertyEncrypted), 1);  // properties are separate

  const auto unknown = ErrorOf([&] { dict.GetTableProperty("EMPLOYEE", 999); });
  EXPECT_EQ(unknown.code, code::kBadProperty);
  EXPECT_NE(unknown.text.find("999"), std::string::npos);
  EXPECT_EQ(ErrorOf([&] { dict.SetTableProperty("EMPLOYEE", 204, 1); }).code, code::kBadProperty);
  EXPECT_EQ(ErrorOf([&] { dict.SetTableProperty("NOTHERE", 203, 1); }).code, code::kObjectNotFound);
}

TEST_F(DictionaryTest, UsersGroupsAndEffectiveRights) {
  Dictionary dict = Make();
  dict.AddTable(Table("PASSDEF"));
  dict.CreateUser("PAYROLL", "ANN", "a", "clerk");   // makes the group
  dict.CreateUser("payroll", "BOB", "b", "");        // joins it
  dict.CreateUser("", "UTC", "qzn507", "ZAZA USER");
  EXPECT_EQ(dict.Groups(), (std::vector<GroupEntry>{{"PAYROLL", ""}}));
  EXPECT_EQ(dict.Login("BOB", "b").groups, Names{"PAYROLL"});
  EXPECT_EQ(dict.FindObjects(kind::kUser), (Names{"ADSSYS", "ANN", "BOB", "UTC"}));
  EXPECT_EQ(dict.FindObjects(kind::kUser, "PAYROLL"), (Names{"ANN", "BOB"}));
  EXPECT_EQ(dict.FindObjects(kind::kGroup, "UTC"), Names{});

  // A failed creation changes nothing: neither the user nor its new group.
  EXPECT_EQ(ErrorOf([&] { dict.CreateUser("NEWGROUP", "utc", "x", ""); }).code, code::kObjectExists);
  EXPECT_EQ(ErrorOf([&] { dict.CreateGroup("ANN", ""); }).code, code::kObjectExists);
  EXPECT_EQ(ErrorOf([&] { dict.CreateUser("UTC", "CAROL", "x", ""); }).code, code::kObjectExists);
  EXPECT_EQ(dict.FindObjects(kind::kGroup), Names{"PAYROLL"});
  EXPECT_EQ(dict.Users().size(), 4u);

  dict.SetRights("PASSDEF", "PAYROLL", "RWI");
  dict.SetRights("PASSDEF", "UTC", "RI");
  dict.SetRights("PASSDEF", "ANN", "D");
  EXPECT_EQ(dict.EffectiveRights("ANN", "PASSDEF"), "RWID");  // own and the group's
  EXPECT_TRUE(dict.HasRight("BOB", "passdef", 'W'));
  EXPECT_FALSE(dict.HasRight("BOB", "PASSDEF", 'D'));
  EXPECT_FALSE(dict.HasRight("UTC", "PASSDEF", 'W'));
  EXPECT_TRUE(dict.HasRight("ADSSYS", "PASSDEF", 'A'));  // granted nothing, holds everything

  dict.RemoveFromGroup("BOB", "PAYROLL");
  EXPECT_FALSE(dict.HasRight("BOB", "PASSDEF", 'R'));
  EXPECT_EQ(ErrorOf([&] { dict.RemoveFromGroup("BOB", "PAYROLL"); }).code, code::kObjectNotFound);
  dict.CreateGroup("AUDIT", "auditors");
  dict.AddToGroup("BOB", "AUDIT");
  dict.AddToGroup("BOB", "PAYROLL");
  EXPECT_EQ(dict.FindObjects(kind::kGroup, "BOB"), (Names{"PAYROLL", "AUDIT"}));
  EXPECT_TRUE(dict.HasRight("BOB", "PASSDEF", 'W'));

  dict.SetRights("PASSDEF", "PAYROLL", "R");  // replaces, does not add
  EXPECT_EQ(dict.Rights("PASSDEF", "PAYROLL"), "R");
  dict.SetRights("PASSDEF", "PAYROLL", "");
  EXPECT_EQ(dict.Rights("PASSDEF", "PAYROLL"), "");
  EXPECT_FALSE(dict.HasRight("BOB", "PASSDEF", 'R'));
}

TEST_F(DictionaryTest, RightsTexts) {
  Dictionary dict = Make();
  dict.AddTable(Table("GTABLE"));
  dict.AddProcedure(ProcedureEntry{"eQuillon", "...\\eQuillon.aep", "ProcessTiming", "company CHAR(255)", "", ""});
  dict.CreateUser("", "UTC", "qzn507", "ZAZA USER");

  const std::vector<std::pair<std::string, std::string>> accepted = {
      {"RI", "RI"}, {"RWI", "RWI"}, {"rwida", "RWIDA"}, {"IRRW", "RWI"}, {"ADIWR", "RWIDA"}};
  for (const auto& [text, stored] : accepted) {
    dict.SetRights("GTABLE", "UTC", text);
    EXPECT_EQ(dict.Rights("GTABLE", "UTC"), stored) << text;
  }

  dict.SetRights("GTABLE", "UTC", "RI");
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"GTABLE", "RZ"}, {"GTABLE", "R W"}, {"GTABLE", "X"}, {"GTABLE", "R,I"}, {"eQuillon", "R"}};
  for (const auto& [object, text] : refused) {
    const auto error = ErrorOf([&] { dict.SetRights(object, "UTC", text); });
    EXPECT_EQ(error.code, code::kBadRights) << text;
    EXPECT_NE(error.text.find("'" + text + "'"), std::string::npos) << error.text;
  }
  EXPECT_EQ(dict.Rights("GTABLE", "UTC"), "RI");  // refused texts changed nothing
  EXPECT_EQ(ErrorOf([&] { dict.HasRight("UTC", "GTABLE", 'Q'); }).code, code::kBadRights);
  EXPECT_EQ(ErrorOf([&] { dict.HasRight("UTC", "GTABLE", 'X'); }).code, code::kBadRights);

  dict.SetRights("equillon", "UTC", "x");
  EXPECT_TRUE(dict.HasRight("UTC", "eQuillon", 'X'));
}

TEST_F(DictionaryTest, RightsNameTheMissingAccessorOrObject) {
  Dictionary dict = Make();
  dict.AddTable(Table("INTPASS"));
  dict.CreateUser("", "UTC", "qzn507", "ZAZA USER");
  const auto accessor = ErrorOf([&] { dict.SetRights("INTPASS", "readuser", "RI"); });
  EXPECT_EQ(accessor.code, code::kObjectNotFound);
  EXPECT_NE(accessor.text.find("'readuser'"), std::string::npos) << accessor.text;
  const auto object = ErrorOf([&] { dict.SetRights("NOTABLE", "UTC", "RI"); });
  EXPECT_EQ(object.code, code::kObjectNotFound);
  EXPECT_NE(object.text.find("'NOTABLE'"), std::string::npos) << object.text;
  EXPECT_EQ(ErrorOf([&] { dict.HasRight("NOBODY", "INTPASS", 'R'); }).code, code::kObjectNotFound);
  dict.CreateGroup("STAFF", "");
  EXPECT_EQ(ErrorOf([&] { dict.HasRight("STAFF", "INTPASS", 'R'); }).code, code::kObjectNotFound);
}

TEST_F(DictionaryTest, IndexesUnderATable) {
  Dictionary dict = Make();
  dict.AddTable(TableEntry{"RPTRX", "RPTRX.ADT", 3, 1, "", "", "PAYCODE"});
  dict.AddTable(Table("EMPTY"));
  dict.AddIndex("rptrx", IndexEntry{"PAYCODE", "EMPCODE;PAYCODE;PERIOD;CYCLE", 2, "RPTRX.ADI"});
  dict.AddIndex("RPTRX", IndexEntry{"  SCHEME_CODE2", "SCHEME_CODE;CLAIM_CODE", 3, "RPTRX.ADI"});
  EXPECT_EQ(dict.FindObjects(kind::kIndex, "RPTRX"), (Names{"PAYCODE", "  SCHEME_CODE2"}));
  EXPECT_EQ(dict.Indexes("RPTRX")[1], (IndexEntry{"  SCHEME_CODE2", "SCHEME_CODE;CLAIM_CODE", 3, "RPTRX.ADI"}));
  EXPECT_EQ(dict.FindObjects(kind::kIndex, "EMPTY"), Names{});
  EXPECT_EQ(ErrorOf([&] { dict.AddIndex("RPTRX", IndexEntry{"paycode", "X", 0, ""}); }).code, code::kIndexExists);

  for (const std::string& tag : dict.FindObjects(kind::kIndex, "RPTRX")) dict.RemoveIndex("RPTRX", tag);
  EXPECT_EQ(dict.FindObjects(kind::kIndex, "RPTRX"), Names{});
  EXPECT_EQ(dict.FindTable("RPTRX")->defaultIndex, "");  // the default tag went with it
  EXPECT_EQ(ErrorOf([&] { dict.RemoveIndex("RPTRX", "PAYCODE"); }).code, code::kIndexNotFound);
  EXPECT_EQ(ErrorOf([&] { dict.AddIndex("NOTHERE", IndexEntry{"A", "A", 0, ""}); }).code, code::kObjectNotFound);
}

TEST_F(DictionaryTest, ObjectSearchesByKind) {
  Dictionary dict = Make();
  // A new dictionary: no tables, groups or procedures (the call layer answers 5137 on the first call).
  EXPECT_EQ(dict.FindObjects(kind::kTable), Names{});
  EXPECT_EQ(dict.FindObjects(kind::kGroup), Names{});
  EXPECT_EQ(dict.FindObjects(kind::kProcedure), Names{});
  EXPECT_EQ(dict.FindObjects(kind::kUser), Names{"ADSSYS"});

  const std::string longest(kMaxNameLength, 'T');
  dict.AddTable(Table("GLPARA"));
  dict.AddTable(Table(longest));
  EXPECT_EQ(ErrorOf([&] { dict.AddTable(Table(longest + "T")); }).code, code::kInvalidArgument);
  dict.AddProcedure(ProcedureEntry{"eQuillon", "...\\eQuillon.aep", "ProcessTiming", "company CHAR(255)",
                                   "err_no CHAR(12)", ""});
  EXPECT_EQ(dict.FindObjects(kind::kTable), (Names{"GLPARA", longest}));
  EXPECT_EQ(dict.FindObjects(kind::kProcedure), Names{"eQuillon"});

  const std::vector<std::tuple<std::uint16_t, std::string, ResultCode>> errors = {
      {kind::kIndex, "", code::kInvalidArgument},        // indexes need their table
      {kind::kIndex, "NOTHERE", code::kObjectNotFound},
      {kind::kTable, "GLPARA", code::kInvalidArgument},  // tables have no parent
      {kind::kUser, "NOGROUP", code::kObjectNotFound},
      {7, "", code::kInvalidArgument},
  };
  for (const auto& [objectKind, parent, expected] : errors)
    EXPECT_EQ(ErrorOf([&] { dict.FindObjects(objectKind, parent); }).code, expected) << objectKind << parent;
}

TEST_F(DictionaryTest, Procedures) {
  Dictionary dict = Make();
  const ProcedureEntry eq{"eQuillon", "...\\eQuillon.aep", "ProcessTiming",
                          "company CHAR(255), dd CHAR(2), mm CHAR(2), yy CHAR(4), p_no CHAR(15), emp_no CHAR(12)",
                          "err_no CHAR(12)", ""};
  dict.AddProcedure(eq);
  EXPECT_EQ(dict.FindProcedure("EQUILLON"), eq);
  EXPECT_EQ(dict.Procedures(), std::vector<ProcedureEntry>{eq});
  EXPECT_EQ(ErrorOf([&] { dict.AddProcedure(eq); }).code, code::kObjectExists);
  EXPECT_EQ(ErrorOf([&] { dict.AddTable(Table("EQUILLON")); }).code, code::kObjectExists);
  EXPECT_EQ(dict.FindTable("eQuillon"), std::nullopt);  // a procedure is not a table
  EXPECT_EQ(ErrorOf([&] { dict.RemoveTable("eQuillon"); }).code, code::kObjectNotFound);

  dict.CreateUser("", "UTC", "qzn507", "");
  dict.SetRights("eQuillon", "UTC", "X");
  dict.DropProcedure("equillon");
  EXPECT_EQ(dict.FindObjects(kind::kProcedure), Names{});
  EXPECT_EQ(ErrorOf([&] { dict.DropProcedure("eQuillon"); }).code, code::kObjectNotFound);
  dict.AddProcedure(eq);
  EXPECT_EQ(dict.Rights("eQuillon", "UTC"), "");  // the old grant went with the drop
}

TEST_F(DictionaryTest, TwoHandlesSeeEachOthersChanges) {
  Dictionary first = Make();
  Dictionary second = Dictionary::Open(AddPath());
  EXPECT_EQ(second.FindObjects(kind::kTable), Names{});
  first.AddTable(Table("EMPLOYEE"));
  EXPECT_TRUE(second.FindTable("EMPLOYEE").has_value());
  second.SetTableProperty("EMPLOYEE", kPropertyAutoCreate, 1);
  EXPECT_EQ(first.GetTableProperty("EMPLOYEE", kPropertyAutoCreate), 1);
  second.Login("ADSSYS", "MOLAR3816");  // a new user's key slot needs the secret
  second.CreateUser("", "UTC", "qzn507", "");
  EXPECT_EQ(first.Login("UTC", "qzn507").name, "UTC");
  first.RemoveTable("EMPLOYEE");
  EXPECT_EQ(second.FindObjects(kind::kTable), Names{});
}

// Runs body in a child process with a handle of its own; the child's exit code tells whether it succeeded.
pid_t InChild(const std::function<void()>& body) {
  const pid_t pid = fork();
  if (pid == 0) {
    int status = 0;
    try {
      body();
    } catch (...) {
      status = 1;
    }
    _exit(status);
  }
  return pid;
}

int ExitCodeOf(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST_F(DictionaryTest, ChangesOfOtherProcessesAreSeenAtOnce) {
  Dictionary parent = Make();
  parent.AddTable(Table("SEEN"));
  const pid_t child = InChild([&] {
    Dictionary own = Dictionary::Open(AddPath());
    own.AddTable(Table("FROMCHILD"));
    own.Login("ADSSYS", "MOLAR3816");
    own.CreateUser("STAFF", "KAVENPAY8", "pw", "");
    own.SetRights("FROMCHILD", "STAFF", "RWI");
  });
  ASSERT_EQ(ExitCodeOf(child), 0);
  EXPECT_EQ(parent.FindObjects(kind::kTable), (Names{"SEEN", "FROMCHILD"}));
  EXPECT_TRUE(parent.HasRight("KAVENPAY8", "FROMCHILD", 'W'));

  // Two writers at once queue on the file's lock rather than fail.
  constexpr int kEach = 25;
  std::vector<pid_t> writers;
  for (const std::string prefix : {"A", "B"}) {
    writers.push_back(InChild([&, prefix] {
      Dictionary own = Dictionary::Open(AddPath());
      for (int i = 0; i < kEach; ++i) own.AddTable(Table(prefix + std::to_string(i)));
    }));
  }
  for (pid_t writer : writers) EXPECT_EQ(ExitCodeOf(writer), 0);
  EXPECT_EQ(parent.Tables().size(), 2u + 2 * kEach);
}

TEST_F(DictionaryTest, DamagedOrForeignFilesAreRefusedWithAClearText) {
  {
    Dictionary dict = Make();
    for (int i = 0; i < 60; ++i)
      dict.AddTable(TableEntry{"T" + std::to_string(i), "T.ADT", 3, 1, "", std::string(300, 'c'), ""});
  }
  const std::string good = ReadFile(AddPath());
  ASSERT_GT(good.size(), 16384u);
  std::string garbage(8192, '\0');
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 7919 + 13) % 251);
  std::string badHeader = good;
  badHeader.replace(0, 16, "NOT SQLITE HERE!");

  const std::vector<std::tuple<std::string, std::string, ResultCode>> cases = {
      {"garbage", garbage, code::kDictionaryDamaged},
      {"header overwritten", badHeader, code::kDictionaryDamaged},
      {"truncated to half", good.substr(0, good.size() / 2), code::kDictionaryDamaged},
      {"truncated inside the header", good.substr(0, 60), code::kDictionaryDamaged},
      {"empty file", "", code::kNotADictionary},
  };
  for (const auto& [what, content, expected] : cases) {
    SCOPED_TRACE(what);
    folder_.Write("ABC.add", content);
    const auto error = ErrorOf([&] { Dictionary::Open(AddPath()); });
    EXPECT_EQ(error.code, expected) << error.text;
    EXPECT_NE(error.text.find("ABC.add"), std::string::npos) << error.text;
  }

  // An SQLite file of some other program is not a dictionary.
  std::filesystem::remove(AddPath());
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(AddPath().c_str(), &other), SQLITE_OK);
  sqlite3_exec(other, "CREATE TABLE notes(text TEXT)", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(ErrorOf([&] { Dictionary::Open(AddPath()); }).code, code::kNotADictionary);

  // Damage that appears while a handle is open is caught on its next use.
  std::filesystem::remove(AddPath());
  Dictionary dict = Make();
  folder_.Write("ABC.add", garbage);
  EXPECT_EQ(ErrorOf([&] { dict.Tables(); }).code, code::kDictionaryDamaged);
}

}  // namespace
}  // namespace ace::dict
