// The window on the offscreen platform: what a person sees of TForm1's state, and what their clicks and keys do
// to it, on a demo installation. Boxes are answered by BoxAnswerer as a person at the screen would.

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <vector>

#include "app/gui/box_answerer.h"
#include "app/gui/main_window.h"
#include "app/gui/program_file.h"
#include "app/gui/registry_grid.h"
#include "console/options.h"
#include "window_fixture.h"

namespace kv::gui::testing {

namespace {

template <typename W>
W* Child(QWidget& window, const char* name) {
  W* widget = window.findChild<W*>(QString::fromLatin1(name));
  if (!widget) qFatal("no widget named %s", name);
  return widget;
}

QTabWidget* Pages(QWidget& window) { return Child<QTabWidget>(window, "PageControl1"); }
RegistryGrid* Grid(QWidget& window) { return Child<RegistryGrid>(window, "wwDBGrid1"); }

int TabIndex(QWidget& window, const char* page) {
  QTabWidget* pages = Pages(window);
  for (int i = 0; i < pages->count(); ++i)
    if (pages->tabText(i) == QLatin1String(page)) return i;
  return -1;
}

// What the grid shows in a row: code, name, and the check box of MERGE.
QString GridRow(RegistryGrid* grid, int row) {
  const auto* model = grid->model();
  const bool ticked = model->index(row, RegistryModel::kMerge).data(Qt::CheckStateRole).toInt() == Qt::Checked;
  return model->index(row, RegistryModel::kCode).data().toString() + "|" +
         model->index(row, RegistryModel::kName).data().toString() + "|" + (ticked ? "[x]" : "[ ]");
}

// The window opened on an installation, with its boxes answered.
struct Session {
  explicit Session(const std::string& programFile, std::deque<bool> answers = {}) : answerer(std::move(answers)) {
    window = std::make_unique<MainWindow>(programFile);
    window->Start();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) qFatal("the window did not open");
  }
  BoxAnswerer answerer;
  std::unique_ptr<MainWindow> window;
};

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanupTestCase();
  void windowShowsCaptionSizeLinesAndButtons();
  void gridShowsTheRegistryWithFixedColumns();
  void everyOptionShowsItsCaptionDefaultAndState_data();
  void everyOptionShowsItsCaptionDefaultAndState();
  void optionsAreTheFormsStateBothWays();
  void f5ShowsTheHiddenTabsAndF8F10TheirBoxes();
  void checkBox5EnablesTheTwoRadioButtons();
  void tickingACompanyWritesOneToItsMerge();
  void selectAllShowsWhatItWroteInTheGrid();
  void processAnsweredYesCompletesAndClosesTheWindow();
  void processAnsweredNoDoesNothing();
  void anUncaughtRunErrorIsShownAndTheWindowStaysOpen();
  void aMissingRegistryIsOfferedAndTheWindowOpensEmpty();
  void programFolderFromTheCommandLine_data();
  void programFolderFromTheCommandLine();
  void uiPortBoxesAndCursors();

 private:
  // One window for all rows of the options table, which only look at it.
  std::unique_ptr<Installation> optionsInstallation_;
  std::unique_ptr<Session> optionsSession_;
};

void WindowTest::cleanupTestCase() {
  optionsSession_.reset();
  optionsInstallation_.reset();
}

void WindowTest::windowShowsCaptionSizeLinesAndButtons() {
  Installation installation;
  // The tool as installed in the installation's folder, its file dated 5 March 2024.
  {
    std::ofstream(installation.ProgramFile()) << "kv8mtn";
    using namespace std::chrono;
    std::filesystem::last_write_time(installation.ProgramFile(),
                                     file_clock::from_sys(sys_seconds{sys_days{2024y / March / 5}} + 12h));
  }
  BoxAnswerer answerer;
  MainWindow window(installation.ProgramFile());
  window.Start();
  QVERIFY(window.windowTitle().isEmpty());  // the caption is set when the window shows
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QCOMPARE(window.windowTitle(), QString("KV8 MTN VER 9.07 (05 Mar 2024)"));
  QCOMPARE(window.size(), QSize(517, 625));
  const QRect screen = window.screen()->availableGeometry();
  QVERIFY(qAbs(window.frameGeometry().center().x() - screen.center().x()) <= 1);
  QVERIFY(qAbs(window.frameGeometry().center().y() - screen.center().y()) <= 1);

  auto* edit1 = Child<QLineEdit>(window, "Edit1");
  QVERIFY(edit1->font().bold());
  QCOMPARE(edit1->palette().color(QPalette::Base), QColor(192, 192, 192));
  for (const char* line : {"Edit1", "Edit2", "edtdatabase"}) QVERIFY(Child<QLineEdit>(window, line)->isVisible());
  QVERIFY(Child<QLabel>(window, "LabelServerInfo")->text().contains(" Server  ADS Version "));
  QCOMPARE(Child<QPushButton>(window, "BitBtn1")->text(), QString("&Process"));
  QVERIFY(Child<QPushButton>(window, "BitBtn1")->isEnabled());
  QVERIFY(Child<QPushButton>(window, "BitBtn2")->isVisible());
  QVERIFY(answerer.Seen().empty());

  // The close button closes the window when no run is under way.
  QTest::mouseClick(Child<QPushButton>(window, "BitBtn2"), Qt::LeftButton);
  QVERIFY(!window.isVisible());
}


