#pragma once
// TForm1: the tool's one window, without any widget toolkit.
//
// It owns every engine object the window places (connections, the dictionary object, the work tables and
// queries, the registry table AdsTableCompany the grid shows) and the zip component XceedZip1; the options as
// state objects findable by component name; the progress lines and labels as observable texts; and the event
// handlers by their names. It talks to a person only through the ui port it is given, so a front-end is a thin
// view: the Qt window binds widgets to the state objects, the headless runner prints their changes.
//
// Life of a window, as a front-end drives it:
//   TForm1 form(ui, programFile);  // programFile's folder is the program's folder (KAVEN.ini, default data path)
//   form.FormCreate();             // may raise: show it as the default error display does, then go on
//   form.FormShow();
//   ... person ticks options (Option("chkCPFFWL").Click()) and companies (SelectCompany("ABC", true)) ...
//   form.BitBtn1Click();           // the run; an error no step catches comes out of here
//   form.Closed();                 // true after a complete run (OnClose was called)
//
// An error that a handler does not catch propagates to the front-end, which shows its text in a message box as
// the default error display does. After such an error in BitBtn1Click the window stays open with Process and the
// grid disabled; it must then be closed and the tool started again.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "console/message_tap.h"
#include "console/observable.h"
#include "conversions/record_objects.h"
#include "console/options.h"
#include "conversions/claim_setup.h"
#include "engine/engine.h"
#include "platform/ui.h"
#include "platform/zip.h"
#include "support/calendar.h"
#include "support/currency.h"
#include "upgrade/column_lists.h"
#include "upgrade/window_objects.h"

namespace kv::console {

inline constexpr std::string_view kApplicationTitle = "KV8 MTN VER 9.07";
// The data version a complete company run records in PAYPARA.
inline constexpr kv::Currency kDataVersion = kv::Currency::FromScaled(90700);

// The keys FormKeyDown acts on; a front-end passes Other for every other key.
enum class TKey { F5, F8, F10, Other };

// A button or the grid: the run disables both.
struct TControl {
  explicit TControl(std::string text = "") : caption(std::move(text)) {}
  std::string caption;
  ObservableFlag enabled{true};
};

class TForm1 {
 public:
  // programFile: the program file's path (suite or host form); its folder, with a trailing "\", is the
  // program's folder, and its modification date goes into the caption.
  TForm1(kv::ui::UserInterface& ui, std::string programFile);
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // ---- event handlers ----
  // Credentials, "KAVEN.ini", the registry connection and the registry (with the creation prompt). Raises when
  // the registry cannot be opened a second time; the window then opens with an empty grid.
  void FormCreate();
  // Caption with the program file's date; LabelServerInfo with the engine's kind and version.
  void FormShow();
  // Bound to CheckBox2 and CheckBoxDir: every company's MERGE becomes "1" when CheckBox2 is ticked, else "0".
  void CheckBox2Click();
  // RadioButton1 and RadioButton2 are enabled exactly while CheckBox5 is ticked.
  void CheckBox5Click();
  // F5 shows the tabs of "Optional" and "Misc"; F8 shows CheckBoxUpdate; F10 shows CheckBoxjpg.
  void FormKeyDown(TKey key);
  // Process: the whole run over the selected companies (see run_driver.cpp). Does nothing while Process is
  // disabled (during a run, and after a run that ended on an error).
  void BitBtn1Click();
  // The run of BitBtn1Click in its three parts, for companies run by processes of their own: ProcessStart is
  // the run start (false when the confirmation is answered No, or Process is disabled), ProcessOneCompany one
  // company's part of the run in a window that did no run start (no confirmation, no shared folders), and
  // ProcessEnd the run end, after every company.
  bool ProcessStart();
  void ProcessOneCompany(const std::string& code);
  void ProcessEnd();
  // The drift check and the record of the last run of the company the grid stands on, each in a titled box
  // ("Check", "Last run"); nothing while a run is under way.
  void ButtonCheckClick();
  void ButtonLastRunClick();
  // Zip progress into Edit1.
  void XceedZip1FileStatus(const kv::zip::FileStatus& status);
  // The handlers that let encrypted free tables be read through placed objects, and report failed posts to
  // RTABLE: bound to AdsQuery3, wwTablePAybank and wwTableRtable.
  void AdsQuery3BeforeOpen();
  void wwTablePAybankAfterOpen();
  void wwTableRtablePostError(const engine::EADSDatabaseError& error, engine::TDataAction& action);
  // Bound to QueryClaim: a new MEDSCH row gets its running number and ten tiers (conversions/claim_setup.h).
  void QueryClaimNewRecord();

