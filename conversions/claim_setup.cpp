#include "conversions/claim_setup.h"

#include <string>

namespace kv::conversions {

namespace {

using engine::TAdsTable;

// Opens a window object that may already be open (opening an open table is refused); true when it was closed.
bool OpenWhenClosed(engine::TAdsDataSet& dataSet) {
  if (dataSet.Active()) return false;
  dataSet.Open();
  return true;
}

void Bind(TAdsTable& table, const std::string& name, const std::string& order) {
  table.Close();
  table.SetIndexFieldNames("");
  table.SetTableName(name);
  table.SetIndexFieldNames(order);
}

void Unbind(TAdsTable& table) {
  table.Close();
  table.SetIndexFieldNames("");
  table.SetTableName("");
}

// Empties MEDSCH and MEDTBL. Every tier belongs to a MEDSCH row and every MEDSCH row goes, so every tier goes
// with them: also those whose row had gone before, which would otherwise meet the rows the rebuild numbers anew
// from 111 as soon as their old numbers come round again. With QueryClaim closed its detail is not restricted
// to a master row and shows them all.
void RemoveClaimSetup(const ClaimSetupObjects& o) {
  for (o.QueryClaim.First(); !o.QueryClaim.Eof();) o.QueryClaim.Delete();
  o.QueryClaim.Close();
  o.AdsTableAllocate.Close();
  o.AdsTableAllocate.Open();
  for (o.AdsTableAllocate.First(); !o.AdsTableAllocate.Eof();) o.AdsTableAllocate.Delete();
  o.QueryClaim.Open();
}

// The MEDTABLE row into the tier at `position` (0 for the first in ID order) of the set-up row QueryClaim stands
// on, which its detail AdsTableAllocate shows; past the last tier the values are dropped.
void FillTier(const ClaimSetupObjects& o, int position) {
  TAdsTable& tiers = o.AdsTableAllocate;
  tiers.First();
  for (int i = 0; i < position && !tiers.Eof(); ++i) tiers.Next();
  if (tiers.Eof()) return;
  tiers.Edit();
  for (const char* field : {"MAX_CLAIM", "FROM", "TO"})
    tiers.FieldByName(field).SetValue(o.AdsTableMedTable.FieldByName(field).Value());
  tiers.Post();
}

}  // namespace

void QueryClaimNewRecord(const ClaimSetupObjects& o) {
  const bool trnnoOpened = OpenWhenClosed(o.TableTrnno);
  o.TableTrnno.Edit();
  const std::int64_t number = o.TableTrnno.FieldByName("AUTO2").AsInteger() + 1;
  o.TableTrnno.FieldByName("AUTO2").SetAsInteger(number);
  o.TableTrnno.Post();
  if (trnnoOpened) o.TableTrnno.Close();

  const std::string trnno = std::to_string(number);
  o.QueryClaim.FieldByName("TRNNO").SetAsString(trnno);
  o.QueryClaim.FieldByName("ITEMTYPE").SetAsString("F");

  const bool tiersOpened = OpenWhenClosed(o.AdsTableAllocate);
  for (int tier = 1; tier <= kClaimTiers; ++tier) {
    o.AdsTableAllocate.Append();
    o.AdsTableAllocate.FieldByName("TRNNO").SetAsString(trnno);
    // An ID the engine does not number numbers the tiers of the row, so that the order TRNNO;ID holds them in
    // the order they were made (and a rebuild writes the same tiers again).
    engine::TField* id = o.AdsTableAllocate.FindField("ID");
    if (id && id->DataType() != engine::TFieldType::ftAutoInc) id->SetAsInteger(tier);
    o.AdsTableAllocate.Post();
  }
  if (tiersOpened) o.AdsTableAllocate.Close();
}

void RebuildClaimSetup(const ClaimSetupObjects& o) {
  o.AdsTableMedTable.Close();
  o.AdsTableMedTable.Open();
  OpenWhenClosed(o.AdsTableAllocate);
  OpenWhenClosed(o.TableTrnno);
  OpenWhenClosed(o.QueryClaim);

  RemoveClaimSetup(o);
  o.TableTrnno.Edit();
  o.TableTrnno.FieldByName("AUTO2").SetAsInteger(kClaimNumberBase);
  o.TableTrnno.Post();

  // MEDTABLE's order keeps the rows of a scheme and claim code together, in ID order: the n-th of them goes into
  // the n-th tier. (Looking for the first tier whose MAX_CLAIM is still 0 instead would let the row after one
  // with no maximum overwrite it.)
  std::string scheme, claim;
  int position = 0;
  for (o.AdsTableMedTable.First(); !o.AdsTableMedTable.Eof(); o.AdsTableMedTable.Next()) {
    const std::string rowScheme = o.AdsTableMedTable.FieldByName("CATEGORY").AsString();
    const std::string rowClaim = o.AdsTableMedTable.FieldByName("MEDICAL_CODE").AsString();
    if (rowScheme != scheme || rowClaim != claim) {
      scheme = rowScheme;
      claim = rowClaim;
      position = 0;
    }
    if (!o.QueryClaim.FindKey({scheme, claim})) {
      o.QueryClaim.Append();  // QueryClaimNewRecord numbers it and gives it its tiers
      o.QueryClaim.FieldByName("SCHEME_CODE").SetAsString(scheme);
      o.QueryClaim.FieldByName("CLAIM_CODE").SetAsString(claim);
      o.QueryClaim.FieldByName("CLAIMTYPE").SetAsString("0");
      o.QueryClaim.Post();
    }
    FillTier(o, position++);
  }

  o.AdsTableMedTable.Close();
  o.AdsTableAllocate.Close();
  o.TableTrnno.Close();
  o.QueryClaim.Close();
  o.QueryClaim.CloseStatement();
}

void AddSchemzEzaroLimits(const kv::upgrade::WindowObjects& w, TAdsTable& AdsTable2, TAdsTable& AdsTable3) {
  engine::TAdsQuery& schemes = w.AdsQuery1;
  schemes.Close();
  if (!w.AdsConnection1.IsDictionary()) {
    schemes.EnableStatementEncryption(engine::kTablePassword);
    schemes.SetTablePassword("EMPLOYEE", engine::kTablePassword);
  }
  schemes.SQL().Clear();
  schemes.SQL().Add("SELECT BENEFIT_SCHEME  FROM EMPLOYEE GROUP BY BENEFIT_SCHEME");
  schemes.Open();
  Bind(AdsTable2, "ALOCLAIM", "");
  AdsTable2.Open();
  Bind(AdsTable3, "MEDSCH", "SCHEME_CODE;CLAIM_CODE;SUBCLAIM;CLAIMTYPE");
  AdsTable3.Open();

  for (schemes.First(); !schemes.Eof(); schemes.Next()) {
    const std::string scheme = schemes.FieldByName("BENEFIT_SCHEME").AsString();
    for (AdsTable2.First(); !AdsTable2.Eof(); AdsTable2.Next()) {
      const std::string claim = AdsTable2.FieldByName("MEDICAL").AsString();
      const std::string subClaim = AdsTable2.FieldByName("CODE").AsString();
      if (AdsTable3.FindKey({scheme, claim, subClaim, "1"})) continue;
      AdsTable3.Append();
      AdsTable3.FieldByName("SCHEME_CODE").SetAsString(scheme);
      AdsTable3.FieldByName("CLAIM_CODE").SetAsString(claim);
      AdsTable3.FieldByName("SUBCLAIM").SetAsString(subClaim);
      AdsTable3.FieldByName("CLAIMTYPE").SetAsString("1");
      AdsTable3.FieldByName("SUBLIMIT").SetValue(AdsTable2.FieldByName("MAX_CLAIM").Value());
      AdsTable3.Post();
    }
  }

  schemes.Close();
  schemes.CloseStatement();
  Unbind(AdsTable2);
  Unbind(AdsTable3);
}

}  // namespace kv::conversions