void WindowTest::gridShowsTheRegistryWithFixedColumns() {
  Installation installation;
  Session session(installation.ProgramFile());
  RegistryGrid* grid = Grid(*session.window);
  QCOMPARE(grid->model()->rowCount(), 2);
  QCOMPARE(GridRow(grid, 0).section('|', 0, 0), QString("DEMO01"));
  QCOMPARE(GridRow(grid, 1).section('|', 0, 0), QString("DEMO02"));
  QVERIFY(!GridRow(grid, 0).section('|', 1, 1).isEmpty());
  QVERIFY(GridRow(grid, 0).endsWith("[ ]"));
  QStringList titles;
  for (int c = 0; c < grid->model()->columnCount(); ++c)
    titles << grid->model()->headerData(c, Qt::Horizontal).toString();
  QCOMPARE(titles, QStringList({"COMPANY_CODE", "COMPANY_NAME", "Selected"}));
  // Widths in characters 15, 40, 10: the name column the widest, the whole grid inside the window.
  QVERIFY(grid->columnWidth(1) > 2 * grid->columnWidth(0));
  QVERIFY(grid->columnWidth(0) > grid->columnWidth(2));
  QVERIFY(grid->horizontalHeader()->length() < grid->viewport()->width());

  // A click on a fixed cell edits nothing and puts the cursor on the row's check box.
  ClickCell(grid, 1, RegistryModel::kName);
  QCOMPARE(grid->currentIndex().row(), 1);
  QCOMPARE(grid->currentIndex().column(), int(RegistryModel::kMerge));
  QVERIFY(GridRow(grid, 1).endsWith("[ ]"));
  QVERIFY(!(grid->model()->flags(grid->model()->index(0, RegistryModel::kCode)) & Qt::ItemIsUserCheckable));
}

void WindowTest::everyOptionShowsItsCaptionDefaultAndState_data() {
  QTest::addColumn<QString>("name");
  for (const kv::console::OptionSpec& spec : kv::console::OptionTable()) QTest::newRow(spec.name) << QString(spec.name);
}

void WindowTest::everyOptionShowsItsCaptionDefaultAndState() {
  QFETCH(QString, name);
  if (!optionsSession_) {
    optionsInstallation_ = std::make_unique<Installation>();
    optionsSession_ = std::make_unique<Session>(optionsInstallation_->ProgramFile());
  }
  MainWindow& window = *optionsSession_->window;
  const kv::console::OptionSpec& spec = *std::find_if(
      kv::console::OptionTable().begin(), kv::console::OptionTable().end(),
      [&](const kv::console::OptionSpec& s) { return name == QLatin1String(s.name); });

  auto* button = window.findChild<QAbstractButton*>(name);
  QVERIFY2(button, "no widget for the option");
  QCOMPARE(bool(qobject_cast<QRadioButton*>(button)), spec.kind == kv::console::OptionKind::RadioButton);
  // Qt shows "&&" as one "&": CheckBox3's caption reads "Template & Extra" on screen.
  QCOMPARE(button->text().replace("&&", "&"), QString(spec.caption));
  QVERIFY(!button->text().remove("&&").contains('&'));
  QCOMPARE(button->isChecked(), spec.checked);
  QCOMPARE(button->isEnabled(), spec.enabled);
  QWidget* page = window.findChild<QWidget*>(QString(spec.page));
  QVERIFY(page);
  QVERIFY(page->isAncestorOf(button));
  QCOMPARE(button->isVisibleTo(page), spec.visible);
}

