// The employee record walk: one pass over the company's employees applying the small corrections most of which
// the "Optional" page's options ask for (family and supervisor records, codes for titles, units and spouse
// occupations, telephone prefixes, photos to JPEG, career defaults, claim and leave schemes, MSO fund class,
// 2002 cost centres, stop-payment flags, national service dates) and giving every employee its EMPLOYMT and
// EMPMISC records.
//
// The walk's tables are closed again when it ends, also after a failure, so that the steps after it find them
// closed; the failure then goes on to the driver, which shows it.

#include <optional>
#include <stdexcept>
#include <string>

#include "console/form.h"
#include "console/guards.h"
#include "platform/fs.h"
#include "platform/picture.h"
#include "platform/whole_file.h"

namespace kv::console {

namespace {

using engine::TAdsTable;
using engine::TDataSetState;

constexpr const char* kWorkBitmap = "c:\\temp\\photo.bmp";
constexpr const char* kWorkJpeg = "c:\\temp\\photo.jpg";

bool Editing(const engine::TAdsDataSet& t) {
  return t.State() == TDataSetState::dsEdit || t.State() == TDataSetState::dsInsert;
}

void Text(TAdsTable& t, const char* field, const std::string& value) { t.FieldByName(field).SetAsString(value); }
std::string Text(const engine::TAdsDataSet& t, const char* field) { return t.FieldByName(field).AsString(); }

class EmployeeWalk {
 public:
  explicit EmployeeWalk(TForm1& form)
      : f_(form), employee_(form.AdsTable1), employment_(form.AdsTable2), misc_(form.AdsTable3),
        careers_(form.AdsTableCareer), codes_(form.AdsTableCode) {
    family_.SetAdsConnection(&form.AdsConnection1);
    setup_.SetAdsConnection(&form.AdsConnection1);
  }

  void Run() {
    std::optional<std::string> failure = FailureOf([&] {
      Prepare();
      for (employee_.First(); !employee_.Eof(); employee_.Next()) VisitEmployee();
    });
    // The engine's error is left behind (copied as text) before the clean-up uses the engine again.
    CloseAll();
    if (failure) throw std::runtime_error(*failure);
  }

 private:
  bool FreeTables() const { return !f_.AdsConnection1.IsDictionary(); }

  void Open(TAdsTable& t, const std::string& name, std::string order, bool password) {
    t.Close();
    t.SetIndexFieldNames("");
    t.SetTableName(name);
    t.SetIndexFieldNames(order);
    t.Open();
    if (password && FreeTables()) t.EnableEncryption(engine::kTablePassword);
  }

  void Prepare() {
    f_.AdsConnectionSup.Disconnect();
    f_.AdsConnectionSup.SetConnectPath(f_.DataPath() + "SHARE_FOLDER\\");
    f_.AdsTableSupvr.Close();
    f_.AdsTableSupvr.Open();
    Open(family_, "FAMILY.adt", "EMP_CODE;IC_PASSPORT_NUM", false);
    f_.AdsTableCost.Close();
    f_.AdsTableCost.Open();
    Open(employee_, "EMPLOYEE.ADT", "", true);
    careers_.Close();
    careers_.Open();
    if (FreeTables()) careers_.EnableEncryption(engine::kTablePassword);
    Open(employment_, "EMPLOYMT.ADT", "EMP_NO", true);
    Open(misc_, "EMPMISC.ADT", "EMP_NO", true);
    f_.AdsQuery2.Close();
    if (f_.CheckBoxNS.Checked()) f_.AdsQuery2.Open();
    if (f_.CheckBoxClaim.Checked()) ReadSchemeMethods();
    Open(setup_, "SETUP.ADT", "Empid;Empcom", true);
    Open(careers_, "EMP_PROS.ADT", std::string(careers_.IndexFieldNames()), true);
    codes_.Close();
    codes_.Open();
  }

  // The claim method: the first METHOD of the medical scheme codes ("C" without one); the leave method: the
  // category of the 2004 leave settings ("C" without them).
  void ReadSchemeMethods() {
    f_.AdsTablePaypara.Close();
    f_.AdsTablePaypara.Open();
    if (FreeTables()) f_.AdsTablePaypara.EnableEncryption(engine::kTablePassword);
    codes_.Close();
    codes_.Open();
    claimMethod_ = "C";
    codes_.FindNearest({"MED"});
    for (; !codes_.Eof() && Text(codes_, "CATEGORY") == "MED"; codes_.Next())
      if (const std::string method = Text(codes_, "METHOD"); !method.empty()) {
        claimMethod_ = method;
        break;
      }
    codes_.Close();
    f_.AdsTablePaypara.Close();
    f_.AdsTableLvset.Close();
    f_.AdsTableLvset.Open();
    leaveMethod_ = f_.AdsTableLvset.FindKey({"2004"}) ? Text(f_.AdsTableLvset, "CATEGORY") : "C";
    f_.AdsTableLvset.Close();
  }

