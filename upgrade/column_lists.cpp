// Reading the column lists: the rows' request texts, the gates and guards of blocks and steps, and the walk
// over a range of blocks that hands each request to UpgradeColumn or DropColumn.

#include "upgrade/column_lists.h"

#include <exception>
#include <optional>
#include <stdexcept>

#include "engine/errors.h"
#include "platform/fs.h"
#include "support/strings.h"
#include "upgrade/column_upgrade.h"
#include "upgrade/list_steps.h"
#include "upgrade/report_fields.h"

namespace kv::upgrade {

namespace {

constexpr std::string_view kTypeCodes[] = {"C", "$", "D", "I", "L", "T", "B", "Z", "+", "AS", "IC", "AI"};

bool KnownCode(std::string_view code) {
  for (std::string_view known : kTypeCodes)
    if (code == known) return true;
  return false;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && text[at] == ' ') ++at;
    const std::size_t start = at;
    while (at < text.size() && text[at] != ' ') ++at;
    if (at > start) words.push_back(text.substr(start, at - start));
  }
  return words;
}

// "COLUMN61" -> ("COLUMN", 61); nullopt when the name does not end in digits.
std::optional<std::pair<std::string_view, int>> SplitNumbered(std::string_view name) {
  std::size_t digits = name.size();
  while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
  if (digits == name.size() || digits == 0) return std::nullopt;
  return std::pair{name.substr(0, digits), std::stoi(std::string(name.substr(digits)))};
}

[[noreturn]] void Malformed(const ChangeRow& row, std::string_view item) {
  throw std::invalid_argument("column list row for " + std::string(row.table) + ": cannot read \"" +
                              std::string(item) + "\"");
}

void ReadItem(const ChangeRow& row, std::string_view item, std::vector<ColumnRequest>& out) {
  const std::vector<std::string_view> words = Words(item);
  const auto request = [&](std::string column, std::string_view code, std::string_view size) {
    out.push_back({std::string(row.table), std::move(column), std::string(code), std::string(size), row.encrypted});
  };
  if (words.size() == 2 && words[0] == "drop") {
    request(std::string(words[1]), "", "");
    return;
  }
  if (words.size() == 3 && KnownCode(words[1])) {
    request(std::string(words[0]), words[1], words[2]);
    return;
  }
  if (words.size() == 5 && words[1] == "to" && KnownCode(words[3])) {
    const auto from = SplitNumbered(words[0]);
    const auto to = SplitNumbered(words[2]);
    if (!from || !to || from->first != to->first || from->second > to->second) Malformed(row, item);
    for (int n = from->second; n <= to->second; ++n)
      request(std::string(from->first) + std::to_string(n), words[3], words[4]);
    return;
  }
  Malformed(row, item);
}

class ListRun {
 public:
  explicit ListRun(ListContext& context) : context_(context), state_{} {}

  void Block(const ColumnBlock& block) {
    for (Gate gate : block.gates)
      if (!Holds(gate)) return;
    Guarded(block.guard, block.words, [&] {
      for (const ListEntry& entry : block.entries) {
        if (const auto* row = std::get_if<ChangeRow>(&entry)) {
          Row(*row);
        } else if (const auto* fields = std::get_if<ReportFieldRows>(&entry)) {
          for (const ReportField& field : ListRegistrations(fields->numbers))
            RegisterReportField(context_.wwTableRtable, field);
        } else {
          const auto& step = std::get<StepEntry>(entry);
          if (!Holds(step.gate)) continue;
          Guarded(step.guard, step.words, [&] { RunStep(step.step, context_, state_); });
        }
      }
    });
  }

 private:
  void Row(const ChangeRow& row) {
    for (ColumnRequest& request : RequestsOf(row)) {
      // The approval-flow row goes to the table Edit4 names at the time the row is reached.
      if (request.table.empty()) request.table = context_.flowTable();
      if (request.Drop())
        DropColumn(context_.window, request.table, request.column, request.encrypted);
      else
        UpgradeColumn(context_.window, request.table, request.column, request.code, request.size,
                      request.encrypted);
    }
  }