void WindowTest::optionsAreTheFormsStateBothWays() {
  Installation installation;
  Session session(installation.ProgramFile());
  MainWindow& window = *session.window;
  auto& form = window.Form();

  // A person's click is what the run reads.
  auto* vol = Child<QCheckBox>(window, "CheckBoxVol");
  ClickIndicator(vol);
  QVERIFY(vol->isChecked());
  QVERIFY(form.CheckBoxVol.Checked());
  ClickIndicator(vol);
  QVERIFY(!form.CheckBoxVol.Checked());

  // What the console changes, the window shows: checked, enabled, visible, and the progress lines.
  form.chkCPFFWL.SetChecked(false);
  QVERIFY(!Child<QCheckBox>(window, "chkCPFFWL")->isChecked());
  form.CheckBoxHTRX.enabled.Set(false);
  QVERIFY(!Child<QCheckBox>(window, "CheckBoxHTRX")->isEnabled());
  form.CheckBox8.visible.Set(true);
  QVERIFY(Child<QCheckBox>(window, "CheckBox8")->isVisible());
  form.Edit2.SetText("UPDATE TABLE : FW_LEVY.ADT");
  QCOMPARE(Child<QLineEdit>(window, "Edit2")->text(), QString("UPDATE TABLE : FW_LEVY.ADT"));

  // Edit4 on Misc is read by the run: what the person types is the form's text.
  QTest::keyClick(&window, Qt::Key_F5);
  Pages(window)->setCurrentIndex(TabIndex(window, "Misc"));
  auto* edit4 = Child<QLineEdit>(window, "Edit4");
  QCOMPARE(edit4->text(), QString("employee"));
  edit4->selectAll();
  QTest::keyClicks(edit4, "emp_flow");
  QCOMPARE(form.Edit4.Text(), std::string("emp_flow"));
}

void WindowTest::f5ShowsTheHiddenTabsAndF8F10TheirBoxes() {
  Installation installation;
  Session session(installation.ProgramFile());
  MainWindow& window = *session.window;
  QTabWidget* pages = Pages(window);
  QCOMPARE(pages->tabText(0), QString("Main"));
  QVERIFY(pages->isTabVisible(0));
  QVERIFY(!pages->isTabVisible(TabIndex(window, "Optional")));
  QVERIFY(!pages->isTabVisible(TabIndex(window, "Misc")));

  // The window sees the key whichever control has the focus.
  RegistryGrid* grid = Grid(window);
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_F5);
  QVERIFY(pages->isTabVisible(TabIndex(window, "Optional")));
  QVERIFY(pages->isTabVisible(TabIndex(window, "Misc")));

  pages->setCurrentIndex(TabIndex(window, "Optional"));
  for (const auto& [key, name] : {std::pair{Qt::Key_F8, "CheckBoxUpdate"}, std::pair{Qt::Key_F10, "CheckBoxjpg"}}) {
    window.Form().Option(name).visible.Set(false);
    auto* box = Child<QCheckBox>(window, name);
    QVERIFY(!box->isVisible());
    QTest::keyClick(Child<QCheckBox>(window, "CheckBoxAdv"), key);
    QVERIFY2(box->isVisible(), name);
  }
}

void WindowTest::checkBox5EnablesTheTwoRadioButtons() {
  Installation installation;
  Session session(installation.ProgramFile());
  MainWindow& window = *session.window;
  auto& form = window.Form();
  QTest::keyClick(&window, Qt::Key_F5);
  Pages(window)->setCurrentIndex(TabIndex(window, "Misc"));
  auto* box5 = Child<QCheckBox>(window, "CheckBox5");
  auto* all = Child<QRadioButton>(window, "RadioButton1");
  auto* blank = Child<QRadioButton>(window, "RadioButton2");
  QVERIFY(!all->isEnabled() && !blank->isEnabled());

  ClickIndicator(box5);
  QVERIFY(all->isEnabled() && blank->isEnabled());
  // One of the two is on, as the run reads it.
  ClickIndicator(all);
  QVERIFY(all->isChecked() && !blank->isChecked());
  QVERIFY(form.RadioButton1.Checked() && !form.RadioButton2.Checked());
  // Clicking the button that is on leaves it on.
  ClickIndicator(all);
  QVERIFY(all->isChecked() && form.RadioButton1.Checked());

  ClickIndicator(box5);
  QVERIFY(!all->isEnabled() && !blank->isEnabled());
  QVERIFY(!form.RadioButton1.enabled.Get());
}

