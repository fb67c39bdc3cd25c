#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "engine_fixture.h"

namespace kv::engine::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using FT = TFieldType;

std::string FileBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class Tables : public FreeTables {
 protected:
  void SetUp() override {
    FreeTables::SetUp();
    table.SetAdsConnection(&connection);
  }
  // The values of one field over the dataset, first to last.
  static std::vector<std::string> Column(TAdsDataSet& ds, const std::string& field) {
    std::vector<std::string> values;
    for (ds.First(); !ds.Eof(); ds.Next()) values.push_back(ds.FieldByName(field).AsString());
    return values;
  }
  void AddRow(TAdsDataSet& ds, const std::string& code, const std::string& period) {
    ds.Append();
    ds.FieldByName("EMPCODE").SetAsString(code);
    ds.FieldByName("PPERIOD").SetAsString(period);
    ds.Post();
  }
  void MakeCpfTrx() {
    MakeTable("CPFTRX", [](TFieldDefs& f) {
      f.Add("EMPCODE", FT::ftString, 10);
      f.Add("PPERIOD", FT::ftString, 6);
      f.Add("CPFEE", FT::ftFloat);
    }, {{"EMPCODE", "EMPCODE;PPERIOD", true}});
  }
  TAdsTable table;
};

TEST_F(Tables, ExistsLooksForTheFileWithoutAskingTheEngine) {
  struct Case {
    const char* name;
    const char* onDisk;
    bool exists;
    TAdsTableTypes type = TAdsTableTypes::ttAdsADT;
  };
  const Case cases[] = {
      {"CPFTRX", "CPFTRX.adt", true},
      {"CPFTRX", "cpftrx.ADT", true},  // the suite's names match without regard to case
      {"CPFTRX", "CPFTRX", false},     // a name without extension means the .adt file
      {"mcompany.ADT", "mcompany.ADT", true},
      {"mcompany.ADT", "mcompany.ADT.adt", false},  // a name with extension is looked for unchanged
      {"", "x.adt", false},
      {"CPFTRX", "CPFTRX.adt", true, TAdsTableTypes::ttAdsDefault},  // the default type is ADT
      {"CPFTRX", "CPFTRX.adt", false, TAdsTableTypes::ttAdsCDX},
      {"CPFTRX", "CPFTRX.dbf", true, TAdsTableTypes::ttAdsNTX},
  };
  for (const Case& c : cases) {
    kv::testing::TempFolder folder;
    folder.Write(c.onDisk, "x");
    TAdsConnection conn;
    conn.SetConnectPath(folder.SuitePath());
    TAdsTable t;
    t.SetAdsConnection(&conn);
    t.SetTableName(c.name);
    t.SetTableType(c.type);
    bool exists = false;
    const auto trace = Traced([&] { exists = t.Exists(); });
    EXPECT_EQ(exists, c.exists) << c.name << " with " << c.onDisk;
    EXPECT_TRUE(trace.empty()) << c.name;
  }
  // Without a table folder there is no file to look for: the answer is false, not a refusal.
  TAdsConnection pathless;
  TAdsTable loose, onPathless, byUnknownName;
  onPathless.SetAdsConnection(&pathless);
  byUnknownName.SetDatabaseName("AdsConnectionX");
  for (TAdsTable* t : {&loose, &onPathless, &byUnknownName}) {
    t->SetTableName("CPFTRX");
    bool exists = true;
    const auto trace = Traced([&] { EXPECT_NO_THROW(exists = t->Exists()); });
    EXPECT_FALSE(exists);
    EXPECT_TRUE(trace.empty());
  }
}

TEST_F(Tables, ExistsIsTrueForAnOpenTableWithoutLookingAtTheDisk) {
  MakeCpfTrx();
  table.SetTableName("CPFTRX");
  table.Open();
  ASSERT_TRUE(std::filesystem::remove(dir.Path() / "CPFTRX.ADT"));  // the open handle keeps the table alive
  EXPECT_TRUE(table.Exists());
  table.Close();
  EXPECT_FALSE(table.Exists());
}

TEST(FieldDefinitions, WordsFollowTheTableType) {
  struct Case {
    FT type;
    int size;
    const char* adt;
    const char* cdx;  // nullptr: unsupported there, with the type's message
  };
  const Case cases[] = {
      {FT::ftString, 6, "Char,6;", "Char,6;"},       {FT::ftSmallint, 0, "ShortInt;", "Num,6,0;"},
      {FT::ftWord, 0, "ShortInt;", "Num,6,0;"},      {FT::ftInteger, 0, "Integer;", "Num,11,0;"},
      {FT::ftBoolean, 0, "Logical;", "Logical;"},    {FT::ftFloat, 0, "Double,6;", "Num,20,4;"},
      {FT::ftCurrency, 0, "CurDouble,6;", nullptr},  {FT::ftDate, 0, "Date;", "Date;"},
      {FT::ftTime, 0, "Time;", nullptr},             {FT::ftDateTime, 0, "TimeStamp;", nullptr},
      {FT::ftBytes, 4, "Raw,4;", "Char,4;"},         {FT::ftVarBytes, 0, "Binary;", "Binary;"},
      {FT::ftBlob, 0, "Binary;", "Binary;"},         {FT::ftTypedBinary, 0, "Binary;", "Binary;"},
      {FT::ftAutoInc, 0, "AutoInc;", nullptr},       {FT::ftMemo, 0, "Memo;", "Memo;"},
      {FT::ftFmtMemo, 0, "Memo;", "Memo;"},          {FT::ftGraphic, 0, "Image;", "Image;"},
      {FT::ftLargeint, 0, "", ""},
  };
  for (const Case& c : cases) {
    std::string word, error;
    EXPECT_TRUE(FieldWord(c.type, c.size, TAdsTableTypes::ttAdsADT, word, error)) << FieldTypeName(c.type);
    EXPECT_EQ(word, c.adt) << FieldTypeName(c.type);
    for (auto other : {TAdsTableTypes::ttAdsCDX, TAdsTableTypes::ttAdsNTX}) {
      error.clear();
      const bool ok = FieldWord(c.type, c.size, other, word, error);
      EXPECT_EQ(ok, c.cdx != nullptr) << FieldTypeName(c.type);
      if (c.cdx) EXPECT_EQ(word, c.cdx) << FieldTypeName(c.type);
      else EXPECT_EQ(error, std::string(FieldTypeName(c.type)) + " is not a supported field type.");
    }
  }
  for (FT unsupported : {FT::ftBCD, FT::ftParadoxOle, FT::ftDBaseOle, FT::ftUnknown}) {
    std::string word, error;
    EXPECT_FALSE(FieldWord(unsupported, 0, TAdsTableTypes::ttAdsADT, word, error));
    EXPECT_EQ(error, std::string(FieldTypeName(unsupported)) + " is not a supported field type.");
  }
}

