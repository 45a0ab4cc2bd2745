#include "frm_main.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "dialog_provider.h"
#include "frm_main_texts.h"
#include "output_choices.h"
#include "page_sync.h"
#include "pages/html_page.h"
#include "pages/layout_page.h"
#include "pages/output_page.h"
#include "pages/preview_page.h"
#include "pages/reading_page.h"
#include "pages/source_page.h"
#include "pages/typeset_page.h"
#include "program_identity.h"
#include "settings_binding.h"
#include "settings_model.h"
#include "source_text_edit.h"

namespace zelvato::ui {

namespace {

// The client area the window opens with and never gets smaller than, below
// its menu bar: 632 x 335 pixels with the toolbar (37) and the status bar (17).
constexpr QSize clientArea(632, 335);
constexpr int toolbarHeight = 37;
constexpr int statusBarHeight = 17;

}  // namespace

frmMain::frmMain(DialogProvider* dialogs, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs != nullptr ? *dialogs : realDialogs()),
      settings_(new SettingsModel(this)) {
  installFontSubstitutes();
  setObjectName(QStringLiteral("frmMain"));
  setWindowIcon(QIcon(QStringLiteral(":/zelvato/icons/zelvato.svg")));
  setFont(QFont(texts::uiFontFace, 9));
  setContextMenuPolicy(Qt::NoContextMenu);

  toolbar1_ = new QToolBar(this);
  toolbar1_->setObjectName(QStringLiteral("Toolbar1"));
  toolbar1_->setMovable(false);
  toolbar1_->setFloatable(false);
  toolbar1_->setIconSize(QSize(16, 16));
  toolbar1_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  toolbar1_->setFixedHeight(toolbarHeight);
  toolbar1_->toggleViewAction()->setEnabled(false);
  addToolBar(Qt::TopToolBarArea, toolbar1_);

  auto* status = new QStatusBar(this);
  status->setObjectName(QStringLiteral("statusBar"));
  status->setSizeGripEnabled(false);
  status->setFixedHeight(statusBarHeight);
  setStatusBar(status);

  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("clientArea"));
  central->setMinimumSize(clientArea.width(), clientArea.height() - toolbarHeight - statusBarHeight);
  setCentralWidget(central);
  ssTabMain_ = new QTabWidget(central);
  ssTabMain_->setObjectName(QStringLiteral("SSTabMain"));
  ssTabMain_->setTabPosition(QTabWidget::South);
  // Keeps every tab visible in one row; the captions fit the strip.
  ssTabMain_->tabBar()->setExpanding(false);
  ssTabMain_->tabBar()->setUsesScrollButtons(false);
  auto* clientLayout = new QVBoxLayout(central);
  clientLayout->setContentsMargins(8, 3, 7, 5);
  clientLayout->addWidget(ssTabMain_);

  source_ = new SourcePage;
  layout_ = new LayoutPage(*settings_, dialogs_);
  preview_ = new PreviewPage(*settings_);
  output_ = new OutputPage(*settings_, dialogs_);
  // Output is asked for beside the text, where a writer keeps the text's other files.
  output_->setStartFolder(
      [this] { return sourceFile_.isEmpty() ? QString() : QFileInfo(sourceFile_).absolutePath(); });
  html_ = new HtmlPage;
  typeset_ = new TypesetPage(*settings_);
  reading_ = new ReadingPage(*settings_, dialogs_);
  const std::pair<QWidget*, QString> pages[] = {{source_, QStringLiteral("変換元文章")},
                                                {layout_, QStringLiteral("ﾚｲｱｳﾄ設定")},
                                                {preview_, QStringLiteral("ﾎｰﾑﾍﾟｰｼﾞﾌﾟﾚﾋﾞｭｰ")},
                                                {output_, QStringLiteral("出力設定")},
                                                {html_, QStringLiteral("簡易出力HTML")},
                                                {typeset_, texts::typesetTab},
                                                {reading_, texts::readingTab}};
  for (const auto& [page, caption] : pages) {
    page->setObjectName(QStringLiteral("SSTabMainPage(%1)").arg(ssTabMain_->count()));
    ssTabMain_->addTab(page, caption);
  }
  bindSettings(*this, *settings_);