void WindowTest::tickingACompanyWritesOneToItsMerge() {
  Installation installation;
  Session session(installation.ProgramFile());
  RegistryGrid* grid = Grid(*session.window);

  ClickCell(grid, 1, RegistryModel::kMerge);
  QVERIFY(GridRow(grid, 1).endsWith("[x]"));
  auto merge = MergeOnDisk(installation.DataPath());
  QCOMPARE(merge["DEMO02"], std::string("1"));
  QCOMPARE(merge["DEMO01"], std::string(""));

  ClickCell(grid, 1, RegistryModel::kMerge);
  QVERIFY(GridRow(grid, 1).endsWith("[ ]"));
  QCOMPARE(MergeOnDisk(installation.DataPath())["DEMO02"], std::string(""));

  // Enter moves to the next cell (the next row's check box, the fixed columns taking none); Space ticks it.
  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(0, RegistryModel::kMerge));
  QTest::keyClick(grid, Qt::Key_Return);
  QCOMPARE(grid->currentIndex(), grid->model()->index(1, RegistryModel::kMerge));
  QTest::keyClick(grid, Qt::Key_Return);  // the last cell keeps the cursor
  QCOMPARE(grid->currentIndex(), grid->model()->index(1, RegistryModel::kMerge));
  QTest::keyClick(grid, Qt::Key_Space);
  QCOMPARE(MergeOnDisk(installation.DataPath())["DEMO02"], std::string("1"));
  QVERIFY(session.answerer.Seen().empty());
}

void WindowTest::selectAllShowsWhatItWroteInTheGrid() {
  Installation installation;
  Session session(installation.ProgramFile());
  MainWindow& window = *session.window;
  RegistryGrid* grid = Grid(window);
  auto* all = Child<QCheckBox>(window, "CheckBox2");

  ClickIndicator(all);
  QVERIFY(GridRow(grid, 0).endsWith("[x]") && GridRow(grid, 1).endsWith("[x]"));
  QCOMPARE(MergeOnDisk(installation.DataPath()),
           (std::map<std::string, std::string>{{"DEMO01", "1"}, {"DEMO02", "1"}}));
  // Unticked, every MERGE becomes "0", which the grid shows unticked.
  ClickIndicator(all);
  QVERIFY(GridRow(grid, 0).endsWith("[ ]") && GridRow(grid, 1).endsWith("[ ]"));
  QCOMPARE(MergeOnDisk(installation.DataPath()),
           (std::map<std::string, std::string>{{"DEMO01", "0"}, {"DEMO02", "0"}}));
}

void WindowTest::processAnsweredYesCompletesAndClosesTheWindow() {
  Installation installation;
  Session session(installation.ProgramFile(), {true});
  MainWindow& window = *session.window;
  auto* process = Child<QPushButton>(window, "BitBtn1");
  RegistryGrid* grid = Grid(window);
  ClickCell(grid, 0, RegistryModel::kMerge);

  // What a person sees while the run works: sampled by a timer, which fires only because the run lets Qt's
  // events through. The first sample also asks the window to close, which must wait for the run.
  struct Sample {
    bool processEnabled, gridEnabled, visible;
    QString database;
  };
  std::vector<Sample> samples;
  QTimer sampler;
  sampler.setInterval(0);
  QObject::connect(&sampler, &QTimer::timeout, [&] {
    if (!window.Running() || window.Form().Closed()) return;
    samples.push_back({process->isEnabled(), grid->isEnabled(), window.isVisible(),
                       Child<QLineEdit>(window, "edtdatabase")->text()});
    if (samples.size() == 1) window.close();
  });
  sampler.start();
  QTest::mouseClick(process, Qt::LeftButton);
  sampler.stop();

  QVERIFY(window.Form().Closed());
  QVERIFY(!window.isVisible());
  const SeenBox& confirm = session.answerer.Seen().at(0);
  QCOMPARE(confirm.text, QString("Do you wish to proceed this function ?"));
  QCOMPARE(confirm.icon, QMessageBox::Question);
  QCOMPARE(confirm.buttons, QMessageBox::Yes | QMessageBox::No);
  for (const SeenBox& box : session.answerer.Seen()) QVERIFY2(box.icon != QMessageBox::Critical, qPrintable(box.text));

  // The run moved the lines and kept Process and the grid off; the close asked for waited.
  const auto sampledDuringRun = std::find_if(samples.begin(), samples.end(), [](const Sample& s) {
    return s.database.endsWith("DEMO01.add");
  });
  QVERIFY2(sampledDuringRun != samples.end(), "edtdatabase never showed the company while the run worked");
  for (const Sample& s : samples) {
    if (s.database.isEmpty()) continue;  // before the button went off
    QVERIFY(!s.processEnabled && !s.gridEnabled && s.visible);
  }

  QCOMPARE(DataVersionOnDisk(installation.DataPath(), "DEMO01"), std::int64_t{90700});
  QCOMPARE(DataVersionOnDisk(installation.DataPath(), "DEMO02"), std::int64_t{85000});
  QCOMPARE(MergeOnDisk(installation.DataPath()), (std::map<std::string, std::string>{{"DEMO01", ""}, {"DEMO02", ""}}));
  bool backup = false;
  for (const auto& entry : std::filesystem::directory_iterator(installation.Dir() / "BACKUP"))
    backup = backup || entry.path().filename().string().rfind("DEMO01 ", 0) == 0;
  QVERIFY(backup);
}

