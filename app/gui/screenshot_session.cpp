#include "app/gui/screenshot_session.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTabWidget>
#include <ostream>

#include "app/gui/box_answerer.h"
#include "app/gui/main_window.h"
#include "app/gui/registry_grid.h"

namespace kv::gui {

namespace {

// The window as a person sees it on a desktop: its contents under a title bar with the caption. The title bar
// is drawn here, since a screen without a window manager (offscreen, a bare Xvfb) draws none.
QImage Photograph(QWidget& window) {
  const QPixmap contents = window.grab();
  QStyleOptionTitleBar bar;
  bar.initFrom(&window);
  const int barHeight = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, &window) + 6;
  bar.rect = QRect(0, 0, contents.width(), barHeight);
  bar.text = window.windowTitle();
  bar.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                      Qt::WindowCloseButtonHint;
  bar.titleBarState = Qt::WindowActive;
  bar.state |= QStyle::State_Active;
  bar.subControls = QStyle::SC_All;
  bar.icon = window.windowIcon();

  QImage image(contents.width(), barHeight + contents.height(), QImage::Format_ARGB32);
  image.fill(window.palette().color(QPalette::Window));
  QPainter painter(&image);
  window.style()->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, &window);
  painter.drawPixmap(0, barHeight, contents);
  painter.setPen(window.palette().color(QPalette::Dark));
  painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
  return image;
}

bool Save(QWidget& window, const std::filesystem::path& file, std::ostream& log) {
  const bool saved = Photograph(window).save(QString::fromStdString(file.string()), "PNG");
  log << (saved ? "wrote " : "could not write ") << file.string() << std::endl;
  return saved;
}

}  // namespace

ShotOutcome TakeScreenshots(const std::string& programFile, const std::filesystem::path& outDir, std::ostream& log) {
  ShotOutcome outcome;
  BoxAnswerer answerer({}, /*otherwise=*/true);
  answerer.OnBox = [&](const SeenBox& box) {
    ++outcome.boxes;
    log << "box \"" << box.title.toStdString() << "\": " << box.text.toStdString() << std::endl;
  };

  MainWindow window(programFile);
  window.Start();
  window.show();
  QCoreApplication::processEvents();

  RegistryModel& registry = window.Registry();
  for (int row = 0; row < registry.rowCount(); ++row)
    registry.setData(registry.index(row, RegistryModel::kMerge), Qt::Checked, Qt::CheckStateRole);
  QCoreApplication::processEvents();
  outcome.before = Save(window, outDir / "window-before.png", log);

  // F5 as a person presses it, then the two pages it shows; back on Main for the run.
  QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &f5);
  auto* pages = window.findChild<QTabWidget*>("PageControl1");
  for (const char* page : {"Optional", "Misc"}) {
    pages->setCurrentWidget(pages->findChild<QWidget*>(page));
    QCoreApplication::processEvents();
    outcome.before = Save(window, outDir / ("window-" + QString(page).toLower().toStdString() + ".png"), log) &&
                     outcome.before;
  }
  pages->setCurrentIndex(0);
  QCoreApplication::processEvents();

  // During the run: the first change of Edit1 once all three progress lines hold text. The window's own
  // listeners have updated the widgets by then, so the picture shows the lines as they stand.
  auto& form = window.Form();
  const std::size_t listener = form.Edit1.Subscribe([&](const std::string&) {
    if (outcome.running || form.Edit2.Text().empty() || form.edtdatabase.Text().empty()) return;
    outcome.running = Save(window, outDir / "window-running.png", log);
  });
  if (auto* process = window.findChild<QPushButton*>("BitBtn1")) process->click();
  form.Edit1.Unsubscribe(listener);
  outcome.completed = form.Closed();
  log << (outcome.completed ? "run: completed, window closed" : "run: did not complete") << std::endl;
  return outcome;
}

}  // namespace kv::gui
