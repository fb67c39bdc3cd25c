#include "console/dry_run.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "console/drift_check.h"
#include "console/form.h"
#include "console/restore.h"
#include "console/run_record.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace kv::console {

namespace stdfs = std::filesystem;

namespace {

// A new folder under the system's temporary folder, removed with everything in it when the object goes.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (stdfs::temp_directory_path() / "kv8mtn-dry-run-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder could be made in " + pattern);
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    stdfs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const stdfs::path& Path() const { return path_; }

 private:
  stdfs::path path_;
};

// What a run reads from the data path besides the company: the registry and the release's archives (the update
// archives, the wallpaper, the procedure library). From the program's folder too, where the template update
// looks for its archive.
bool NeededBesidesTheCompany(const std::string& fileName) {
  const std::string name = kv::UpperCase(fileName);
  return name.rfind("MCOMPANY.", 0) == 0 || name.ends_with(".ZIP") || name.ends_with(".AEP");
}

void CopyInstallationFiles(const stdfs::path& from, const stdfs::path& to) {
  if (!stdfs::is_directory(from)) return;
  for (const auto& entry : stdfs::directory_iterator(from))
    if (entry.is_regular_file() && NeededBesidesTheCompany(entry.path().filename().string()))
      stdfs::copy_file(entry.path(), to / entry.path().filename(), stdfs::copy_options::overwrite_existing);
}

std::string WholeFile(const stdfs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The window's options as the copy's: every check box and radio button but the two that walk the registry.
void CopyOptions(const TForm1& from, TForm1& to) {
  for (const auto& option : from.Options().All()) {
    if (option->Name() == "CheckBox2" || option->Name() == "CheckBoxDir") continue;
    TCheckOption& mate = to.Option(option->Name());
    mate.visible.Set(option->visible.Get());
    if (option->Checked() != mate.Checked()) mate.SetChecked(option->Checked());
  }
}

}  // namespace

DryRunResult DryRunCompany(TForm1& form, const std::string& code, kv::ui::UserInterface& ui) {
  DryRunResult result;
  const std::string backupFolder = form.DataPath() + "BACKUP";
  kv::fs::CreateFolders(backupFolder);
  form.Backup(code);
  result.archive = form.XceedZip1.ZipFilename();

  ScratchFolder scratch;
  std::ofstream(scratch.Path() / "KAVEN.ini") << "[PATH]\r\nDIR=\r\nDICTIONARY=" << form.DictionarySetting()
                                              << "\r\n[SETTING]\r\nSERVERTYPE=\r\n";
  CopyInstallationFiles(kv::fs::Resolve(form.ProgramFolder()), scratch.Path());
  CopyInstallationFiles(kv::fs::Resolve(form.DataPath()), scratch.Path());
  stdfs::create_directories(scratch.Path() / "COMPANY");
  const std::string copyFolder = (scratch.Path() / "COMPANY" / code).string();
  RestoreCompany(copyFolder, backupFolder, code, result.archive, form.XceedZip1);

  {
    TForm1 copy(ui, (scratch.Path() / kv::fs::FileNamePart(form.ProgramFile())).string());
    copy.Clock = form.Clock;
    copy.FormCreate();
    CopyOptions(form, copy);
    if (!copy.SelectCompany(code, true))
      throw std::runtime_error("the company \"" + code + "\" is not in the copy of the registry");
    try {
      copy.BitBtn1Click();
    } catch (const std::exception& error) {
      result.failure = error.what();
    }
    const auto records = RunRecords(copy.DataPath() + "BACKUP", code);
    if (!records.empty()) result.record = WholeFile(records.back());
    result.drift = CompanyDrift(copy, code);
  }
  return result;
}

}  // namespace kv::console
