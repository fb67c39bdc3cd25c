#include "conversions/photo_files.h"

#include <optional>
#include <string>

#include "conversions/table_access.h"
#include "platform/fs.h"
#include "platform/picture.h"
#include "platform/whole_file.h"

namespace kv::conversions {

namespace {

// The picture's form checked by reading it whole; the reason when it is not a readable picture.
std::optional<std::string> UnreadableBecause(const picture::Bytes& data) {
  try {
    switch (picture::FormatOf(data)) {
      case picture::Format::Jpeg: picture::DecodeJpeg(data); return std::nullopt;
      case picture::Format::Bitmap: picture::DecodeBitmap(data); return std::nullopt;
      case picture::Format::Unknown: return "neither a JPEG nor a bitmap";
    }
  } catch (const picture::PictureError& e) {
    return std::string(e.what());
  }
  return "neither a JPEG nor a bitmap";
}

bool OpenEmployees(RecordObjects& w) {
  if (!BindTable(w.AdsTable1, "EMPLOYEE", "")) return false;
  OpenProtected(w, w.AdsTable1);
  return true;
}

}  // namespace

bool UsableAsFileName(const std::string& employee) {
  if (employee.empty() || employee == "." || employee == "..") return false;
  return employee.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

void SavePhotoFiles(RecordObjects& w) {
  engine::TAdsTable& t = w.AdsTable1;
  if (!OpenEmployees(w)) return;
  if (!kv::fs::FolderExists(kPhotoExportFolder) && !kv::fs::CreateFolders(kPhotoExportFolder))
    throw kv::fs::FsError(std::string("The folder ") + kPhotoExportFolder + " cannot be created");
  for (t.First(); !t.Eof(); t.Next()) {
    const picture::Bytes photo = t.FieldByName("PHOTO_ID").AsBlob();
    if (photo.empty()) continue;
    const std::string employee = t.FieldByName("EMP_NO").AsString();
    if (!UsableAsFileName(employee)) {
      w.ui.ShowMessage("Employee No " + employee + " cannot name a photo file; the photo is not saved.");
      continue;
    }
    const std::string file = kPhotoExportFolder + employee + ".jpg";
    w.showProgress("Saving : " + file);
    if (const auto reason = UnreadableBecause(photo)) {
      w.ui.ShowMessage("The photo of Employee No " + employee + " is not a picture (" + *reason + "); " + file +
                       " is not written.");
      continue;
    }
    kv::fs::WriteWholeFile(file, picture::AsJpeg(photo));
  }
  t.Close();
}

void LoadPhotoFiles(RecordObjects& w) {
  engine::TAdsTable& t = w.AdsTable1;
  if (!OpenEmployees(w)) return;
  for (t.First(); !t.Eof(); t.Next()) {
    const std::string employee = t.FieldByName("EMP_NO").AsString();
    if (!UsableAsFileName(employee)) continue;
    const std::string file = kPhotoImportFolder + employee + ".jpg";
    if (!kv::fs::FileExists(file)) continue;
    w.showProgress("Loading : " + file);
    const picture::Bytes photo = kv::fs::ReadWholeFile(file);
    if (const auto reason = UnreadableBecause(photo)) {
      w.ui.ShowMessage(file + " is not a picture (" + *reason + "); the photo of Employee No " + employee +
                       " is not changed.");
      continue;
    }
    t.Edit();
    t.FieldByName("PHOTO_ID").SetAsBlob(photo);
    t.Post();
  }
  t.Close();
}

}  // namespace kv::conversions
