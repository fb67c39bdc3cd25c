#pragma once
// The release's column lists D, B and N: every column request in the order the run applies it, with the
// table-level steps bound to the requests (fills, decryptions and encryptions around batches, the salary
// integrity check, the removal of leftover backup tables) as named entries at their places.
//
// A list is a sequence of blocks ("D1" ... "N19"). A block is run only when its gates hold (an option of the
// window, the company's data version, a file of the company), under its guard (a failure ends the run, is shown
// with the block's words, or is dropped). Its entries are rows of requests for one table - written as the
// release's column tables write them: "NAME CODE SIZE; ...", "COLUMN61 to COLUMN100 I 8" for a numbered run,
// "drop DESC" for a dropped column - and steps. RunBlocks reads them and calls UpgradeColumn / DropColumn once
// per request.
//
// Steps that belong to layers above this one (the CPF loader, the driver's public-holiday correction, the
// report-writer conversions) are entries too; the console carries them out through ListContext::driverStep.
// The report field catalogue rows of the columns a list adds are entries where the list adds them.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/query.h"
#include "engine/table.h"
#include "upgrade/window_objects.h"

namespace kv::upgrade {

// One request as UpgradeColumn takes it, or a DropColumn request (code empty).
struct ColumnRequest {
  std::string table;  // empty for the table named in Edit4
  std::string column;
  std::string code;   // "C", "$", ...; empty for a drop
  std::string size;
  bool encrypted = false;
  bool Drop() const { return code.empty(); }
};

// A row of requests for one table. `changes` is the text of the row: requests separated by ";", each
// "NAME CODE SIZE", "PREFIXm to PREFIXn CODE SIZE" (one request per number, increasing) or "drop NAME".
// An empty table stands for the table named in Edit4.
struct ChangeRow {
  std::string_view table;
  bool encrypted = false;
  std::string_view changes;
};

// The named table-level steps.
enum class Step {
  // list D
  ShowLevyStart,             // Edit2: "UPDATE TABLE : FW_LEVY.ADT"
  FillLevyPeriodPart,        // FW_LEVY's empty PERIOD_PART becomes "1"
  DropLevyKey,               // FW_LEVY's index "PRIMARY" dropped
  CreateLevyKey,             // "PRIMARY" made again on YEAR, CLASS, CATEGORY, PERIOD_PART
  LoadLevyTables,            // a driver step: the levy and CPF class rows of 2010 to 2012, the 2011 holidays
  ShowLevyDone,              // Edit2: "UPDATE TABLE : FW_LEVY.ADT COMPLETED."
  FillYtdemplOriginalWages,  // ORI_OWWAGE and ORI_AWWAGE from CPFOWWAGE and CPFAWWAGE where empty
  DecryptPass,               // free tables: PASS decrypted when encrypted, until the driver encrypts it again
  LoadVoluntaryCpf2007,      // a driver step: the 2007 voluntary CPF rows
  CorrectPublicHolidays,     // a driver step: the 2009 Deepavali holiday
  AddLeaveCodes,             // a driver step: the leave types ECHILD and INFANT in CODE
  FixListValues,             // a driver step: LIST values beginning with "DR" lose their "R"
  DecryptTrnno,              // free tables: TRNNO decrypted for its clear requests
  AddFreeFieldLabels,        // a driver step: FREEFIELD's labels of the five new free fields
  RenumberAllowanceColumns,  // a driver step: the allowance fields renumbered from 1500
  ConvertCostCentre,         // a driver step: career records take the employee's cost centre
  // list B
  AddFormulaVariables,       // a driver step: the formula variables VA60 to VA70
  FillBankAmounts,           // P_HTRX's BANKAMT from nett_wage where empty
  PrepareEmailProfile,       // free tables: EMAILPROFILE encrypted, then decrypted
  CopyLevy2004To2005,        // a driver step: PAYPARA1's SDF and the levy rows of 2004 carried to 2005
  FillCareerHistory,         // a driver step: career records' OLD_ columns
  UpdateTerminationStatus,   // a driver step: employees' missing termination status
  ResetLeaveEntitlements,    // a driver step: EMPENT's CURRENT back to 0
  // list N
  EncryptWkcstrec,           // free tables: WKCSTREC encrypted when it is not
  DeleteEmpservBackup,       // the company disconnected; EMPSERV.ADT.BAK deleted when there
  FillPaypara2Type,          // PAYPARA2's empty TYPE becomes "COM"
  TakeSalaryTotal,           // the sum of EMP_PROS's NEW_SALARY kept; EMP_PROS decrypted
  CheckSalaryTotal,          // EMP_PROS encrypted; the sum compared with the kept one; EMP_PROS.ADT.BAK deleted
  EmptyRpHtrx,               // RP_HTRX emptied
  ResetEPayslipPasswords,    // EMPLOYEE's e_pass from NEW_IC or emp_no, as RadioButton1 / RadioButton2 say
  DecryptEmployee,           // free tables: EMPLOYEE decrypted for N11
  EncryptEmployee,           // free tables: EMPLOYEE encrypted after N11
  CycleEmpAlwEncryption,     // free tables: EMP_ALW decrypted and encrypted again
  CloseCodeTables,           // AdsTableCode and AdsTable1 closed
  FillCodeMapField,          // CODE's MAPFIELD from N1CLAIM where empty
  FillCodeLongDesc,          // CODE's LONG_DESC from DESC where empty
  FillEmpProsGrade,          // EMP_PROS's empty GRADE becomes "NONE"
  DecryptEmpmisc,            // reconnect; EMPMISC decrypted (through the dictionary in dictionary mode)
  EncryptEmpmisc,            // EMPMISC encrypted again (through the dictionary in dictionary mode)
  CopyLevy2007To2008,        // a driver step: the levy rows of 2007 carried to 2008
};

// What a failure inside a block or a step does.
enum class Guard {
  PassedOn,           // not caught: it ends the run
  ShownAfterWords,    // words + the failure's text; the run goes on
  ShownWithStatement, // the failure's text + " SQL " + AdsQuery1's statement; the run goes on
  Ignored,            // dropped without a word
};

// When a block or a step runs.
enum class Gate {
  Always,
  LevyTicked,              // chkCPFFWL
  EmailAcTicked,           // chkAC
  VoluntaryCpfTicked,      // CheckBoxVol
  DataVersionAtMost89000,  // 8.90 or older
  DataVersionBelow86000,   // older than 8.60
  NewFieldsTicked,         // CheckBox1
  EPayslipResetTicked,     // CheckBox5
  ApprovalFlowTicked,      // CheckBox6, and a table named in Edit4
  CasualdPresent,          // the company folder holds CASUALD.ADT
  RearrangeTicked,         // CheckBoxRearrange
  CostCentreTicked,        // CheckBoxCTR
  TerminationStatusTicked, // CheckBoxTerm
  LeaveResetTicked,        // CheckBoxForfeit
};

struct StepEntry {
  Step step;
  Gate gate = Gate::Always;
  Guard guard = Guard::PassedOn;
  std::string_view words{};
};

// The report field catalogue rows registered at this place, by number: "1256, 1257, 55, 8".
struct ReportFieldRows {
  std::string_view numbers;
};

using ListEntry = std::variant<ChangeRow, StepEntry, ReportFieldRows>;

struct ColumnBlock {
  std::string_view name;     // "D1"
  std::vector<Gate> gates{};  // all of them must hold
  Guard guard = Guard::PassedOn;
  std::string_view words{};
  std::vector<ListEntry> entries{};
};

using ColumnList = std::vector<ColumnBlock>;

const ColumnList& ListD();
const ColumnList& ListB();
const ColumnList& ListN();

// The requests of one row, in order; std::invalid_argument for a malformed row (a test reads every row).
std::vector<ColumnRequest> RequestsOf(const ChangeRow& row);

// What the lists need of the window beyond the column upgrade's objects. The options and Edit4 are read when
// a gate is reached, as the window's check boxes stay live during a run.
struct ListContext {
  WindowObjects window;
  engine::TAdsQuery& AdsQuery3;      // the salary totals
  engine::TAdsTable& AdsTableCode;   // closed before CODE is changed
  engine::TAdsTable& wwTableRtable;  // the report field catalogue, with the window's post-error handler
  std::function<bool(std::string_view componentName)> ticked;
  std::function<std::string()> flowTable;                    // Edit4
  std::function<void(const std::string&)> showStep;          // Edit2
  std::function<std::int64_t()> readDataVersion;             // PAYPARA's VERSION x 10000
  std::function<void(Step)> driverStep;                      // the steps marked as the driver's
};

// Runs the blocks of `list` from `first` to `last` (names, both included) in order. The data version is read
// once per call, when the first gate needing it is reached. std::invalid_argument for an unknown block name.
void RunBlocks(const ColumnList& list, std::string_view first, std::string_view last, ListContext& context);
void RunList(const ColumnList& list, ListContext& context);

}  // namespace kv::upgrade
