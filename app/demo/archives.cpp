#include "app/demo/archives.h"

#include <vector>

#include "app/demo/files.h"
#include "app/demo/report_writer_tables.h"
#include "app/demo/wallpaper.h"
#include "platform/fs.h"
#include "platform/zip.h"

namespace kv::demo {
namespace {

// Writes `entry` with `content` beside the archive, packs it with the files `alsoMade` (already beside it), and
// removes the loose files again, so that the installation holds only the archive.
void ArchiveOneFile(const std::string& dataPath, const std::string& archive, const std::string& entry,
                    const std::string& content, const std::vector<std::string>& alsoMade = {}) {
  std::vector<std::string> loose = {dataPath + "\\" + entry};
  for (const std::string& made : alsoMade) loose.push_back(dataPath + "\\" + made);
  WriteNewFile(loose.front(), content);
  zip::ZipComponent zip;
  zip.SetZipFilename(dataPath + "\\" + archive);
  zip.SetFilesToProcess({});
  for (const std::string& file : loose) zip.AddFilesToProcess(file);
  try {
    zip.Zip();
  } catch (...) {
    for (const std::string& file : loose) fs::DeleteFile(file);
    throw;
  }
  for (const std::string& file : loose) fs::DeleteFile(file);
}

}  // namespace

void MakeReleaseArchives(const std::string& dataPath) {
  ArchiveOneFile(dataPath, "wallpaper.zip", "wallpaper.jpg", EncodeWallpaperJpeg());
  MakeReleaseClaimTemplates(dataPath);
  ArchiveOneFile(dataPath, "UPDATEKV8.ZIP", "eQuillon.aep",
                 "eQuillon extended procedures for KV8 - placeholder of the demo installation.\r\n"
                 "The upgrade extracts this file and registers it as the procedure library; it never reads it.\r\n",
                 {"CLMTMPL.ADT", "CLMTMPL.ADI"});
  ArchiveOneFile(dataPath, "RPTDATA.ZIP", "RPTDATA.TXT",
                 "Report-writer tables of the release - placeholder of the demo installation.\r\n");
}

}  // namespace kv::demo