  buildMenus();
  setKeyboardOrder();
  connect(html_->cmdAllSelect(), &QPushButton::clicked, this, [this] {
    // The copy takes the whole result, also one still being made ready.
    html_->finishMarkup();
    Q_EMIT cmdAllSelectClicked(1);
  });
  connect(txtMain()->document(), &QTextDocument::modificationChanged, this, &QWidget::setWindowModified);

  autoPreviewTimer_ = new QTimer(this);
  autoPreviewTimer_->setObjectName(QStringLiteral("autoPreviewTimer"));
  autoPreviewTimer_->setSingleShot(true);
  autoPreviewTimer_->setInterval(500);
  connect(autoPreviewTimer_, &QTimer::timeout, this, [this] {
    if (settings_->settings().autoPreview) Q_EMIT autoPreviewDue();
  });
  connect(txtMain(), &QPlainTextEdit::textChanged, this, [this] {
    if (settings_->settings().autoPreview) autoPreviewTimer_->start();
  });

  // One browser shows the page: beside the source on the source's tab, alone on the preview's.
  pageSync_ = new PageSync(*txtMain(), *brwIE(), this);
  const auto placeBrowser = [this](int index) {
    QWidget* frame = index == static_cast<int>(Tab::preview) ? static_cast<QWidget*>(preview_->Picture1())
                                                             : static_cast<QWidget*>(source_->pagePane());
    if (brwIE()->parentWidget() != frame) frame->layout()->addWidget(brwIE());
  };
  connect(ssTabMain_, &QTabWidget::currentChanged, this, placeBrowser);
  placeBrowser(ssTabMain_->currentIndex());

  // The load sequence.
  closeAllowed_ = true;
  showTab(Tab::source);
  navigate(QStringLiteral("about:"));
  updateTitle();

