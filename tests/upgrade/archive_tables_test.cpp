#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "company_fixture.h"
#include "platform/zip.h"
#include "upgrade/archive_tables.h"

namespace kv::upgrade::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

// A table whose one row says where it came from.
TableSpec Marked(const std::string& name, const std::string& mark) {
  return {name, [](TFieldDefs& f) { f.Add("CODE", FT::ftString, 10); }, {{{"CODE", mark}}}};
}

const std::vector<std::string> kAllRights{"readuser=RI", "KAVENPAY8=RWI", "USER88=RWI", "UTC=RWI"};

class ArchiveTables : public Company {
 protected:
  // An archive in the data path holding the given tables (made in a folder of their own) and loose files.
  void MakeArchive(const std::string& archive, const std::vector<std::string>& tables,
                   const std::vector<std::string>& files = {}) {
    const std::string shipName = "SHIP_" + archive.substr(0, archive.find('.'));
    const std::string ship = DataPath() + shipName;
    kv::fs::CreateFolders(ship);
    engine::TAdsConnection c;
    c.SetConnectPath(ship);
    std::vector<std::string> entries;
    for (const std::string& table : tables) {
      engine::TAdsTable t;
      t.SetAdsConnection(&c);
      t.SetTableName(table);
      t.SetExclusive(true);
      t.FieldDefs.Add("CODE", FT::ftString, 10);
      t.CreateTable();
      t.Open();
      t.Append();
      t.FieldByName("CODE").SetAsString("SHIPPED");
      t.Post();
      t.Close();
      entries.push_back(ship + "\\" + table + ".ADT");
    }
    for (const std::string& file : files) {
      dir.Write(shipName + "/" + file, "shipped");
      entries.push_back(ship + "\\" + file);
    }
    c.Disconnect();
    kv::zip::ZipComponent zip;
    zip.SetZipFilename(DataPath() + archive);
    zip.SetFilesToProcess(entries);
    zip.Zip();
  }

  ArchiveObjects Objects() { return {window, XceedZip1}; }

  std::vector<std::string> Marks(const std::string& table, bool throughDictionary = false) {
    return RowsOf(table, {"CODE"}, throughDictionary);
  }

  WindowObjects window = Window();
  kv::zip::ZipComponent XceedZip1;
};

