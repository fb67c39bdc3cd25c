#pragma once
// Tables replaced as a whole by the copies the release ships in its archives in the data path: the general-ledger
// and output-definition tables of the update archive ("UPDATEKV8.ZIP") and the advanced report-writer tables of
// "RPTDATA.ZIP". They are extracted into the company folder through the window's zip component; in dictionary
// mode they are taken out of the dictionary first and registered again after, by the orders of the data tables
// below. The zip component's list of files to process is only added to, never cleared, across the extractions
// of one run.

#include <span>
#include <string>
#include <string_view>

#include "platform/zip.h"
#include "upgrade/window_objects.h"

namespace kv::upgrade {

// A table the dictionary phase takes out of the dictionary when it is registered, and whether its files are then
// extracted (name + ".*").
struct ArchiveTable {
  std::string_view registeredName;
  bool extracted = true;
};

// One step of registering the tables again: AddTable of name (file name + ".ADT"), the standard rights on it,
// or both; `silent` steps ignore their failure, the others pass it on and end the registrations.
struct Reregistration {
  enum class Kind { Add, Rights, AddWithRights };
  Kind kind;
  std::string_view table;
  bool silent = false;
};

struct ArchiveTableSet {
  std::span<const std::string_view> alwaysExtracted;  // dictionary mode, added before the tables below
  std::span<const ArchiveTable> takenOut;             // dictionary mode, in order
  std::span<const std::string_view> freeTablePatterns;
  std::span<const Reregistration> reregistered;       // dictionary mode, in order
};

const ArchiveTableSet& UpdateArchiveTables();  // "UPDATEKV8.ZIP"
const ArchiveTableSet& ReportWriterTables();    // "RPTDATA.ZIP"

struct ArchiveObjects {
  const WindowObjects& window;
  kv::zip::ZipComponent& XceedZip1;
};

// The update archive's tables. A missing archive does nothing. A failure of the dictionary phases is shown as
// its text + " " + the table and passed on; the company connection is back on the company either way.
void ExtractArchiveTables(const ArchiveObjects& objects, std::string_view archive);

// "RPTDATA.ZIP" whole (free tables) or its three tables (dictionary mode); RBFIELD and RBTABLE are encrypted
// afterwards (with the table password, or by the dictionary). A missing archive is said so.
void ExtractReportWriterTables(const ArchiveObjects& objects, std::string_view archive);

}  // namespace kv::upgrade