TEST(IndexOptions, BitsAndKeyFollowTheTableType) {
  using O = TIndexOption;
  using TT = TAdsTableTypes;
  struct Case {
    TT type;
    TIndexOptions options;
    const char* key;
    std::uint32_t bits;
    const char* sent;
  };
  const Case cases[] = {
      {TT::ttAdsADT, {O::ixExpression}, "PPERIOD;EMPCODE", 2, "PPERIOD;EMPCODE"},
      {TT::ttAdsADT, {O::ixUnique, O::ixDescending, O::ixExpression}, "A;B", 11, "A;B"},
      {TT::ttAdsADT, {O::ixCaseInsensitive}, "NAME;ID", 2, "UPPER(NAME);ID"},
      {TT::ttAdsADT, {O::ixExpression}, "BANKCODE,CURR_CODE", 2, "BANKCODE,CURR_CODE"},  // passed unchanged
      {TT::ttAdsDefault, {O::ixUnique, O::ixExpression}, "A;B", 3, "A;B"},  // the default type is ADT
      {TT::ttAdsDefault, {O::ixCaseInsensitive}, "ID;NAME", 2, "ID;UPPER(NAME)"},
      {TT::ttAdsCDX, {O::ixExpression}, "A;B;C", 2, "A+B+C"},
      {TT::ttAdsCDX, {O::ixUnique, O::ixDescending}, "A;B", 11, "A+B"},
      {TT::ttAdsCDX, {O::ixCaseInsensitive}, "NAME;ID", 2, "UPPER(NAME)+ID"},
      {TT::ttAdsNTX, {O::ixExpression}, "A;B", 0, "A+B"},  // an NTX index is a file of its own
      {TT::ttAdsNTX, {O::ixUnique}, "A", 1, "A"},
      {TT::ttAdsNTX, {O::ixDescending, O::ixCaseInsensitive}, "ID;NAME", 8, "ID+UPPER(NAME)"},
  };
  const auto isChar = [](const std::string& field) { return field == "NAME"; };
  for (const Case& c : cases) {
    EXPECT_EQ(IndexOptionBits(c.options, c.type), c.bits) << c.key << " on type " << TableTypeCode(c.type);
    EXPECT_EQ(IndexKeyText(c.key, c.options, c.type, isChar), c.sent) << c.key << " on type " << TableTypeCode(c.type);
  }
}

TEST_F(Tables, CreateTableSendsTheFieldStringAndStaysClosed) {
  table.SetTableName("CPFTRX");
  table.SetExclusive(true);
  table.FieldDefs.Add("PPERIOD", FT::ftString, 6);
  table.FieldDefs.Add("CPFEE", FT::ftFloat);
  table.FieldDefs.Add("CPFER", FT::ftFloat);
  const auto trace = Traced([&] { table.CreateTable(); });
  const auto create = CallsOf(trace, "AdsCreateTable");
  ASSERT_EQ(create.size(), 1u);
  EXPECT_THAT(create[0], HasSubstr("\"" + Folder() + "\\CPFTRX\", \"\", 3, 1, 1, 1, 0, "
                                   "\"PPERIOD,Char,6;CPFEE,Double,6;CPFER,Double,6;\")"));
  EXPECT_EQ(CallNames(trace).back(), "AdsCloseTable");
  EXPECT_FALSE(table.Active());
  EXPECT_TRUE(table.Exists());
  table.Open();
  EXPECT_EQ(table.Fields().size(), 3u);
  EXPECT_EQ(table.FieldByName("pperiod").Size(), 6);
  EXPECT_EQ(table.FieldByName("CPFEE").DataType(), FT::ftFloat);
}

