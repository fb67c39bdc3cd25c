#pragma once
// Conversions of the report writer's tables and of the claim templates: the labels of the new free fields, the
// formula variables, repairs of older field catalogue rows, the renumbering of the allowance fields with the
// report columns that show them, and a claim template replaced by the release's copy.
//
// Each works through the window's shared table objects, which it leaves closed with their designed orders and
// filters. None catches a failure: the run driver decides what a failure does to the run. The three the run
// makes on every company do nothing on a company without their table, as the column lists' steps do: a suite
// installed without its report writer has nothing to repair, and the run must not end over it.

#include <string>
#include <string_view>

#include "engine/connection.h"
#include "engine/table.h"
#include "platform/zip.h"

namespace kv::conversions {

// FREEFIELD: a row of module "UPD", line "1" for each of FIELD11 to FIELD15 that no module has yet, with the
// label "<Description11>" .. "<Description15>" as description and caption.
void AddFreeFieldLabels(engine::TAdsTable& AdsTable1);

// FORMULA: the variables VA60 to VA69 (EMPMISC's NUMERIC1 to NUMERIC10) and VA70 (working days per month),
// each added when the table has no variable of that name.
void AddFormulaVariables(engine::TAdsTable& AdsTable1);

// RTABLE: the code columns of rows 30, 51, 57 and 69, the width of row 140 and the kind of row 9 corrected,
// each when the row is there.
void FixReportFields(engine::TAdsTable& AdsTable1);

// The window's objects the allowance renumbering works on: RTABLE (order "NO", filter "database1='ALLW'"),
// RTPDETL.ADT (order "RPTCODE;ID", the same filter), ALLOWNCE (order "ALLOW_CODE;YEAR") and TRNNO.
struct AllowanceTables {
  engine::TAdsTable& wwTableRtable;
  engine::TAdsTable& wwTableRep;
  engine::TAdsTable& wwTableAllw;
  engine::TAdsTable& wwTableTrnno;
};

// Gives the allowance codes consecutive field numbers from 1500 in ALLOWNCE's order (every year of a code shares
// its code's number), writes one RTABLE row per code afresh, leaves TRNNO at the next free number, and points
// every report column at the RTABLE row of its field again.
void RenumberAllowanceColumns(const AllowanceTables& tables);

// What the claim template copy uses: the company's template table (TblTmpl), the release's (TblTmpl1 on
// AdsConnTmpl), the zip component, and where the update archive is.
struct ClaimTemplateObjects {
  engine::TAdsTable& TblTmpl;
  engine::TAdsTable& TblTmpl1;
  engine::TAdsConnection& AdsConnTmpl;
  kv::zip::ZipComponent& XceedZip1;
  std::string programFolder;      // ends with "\"
  std::string updateArchiveName;  // "UPDATEKV8.ZIP", in the program's folder
};

// Replaces the lines of claim template `templateNumber` (the text of Edit3) with the release's lines of that
// template, taken from the update archive. Nothing when the text is empty; std::invalid_argument, before
// anything is changed, when it is not a whole number. The release's table is extracted into the program's
// folder and removed from there again whatever happens after.
void CopyClaimTemplate(const ClaimTemplateObjects& objects, std::string_view templateNumber);

}  // namespace kv::conversions
