// The main window's menus and Toolbar1, made from the command table, the
// recent files, the help window and the version message.
#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <algorithm>
#include <map>

#include "dialog_provider.h"
#include "frm_main.h"
#include "frm_main_texts.h"
#include "option_controls.h"
#include "program_identity.h"

namespace zelvato::ui {

namespace {

// The toolbar shows the caption without its accelerator and without the dots of a dialog.
QString buttonText(QString caption) {
  static const QRegularExpression accelerator(QStringLiteral("\\(&.\\)|&|…|\\.\\.\\.$"));
  return caption.remove(accelerator);
}

}  // namespace

QRect helpWindowGeometry(const QRect& mainFrame, const QScreen* screen) {
  QRect place(QPoint(), QSize(720, 600));
  place.moveCenter(mainFrame.center());
  if (screen == nullptr) return place;
  // The window manager's frame around it is allowed for as much as a title bar needs.
  const QRect available = screen->availableGeometry().adjusted(8, 32, -8, -8);
  place.setSize(place.size().boundedTo(available.size()));
  place.moveLeft(std::clamp(place.left(), available.left(), available.right() - place.width() + 1));
  place.moveTop(std::clamp(place.top(), available.top(), available.bottom() - place.height() + 1));
  return place;
}

void frmMain::buildMenus() {
  const struct {
    const QString& caption;
    const char* name;
  } menus[] = {{texts::menuFile, "mnuFile"},
               {texts::menuEdit, "mnuEdit"},
               {texts::menuConvert, "mnuConvert"},
               {texts::menuSettings, "mnuSettings"},
               {texts::menuHelp, "mnuHelp"}};
  for (const auto& m : menus) {
    QMenu* menu = menuBar()->addMenu(m.caption);
    menu->setObjectName(QLatin1String(m.name));
    // A menu without commands stays out of the menu bar.
    menu->menuAction()->setVisible(false);
    menus_.push_back(menu);
  }
  mnuVersion_ = menuBar()->addAction(texts::menuVersion);
  mnuVersion_->setObjectName(QStringLiteral("mnuVersion"));
  connect(mnuVersion_, &QAction::triggered, this, &frmMain::mnuVersion_Click);
}

void frmMain::addCommands(std::span<const CommandEntry> table) {
  std::map<int, QAction*> buttons;
  for (const CommandEntry& entry : table) {
    QMenu* menu = menus_[static_cast<std::size_t>(entry.menu)];
    menu->menuAction()->setVisible(true);
    if (entry.separatorBefore) menu->addSeparator();
    if (entry.handler == nullptr) {
      QMenu* submenu = menu->addMenu(entry.caption);
      submenu->setObjectName(latin(entry.name));
      continue;
    }
    auto* action = new QAction(entry.caption, this);
    action->setObjectName(latin(entry.name));
    action->setShortcut(entry.shortcut);
    if (entry.applicationShortcut) action->setShortcutContext(Qt::ApplicationShortcut);
    if (!entry.icon.empty())
      action->setIcon(QIcon(QStringLiteral(":/zelvato/icons/%1.svg").arg(latin(entry.icon))));
    action->setIconText(buttonText(entry.caption));
    menu->addAction(action);
    // The key works wherever the keyboard is in the window.
    addAction(action);
    const Availability available = entry.available;
    void (*handler)(frmMain&) = entry.handler;
    connect(action, &QAction::triggered, this, [this, available, handler] {
      // A command that arrives while it is not available is refused, as its disabled action would be.
      if ((available == Availability::idle && busy_) || (available == Availability::busy && !busy_)) return;
      handler(*this);
    });
    commands_.push_back({action, available});
    if (entry.toolbar > 0) buttons[entry.toolbar] = action;
  }
  int place = 0;
  for (const auto& [at, action] : buttons) {
    if (place > 0 && at > place + 1) toolbar1_->addSeparator();
    toolbar1_->addAction(action);
    if (QWidget* button = toolbar1_->widgetForAction(action)) button->setMinimumSize(65, 35);
    place = at;
  }
  enableCommands();
}

void frmMain::enableCommands() {
  for (const Command& c : commands_)
    c.action->setEnabled(c.available == Availability::always || (c.available == Availability::busy) == busy_);
}

QAction* frmMain::command(std::string_view name) const {
  for (const Command& c : commands_)
    if (c.action->objectName() == latin(name)) return c.action;
  return nullptr;
}

QMenu* frmMain::recentFilesMenu() const {
  return menuBar()->findChild<QMenu*>(QStringLiteral("mnuRecent"));
}

QMenu* frmMain::presetsMenu() const {
  return menuBar()->findChild<QMenu*>(QStringLiteral("mnuPresets"));
}

void frmMain::setRecentFiles(const QStringList& paths) {
  QMenu* menu = recentFilesMenu();
  if (menu == nullptr) return;
  menu->clear();
  int number = 1;
  for (const QString& path : paths) {
    QAction* action =
        menu->addAction(QStringLiteral("&%1 %2").arg(number % 10).arg(QFileInfo(path).fileName()));
    action->setToolTip(path);
    action->setData(path);
    action->setObjectName(QStringLiteral("mnuRecentFile(%1)").arg(number));
    connect(action, &QAction::triggered, this, [this, path] { Q_EMIT recentFileChosen(path); });
    ++number;
  }
  menu->setEnabled(!paths.isEmpty());
}

void frmMain::showHelpPage(const QString& path) {
  if (helpWindow_ == nullptr) {
    // A window of its own, so the preview keeps the result.
    helpWindow_ = new QWidget(this, Qt::Window);
    helpWindow_->setObjectName(QStringLiteral("frmHelp"));
    helpWindow_->setWindowTitle(texts::helpWindowTitle);
    auto* view = new QWebEngineView(helpWindow_);
    view->setObjectName(QStringLiteral("brwHelp"));
    auto* layout = new QVBoxLayout(helpWindow_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
  }
  auto* view = helpWindow_->findChild<QWebEngineView*>(QStringLiteral("brwHelp"));
  view->load(QUrl::fromLocalFile(path));
  // Shown for the first time, or again after it was closed: beside the main
  // window, wholly on the main window's screen.
  if (!helpWindow_->isVisible()) helpWindow_->setGeometry(helpWindowGeometry(frameGeometry(), screen()));
  helpWindow_->show();
  helpWindow_->raise();
  helpWindow_->activateWindow();
}

void frmMain::mnuVersion_Click() {
  raise();
  activateWindow();
  dialogs_.inform(this, versionMessageText(), MessageIcon::none);
}

}  // namespace zelvato::ui