TEST_F(Tables, CreateTableMakesItsIndexDefsOnTheNewHandleAndClosesItAlsoWhenOneFails) {
  using O = TIndexOption;
  connection.Connect();
  table.SetTableName("EMPLEAVE");
  table.FieldDefs.Add("EMPCODE", FT::ftString, 10);
  table.FieldDefs.Add("ID", FT::ftInteger);
  table.IndexDefs.Add("PK", "EMPCODE;ID", {O::ixUnique, O::ixExpression});
  table.IndexDefs.Add("NOCASE", "EMPCODE;ID", {O::ixCaseInsensitive});  // AddIndex's rules apply
  auto trace = Traced([&] { table.CreateTable(); });
  auto names = CallNames(trace);
  std::erase(names, "AdsGetFieldType");
  EXPECT_THAT(names, ElementsAre("AdsCreateTable", "AdsCreateIndex61", "AdsCreateIndex61", "AdsCloseTable"));
  const std::string handle = CallsOf(trace, "AdsCloseTable").at(0).substr(std::string("AdsCloseTable").size());
  const std::string onNewHandle = "AdsCreateIndex61" + handle.substr(0, handle.size() - 1) + ", ";
  EXPECT_THAT(CallsOf(trace, "AdsCreateIndex61"),
              ElementsAre(onNewHandle + "\"\", \"PK\", \"EMPCODE;ID\", \"\", \"\", 3, 512)",
                          onNewHandle + "\"\", \"NOCASE\", \"UPPER(EMPCODE);ID\", \"\", \"\", 2, 512)"));
  EXPECT_FALSE(table.Active());
  table.UpdateIndexDefs();
  ASSERT_EQ(table.IndexDefs.Count(), 2u);
  EXPECT_EQ(table.IndexDefs[1].Fields, "UPPER(EMPCODE);ID");

  // An index that fails stops the rest, and the new handle is closed all the same.
  TAdsTable broken;
  broken.SetAdsConnection(&connection);
  broken.SetTableName("BROKEN");
  broken.FieldDefs.Add("CODE", FT::ftString, 4);
  broken.IndexDefs.Add("GOOD", "CODE", {O::ixExpression});
  broken.IndexDefs.Add("BAD", "NO_SUCH_FIELD", {O::ixExpression});
  broken.IndexDefs.Add("NEVER", "CODE", {O::ixUnique, O::ixExpression});
  ace::AdsTraceStart();
  EXPECT_THROW(broken.CreateTable(), EADSDatabaseError);
  EXPECT_THAT(CallNames(ace::AdsTraceStop()),
              ElementsAre("AdsCreateTable", "AdsCreateIndex61", "AdsCreateIndex61", "AdsCloseTable"));
  broken.SetExclusive(true);
  ASSERT_NO_THROW(broken.Open());  // nothing holds the table
  broken.UpdateIndexDefs();
  ASSERT_EQ(broken.IndexDefs.Count(), 1u);
  EXPECT_EQ(broken.IndexDefs[0].Name, "GOOD");
}

TEST_F(Tables, CurrencyIsCurDoubleOnAdtAndRefusedOnCdxBeforeAnythingIsMade) {
  table.SetTableName("PAY");
  table.FieldDefs.Add("AMOUNT", FT::ftCurrency);
  auto trace = Traced([&] { table.CreateTable(); });
  EXPECT_THAT(CallsOf(trace, "AdsCreateTable").at(0), HasSubstr("\"AMOUNT,CurDouble,6;\""));

  TAdsTable cdx;
  cdx.SetAdsConnection(&connection);
  cdx.SetTableName("PAYCDX");
  cdx.SetTableType(TAdsTableTypes::ttAdsCDX);
  cdx.FieldDefs.Add("NAME", FT::ftString, 10);
  cdx.FieldDefs.Add("AMOUNT", FT::ftCurrency);
  const auto before = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
  trace = Traced([&] {
    try {
      cdx.CreateTable();
      ADD_FAILURE() << "a currency field was made on a CDX table";
    } catch (const EADSDatabaseError& e) {
      EXPECT_EQ(std::string(e.what()), "ftCurrency is not a supported field type.");
      EXPECT_EQ(e.ACEErrorCode(), 5121u);
    }
  });
  EXPECT_TRUE(trace.empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), before);
}

TEST_F(Tables, AddIndexOptionBitsAndKeys) {
  MakeTable("EMPLEAVE", [](TFieldDefs& f) {
    f.Add("EMPCODE", FT::ftString, 10);
    f.Add("START_DATE", FT::ftDate);
    f.Add("ID", FT::ftInteger);
  });
  table.SetTableName("EMPLEAVE");
  struct Case {
    const char* tag;
    const char* fields;
    TIndexOptions options;
    const char* key;
    int bits;
    TIndexOptions readBack;  // what UpdateIndexDefs reports
  };
  using O = TIndexOption;
  const Case cases[] = {
      {"PLAIN", "EMPCODE", {O::ixExpression}, "EMPCODE", 2, {O::ixExpression}},
      {"PK", "EMPCODE;START_DATE;ID", {O::ixUnique, O::ixExpression}, "EMPCODE;START_DATE;ID", 3,
       {O::ixUnique, O::ixExpression}},
      {"DESC", "START_DATE;ID", {O::ixDescending, O::ixExpression}, "START_DATE;ID", 10,
       {O::ixDescending, O::ixExpression}},
      {"EMPCODE1", "EMPCODE;START_DATE;ID", {O::ixUnique, O::ixDescending, O::ixExpression}, "EMPCODE;START_DATE;ID", 11,
       {O::ixUnique, O::ixDescending, O::ixExpression}},
      // The engine does not tell case-insensitive: the index reads back as its UPPER() key expression.
      {"NOCASE", "EMPCODE;ID", {O::ixCaseInsensitive}, "UPPER(EMPCODE);ID", 2, {O::ixExpression}},
  };
  for (const Case& c : cases) {
    const auto trace = Traced([&] { table.AddIndex(c.tag, c.fields, c.options); });
    // The closed table is opened for the call and closed again.
    std::vector<std::string> names = CallNames(trace);
    std::erase(names, "AdsGetFieldType");  // the case-insensitive rewrite asks for each field's type
    EXPECT_THAT(names, ElementsAre("AdsOpenTable", "AdsCreateIndex61", "AdsCloseTable")) << c.tag;
    EXPECT_THAT(CallsOf(trace, "AdsCreateIndex61").at(0),
                HasSubstr(", \"\", \"" + std::string(c.tag) + "\", \"" + c.key + "\", \"\", \"\", " +
                          std::to_string(c.bits) + ", 512)"))
        << c.tag;
  }
  table.UpdateIndexDefs();
  ASSERT_EQ(table.IndexDefs.Count(), 5u);
  EXPECT_EQ(table.IndexDefs[1].Fields, "EMPCODE;START_DATE;ID");
  EXPECT_TRUE(table.IndexDefs[1].Options.Has(O::ixUnique));
  EXPECT_FALSE(table.IndexDefs[1].Options.Has(O::ixDescending));
  EXPECT_TRUE(table.IndexDefs[3].Options.Has(O::ixDescending));
  EXPECT_TRUE(table.IndexDefs.Find("nocase")->Options.Has(O::ixExpression));
  for (const Case& c : cases) {
    const TIndexDef* def = table.IndexDefs.Find(c.tag);
    ASSERT_NE(def, nullptr) << c.tag;
    EXPECT_EQ(def->Fields, c.key) << c.tag;
    EXPECT_TRUE(def->Options == c.readBack) << c.tag;
  }
  EXPECT_FALSE(table.IndexDefsStale());

  // A failed index still closes the private handle: the table opens exclusively afterwards.
  const auto trace = Traced([&] {
    EXPECT_THROW(table.AddIndex("BAD", "NO_SUCH_FIELD", {O::ixExpression}), EADSDatabaseError);
  });
  EXPECT_EQ(CallNames(trace).back(), "AdsCloseTable");
  EXPECT_TRUE(table.IndexDefsStale());
  table.SetExclusive(true);
  EXPECT_NO_THROW(table.Open());
}

