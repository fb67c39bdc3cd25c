// The run's steps on the report writer's tables and the claim templates, with the window's objects they use.

#include "console/form.h"
#include "conversions/report_writer.h"
#include "upgrade/report_templates.h"

namespace kv::console {

void TForm1::RenumberAllowanceColumns() {
  kv::conversions::RenumberAllowanceColumns({wwTableRtable, wwTableRep, wwTableAllw, wwTableTrnno});
}

void TForm1::UpdateReportTemplates() { kv::upgrade::UpdateReportTemplates(UpgradeObjects(), wwTableRtable); }

void TForm1::CopyClaimTemplate() {
  kv::conversions::CopyClaimTemplate({TblTmpl, TblTmpl1, AdsConnTmpl, XceedZip1, programFolder_, updateArchiveName_},
                                     Edit3.Text());
}

}  // namespace kv::console
