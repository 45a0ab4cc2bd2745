#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "command_table.h"
#include "document/conversion_settings.h"
#include "outline_heading.h"
#include "read/source_decoding.h"

class QAction;
class QCheckBox;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QTimer;
class QToolBar;
class QWebEngineView;
class QScreen;

namespace zelvato::ui {

class DialogProvider;
class PageSync;
struct PageSource;
class HtmlPage;
class LayoutPage;
class OutputPage;
class PreviewPage;
class SettingsModel;
class SourcePage;
class SourceTextEdit;
class TypesetPage;
class ReadingPage;

// The pages of SSTabMain, in their order: the five of the design, the
// typesetting page and the page of the reading type and the cover.
enum class Tab { source, layout, preview, output, html, typeset, reading };

// Where the help window opens: its own size, centred on the main window's
// frame, made smaller and moved as far as it takes to lie wholly inside the
// screen's available area (with room for a window manager's frame).
QRect helpWindowGeometry(const QRect& mainFrame, const QScreen* screen);

// The program's working window: the source text, every conversion setting,
// the generated HTML, the preview and the commands.
//
// The settings live in one model that the pages' controls edit and show, and
// readSettings() is its record. Every control carries its name as its Qt
// object name; members of a control array are named with the index in
// brackets, "txtAppearance(0)", "lblHcov(20)". The rest of the program works
// with the window through the operations below, and asks the user through the
// window's dialogs().
class frmMain : public QMainWindow {
  Q_OBJECT

 public:
  // `dialogs` asks every question of the window and its commands; it is not
  // owned and outlives the window. Without one, the real dialogs ask.
  explicit frmMain(DialogProvider* dialogs = nullptr, QWidget* parent = nullptr);
  ~frmMain() override;

  // ---- operations ------------------------------------------------------------
  void showTab(Tab tab);

  // The conversion's lock: while busy, the HTML pane is hidden, the window
  // cannot be closed, the tab control, the copy button, the source pane and
  // every command but Stop are disabled, and the count above the source says
  // "変換処理中...". Released, everything is usable again and the count is shown.
  void setBusy(bool busy);
  // True between setBusy(true) and setBusy(false).
  bool isBusy() const { return busy_; }
  // While a file loads: the commands and the tab control are disabled.
  void setLoading(bool loading);

  // Selects the output mode, and runs its rule also when it was selected already.
  void chooseOutputMode(std::string_view key);
  // Asks for the file or folder of the mode's output, as its chooser button does.
  void chooseOutputPath(std::string_view key);

  // Closing while a run is in progress asks whether to stop it and close;
  // otherwise a window whose closing is not allowed stays, without a word.
  bool closeAllowed() const { return closeAllowed_; }
  void setCloseAllowed(bool allowed) { closeAllowed_ = allowed; }
  // Asked before the window closes (when closing is allowed at all): false keeps it open.
  void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }
  // The simple text of the status bar.
  void setStatusText(const QString& text);
  QString statusText() const;

  // The source text with CR LF line breaks, as the conversion reads it, and its
  // length counted the same way.
  QString sourceText() const;
  qsizetype sourceLength() const;
  void clearSource();
  // 見出し: the source text's headings, beside the text; choosing one moves the caret there.
  void setOutline(const Outline& outline);
  // The count above the source pane for a text (line breaks as LF): "( 400 字 / 1 行)".
  static QString characterCountText(QStringView text);
  // The HTML pane: emptied before a run; shows the run's blocks (CR LF line
  // ends) once it has ended. A long result is made ready beside the window's
  // thread and shown a moment later.
  void clearHtml();
  void showHtml(const QString& markup);

  // The file the text was loaded from or saved to (empty for a new text) and
  // its encoding and form, which a save keeps; the title bar names the file
  // and marks unsaved edits.
  QString sourceFilePath() const { return sourceFile_; }
  SourceEncoding sourceEncoding() const { return sourceFormat_.encoding; }
  const SourceFormat& sourceFormat() const { return sourceFormat_; }
  void setSourceFile(const QString& path, const SourceFormat& format);
  bool sourceModified() const;
  void setSourceModified(bool modified);