TEST_F(Tables, RoundTripThroughTheComponents) {
  table.SetTableName("EMPPAY");
  table.SetExclusive(true);
  table.FieldDefs.Add("EMPCODE", FT::ftString, 10);
  table.FieldDefs.Add("PPERIOD", FT::ftString, 6);
  table.FieldDefs.Add("YEAR", FT::ftInteger);
  table.FieldDefs.Add("RATE", FT::ftFloat);
  table.FieldDefs.Add("PAY", FT::ftCurrency);
  table.FieldDefs.Add("PAYDATE", FT::ftDate);
  table.FieldDefs.Add("PAID", FT::ftBoolean);
  table.FieldDefs.Add("NOTE", FT::ftMemo);
  table.FieldDefs.Add("PHOTO", FT::ftBlob);
  table.FieldDefs.Add("STAMP", FT::ftDateTime);
  table.CreateTable();
  table.Open();
  table.AddIndex("EMPCODE", "EMPCODE;PPERIOD", {TIndexOption::ixUnique, TIndexOption::ixExpression});
  table.AddIndex("YEAR", "YEAR", {TIndexOption::ixExpression});

  const kv::Date payday = kv::Date::FromYmd(2024, 1, 31);
  struct Row {
    const char* code;
    const char* period;
    int year;
    const char* pay;
  };
  const Row rows[] = {{"E2", "202401", 2024, "3100.55"}, {"E1", "202312", 2023, "2000"}, {"E1", "202401", 2024, "2100.25"}};
  for (const Row& r : rows) {
    table.Append();
    table.FieldByName("EMPCODE").SetAsString(r.code);
    table.FieldByName("PPERIOD").SetAsString(r.period);
    table.FieldByName("YEAR").SetAsInteger(r.year);
    table.FieldByName("RATE").SetAsFloat(0.17);
    table.FieldByName("PAY").SetAsCurrency(*kv::Currency::Parse(r.pay));
    table.FieldByName("PAYDATE").SetAsDate(payday);
    table.FieldByName("PAID").SetAsBoolean(true);
    table.FieldByName("NOTE").SetAsString(std::string("KUMAR SUPPIAH ") + r.code);
    table.FieldByName("PHOTO").SetAsBlob({0xFF, 0xD8, 0x00, 0x01});
    table.FieldByName("STAMP").SetAsDateTime(kv::DateTime(payday, 14, 5, 9));
    table.Post();
  }
  EXPECT_EQ(table.RecordCount(), 3u);
  table.Close();

  table.SetExclusive(false);
  table.SetIndexFieldNames("  EMPCODE;PPERIOD ");
  table.Open();
  EXPECT_EQ(table.IndexFieldNames(), "EMPCODE;PPERIOD");
  EXPECT_THAT(Column(table, "PPERIOD"), ElementsAre("202312", "202401", "202401"));
  EXPECT_THAT(Column(table, "EMPCODE"), ElementsAre("E1", "E1", "E2"));

  ASSERT_TRUE(table.FindKey({"E2", "202401"}));
  EXPECT_EQ(table.FieldByName("PAY").AsCurrency(), *kv::Currency::Parse("3100.55"));
  EXPECT_EQ(table.FieldByName("YEAR").AsInteger(), 2024);
  EXPECT_DOUBLE_EQ(table.FieldByName("RATE").AsFloat(), 0.17);
  EXPECT_EQ(table.FieldByName("RATE").AsString(), "0.17");
  EXPECT_EQ(table.FieldByName("PAYDATE").AsDate(), payday);
  EXPECT_EQ(table.FieldByName("PAYDATE").AsString(), "2024-01-31");
  EXPECT_TRUE(table.FieldByName("PAID").AsBoolean());
  EXPECT_EQ(table.FieldByName("NOTE").AsString(), "KUMAR SUPPIAH E2");
  EXPECT_EQ(table.FieldByName("PHOTO").AsBlob(), (ace::ByteVector{0xFF, 0xD8, 0x00, 0x01}));
  EXPECT_EQ(table.FieldByName("STAMP").AsDateTime(), kv::DateTime(payday, 14, 5, 9));
  EXPECT_FALSE(table.FindKey({"E9"}));
  EXPECT_TRUE(table.Eof());  // a key that is not there leaves the cursor past the end
  EXPECT_TRUE(table.FindKey({"E1"}));  // leading fields only
  EXPECT_EQ(table.FieldByName("PPERIOD").AsString(), "202312");
  table.FindNearest({"E15"});
  EXPECT_EQ(table.FieldByName("EMPCODE").AsString(), "E2");

  table.SetRange({"E1"}, {"E1"});
  EXPECT_THAT(Column(table, "PPERIOD"), ElementsAre("202312", "202401"));
  table.CancelRange();
  EXPECT_EQ(Column(table, "PPERIOD").size(), 3u);

  // Edit locks, assigns and posts; a second handle sees the change.
  ASSERT_TRUE(table.FindKey({"E1", "202312"}));
  table.Edit();
  EXPECT_EQ(table.State(), TDataSetState::dsEdit);
  table.FieldByName("PAY").SetAsCurrency(kv::Currency::FromScaled(25'000'000));
  table.FieldByName("NOTE").Clear();
  EXPECT_EQ(table.FieldByName("PAY").AsString(), "2500");  // the assigned value reads back before Post
  table.Post();
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  {
    TAdsTable other;
    other.SetAdsConnection(&connection);
    other.SetTableName("EMPPAY");
    other.SetIndexName("EMPCODE");
    other.Open();
    ASSERT_TRUE(other.FindKey({"E1", "202312"}));
    EXPECT_EQ(other.FieldByName("PAY").AsCurrency().Scaled(), 25'000'000);
    EXPECT_TRUE(other.FieldByName("NOTE").IsNull());
    EXPECT_TRUE(other.Locate("pay", kv::Currency::FromScaled(31'005'500)));
    EXPECT_EQ(other.FieldByName("EMPCODE").AsString(), "E2");
    EXPECT_TRUE(other.Locate("EMPCODE", "e1", {true, false}));
    EXPECT_FALSE(other.Locate("EMPCODE", "E7"));
  }
  table.SetIndexFieldNames("YEAR");
  EXPECT_THAT(Column(table, "YEAR"), ElementsAre("2023", "2024", "2024"));

  // Encrypted with the table password: unreadable on disk, unreadable without the password.
  table.Close();
  table.SetExclusive(true);
  table.Open();
  table.EnableEncryption(kTablePassword);
  table.EncryptTable();
  EXPECT_TRUE(table.IsTableEncrypted());
  table.Close();
  EXPECT_EQ(FileBytes(dir.Path() / "EMPPAY.ADT").find("202401"), std::string::npos);
  EXPECT_EQ(FileBytes(dir.Path() / "EMPPAY.ADM").find("KUMAR"), std::string::npos);

  table.SetExclusive(false);
  table.SetIndexFieldNames("EMPCODE;PPERIOD");
  table.Open();
  try {
    table.FindKey({"E2", "202401"});
    table.FieldByName("EMPCODE").AsString();
    FAIL() << "an encrypted table read without its password";
  } catch (const EADSDatabaseError& e) {
    EXPECT_EQ(e.ACEErrorCode(), ace::code::kPasswordRequired);
  }
  table.Close();
  // As the window's after-open handlers do: the password right after opening, then work in the order.
  table.Open();
  table.EnableEncryption(kTablePassword);
  EXPECT_EQ(table.FieldByName("EMPCODE").AsString(), "E1");
  ASSERT_TRUE(table.FindKey({"E2", "202401"}));
  EXPECT_EQ(table.FieldByName("NOTE").AsString(), "KUMAR SUPPIAH E2");
}

