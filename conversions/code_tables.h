#pragma once
// Conversions of the company's code, list and leave tables, through the window's own objects:
//
//   AddLeaveCodes           the leave types "ECHILD" and "INFANT" in CODE, each only when absent
//   FixListValues           LIST values beginning with "DR" lose their "R" ("DR5" becomes "D5")
//   AddFamilyCodes          a "SOU" code for every occupation code of the family members and an "RE" code for
//                           every emergency-contact relation of the staff, each only when absent
//   ResetLeaveEntitlements  every leave entitlement's CURRENT back to 0
//
// The two that run for every company (AddLeaveCodes, FixListValues) pass over a company without the table.
// Nothing is caught: an engine failure ends the conversion where it happened and the rows posted before it stay.

#include "engine/connection.h"
#include "engine/query.h"
#include "engine/table.h"

namespace kv::conversions {

// AdsTable1 is left closed, named "CODE" / "LIST".
void AddLeaveCodes(engine::TAdsTable& AdsTable1);
void FixListValues(engine::TAdsTable& AdsTable1);

// AdsTableCode: "CODE.ADT", order "CATEGORY;CODE", exclusive; left open. AdsQuery1 reads FAMILY and EMPLOYEE
// (with the table password on a free-table company) and is left closed, its statement released.
void AddFamilyCodes(engine::TAdsTable& AdsTableCode, engine::TAdsQuery& AdsQuery1,
                    const engine::TAdsConnection& AdsConnection1);

// Through AdsQuerySQL, its statement released.
void ResetLeaveEntitlements(engine::TAdsQuery& AdsQuerySQL);

}  // namespace kv::conversions