void WindowTest::processAnsweredNoDoesNothing() {
  Installation installation;
  Session session(installation.ProgramFile(), {false});
  MainWindow& window = *session.window;
  ClickCell(Grid(window), 0, RegistryModel::kMerge);
  QTest::mouseClick(Child<QPushButton>(window, "BitBtn1"), Qt::LeftButton);

  QCOMPARE(session.answerer.Seen().size(), std::size_t{1});
  QVERIFY(window.isVisible());
  QVERIFY(Child<QPushButton>(window, "BitBtn1")->isEnabled());
  QVERIFY(Grid(window)->isEnabled());
  QCOMPARE(MergeOnDisk(installation.DataPath())["DEMO01"], std::string("1"));
  QCOMPARE(DataVersionOnDisk(installation.DataPath(), "DEMO01"), std::int64_t{85000});
  QVERIFY(!std::filesystem::exists(installation.Dir() / "BACKUP"));
}

void WindowTest::anUncaughtRunErrorIsShownAndTheWindowStaysOpen() {
  Installation installation;
  // DEMO02's folder is gone: its connection fails, which no step catches.
  std::filesystem::remove_all(installation.Dir() / "COMPANY" / "DEMO02");
  Session session(installation.ProgramFile(), {true});
  MainWindow& window = *session.window;
  RegistryGrid* grid = Grid(window);
  ClickCell(grid, 0, RegistryModel::kMerge);
  ClickCell(grid, 1, RegistryModel::kMerge);
  QTest::mouseClick(Child<QPushButton>(window, "BitBtn1"), Qt::LeftButton);

  const SeenBox& error = session.answerer.Seen().back();
  QCOMPARE(error.icon, QMessageBox::Critical);
  QCOMPARE(error.title, QString("KV8 MTN VER 9.07"));
  QVERIFY2(error.text.contains("AdsConnection1 ") && error.text.contains("DEMO02"), qPrintable(error.text));
  QVERIFY(window.isVisible());
  QVERIFY(!window.Form().Closed());
  QVERIFY(!Child<QPushButton>(window, "BitBtn1")->isEnabled());
  QVERIFY(!grid->isEnabled());
  QCOMPARE(window.Ui().WindowCursor(), kv::ui::Cursor::SqlWait);
  QCOMPARE(window.cursor().shape(), Qt::BusyCursor);
  // The company before the failing one is done; the marks keep their values.
  QCOMPARE(DataVersionOnDisk(installation.DataPath(), "DEMO01"), std::int64_t{90700});
  QCOMPARE(MergeOnDisk(installation.DataPath()),
           (std::map<std::string, std::string>{{"DEMO01", "1"}, {"DEMO02", "1"}}));

  // A second press does nothing: Process is off for good.
  const std::size_t boxes = session.answerer.Seen().size();
  Child<QPushButton>(window, "BitBtn1")->click();
  QCOMPARE(session.answerer.Seen().size(), boxes);
  QTest::mouseClick(Child<QPushButton>(window, "BitBtn2"), Qt::LeftButton);
  QVERIFY(!window.isVisible());
}