TEST_F(Tables, EncryptionAnswersOfAlreadySoAreSuccess) {
  MakeCpfTrx();
  table.SetTableName("CPFTRX");
  table.SetExclusive(true);
  table.Open();
  AddRow(table, "E1", "202401");
  ace::AdsHandle h = table.Handle();
  // The engine itself answers 5068 here; the components go on as if it had answered 0.
  EXPECT_EQ(ace::AdsDecryptTable(h), ace::code::kEncryptionUnchanged);
  EXPECT_NO_THROW(table.DecryptTable());
  EXPECT_NO_THROW(table.EnableEncryption(kTablePassword));
  EXPECT_EQ(ace::AdsEnableEncryption(h, kTablePassword), ace::code::kEncryptionUnchanged);
  EXPECT_NO_THROW(table.EnableEncryption(kTablePassword));
  table.EncryptTable();
  EXPECT_EQ(ace::AdsEncryptTable(h), ace::code::kEncryptionUnchanged);
  EXPECT_NO_THROW(table.EncryptTable());
  EXPECT_TRUE(table.IsTableEncrypted());
  // The cursor is on a record again after each of them.
  EXPECT_EQ(table.FieldByName("EMPCODE").AsString(), "E1");
  table.DecryptTable();
  EXPECT_FALSE(table.IsTableEncrypted());
  EXPECT_EQ(table.FieldByName("EMPCODE").AsString(), "E1");
}

TEST_F(Tables, EnableEncryptionKeepsTheCurrentRecordOfAnOrder) {
  MakeCpfTrx();
  table.SetTableName("CPFTRX");
  table.Open();
  for (const char* code : {"E3", "E1", "E2"}) AddRow(table, code, "202401");  // record order differs from the tag's
  table.Close();
  table.SetIndexName("EMPCODE");
  table.Open();
  table.Next();
  ASSERT_EQ(table.FieldByName("EMPCODE").AsString(), "E2");
  table.EnableEncryption(kTablePassword);
  EXPECT_EQ(table.FieldByName("EMPCODE").AsString(), "E2");
  table.Next();
  EXPECT_EQ(table.FieldByName("EMPCODE").AsString(), "E3");  // still in the tag's order
  table.Prior();
  table.Prior();
  EXPECT_EQ(table.FieldByName("EMPCODE").AsString(), "E1");
}

