#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <vector>

#include "read/source_decoding.h"
#include "document/conversion_settings.h"

class QAction;
class QCheckBox;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolBar;
class QWebEngineView;

namespace zelvato {
struct OptionEntry;
}

namespace zelvato::ui {

// The check boxes of the typesetting page: every option of the table's
// typesetting group that the window shows as one check box (an on/off
// option, or a choice of two whose control is named "chk..."), in the
// table's order. The page makes them, the settings read and remember them.
std::vector<const OptionEntry*> typesettingCheckBoxes();
// The state of such a box for a record: checked for on, or for the second word of a choice.
bool checkedFor(const OptionEntry& option, const ConversionSettings& settings);

class FontChooser;
class LayoutSample;
class SourceTextEdit;
class UpDown;

// The pages of SSTabMain, in their order: the five of the design and the typesetting page.
enum class Tab { source, layout, preview, output, html, typeset };

// The commands of the Toolbar1 buttons; the value is the button's index (4 is
// the separator between Save HTML and Convert).
enum class Command { newText = 1, load = 2, saveHtml = 3, convert = 5, stop = 6, help = 7 };

// The commands that live in the menus only.
enum class MenuCommand { save, saveAs, quit, find, findNext, findPrevious, restoreDefaults, savePreset };

// The program's working window: source text, every conversion setting, the
// generated HTML, the preview and the commands.
//
// Every control carries its name as its Qt object name; members of a control
// array are named with the index in brackets, "txtAppearance(0)",
// "lblHcov(20)", "cmdAllSelect(1)", and can be found with findChild. The rest
// of the program works with the window through the operations below; the
// controls are the only store of the settings, readSettings() their one
// binding to ConversionSettings, and the record's defaults their start values.
class frmMain : public QMainWindow {
  Q_OBJECT

 public:
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  // ---- operations ------------------------------------------------------------
  // The button of a command.
  QAction* commandButton(Command command) const;
  void showTab(Tab tab);

  // The conversion's lock: while busy, the HTML pane is hidden, the window
  // cannot be closed, the tab control, the copy button, the source pane and
  // every command but Stop are disabled, and the count above the source says
  // "変換処理中...". Released, everything is usable again and the count is shown.
  void setBusy(bool busy);
  // While a file loads: the commands and the tab control are disabled.
  void setLoading(bool loading);

  // Selects the output mode's option, and runs its rule also when it was selected already.
  void chooseOutputMode(std::string_view mode);

  bool closeAllowed() const { return closeAllowed_; }
  void setCloseAllowed(bool allowed) { closeAllowed_ = allowed; }
  // The simple text of the status bar.
  void setStatusText(const QString& text);
  QString statusText() const;
  // The source text with CR LF line breaks, as the conversion reads it, and its
  // length counted the same way.
  QString sourceText() const;
  qsizetype sourceLength() const;
  void clearSource();
  // The HTML pane: emptied before a run; every finished block is appended.
  void clearHtml();
  void appendHtml(const QString& markup);

  // ---- the source text's own file -------------------------------------------
  // The file the text was loaded from or saved to (empty for a new text) and
  // its encoding; the title bar names the file and marks unsaved edits.
  QString sourceFilePath() const { return sourceFile_; }
  SourceEncoding sourceEncoding() const { return sourceEncoding_; }
  void setSourceFile(const QString& path, SourceEncoding encoding);
  bool sourceModified() const;
  void setSourceModified(bool modified);
  // Asked before the window closes (when closing is allowed at all): false keeps it open.
  void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }
  // True between setBusy(true) and setBusy(false).
  bool isBusy() const { return busy_; }

  // ---- menus ------------------------------------------------------------------
  QAction* menuCommand(MenuCommand command) const;
  // 最近使ったﾌｧｲﾙ: the files newest first; choosing one raises recentFileChosen.
  void setRecentFiles(const QStringList& paths);
  QMenu* recentFilesMenu() const { return mnuRecent_; }
  // The presets: the start values, 400字詰め原稿用紙 and the user's own.
  QMenu* presetsMenu() const { return mnuPresets_; }
  // The help page, in a window of its own beside the main window.
  void showHelpPage(const QString& path);
  QWidget* helpWindow() const { return helpWindow_; }
  // Find in the source text: shows the find bar; the next or previous match of
  // its text, from the caret, wrapping around; false when there is none.
  void showFindBar();
  bool findInSource(bool backward);
  // 自動ﾌﾟﾚﾋﾞｭｰ: on, autoPreviewDue is raised half a second after the source
  // text last changed.
  QCheckBox* chkAutoPreview() const { return chkAutoPreview_; }