  // The window opens at its smallest size and resizes and maximises from there.
  resize(minimumSizeHint());
  setMinimumSize(size());
  if (const QScreen* screen = this->screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

frmMain::~frmMain() = default;

void frmMain::setKeyboardOrder() {
  // The tab strip first, then the pages; the font button stands before the
  // source pane. Hidden pages keep their place in the order; Qt skips what
  // is not shown.
  QList<QWidget*> order{ssTabMain_, layout_->cmdFontChange()};
  order += source_->keyboardOrder();
  order += preview_->chkAutoPreview();
  order += layout_->keyboardOrder();
  order += output_->keyboardOrder();
  order += {html_->txtHTML(), html_->cmdAllSelect()};
  order += typeset_->keyboardOrder();
  order += reading_->keyboardOrder();
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

  // The last control of a page hands the keyboard back to the tab strip.
  pageEnds_ = {txtMain(), source_->keyboardOrder().last(), preview_->chkAutoPreview(), output_->lastControl(),
               html_->cmdAllSelect()};
  pageEnds_ += layout_->lastControls();
  for (QWidget* w : pageEnds_) w->installEventFilter(this);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::FocusOut || !pageEnds_.contains(watched))
    return QMainWindow::eventFilter(watched, event);
  // While the find bar is shown, it closes the source page, not the pane.
  if (watched == txtMain() && source_->lastControl() != txtMain())
    return QMainWindow::eventFilter(watched, event);
  // Tab never walks on into a page that is not shown. Only Tab forward out
  // of the page's last control leaves it: Shift+Tab walks back through the
  // page, and leaving the window, a popup menu or a click keep the user's choice.
  if (static_cast<QFocusEvent*>(event)->reason() == Qt::TabFocusReason)
    QTimer::singleShot(0, this, &frmMain::giveFocusToTabStrip);
  return QMainWindow::eventFilter(watched, event);
}

void frmMain::giveFocusToTabStrip() {
  // A failure to move the focus is of no consequence; a dialog in front keeps it.
  if (isActiveWindow()) ssTabMain_->tabBar()->setFocus(Qt::TabFocusReason);
}

void frmMain::closeEvent(QCloseEvent* event) {
  // During a run the user may stop it and close once it has stopped.
  if (busy_) {
    event->ignore();
    if (closeAfterRun_) return;
    if (dialogs_.message(this, texts::stopAndCloseQuestion, MessageIcon::question,
                         MessageButtons::yesNoCancel) != MessageAnswer::yes)
      return;
    closeAfterRun_ = true;
    for (const Command& c : commands_)
      if (c.available == Availability::busy && c.action->isEnabled()) c.action->trigger();
    return;
  }
  // Closing is refused silently when it is not allowed, and when the user
  // keeps edited text.
  if (!closeAllowed_ || (closeGuard_ && !closeGuard_())) {
    event->ignore();
    return;
  }
  if (helpWindow_) helpWindow_->close();
  QMainWindow::closeEvent(event);
}

bool frmMain::event(QEvent* event) {
  // The status bar's simple text stays until the program sets another; the
  // status tips of menus and buttons the mouse passes over would clear it.
  if (event->type() == QEvent::StatusTip) return true;
  return QMainWindow::event(event);
}

void frmMain::setSourceFile(const QString& path, const SourceFormat& format) {
  sourceFile_ = path;
  sourceFormat_ = format;
  updateTitle();
}

bool frmMain::sourceModified() const {
  // An empty pane holds nothing to lose.
  return txtMain()->document()->isModified() && !txtMain()->document()->isEmpty();
}

void frmMain::setSourceModified(bool modified) {
  txtMain()->document()->setModified(modified);
  setWindowModified(modified);
}

void frmMain::updateTitle() {
  // The file's name and the mark of unsaved edits ("[*]"), then the program.
  if (sourceFile_.isEmpty()) {
    setWindowTitle(programTitle + QStringLiteral("[*]"));
  } else {
    setWindowTitle(QFileInfo(sourceFile_).fileName() + QStringLiteral("[*] - ") + programTitle);
  }
}

void frmMain::setStatusText(const QString& text) {
  statusBar()->showMessage(text);
}

QString frmMain::statusText() const {
  return statusBar()->currentMessage();
}

SourceTextEdit* frmMain::txtMain() const {
  return source_->txtMain();
}

QPlainTextEdit* frmMain::txtHTML() const {
  return html_->txtHTML();
}

QWebEngineView* frmMain::brwIE() const {
  return preview_->brwIE();
}

QCheckBox* frmMain::chkAutoPreview() const {
  return preview_->chkAutoPreview();
}

QString frmMain::sourceText() const {
  return txtMain()->sourceText();
}

qsizetype frmMain::sourceLength() const {
  return txtMain()->sourceLength();
}

void frmMain::setOutline(const Outline& outline) {
  source_->setOutline(outline);
}

void frmMain::clearSource() {
  // The pane's change rule brings the hint back in place of the count.
  txtMain()->clear();
}

QString frmMain::characterCountText(QStringView text) {
  return SourcePage::characterCountText(SourcePage::countText(text));
}

void frmMain::clearHtml() {
  html_->clearMarkup();
}

void frmMain::showHtml(const QString& markup) {
  html_->showMarkup(markup);
}

ConversionSettings frmMain::readSettings() const {
  return settings_->conversion();
}

void frmMain::showTab(Tab tab) {
  ssTabMain_->setCurrentIndex(static_cast<int>(tab));
}

void frmMain::setBusy(bool busy) {
  busy_ = busy;
  txtHTML()->setVisible(!busy);
  closeAllowed_ = !busy;
  ssTabMain_->setEnabled(!busy);
  html_->cmdAllSelect()->setEnabled(!busy);
  enableCommands();
  // The count (or the hint) comes back in place of "変換処理中...".
  if (busy) {
    source_->showConverting();
  } else {
    source_->txtMain_Change();
  }
  txtMain()->setEnabled(!busy);
  if (!busy && closeAfterRun_) {
    closeAfterRun_ = false;
    QTimer::singleShot(0, this, &QWidget::close);
  }
}

void frmMain::setLoading(bool loading) {
  toolbar1_->setEnabled(!loading);
  ssTabMain_->setEnabled(!loading);
}

void frmMain::chooseOutputMode(std::string_view key) {
  settings_->setOutputMode(key);
  // The rule runs also for the mode that was chosen already.
  output_->optOutput_Click();
}

void frmMain::chooseOutputPath(std::string_view key) {
  output_->choosePath(*outputChoices()[static_cast<std::size_t>(outputChoiceIndex(key))]);
}

void frmMain::showFindBar() {
  showTab(Tab::source);
  source_->showFindBar();
}

bool frmMain::findInSource(bool backward) {
  return source_->findInSource(backward);
}

void frmMain::navigate(const QString& location) {
  preview_->navigate(location);
}

void frmMain::setPageSource(std::shared_ptr<const PageSource> page) {
  pageSync_->setPageSource(std::move(page));
}

void frmMain::refresh() {
  preview_->refresh();
}

}  // namespace zelvato::ui