TEST_F(Tables, BlankIndexFieldNamesRemovesTheOrderHoweverItWasSet) {
  MakeCpfTrx();
  table.SetTableName("CPFTRX");
  table.Open();
  for (const char* code : {"E3", "E1", "E2"}) AddRow(table, code, "202401");
  table.Close();
  const std::pair<const char*, std::function<void(TAdsTable&)>> orders[] = {
      {"IndexName", [](TAdsTable& t) { t.SetIndexName("EMPCODE"); }},
      {"IndexFieldNames", [](TAdsTable& t) { t.SetIndexFieldNames("EMPCODE;PPERIOD"); }},
  };
  for (const auto& [how, order] : orders) {
    for (bool whileOpen : {true, false}) {
      order(table);
      if (whileOpen) {
        table.Open();
        ASSERT_THAT(Column(table, "EMPCODE"), ElementsAre("E1", "E2", "E3")) << how;
      }
      table.SetIndexFieldNames("  ");
      if (!whileOpen) table.Open();
      EXPECT_EQ(table.IndexName(), "") << how;
      EXPECT_THAT(Column(table, "EMPCODE"), ElementsAre("E3", "E1", "E2")) << how << (whileOpen ? " open" : " closed");
      table.Close();
    }
  }
}

TEST_F(Tables, PackEmptyAndDelete) {
  MakeCpfTrx();
  table.SetTableName("CPFTRX");
  table.SetExclusive(true);
  table.Open();
  for (const char* code : {"E1", "E2", "E3"}) AddRow(table, code, "202401");
  table.First();
  table.Delete();
  EXPECT_EQ(table.FieldByName("EMPCODE").AsString(), "E2");  // on to the next record
  auto trace = Traced([&] { table.PackTable(); });
  EXPECT_THAT(CallNames(trace), ::testing::IsSupersetOf({"AdsPackTable", "AdsGotoTop"}));
  EXPECT_EQ(table.RecordCount(), 2u);
  EXPECT_EQ(table.FieldByName("EMPCODE").AsString(), "E2");
  table.Close();

  trace = Traced([&] { table.EmptyTable(); });
  EXPECT_THAT(CallNames(trace), ElementsAre("AdsOpenTable", "AdsZapTable", "AdsCloseTable"));
  EXPECT_FALSE(table.Active());
  table.Open();
  EXPECT_TRUE(table.IsEmpty());
  EXPECT_EQ(MessageOf<EADSDatabaseError>([&] { table.DeleteTable(); }), "Cannot perform this operation on an open dataset");
  table.Close();
  table.DeleteTable();
  EXPECT_FALSE(table.Exists());
  EXPECT_FALSE(kv::fs::FileExists(dir.SuitePath() + "CPFTRX.ADI"));
}

TEST_F(Tables, EmptyTableOnAnOpenTablePostsTheEditZapsAndStaysOpen) {
  MakeCpfTrx();
  table.SetTableName("CPFTRX");
  table.SetExclusive(true);
  table.SetIndexFieldNames("EMPCODE;PPERIOD");
  table.Open();
  for (const char* code : {"E1", "E2"}) AddRow(table, code, "202401");
  table.Append();
  table.FieldByName("EMPCODE").SetAsString("E3");
  const auto trace = Traced([&] { table.EmptyTable(); });
  EXPECT_THAT(CallNames(trace), ElementsAre("AdsAppendRecord", "AdsSetField", "AdsWriteRecord", "AdsUnlockRecord",
                                            "AdsZapTable", "AdsGotoTop"));
  EXPECT_TRUE(table.Active());
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_TRUE(table.IsEmpty());
  EXPECT_EQ(table.RecordCount(), 0u);
  EXPECT_EQ(table.FieldByName("EMPCODE").AsString(), "");
  AddRow(table, "E9", "202402");  // the order still works on the emptied table
  ASSERT_TRUE(table.FindKey({"E9"}));
  table.Close();
  table.Open();
  EXPECT_THAT(Column(table, "EMPCODE"), ElementsAre("E9"));
}

TEST_F(Tables, EditingStatesPostOnMoveAndCancelDiscards) {
  MakeCpfTrx();
  table.SetTableName("CPFTRX");
  table.SetIndexFieldNames("EMPCODE;PPERIOD");
  table.Open();
  EXPECT_TRUE(table.IsEmpty());
  table.Edit();  // an empty table goes to insert
  EXPECT_EQ(table.State(), TDataSetState::dsInsert);
  table.FieldByName("EMPCODE").SetAsString("E5");
  table.FieldByName("PPERIOD").SetAsString("202401");
  table.First();  // moving posts the changed record
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(table.RecordCount(), 1u);
  table.Append();
  table.FieldByName("EMPCODE").SetAsString("E6");
  table.Cancel();
  EXPECT_EQ(table.RecordCount(), 1u);
  table.Edit();
  table.FieldByName("CPFEE").SetAsFloat(12.5);
  table.Cancel();
  EXPECT_TRUE(table.FieldByName("CPFEE").IsNull());
  EXPECT_EQ(table.FieldByName("CPFEE").AsFloat(), 0.0);
  EXPECT_EQ(MessageOf<EADSDatabaseError>([&] { table.FieldByName("CPFEE").SetAsFloat(1); }),
            "Dataset not in edit or insert mode");
  EXPECT_EQ(MessageOf<EADSDatabaseError>([&] { table.FieldByName("NOPE"); }), "Field 'NOPE' not found");

  // Edit on a shared table locks the record: another handle cannot edit it meanwhile.
  const auto trace = Traced([&] { table.Edit(); });
  EXPECT_THAT(CallsOf(trace, "AdsLockRecord"), ElementsAre("AdsLockRecord(" + std::to_string(table.Handle()) + ", 0)"));
  TAdsTable other;
  other.SetAdsConnection(&connection);
  other.SetTableName("CPFTRX");
  other.Open();
  EXPECT_THROW(other.Edit(), EADSDatabaseError);
  table.Cancel();
  EXPECT_NO_THROW(other.Edit());
  other.Cancel();
}