  void VisitEmployee() {
    const std::string empNo = Text(employee_, "EMP_NO");
    if (f_.CheckBoxFamily.Checked()) SpouseRecord(empNo);
    if (f_.CheckBoxSupvr1.Checked()) {
      if (const auto failure = FailureOf([&] { SupervisorRecord(empNo); })) {
        FailureIgnored([&] { CancelPending(); });
        f_.Ui().ShowMessage(*failure);
      }
    }
    if (const std::string title = Text(employee_, "SEX_TITLE"); !title.empty())
      AddCodeWhenMissing("SEX", title, title);
    careers_.SetRange({empNo}, {empNo});
    careers_.Last();
    if (employment_.FindKey({empNo}))
      if (const std::string unit = Text(employment_, "UNIT"); !unit.empty())
        AddCodeWhenMissing("UNT", unit, DescriptionOf("OCU", unit));
    if (const std::string job = Text(employee_, "SPOUSE_JOB_CODE"); !job.empty())
      AddCodeWhenMissing("SOU", job, DescriptionOf("OCU", job));
    if (f_.CheckBoxaddr.Checked()) PrefixTelephones();
    if (f_.CheckBoxjpg.Checked()) PhotoToJpeg(empNo);
    CareerDefaults(empNo);
    if (f_.CheckBoxClaim.Checked()) ClaimAndLeaveSchemes();
    if (f_.CheckBoxAdd.Checked() && misc_.FindKey({empNo}) && Text(misc_, "BOOLEAN10") == "T") {
      employee_.Edit();
      Text(employee_, "FUND_CLASS", "A");
      employee_.Post();
    }
    if (f_.CheckBoxCost.Checked()) CostCentres2002(empNo);
    if (f_.CheckBoxSTOP.Checked() && employment_.FindKey({empNo}) && Text(employment_, "TENURE_SERV") == "@HOLD") {
      employee_.Edit();
      Text(employee_, "STOP_IND", "E");
      employee_.Post();
    }
    if (f_.CheckBoxNS.Checked()) NationalService(empNo);
    FailureIgnored([&] { AddMissingRecords(empNo); });
    FailureIgnored([&] { CancelPending(); });
  }

  // ---- family and supervisors ----

  void SpouseRecord(const std::string& empNo) {
    if (Text(employee_, "SPOUSE_NAME").empty()) return;
    bool found = false;
    family_.FindNearest({empNo});
    for (; !family_.Eof() && Text(family_, "EMP_CODE") == empNo; family_.Next())
      if (Text(family_, "RELATIONSHIP") == "SPOUSE") {
        found = true;
        break;
      }
    if (found) {
      family_.Edit();
    } else {
      family_.Append();
      Text(family_, "PR_IND", "F");
      Text(family_, "DEP_INDICATOR", "F");
      for (const char* none : {"RACE", "INSTITUTE", "CITIZENSHIP", "BIRTH_COUNTRY", "RELIGION"})
        Text(family_, none, "NONE");
      Text(family_, "EMP_CODE", empNo);
      Text(family_, "RELATIONSHIP", "SPOUSE");
    }
    static constexpr std::pair<const char*, const char*> kFromEmployee[] = {
        {"NAME", "SPOUSE_NAME"},          {"OCCUPATION_CODE", "SPOUSE_JOB_CODE"}, {"IC_PASSPORT_NUM", "SPOUSE_NEW_IC"},
        {"PHONE_NUM", "SPOUSE_PHONE"},    {"MOBILE_PHONE", "SPOUSE_MPHONE"},      {"E-MAIL_ADDRESS", "SPOUSE_EMAIL"},
        {"PAGER_NO", "SPOUSE_PGR"}};
    for (const auto& [to, from] : kFromEmployee) Text(family_, to, Text(employee_, from));
    family_.FieldByName("BIRTH_DATE").SetValue(employee_.FieldByName("SPOUSE_DOB").Value());
    Text(family_, "SEX", Text(employee_, "SEX") != "M" ? "M" : "F");
    family_.Post();
  }