TEST_F(ArchiveTables, FreeTablesTakeTheSixSharedTablesAndKeepTheirOwn) {
  MakeFreeCompany({Marked("GTABLE", "OWN"), Marked("PASSDEF", "OWN"), Marked("BONUS", "OWN"), Marked("OUTGL_D", "OWN")});
  MakeArchive("UPDATEKV8.ZIP", {"GTABLE", "PASSDEF", "BONUS", "OUTGL_D", "OUTDSK_D"}, {"eQuillon.aep"});
  XceedZip1.AddFilesToProcess("earlier.txt");  // an entry of an earlier extraction of the run stays

  ExtractArchiveTables(Objects(), "UPDATEKV8.ZIP");

  EXPECT_THAT(Marks("GTABLE"), ElementsAre("CODE=SHIPPED"));
  EXPECT_THAT(Marks("PASSDEF"), ElementsAre("CODE=SHIPPED"));
  EXPECT_THAT(Marks("OUTDSK_D"), ElementsAre("CODE=SHIPPED"));  // new to the company
  EXPECT_THAT(Marks("BONUS"), ElementsAre("CODE=OWN"));
  EXPECT_THAT(Marks("OUTGL_D"), ElementsAre("CODE=OWN"));
  EXPECT_FALSE(kv::fs::FileExists(Folder() + "\\eQuillon.aep"));
  EXPECT_EQ(XceedZip1.FilesToProcess().front(), "earlier.txt");
  EXPECT_EQ(XceedZip1.FilesToProcess().size(), 7u);
  EXPECT_EQ(XceedZip1.UnzipToFolder(), Folder());
  EXPECT_EQ(XceedZip1.Tag, 2);
  EXPECT_TRUE(AdsConnection1.IsConnected());
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

TEST_F(ArchiveTables, MissingArchivesAreQuietOrSaidSo) {
  MakeFreeCompany({Marked("GTABLE", "OWN")});
  ExtractArchiveTables(Objects(), "UPDATEKV8.ZIP");
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_THAT(XceedZip1.FilesToProcess(), IsEmpty());
  ExtractReportWriterTables(Objects(), "RPTDATA.ZIP");
  EXPECT_THAT(ui.Messages(), ElementsAre(DataPath() + "RPTDATA.ZIP not existed in directory "));
  EXPECT_THAT(Marks("GTABLE"), ElementsAre("CODE=OWN"));
}

TEST_F(ArchiveTables, DictionaryTablesLeaveAndComeBackRegisteredUnderTheirNames) {
  // GLPARA is neither registered nor on disk: there is nothing to register, and the tables after it are
  // registered all the same. BONUS is registered with its file name and comes back under its own.
  MakeDictionaryCompany({Marked("UPDATETBL", "OWN"), Marked("GTABLE", "OWN"), Marked("BONUS", "OWN"),
                         Marked("OUTGL_D", "OWN"), Marked("SETCODE", "OWN"), Marked("EMPLOYEE", "OWN")});
  {
    engine::TAdsDictionary d;
    ConnectAdmin(d);
    d.RemoveTable("BONUS", false);
    d.AddTable("BONUS.ADT", "BONUS.ADT", "", "", engine::TAdsTableTypes::ttAdsADT, engine::TAdsCharTypes::ANSI);
  }
  MakeArchive("UPDATEKV8.ZIP", {"GTABLE", "UPDATETBL", "BONUS", "OUTGL_D", "PASSDEF", "GLPARA"});

  ExtractArchiveTables(Objects(), "UPDATEKV8.ZIP");

  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_THAT(RegisteredTables(),
              UnorderedElementsAre("EMPLOYEE", "GTABLE", "BONUS", "UPDATETBL", "OUTGL_D", "SETCODE"));
  EXPECT_THAT(Marks("GTABLE", true), ElementsAre("CODE=SHIPPED"));
  EXPECT_THAT(Marks("UPDATETBL", true), ElementsAre("CODE=SHIPPED"));
  EXPECT_THAT(Marks("OUTGL_D", true), ElementsAre("CODE=SHIPPED"));
  EXPECT_THAT(Marks("BONUS", true), ElementsAre("CODE=OWN"));  // never extracted
  // Unregistered tables are not extracted, whatever the archive holds.
  EXPECT_FALSE(kv::fs::FileExists(Folder() + "\\PASSDEF.ADT"));
  EXPECT_FALSE(kv::fs::FileExists(Folder() + "\\GLPARA.ADT"));
  for (const char* table : {"GTABLE", "BONUS", "UPDATETBL", "OUTGL_D", "SETCODE"})
    EXPECT_EQ(RightsOn(table), kAllRights) << table;
  EXPECT_THAT(XceedZip1.FilesToProcess(),
              ElementsAre("PUBLIC.*", "UPDATETBL.*", "GTABLE.*", "SETCODE.*", "OUTGL_D.*"));
  EXPECT_TRUE(AdsConnection1.IsConnected());
  EXPECT_EQ(AdsConnection1.ConnectPath(), DictionaryPath());
  EXPECT_FALSE(AdsDictionary1.IsConnected());
  EXPECT_EQ(AdsTableCompany.FieldByName("COMPANY_CODE").AsString(), "ABC");
}

TEST_F(ArchiveTables, AFailureAfterTheExtractionIsPassedOnWithTheTablesRegistered) {
  MakeDictionaryCompany({Marked("GTABLE", "OWN")});
  MakeArchive("UPDATEKV8.ZIP", {"GTABLE"});
  // The company leaves the registry meanwhile: the registry cannot be put back on it.
  RemoveCompanyFromRegistry();
  try {
    ExtractArchiveTables(Objects(), "UPDATEKV8.ZIP");
    ADD_FAILURE() << "no failure passed on";
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Company code not found !");
  }
  EXPECT_THAT(RegisteredTables(), ElementsAre("GTABLE"));
  EXPECT_THAT(Marks("GTABLE", true), ElementsAre("CODE=SHIPPED"));
  EXPECT_TRUE(AdsConnection1.IsConnected());
  EXPECT_FALSE(AdsDictionary1.IsConnected());
}

TEST_F(ArchiveTables, ReportWriterArchiveOnFreeTablesIsExtractedWholeAndEncrypted) {
  MakeFreeCompany({Marked("RBFIELD", "OWN"), Marked("RBJOIN", "OWN")});
  MakeArchive("RPTDATA.ZIP", {"RBFIELD", "RBTABLE", "RBJOIN"}, {"RBFOLDER.TXT"});
  XceedZip1.AddFilesToProcess("earlier.txt");

  ExtractReportWriterTables(Objects(), "RPTDATA.ZIP");

  EXPECT_THAT(XceedZip1.FilesToProcess(), ElementsAre("*.*"));
  EXPECT_TRUE(kv::fs::FileExists(Folder() + "\\RBFOLDER.TXT"));
  EXPECT_THAT(Marks("RBFIELD"), ElementsAre("CODE=SHIPPED"));
  EXPECT_THAT(Marks("RBJOIN"), ElementsAre("CODE=SHIPPED"));
  EXPECT_TRUE(FileEncrypted("RBFIELD"));
  EXPECT_TRUE(FileEncrypted("RBTABLE"));
  EXPECT_FALSE(FileEncrypted("RBJOIN"));
  EXPECT_FALSE(AdsTable1.Active());
  EXPECT_TRUE(AdsConnection1.IsConnected());
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

TEST_F(ArchiveTables, ReportWriterTablesOfADictionaryComeBackEncryptedByIt) {
  MakeDictionaryCompany({Marked("RBFIELD", "OWN"), Marked("RBTABLE", "OWN"), Marked("RBJOIN", "OWN")});
  MakeArchive("RPTDATA.ZIP", {"RBFIELD", "RBTABLE", "RBJOIN"}, {"RBFOLDER.TXT"});

  ExtractReportWriterTables(Objects(), "RPTDATA.ZIP");

  // RBJOIN comes back into the dictionary as shipped, not encrypted.
  EXPECT_THAT(RegisteredTables(), UnorderedElementsAre("RBFIELD", "RBTABLE", "RBJOIN"));
  EXPECT_EQ(Property("RBJOIN", ace::dd_property::kEncryption), 0);
  EXPECT_FALSE(FileEncrypted("RBJOIN"));
  EXPECT_THAT(Marks("RBFIELD", true), ElementsAre("CODE=SHIPPED"));
  EXPECT_THAT(Marks("RBJOIN"), ElementsAre("CODE=SHIPPED"));
  EXPECT_FALSE(kv::fs::FileExists(Folder() + "\\RBFOLDER.TXT"));
  EXPECT_EQ(Property("RBFIELD", ace::dd_property::kEncryption), 1);
  EXPECT_EQ(Property("RBTABLE", ace::dd_property::kEncryption), 1);
  EXPECT_TRUE(FileEncrypted("RBTABLE"));
  EXPECT_EQ(RightsOn("RBTABLE"), kAllRights);
  EXPECT_TRUE(AdsConnection1.IsConnected());
  EXPECT_FALSE(AdsDictionary1.IsConnected());
  EXPECT_EQ(AdsTableCompany.FieldByName("COMPANY_CODE").AsString(), "ABC");
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

}  // namespace
}  // namespace kv::upgrade::testing