  // ---- the registry grid ----
  // Ticks (MERGE "1") or unticks (MERGE empty) a company in the grid, as the grid's check box does: the record
  // is edited and stays so until the cursor moves or the run starts. False when the code is not registered or
  // the registry is not open.
  bool SelectCompany(std::string_view code, bool selected);

  // ---- options and pages ----
  TCheckOption& Option(std::string_view componentName);  // std::out_of_range for an unknown name
  TCheckOption* FindOption(std::string_view componentName);
  const TOptions& Options() const { return options_; }
  TPage& Page(std::string_view name);  // "Main", "Optional", "Misc"; std::out_of_range otherwise
  const std::vector<std::unique_ptr<TPage>>& Pages() const { return pages_; }

  // ---- window state ----
  ObservableText Caption;
  ObservableText Edit1;        // per-step progress ("Zipping : ...")
  ObservableText Edit2;        // current step or folder
  ObservableText edtdatabase;  // connect path of the company being processed
  ObservableText Edit3;        // hidden, on Misc
  ObservableText Edit4{"employee"};  // "Flow Table", on Misc
  ObservableText LabelServerInfo;
  TControl BitBtn1{"&Process"};
  TControl ButtonCheck{"C&heck"};
  TControl ButtonLastRun{"&Last run"};
  TControl wwDBGrid1;

  bool Closed() const { return closed_; }
  std::function<void()> OnClose;
  void Close();

  // ---- application-wide values ----
  const std::string& ProgramFile() const { return programFile_; }
  const std::string& ProgramFolder() const { return programFolder_; }  // ends with "\"
  const std::string& DataPath() const { return dataPath_; }            // "DIR" as written, else ProgramFolder
  const std::string& DictionarySetting() const { return dictionarySetting_; }  // "DICTIONARY" of "PATH"
  const std::string& UpdateArchiveName() const { return updateArchiveName_; }  // "UPDATEKV8.ZIP"
  // The code of the registry's current record: the company being processed during a run.
  std::string CompanyCode() const;
  // data path + "COMPANY\" + code.
  std::string CompanyFolder(std::string_view code) const;

  kv::ui::UserInterface& Ui() { return ui_; }
  // The time backups are stamped with; tests fix it.
  std::function<kv::DateTime()> Clock = [] { return kv::DateTime::Now(); };

  // ---- routines other steps call ----
  // Backups and housekeeping.
  void Backup(const std::string& code);
  void ExtractWallpaper();
  void ExtractArchiveFile(const std::string& fileName);
  void CleanUpWorkFiles(const std::string& code);
  void CleanUpWorkFolder();
  // PAYPARA's VERSION × 10000 through AdsTable1 (raises when PAYPARA or VERSION is missing).
  std::int64_t ReadDataVersion();
  // Stores the version in PAYPARA's VERSION through AdsTable1; a failure is shown as "ERROR1 " + its text.
  void WriteDataVersion(kv::Currency version);
  // What the column upgrades and the dictionary routines use of this window.
  kv::upgrade::WindowObjects UpgradeObjects();
  // Every text field of 8 characters of the table's current (new) record becomes "NONE".
  static void FillNoneFields(engine::TAdsTable& table);
  // The claim set-up objects as the claim conversions use them.
  kv::conversions::ClaimSetupObjects ClaimObjects();