  // ---- settings and dialogs ---------------------------------------------------
  SettingsModel& settings() const { return *settings_; }
  // The settings a conversion reads: the model's record as it is now.
  ConversionSettings readSettings() const;
  DialogProvider& dialogs() const { return dialogs_; }

  // ---- commands ----------------------------------------------------------------
  // Makes the actions of the table, in the menus and on Toolbar1.
  void addCommands(std::span<const CommandEntry> table);
  // A command's action by its object name; nullptr when there is none.
  QAction* command(std::string_view name) const;
  // 最近使ったﾌｧｲﾙ: the files newest first; choosing one raises recentFileChosen.
  void setRecentFiles(const QStringList& paths);
  QMenu* recentFilesMenu() const;
  // The presets: the start values, 400字詰め原稿用紙 and the user's own.
  QMenu* presetsMenu() const;
  // The help page, in a window of its own beside the main window.
  void showHelpPage(const QString& path);
  QWidget* helpWindow() const { return helpWindow_; }
  // Find in the source text: shows the find bar; the next or previous match of
  // its text, from the caret, wrapping around; false when there is none.
  void showFindBar();
  bool findInSource(bool backward);

  // ---- preview pane ------------------------------------------------------------
  // "about:" opens the blank page; an absolute path opens that file; returns at once.
  void navigate(const QString& location);
  void refresh();
  // What the page the next navigation shows came from: the source beside it
  // follows the page and the page the source's cursor.
  void setPageSource(std::shared_ptr<const PageSource> page);
  PageSync& pageSync() const { return *pageSync_; }

  // ---- controls the commands work on -------------------------------------------
  QToolBar* Toolbar1() const { return toolbar1_; }
  QTabWidget* SSTabMain() const { return ssTabMain_; }
  SourceTextEdit* txtMain() const;
  QPlainTextEdit* txtHTML() const;
  QWebEngineView* brwIE() const;
  QCheckBox* chkAutoPreview() const;
  QAction* mnuVersion() const { return mnuVersion_; }

 Q_SIGNALS:
  // cmdAllSelect(index) was pressed.
  void cmdAllSelectClicked(int index);
  void recentFileChosen(const QString& path);
  // 自動ﾌﾟﾚﾋﾞｭｰ: raised half a second after the source text last changed while it is on.
  void autoPreviewDue();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenus();
  void setKeyboardOrder();
  void updateTitle();
  void giveFocusToTabStrip();
  void mnuVersion_Click();
  // Enables each command as its availability and the busy state allow.
  void enableCommands();

  DialogProvider& dialogs_;
  SettingsModel* settings_;
  bool closeAllowed_ = false;
  bool busy_ = false;
  bool closeAfterRun_ = false;
  QString sourceFile_;
  SourceFormat sourceFormat_;
  std::function<bool()> closeGuard_;

  QToolBar* toolbar1_ = nullptr;
  QTabWidget* ssTabMain_ = nullptr;
  SourcePage* source_ = nullptr;
  LayoutPage* layout_ = nullptr;
  PreviewPage* preview_ = nullptr;
  OutputPage* output_ = nullptr;
  HtmlPage* html_ = nullptr;
  TypesetPage* typeset_ = nullptr;
  ReadingPage* reading_ = nullptr;
  std::vector<QMenu*> menus_;
  struct Command {
    QAction* action;
    Availability available;
  };
  std::vector<Command> commands_;
  QList<QWidget*> pageEnds_;
  QAction* mnuVersion_ = nullptr;
  QWidget* helpWindow_ = nullptr;
  QTimer* autoPreviewTimer_ = nullptr;
  PageSync* pageSync_ = nullptr;
};

}  // namespace zelvato::ui
