// The company's data version: VERSION of PAYPARA's first record, read through the window's AdsTable1.

#include <optional>
#include <string>

#include "console/form.h"
#include "console/guards.h"

namespace kv::console {

std::int64_t TForm1::ReadDataVersion() {
  AdsTable1.Close();
  AdsTable1.SetIndexFieldNames("");
  AdsTable1.SetTableName("PAYPARA");
  AdsTable1.Open();
  const std::int64_t version = AdsTable1.FieldByName("VERSION").AsCurrency().Scaled();
  AdsTable1.Close();
  return version;
}

void TForm1::WriteDataVersion(kv::Currency version) {
  FailureShownAs(ui_, "ERROR1 ", [&] {
    AdsTable1.Close();
    AdsTable1.SetIndexFieldNames("");
    AdsTable1.SetTableName("PAYPARA");
    AdsTable1.Open();
    AdsTable1.Edit();
    AdsTable1.FieldByName("VERSION").SetAsCurrency(version);
    AdsTable1.Post();
    AdsTable1.Close();
  });
}

}  // namespace kv::console
