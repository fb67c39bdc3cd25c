// The FW_LEVY and PUBLIC writers.

#include "rates/levy_writers.h"

#include "engine/failure_of.h"
#include "rates/daily_rate.h"

namespace kv::rates {

using engine::FailureOf;

namespace {

constexpr const char* kLevySelect = "SELECT * FROM FW_LEVY ";
constexpr const char* kLevyKeyOrder = "YEAR;CLASS;CATEGORY;PERIOD_PART";
constexpr const char* kCreateLevyKey = "CREATE INDEX [PRIMARY] ON FW_LEVY (YEAR,CLASS,CATEGORY,PERIOD_PART)";

void OpenLevyQuery(engine::TAdsQuery& q) {
  q.SQL().Add(kLevySelect);
  q.SetIndexFieldNames(kLevyKeyOrder);
  q.Open();
}

}  // namespace

void MarkFirstPart(engine::TAdsDataSet& levy) {
  if (engine::TField* part = levy.FindField("PERIOD_PART")) part->SetAsString("1");
}

void PutLevyRow(engine::TAdsQuery& AdsQuery1, kv::ui::UserInterface& ui, const LevyRow& row) {
  engine::TAdsQuery& q = AdsQuery1;
  q.RequestLive = true;
  q.Close();
  q.SQL().Clear();
  if (const auto failure = FailureOf([&] { OpenLevyQuery(q); })) {
    // Without the key index the order cannot be set: make it, then open once more (not caught).
    ui.ShowMessage(*failure + " SQL :" + q.SQL().Text());
    q.Close();
    q.SQL().Clear();
    q.SQL().Add(kCreateLevyKey);
    q.ExecSQL();
    q.CloseStatement();
    q.SQL().Clear();
    OpenLevyQuery(q);
  }
  if (q.FindKey({row.YEAR, row.CLASS, row.CATEGORY, row.PERIOD_PART})) {
    q.Edit();
  } else {
    q.Append();
    q.FieldByName("YEAR").SetAsString(row.YEAR);
    q.FieldByName("CLASS").SetAsString(row.CLASS);
    q.FieldByName("CATEGORY").SetAsString(row.CATEGORY);
    q.FieldByName("PERIOD_PART").SetAsString(row.PERIOD_PART);
  }
  q.FieldByName("DESC").SetAsString(row.DESC);
  const bool derived = TakesDerivedDailyRate(row.YEAR, row.PERIOD_PART, row.DAILY_RATE);
  q.FieldByName("DAILY_RATE").SetAsCurrency(derived ? DerivedDailyRate(row.MAX_PER_MTH) : row.DAILY_RATE);
  q.FieldByName("MAX_PER_MTH").SetAsCurrency(row.MAX_PER_MTH);
  q.Post();
}

void AddPublicHoliday(engine::TAdsTable& AdsTable1, kv::ui::UserInterface& ui, const PublicHoliday& holiday) {
  engine::TAdsTable& t = AdsTable1;
  const auto failure = FailureOf([&] {
    t.Close();
    t.SetTableName("PUBLIC");
    t.SetIndexFieldNames("FINPERIOD;DATE;STATE");
    t.Open();
    if (t.FindKey({holiday.FINPERIOD, holiday.DATE, ""})) return;
    t.Append();
    t.FieldByName("FINPERIOD").SetAsString(holiday.FINPERIOD);
    t.FieldByName("DATE").SetAsDate(holiday.DATE);
    t.FieldByName("DESC").SetAsString(holiday.DESC);
    t.Post();
  });
  // Closed in every case; a row that could not be posted is given up with it.
  t.Close();
  if (failure) ui.ShowMessage(*failure);
}

void AddLevyRow(engine::TAdsTable& AdsTable2, const std::string& year, const std::string& levyClass,
                const std::string& description, const std::string& monthly, const std::string& daily) {
  engine::TAdsTable& t = AdsTable2;
  if (t.FindKey({year, levyClass, "FWL"})) return;
  t.Append();
  t.FieldByName("YEAR").SetAsString(year);
  t.FieldByName("CLASS").SetAsString(levyClass);
  t.FieldByName("CATEGORY").SetAsString("FWL");
  MarkFirstPart(t);
  t.FieldByName("DESC").SetAsString(description);
  t.FieldByName("DAILY_RATE").SetAsString(daily);
  t.FieldByName("MAX_PER_MTH").SetAsString(monthly);
  t.Post();
}

}  // namespace kv::rates
