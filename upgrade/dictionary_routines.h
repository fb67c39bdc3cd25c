#pragma once
// The tool's routines over a company's data dictionary (AdsDictionary1): whether a table or user is there, the
// suite's standard rights on a table, taking a table out of the dictionary for an ALTER TABLE and putting it
// back, registering a table again, and rebuilding the rights of every table.
//
// The company is the one the registry table AdsTableCompany stands on. A routine that switches to the dictionary
// disconnects AdsConnection1 (every table bound to it closes), connects AdsDictionary1 to the company's ".add"
// and at the end disconnects it, connects AdsConnection1 again and finds the company in the registry once more
// ("Company code not found !" when it has gone). AdsDictionary1 is always disconnected when a routine returns.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dictionary.h"
#include "upgrade/window_objects.h"

namespace kv::upgrade {

// One row of the suite's standard rights.
struct StandardRight {
  std::string_view accessor;
  std::string_view rights;
};
// In the order they are granted.
const std::vector<StandardRight>& StandardRights();

// The user the tool makes when a dictionary lacks it; the other accessors belong to the suite's set-up.
inline constexpr std::string_view kToolUser = "UTC";
inline constexpr std::string_view kToolUserPassword = "qzn507";
inline constexpr std::string_view kToolUserDescription = "ZAZA USER";

// The company connection let go and AdsDictionary1 connected to its dictionary; returns the company code that
// SwitchBack needs. SwitchBack disconnects AdsDictionary1, connects AdsConnection1 again and finds the company in
// the registry ("Company code not found !" when it has gone).
std::string SwitchToDictionary(const WindowObjects& window);
void SwitchBack(const WindowObjects& window, const std::string& code);
// "Error in " + table + "  " + text + "Press any key to continue.": how a failing table is reported.
std::string ErrorInTable(std::string_view table, const std::string& text);

// Fills `list` with the dictionary's table names (adding to what it holds) and tells whether one of them is
// `table`, without regard to case.
bool TableInDictionary(engine::TAdsDictionary& dictionary, std::vector<std::string>& list, std::string_view table);
// Whether the dictionary holds a user of exactly that name (case counts).
bool DictionaryUserExists(engine::TAdsDictionary& dictionary, std::string_view user);

// Creates "UTC" when missing, grants the standard rights on the table in order, then sets its auto-create
// property (203) to 1. A refusal anywhere ends the grants of this call silently. With switchToDictionary false
// the caller has connected AdsDictionary1 already.
void GrantStandardRights(const WindowObjects& window, std::string_view table, bool switchToDictionary);

// Takes a registered table out of the dictionary, its files kept, after letting the dictionary decrypt it;
// AdsConnection1 is left on the plain company folder so that the table can be changed as a free table. True
// when the dictionary had the table encrypted. Failures are shown ("<#100> Error in ...") and the routine goes
// on.
bool DetachFromDictionary(const WindowObjects& window, std::string_view table, bool encrypted);
// Registers the table again (when it is not registered) with encryption when `encrypted`, auto-create and the
// standard rights; AdsConnection1 goes back to the dictionary. A table that is still registered (its removal
// failed) gets its encryption back when `encrypted` and the dictionary had let it go.
void AttachToDictionary(const WindowObjects& window, std::string_view table, bool encrypted);

// Registers a table anew when it is missing from the dictionary, or when it is there unencrypted or with
// auto-create off: encryption when `encrypt`, auto-create on, the standard rights.
void ReattachToDictionary(const WindowObjects& window, std::string_view table, bool encrypt);
// Lets the dictionary decrypt a registered, encrypted table. Does nothing on a free-table company.
void DecryptInDictionary(const WindowObjects& window, std::string_view table);
// The standard rights on every table of the company's dictionary, in the dictionary's order.
void RebuildTableRights(const WindowObjects& window);

}  // namespace kv::upgrade