TEST_F(Tables, PostWritesThroughTheEngineCallsInOrder) {
  MakeCpfTrx();
  table.SetTableName("CPFTRX");
  table.Open();
  const auto trace = Traced([&] {
    table.Append();
    table.FieldByName("EMPCODE").SetAsString("E1");
    table.FieldByName("CPFEE").Clear();
    table.Post();
  });
  EXPECT_THAT(CallNames(trace), ElementsAre("AdsAppendRecord", "AdsSetField", "AdsSetEmpty", "AdsWriteRecord",
                                            "AdsUnlockRecord"));
}

TEST_F(Tables, HooksAndPostErrors) {
  MakeCpfTrx();
  table.SetTableName("CPFTRX");
  table.SetIndexFieldNames("EMPCODE;PPERIOD");
  std::vector<std::string> calls;
  table.BeforeOpen = [&](TAdsDataSet& ds) { calls.push_back("before " + std::to_string(ds.Active())); };
  table.AfterOpen = [&](TAdsDataSet& ds) { calls.push_back("after " + std::to_string(ds.Active())); };
  table.OnNewRecord = [&](TAdsDataSet& ds) { ds.FieldByName("PPERIOD").SetAsString("200701"); };
  table.Open();
  EXPECT_THAT(calls, ElementsAre("before 0", "after 1"));
  table.Append();
  table.FieldByName("EMPCODE").SetAsString("E1");
  table.Post();
  EXPECT_EQ(table.FieldByName("PPERIOD").AsString(), "200701");

  // A unique key violation: the handler sees the error, then it takes its normal course.
  std::vector<std::string> reported;
  table.OnPostError = [&](TAdsDataSet& ds, const EADSDatabaseError& e, TDataAction& action) {
    reported.push_back(std::string(e.what()) + " Field No " + ds.FieldByName("EMPCODE").AsString());
    if (reported.size() == 1) {
      ds.FieldByName("PPERIOD").SetAsString("200702");
      action = TDataAction::daRetry;
    }
  };
  table.Append();
  table.FieldByName("EMPCODE").SetAsString("E1");
  table.Post();  // fails once, the handler changes the key and retries
  EXPECT_EQ(reported.size(), 1u);
  EXPECT_EQ(table.RecordCount(), 2u);
  table.Append();
  table.FieldByName("EMPCODE").SetAsString("E1");
  EXPECT_THROW(table.Post(), EADSDatabaseError);  // 200701 again: the handler lets it fail this time
  EXPECT_EQ(reported.size(), 2u);
  EXPECT_THAT(reported[1], HasSubstr(" Field No E1"));
  EXPECT_EQ(table.State(), TDataSetState::dsInsert);
  table.Cancel();
  EXPECT_EQ(table.RecordCount(), 2u);
}

TEST_F(Tables, ALiveQueryCanBeTheMasterOfATable) {
  MakeTable("MEDSCH", [](TFieldDefs& f) {
    f.Add("SCHEME_CODE", FT::ftString, 8);
    f.Add("TRNNO", FT::ftInteger);
  }, {{"SCHEME", "SCHEME_CODE"}});
  MakeTable("MEDTBL", [](TFieldDefs& f) {
    f.Add("TRNNO", FT::ftInteger);
    f.Add("ID", FT::ftInteger);
  }, {{"TRNNO", "TRNNO;ID"}});
  TAdsQuery claim;
  claim.SetAdsConnection(&connection);
  claim.SQL().Add("SELECT * FROM  MEDSCH");
  claim.SetIndexFieldNames("SCHEME_CODE");
  claim.RequestLive = true;
  claim.Open();
  table.SetTableName("MEDTBL.adt");
  table.SetIndexFieldNames("TRNNO;ID");
  table.SetMasterSource(&claim, "TRNNO");
  table.Open();
  for (const auto& [scheme, trnno] : {std::pair{"B", 20}, std::pair{"A", 10}}) {
    claim.Append();
    claim.FieldByName("SCHEME_CODE").SetAsString(scheme);
    claim.FieldByName("TRNNO").SetAsInteger(trnno);
    claim.Post();
    for (int id : {1, 2}) {
      table.Append();
      table.FieldByName("ID").SetAsInteger(id);
      table.Post();
    }
  }
  ASSERT_TRUE(claim.FindKey({"A"}));
  EXPECT_THAT(Column(table, "TRNNO"), ElementsAre("10", "10"));
  claim.Next();
  EXPECT_THAT(Column(table, "TRNNO"), ElementsAre("20", "20"));
  // An append that only got its link field is not kept when the cursor moves on.
  table.Append();
  table.First();
  EXPECT_EQ(table.RecordCount(), 4u);
}

