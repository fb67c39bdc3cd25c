#pragma once
// Protection of the company's tables, at the end of a company's upgrade:
//
//   EncryptTaxTables         free-table companies: the tax tables IRDX8A, IR8AR, IR8AREC, IR8S and IRREFUND
//                            encrypted with the table password, each unless it is so already (or absent)
//   RefreshDictionaryTables  dictionary companies: every table's auto-create property (203) set to 0 and back to
//                            1; a failure is shown ("Error in T  ...Press any key to continue.") and ends the walk
//
// RefreshDictionaryTables reconnects the company connection: every object bound to it is closed afterwards. It
// raises "Company code not found !" when the registry cannot be put back on the company.

#include "upgrade/window_objects.h"

namespace kv::conversions {

// The tax tables, in the order they are encrypted.
inline constexpr const char* kTaxTables[] = {"IRDX8A", "IR8AR", "IR8AREC", "IR8S", "IRREFUND"};

// Through AdsTable1, left closed without an order; nothing at all on a dictionary company.
void EncryptTaxTables(const kv::upgrade::WindowObjects& window);
void RefreshDictionaryTables(const kv::upgrade::WindowObjects& window);

}  // namespace kv::conversions