  // ---- engine objects placed on the window ----
  engine::TAdsConnection AdsConnection1{"AdsConnection1", "Form1"};  // the company; Tag 99 in dictionary mode
  engine::TAdsConnection AdsConnection2{"AdsConnection2", "Form1"};  // the registry (data path)
  engine::TAdsConnection AdsConnectionSetup{"AdsConnectionSetup", "Form1"};
  engine::TAdsConnection AdsConnectionSup{"AdsConnectionSup", "Form1"};
  engine::TAdsConnection AdsConnTmpl{"AdsConnTmpl", "Form1"};
  engine::TAdsDictionary AdsDictionary1{"AdsDictionary1", "Form1"};

  engine::TAdsTable AdsTableCompany{"AdsTableCompany", "Form1"};
  engine::TAdsTable TableCompany{"TableCompany", "Form1"};
  engine::TAdsTable AdsTable1{"AdsTable1", "Form1"};
  engine::TAdsTable AdsTable2{"AdsTable2", "Form1"};
  engine::TAdsTable AdsTable3{"AdsTable3", "Form1"};
  engine::TAdsTable TableTrx{"TableTrx", "Form1"};
  engine::TAdsTable AdsTableHTRX{"AdsTableHTRX", "Form1"};
  engine::TAdsTable AdsTableEmp{"AdsTableEmp", "Form1"};
  engine::TAdsTable AdsTableCareer{"AdsTableCareer", "Form1"};
  engine::TAdsTable AdsTableCode{"AdsTableCode", "Form1"};
  engine::TAdsTable AdsTableCost{"AdsTableCost", "Form1"};
  engine::TAdsTable AdsTablePaypara{"AdsTablePaypara", "Form1"};
  engine::TAdsTable AdsTableLvset{"AdsTableLvset", "Form1"};
  engine::TAdsTable AdsTableCPF{"AdsTableCPF", "Form1"};
  engine::TAdsTable AdsTablePH{"AdsTablePH", "Form1"};
  engine::TAdsTable AdsTableSupvr{"AdsTableSupvr", "Form1"};
  engine::TAdsTable AdsTableAppr{"AdsTableAppr", "Form1"};
  engine::TAdsTable AdsTableMedTable{"AdsTableMedTable", "Form1"};
  engine::TAdsTable AdsTableAllocate{"AdsTableAllocate", "Form1"};
  engine::TAdsTable TableTrnno{"TableTrnno", "Form1"};
  engine::TAdsTable wwTableTrnno{"wwTableTrnno", "Form1"};
  engine::TAdsTable wwTableRtable{"wwTableRtable", "Form1"};
  engine::TAdsTable wwTableRep{"wwTableRep", "Form1"};
  engine::TAdsTable wwTableAllw{"wwTableAllw", "Form1"};
  engine::TAdsTable wwTablePAybank{"wwTablePAybank", "Form1"};
  engine::TAdsTable wwTableGrpTrx{"wwTableGrpTrx", "Form1"};
  engine::TAdsTable TblTmpl{"TblTmpl", "Form1"};
  engine::TAdsTable TblTmpl1{"TblTmpl1", "Form1"};

  engine::TAdsQuery AdsQuery1{"AdsQuery1", "Form1"};
  engine::TAdsQuery AdsQueryIndex{"AdsQueryIndex", "Form1"};
  engine::TAdsQuery AdsQuerySQL{"AdsQuerySQL", "Form1"};
  engine::TAdsQuery AdsQueryDEL{"AdsQueryDEL", "Form1"};
  engine::TAdsQuery AdsQuery2{"AdsQuery2", "Form1"};
  engine::TAdsQuery AdsQuery3{"AdsQuery3", "Form1"};
  engine::TAdsQuery QueryClaim{"QueryClaim", "Form1"};

  kv::zip::ZipComponent XceedZip1;

 private:
  // ---- window set-up (form.cpp) ----
  void PlaceEngineObjects();
  void BindOptionHandlers();

  // ---- start-up (start_up.cpp) ----
  void ReadConfiguration();
  void ConnectRegistry();
  void OpenRegistry();
  void RegistryCreationPrompt();

