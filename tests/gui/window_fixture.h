#pragma once
// What the window's tests stand on: a demo installation in a temp folder, the registry and a company's data
// version read from disk through the engine (not through the window), and clicks placed where a person clicks.

#include <QAbstractButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTest>
#include <QCheckBox>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/demo/installation.h"
#include "common/temp_folder.h"
#include "engine/engine.h"
#include "platform/fs.h"

namespace kv::gui::testing {

// Two companies of two employees: DEMO01 under its dictionary, DEMO02 in free tables.
struct Installation {
  kv::testing::TempFolder folder;
  Installation() {
    kv::demo::DemoOptions options;
    options.dir = (folder.Path() / "kv8").string();
    options.companies = 2;
    options.employees = 2;
    options.dictionaries = 1;
    options.olderColumnLayouts = false;  // the window's tests follow the window, not the column lists' work
    kv::demo::MakeDemoInstallation(options);
  }
  std::filesystem::path Dir() const { return folder.Path() / "kv8"; }
  // The program file the window is given: the tool as if installed in the installation's folder.
  std::string ProgramFile() const { return (Dir() / "kv8mtn").string(); }
  std::string DataPath() const { return Dir().string() + "\\"; }
};

// COMPANY_CODE -> MERGE of every registry row, as the file holds them.
inline std::map<std::string, std::string> MergeOnDisk(const std::string& dataPath) {
  engine::TAdsConnection connection;
  connection.SetConnectPath(dataPath);
  connection.Connect();
  engine::TAdsTable registry;
  registry.SetAdsConnection(&connection);
  registry.SetTableName("mcompany.ADT");
  registry.Open();
  std::map<std::string, std::string> merge;
  for (registry.First(); !registry.Eof(); registry.Next())
    merge[registry.FieldByName("COMPANY_CODE").AsString()] = registry.FieldByName("MERGE").AsString();
  registry.Close();
  return merge;
}

// PAYPARA's VERSION × 10000 of a company, through its dictionary when it has one.
inline std::int64_t DataVersionOnDisk(const std::string& dataPath, const std::string& code) {
  engine::TAdsConnection connection;
  const std::string folder = dataPath + "COMPANY\\" + code;
  const std::string dictionary = folder + "\\" + code + ".add";
  if (kv::fs::FileExists(dictionary)) {
    connection.SetConnectPath(dictionary);
    connection.Username = "ADSSYS";
    connection.Password = std::string(engine::kTablePassword);
  } else {
    connection.SetConnectPath(folder);
  }
  connection.Connect();
  engine::TAdsTable paypara;
  paypara.SetAdsConnection(&connection);
  paypara.SetTableName("PAYPARA");
  paypara.Open();
  if (!connection.IsDictionary() && paypara.IsTableEncrypted()) paypara.EnableEncryption(engine::kTablePassword);
  const std::int64_t version = paypara.FieldByName("VERSION").AsCurrency().Scaled();
  paypara.Close();
  return version;
}

// A click on a check box's or radio button's indicator, where a person aims.
inline void ClickIndicator(QAbstractButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  const bool radio = !qobject_cast<QCheckBox*>(button);
  const QRect indicator =
      button->style()->subElementRect(radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator,
                                      &option, button);
  QTest::mouseClick(button, Qt::LeftButton, {}, indicator.center());
}

inline void ClickCell(QTableView* view, int row, int column) {
  const QRect cell = view->visualRect(view->model()->index(row, column));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}

}  // namespace kv::gui::testing