  // Only for a serving employee marked as a supervisor.
  void SupervisorRecord(const std::string& empNo) {
    if (!employee_.FieldByName("termination_date").IsNull() || Text(employee_, "is_EPF_OLD") != "T") return;
    TAdsTable& supervisors = f_.AdsTableSupvr;
    if (!supervisors.FindKey({empNo})) {
      supervisors.Append();
      Text(supervisors, "emp_no", empNo);
      Text(supervisors, "emp_name", Text(employee_, "EMP_NAME"));
      supervisors.Post();
    }
    const std::string company = f_.CompanyCode();
    if (setup_.FindKey({empNo, company})) {
      setup_.Edit();
    } else {
      setup_.Append();
      Text(setup_, "empid", empNo);
      Text(setup_, "MODE", "direct");
      Text(setup_, "CAT", "none");
      Text(setup_, "subcom", company);
      Text(setup_, "subcode", empNo);
    }
    Text(setup_, "Empname", Text(employee_, "EMP_NAME"));
    Text(setup_, "Repemail", Text(employee_, "EMAIL_AC_NO"));
    Text(setup_, "Empcom", company);
    if (setup_.FindField("ALIAS")) Text(setup_, "ALIAS", Text(employee_, "EMP_ALIAS"));
    setup_.Post();
  }

  // ---- codes ----

  std::string DescriptionOf(const std::string& category, const std::string& code) {
    return codes_.FindKey({category, code}) ? Text(codes_, "DESC") : std::string();
  }

  void AddCodeWhenMissing(const std::string& category, const std::string& code, const std::string& description) {
    if (codes_.FindKey({category, code})) return;
    codes_.Append();
    Text(codes_, "CATEGORY", category);
    Text(codes_, "CODE", code);
    Text(codes_, "DESC", description);
    codes_.Post();
  }

  // The description of (keyCategory, value) copied to the code (category, value), made when missing.
  void CopyDescription(const std::string& keyCategory, const std::string& category, const std::string& value) {
    if (!codes_.FindKey({keyCategory, value})) return;
    const std::string description = Text(codes_, "DESC");
    if (codes_.FindKey({category, value})) {
      codes_.Edit();
    } else {
      codes_.Append();
      Text(codes_, "CATEGORY", category);
      Text(codes_, "CODE", value);
    }
    Text(codes_, "DESC", description);
    codes_.Post();
  }

  // ---- the employee's own fields ----

  void PrefixTelephones() {
    employee_.Edit();
    for (const char* field : {"TEL_NO", "EMG_TEL", "EMG_TEL2", "SPOUSE_PHONE"})
      if (const std::string number = Text(employee_, field); number.size() == 7) Text(employee_, field, "6" + number);
    employee_.Post();
  }

  // A photo kept as a bitmap becomes a JPEG, by way of the work files in "c:\temp". A failure is shown with the
  // employee's number and the walk goes on with the photo unchanged.
  void PhotoToJpeg(const std::string& empNo) {
    const picture::Bytes photo = employee_.FieldByName("PHOTO_ID").AsBlob();
    if (photo.empty() || picture::FormatOf(photo) != picture::Format::Bitmap) return;
    const auto failure = FailureOf([&] {
      kv::fs::CreateFolders(kv::fs::FolderPart(kWorkBitmap));
      kv::fs::WriteWholeFile(kWorkBitmap, photo);
      const picture::Image image = picture::DecodeBitmap(kv::fs::ReadWholeFile(kWorkBitmap));
      kv::fs::WriteWholeFile(kWorkJpeg, picture::EncodeJpeg(image));
      const picture::Bytes jpeg = kv::fs::ReadWholeFile(kWorkJpeg);
      employee_.Edit();
      employee_.FieldByName("PHOTO_ID").SetAsBlob(jpeg);
      employee_.Post();
    });
    if (failure) {
      FailureIgnored([&] { CancelPending(); });
      f_.Ui().ShowMessage(empNo);
    }
  }

  void CareerDefaults(const std::string& empNo) {
    careers_.FindNearest({empNo});
    for (; !careers_.Eof() && Text(careers_, "emp_code") == empNo; careers_.Next()) {
      careers_.Edit();
      if (Text(careers_, "percent").empty()) Text(careers_, "percent", "100.00");
      if (Text(careers_, "saltype").empty()) Text(careers_, "saltype", "M");
      careers_.Post();
    }
  }

  void ClaimAndLeaveSchemes() {
    employee_.Edit();
    const bool byCategory = claimMethod_ == "C";
    const std::string benefit = Text(employee_, byCategory ? "CATEGORY_CODE" : "JOB_GRADE_CODE");
    Text(employee_, "BENEFIT_SCHEME", benefit);
    CopyDescription(byCategory ? "CAT" : "JOB", "BEN", benefit);
    const bool leaveByCategory = leaveMethod_ != "J";
    const std::string leave = Text(employee_, leaveByCategory ? "CATEGORY_CODE" : "JOB_GRADE_CODE");
    Text(employee_, "LEAVE_SCHEME", leave);
    CopyDescription(leaveByCategory ? "CAT" : "JOB", "LSC", leave);
    employee_.Post();
  }

