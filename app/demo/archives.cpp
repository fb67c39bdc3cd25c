#include "app/demo/archives.h"

#include "app/demo/files.h"
#include "app/demo/wallpaper.h"
#include "platform/fs.h"
#include "platform/zip.h"

namespace kv::demo {
namespace {

// Writes `entry` with `content` beside the archive, packs it, and removes the loose file again, so that the
// installation holds only the archive.
void ArchiveOneFile(const std::string& dataPath, const std::string& archive, const std::string& entry,
                    const std::string& content) {
  const std::string loose = dataPath + "\\" + entry;
  WriteNewFile(loose, content);
  zip::ZipComponent zip;
  zip.SetZipFilename(dataPath + "\\" + archive);
  zip.SetFilesToProcess({});
  zip.AddFilesToProcess(loose);
  try {
    zip.Zip();
  } catch (...) {
    fs::DeleteFile(loose);
    throw;
  }
  fs::DeleteFile(loose);
}

}  // namespace

void MakeReleaseArchives(const std::string& dataPath) {
  ArchiveOneFile(dataPath, "wallpaper.zip", "wallpaper.jpg", EncodeWallpaperJpeg());
  ArchiveOneFile(dataPath, "UPDATEKV8.ZIP", "eQuillon.aep",
                 "eQuillon extended procedures for KV8 - placeholder of the demo installation.\r\n"
                 "The upgrade extracts this file and registers it as the procedure library; it never reads it.\r\n");
  ArchiveOneFile(dataPath, "RPTDATA.ZIP", "RPTDATA.TXT",
                 "Report-writer tables of the release - placeholder of the demo installation.\r\n");
}

}  // namespace kv::demo