  // ---- the run (run_driver.cpp) ----
  bool RunStart();  // false when the confirmation is answered No
  // One company's run with its record written beside its backup (run_record.cpp), around ProcessCompanySteps.
  void ProcessCompanySteps(const std::string& code);
  void PrepareWindowForRun();
  void ProcessCompany(const std::string& code);
  void ConnectCompany(const std::string& code);
  void NormalFlowPartOne();
  void NormalFlowPartThree(const std::string& code);
  // The window's objects, options and progress lines as the column lists use them.
  kv::upgrade::ListContext ColumnListContext();
  void RunEnd();
  void ShieldRegistryWalkers(bool running);

  // ---- the steps of the run that belong to the driver (company_steps.cpp) ----
  void CorrectPublicHolidays();
  void EncryptTransferTable();
  void EncryptFreeTable(const std::string& tableName);
  void FillRbItemIds();
  void EncryptSysContAndLoans();
  void FillTrainingDepartments();
  void FillMedschClaimTypes();
  void AddMedschIndex();
  void RegisterTimeClockProcedure();
  void DeleteEmptyQueryRows();
  void DeleteLeftoverTableBackups();
  void ExecuteOn(engine::TAdsQuery& query, const std::string& statement);
  // The report writer's tables and the claim templates (report_writer_steps.cpp).
  void RenumberAllowanceColumns();
  void UpdateReportTemplates();
  void CopyClaimTemplate();

  // ---- the driver's per-company tasks (company_registration.cpp, driver_tasks.cpp, employee_walk.cpp) ----
  void RegisterCompaniesFromFolders(const std::string& dataPath);
  void FillFinNumbers();
  void SeedReportCodes();
  void EmployeeRecordWalk();
  // What the record conversions use of this window.
  kv::conversions::RecordObjects ConversionObjects();

  MessageTap messageTap_;  // every message the run shows passes here, for the run's record
  kv::ui::UserInterface& ui_;
  std::string lastBackup_;  // the archive the company's backup wrote, if any
  TOptions options_;
  std::vector<std::unique_ptr<TPage>> pages_;

  std::string programFile_;
  std::string programFolder_;
  std::string dataPath_;
  std::string dictionarySetting_;
  std::string updateArchiveName_;
  bool running_ = false;
  bool closed_ = false;

 public:
  // ---- the options by component name, as the steps read them ----
  TCheckOption& CheckBoxbackup;
  TCheckOption& CheckBox1;
  TCheckOption& CheckBox8;
  TCheckOption& CheckBox2;
  TCheckOption& CheckBoxDir;
  TCheckOption& CheckBoxVol;
  TCheckOption& chkAC;
  TCheckOption& CheckBoxHTRX;
  TCheckOption& CheckBoxSupvr1;
  TCheckOption& CheckBoxPOSB;
  TCheckOption& CheckBoxRearrange;
  TCheckOption& CheckBoxTerm;
  TCheckOption& CheckBoxRight;
  TCheckOption& CheckBoxPICTURE;
  TCheckOption& CheckBoxFin;
  TCheckOption& removeNRIC;
  TCheckOption& chkCPFFWL;
  TCheckOption& CheckBoxSAVEJPG;
  TCheckOption& CheckBoxCompany;
  TCheckOption& CheckBoxAdv;
  TCheckOption& CheckBoxCode;
  TCheckOption& CheckBoxReport;
  TCheckOption& CheckBoxUpdate;
  TCheckOption& CheckBoxForfeit;
  TCheckOption& CheckBoxNS;
  TCheckOption& CheckBoxCost;
  TCheckOption& CheckBoxAdd;
  TCheckOption& CheckBoxClaim;
  TCheckOption& CheckBoxjpg;
  TCheckOption& CheckBoxaddr;
  TCheckOption& CheckBoxSTOP;
  TCheckOption& CheckBoxFamily;
  TCheckOption& CheckBoxEducate;
  TCheckOption& CheckBoxFamilyCode;
  TCheckOption& CheckBoxCTR;
  TCheckOption& CheckBox5;
  TCheckOption& RadioButton1;
  TCheckOption& RadioButton2;
  TCheckOption& CheckBox7;
  TCheckOption& CheckBox3;
  TCheckOption& CheckBox4;
  TCheckOption& CheckBox6;
};

}  // namespace kv::console
