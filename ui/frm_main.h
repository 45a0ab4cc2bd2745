#pragma once

#include <QMainWindow>
#include <array>

#include "conversion_settings.h"

class QAction;
class QCheckBox;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolBar;
class QWebEngineView;

namespace zelvato::ui {

class FontChooser;
class LayoutSample;
class SourceTextEdit;
class UpDown;

// The program's working window: source text, every conversion setting, the
// generated HTML, the preview and the commands.
//
// Every control carries its name as its Qt object name; members of a control
// array are named with the index in brackets, "txtAppearance(0)",
// "lblHcov(20)", "cmdAllSelect(1)", and can be found with findChild as well as
// through the accessors below. The controls are the only store of the
// settings; readSettings() is the one binding to ConversionSettings.
class frmMain : public QMainWindow {
  Q_OBJECT

 public:
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  // ---- controls -------------------------------------------------------------
  QToolBar* Toolbar1() const { return toolbar1_; }
  // Toolbar1 buttons by their index 1..7 (4 is the separator).
  QAction* toolbarButton(int index) const;
  QTabWidget* SSTabMain() const { return ssTabMain_; }
  QLabel* lblHcov(int index) const;
  SourceTextEdit* txtMain() const { return txtMain_; }
  QPlainTextEdit* txtHTML() const { return txtHTML_; }
  QLineEdit* txtAppearance(int index) const { return txtAppearance_.at(index); }
  UpDown* updnAppearance(int index) const { return updnAppearance_.at(index); }
  QLineEdit* txtHeight() const { return txtHeight_; }
  QLineEdit* txtWidth() const { return txtWidth_; }
  QCheckBox* chkCSS() const { return chkCSS_; }
  QCheckBox* chkOpt(int index) const { return chkOpt_.at(index); }
  QLineEdit* txtFont(int index) const { return txtFont_.at(index); }
  QPushButton* cmdFontChange() const { return cmdFontChange_; }
  QLineEdit* txtSampleFont() const { return txtSampleFont_; }
  LayoutSample* picSample() const { return picSample_; }
  QToolBar* toolbarReload() const { return toolbarReload_; }
  QFrame* Picture1() const { return picture1_; }
  QWebEngineView* brwIE() const { return brwIE_; }
  QRadioButton* optOutput(int index) const { return optOutput_.at(index); }
  QLineEdit* txtOutput(int index) const { return txtOutput_.at(index); }
  QPushButton* cmdFileSelect() const { return cmdFileSelect_; }
  QPushButton* cmdFolderSelect() const { return cmdFolderSelect_; }
  QCheckBox* chkOutput(int index) const { return chkOutput_.at(index); }
  QLineEdit* txtPageColum() const { return txtPageColum_; }
  UpDown* updnColumnPage() const { return updnColumnPage_; }
  // The control array has only member 1.
  QPushButton* cmdAllSelect(int index) const { return index == 1 ? cmdAllSelect1_ : nullptr; }
  QAction* mnuVersion() const { return mnuVersion_; }
  // The shared open/save dialog, its file name empty, and the font dialog;
  // created on first use.
  QFileDialog* FileDialog();
  FontChooser* FontDialog();

  // ---- state ----------------------------------------------------------------
  bool closeAllowed() const { return closeAllowed_; }
  void setCloseAllowed(bool allowed) { closeAllowed_ = allowed; }
  // The simple text of the status bar.
  void setStatusText(const QString& text);
  QString statusText() const;
  // The source text with CR LF line breaks, as the conversion reads it.
  QString sourceText() const;

  // The character count shown above the source pane for n code units.
  static QString characterCountText(qint64 n);

  // The settings a conversion reads, taken from the controls as they are now.
  ConversionSettings readSettings() const;

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
  void toolbarReload_ButtonClick();
  void mnuVersion_Click();

 Q_SIGNALS:
  // A Toolbar1 button was pressed (index 1..7); the commands are connected here.
  void toolbarButtonClicked(int index);
  // cmdAllSelect(index) was pressed.
  void cmdAllSelectClicked(int index);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildToolbar();
  void buildSourcePage(QWidget* page);
  void buildLayoutPage(QWidget* page);
  void buildPreviewPage(QWidget* page);
  void buildOutputPage(QWidget* page);
  void buildHtmlPage(QWidget* page);
  void setKeyboardOrder();
  void connectRules();
  QLabel* makeLabel(int index, QWidget* parent, const QString& text, int left, int top, int width = 0,
                    int height = 0);
  void giveFocusToTabStrip();

  bool closeAllowed_ = false;

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
  std::array<QRadioButton*, 3> optOutput_{};
  std::array<QLineEdit*, 5> txtOutput_{};
  QPushButton* cmdFileSelect_ = nullptr;
  QPushButton* cmdFolderSelect_ = nullptr;
  std::array<QCheckBox*, 2> chkOutput_{};
  QLineEdit* txtPageColum_ = nullptr;
  UpDown* updnColumnPage_ = nullptr;
  QPushButton* cmdAllSelect1_ = nullptr;
  QAction* mnuVersion_ = nullptr;
  QFileDialog* fileDialog_ = nullptr;
  FontChooser* fontDialog_ = nullptr;
};

}  // namespace zelvato::ui
