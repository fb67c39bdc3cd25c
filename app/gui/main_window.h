#pragma once
// kv8mtn's one window: a view over the console's TForm1. It owns the form and the ui port the form talks
// through; every widget is bound to one of the form's state objects, and every event goes to the form's handler
// of that name (FormCreate, FormShow, FormKeyDown, CheckBox2Click through the options, BitBtn1Click).
//
// An error a handler lets out is shown as the application's default error display does (its text in a box)
// after the handler is left, so that the display's own event loop never runs inside the failed handler. After
// such an error in the run the window stays open with Process and the grid disabled, as the run leaves them.

#include <QWidget>
#include <functional>
#include <string>

#include "app/gui/bindings.h"
#include "app/gui/qt_ui.h"
#include "console/form.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace kv::gui {

class RegistryGrid;
class RegistryModel;

class MainWindow final : public QWidget {
 public:
  // programFile: the path the form takes the program's folder (and the caption's date) from.
  explicit MainWindow(const std::string& programFile, QWidget* parent = nullptr);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // FormCreate, then the grid filled from the registry. Call once, before the window is shown.
  void Start();

  kv::console::TForm1& Form() { return form_; }
  QtUi& Ui() { return ui_; }
  RegistryModel& Registry() { return *registryModel_; }
  // True while Process runs (from the confirmation to the run's end or its error).
  bool Running() const { return running_; }

  // Runs a handler of the form as an event of the window; false when it raised and its error was shown.
  bool RunHandler(const std::function<void()>& handler);

 protected:
  void showEvent(QShowEvent* event) override;
  // A close asked for during a run waits for the run to return, so that no company is left half done by the
  // window going away; the run then closes the window itself or stops on an error, and the close follows.
  void closeEvent(QCloseEvent* event) override;
  // The window previews the keys of all its controls (F5, F8, F10) and passes them on.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWidgets();
  QWidget* BuildMainPage();
  QWidget* BuildProgressLines();
  QWidget* BuildBottomPanel();
  void Process();
  // Centres the window, with its frame, on its screen.
  void Centre();
  void AfterOptionClick(const std::string& name);

  QtUi ui_;
  kv::console::TForm1 form_;
  Bindings bindings_;  // after form_: the subscriptions end before the form does

  QTabWidget* pages_ = nullptr;
  RegistryModel* registryModel_ = nullptr;
  RegistryGrid* grid_ = nullptr;
  QPushButton* process_ = nullptr;
  QPushButton* close_ = nullptr;

  bool shown_ = false;
  bool running_ = false;
  bool closeAsked_ = false;
};

}  // namespace kv::gui
