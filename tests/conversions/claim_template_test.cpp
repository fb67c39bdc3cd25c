// A claim template replaced by the release's copy from the update archive in the program's folder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <tuple>

#include "conversions/report_writer.h"
#include "platform/fs.h"
#include "platform/zip.h"
#include "upgrade/report_tables.h"

namespace kv::conversions::testing {
namespace {

using namespace kv::upgrade::testing;

using ::testing::ElementsAre;

void TemplateFields(TFieldDefs& f) {
  f.Add("TMPLNO", FT::ftInteger);
  f.Add("FIELDNO", FT::ftInteger);
  f.Add("FIELDNAME", FT::ftString, 40);
}

class ClaimTemplate : public ReportCompany {
 protected:
  void SetUp() override {
    ReportCompany::SetUp();
    TblTmpl.SetAdsConnection(&AdsConnection1);
    TblTmpl.SetTableName("clmtmpl.ADT");
    TblTmpl1.SetAdsConnection(&AdsConnTmpl);
    TblTmpl1.SetTableName("clmtmpl.ADT");
  }
  void TearDown() override {
    TblTmpl.Close();
    TblTmpl1.Close();
    AdsConnTmpl.Disconnect();
    ReportCompany::TearDown();
  }

  // The company's templates 2 and 3, with a column of its own the release's table lacks; and the release's
  // templates 3 and 4 in UPDATEKV8.ZIP in the program's folder (the data path here).
  void MakeTemplates() {
    MakeFreeCompany({{"CLMTMPL",
                      [](TFieldDefs& f) {
                        TemplateFields(f);
                        f.Add("MAPFIELD", FT::ftString, 40);
                      },
                      {{{"TMPLNO", "2"}, {"FIELDNO", "1"}, {"FIELDNAME", "TWO-1"}, {"MAPFIELD", "M"}},
                       {{"TMPLNO", "3"}, {"FIELDNO", "1"}, {"FIELDNAME", "OLD-1"}, {"MAPFIELD", "M"}},
                       {{"TMPLNO", "3"}, {"FIELDNO", "2"}, {"FIELDNAME", "OLD-2"}},
                       {{"TMPLNO", "3"}, {"FIELDNO", "3"}, {"FIELDNAME", "OLD-3"}}}}});
    Index("CLMTMPL", {{"TMPLNO1", "TMPLNO;FIELDNO"}});

    kv::fs::CreateFolders(DataPath() + "RELEASE");
    engine::TAdsConnection c;
    c.SetConnectPath(DataPath() + "RELEASE");
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName("CLMTMPL.ADT");
    t.SetExclusive(true);
    TemplateFields(t.FieldDefs);
    t.CreateTable();
    t.Open();
    t.AddIndex("TMPLNO1", "TMPLNO;FIELDNO", {engine::TIndexOption::ixExpression});
    for (const auto& [no, field, name] : {std::tuple{4, 1, "FOUR-1"}, {3, 2, "NEW-2"}, {3, 1, "NEW-1"}}) {
      t.Append();
      t.FieldByName("TMPLNO").SetAsInteger(no);
      t.FieldByName("FIELDNO").SetAsInteger(field);
      t.FieldByName("FIELDNAME").SetAsString(name);
      t.Post();
    }
    t.Close();
    c.Disconnect();
    kv::zip::ZipComponent zip;
    zip.SetZipFilename(DataPath() + "UPDATEKV8.ZIP");
    zip.AddFilesToProcess(DataPath() + "RELEASE\\CLMTMPL.*");
    zip.Zip();
  }

  void Copy(const std::string& number) {
    CopyClaimTemplate({TblTmpl, TblTmpl1, AdsConnTmpl, XceedZip1, DataPath(), "UPDATEKV8.ZIP"}, number);
  }

  std::vector<std::string> Templates() { return RowsOf("CLMTMPL", {"TMPLNO", "FIELDNO", "FIELDNAME", "MAPFIELD"}); }

  bool ExtractedCopyLeft() const {
    return kv::fs::FileExists(DataPath() + "CLMTMPL.ADT") || kv::fs::FileExists(DataPath() + "CLMTMPL.ADI");
  }

  engine::TAdsConnection AdsConnTmpl{"AdsConnTmpl", "Form1"};
  engine::TAdsTable TblTmpl{"TblTmpl", "Form1"};
  engine::TAdsTable TblTmpl1{"TblTmpl1", "Form1"};
  kv::zip::ZipComponent XceedZip1;
};

TEST_F(ClaimTemplate, TheTemplateIsReplacedExactlyAndTheOthersAreLeft) {
  MakeTemplates();
  Copy("3");
  std::vector<std::string> rows = Templates();
  std::sort(rows.begin(), rows.end());
  EXPECT_THAT(rows, ElementsAre("TMPLNO=2|FIELDNO=1|FIELDNAME=TWO-1|MAPFIELD=M",
                                "TMPLNO=3|FIELDNO=1|FIELDNAME=NEW-1|MAPFIELD=",
                                "TMPLNO=3|FIELDNO=2|FIELDNAME=NEW-2|MAPFIELD="));
  EXPECT_FALSE(ExtractedCopyLeft());
  EXPECT_TRUE(kv::fs::FileExists(DataPath() + "UPDATEKV8.ZIP"));
  EXPECT_TRUE(XceedZip1.FilesToProcess().empty());
  EXPECT_FALSE(TblTmpl.Active());
  EXPECT_FALSE(AdsConnTmpl.IsConnected());
}

TEST_F(ClaimTemplate, ATemplateTheReleaseLacksEndsUpEmpty) {
  MakeTemplates();
  Copy("2");
  EXPECT_EQ(Templates().size(), 3u);
  for (const std::string& row : Templates()) EXPECT_THAT(row, ::testing::StartsWith("TMPLNO=3|"));
  EXPECT_FALSE(ExtractedCopyLeft());
}

TEST_F(ClaimTemplate, NoNumberDoesNothingAndANumberThatIsNoneIsRefusedBeforeAnyChange) {
  MakeTemplates();
  const auto before = Templates();
  Copy("");
  EXPECT_THROW(Copy("3a"), std::invalid_argument);
  EXPECT_THROW(Copy(" 3"), std::invalid_argument);
  EXPECT_EQ(Templates(), before);
  EXPECT_FALSE(ExtractedCopyLeft());
  EXPECT_TRUE(XceedZip1.ZipFilename().empty());
}

TEST_F(ClaimTemplate, AFailureAfterTheExtractionStillRemovesTheExtractedCopy) {
  MakeTemplates();
  // The company's table cannot be opened: it is held exclusively elsewhere.
  engine::TAdsConnection other;
  other.SetConnectPath(Folder());
  engine::TAdsTable held;
  held.SetAdsConnection(&other);
  held.SetTableName("CLMTMPL");
  held.SetExclusive(true);
  held.Open();
  EXPECT_ANY_THROW(Copy("3"));
  held.Close();
  EXPECT_FALSE(ExtractedCopyLeft());
  EXPECT_EQ(Templates().size(), 4u);
}

}  // namespace
}  // namespace kv::conversions::testing