  bool Holds(Gate gate) {
    switch (gate) {
      case Gate::Always: return true;
      case Gate::LevyTicked: return context_.ticked("chkCPFFWL");
      case Gate::EmailAcTicked: return context_.ticked("chkAC");
      case Gate::VoluntaryCpfTicked: return context_.ticked("CheckBoxVol");
      case Gate::DataVersionAtMost89000: return DataVersion() <= 89000;
      case Gate::DataVersionBelow86000: return DataVersion() < 86000;
      case Gate::NewFieldsTicked: return context_.ticked("CheckBox1");
      case Gate::EPayslipResetTicked: return context_.ticked("CheckBox5");
      case Gate::ApprovalFlowTicked: return context_.ticked("CheckBox6") && !context_.flowTable().empty();
      case Gate::RearrangeTicked: return context_.ticked("CheckBoxRearrange");
      case Gate::CostCentreTicked: return context_.ticked("CheckBoxCTR");
      case Gate::TerminationStatusTicked: return context_.ticked("CheckBoxTerm");
      case Gate::LeaveResetTicked: return context_.ticked("CheckBoxForfeit");
      case Gate::CasualdPresent:
        return kv::fs::FileExists(context_.window.AdsConnection1.TableFolder() + "\\CASUALD.ADT");
    }
    return false;
  }

  // Read once per run of blocks: the run writes the new version only after every list.
  std::int64_t DataVersion() {
    if (!dataVersion_) dataVersion_ = context_.readDataVersion();
    return *dataVersion_;
  }

  // The failure's text is copied and its handler left before anything is shown, so that no engine error is
  // alive while the message box (and the rest of the run) uses the engine.
  template <typename Work>
  void Guarded(Guard guard, std::string_view words, Work&& work) {
    if (guard == Guard::PassedOn) {
      work();
      return;
    }
    std::optional<std::string> failure;
    try {
      work();
    } catch (const kv::ui::UnexpectedPrompt&) {
      throw;
    } catch (const engine::EAbort&) {
    } catch (const std::exception& e) {
      failure = e.what();
    }
    if (!failure) return;
    switch (guard) {
      case Guard::ShownAfterWords: context_.window.ui.ShowMessage(std::string(words) + *failure); break;
      case Guard::ShownWithStatement:
        context_.window.ui.ShowMessage(*failure + " SQL " + context_.window.AdsQuery1.SQL().Text());
        break;
      case Guard::Ignored:
      case Guard::PassedOn: break;
    }
  }

  ListContext& context_;
  ListRunState state_;
  std::optional<std::int64_t> dataVersion_;
};

std::size_t IndexOf(const ColumnList& list, std::string_view name) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i].name == name) return i;
  throw std::invalid_argument("no column list block named " + std::string(name));
}

}  // namespace

std::vector<ColumnRequest> RequestsOf(const ChangeRow& row) {
  std::vector<ColumnRequest> requests;
  std::string_view rest = row.changes;
  while (!rest.empty()) {
    const std::size_t semicolon = rest.find(';');
    std::string_view item = rest.substr(0, semicolon);
    rest = semicolon == std::string_view::npos ? std::string_view{} : rest.substr(semicolon + 1);
    if (Words(item).empty()) Malformed(row, item);
    ReadItem(row, item, requests);
  }
  return requests;
}

void RunBlocks(const ColumnList& list, std::string_view first, std::string_view last, ListContext& context) {
  const std::size_t from = IndexOf(list, first);
  const std::size_t to = IndexOf(list, last);
  if (to < from) throw std::invalid_argument("column list blocks out of order: " + std::string(first) + " to " +
                                             std::string(last));
  ListRun run(context);
  for (std::size_t i = from; i <= to; ++i) run.Block(list[i]);
}

void RunList(const ColumnList& list, ListContext& context) {
  if (list.empty()) return;
  RunBlocks(list, list.front().name, list.back().name, context);
}

}  // namespace kv::upgrade
