#pragma once
// The claim set-up conversions, through the window's own objects (the console passes them in; this layer never
// sees the window):
//
//   QueryClaimNewRecord   the new-record handler of QueryClaim: a new MEDSCH row gets the next running number
//                         of TRNNO's AUTO2 as its TRNNO, ITEMTYPE "F", and ten empty tiers in MEDTBL (their ID
//                         1 to 10 unless the engine numbers it)
//   RebuildClaimSetup     MEDSCH and MEDTBL made again from MEDTABLE: one MEDSCH row per scheme and claim code,
//                         numbered from 111, its tiers holding that pair's MEDTABLE rows in ID order (ten at most)
//   AddSchemzEzaroLimits  one sub-claim limit row in MEDSCH for every benefit scheme of the staff and every
//                         ALOCLAIM row, each only when absent
//
// Nothing is caught: an engine failure ends the conversion where it happened and the rows posted before it stay.

#include "engine/query.h"
#include "engine/table.h"
#include "upgrade/window_objects.h"

namespace kv::conversions {

// The window's claim set-up objects, all on the company connection.
struct ClaimSetupObjects {
  engine::TAdsTable& AdsTableMedTable;  // "MEDTABLE.ADT", order "CATEGORY;MEDICAL_CODE;ID"
  engine::TAdsTable& AdsTableAllocate;  // "MEDTBL.adt", order "TRNNO;ID", detail of QueryClaim on TRNNO
  engine::TAdsTable& TableTrnno;        // "TRNNO.ADT": the running numbers
  engine::TAdsQuery& QueryClaim;        // "SELECT * FROM  MEDSCH", order "SCHEME_CODE;CLAIM_CODE", live
};

// Tiers a claim set-up row is given.
inline constexpr int kClaimTiers = 10;
// TRNNO's AUTO2 after a rebuild has emptied the set-up: the first new row is numbered one above it.
inline constexpr int kClaimNumberBase = 110;

// For the row QueryClaim is appending. TableTrnno and AdsTableAllocate are opened for it when closed and left as
// they were found.
void QueryClaimNewRecord(const ClaimSetupObjects& objects);

// The four objects are left closed and QueryClaim's statement released. QueryClaim's new-record handler must be
// QueryClaimNewRecord.
void RebuildClaimSetup(const ClaimSetupObjects& objects);

// AdsQuery1 of `window` reads the staff's benefit schemes; AdsTable2 walks ALOCLAIM and AdsTable3 searches and
// appends MEDSCH (its index on SCHEME_CODE;CLAIM_CODE;SUBCLAIM;CLAIMTYPE must exist). All three are left closed,
// the tables without name and order.
void AddSchemzEzaroLimits(const kv::upgrade::WindowObjects& window, engine::TAdsTable& AdsTable2,
                          engine::TAdsTable& AdsTable3);

}  // namespace kv::conversions
