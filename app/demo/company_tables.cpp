#include "app/demo/company_tables.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

#include "app/demo/demo_row.h"
#include "app/demo/demo_tables.h"
#include "app/demo/files.h"
#include "app/demo/older_layouts.h"
#include "app/demo/payroll.h"
#include "app/demo/report_writer_tables.h"
#include "app/demo/setup_rows.h"
#include "app/demo/table_maker.h"
#include "engine/connection.h"
#include "engine/table.h"
#include "platform/fs.h"
#include "platform/picture.h"
#include "support/strings.h"

namespace kv::demo {
namespace {

using engine::TAdsTable;

std::string Letter(char c) { return std::string(1, c); }

// --- company parameters ---

void WritePaypara(TAdsTable& t, const DemoCompany& c) {
  Row(t)
      .Money("VERSION", Currency::Parse("8.50").value())
      .Text("COMPANY", c.name)
      .Text("ADDRESS1", c.address1)
      .Text("ADDRESS2", c.address2)
      .Text("ADDRESS3", c.address3)
      .Text("POSTAL_CODE", c.postalCode)
      .Text("TEL_NO", c.telephone)
      .Text("FAX_NO", c.fax)
      .Text("EMAIL", c.email)
      .Text("REGISTRATION_NO", c.registrationNo)
      .Text("CPF_SUBMISSION_NO", c.cpfSubmissionNo)
      .Text("IRAS_TAX_REF", c.registrationNo)
      .Text("BANK_ID", c.bankId)
      .Text("BANK_BRANCH", c.bankBranch)
      .Text("BANK_AC_NO", c.bankAccount)
      .Text("CURRENT_YEAR", "2009")
      .Text("CURRENT_PERIOD", kLastHistoryPeriod)
      .Number("PAYDAY", 28)
      .Post();
}

void WritePaypara1(TAdsTable& t, const DemoCompany& c) {
  // One row a year since the company started on the suite; the CPF ceilings as they stood each year.
  struct Year {
    const char* year;
    double owCeiling, awCeiling;
  };
  static constexpr Year kYears[] = {{"2004", 5500, 93500}, {"2005", 5000, 90000}, {"2006", 4500, 85000},
                                    {"2007", 4500, 85000}, {"2008", 4500, 85000}, {"2009", 4500, 85000}};
  for (const Year& y : kYears)
    Row(t)
        .Text("YEAR", y.year)
        .Text("COMPANY", c.name)
        .Text("MASTER", "ADMIN")
        .Money("SDF_MAX", Dollars(11.25))
        .Money("SDF_MIN", Dollars(2))
        .Money("SDF", Dollars(0.25))
        .Money("CPF_OW_CEILING", Dollars(y.owCeiling))
        .Money("CPF_AW_CEILING", Dollars(y.awCeiling))
        .Real("WORKING_DAYS", 22)
        .Real("WORKING_HOURS", 44)
        .Real("OT_RATE1", 1.5)
        .Real("OT_RATE2", 2.0)
        .Text("BONUS_MONTH", "12")
        .Post();
}

// --- staff and pay ---

// A small portrait: a face-coloured oval on a background of the employee's own shade.
picture::Image Portrait(const DemoEmployee& e) {
  constexpr int kWidth = 30, kHeight = 40;
  const int shade = 60 + (e.empNo.back() - '0') * 15;
  picture::Image image{kWidth, kHeight, {}};
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const double dx = (x - kWidth / 2.0) / 10.0, dy = (y - kHeight / 2.5) / 13.0;
      const bool face = dx * dx + dy * dy < 1.0;
      image.rgb.insert(image.rgb.end(), {static_cast<std::uint8_t>(face ? 232 : shade),
                                         static_cast<std::uint8_t>(face ? 190 : shade + 20),
                                         static_cast<std::uint8_t>(face ? 160 : 200)});
    }
  return image;
}

// A few employees have a photo: kept as a bitmap by older releases (numbers ending in 1), as a JPEG by newer
// ones (ending in 6).
picture::Bytes PhotoOf(const DemoEmployee& e) {
  switch (e.empNo.back()) {
    case '1': return picture::EncodeBitmap(Portrait(e));
    case '6': return picture::EncodeJpeg(Portrait(e));
    default: return {};
  }
}

void WriteEmployees(TAdsTable& t, const std::vector<DemoEmployee>& staff) {
  for (const DemoEmployee& e : staff) {
    Row r(t);
    r.Text("EMP_NO", e.empNo)
        .Text("EMP_NAME", e.name)
        .Text("EMP_ALIAS", e.alias)
        .Text("NEW_IC", e.residency == Residency::Foreigner ? e.fin : e.nric)
        .Text("SEX", Letter(e.sex))
        .Text("SEX_TITLE", e.title)
        .Day("BIRTH_DATE", e.birthDate)
        .Text("RACE", e.race)
        .Text("RELIGION", e.religion)
        .Text("MARITAL_STATUS", Letter(e.maritalStatus))
        .Text("NATIONALITY", e.nationality)
        .Text("CITIZENSHIP", e.residency == Residency::Citizen ? "S" : e.residency == Residency::PermanentResident ? "P" : "F")
        .Day("PR_DATE", e.prDate)
        .Text("ADDRESS1", e.address1)
        .Text("ADDRESS2", e.address2)
        .Text("ADDRESS3", e.address3)
        .Text("POSTAL_CODE", e.postalCode)
        .Text("TEL_NO", e.telephone)
        .Text("MOBILE_NO", e.mobile)
        .Text("EMAIL_AC_NO", e.email)
        .Day("HIRED_DATE", e.hired)
        .Day("CONFIRM_DATE", e.confirmed)
        .Day("TERMINATION_DATE", e.terminated)
        .Text("TERMINATION_REASON", e.terminationReason)
        .Text("DIVISION_CODE", e.division)
        .Text("DEPARTMENT_CODE", e.department)
        .Text("SECTION_CODE", e.section)
        .Text("COST_CENTRE_CODE", e.costCentre)
        .Text("CATEGORY_CODE", e.category)
        .Text("JOB_GRADE_CODE", e.jobGrade)
        .Text("OCCUPATION_CODE", e.occupation)
        .Text("LOCATION_CODE", e.location)
        .Text("PAY_GROUP", e.payGroup)
        .Money("BASIC_SALARY", e.basicSalary)
        .Text("SALARY_TYPE", "M")
        .Text("BANK_ID", e.bankId)
        .Text("BANK_BRANCH_CODE", e.bankBranch)
        .Text("BANK_AC_NO", e.bankAccount)
        .Text("PAY_MODE", Letter(e.payMode))
        .Text("INCOME_TAX_AC_NO", e.incomeTaxNo)
        .Text("EMP_PASS_TYPE", e.passType)
        .Text("EMP_PASS_AC_NO", e.fin)
        .Day("EMP_PASS_ISSUE_DATE", e.passIssued)
        .Day("EMP_PASS_EXPIRE_DATE", e.passExpires)
        .Text("PASSPORT_NO", e.passportNo)
        .Day("PASSPORT_EXPIRE_DATE", e.passportExpires)
        .Text("CPF_CATEGORY", e.cpfCategory)
        .Text("FUND_CODE", e.fundCode)
        .Text("IS_EPF_OLD", e.supervisor ? "T" : "F")
        .Text("SUPERVISOR_CODE", e.supervisorCode)
        .Text("SPOUSE_NAME", e.spouseName)
        .Text("SPOUSE_NEW_IC", e.spouseNric)
        .Day("SPOUSE_DOB", e.spouseBirthDate)
        .Text("SPOUSE_JOB_CODE", e.spouseJob)
        .Text("SPOUSE_PHONE", e.spousePhone)
        .Text("EMG_CONTACT", e.emergencyContact)
        .Text("EMG_CONTACT_RELATION", e.emergencyRelation)
        .Text("EMG_TEL", e.emergencyPhone)
        .Number("DEPENDENT_CHILD", e.children)
        .Text("BENEFIT_SCHEME", e.category)
        .Bytes("PHOTO_ID", PhotoOf(e));
    // Records from before the termination status was kept have none (numbers ending in 3 or 7 here); the
    // upgrade fills it in from the termination date.
    if (e.empNo.back() != '3' && e.empNo.back() != '7') r.Text("TERMINATION_STATUS", e.terminated ? "T" : "F");
    r.Post();
  }
}

void WriteAllowances(TAdsTable& t, const std::vector<DemoEmployee>& staff,
                     const std::vector<std::vector<Allowance>>& allowances) {
  for (std::size_t i = 0; i < staff.size(); ++i)
    for (const Allowance& a : allowances[i])
      Row(t)
          .Text("EMP_CODE", staff[i].empNo)
          .Text("ALLOW_CODE", a.code)
          .Text("DESC", a.description)
          .Money("AMOUNT", a.amount)
          .Text("CPF_PAYABLE", "Y")
          .Text("TAXABLE", "Y")
          .Post();
}

int WriteHistory(TAdsTable& t, const DemoCompany& c, const std::vector<DemoEmployee>& staff,
                 const std::vector<std::vector<Allowance>>& allowances, Random& random) {
  int written = 0;
  for (std::size_t i = 0; i < staff.size(); ++i) {
    const DemoEmployee& e = staff[i];
    // December 2006 is still kept from before the periods the upgrade's history update starts at.
    std::vector<PayslipRow> months =
        MakePayHistory(e, allowances[i], c.paysThirteenthMonth, kOldHistoryPeriod, kOldHistoryPeriod, random);
    for (PayslipRow& p :
         MakePayHistory(e, allowances[i], c.paysThirteenthMonth, kFirstHistoryPeriod, kLastHistoryPeriod, random))
      months.push_back(std::move(p));
    for (const PayslipRow& p : months) {
      Row(t)
          .Text("PERIOD", p.period)
          .Text("CYCLE", "1")
          .Text("EMPCODE", e.empNo)
          .Real("PAYDAY", p.payDays)
          .Money("DAILY_RATE", p.dailyRate)
          .Money("HOURLY_RATE", p.hourlyRate)
          .Money("BASIC", p.basic)
          .Money("NPL_AMT", p.unpaidLeave)
          .Money("ABSENT_AMT", p.absence)
          .Money("OTAMT", p.overtime)
          .Money("TOTAL_ALLOWANCE", p.allowances)
          .Money("TOTAL_DEDUCTION", p.deductions)
          .Money("GROSS_WAGE", p.gross)
          .Money("CPF_WAGE", p.cpfWage)
          .Money("CPFOWWAGE", p.ordinaryWage)
          .Money("CPFAWWAGE", p.additionalWage)
          .Money("CPFEMPEE", p.cpfEmployee)
          .Money("CPFEMPER", p.cpfEmployer)
          .Money("TOTAL_CPF", p.totalCpf)
          .Money("FWL", p.foreignWorkerLevy)
          .Money("SDF", p.skillsLevy)
          .Money("FUND_AMT", p.fund)
          .Money("NETT_WAGE", p.nett)
          .Text("DEPARTMENT", e.department)
          .Text("COSTCENTE", e.costCentre)
          .Text("CATEGORY", e.category)
          .Text("COMPANY", c.code)
          .Text("SECTION", e.section)
          .Text("JOB_GRADE", e.jobGrade)
          .Post();
      ++written;
    }
  }
  return written;
}

// --- calendar ---

struct Holiday {
  int year, month, day;
  const char* description;
};
// The gazetted holidays of 2008 to 2010, except that Deepavali 2009 stands on 15 November with a day in lieu
// on 16 November, as an early release of the suite shipped it; the upgrade moves it to 17 October.
constexpr Holiday kHolidays[] = {
    {2008, 1, 1, "New Year's Day"},      {2008, 2, 7, "Chinese New Year"},   {2008, 2, 8, "Chinese New Year"},
    {2008, 3, 21, "Good Friday"},        {2008, 5, 1, "Labour Day"},         {2008, 5, 19, "Vesak Day"},
    {2008, 8, 9, "National Day"},        {2008, 10, 1, "Hari Raya Puasa"},   {2008, 10, 27, "Deepavali"},
    {2008, 12, 8, "Hari Raya Haji"},     {2008, 12, 25, "Christmas Day"},    {2009, 1, 1, "New Year's Day"},
    {2009, 1, 26, "Chinese New Year"},   {2009, 1, 27, "Chinese New Year"},  {2009, 4, 10, "Good Friday"},
    {2009, 5, 1, "Labour Day"},          {2009, 5, 9, "Vesak Day"},          {2009, 8, 10, "National Day (in lieu)"},
    {2009, 9, 21, "Hari Raya Puasa (in lieu)"}, {2009, 11, 15, "Deepavali"}, {2009, 11, 16, "Deepavali (in lieu)"},
    {2009, 11, 27, "Hari Raya Haji"},    {2009, 12, 25, "Christmas Day"},    {2010, 1, 1, "New Year's Day"},
    {2010, 2, 15, "Chinese New Year"},   {2010, 2, 16, "Chinese New Year (in lieu)"}, {2010, 4, 2, "Good Friday"},
    {2010, 5, 1, "Labour Day"},          {2010, 5, 28, "Vesak Day"},         {2010, 8, 9, "National Day"},
    {2010, 9, 10, "Hari Raya Puasa"},    {2010, 11, 5, "Deepavali"},         {2010, 11, 17, "Hari Raya Haji"},
    {2010, 12, 25, "Christmas Day"}};

void WritePublicHolidays(TAdsTable& t) {
  for (const Holiday& h : kHolidays)
    Row(t)
        .Text("FINPERIOD", std::to_string(h.year))
        .Day("DATE", Date::FromYmd(h.year, h.month, h.day))
        .Text("DESC", h.description)
        .Post();
}

// --- report writer ---

void WriteReportItems(TAdsTable& t, Random& random) {
  static constexpr const char* kItems[] = {
      "Monthly Payroll Summary", "CPF Contribution Listing", "Bank Credit Listing", "IR8A Worksheet",
      "Headcount by Department", "Leave Balance Report",     "Overtime Analysis",   "Foreign Worker Levy",
      "New Hires and Leavers",   "Allowance Register",       "Payslip (Laser)",     "Cost Centre Analysis"};
  std::int64_t itemId = 0;
  for (const char* name : kItems) {
    ++itemId;  // the new table's auto-increment numbers its items from 1
    Row r(t);
    r.Number("FolderId", random.Between(1, 3))
        .Text("Name", name)
        .Text("USERID", random.Percent(70) ? "ADMIN" : "HR01")
        .Number("Size", random.Between(4, 60) * 1024)
        .Number("ItemType", 1)
        .Real("Modified", 39800.0 + static_cast<double>(random.Between(0, 600)) + 0.5)
        .Real("Deleted", 0);
    // Items saved by the newer report writer carry their ID; older ones do not yet.
    if (itemId % 3 != 0) r.Number("ID", itemId);
    r.Post();
  }
}

void WriteReportFields(TAdsTable& t) {
  struct Field {
    const char *no, *no2, *heading, *database, *field, *code;
    int width;
    const char *type, *hideWage;
  };
  // The report writer's field catalogue of an 8.50 company: widths of 20 and 30 that the upgrade widens, the
  // employee name at 30, and career amounts not yet hidden from users without wage rights.
  static constexpr Field kFields[] = {
      {"1", "1", "EMPLOYEE NO", "EMPLOYEE", "EMP_NO", "", 12, "A", "F"},
      {"2", "2", "EMPLOYEE NAME", "EMPLOYEE", "EMP_NAME", "", 30, "A", "F"},
      {"3", "3", "NRIC/FIN", "EMPLOYEE", "NEW_IC", "", 12, "A", "F"},
      {"5", "5", "DATE JOINED", "EMPLOYEE", "HIRED_DATE", "", 10, "D", "F"},
      {"6", "6", "DATE OF BIRTH", "EMPLOYEE", "BIRTH_DATE", "", 10, "D", "F"},
      {"7", "7", "NATIONALITY", "EMPLOYEE", "NATIONALITY", "", 20, "A", "F"},
      {"9", "9", "ADDRESS 1", "EMPLOYEE", "ADDRESS1", "", 30, "A", "F"},
      {"10", "10", "ADDRESS 2", "EMPLOYEE", "ADDRESS2", "", 30, "A", "F"},
      {"11", "11", "POSTAL CODE", "EMPLOYEE", "POSTAL_CODE", "", 8, "A", "F"},
      {"27", "25", "DEPARTMENT_CODE", "EMPLOYEE", "DEPARTMENT_CODE", "", 10, "A", "F"},
      {"28", "26", "DEPARTMENT", "CODE", "DESC", "DEPARTMENT_CODE", 20, "A", "F"},
      {"54", "49", "COST_CENTRE_CODE", "EMPLOYEE", "COST_CENTRE_CODE", "", 10, "A", "F"},
      {"60", "52", "BASIC SALARY", "EMPLOYEE", "BASIC_SALARY", "", 12, "N", "T"},
      {"67", "59", "BANK ACCOUNT NO", "EMPLOYEE", "BANK_AC_NO", "", 20, "A", "T"},
      {"101", "81", "NEW SALARY", "EMP_PROS", "NEW_SALARY", "", 12, "N", "F"},
      {"102", "82", "OLD SALARY", "EMP_PROS", "OLD_SALARY", "", 12, "N", "F"},
      {"103", "83", "INCREMENT AMOUNT", "EMP_PROS", "INCREMENT_AMT", "", 12, "N", "F"},
      {"104", "84", "PROGRESSION", "EMP_PROS", "CODE", "", 20, "A", "F"},
      {"105", "85", "EFFECTIVE DATE", "EMP_PROS", "PAY_EFFECTIVE_DATE", "", 10, "D", "F"},
      {"201", "", "PERIOD", "P_HTRX", "PERIOD", "", 6, "A", "F"},
      {"202", "", "GROSS WAGE", "P_HTRX", "GROSS_WAGE", "", 12, "N", "T"},
      {"203", "", "NETT WAGE", "P_HTRX", "NETT_WAGE", "", 12, "N", "T"},
      {"204", "", "CPF EMPLOYEE", "P_HTRX", "CPFEMPEE", "", 12, "N", "T"},
      {"205", "", "CPF EMPLOYER", "P_HTRX", "CPFEMPER", "", 12, "N", "T"},
      {"206", "", "FWL", "P_HTRX", "FWL", "", 12, "N", "T"},
      {"301", "", "SUPERVISOR NAME", "SETUP", "EMP_NAME", "", 30, "A", "F"},
      {"302", "", "TRAINING COURSE", "TRAINING", "COURSE_DESC", "", 30, "A", "F"},
      {"1001", "", "TRANSPORT ALLOWANCE", "ALLW", "TRANS", "AMOUNT", 20, "N", "T"},
      {"1002", "", "SHIFT ALLOWANCE", "ALLW", "SHIFT", "AMOUNT", 20, "N", "T"},
      {"1003", "", "MEAL ALLOWANCE", "ALLW", "MEAL", "AMOUNT", 20, "N", "T"},
      {"1004", "", "CAR ALLOWANCE", "ALLW", "CAR", "AMOUNT", 20, "N", "T"},
      // Rows the release repairs: a code column, a width and a heading corrected, a row dropped, and the
      // currency field renumbered in the second list.
      {"30", "28", "DEPARTMENT DESC", "CODE", "DEP-DESC", "DEPT", 30, "A", "F"},
      {"80", "70", "GRADE", "EMPLOYEE", "JOB_GRADE_CODE", "", 8, "A", "F"},
      {"140", "", "PASSPORT NO", "EMPLOYEE", "PASSPORT_NO", "", 16, "A", "F"},
      {"710", "", "LEAVE GROUP", "EMPLEAVE", "LVGROUP", "", 8, "A", "F"},
      {"1059", "", "WARD", "MEDICAL", "WARD", "WARD", 8, "A", "F"},
      {"1212", "", "CURRENCY", "EMPLOYEE", "FCURR_CODE", "", 8, "A", "F"},
  };
  for (const Field& f : kFields)
    Row(t)
        .Text("NO", f.no)
        .Text("NO2", f.no2)
        .Text("HEADING", f.heading)
        .Text("DATABASE1", f.database)
        .Text("FIELD", f.field)
        .Text("CODE", f.code)
        .Number("WIDTH", f.width)
        .Text("TYPE1", f.type)
        .Text("HIDE_WAGE", f.hideWage)
        .Post();
}

// --- training, claims, transfers ---

void WriteTraining(TAdsTable& t, const std::vector<DemoEmployee>& staff, Random& random) {
  struct Course {
    const char *code, *description, *institute;
    double hours, fee;
  };
  static constexpr Course kCourses[] = {
      {"WSH01", "WSQ Workplace Safety and Health", "NTUC LearningHub", 16, 280},
      {"FA01", "Occupational First Aid", "Singapore Red Cross Academy", 16, 220},
      {"XLS02", "Microsoft Excel Advanced", "Singapore Polytechnic", 14, 350},
      {"FORK01", "Forklift Operation", "NTUC LearningHub", 24, 480},
      {"CSE01", "Customer Service Excellence", "Temasek Polytechnic", 8, 180},
      {"LEAD01", "Leadership Essentials", "SIM Professional Development", 21, 1200},
      {"PAY01", "Payroll and CPF Updates 2009", "Singapore Accountancy Academy", 7, 250}};
  for (const DemoEmployee& e : staff) {
    if (!random.Percent(35)) continue;
    const int courses = static_cast<int>(random.Between(1, 2));
    for (int i = 0; i < courses; ++i) {
      const Course& c = random.Pick(std::span<const Course>(kCourses));
      const Date start = Date::FromYmd(static_cast<int>(random.Between(2008, 2009)), static_cast<int>(random.Between(1, 12)),
                                       static_cast<int>(random.Between(1, 25)));
      Row r(t);
      r.Text("EMP_CODE", e.empNo)
          .Text("COURSE_CODE", c.code)
          .Text("COURSE_DESC", c.description)
          .Text("INSTITUTE", c.institute)
          .Day("START_DATE", start)
          .Day("END_DATE", start.AddDays(static_cast<std::int32_t>(c.hours / 8)))
          .Real("HOURS", c.hours)
          .Money("COURSE_FEE", Dollars(c.fee))
          .Text("SPONSORED", random.Percent(80) ? "Y" : "N");
      // Only courses booked through the newer training module carry a department.
      if (random.Percent(25)) r.Text("DEPARTMENT", e.department);
      r.Post();
    }
  }
}

void WriteTransfers(TAdsTable& t, const std::vector<DemoEmployee>& staff, Random& random) {
  static constexpr const char* kDepartments[] = {"ADMIN", "FIN", "HR", "IT", "PROD", "WHSE", "QA", "SALES", "CUSTSVC"};
  for (const DemoEmployee& e : staff) {
    if (!random.Percent(12) || e.hired.Year() > 2007) continue;
    const std::string from = kDepartments[random.Between(0, 8)];
    const Date when = Date::FromYmd(static_cast<int>(random.Between(e.hired.Year() + 1, 2009)),
                                    static_cast<int>(random.Between(1, 12)), 1);
    Row(t)
        .Text("EMP_NO", e.empNo)
        .Day("EFFECTIVE_DATE", when)
        .Text("LOCATION", e.location)
        .Text("DIVISION", e.division)
        .Text("DEPARTMENT", e.department)
        .Text("COST_CENTRE", e.costCentre)
        .Text("BRANCH", "MAIN")
        .Text("SECTION", e.section)
        .Text("PAY_GROUP", e.payGroup)
        .Text("REMARKS", "Transferred from " + from + " to " + e.department + " on reorganisation.")
        .Post();
  }
}

// --- users and logins ---

void WriteUsers(TAdsTable& t) {
  struct User {
    const char *id, *password, *name, *group, *printer;
  };
  static constexpr User kUsers[] = {{"ADMIN", "adm2009", "System Administrator", "ADMIN", "01"},
                                    {"HR01", "hrpay88", "HR Executive", "HR", "02"},
                                    {"PAY01", "pay2009", "Payroll Officer", "PAYROLL", "02"},
                                    {"MANAGER", "mgr1234", "Finance Manager", "MGMT", "01"},
                                    {"AUDIT", "audit09", "External Auditor", "AUDIT", ""}};
  for (const User& u : kUsers)
    Row(t)
        .Text("USERID", u.id)
        .Text("PASSWORD", u.password)
        .Text("USERNAME", u.name)
        .Text("ACCESS_GROUP", u.group)
        .Text("PRINTER", u.printer)
        .Day("LAST_LOGIN", Date::FromYmd(2009, 12, 30))
        .Text("DISABLED", "N")
        .Post();
}

void WriteLogins(TAdsTable& t) {
  // The login rows the suite's own set-up writes into a new login table.
  static constexpr const char* kLogins[][3] = {{"ADMIN", "SYSCON", "0978"}, {"AUDIT", "AUDIT1", "QUAFT"},
                                               {"AUDIT", "AUDIT2", "QUAFT"}, {"AUDIT", "AUDIT3", "QUAFT"},
                                               {"AUDIT", "AUDIT4", "QUAFT"}, {"AUDIT", "AUDIT5", "QUAFT"}};
  for (const auto& l : kLogins) Row(t).Text("LOG", l[0]).Text("USERID", l[1]).Text("PASSWORD", l[2]).Post();
}

// --- loans and queries ---

void WriteLoanSchedules(TAdsTable& t, const std::vector<DemoEmployee>& staff, Random& random) {
  int link = 0;
  for (const DemoEmployee& e : staff) {
    if (e.terminated || !random.Percent(8)) continue;
    ++link;
    const double principal = static_cast<double>(random.Between(10, 60)) * 100.0;
    const int instalments = static_cast<int>(random.Between(6, 12));
    const double monthly = std::round(principal / instalments * 100.0) / 100.0;
    int year = 2009, month = static_cast<int>(random.Between(1, 12 - instalments + 1));
    double balance = principal;
    for (int k = 1; k <= instalments; ++k) {
      const double pay = k == instalments ? balance : monthly;
      balance = std::max(0.0, balance - pay);
      Row(t)
          .Number("LINKID", link)
          .Real("TOTAL_PRINCIPAL_AMT", principal)
          .Real("BF_PRINCIPAL_AMOUNT", balance + pay)
          .Real("NO_OF_INSTALLMENT", k)
          .Real("MONTHLY_PRINCIPAL", pay)
          .Real("BALANCE", balance)
          .Real("INTEREST_AMT", 0)
          .Real("TOTAL_MONTHLY_PAY", pay)
          .Real("TOTAL_INSTALLMENT", instalments)
          .Text("EMP_NO", e.empNo)
          .Text("PERIOD", std::to_string(year) + (month < 10 ? "0" : "") + std::to_string(month))
          .Real("BALANCE_OF_INSTALLMENT", instalments - k)
          .Post();
      if (++month > 12) month = 1, ++year;
    }
  }
}

void WriteQueries(TAdsTable& t) {
  struct Condition {
    const char* code;  // nullptr: a condition whose query was deleted
    int id, fieldNo;
    const char *description, *op, *value, *relation, *type, *field;
  };
  static constexpr Condition kConditions[] = {
      {"ACTIVE", 1, 24, "Termination date", "=", "", "", "D", "TERMINATION_DATE"},
      {"FOREIGN", 1, 13, "Citizenship", "=", "F", "AND", "C", "CITIZENSHIP"},
      {"FOREIGN", 2, 43, "Pass type", "<>", "EP", "", "C", "EMP_PASS_TYPE"},
      {"NEWHIRE", 1, 22, "Date joined", ">=", "2009-01-01", "AND", "D", "HIRED_DATE"},
      {"NEWHIRE", 2, 28, "Department", "=", "PROD", "", "C", "DEPARTMENT_CODE"},
      {nullptr, 3, 36, "Basic salary", ">", "3000", "", "N", "BASIC_SALARY"},
      {nullptr, 4, 30, "Cost centre", "=", "CC200", "", "C", "COST_CENTRE_CODE"},
      {"HIGHPAY", 1, 36, "Basic salary", ">=", "6000", "", "N", "BASIC_SALARY"},
      {nullptr, 2, 32, "Job grade", "=", "M1", "", "C", "JOB_GRADE_CODE"}};
  for (const Condition& c : kConditions)
    Row(t)
        .Text("CODE", c.code ? c.code : "")
        .Number("ID", c.id)
        .Text("STATUS", "A")
        .Number("FIELDNO", c.fieldNo)
        .Text("DESCRIPTION", c.description)
        .Text("OP", c.op)
        .Text("VALUE", c.value)
        .Text("STATUS2", "A")
        .Text("RELATION", c.relation)
        .Text("TYPE", c.type)
        .Text("FIELD", c.field)
        .Post();
}

// --- the leftovers ---

void WriteWorkRows(TAdsTable& t, const std::vector<DemoEmployee>& staff, std::size_t count) {
  for (std::size_t i = 0; i < std::min(count, staff.size()); ++i)
    Row(t).Text("EMP_NO", staff[i].empNo).Text("EMP_NAME", staff[i].name).Money("BASIC_SALARY", staff[i].basicSalary).Post();
}

void WriteBakeryItems(TAdsTable& t) {
  static constexpr std::pair<const char*, const char*> kItems[] = {
      {"KAYA01", "Kaya toast set"}, {"CURRY02", "Curry puff"}, {"PANDAN3", "Pandan chiffon cake"}};
  double price = 1.2;
  for (const auto& [code, description] : kItems) {
    Row(t).Text("ITEM_CODE", code).Text("DESC", description).Money("PRICE", Dollars(price)).Post();
    price += 1.1;
  }
}

// --- rows for the tables the column lists fill and the conversions work on ---

std::string FileBase(std::string_view name) { return UpperCase(name.substr(0, name.find('.'))); }

// Each employee's career: the hiring, for staff hired before 2009 an increment on 1 January 2009, and for some a
// transfer into their present department on 1 July 2009 from the one they were hired into.
void WriteCareers(TAdsTable& t, const std::vector<DemoEmployee>& staff, Random& random) {
  static constexpr const char* kEarlierDepartments[] = {"ADMIN", "OPS", "STORES"};
  std::int64_t id = 0;
  for (const DemoEmployee& e : staff) {
    const bool transferred = random.Percent(30) && e.hired < Date::FromYmd(2009, 7, 1);
    const std::string hiredInto =
        transferred ? std::string(random.Pick(std::span<const char* const>(kEarlierDepartments))) : e.department;
    const Currency raise = Dollars(static_cast<double>(random.Between(0, 30)) * 10.0);
    const Currency before = Currency::FromScaled(e.basicSalary.Scaled() - raise.Scaled());
    const auto record = [&](const char* code, Date when, const std::string& department, Currency oldPay,
                            Currency newPay) {
      Row(t)
          .Text("EMP_CODE", e.empNo)
          .Number("ID", ++id)
          .Day("PROGRESSION_DATE", when)
          .Day("PAY_EFFECTIVE_DATE", when)
          .Text("CODE", code)
          .Text("CATEGORY", e.category)
          .Text("DEPARTMENT", department)
          .Text("SECTION", e.section)
          .Text("COST_CENTRE", e.costCentre)
          .Text("OCCUPATION", e.occupation)
          .Money("OLD_SALARY", oldPay)
          .Money("NEW_SALARY", newPay)
          .Post();
    };
    const bool increment = e.hired < Date::FromYmd(2009, 1, 1);
    record("HIRE", e.hired, hiredInto, Currency(), increment ? before : e.basicSalary);
    if (increment) record("INCR", Date::FromYmd(2009, 1, 1), hiredInto, before, e.basicSalary);
    if (transferred) record("TRANS", Date::FromYmd(2009, 7, 1), e.department, e.basicSalary, e.basicSalary);
  }
}

// Banks as the suite's bank table lists them: POSB under its old code, DBS without the branch POSB accounts move to.
void WriteBanks(TAdsTable& t) {
  static constexpr const char* kBanks[][3] = {{"7171", "001", "DBS BANK"},       {"9812", "000", "POSB"},
                                              {"7339", "501", "OCBC BANK"},      {"7375", "001", "UOB"},
                                              {"7092", "001", "CITIBANK N.A."}};
  for (const auto& b : kBanks) Row(t).Text("BANK_ID", b[0]).Text("BANK_BRANCH", b[1]).Text("BANK_NAME", b[2]).Post();
}

// Every employee paid into a bank has that account for pay cycle 1; POSB savers (numbers ending in 2) a second
// one for cycle 2.
void WriteBankAccounts(TAdsTable& t, const std::vector<DemoEmployee>& staff) {
  for (const DemoEmployee& e : staff) {
    if (e.payMode != 'B') continue;
    Row(t).Text("EMP_CODE", e.empNo).Text("BANK_ID", e.bankId).Text("BANK_AC_NO", e.bankAccount).Text("CYCLE", "1")
        .Text("BANK_BRANCH", e.bankBranch).Post();
    if (e.bankId == "POSB")
      Row(t).Text("EMP_CODE", e.empNo).Text("BANK_ID", "POSB").Text("BANK_AC_NO", "0" + e.bankAccount.substr(1))
          .Text("CYCLE", "2").Text("BANK_BRANCH", e.bankBranch).Post();
  }
}

// The monthly pay group closes on the 25th: its periods run from the 26th of the month before. The weekly pay
// group has no rows and goes by calendar months.
void WritePayGroupPeriods(TAdsTable& t) {
  for (int year = 2006; year <= 2009; ++year)
    for (int month = 1; month <= 12; ++month) {
      const Date end = Date::FromYmd(year, month, 25);
      const std::string period = std::to_string(year) + (month < 10 ? "0" : "") + std::to_string(month);
      Row(t).Text("PAY_GROUP", "MONTHLY").Text("PERIOD", period).Day("START_DATE", Date::FromYmd(end.AddDays(-28).Year(), end.AddDays(-28).Month(), 26))
          .Day("END_DATE", end).Post();
    }
}

// Every third employee was appraised in June 2009, on three questions.
void WriteAppraisals(TAdsTable& t, const std::vector<DemoEmployee>& staff) {
  for (std::size_t i = 0; i < staff.size(); i += 3)
    Row(t).Text("EMP_CODE", staff[i].empNo).Day("APPRAISAL_DATE", Date::FromYmd(2009, 6, 30))
        .Text("APPRAISER", staff[i].supervisorCode).Post();
}
void WriteAppraisalLines(TAdsTable& t, const std::vector<DemoEmployee>& staff, Random& random) {
  static constexpr const char* kQuestions[] = {"Quality of work", "Teamwork", "Punctuality"};
  for (std::size_t i = 0; i < staff.size(); i += 3)
    for (int q = 0; q < 3; ++q)
      Row(t).Text("EMPCODE", staff[i].empNo).Day("APPRAISAL_DATE", Date::FromYmd(2009, 6, 30)).Number("DATE_SERIALNUM", q + 1)
          .Text("QUESTION", kQuestions[q]).Number("SCORE", random.Between(2, 5)).Post();
}

// Half the staff have a qualification on record, all still without a record number.
void WriteEducation(TAdsTable& t, const std::vector<DemoEmployee>& staff) {
  static constexpr const char* kSchools[][2] = {{"GCE 'O' LEVEL", "BEDOK SOUTH SECONDARY"},
                                                {"DIPLOMA IN ENGINEERING", "NGEE ANN POLYTECHNIC"},
                                                {"BACHELOR OF ACCOUNTANCY", "NANYANG TECHNOLOGICAL UNIVERSITY"}};
  for (std::size_t i = 0; i < staff.size(); i += 2) {
    const auto& school = kSchools[i % 3];
    Row(t).Text("EMP_CODE", staff[i].empNo).Number("ID", 0).Text("QUALIFICATION", school[0])
        .Text("INSTITUTE", school[1]).Text("YEAR", std::to_string(staff[i].birthDate.Year() + 18 + static_cast<int>(i % 3) * 2))
        .Post();
  }
}

// The reminder settings an 8.50 company has: its own, and one of the standard "other" codes.
void WriteReminders(TAdsTable& t) {
  Row(t).Text("RPTTYPE", "EMP").Text("REPCODE", "01").Text("REPDESC", "BIRTHDAY").Flag("ENABLED", true)
      .Text("FIELDNAME", "BIRTH_DATE").Text("DATABASENAME", "EMPLOYEE").Text("VALUE", "7").Post();
  Row(t).Text("RPTTYPE", "OTH").Text("REPCODE", "06").Text("REPDESC", "TENURE OF SERVICE EXPIRY DATE")
      .Flag("ENABLED", true).Text("FIELDNAME", "EXPIRY_DATE").Text("DATABASENAME", "EMPLOYMT").Text("VALUE", "1").Post();
}

// Spouses kept as family records for every other married employee, with their occupations; the rest only on the
// employee record. Children from seven are at school (an occupation no employee has) and have none before.
void WriteFamilies(TAdsTable& t, const std::vector<DemoEmployee>& staff) {
  bool kept = false;
  for (const DemoEmployee& e : staff) {
    if (!e.spouseName.empty() && (kept = !kept))
      Row(t).Text("EMP_CODE", e.empNo).Text("IC_PASSPORT_NUM", e.spouseNric).Text("NAME", e.spouseName)
          .Text("RELATIONSHIP", "SPOUSE").Text("SEX", e.sex == 'M' ? "F" : "M").Day("BIRTH_DATE", e.spouseBirthDate)
          .Text("OCCUPATION_CODE", e.spouseJob).Post();
    for (int k = 1; k <= e.children; ++k) {
      // Three years apart from the parent's late twenties, the youngest born by the end of 2009 at the latest.
      const int year = std::min(e.birthDate.Year() + 24 + 3 * k, DemoAsOf().Year() - (e.children - k));
      const Date born = Date::FromYmd(year, e.birthDate.Month(), 1);
      Row(t).Text("EMP_CODE", e.empNo).Text("NAME", "Child " + std::to_string(k) + " of " + e.name.substr(0, 40))
          .Text("RELATIONSHIP", "CHILD").Day("BIRTH_DATE", born)
          .Text("OCCUPATION_CODE", AgeOn(born, DemoAsOf()) >= 7 ? "STUDENT" : "").Post();
    }
  }
}

// Employment details for all but every fourth employee (the walk adds the missing ones), some with a unit and
// one on hold.
void WriteEmployment(TAdsTable& t, const std::vector<DemoEmployee>& staff) {
  for (std::size_t i = 0; i < staff.size(); ++i) {
    if (i % 4 == 3) continue;
    Row(t).Text("EMP_NO", staff[i].empNo).Text("UNIT", i % 3 == 0 ? staff[i].occupation : "")
        .Text("TENURE_SERV", i == 2 ? "@HOLD" : "").Day("EXPIRY_DATE", staff[i].passExpires).Post();
  }
}

void WriteMiscellany(TAdsTable& t, const std::vector<DemoEmployee>& staff) {
  for (std::size_t i = 0; i < staff.size(); ++i) {
    if (i % 5 == 4) continue;
    Row(t).Text("EMP_NO", staff[i].empNo).Text("BOOLEAN10", i % 2 == 0 ? "T" : "F").Post();
  }
}

// Cost centre splits some employees had in 2002 and 2003.
void WriteCostCentres(TAdsTable& t, const std::vector<DemoEmployee>& staff) {
  for (std::size_t i = 0; i < staff.size() && i < 4; ++i)
    for (const char* period : {"200201", "200202", "200301"})
      Row(t).Text("EMPCODE", staff[i].empNo).Text("PERIOD", period).Text("COST_CENTRE", staff[i].costCentre)
          .Money("PERCENT", Dollars(50)).Post();
}

// The year's ordinary and additional wages for CPF, as the 2009 payroll history adds them up.
void WriteYearToDate(TAdsTable& t, const std::vector<DemoEmployee>& staff) {
  for (const DemoEmployee& e : staff)
    Row(t)
        .Text("EMP_NO", e.empNo)
        .Text("YEAR", "2009")
        .Money("CPFOWWAGE", Currency::FromScaled(e.basicSalary.Scaled() * 12))
        .Money("CPFAWWAGE", e.basicSalary)
        .Post();
}
// --- foreign worker levy ---

struct LevyRow {
  const char *year, *part, *cls, *category, *desc;
  double monthly, daily;
};
// Rows of older years as the suite kept them: 2004 without its S Pass row, an early 2005 S Pass row at 30 a
// month, 2007 rows at 80 and 100 a month, a 2008 row copied already, and rows of the 2010 levy update, which
// came with parts of the year. A company on the older layout has no PERIOD_PART: none of its rows has a part.
constexpr LevyRow kLevyRows[] = {
    {"2004", "", "CW1", "FWL", "Construction Worker-skilled", 150, 5},
    {"2004", "", "CW2", "FWL", "Construction Worker-unskilled", 470, 15.5},
    {"2004", "", "SERVICE", "FWL", "Service", 240, 8},
    {"2005", "", "SPASS", "FWL", "S PASS", 30, 1},
    {"2007", "", "CLASS1", "CLA", "Local Resident", 0, 0},
    {"2007", "", "MFG40S", "FWL", "Manufacturing-skilled", 80, 3},
    {"2007", "", "SERVICE", "FWL", "Service", 100, 3.5},
    {"2007", "", "SPASS", "FWL", "S PASS", 50, 2},
    {"2008", "", "SERVICE", "FWL", "Service", 150, 5},
    {"2010", "1", "CW3", "FWL", "Construction Worker-unskilled", 300, 10},
    {"2010", "1", "CLASS1", "CLA", "CLASS 1 (Singaporean)", 0, 0},
    {"2010", "2", "SPASS", "FWL", "S PASS up to 20%", 100, 4},
};

void WriteLevyRows(TAdsTable& t) {
  for (const LevyRow& l : kLevyRows)
    Row(t)
        .Text("YEAR", l.year)
        .Text("PERIOD_PART", l.part)
        .Text("CLASS", l.cls)
        .Text("CATEGORY", l.category)
        .Text("DESC", l.desc)
        .Money("MAX_PER_MTH", Dollars(l.monthly))
        .Money("DAILY_RATE", Dollars(l.daily))
        .Post();
}

void WriteCodes(TAdsTable& t) {
  static constexpr const char* kCodes[][4] = {{"CLAIM", "MED", "Medical claim", "MEDICAL"},
                                              {"CLAIM", "DEN", "Dental claim", "DENTAL"},
                                              {"LEAVE", "AL", "Annual leave", ""},
                                              {"LEAVE", "SL", "Sick leave", ""},
                                              // a relation set up by hand, with a description of its own
                                              {"RE", "SPOUSE", "Husband or wife", ""}};
  for (const auto& c : kCodes)
    Row(t).Text("CATEGORY", c[0]).Text("CODE", c[1]).Text("DESC", c[2]).Text("N1CLAIM", c[3]).Post();
}

// The codes, with the staff's occupations among them.
void WriteCodesWithOccupations(TAdsTable& t, const std::vector<DemoEmployee>& staff) {
  WriteCodes(t);
  std::vector<std::string> seen;
  for (const DemoEmployee& e : staff) {
    if (e.occupation.empty() || std::find(seen.begin(), seen.end(), e.occupation) != seen.end()) continue;
    seen.push_back(e.occupation);
    Row(t).Text("CATEGORY", "OCU").Text("CODE", e.occupation).Text("DESC", e.occupation + " (OCCUPATION)").Post();
  }
}

// The staff as an older release kept some of them: POSB accounts under bank "POSB" with six-digit numbers
// (numbers ending in 2) or under "9812" with nine (ending in 5), and identity numbers keyed in with a slash
// before the check letter (ending in 4); telephone numbers of seven digits, from before Singapore's eighth
// digit (ending in 3).
std::vector<DemoEmployee> AsKeptByOlderReleases(std::vector<DemoEmployee> staff) {
  for (DemoEmployee& e : staff) {
    const char last = e.empNo.back();
    if (e.payMode == 'B' && last == '2') {
      e.bankId = "POSB";
      e.bankAccount = e.bankAccount.substr(e.bankAccount.size() - 6);
    }
    if (e.payMode == 'B' && last == '5') {
      e.bankId = "9812";
      e.bankAccount = e.bankAccount.substr(e.bankAccount.size() - 9);
    }
    if (last == '3') e.telephone = e.telephone.substr(1);  // a number from before the eighth digit
    if (last == '4') {
      std::string& ic = e.residency == Residency::Foreigner ? e.fin : e.nric;
      const bool taxSame = e.incomeTaxNo == ic;
      ic.insert(ic.size() - 1, "/");
      if (taxSame) e.incomeTaxNo = ic;
    }
  }
  return staff;
}

}  // namespace

