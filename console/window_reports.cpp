// The two buttons that look at a company without running anything: its drift check and the record of its last
// run, shown in a titled box.

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "console/drift_check.h"
#include "console/form.h"
#include "console/run_record.h"

namespace kv::console {

namespace {

// A box shows this many lines of a long text; the rest is counted.
constexpr std::size_t kBoxLines = 40;

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size() && i < kBoxLines; ++i) text += "\r\n" + lines[i];
  if (lines.size() > kBoxLines) text += "\r\n... and " + std::to_string(lines.size() - kBoxLines) + " more";
  return text;
}

}  // namespace

void TForm1::ButtonCheckClick() {
  if (running_ || !AdsTableCompany.Active() || AdsTableCompany.Eof()) return;
  const std::string code = CompanyCode();
  const std::vector<std::string> lines = CompanyDrift(*this, code);
  if (lines.empty()) {
    ui_.MessageBox("Company " + code + " is as a complete run leaves it.", "Check");
    return;
  }
  ui_.MessageBox("Company " + code + " differs from a complete run in " + std::to_string(lines.size()) +
                     (lines.size() == 1 ? " place:" : " places:") + Lines(lines),
                 "Check");
}

void TForm1::ButtonLastRunClick() {
  if (running_ || !AdsTableCompany.Active() || AdsTableCompany.Eof()) return;
  const std::string code = CompanyCode();
  const auto records = RunRecords(dataPath_ + "BACKUP", code);
  if (records.empty()) {
    ui_.MessageBox("Company " + code + " has no record of a run.", "Last run");
    return;
  }
  std::ifstream in(records.back());
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ui_.MessageBox(records.back().filename().string() + Lines(lines), "Last run");
}

}  // namespace kv::console
