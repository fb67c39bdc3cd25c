#include "app/demo/people.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <span>
#include <string_view>

#include "app/demo/identity.h"

namespace kv::demo {
namespace {

using Names = std::span<const std::string_view>;

// --- companies ---

constexpr std::string_view kPlaces[] = {
    "Jurong",    "Tampines", "Bedok",   "Kallang",  "Woodlands", "Serangoon",   "Clementi",   "Changi",
    "Bukit Timah", "Pasir Panjang", "Tanjong Pagar", "Ang Mo Kio", "Toa Payoh", "Geylang", "Yishun",
    "Bukit Merah", "Katong", "Novena", "Tiong Bahru", "Sembawang"};
constexpr std::string_view kTrades[] = {
    "Precision Engineering", "Logistics",        "Food Industries",   "Marine Services", "Builders",
    "Trading",               "Electronics",      "Printing",          "Medical Group",   "Catering",
    "Air Cargo Services",    "Facility Management", "Security Services", "Interior Design", "Packaging"};
constexpr std::string_view kStreets[] = {
    "Jurong East Street 21", "Tampines Avenue 5", "Bedok North Road",  "Kallang Bahru",    "Woodlands Drive 14",
    "Serangoon Central",     "Clementi Avenue 3", "Changi South Lane", "Upper Bukit Timah Road", "Pasir Panjang Road",
    "Tanjong Pagar Road",    "Ang Mo Kio Avenue 10", "Lorong 4 Toa Payoh", "Geylang Road", "Yishun Ring Road",
    "Jalan Bukit Merah",     "East Coast Road",   "Thomson Road",      "Tiong Bahru Road", "Sembawang Road"};
// The first two digits of a postal code follow the district of the street above.
constexpr std::string_view kPostalPrefixes[] = {"60", "52", "46", "33", "73", "55", "12", "48", "58", "11",
                                                "08", "56", "31", "38", "76", "15", "42", "30", "16", "75"};
constexpr std::string_view kBanks[] = {"7171", "7339", "7375", "7092"};  // DBS/POSB, OCBC, UOB, Citibank

std::string Digits(Random& random, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += static_cast<char>('0' + random.Between(0, 9));
  return text;
}

// A storey of an HDB block or an office tower: "02" to "25".
std::string Floor(Random& random) {
  const int storey = static_cast<int>(random.Between(2, 25));
  return std::string(1, static_cast<char>('0' + storey / 10)) + static_cast<char>('0' + storey % 10);
}

std::string PhoneNumber(Random& random, char first) { return std::string(1, first) + Digits(random, 7); }

// --- people ---

struct GivenName {
  std::string_view name;
  char sex;
};

constexpr std::string_view kChineseSurnames[] = {"Tan", "Lim", "Lee", "Ng",  "Ong", "Wong", "Goh", "Chua", "Chan", "Koh",
                                                 "Teo", "Ang", "Yeo", "Tay", "Ho",  "Low",  "Toh", "Sim",  "Chong", "Chia"};
constexpr GivenName kChineseGiven[] = {
    {"Wei Ming", 'M'}, {"Jun Jie", 'M'},  {"Kok Leong", 'M'}, {"Boon Keng", 'M'},  {"Zhi Hao", 'M'},
    {"Chee Keong", 'M'}, {"Yong Sheng", 'M'}, {"Kian Seng", 'M'}, {"Wee Kiat", 'M'}, {"Jia Hui", 'F'},
    {"Mei Ling", 'F'}, {"Hui Min", 'F'},  {"Siew Lan", 'F'},  {"Li Ting", 'F'},    {"Xin Yi", 'F'},
    {"Pei Shan", 'F'}, {"Shu Fen", 'F'},  {"Wan Ting", 'F'},  {"Bee Choo", 'F'}};
constexpr std::string_view kChineseEnglish[] = {"Daniel", "Kelvin", "Jason", "Melvin", "Eugene", "Vincent",
                                                "Michelle", "Grace", "Joanne", "Irene", "Sharon", "Cheryl"};
constexpr GivenName kMalayGiven[] = {
    {"Muhammad Faizal", 'M'}, {"Ahmad Firdaus", 'M'}, {"Mohamed Hafiz", 'M'}, {"Khairul Anwar", 'M'},
    {"Syed Azman", 'M'},      {"Iskandar", 'M'},      {"Zulkifli", 'M'},      {"Nur Aisyah", 'F'},
    {"Siti Aminah", 'F'},     {"Nurul Huda", 'F'},    {"Farah Diana", 'F'},   {"Norazlina", 'F'},
    {"Zarina", 'F'}};
constexpr std::string_view kMalayFathers[] = {"Ismail", "Rahman", "Osman", "Hassan", "Abdullah", "Yusof", "Salleh",
                                              "Ibrahim"};
constexpr GivenName kIndianGiven[] = {
    {"Rajesh", 'M'}, {"Suresh", 'M'}, {"Ganesan", 'M'}, {"Vikram", 'M'},  {"Arun", 'M'},  {"Karthik", 'M'},
    {"Priya", 'F'},  {"Kavitha", 'F'}, {"Lakshmi", 'F'}, {"Deepa", 'F'},  {"Anitha", 'F'}, {"Revathi", 'F'}};
constexpr std::string_view kIndianFathers[] = {"Krishnan", "Subramaniam", "Ramasamy", "Muthu", "Pillai", "Nair",
                                               "Govindasamy"};
constexpr GivenName kEurasianGiven[] = {{"Daniel", 'M'}, {"Mark", 'M'}, {"Gerald", 'M'},
                                        {"Michelle", 'F'}, {"Joanne", 'F'}, {"Sharon", 'F'}};
constexpr std::string_view kEurasianSurnames[] = {"de Souza", "Pereira", "Rodrigues", "Fernandez", "Oliveiro",
                                                  "Gomes"};
constexpr std::string_view kPrcSurnames[] = {"Zhang", "Wang", "Li", "Liu", "Chen", "Yang", "Zhao", "Huang"};
constexpr GivenName kPrcGiven[] = {{"Wei", 'M'}, {"Qiang", 'M'}, {"Lei", 'M'}, {"Jun", 'M'},
                                   {"Na", 'F'},  {"Fang", 'F'},  {"Jing", 'F'}, {"Yan", 'F'}};
constexpr GivenName kIndiaNationalGiven[] = {{"Ramesh Kumar", 'M'}, {"Sanjay Sharma", 'M'}, {"Anil Gupta", 'M'},
                                             {"Venkatesh Rao", 'M'}, {"Pooja Mehta", 'F'}, {"Sunita Reddy", 'F'}};
constexpr GivenName kWesternGiven[] = {{"James", 'M'}, {"Michael", 'M'}, {"David", 'M'}, {"Andrew", 'M'},
                                       {"Emma", 'F'},  {"Sarah", 'F'},  {"Jennifer", 'F'}, {"Claire", 'F'}};
constexpr std::string_view kWesternSurnames[] = {"Wilson", "Clarke", "Brown", "Miller", "Taylor", "Harris",
                                                 "Walker", "Bennett"};

template <typename T, std::size_t N>
const T& PickFrom(Random& random, const T (&items)[N]) {
  return random.Pick(std::span<const T>(items, N));
}

struct Organisation {
  std::string_view division, department, section, costCentre;
};
constexpr Organisation kOrganisation[] = {
    {"CORP", "ADMIN", "GENADM", "CC100"}, {"CORP", "FIN", "ACCTS", "CC110"}, {"CORP", "HR", "PAYROLL", "CC120"},
    {"CORP", "IT", "SUPPORT", "CC130"},   {"OPS", "PROD", "LINE1", "CC200"}, {"OPS", "PROD", "LINE2", "CC210"},
    {"OPS", "WHSE", "STORES", "CC220"},   {"OPS", "QA", "INSPECT", "CC230"}, {"SALES", "SALES", "LOCAL", "CC300"},
    {"SALES", "SALES", "EXPORT", "CC310"}, {"SALES", "CUSTSVC", "HELPDESK", "CC320"}};

struct Job {
  std::string_view occupation, grade, category;
  int minPay, maxPay;  // SGD a month
};
// Grades and occupation codes of the company's own code tables; pay bands of 2009.
constexpr Job kJobs[] = {
    {"MGR", "M1", "MGMT", 6500, 14000},     {"ENG", "E2", "EXEC", 3800, 7000}, {"ACCT", "E1", "EXEC", 3200, 5500},
    {"EXEC", "E1", "EXEC", 2800, 4800},     {"CLERK", "S1", "STAFF", 1700, 2800}, {"TECH", "S2", "STAFF", 2000, 3400},
    {"OPR", "W1", "WORKER", 1200, 2000},    {"DRIVER", "W1", "WORKER", 1500, 2300}, {"STOREKP", "W2", "WORKER", 1400, 2200}};

int PayBetween(Random& random, int lo, int hi) {
  return static_cast<int>(random.Between(lo / 10, hi / 10)) * 10;
}

Date RandomDate(Random& random, Date from, Date to) {
  return from.AddDays(static_cast<std::int32_t>(random.Between(0, to - from)));
}

// A citizen's or resident's NRIC: the "S" series for those born before 2000, "T" after; the digits start with
// the two last digits of the year of birth (registration at birth) for those born in Singapore.
std::string Nric(Random& random, Date birth, bool bornHere) {
  const char series = birth.Year() >= 2000 ? 'T' : 'S';
  std::string digits;
  if (bornHere) {
    const int year = birth.Year() % 100;
    digits = std::string(1, static_cast<char>('0' + year / 10)) + static_cast<char>('0' + year % 10) + Digits(random, 5);
  } else {
    digits = Digits(random, 7);
  }
  return MakeIdentityNumber(series, digits);
}

std::string Fin(Random& random, Date issued) {
  return MakeIdentityNumber(issued.Year() >= 2000 ? 'G' : 'F', Digits(random, 7));
}

}  // namespace

std::string CompanyCode(int number) {
  char code[16];
  std::snprintf(code, sizeof code, "DEMO%02d", number + 1);
  return code;
}

DemoCompany MakeCompany(int number, Random& random) {
  DemoCompany c;
  c.code = CompanyCode(number);
  // Seven steps round the twenty places: twenty companies in a row never share one.
  const std::size_t place = static_cast<std::size_t>(number * 7 + 3) % std::size(kPlaces);
  const std::size_t trade = static_cast<std::size_t>(number * 11 + random.Between(0, 14)) % std::size(kTrades);
  c.name = std::string(kPlaces[place]) + " " + std::string(kTrades[trade]) + " Pte Ltd";
  if (c.name.size() > 40) c.name = std::string(kPlaces[place]) + " " + std::string(kTrades[trade]);
  const std::size_t street = static_cast<std::size_t>(random.Between(0, std::size(kStreets) - 1));
  c.address1 = std::to_string(random.Between(1, 999)) + " " + std::string(kStreets[street]);
  c.address2 = "#" + Floor(random) + "-" + Digits(random, 2);
  c.postalCode = std::string(kPostalPrefixes[street]) + Digits(random, 4);
  c.address3 = "Singapore " + c.postalCode;
  c.telephone = PhoneNumber(random, '6');
  c.fax = PhoneNumber(random, '6');
  std::string domain;
  for (char ch : kPlaces[place])
    if (ch != ' ') domain += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  c.email = "hr@" + domain + std::string(kTrades[trade]).substr(0, 3) + ".com.sg";
  for (char& ch : c.email) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  c.registrationNo = std::to_string(random.Between(1990, 2008)) + Digits(random, 5) + "K";
  c.cpfSubmissionNo = c.registrationNo + "PTE01";
  c.bankId = std::string(PickFrom(random, kBanks));
  c.bankBranch = Digits(random, 3);
  c.bankAccount = Digits(random, 3) + "-" + Digits(random, 6) + "-" + Digits(random, 1);
  // Two companies in three pay the annual wage supplement, whatever the seed, so that December has bonuses.
  c.paysThirteenthMonth = number % 3 != 2;
  return c;
}

int AgeOn(Date birth, Date day) {
  int age = day.Year() - birth.Year();
  if (day.Month() < birth.Month() || (day.Month() == birth.Month() && day.Day() < birth.Day())) --age;
  return age;
}

std::vector<DemoEmployee> MakeEmployees(int count, Date asOf, Random& random) {
  std::vector<DemoEmployee> staff;
  staff.reserve(static_cast<std::size_t>(count));
  const Date earliestHire = Date::FromYmd(1992, 1, 2);
  for (int i = 0; i < count; ++i) {
    DemoEmployee e;
    char number[16];
    std::snprintf(number, sizeof number, "E%04d", i + 1);
    e.empNo = number;

    // The workforce of a Singapore employer of 2009: about three in five citizens, one in eight permanent
    // residents, the rest on work passes.
    const int roll = static_cast<int>(random.Between(0, 99));
    e.residency = roll < 62 ? Residency::Citizen : roll < 75 ? Residency::PermanentResident : Residency::Foreigner;

    // The job first: work permit holders take the operator's jobs, employment pass holders the senior ones.
    const Job* job = &PickFrom(random, kJobs);
    if (e.residency == Residency::Foreigner) {
      const int pass = static_cast<int>(random.Between(0, 99));
      e.passType = pass < 50 ? "WP" : pass < 75 ? "SP" : "EP";
      if (e.passType == "WP") job = &kJobs[6 + random.Between(0, 2)];
      if (e.passType == "SP") job = &kJobs[3 + random.Between(0, 2)];
      if (e.passType == "EP") job = &kJobs[random.Between(0, 2)];
    }
    e.occupation = job->occupation;
    e.jobGrade = job->grade;
    e.category = job->category;
    e.basicSalary = Currency::FromScaled(static_cast<std::int64_t>(PayBetween(random, job->minPay, job->maxPay)) *
                                         Currency::kScale);

    // Ages gather around forty (two draws averaged), from 21 to 62; work permit holders are under 50.
    const int youngest = e.passType == "WP" ? 21 : 22, oldest = e.passType == "WP" ? 49 : 62;
    const int age = static_cast<int>((random.Between(youngest, oldest) + random.Between(youngest, oldest) + 1) / 2);
    e.birthDate = Date::FromYmd(asOf.Year() - age, static_cast<int>(random.Between(1, 12)), static_cast<int>(random.Between(1, 28)));

    // Name, community and self-help fund.
    if (e.residency != Residency::Foreigner) {
      const int community = static_cast<int>(random.Between(0, 99));
      if (community < 72) {
        const GivenName& g = PickFrom(random, kChineseGiven);
        const std::string_view surname = PickFrom(random, kChineseSurnames);
        e.sex = g.sex;
        e.name = std::string(surname) + " " + std::string(g.name);
        if (random.Percent(40)) {
          const std::string_view english = PickFrom(random, kChineseEnglish);
          e.alias = std::string(english) + " " + std::string(surname);
        }
        e.race = "CHINESE";
        e.religion = random.Percent(50) ? "BUDDHIST" : random.Percent(50) ? "CHRISTN" : "FREETHNK";
        e.fundCode = "CDAC";
      } else if (community < 87) {
        const GivenName& g = PickFrom(random, kMalayGiven);
        e.sex = g.sex;
        e.name = std::string(g.name) + (g.sex == 'M' ? " bin " : " binte ") + std::string(PickFrom(random, kMalayFathers));
        e.race = "MALAY";
        e.religion = "MUSLIM";
        e.fundCode = "MBMF";
      } else if (community < 96) {
        const GivenName& g = PickFrom(random, kIndianGiven);
        e.sex = g.sex;
        e.name = std::string(g.name) + (g.sex == 'M' ? " s/o " : " d/o ") + std::string(PickFrom(random, kIndianFathers));
        e.race = "INDIAN";
        e.religion = "HINDU";
        e.fundCode = "SINDA";
      } else {
        const GivenName& g = PickFrom(random, kEurasianGiven);
        e.sex = g.sex;
        e.name = std::string(g.name) + " " + std::string(PickFrom(random, kEurasianSurnames));
        e.race = "EURASIAN";
        e.religion = "CATHOLIC";
        e.fundCode = "ECF";
      }
      e.nationality = e.residency == Residency::Citizen ? "301" : "300";
      e.cpfCategory = e.residency == Residency::Citizen ? "SC" : "PR";
      const bool bornHere = e.residency == Residency::Citizen && random.Percent(90);
      e.nric = Nric(random, e.birthDate, bornHere);
      e.incomeTaxNo = e.nric;
      if (e.residency == Residency::PermanentResident)
        e.prDate = RandomDate(random, Date::FromYmd(1995, 1, 1), Date::FromYmd(2006, 12, 31));
    } else {
      const int origin = static_cast<int>(random.Between(0, 99));
      if (origin < 35) {  // Malaysians
        const GivenName& g = PickFrom(random, kChineseGiven);
        e.sex = g.sex;
        e.name = std::string(PickFrom(random, kChineseSurnames)) + " " + std::string(g.name);
        e.race = "CHINESE";
        e.nationality = "304";
      } else if (origin < 65) {  // from the People's Republic
        const GivenName& g = PickFrom(random, kPrcGiven);
        e.sex = g.sex;
        e.name = std::string(PickFrom(random, kPrcSurnames)) + " " + std::string(g.name);
        e.race = "CHINESE";
        e.nationality = "336";
      } else if (origin < 90) {  // from India
        const GivenName& g = PickFrom(random, kIndiaNationalGiven);
        e.sex = g.sex;
        e.name = std::string(g.name);
        e.race = "INDIAN";
        e.nationality = "354";
      } else {  // British and American professionals
        const GivenName& g = PickFrom(random, kWesternGiven);
        e.sex = g.sex;
        e.name = std::string(g.name) + " " + std::string(PickFrom(random, kWesternSurnames));
        e.race = "CAUCASN";
        e.nationality = random.Percent(50) ? "110" : "503";
        e.passType = "EP";
        job = &kJobs[0];
        e.occupation = job->occupation;
        e.jobGrade = job->grade;
        e.category = job->category;
        e.basicSalary = Currency::FromScaled(static_cast<std::int64_t>(PayBetween(random, 8000, 16000)) * Currency::kScale);
      }
      e.religion = "OTHERS";
      e.cpfCategory = "FW";
      e.passportNo = std::string(1, static_cast<char>('A' + random.Between(0, 25))) + Digits(random, 7);
      e.passportExpires = RandomDate(random, Date::FromYmd(2010, 6, 1), Date::FromYmd(2016, 12, 31));
    }

    // Employment: hired between 1992 and a month before the payroll's last period; foreigners on passes of
    // two or three years, renewed.
    const Date adultFrom = Date::FromYmd(e.birthDate.Year() + 18, 1, 1);
    const Date hireFrom = adultFrom > earliestHire ? adultFrom : earliestHire;
    const Date hireTo = asOf.AddDays(-45);
    e.hired = hireFrom < hireTo ? RandomDate(random, hireFrom, hireTo) : hireTo;
    e.confirmed = e.hired.AddDays(e.passType == "WP" ? 90 : 180);
    if (e.residency == Residency::Foreigner) {
      const Date issued = e.hired.AddDays(-static_cast<std::int32_t>(random.Between(7, 40)));
      e.fin = Fin(random, issued);
      const int years = e.passType == "EP" ? 3 : 2;
      Date renewed = issued;
      while (renewed.AddDays(365 * years) < asOf) renewed = renewed.AddDays(365 * years);
      e.passIssued = renewed;
      e.passExpires = renewed.AddDays(365 * years - 1);
      // About a third of the FINs have not been copied to the income tax number yet.
      if (!random.Percent(35)) e.incomeTaxNo = e.fin;
    }
    // One in twelve has left during the year.
    if (random.Percent(8)) {
      const Date leaveFrom = Date::FromYmd(asOf.Year(), 1, 31) > e.hired.AddDays(60) ? Date::FromYmd(asOf.Year(), 1, 31) : e.hired.AddDays(60);
      if (leaveFrom < asOf) {
        e.terminated = RandomDate(random, leaveFrom, asOf.AddDays(-1));
        e.terminationReason = random.Percent(70) ? "RESIGN" : random.Percent(50) ? "CONTRACT" : "RETIRE";
      }
    }

    e.title = e.sex == 'M' ? "MR" : random.Percent(50) ? "MS" : "MDM";
    const int age2009 = AgeOn(e.birthDate, asOf);
    e.maritalStatus = age2009 > 28 && random.Percent(70) ? 'M' : 'S';
    if (e.sex == 'F' && e.maritalStatus == 'M' && e.title == "MS") e.title = "MRS";

    const Organisation& org = PickFrom(random, kOrganisation);
    e.division = org.division;
    e.department = org.department;
    e.section = org.section;
    e.costCentre = org.costCentre;
    e.location = random.Percent(80) ? "HQ" : "PLANT2";
    e.payGroup = e.category == "WORKER" ? "WEEKLY" : "MONTHLY";

    const std::size_t street = static_cast<std::size_t>(random.Between(0, std::size(kStreets) - 1));
    e.address1 = "BLK " + std::to_string(random.Between(1, 999)) + " " + std::string(kStreets[street]);
    e.address2 = "#" + Floor(random) + "-" + Digits(random, 3);
    e.postalCode = std::string(kPostalPrefixes[street]) + Digits(random, 4);
    e.address3 = "SINGAPORE " + e.postalCode;
    e.telephone = PhoneNumber(random, '6');
    e.mobile = PhoneNumber(random, random.Percent(50) ? '9' : '8');
    std::string mailbox;
    for (char ch : e.name)
      if (std::isalpha(static_cast<unsigned char>(ch))) mailbox += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    e.email = mailbox.substr(0, 16) + std::to_string(random.Between(1, 99)) + "@mail.com.sg";

    // Most are paid into a bank account; a few workers by cheque or cash.
    e.payMode = e.category == "WORKER" && random.Percent(15) ? (random.Percent(50) ? 'C' : 'H') : 'B';
    if (e.payMode == 'B') {
      e.bankId = std::string(PickFrom(random, kBanks));
      e.bankBranch = Digits(random, 3);
      e.bankAccount = Digits(random, e.bankId == "7171" ? 9 : 10);
    }

    e.supervisor = job->category == std::string_view("MGMT") || random.Percent(10);
    if (e.maritalStatus == 'M') {
      const bool husband = e.sex == 'F';
      if (e.race == "CHINESE") {
        e.spouseName = std::string(PickFrom(random, kChineseSurnames)) + " " + std::string(PickFrom(random, kChineseGiven).name);
      } else if (e.race == "MALAY") {
        e.spouseName = std::string(PickFrom(random, kMalayGiven).name) + (husband ? " bin " : " binte ") +
                       std::string(PickFrom(random, kMalayFathers));
      } else if (e.race == "INDIAN") {
        e.spouseName = std::string(PickFrom(random, kIndianGiven).name) + (husband ? " s/o " : " d/o ") +
                       std::string(PickFrom(random, kIndianFathers));
      } else {
        e.spouseName = std::string(PickFrom(random, kWesternGiven).name) + " " + std::string(PickFrom(random, kWesternSurnames));
      }
      e.spouseBirthDate = e.birthDate.AddDays(static_cast<std::int32_t>(random.Between(-2500, 2500)));
      if (e.residency != Residency::Foreigner) e.spouseNric = Nric(random, *e.spouseBirthDate, true);
      e.spouseJob = PickFrom(random, kJobs).occupation;
      e.spousePhone = PhoneNumber(random, '9');
      e.children = static_cast<int>(random.Between(0, 3));
      e.emergencyContact = e.spouseName;
      e.emergencyRelation = "SPOUSE";
      e.emergencyPhone = e.spousePhone;
    } else {
      e.emergencyContact = random.Percent(50) ? "Parent" : "Sibling";
      e.emergencyContact += " of " + e.name.substr(0, 28);
      e.emergencyRelation = random.Percent(50) ? "PARENT" : "SIBLING";
      e.emergencyPhone = PhoneNumber(random, '9');
    }
    staff.push_back(std::move(e));
  }
  // Supervisors report to the first manager-grade employee of the company.
  std::string head;
  for (const DemoEmployee& e : staff)
    if (e.category == "MGMT") {
      head = e.empNo;
      break;
    }
  for (DemoEmployee& e : staff)
    if (e.empNo != head) e.supervisorCode = head;
  return staff;
}

}  // namespace kv::demo