void WindowTest::aMissingRegistryIsOfferedAndTheWindowOpensEmpty() {
  kv::testing::TempFolder empty;
  Session session((empty.Path() / "kv8mtn").string(), {false});
  const std::vector<SeenBox>& seen = session.answerer.Seen();
  QCOMPARE(seen.size(), std::size_t{3});
  QVERIFY(seen[0].text.endsWith(" This Function requires exclusive right to perform this function. Please ensure User "
                                "logout the application.!"));
  QCOMPARE(seen[0].icon, QMessageBox::NoIcon);
  QCOMPARE(seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  QCOMPARE(seen[1].text, QString("Create mcompany.adt on the kv8 folder?"));
  QCOMPARE(seen[1].icon, QMessageBox::Question);
  QCOMPARE(seen[1].buttons, QMessageBox::Yes | QMessageBox::No);
  QCOMPARE(seen[1].pressed, QMessageBox::No);
  // The second open fails too: the default error display, then the window with an empty grid.
  QCOMPARE(seen[2].icon, QMessageBox::Critical);
  QVERIFY(session.window->isVisible());
  QCOMPARE(Grid(*session.window)->model()->rowCount(), 0);
  QVERIFY(!std::filesystem::exists(empty.Path() / "mcompany.ADT"));
}

void WindowTest::programFolderFromTheCommandLine_data() {
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<QString>("programFile");  // empty: refused
  QTest::addColumn<QString>("error");
  const QString tmp = QString::fromStdString(std::filesystem::temp_directory_path().string());
  QTest::newRow("the executable's folder") << QStringList{} << "/opt/kv8/kv8mtn" << "";
  QTest::newRow("--program-dir") << QStringList{"--program-dir", tmp} << tmp + "/kv8mtn" << "";
  QTest::newRow("a folder that is not there") << QStringList{"--program-dir", "/no/such/kv8"} << ""
                                              << "--program-dir /no/such/kv8 is not a folder";
  QTest::newRow("no folder named") << QStringList{"--program-dir"} << "" << "--program-dir needs a folder";
  QTest::newRow("unknown argument") << QStringList{"--dir", "x"} << "" << "unknown argument \"--dir\"";
}

void WindowTest::programFolderFromTheCommandLine() {
  QFETCH(QStringList, args);
  QFETCH(QString, programFile);
  QFETCH(QString, error);
  std::vector<std::string> argv;
  for (const QString& a : args) argv.push_back(a.toStdString());
  std::string why;
  const auto parsed = ParseProgramArguments(argv, "/opt/kv8/kv8mtn", &why);
  QCOMPARE(parsed.has_value(), error.isEmpty());
  if (parsed) QCOMPARE(QString::fromStdString(parsed->programFile), programFile);
  QCOMPARE(QString::fromStdString(why), error);
}

void WindowTest::uiPortBoxesAndCursors() {
  QtUi ui;
  BoxAnswerer answerer({true, false});
  ui.ShowMessage("plain");
  ui.MessageBox("Table mcompany.ADT Could Not Be Created", "Table Creation Failure");
  QVERIFY(ui.Confirm("Do you wish to proceed this function ?", "Confirm"));
  QVERIFY(!ui.Confirm("Create mcompany.adt on the kv8 folder?", "Confirm"));
  const std::vector<SeenBox>& seen = answerer.Seen();
  QCOMPARE(seen.size(), std::size_t{4});
  QCOMPARE(seen[0].title, QString("KV8 MTN VER 9.07"));
  QCOMPARE(seen[0].icon, QMessageBox::NoIcon);
  QCOMPARE(seen[1].title, QString("Table Creation Failure"));
  QCOMPARE(seen[1].text, QString("Table mcompany.ADT Could Not Be Created"));
  QCOMPARE(seen[1].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  for (std::size_t i : {std::size_t{2}, std::size_t{3}}) {
    QCOMPARE(seen[i].icon, QMessageBox::Question);
    QCOMPARE(seen[i].buttons, QMessageBox::Yes | QMessageBox::No);
  }

  // The screen cursor is one override, changed in place and gone with Default, whatever came between.
  ui.SetScreenCursor(kv::ui::Cursor::Hourglass);
  QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  ui.SetScreenCursor(kv::ui::Cursor::SqlWait);
  QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
  ui.ShowMessage("answered with the arrow");
  QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
  ui.SetScreenCursor(kv::ui::Cursor::Default);
  QVERIFY(!QApplication::overrideCursor());
}

}  // namespace kv::gui::testing

QTEST_MAIN(kv::gui::testing::WindowTest)
#include "window_test.moc"