  // The character count shown above the source pane for n code units.
  static QString characterCountText(qint64 n);

  // The settings a conversion reads, taken from the controls as they are now.
  ConversionSettings readSettings() const;

  // ---- controls -------------------------------------------------------------
  // The members of the control arrays are found by their names, "txtOutput(3)".
  QToolBar* Toolbar1() const { return toolbar1_; }
  QTabWidget* SSTabMain() const { return ssTabMain_; }
  SourceTextEdit* txtMain() const { return txtMain_; }
  QPlainTextEdit* txtHTML() const { return txtHTML_; }
  QLineEdit* txtHeight() const { return txtHeight_; }
  QLineEdit* txtWidth() const { return txtWidth_; }
  QCheckBox* chkCSS() const { return chkCSS_; }
  QPushButton* cmdFontChange() const { return cmdFontChange_; }
  QLineEdit* txtSampleFont() const { return txtSampleFont_; }
  LayoutSample* picSample() const { return picSample_; }
  QToolBar* toolbarReload() const { return toolbarReload_; }
  QFrame* Picture1() const { return picture1_; }
  QWebEngineView* brwIE() const { return brwIE_; }
  QPushButton* cmdFileSelect() const { return cmdFileSelect_; }
  QPushButton* cmdFolderSelect() const { return cmdFolderSelect_; }
  QPushButton* cmdEpubSelect() const { return cmdEpubSelect_; }
  QLineEdit* txtPageColum() const { return txtPageColum_; }
  UpDown* updnColumnPage() const { return updnColumnPage_; }
  QCheckBox* chkAccessibleText() const { return chkAccessibleText_; }
  QAction* mnuVersion() const { return mnuVersion_; }
  // The shared open/save dialog, its file name empty, and the font dialog;
  // created on first use.
  QFileDialog* FileDialog();
  FontChooser* FontDialog();

  // ---- preview pane ---------------------------------------------------------
  // "about:" opens the blank page; an absolute path opens that file; returns at once.
  void navigate(const QString& location);
  void refresh();

  // ---- handlers (event rules of the window) ---------------------------------
  void Form_Load();
  void chkCSS_Click();
  void optOutput_Click();
  void txtAppearance_Change();
  void txtFont_Change(int index);
  void updatePageSize();
  void txtPageColum_Change();
  void txtMain_Change();
  void cmdFontChange_Click();
  void cmdFileSelect_Click();
  void cmdFolderSelect_Click();
  void cmdEpubSelect_Click();
  void toolbarReload_ButtonClick();
  void mnuVersion_Click();
  void chkTypeset_Click();

 Q_SIGNALS:
  // A Toolbar1 button was pressed; the commands are connected here.
  void commandTriggered(Command command);
  // cmdAllSelect(index) was pressed.
  void cmdAllSelectClicked(int index);
  void menuCommandTriggered(MenuCommand command);
  void recentFileChosen(const QString& path);
  void autoPreviewDue();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildToolbar();
  void buildMenus();
  void buildFindBar(QWidget* page);
  void growWithWindow();
  void updateTitle();
  void buildSourcePage(QWidget* page);
  void buildLayoutPage(QWidget* page);
  void buildPreviewPage(QWidget* page);
  void buildOutputPage(QWidget* page);
  void buildHtmlPage(QWidget* page);
  void buildTypesetPage(QWidget* page);
  void setKeyboardOrder();
  void connectRules();
  QLabel* makeLabel(int index, QWidget* parent, const QString& text, int left, int top, int width = 0,
                    int height = 0);
  void giveFocusToTabStrip();
  // optOutput(i) is the option of the output mode i.
  QRadioButton* outputOption(std::string_view mode) const;

