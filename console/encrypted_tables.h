#pragma once
// The free tables the driver's own steps encrypt on a free-table company, named once for the steps and for the
// drift check that looks for them afterwards. The tax tables and the column lists' steps name theirs beside
// them (conversions/table_protection.h, upgrade/list_steps.h).

namespace kv::console {

inline constexpr const char* kTransferTable = "transfer";                           // 8.7
inline constexpr const char* kPasswordTables[] = {"PASS", "EMP_ALW"};               // 8.8
inline constexpr const char* kSysContAndLoans[] = {"SYSCONT.ADT", "LOANS_RED.ADT"};  // 8.19

}  // namespace kv::console
