#include "app/demo/installation.h"

#include "app/demo/archives.h"
#include "app/demo/company_tables.h"
#include "app/demo/demo_dictionary.h"
#include "app/demo/demo_tables.h"
#include "app/demo/files.h"
#include "app/demo/people.h"
#include "app/demo/random.h"
#include "app/demo/table_maker.h"
#include "engine/connection.h"
#include "engine/table.h"
#include "platform/fs.h"

namespace kv::demo {
namespace {

void CheckOptions(const DemoOptions& o) {
  if (o.dir.empty()) throw std::invalid_argument("no folder given");
  if (o.companies < 0 || o.companies > kMaxCompanies)
    throw std::invalid_argument("--companies must lie between 0 and " + std::to_string(kMaxCompanies));
  if (o.employees < 1 || o.employees > kMaxEmployees)
    throw std::invalid_argument("--employees must lie between 1 and " + std::to_string(kMaxEmployees));
  if (o.dictionaries < 0 || o.dictionaries > o.companies)
    throw std::invalid_argument("--dictionary must lie between 0 and the number of companies");
}

// The folder must be new or empty: the maker never writes into an installation that is there.
void ClaimFolder(const std::string& dir) {
  if (fs::FileExists(dir)) throw DemoRefused(dir + " is a file, not a folder; nothing was written");
  if (fs::FolderExists(dir)) {
    if (!fs::FindFiles(dir + "\\*.*").empty())
      throw DemoRefused(dir + " exists and is not empty; the demo installation is only made in a new or empty "
                              "folder, so that it never overwrites an installation. Nothing was written");
    return;
  }
  if (!fs::CreateFolders(dir)) throw std::runtime_error("cannot create the folder " + dir);
}

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

void WriteRegistry(const std::string& dataPath, const std::vector<DemoCompany>& companies, int employees) {
  engine::TAdsConnection connection;
  connection.SetConnectPath(dataPath);
  connection.Connect();
  CreateDemoTable(connection, DemoTable("mcompany.ADT"), [&](engine::TAdsTable& t) {
    for (const DemoCompany& c : companies) {
      t.Append();
      t.FieldByName("COMPANY_CODE").SetAsString(c.code);
      t.FieldByName("COMPANY_NAME").SetAsString(c.name);
      t.FieldByName("TOTAL_STAFF").SetAsInteger(employees);
      t.FieldByName("PAYROLL_ACCESS_NO").SetAsInteger(1);
      t.FieldByName("BACKUPDATE2").SetAsDate(Date::FromYmd(2009, 12, 24));
      t.FieldByName("BACKUPDATE").SetAsDate(Date::FromYmd(2009, 12, 31));
      t.Post();  // MERGE stays empty: no company is selected
    }
  });
  connection.Disconnect();
}

// Time-stamped copies that earlier runs left in the work folder, and a file of another kind that stays.
void WriteWorkFolder(const std::string& dataPath) {
  const std::string folder = dataPath + "\\KAVENTMP";
  fs::CreateFolders(folder);
  engine::TAdsConnection connection;
  connection.SetConnectPath(folder);
  connection.Connect();
  static constexpr const char* kCopies[] = {"EMPLOYEE_20091230174502", "P_HTRX_20091230174533",
                                            "PAYPARA1_20091231090112"};
  int row = 0;
  for (const char* name : kCopies)
    CreateDemoTable(
        connection, DemoTable("WORKCOPY"),
        [&](engine::TAdsTable& t) {
          for (int i = 0; i < 3; ++i, ++row) {
            t.Append();
            t.FieldByName("EMP_NO").SetAsString("E000" + std::to_string(i + 1));
            t.FieldByName("PERIOD").SetAsString("200912");
            t.FieldByName("AMOUNT").SetAsCurrency(Currency::FromDouble(1000.0 + row * 125.5));
            t.Post();
          }
        },
        Protection::Clear, name);
  connection.Disconnect();
  WriteNewFile(folder + "\\PAYSLIP_EXPORT.CSV",
               "EMP_NO,PERIOD,NETT_WAGE\r\nE0001,200912,3250.00\r\nE0002,200912,2875.40\r\n");
}

// A company whose folder was copied in but never registered (the tool offers it when "Retrieve Company Code from
// Company Folder?" is ticked), and a copy of the first company put aside under a name with a dot, which is never
// offered.
void WriteUnregisteredFolders(const std::string& dataPath, const DemoCompany& first, const Random& root) {
  Random random = root.Fork(0x4e4557);
  DemoCompany newcomer = MakeCompany(998, random);
  newcomer.code = kUnregisteredCompany;
  const std::string folder = dataPath + "\\COMPANY\\" + newcomer.code;
  if (!fs::CreateFolders(folder)) throw std::runtime_error("cannot create the folder " + folder);
  Random staffRandom = random.Fork(1), tableRandom = random.Fork(2);
  MakeCompanyTables(folder, newcomer, MakeEmployees(2, DemoAsOf(), staffRandom), false, 0, tableRandom, false);

  const std::string aside = dataPath + "\\COMPANY\\" + first.code + ".OLD";
  if (!fs::CreateFolders(aside)) throw std::runtime_error("cannot create the folder " + aside);
  engine::TAdsConnection connection;
  connection.SetConnectPath(aside + "\\");
  connection.Connect();
  CreateDemoTable(connection, DemoTable("PAYPARA1"), [&](engine::TAdsTable& t) {
    t.Append();
    t.FieldByName("YEAR").SetAsString("2008");
    t.FieldByName("COMPANY").SetAsString(first.name);
    t.Post();
  });
  connection.Disconnect();
}

}  // namespace

std::vector<DemoCompanySummary> MakeDemoInstallation(const DemoOptions& options,
                                                     const std::function<void(const std::string&)>& progress) {
  CheckOptions(options);
  // An absolute data path, as the tool's own always is: the engine takes a relative table name as relative to
  // its connection's folder, so a relative folder would be counted twice.
  const std::string dataPath = WithoutTrailingSeparators(fs::Resolve(options.dir).string());
  ClaimFolder(dataPath);

  WriteNewFile(dataPath + "\\KAVEN.ini",
               "[PATH]\r\nDIR=\r\nDICTIONARY=\r\n[SETTING]\r\nSERVERTYPE=LOCAL\r\n");

  // Each company draws from a generator of its own, so a company's rows depend only on the seed and its number.
  const Random root(options.seed);
  std::vector<DemoCompany> companies;
  std::vector<Random> companyRandom;
  for (int i = 0; i < options.companies; ++i) {
    companyRandom.push_back(root.Fork(static_cast<std::uint64_t>(i) + 1));
    Random naming = companyRandom.back().Fork(0);
    companies.push_back(MakeCompany(i, naming));
  }
  WriteRegistry(dataPath, companies, options.employees);

  std::vector<DemoCompanySummary> summary;
  int freeCompanies = 0;
  for (int i = 0; i < options.companies; ++i) {
    const DemoCompany& company = companies[static_cast<std::size_t>(i)];
    Random& random = companyRandom[static_cast<std::size_t>(i)];
    const std::string folder = dataPath + "\\COMPANY\\" + company.code;
    if (!fs::CreateFolders(folder)) throw std::runtime_error("cannot create the folder " + folder);
    Random staffRandom = random.Fork(1);
    const std::vector<DemoEmployee> staff = MakeEmployees(options.employees, DemoAsOf(), staffRandom);
    const bool dictionary = i < options.dictionaries;
    Random tableRandom = random.Fork(2);
    const CompanyContent content =
        MakeCompanyTables(folder, company, staff, dictionary, dictionary ? 0 : freeCompanies++, tableRandom,
                          options.olderColumnLayouts);
    if (dictionary) PutUnderDictionary(folder, company.code, content);
    MakeCompanyLeftovers(folder, staff);
    summary.push_back({company.code, company.name, static_cast<int>(staff.size()), content.historyRows, dictionary});
    if (progress)
      progress(company.code + "  " + company.name + "  " + std::to_string(staff.size()) + " employees, " +
               std::to_string(content.historyRows) + " payroll history rows" +
               (dictionary ? ", under the dictionary " + company.code + ".add" : ", free tables"));
  }

  if (!companies.empty()) WriteUnregisteredFolders(dataPath, companies.front(), root);
  WriteWorkFolder(dataPath);
  fs::CreateFolders(dataPath + "\\IMAGE");
  MakeReleaseArchives(dataPath);
  return summary;
}

}  // namespace kv::demo