Date DemoAsOf() { return Date::FromYmd(2009, 12, 31); }

CompanyContent MakeCompanyTables(const std::string& folder, const DemoCompany& company,
                                 const std::vector<DemoEmployee>& people, bool forDictionary, int freeCompanyNumber,
                                 Random& random, bool olderColumnLayouts) {
  const std::vector<DemoEmployee> staff = AsKeptByOlderReleases(people);
  engine::TAdsConnection connection;
  connection.SetConnectPath(folder);
  connection.Connect();
  CompanyContent content;

  // The tables the suite always kept encrypted, and the five the upgrade encrypts on free-table companies:
  // of those, each free-table company has some encrypted already and some not, in turns.
  static constexpr const char* kAlwaysEncrypted[] = {"PAYPARA1", "EMPLOYEE", "P_HTRX"};
  static constexpr const char* kSometimesEncrypted[] = {"TRANSFER", "PASS", "EMP_ALW", "SYSCONT.ADT", "loans_red"};
  // The tax tables are clear in a free-table company, for the upgrade to encrypt; under a dictionary, those the
  // column lists keep encrypted are encrypted by the dictionary.
  static constexpr const char* kTaxTables[] = {"IRDX8A", "IR8AR", "IR8AREC", "IR8S", "IRREFUND"};
  const auto encrypted = [&](std::string_view name) {
    for (const char* n : kTaxTables)
      if (name == n) return forDictionary && FindOlderLayout(name) && FindOlderLayout(name)->encrypted;
    for (const char* n : kAlwaysEncrypted)
      if (name == n) return true;
    for (int i = 0; i < 5; ++i)
      if (name == kSometimesEncrypted[i]) return forDictionary ? name == "PASS" : (i + freeCompanyNumber) % 2 == 0;
    return false;
  };
  const auto make = [&](std::string_view name, const RowWriter& rows) {
    const bool protect = encrypted(name);
    const OlderLayout* older = olderColumnLayouts ? FindOlderLayout(name) : nullptr;
    CreateDemoTable(connection, older ? older->spec : DemoTable(name), rows,
                    protect && !forDictionary ? Protection::TablePassword : Protection::Clear, std::string(name));
    content.tables.emplace_back(name);
    if (protect) content.encrypted.emplace_back(name);
  };

  std::vector<std::vector<Allowance>> allowances;
  Random allowanceRandom = random.Fork(1);
  for (const DemoEmployee& e : staff) allowances.push_back(MakeAllowances(e, allowanceRandom));
  Random historyRandom = random.Fork(2), trainingRandom = random.Fork(3), itemRandom = random.Fork(4),
         transferRandom = random.Fork(5), loanRandom = random.Fork(6);

  make("PAYPARA", [&](TAdsTable& t) { WritePaypara(t, company); });
  make("PAYPARA1", [&](TAdsTable& t) { WritePaypara1(t, company); });
  make("EMPLOYEE", [&](TAdsTable& t) { WriteEmployees(t, staff); });
  make("P_HTRX", [&](TAdsTable& t) { content.historyRows = WriteHistory(t, company, staff, allowances, historyRandom); });
  make("PUBLIC", WritePublicHolidays);
  // Every other free-table company took the suite's 2010 levy update and has PERIOD_PART already.
  if (olderColumnLayouts && !forDictionary && freeCompanyNumber % 2 == 1) {
    CreateDemoTable(connection, DemoTable("FW_LEVY"), WriteLevyRows);
    content.tables.emplace_back("FW_LEVY");
  } else {
    make("FW_LEVY", WriteLevyRows);
  }
  make("rbItem", [&](TAdsTable& t) { WriteReportItems(t, itemRandom); });
  make("RTABLE", WriteReportFields);
  make("TRAINING", [&](TAdsTable& t) { WriteTraining(t, staff, trainingRandom); });
  make("MEDSCH", WriteClaimSchemes);
  make("TRANSFER", [&](TAdsTable& t) { WriteTransfers(t, staff, transferRandom); });
  make("PASS", WriteUsers);
  make("EMP_ALW", [&](TAdsTable& t) { WriteAllowances(t, staff, allowances); });
  make("SYSCONT.ADT", WriteLogins);
  make("loans_red", [&](TAdsTable& t) { WriteLoanSchedules(t, staff, loanRandom); });
  make("QUERY", WriteQueries);
  make("BAKERY.ADT", WriteBakeryItems);
  make("FREEFIELD", WriteFreeFieldLabels);
  make("FORMULA", WriteFormulaVariables);
  make("RTPDETL", WriteReportColumns);
  make("ALLOWNCE", WriteAllowanceCodes);
  make("TRNNO", WriteRunningNumbers);
  make("CLMTMPL", WriteClaimTemplates);
  make("pay_bank", WriteBanks);
  make("EDUCATE", [&](TAdsTable& t) { WriteEducation(t, staff); });
  make("AUTOSET", WriteReminders);
  make("INCOMETB", WriteIncomeTaxBands);
  // The claim set-up the conversions rebuild, the lists and the leave entitlements.
  make("MEDTABLE", WriteClaimSources);
  make("MEDTBL", WriteClaimTiers);
  make("LIST", WriteListValues);
  make("EMPENT", [&](TAdsTable& t) { WriteLeaveEntitlements(t, staff); });
  for (const char* tax : kTaxTables) make(tax, [&](TAdsTable& t) { WriteTaxRows(t, tax, staff); });
  // The rows of the tables the record conversions and the employee record walk work on.
  Random careerRandom = random.Fork(7);
  const std::pair<const char*, RowWriter> kRows[] = {
      {"EMP_PROS", [&](TAdsTable& t) { WriteCareers(t, staff, careerRandom); }},
      {"YTDEMPL", [&](TAdsTable& t) { WriteYearToDate(t, staff); }},
      {"CODE", [&](TAdsTable& t) { WriteCodesWithOccupations(t, staff); }},
      {"EMP_BNK", [&](TAdsTable& t) { WriteBankAccounts(t, staff); }},
      {"PGRP_TRX", WritePayGroupPeriods},
      {"APPR", [&](TAdsTable& t) { WriteAppraisals(t, staff); }},
      {"APPRDTL", [&](TAdsTable& t) { WriteAppraisalLines(t, staff, careerRandom); }},
      {"FAMILY", [&](TAdsTable& t) { WriteFamilies(t, staff); }},
      {"EMPLOYMT", [&](TAdsTable& t) { WriteEmployment(t, staff); }},
      {"EMPMISC", [&](TAdsTable& t) { WriteMiscellany(t, staff); }},
      {"SETUP", [](TAdsTable&) {}},
      {"COSTCTR", [&](TAdsTable& t) { WriteCostCentres(t, staff); }},
      {"ALOCLAIM", WriteClaimAllocations},
  };
  // Without the older layouts, the core tables include what every company's run walks through (careers, codes,
  // family, employment and other details, set-up, cost centres), in their own layouts.
  if (!olderColumnLayouts)
    for (const char* name : {"EMP_PROS", "CODE", "FAMILY", "EMPLOYMT", "EMPMISC", "SETUP", "COSTCTR"})
      for (const auto& [table, writer] : kRows)
        if (SameText(table, name)) make(name, writer);
  // Every other table the release's column lists change, in its older layout: the career and year-to-date wages,
  // the codes and the records above with rows the lists' fills and the conversions work on, the rest empty.
  for (const OlderLayout* older : OlderLayouts()) {
    if (!olderColumnLayouts) break;
    bool made = false;
    for (const std::string& t : content.tables) made = made || SameText(FileBase(t), FileBase(older->name));
    if (made) continue;
    RowWriter rows;
    for (const auto& [name, writer] : kRows)
      if (SameText(FileBase(older->name), name)) rows = writer;
    CreateDemoTable(connection, older->spec, rows,
                    older->encrypted && !forDictionary ? Protection::TablePassword : Protection::Clear);
    content.tables.push_back(older->name);
    if (older->encrypted) content.encrypted.push_back(older->name);
  }
  connection.Disconnect();
  return content;
}

void MakeCompanyLeftovers(const std::string& folder, const std::vector<DemoEmployee>& staff) {
  engine::TAdsConnection connection;
  connection.SetConnectPath(folder);
  connection.Connect();
  // A work table a restructuring left behind.
  CreateDemoTable(connection, DemoTable("TEMP_EMP.ADT"), [&](TAdsTable& t) { WriteWorkRows(t, staff, 5); });
  connection.Disconnect();
  // Backup copies of the employee table and an editor's copy of the parameters.
  const std::string base = folder + "\\";
  CopyToNewFile(base + "EMPLOYEE.ADT", base + "EMPLOYEE.ADT.BAK");
  CopyToNewFile(base + "EMPLOYEE.ADI", base + "EMPLOYEE.ADI.BAK");
  if (fs::FileExists(base + "EMPLOYEE.ADM")) CopyToNewFile(base + "EMPLOYEE.ADM", base + "EMPLOYEE.ADM.BAK");
  CopyToNewFile(base + "PAYPARA.ADT", base + "PAYPARA.ADT.~1");
}

}  // namespace kv::demo