TEST_F(Tables, MasterDetailLinksThatWouldCloseACircleAreRefused) {
  MakeTable("TRNNO", [](TFieldDefs& f) { f.Add("TRNNO", FT::ftInteger); }, {{"TRNNO", "TRNNO"}});
  TAdsTable a, b, c;
  for (TAdsTable* t : {&a, &b, &c}) {
    t->SetAdsConnection(&connection);
    t->SetTableName("TRNNO");
    t->SetIndexFieldNames("TRNNO");
  }
  b.SetMasterSource(&a, "TRNNO");
  c.SetMasterSource(&b, "TRNNO");
  const std::pair<TAdsTable*, TAdsTable*> circles[] = {{&a, &a}, {&a, &b}, {&a, &c}};  // detail, master
  for (const auto& [detail, master] : circles) {
    try {
      detail->SetMasterSource(master, "TRNNO");
      ADD_FAILURE() << "a circular link was made";
    } catch (const EADSDatabaseError& e) {
      EXPECT_EQ(e.ACEErrorCode(), 5121u);
      EXPECT_EQ(std::string(e.what()), "Circular datalinks are not allowed");
    }
    ASSERT_EQ(detail->MasterSource(), nullptr);
  }
  // The chain a -> b -> c still follows its masters.
  a.Open();
  for (int n : {1, 2}) {
    a.Append();
    a.FieldByName("TRNNO").SetAsInteger(n);
    a.Post();
  }
  b.Open();
  c.Open();
  a.First();
  EXPECT_EQ(c.FieldByName("TRNNO").AsInteger(), 1);
  a.Next();
  EXPECT_EQ(c.FieldByName("TRNNO").AsInteger(), 2);
  EXPECT_THAT(Column(c, "TRNNO"), ElementsAre("2"));
}

TEST_F(Tables, DetailFollowsItsMastersCurrentRecord) {
  MakeTable("TRNNO", [](TFieldDefs& f) { f.Add("TRNNO", FT::ftInteger); }, {{"TRNNO", "TRNNO"}});
  MakeTable("MEDTBL", [](TFieldDefs& f) {
    f.Add("TRNNO", FT::ftInteger);
    f.Add("ID", FT::ftInteger);
    f.Add("MAX_CLAIM", FT::ftCurrency);
  }, {{"TRNNO", "TRNNO;ID"}});
  TAdsTable master;
  master.SetAdsConnection(&connection);
  master.SetTableName("TRNNO");
  master.SetIndexFieldNames("TRNNO");
  master.Open();
  for (int n : {1, 2, 3}) {
    master.Append();
    master.FieldByName("TRNNO").SetAsInteger(n);
    master.Post();
  }
  table.SetTableName("MEDTBL");
  table.SetIndexFieldNames("TRNNO;ID");
  table.SetMasterSource(&master, "TRNNO");
  table.Open();
  const int tiers[][2] = {{1, 1}, {1, 2}, {2, 1}};
  for (const auto& t : tiers) {
    ASSERT_TRUE(master.FindKey({t[0]}));
    table.Append();  // the link field comes from the master
    table.FieldByName("ID").SetAsInteger(t[1]);
    table.Post();
  }
  master.First();
  EXPECT_THAT(Column(table, "ID"), ElementsAre("1", "2"));
  EXPECT_THAT(Column(table, "TRNNO"), ElementsAre("1", "1"));
  master.Next();
  EXPECT_EQ(table.FieldByName("TRNNO").AsInteger(), 2);  // the detail is on its first record of the new range
  EXPECT_THAT(Column(table, "ID"), ElementsAre("1"));
  master.Last();
  EXPECT_TRUE(table.IsEmpty());
  table.SetMasterSource(nullptr, "");
  table.CancelRange();
  EXPECT_EQ(table.RecordCount(), 3u);
}


// A tag whose key joins its fields with commas, as the suite writes "BANKCODE,CURR_CODE": the component reads its
// fields as the engine does, so a search takes a value for each field and IndexFieldNames finds the tag.
TEST_F(Tables, CommaJoinedKeysTakeAValueForEachField) {
  MakeTable("BANKCUR", [](TFieldDefs& f) {
    f.Add("BANKCODE", FT::ftString, 4);
    f.Add("CURR_CODE", FT::ftString, 3);
    f.Add("NAME", FT::ftString, 20);
  });
  {
    ace::AdsHandle c = 0, t = 0;
    ASSERT_EQ(ace::AdsConnect60(Folder(), 1, "", "", 0, &c), 0u);
    ASSERT_EQ(ace::AdsOpenTable(c, "BANKCUR", "", 3, 1, 1, 1, ace::open_mode::kExclusive, &t), 0u);
    ASSERT_EQ(ace::AdsCreateIndex61(t, "", "BANKCURR", "BANKCODE,CURR_CODE", "", "", 2, 512, nullptr), 0u);
    ace::AdsDisconnect(c);
  }
  table.SetTableName("BANKCUR");
  table.Open();
  for (const auto& [bank, currency, name] : {std::tuple{"DBS", "USD", "DBS DOLLARS"}, {"DBS", "SGD", "DBS LOCAL"},
                                             {"OCBC", "USD", "OCBC DOLLARS"}}) {
    table.Append();
    table.FieldByName("BANKCODE").SetAsString(bank);
    table.FieldByName("CURR_CODE").SetAsString(currency);
    table.FieldByName("NAME").SetAsString(name);
    table.Post();
  }
  table.SetIndexName("BANKCURR");
  ASSERT_TRUE(table.FindKey({"DBS", "USD"}));
  EXPECT_EQ(table.FieldByName("NAME").AsString(), "DBS DOLLARS");
  table.SetIndexFieldNames("BANKCODE;CURR_CODE");
  ASSERT_TRUE(table.FindKey({"OCBC", "USD"}));
  EXPECT_EQ(table.FieldByName("NAME").AsString(), "OCBC DOLLARS");
}

}  // namespace
}  // namespace kv::engine::testing
