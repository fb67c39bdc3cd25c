#include "app/gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <exception>
#include <optional>

#include "app/gui/option_pages.h"
#include "app/gui/registry_grid.h"

namespace kv::gui {

namespace {

constexpr int kWidth = 517;
constexpr int kHeight = 625;

std::optional<kv::console::TKey> KeyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_F5: return kv::console::TKey::F5;
    case Qt::Key_F8: return kv::console::TKey::F8;
    case Qt::Key_F10: return kv::console::TKey::F10;
    default: return std::nullopt;
  }
}

QLineEdit* ProgressLine(const char* name, QWidget* parent) {
  auto* line = new QLineEdit(parent);
  line->setObjectName(name);
  return line;
}

}  // namespace

MainWindow::MainWindow(const std::string& programFile, QWidget* parent)
    : QWidget(parent), form_(ui_, programFile) {
  setObjectName("Form1");
  // 8 points, the size the window is laid out for: two columns of option captions fit in its 517 pixels.
  QFont small = font();
  small.setPointSize(8);
  setFont(small);
  ui_.SetWindow(this);
  form_.OnClose = [this] { close(); };
  BuildWidgets();
  resize(kWidth, kHeight);
  Centre();
  qApp->installEventFilter(this);
}

MainWindow::~MainWindow() { qApp->removeEventFilter(this); }

void MainWindow::Start() {
  RunHandler([this] { form_.FormCreate(); });
  registryModel_->Reload();
}

bool MainWindow::RunHandler(const std::function<void()>& handler) {
  std::optional<std::string> failure;
  try {
    handler();
  } catch (const std::exception& error) {
    failure = error.what();
  } catch (...) {
    failure = "An error of an unknown kind stopped the handler.";
  }
  if (!failure) return true;
  ui_.ShowError(*failure);
  return false;
}

void MainWindow::BuildWidgets() {
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(4, 4, 4, 4);
  root->setSpacing(4);

  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl1");
  const auto afterClick = [this](const std::string& name) { AfterOptionClick(name); };
  pages_->addTab(BuildMainPage(), "Main");
  pages_->addTab(BuildOptionColumns(form_, "Optional", bindings_, afterClick, pages_), "Optional");
  pages_->addTab(BuildMiscPage(form_, bindings_, afterClick, pages_), "Misc");
  for (int i = 0; i < pages_->count(); ++i) {
    pages_->widget(i)->setObjectName(pages_->tabText(i));
    bindings_.TabVisible(*pages_, i, form_.Page(pages_->tabText(i).toStdString()).tabVisible);
  }
  root->addWidget(pages_, 1);
  root->addWidget(BuildProgressLines());
  root->addWidget(BuildBottomPanel());

  bindings_.Follow<std::string>(form_.Caption, [this](const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
  });
}

QWidget* MainWindow::BuildMainPage() {
  auto* page = new QWidget(pages_);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 3, 3);
  const auto afterClick = [this](const std::string& name) { AfterOptionClick(name); };
  layout->addWidget(BuildOptionColumns(form_, "Main", bindings_, afterClick, page));
  registryModel_ = new RegistryModel(form_, [this](const std::function<void()>& h) { return RunHandler(h); }, this);
  grid_ = new RegistryGrid(registryModel_, page);
  // The company the grid stands on, looked at without a run: the grid's menu (right button), so the window
  // keeps its size.
  grid_->setContextMenuPolicy(Qt::ActionsContextMenu);
  const auto addAction = [this](kv::console::TControl& control, const char* name,
                                void (kv::console::TForm1::*click)()) {
    auto* action = new QAction(QString::fromStdString(control.caption), grid_);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, click] {
      RunHandler([this, click] {
        // The registry's current record is the company the handlers look at: the grid's current row.
        auto& registry = form_.AdsTableCompany;
        const QModelIndex at = grid_->currentIndex();
        if (at.isValid() && registry.Active()) {
          const std::string code = registryModel_->CodeAt(at.row());
          for (registry.First(); !registry.Eof() && form_.CompanyCode() != code;) registry.Next();
        }
        (form_.*click)();
      });
    });
    bindings_.Follow<bool>(control.enabled, [action](bool enabled) { action->setEnabled(enabled); });
    grid_->addAction(action);
  };
  addAction(form_.ButtonCheck, "ButtonCheck", &kv::console::TForm1::ButtonCheckClick);
  addAction(form_.ButtonLastRun, "ButtonLastRun", &kv::console::TForm1::ButtonLastRunClick);
  bindings_.Enabled(*grid_, form_.wwDBGrid1.enabled);
  layout->addWidget(grid_, 1);
  return page;
}

QWidget* MainWindow::BuildProgressLines() {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  QLineEdit* edit1 = ProgressLine("Edit1", box);
  QFont bold = edit1->font();
  bold.setBold(true);
  edit1->setFont(bold);
  QPalette silver = edit1->palette();
  silver.setColor(QPalette::Base, QColor(192, 192, 192));
  edit1->setPalette(silver);
  QLineEdit* edit2 = ProgressLine("Edit2", box);
  QLineEdit* database = ProgressLine("edtdatabase", box);
  // What the run writes here is progress for the person to read; nothing reads these lines back.
  bindings_.Text(*edit1, form_.Edit1, /*editable=*/false);
  bindings_.Text(*edit2, form_.Edit2, /*editable=*/false);
  bindings_.Text(*database, form_.edtdatabase, /*editable=*/false);
  layout->addWidget(edit1);
  layout->addWidget(edit2);
  layout->addWidget(database);
  return box;
}

QWidget* MainWindow::BuildBottomPanel() {
  auto* panel = new QWidget(this);
  panel->setObjectName("Panel1");
  auto* layout = new QHBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* serverInfo = new QLabel(panel);
  serverInfo->setObjectName("LabelServerInfo");
  bindings_.Follow<std::string>(form_.LabelServerInfo, [serverInfo](const std::string& text) {
    serverInfo->setText(QString::fromStdString(text));
  });
  process_ = new QPushButton(QString::fromStdString(form_.BitBtn1.caption), panel);
  process_->setObjectName("BitBtn1");
  bindings_.Enabled(*process_, form_.BitBtn1.enabled);
  connect(process_, &QPushButton::clicked, this, [this] { Process(); });
  close_ = new QPushButton("&Close", panel);
  close_->setObjectName("BitBtn2");
  connect(close_, &QPushButton::clicked, this, [this] { close(); });
  layout->addWidget(serverInfo, 1);
  layout->addWidget(process_);
  layout->addWidget(close_);
  return panel;
}

void MainWindow::AfterOptionClick(const std::string& name) {
  // CheckBox2Click walks the registry and writes every MERGE: the grid shows what it wrote.
  if (!running_ && (name == form_.CheckBox2.Name() || name == form_.CheckBoxDir.Name())) registryModel_->Reload();
}

void MainWindow::Process() {
  if (running_) return;
  running_ = true;
  RunHandler([this] { form_.BitBtn1Click(); });
  running_ = false;
  if (closeAsked_ && isVisible()) close();
}

void MainWindow::Centre() {
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect frame = frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_) return;
  shown_ = true;
  // The frame is known once the window is on screen: centred again with it.
  Centre();
  RunHandler([this] { form_.FormShow(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (running_ && !form_.Closed()) {
    closeAsked_ = true;
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    // The key goes on to the control after the form saw it; seeing it again as it climbs to the parents does no
    // harm, the three keys only show things.
    if (const auto key = KeyOf(static_cast<QKeyEvent*>(event)->key()))
      RunHandler([this, k = *key] { form_.FormKeyDown(k); });
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kv::gui
