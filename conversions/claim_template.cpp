// One claim template of the company replaced by the release's lines of it, from the update archive.

#include <charconv>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "conversions/report_writer.h"
#include "platform/fs.h"
#include "platform/ui.h"

namespace kv::conversions {

namespace {

// The zip component's Tag while it extracts: the progress line then reads "unZipping : ".
constexpr int kExtracting = 2;

// The files the extraction may bring into the program's folder.
constexpr const char* kExtractedFiles[] = {"clmtmpl.adt", "clmtmpl.adi", "clmtmpl.adm"};

int TemplateNumber(std::string_view text) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size())
    throw std::invalid_argument("'" + std::string(text) + "' is not a valid integer value");
  return number;
}

using Line = std::vector<std::pair<std::string, ace::Value>>;

// The release's lines of the template, each as the company table's fields with the release's values. A field
// the release's table lacks (one a later list added to the company's) stays empty; an automatic number is the
// company table's own.
std::vector<Line> ReleaseLines(engine::TAdsTable& company, engine::TAdsTable& release, int number) {
  std::vector<Line> lines;
  if (!release.FindKey({number})) return lines;
  for (; !release.Eof() && release.FieldByName("TMPLNO").AsInteger() == number; release.Next()) {
    Line line;
    for (const auto& field : company.Fields()) {
      if (field->DataType() == engine::TFieldType::ftAutoInc) continue;
      if (const engine::TField* from = release.FindField(field->FieldName()))
        line.emplace_back(field->FieldName(), from->Value());
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

void ReplaceTemplate(const ClaimTemplateObjects& o, int number) {
  o.TblTmpl.Close();
  o.TblTmpl.SetIndexFieldNames("TMPLNO;FIELDNO");
  o.TblTmpl.Open();
  o.AdsConnTmpl.Disconnect();
  o.AdsConnTmpl.SetConnectPath(o.programFolder);
  o.TblTmpl1.Close();
  o.TblTmpl1.SetIndexFieldNames("TMPLNO;FIELDNO");
  o.TblTmpl1.Open();
  // Read before anything is deleted, so that a release table that cannot be read leaves the company's lines.
  const std::vector<Line> lines = ReleaseLines(o.TblTmpl, o.TblTmpl1, number);
  if (o.TblTmpl.FindKey({number}))
    while (!o.TblTmpl.Eof() && o.TblTmpl.FieldByName("TMPLNO").AsInteger() == number) o.TblTmpl.Delete();
  for (const Line& line : lines) {
    o.TblTmpl.Append();
    for (const auto& [name, value] : line) o.TblTmpl.FieldByName(name).SetValue(value);
    o.TblTmpl.Post();
  }
}

}  // namespace

void CopyClaimTemplate(const ClaimTemplateObjects& o, std::string_view templateNumber) {
  if (templateNumber.empty()) return;
  const int number = TemplateNumber(templateNumber);
  std::optional<std::string> failure;
  try {
    o.XceedZip1.SetZipFilename(o.programFolder + o.updateArchiveName);
    o.XceedZip1.SetUnzipToFolder(o.programFolder);
    o.XceedZip1.SetFilesToProcess({});
    o.XceedZip1.AddFilesToProcess("CLMTMPL.*");
    o.XceedZip1.Tag = kExtracting;
    o.XceedZip1.Unzip();
    o.XceedZip1.SetFilesToProcess({});
    ReplaceTemplate(o, number);
  } catch (const kv::ui::UnexpectedPrompt&) {
    throw;
  } catch (const std::exception& e) {
    failure = e.what();
  }
  // Out of the handler, so that the engine reports again while the tables are closed.
  o.TblTmpl.Close();
  o.TblTmpl1.Close();
  o.AdsConnTmpl.Disconnect();
  // The extracted copy goes from where it was put, also when the copy failed.
  for (const char* file : kExtractedFiles) kv::fs::DeleteFile(o.programFolder + file);
  if (failure) throw std::runtime_error(*failure);
}

}  // namespace kv::conversions