  // Exactly twelve 2002 records at 100 percent in the employee's current cost centre.
  void CostCentres2002(const std::string& empNo) {
    TAdsTable& cost = f_.AdsTableCost;
    cost.SetRange({empNo, "200201"}, {empNo, "200212"});
    cost.First();
    while (!cost.Eof() && Text(cost, "EMPCODE") == empNo && Text(cost, "period").substr(0, 4) == "2002") cost.Delete();
    const std::string centre = Text(employee_, "cost_centre_code");
    for (int month = 1; month <= 12; ++month) {
      cost.Append();
      Text(cost, "EMPCODE", empNo);
      Text(cost, "PERIOD", "2002" + std::string(month < 10 ? "0" : "") + std::to_string(month));
      Text(cost, "COST_CENTRE", centre);
      Text(cost, "PERCENT", "100");
      cost.Post();
    }
  }

  // Enlisted staff: the change date is the hiring date moved back by the days of full-time service.
  void NationalService(const std::string& empNo) {
    employee_.Edit();
    if (f_.AdsQuery2.FindKey({empNo})) {
      Text(employee_, "NS_SERVICE", "T");
      const std::int32_t served =
          f_.AdsQuery2.FieldByName("NS_ORD").AsDate() - f_.AdsQuery2.FieldByName("ENLISTMENT_DATE").AsDate() + 1;
      employee_.FieldByName("CHANGE_DATE").SetAsDate(employee_.FieldByName("HIRED_DATE").AsDate().AddDays(-served));
    } else {
      Text(employee_, "NS_SERVICE", "F");
    }
    employee_.Post();
  }

  void AddMissingRecords(const std::string& empNo) {
    if (!employment_.FindKey({empNo})) {
      employment_.Append();
      // NONE first, so that an 8-character employee number is not overwritten with it.
      TForm1::FillNoneFields(employment_);
      Text(employment_, "emp_no", empNo);
      employment_.FieldByName("STATE").Clear();
      employment_.Post();
    }
    if (!misc_.FindKey({empNo})) {
      misc_.Append();
      TForm1::FillNoneFields(misc_);
      Text(misc_, "emp_no", empNo);
      misc_.Post();
    }
  }

  void CancelPending() {
    for (engine::TAdsDataSet* t : std::initializer_list<engine::TAdsDataSet*>{
             &employee_, &employment_, &misc_, &careers_, &codes_, &family_, &setup_, &f_.AdsTableSupvr,
             &f_.AdsTableCost})
      if (Editing(*t)) t->Cancel();
  }

  // Each object on its own, so that one that cannot be closed keeps none of the others open.
  void CloseAll() {
    FailureIgnored([&] { CancelPending(); });
    for (TAdsTable* t : {&family_, &setup_})
      FailureIgnored([&] {
        t->Close();
        t->SetTableName("");
        t->SetIndexFieldNames("");
      });
    for (TAdsTable* t : {&employee_, &employment_, &misc_, &careers_, &codes_, &f_.AdsTableCost, &f_.AdsTableSupvr,
                         &f_.AdsTablePaypara, &f_.AdsTableLvset})
      FailureIgnored([&] { t->Close(); });
    employment_.SetIndexFieldNames("");
    misc_.SetIndexFieldNames("");
    FailureIgnored([&] { f_.AdsQuery2.Close(); });
  }

  TForm1& f_;
  TAdsTable& employee_;
  TAdsTable& employment_;
  TAdsTable& misc_;
  TAdsTable& careers_;
  TAdsTable& codes_;
  TAdsTable family_{"family", "Form1"};
  TAdsTable setup_{"setup", "Form1"};
  std::string claimMethod_ = "C";
  std::string leaveMethod_ = "C";
};

}  // namespace

// A company without employees (no EMPLOYEE table) has nothing to walk.
void TForm1::EmployeeRecordWalk() {
  AdsTable1.Close();
  AdsTable1.SetIndexFieldNames("");
  AdsTable1.SetTableName("EMPLOYEE.ADT");
  if (!AdsTable1.Exists()) return;
  EmployeeWalk(*this).Run();
}

void TForm1::FillNoneFields(engine::TAdsTable& table) {
  for (const auto& field : table.Fields())
    if (field->DataType() == engine::TFieldType::ftString && field->Size() == 8) field->SetAsString("NONE");
}

}  // namespace kv::console