  // What the members of the control arrays hold.
  enum AppearanceBox {
    charsPerLineBox,
    charSpacingBox,
    linesPerColumnBox,
    lineSpacingBox,
    columnGapBox,
    tabWidthBox
  };
  // chkOpt(1) is no more: line-breaking rules are chosen on the typesetting page.
  enum OptionBox { kanjiNumeralsBox, lineBreakRulesBox, gridBox, ruleBox, textColourBox, centreBox };
  enum FontBox { fontFaceBox, fontSizeBox };
  enum OutputBox { singleFileBox, outputFolderBox, baseNameBox, titleBox, bodyTagBox, epubFileBox };
  enum PageOptionBox { pageLinksBox, pageNumbersBox };
  // lblHcov(20) shows the character count of the source.
  static constexpr int countLabel = 20;

  bool closeAllowed_ = false;
  bool busy_ = false;
  QString sourceFile_;
  SourceEncoding sourceEncoding_ = SourceEncoding::cp932;
  std::function<bool()> closeGuard_;
  // Controls that follow the window's growth: the design rectangle and which
  // edges move with the tab control's right and bottom edges.
  struct Growth {
    QWidget* widget;
    QRect design;
    bool right, bottom, moveRight, moveBottom;
  };
  std::vector<Growth> growth_;
  std::array<QAction*, 8> menuCommands_{};
  QMenu* mnuRecent_ = nullptr;
  QMenu* mnuPresets_ = nullptr;
  QWidget* helpWindow_ = nullptr;
  QWidget* findBar_ = nullptr;
  QLineEdit* txtFind_ = nullptr;
  QCheckBox* chkAutoPreview_ = nullptr;
  QTimer* autoPreviewTimer_ = nullptr;

  QToolBar* toolbar1_ = nullptr;
  std::array<QAction*, 8> toolbarButtons_{};
  QTabWidget* ssTabMain_ = nullptr;
  std::array<QLabel*, 28> lblHcov_{};
  SourceTextEdit* txtMain_ = nullptr;
  QPlainTextEdit* txtHTML_ = nullptr;
  std::array<QLineEdit*, 6> txtAppearance_{};
  std::array<UpDown*, 6> updnAppearance_{};
  QLineEdit* txtHeight_ = nullptr;
  QLineEdit* txtWidth_ = nullptr;
  QCheckBox* chkCSS_ = nullptr;
  std::array<QCheckBox*, 6> chkOpt_{};
  std::array<QLineEdit*, 2> txtFont_{};
  QPushButton* cmdFontChange_ = nullptr;
  QLineEdit* txtSampleFont_ = nullptr;
  LayoutSample* picSample_ = nullptr;
  QToolBar* toolbarReload_ = nullptr;
  QFrame* picture1_ = nullptr;
  QWebEngineView* brwIE_ = nullptr;
  std::array<QRadioButton*, 4> optOutput_{};
  std::array<QLineEdit*, 6> txtOutput_{};
  QPushButton* cmdFileSelect_ = nullptr;
  QPushButton* cmdFolderSelect_ = nullptr;
  QPushButton* cmdEpubSelect_ = nullptr;
  std::array<QCheckBox*, 2> chkOutput_{};
  QLineEdit* txtPageColum_ = nullptr;
  UpDown* updnColumnPage_ = nullptr;
  std::array<QRadioButton*, 2> optEncoding_{};
  QCheckBox* chkAccessibleText_ = nullptr;
  QPushButton* cmdAllSelect1_ = nullptr;
  QAction* mnuVersion_ = nullptr;
  // The typesetting page's check boxes made from the option table, and the two
  // of them the ruby rule reads and sets; optRuby(i) is the option of the ruby mode i.
  std::vector<QCheckBox*> typesetChecks_;
  QCheckBox* chkAozora_ = nullptr;
  QCheckBox* chkEditorNotes_ = nullptr;
  std::array<QRadioButton*, 2> optRuby_{};
  std::array<QRadioButton*, 2> optStyle_{};
  QFileDialog* fileDialog_ = nullptr;
  FontChooser* fontDialog_ = nullptr;
};

}  // namespace zelvato::ui
