#include "frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "font_chooser.h"
#include "frm_main_texts.h"
#include "layout_sample.h"
#include "options/option_table.h"
#include "pane_text.h"
#include "program_identity.h"
#include "source_text_edit.h"
#include "twips.h"
#include "up_down.h"
#include "write/registry/writer_registry.h"

namespace zelvato::ui {

namespace {

QString indexed(const char* name, int index) {
  return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

// Places a control at its designed rectangle. Where the installed fonts need
// more room than designed, the control grows around the same vertical centre
// and to the right, so no caption is clipped.
void place(QWidget* w, int left, int top, int width, int height) {
  const QSize hint = w->sizeHint();
  int h = px(height);
  int y = px(top);
  if (hint.height() > h) {
    y -= (hint.height() - h) / 2;
    h = hint.height();
  }
  w->setGeometry(px(left), y, std::max(px(width), hint.width()), h);
}

// Text boxes keep their designed size exactly; they line up with their spinners.
void placeBox(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(px(left), px(top), px(width), px(height));
}

QFont uiFont() {
  return QFont(texts::uiFontFace, 9);
}

QLineEdit* makeBox(QWidget* parent, const QString& name, const QString& text) {
  auto* box = new QLineEdit(text, parent);
  box->setObjectName(name);
  box->setTextMargins(1, 0, 1, 0);
  return box;
}

QCheckBox* makeCheck(QWidget* parent, const QString& name, const QString& text, Qt::CheckState state) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(name);
  box->setTristate(state == Qt::PartiallyChecked);
  box->setCheckState(state);
  return box;
}

Qt::CheckState checkState(bool on) {
  return on ? Qt::Checked : Qt::Unchecked;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

QFrame* makeLine(QWidget* parent, const QString& name, int top, QPalette::ColorRole role) {
  auto* line = new QFrame(parent);
  line->setObjectName(name);
  line->setGeometry(px(120), px(top), px(3600) - px(120), 1);
  line->setAutoFillBackground(true);
  QPalette pal = line->palette();
  pal.setColor(QPalette::Window, parent->palette().color(role));
  line->setPalette(pal);
  return line;
}

}  // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
  installFontSubstitutes();
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(programTitle);
  setWindowIcon(QIcon(QStringLiteral(":/zelvato/icons/zelvato.svg")));
  setFont(uiFont());
  setContextMenuPolicy(Qt::NoContextMenu);

  buildToolbar();
  buildMenus();

  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("clientArea"));
  // Client area 9480 x 5025 less the toolbar (555) and the status bar (255):
  // the smallest the window gets; it grows from there.
  const QSize client(px(9480), px(5025) - px(555) - px(255));
  central->setMinimumSize(client);
  setCentralWidget(central);

  auto* status = new QStatusBar(this);
  status->setObjectName(QStringLiteral("statusBar"));
  status->setSizeGripEnabled(false);
  status->setFixedHeight(px(255));
  setStatusBar(status);

  ssTabMain_ = new QTabWidget(central);
  ssTabMain_->setObjectName(QStringLiteral("SSTabMain"));
  ssTabMain_->setTabPosition(QTabWidget::South);
  ssTabMain_->setDocumentMode(false);
  // The tab control keeps its design margins to the client area's edges and grows with it.
  const QRect tabDesign(px(120), px(600) - px(555), px(9255), px(4095));
  ssTabMain_->setMinimumSize(tabDesign.size());
  auto* clientLayout = new QVBoxLayout(central);
  clientLayout->setContentsMargins(tabDesign.left(), tabDesign.top(), client.width() - tabDesign.right() - 1,
                                   client.height() - tabDesign.bottom() - 1);
  clientLayout->addWidget(ssTabMain_);
  const QString captions[6] = {QStringLiteral("変換元文章"),      QStringLiteral("ﾚｲｱｳﾄ設定"),
                               QStringLiteral("ﾎｰﾑﾍﾟｰｼﾞﾌﾟﾚﾋﾞｭｰ"), QStringLiteral("出力設定"),
                               QStringLiteral("簡易出力HTML"),    texts::typesetTab};
  QWidget* pages[6];
  for (int i = 0; i < 6; ++i) {
    pages[i] = new QWidget;
    pages[i]->setObjectName(QStringLiteral("SSTabMainPage(%1)").arg(i));
    ssTabMain_->addTab(pages[i], captions[i]);
  }
  // Keeps every tab visible in one row; the captions fit the strip.
  ssTabMain_->tabBar()->setExpanding(false);
  ssTabMain_->tabBar()->setUsesScrollButtons(false);

  const auto page = [&pages](Tab tab) { return pages[static_cast<int>(tab)]; };
  buildSourcePage(page(Tab::source));
  buildLayoutPage(page(Tab::layout));
  buildPreviewPage(page(Tab::preview));
  buildOutputPage(page(Tab::output));
  buildHtmlPage(page(Tab::html));
  buildTypesetPage(page(Tab::typeset));
  setKeyboardOrder();
  showTab(Tab::source);

  connectRules();
  Form_Load();
  ssTabMain_->installEventFilter(this);
  connect(txtMain_->document(), &QTextDocument::modificationChanged, this, &QWidget::setWindowModified);
  updateTitle();

  adjustSize();
  // Today's size is the smallest; the window resizes and maximises from there.
  setMinimumSize(size());
  if (const QScreen* screen = this->screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

frmMain::~frmMain() = default;

void frmMain::buildToolbar() {
  toolbar1_ = new QToolBar(this);
  toolbar1_->setObjectName(QStringLiteral("Toolbar1"));
  toolbar1_->setMovable(false);
  toolbar1_->setFloatable(false);
  toolbar1_->setIconSize(QSize(16, 16));
  toolbar1_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  toolbar1_->setFixedHeight(px(555));
  toolbar1_->toggleViewAction()->setEnabled(false);
  addToolBar(Qt::TopToolBarArea, toolbar1_);

  struct Button {
    int index;
    const char* text;
    const char* icon;
  };
  const Button buttons[] = {{static_cast<int>(Command::newText), "新規作成", "new"},
                            {static_cast<int>(Command::load), "読み込む", "load"},
                            {static_cast<int>(Command::saveHtml), "HTML保存", "save"},
                            {static_cast<int>(Command::convert), "縦書き変換", "convert"},
                            {static_cast<int>(Command::stop), "変換中断", "stop"},
                            {static_cast<int>(Command::help), "ﾍﾙﾌﾟ", "help"}};
  for (const Button& b : buttons) {
    if (b.index == static_cast<int>(Command::convert)) {
      toolbarButtons_[4] = toolbar1_->addSeparator();
      toolbarButtons_[4]->setObjectName(QStringLiteral("Toolbar1Button(4)"));
    }
    QAction* action =
        toolbar1_->addAction(QIcon(QStringLiteral(":/zelvato/icons/%1.svg").arg(QLatin1String(b.icon))),
                             QString::fromUtf8(b.text));
    action->setObjectName(QStringLiteral("Toolbar1Button(%1)").arg(b.index));
    toolbarButtons_[b.index] = action;
    if (QWidget* w = toolbar1_->widgetForAction(action)) {
      w->setObjectName(QStringLiteral("Toolbar1Widget(%1)").arg(b.index));
      w->setMinimumSize(65, 35);
    }
    const auto command = static_cast<Command>(b.index);
    connect(action, &QAction::triggered, this, [this, command] { Q_EMIT commandTriggered(command); });
  }
}

QAction* frmMain::commandButton(Command command) const {
  return toolbarButtons_[static_cast<std::size_t>(command)];
}

QLabel* frmMain::makeLabel(int index, QWidget* parent, const QString& text, int left, int top, int width,
                           int height) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(indexed("lblHcov", index));
  if (width == 0) {
    label->adjustSize();
    label->move(px(left), px(top) - 1);
  } else {
    place(label, left, top, width, height == 0 ? 180 : height);
  }
  lblHcov_[index] = label;
  return label;
}

void frmMain::buildSourcePage(QWidget* page) {
  auto* shp = new QFrame(page);
  shp->setObjectName(QStringLiteral("shp"));
  shp->setGeometry(px(120), px(150), px(9015), px(255));
  shp->setAutoFillBackground(true);
  QPalette band = shp->palette();
  band.setColor(QPalette::Window, page->palette().color(QPalette::Dark));
  shp->setPalette(band);

  QLabel* title = makeLabel(12, page, QStringLiteral("変換元文章..."), 240, 195, 1200, 180);
  QFont bold(texts::labelFontFace, 9);
  bold.setBold(true);
  title->setFont(bold);
  QPalette light = title->palette();
  light.setColor(QPalette::WindowText, page->palette().color(QPalette::HighlightedText));
  title->setPalette(light);
  place(title, 240, 195, 1200, 180);

  QLabel* hint = makeLabel(countLabel, page, texts::mainHint, 1440, 195, 7560, 180);
  hint->setPalette(light);
  place(hint, 1440, 195, 7560, 180);

  txtMain_ = new SourceTextEdit(page);
  txtMain_->setObjectName(QStringLiteral("txtMain"));
  txtMain_->setFont(QFont(texts::defaultFontFace, 9));
  txtMain_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtMain_->setTabChangesFocus(true);
  placeBox(txtMain_, 120, 390, 9015, 3255);
  // A whole novel loads and edits without the pane laying out every line at once.
  txtMain_->setCenterOnScroll(false);

  growth_.push_back({shp, shp->geometry(), true, false, false, false});
  growth_.push_back({hint, hint->geometry(), true, false, false, false});
  growth_.push_back({txtMain_, txtMain_->geometry(), true, true, false, false});
  buildFindBar(page);
}

void frmMain::buildLayoutPage(QWidget* page) {
  auto* fraAppearance = new QGroupBox(QStringLiteral("体裁"), page);
  fraAppearance->setObjectName(QStringLiteral("fraAppearance"));
  placeBox(fraAppearance, 120, 150, 3735, 3495);
  auto* fraFont = new QGroupBox(QStringLiteral("フォント"), page);
  fraFont->setObjectName(QStringLiteral("fraFont"));
  placeBox(fraFont, 3960, 150, 4935, 1455);
  picSample_ = new LayoutSample(page);
  picSample_->setObjectName(QStringLiteral("picSample"));
  placeBox(picSample_, 4800, 1670, 3375, 1980);

  QWidget* f = fraAppearance;
  const ConversionSettings start;
  chkCSS_ = makeCheck(f, QStringLiteral("chkCSS"), QStringLiteral("スタイルシート(CSS)で詳細な調整を行う"),
                      checkState(start.useStyleSheet));
  place(chkCSS_, 120, 360, 3495, 180);

  struct Field {
    int index;
    int label;
    const char* caption;
    int labelLeft, labelTop;
    int boxLeft, boxTop, boxWidth;
    int spinLeft;
    int unit;
    const char* unitText;
    int unitLeft;
    int minimum, maximum, step;
  };
  // The spinner of 字間隔 lines up with its box like the others.
  const Field fields[] = {
      {charsPerLineBox, 0, "桁数", 165, 765, 720, 720, 495, 1200, 4, "桁", 1560, 0, 200, 1},
      {charSpacingBox, 1, "字間隔", 165, 1125, 720, 1080, 495, 1200, 5, "pt", 1560, -30, 30, 1},
      {linesPerColumnBox, 2, "行数", 1965, 765, 2520, 720, 495, 3000, 6, "行", 3360, 0, 200, 1},
      {lineSpacingBox, 3, "行間隔", 1965, 1125, 2520, 1080, 495, 3000, 7, "pt", 3360, -30, 30, 1},
      {columnGapBox, 11, "コラム間隔", 120, 2205, 1050, 2160, 495, 1560, 10, "px", 1875, 0, 20, 2},
      {tabWidthBox, 13, "タブカラム", 120, 2565, 1050, 2520, 495, 1560, 14, "字", 1875, 0, 10, 1},
  };
  for (const Field& d : fields) {
    makeLabel(d.label, f, QString::fromUtf8(d.caption), d.labelLeft, d.labelTop);
    QLineEdit* box = makeBox(f, indexed("txtAppearance", d.index), QStringLiteral("0"));
    box->setAlignment(Qt::AlignRight);
    placeBox(box, d.boxLeft, d.boxTop, d.boxWidth, 270);
    txtAppearance_[d.index] = box;
    auto* spin = new UpDown(box, d.minimum, d.maximum, d.step, 0, f);
    spin->setObjectName(indexed("updnAppearance", d.index));
    placeBox(spin, d.spinLeft, d.boxTop, 240, 270);
    updnAppearance_[d.index] = spin;
    makeLabel(d.unit, f, QString::fromUtf8(d.unitText), d.unitLeft, d.labelTop);
  }

  makeLabel(17, f, QStringLiteral("縦幅"), 165, 1605);
  txtHeight_ = makeBox(f, QStringLiteral("txtHeight"), QString());
  txtHeight_->setReadOnly(true);
  txtHeight_->setAlignment(Qt::AlignRight);
  placeBox(txtHeight_, 675, 1560, 615, 270);
  makeLabel(18, f, QStringLiteral("mm"), 1395, 1605);
  makeLabel(16, f, QStringLiteral("横幅"), 1965, 1605);
  txtWidth_ = makeBox(f, QStringLiteral("txtWidth"), QString());
  txtWidth_->setReadOnly(true);
  txtWidth_->setAlignment(Qt::AlignRight);
  placeBox(txtWidth_, 2520, 1560, 615, 270);
  makeLabel(8, f, QStringLiteral("mm"), 3240, 1605);

  makeLine(f, QStringLiteral("lineAppearance(0)"), 1920, QPalette::Light);
  makeLine(f, QStringLiteral("lineAppearance(1)"), 1935, QPalette::Mid);

  struct Option {
    int index;
    const char* caption;
    int left, top, width;
    Qt::CheckState state;
  };
  // The text colour, which the window carries but does not offer, stands grey and
  // disabled. Line-breaking rules are chosen on the typesetting page only.
  const Option options[] = {
      {kanjiNumeralsBox, "漢数字変換", 2160, 2160, 1455, checkState(start.kanjiNumerals)},
      {textColourBox, "文字色を指定", 2160, 2640, 1455, Qt::PartiallyChecked},
      {gridBox, "ｸﾞﾘｯﾄﾞ表示", 120, 2880, 1455, checkState(start.showGrid)},
      {ruleBox, "HRﾎﾞｰﾀﾞｰを付加", 120, 3120, 1695, checkState(start.addRule)},
      {centreBox, "ｾﾝﾀﾘﾝｸﾞする", 1920, 3120, 1695, checkState(start.centerText)},
  };
  for (const Option& o : options) {
    QCheckBox* box = makeCheck(f, indexed("chkOpt", o.index), QString::fromUtf8(o.caption), o.state);
    place(box, o.left, o.top, o.width, 180);
    box->setEnabled(o.state != Qt::PartiallyChecked);
    chkOpt_[o.index] = box;
  }

  QWidget* g = fraFont;
  // The frame's caption takes a line of its own here, so the row of fields
  // starts where the first fields of the other frames do, below the border.
  constexpr int fontRowTop = 360;
  txtFont_[fontFaceBox] = makeBox(g, QStringLiteral("txtFont(0)"), QString::fromStdU16String(start.fontFace));
  txtFont_[fontFaceBox]->setReadOnly(true);
  placeBox(txtFont_[fontFaceBox], 120, fontRowTop, 1935, 270);
  txtFont_[fontSizeBox] =
      makeBox(g, QStringLiteral("txtFont(1)"), QString::fromStdU16String(start.fontSizePt.typed()));
  txtFont_[fontSizeBox]->setReadOnly(true);
  txtFont_[fontSizeBox]->setAlignment(Qt::AlignRight);
  placeBox(txtFont_[fontSizeBox], 2160, fontRowTop, 495, 270);
  QLabel* unit = makeLabel(9, g, QStringLiteral("pt"), 2745, fontRowTop);
  unit->setGeometry(unit->x(), txtFont_[fontSizeBox]->y(), unit->width(), txtFont_[fontSizeBox]->height());
  unit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  cmdFontChange_ = makeButton(g, QStringLiteral("cmdFontChange"), QStringLiteral("ﾌｫﾝﾄの指定"));
  placeBox(cmdFontChange_, 3360, fontRowTop + (270 - 375) / 2, 1455, 375);
  txtSampleFont_ = makeBox(g, QStringLiteral("txtSampleFont"), texts::sampleText);
  txtSampleFont_->setReadOnly(true);
  txtSampleFont_->setAlignment(Qt::AlignCenter);
  txtSampleFont_->setFont(QFont(texts::defaultFontFace, 9));
  placeBox(txtSampleFont_, 120, 720, 4695, 615);
}

void frmMain::buildPreviewPage(QWidget* page) {
  makeLabel(15, page, QStringLiteral("変換ﾌﾟﾚﾋﾞｭｰ"), 120, 150, 1920, 180);

  toolbarReload_ = new QToolBar(page);
  toolbarReload_->setObjectName(QStringLiteral("toolbarReload"));
  toolbarReload_->setIconSize(QSize(16, 16));
  toolbarReload_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  QAction* reload = toolbarReload_->addAction(QIcon(QStringLiteral(":/zelvato/icons/reload.svg")),
                                              QStringLiteral("RELOAD"));
  reload->setObjectName(QStringLiteral("toolbarReloadButton(1)"));
  connect(reload, &QAction::triggered, this, &frmMain::toolbarReload_ButtonClick);
  placeBox(toolbarReload_, 7920, 40, 1215, 330);
  growth_.push_back({toolbarReload_, toolbarReload_->geometry(), false, false, true, false});

  chkAutoPreview_ = makeCheck(page, QStringLiteral("chkAutoPreview"), texts::autoPreview, Qt::Unchecked);
  place(chkAutoPreview_, 5400, 120, 2400, 180);
  growth_.push_back({chkAutoPreview_, chkAutoPreview_->geometry(), false, false, true, false});

  picture1_ = new QFrame(page);
  picture1_->setObjectName(QStringLiteral("Picture1"));
  picture1_->setFrameShape(QFrame::StyledPanel);
  picture1_->setFrameShadow(QFrame::Sunken);
  picture1_->setLineWidth(1);
  picture1_->setBackgroundRole(QPalette::Base);
  picture1_->setAutoFillBackground(true);
  placeBox(picture1_, 120, 390, 9015, 3255);

  brwIE_ = new QWebEngineView(picture1_);
  brwIE_->setObjectName(QStringLiteral("brwIE"));
  // The preview file declares no character set: it is code page 932.
  brwIE_->settings()->setDefaultTextEncoding(QStringLiteral("Shift_JIS"));
  brwIE_->setContextMenuPolicy(Qt::NoContextMenu);
  brwIE_->setGeometry(2, 2, picture1_->width() - 4, picture1_->height() - 4);
  growth_.push_back({picture1_, picture1_->geometry(), true, true, false, false});
  growth_.push_back({brwIE_, brwIE_->geometry(), true, true, false, false});
  connect(brwIE_, &QWebEngineView::loadFinished, brwIE_, &QWidget::show);
}

void frmMain::buildOutputPage(QWidget* page) {
  auto* frame1 = new QGroupBox(QStringLiteral("出力の方法"), page);
  frame1->setObjectName(QStringLiteral("Frame1"));
  placeBox(frame1, 120, 120, 3975, 2295);
  auto* frame2 = new QGroupBox(QStringLiteral("分割出力設定"), page);
  frame2->setObjectName(QStringLiteral("Frame2"));
  placeBox(frame2, 4200, 120, 4935, 2295);

  const ConversionSettings start;
  makeLabel(24, page, QStringLiteral("HTMLのﾀｲﾄﾙ"), 120, 2520);
  txtOutput_[titleBox] =
      makeBox(page, QStringLiteral("txtOutput(3)"), QString::fromStdU16String(start.htmlTitle));
  placeBox(txtOutput_[titleBox], 120, 2760, 4935, 270);
  makeLabel(25, page, QStringLiteral("BODYﾀｸﾞ"), 120, 3120);
  txtOutput_[bodyTagBox] =
      makeBox(page, QStringLiteral("txtOutput(4)"), QString::fromStdU16String(start.bodyTag));
  placeBox(txtOutput_[bodyTagBox], 120, 3360, 4935, 270);
  txtOutput_[bodyTagBox]->setCursorPosition(0);

  const QString modes[4] = {QStringLiteral("HTMLﾌｧｲﾙは自動作成しない"),
                            QStringLiteral("一つのHTMLﾌｧｲﾙへ出力する"),
                            QStringLiteral("複数のHTMLﾌｧｲﾙへ分割出力する"), texts::epubOption};
  // Four modes, a little closer than three were; the file name and its chooser move down below them.
  for (int i = 0; i < 4; ++i) {
    auto* option = new QRadioButton(modes[i], frame1);
    option->setObjectName(indexed("optOutput", i));
    place(option, 120, 345 + 225 * i, 3735, 180);
    optOutput_[i] = option;
  }
  outputOption(start.outputMode)->setChecked(true);
  makeLabel(21, frame1, QStringLiteral("出力先ﾌｧｲﾙ名"), 360, 1275);
  txtOutput_[singleFileBox] = makeBox(frame1, QStringLiteral("txtOutput(0)"), QString());
  txtOutput_[singleFileBox]->setReadOnly(true);
  txtOutput_[singleFileBox]->setEnabled(false);
  placeBox(txtOutput_[singleFileBox], 360, 1485, 3495, 270);
  cmdFileSelect_ = makeButton(frame1, QStringLiteral("cmdFileSelect"), texts::fileDialogTitle);
  cmdFileSelect_->setEnabled(false);
  placeBox(cmdFileSelect_, 1920, 1830, 1935, 375);
  // The book's file has a field and a chooser of its own in the same place,
  // shown instead of the HTML file's while the book is chosen.
  txtOutput_[epubFileBox] = makeBox(frame1, QStringLiteral("txtOutput(5)"), QString());
  txtOutput_[epubFileBox]->setReadOnly(true);
  txtOutput_[epubFileBox]->setEnabled(false);
  txtOutput_[epubFileBox]->hide();
  placeBox(txtOutput_[epubFileBox], 360, 1485, 3495, 270);
  cmdEpubSelect_ = makeButton(frame1, QStringLiteral("cmdEpubSelect"), texts::fileDialogTitle);
  cmdEpubSelect_->setEnabled(false);
  cmdEpubSelect_->hide();
  placeBox(cmdEpubSelect_, 1920, 1830, 1935, 375);

  makeLabel(22, frame2, QStringLiteral("出力先ﾌｫﾙﾀﾞ"), 120, 360);
  txtOutput_[outputFolderBox] = makeBox(frame2, QStringLiteral("txtOutput(1)"), QString());
  txtOutput_[outputFolderBox]->setReadOnly(true);
  txtOutput_[outputFolderBox]->setEnabled(false);
  placeBox(txtOutput_[outputFolderBox], 120, 600, 2655, 270);
  cmdFolderSelect_ =
      makeButton(frame2, QStringLiteral("cmdFolderSelect"), QStringLiteral("出力先ﾌｫﾙﾀﾞの指定"));
  cmdFolderSelect_->setEnabled(false);
  placeBox(cmdFolderSelect_, 2880, 548, 1935, 375);
  makeLabel(23, frame2, QStringLiteral("ﾌｧｲﾙ名（拡張子は付けないで下さい）"), 120, 1080);
  txtOutput_[baseNameBox] = makeBox(frame2, QStringLiteral("txtOutput(2)"), QString());
  txtOutput_[baseNameBox]->setEnabled(false);
  placeBox(txtOutput_[baseNameBox], 120, 1320, 4695, 270);
  chkOutput_[pageLinksBox] = makeCheck(frame2, QStringLiteral("chkOutput(0)"),
                                       QStringLiteral("ﾍﾟｰｼﾞﾘﾝｸを付加する"), checkState(start.addPageLinks));
  place(chkOutput_[pageLinksBox], 120, 1680, 1935, 180);
  chkOutput_[pageNumbersBox] =
      makeCheck(frame2, QStringLiteral("chkOutput(1)"), QStringLiteral("ﾍﾟｰｼﾞ番号を付加する"),
                checkState(start.addPageNumbers));
  place(chkOutput_[pageNumbersBox], 120, 1920, 2055, 180);
  chkOutput_[pageLinksBox]->setEnabled(false);
  chkOutput_[pageNumbersBox]->setEnabled(false);

  QLabel* perPage = makeLabel(26, frame2, QStringLiteral("１ﾍﾟｰｼﾞ当りｺﾗﾑ数"), 2160, 1725, 1440, 180);
  perPage->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  txtPageColum_ = makeBox(frame2, QStringLiteral("txtPageColum"), QStringLiteral("1"));
  txtPageColum_->setEnabled(false);
  placeBox(txtPageColum_, 3675, 1680, 495, 270);
  updnColumnPage_ = new UpDown(txtPageColum_, 1, 100, 1, 1, frame2);
  updnColumnPage_->setObjectName(QStringLiteral("updnColumnPage"));
  updnColumnPage_->setEnabled(false);
  placeBox(updnColumnPage_, 4185, 1680, 240, 270);
  makeLabel(27, frame2, QStringLiteral("組"), 4515, 1725);

  // Beside the title and the BODY tag: the files' encoding and the reading text.
  auto* fraEncoding = new QGroupBox(texts::encodingFrame, page);
  fraEncoding->setObjectName(QStringLiteral("fraEncoding"));
  placeBox(fraEncoding, 5280, 2520, 3855, 615);
  const char* encodings[2] = {"Shift_JIS", "UTF-8"};
  for (int i = 0; i < 2; ++i) {
    auto* option = new QRadioButton(QString::fromUtf8(encodings[i]), fraEncoding);
    option->setObjectName(indexed("optEncoding", i));
    place(option, 120 + 1800 * i, 300, 1695, 180);
    optEncoding_[i] = option;
  }
  optEncoding_[start.outputEncoding == OutputEncoding::utf8 ? 1 : 0]->setChecked(true);
  chkAccessibleText_ = makeCheck(page, QStringLiteral("chkAccessibleText"), texts::accessibleText,
                                 start.accessibleText ? Qt::Checked : Qt::Unchecked);
  place(chkAccessibleText_, 5400, 3405, 3735, 180);

  for (QWidget* w : {static_cast<QWidget*>(frame1), static_cast<QWidget*>(frame2),
                     static_cast<QWidget*>(fraEncoding), static_cast<QWidget*>(chkAccessibleText_)})
    w->setFont(uiFont());
}

void frmMain::buildHtmlPage(QWidget* page) {
  makeLabel(19, page, QStringLiteral("変換されたＨＴＭＬ文章"), 120, 120, 1920, 180);
  txtHTML_ = new QPlainTextEdit(page);
  txtHTML_->setObjectName(QStringLiteral("txtHTML"));
  txtHTML_->setFont(QFont(texts::defaultFontFace, 8.25));
  txtHTML_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtHTML_->setTabChangesFocus(true);
  // The pane shows what the run wrote; keeping every appended block for undo
  // would cost the run more time than the blocks themselves.
  txtHTML_->setUndoRedoEnabled(false);
  placeBox(txtHTML_, 120, 360, 9015, 2895);
  cmdAllSelect1_ = makeButton(page, QStringLiteral("cmdAllSelect(1)"), QStringLiteral("全てｸﾘｯﾌﾟﾎﾞｰﾄﾞへ"));
  placeBox(cmdAllSelect1_, 7440, 3300, 1695, 375);
  growth_.push_back({txtHTML_, txtHTML_->geometry(), true, true, false, false});
  growth_.push_back({cmdAllSelect1_, cmdAllSelect1_->geometry(), false, false, true, true});
  connect(cmdAllSelect1_, &QPushButton::clicked, this, [this] { Q_EMIT cmdAllSelectClicked(1); });
}

std::vector<const OptionEntry*> typesettingCheckBoxes() {
  std::vector<const OptionEntry*> boxes;
  for (const OptionEntry& o : optionTable()) {
    const bool twoWords = o.type == OptionType::choice && o.choices.size() == 2;
    if (o.group == OptionGroup::typesetting && !o.caption.empty() && o.control.starts_with("chk") &&
        (o.type == OptionType::flag || twoWords))
      boxes.push_back(&o);
  }
  return boxes;
}

bool checkedFor(const OptionEntry& option, const ConversionSettings& settings) {
  if (option.onOff != nullptr) return settings.*option.onOff;
  return option.choiceOf != nullptr && option.choices.size() == 2 &&
         option.choiceOf(settings) == option.choices[1].value;
}

void frmMain::buildTypesetPage(QWidget* page) {
  // The start values are the settings record's own.
  const ConversionSettings start;
  // The check boxes, one column in the table's order: a new option of the
  // group appears here with its caption and object name.
  int row = 0;
  for (const OptionEntry* o : typesettingCheckBoxes()) {
    QCheckBox* box =
        makeCheck(page, QString::fromUtf8(o->control.data(), static_cast<qsizetype>(o->control.size())),
                  QString::fromStdU16String(std::u16string(o->caption)), checkState(checkedFor(*o, start)));
    place(box, 240, 240 + 300 * row++, 4335, 180);
    typesetChecks_.push_back(box);
  }
  const auto boxOf = [page](std::string_view key) {
    const std::string_view control = findOption(key)->control;
    return page->findChild<QCheckBox*>(
        QString::fromUtf8(control.data(), static_cast<qsizetype>(control.size())));
  };
  chkAozora_ = boxOf("aozoraNotation");
  chkEditorNotes_ = boxOf("showEditorNotes");

  // How the text is set, and how ruby is written, beside them.
  auto* fraStyle = new QGroupBox(texts::styleFrame, page);
  fraStyle->setObjectName(QStringLiteral("fraStyle"));
  fraStyle->setFont(uiFont());
  placeBox(fraStyle, 4800, 120, 4335, 855);
  const QString styleCaptions[2] = {texts::styleGrid, texts::styleFlow};
  for (int i = 0; i < 2; ++i) {
    optStyle_[i] = new QRadioButton(styleCaptions[i], fraStyle);
    optStyle_[i]->setObjectName(indexed("optStyle", i));
    place(optStyle_[i], 120, 300 + 240 * i, 4095, 180);
  }
  optStyle_[static_cast<std::size_t>(start.textStyle)]->setChecked(true);
  auto* fraRuby = new QGroupBox(texts::rubyFrame, page);
  fraRuby->setObjectName(QStringLiteral("fraRuby"));
  fraRuby->setFont(uiFont());
  placeBox(fraRuby, 4800, 1080, 4335, 855);
  const QString rubyCaptions[2] = {texts::rubyParen, texts::rubyDrop};
  for (int i = 0; i < 2; ++i) {
    optRuby_[i] = new QRadioButton(rubyCaptions[i], fraRuby);
    optRuby_[i]->setObjectName(indexed("optRuby", i));
    place(optRuby_[i], 120, 300 + 240 * i, 4095, 180);
  }
  optRuby_[static_cast<std::size_t>(start.rubyMode)]->setChecked(true);
  connect(chkAozora_, &QCheckBox::toggled, this, &frmMain::chkTypeset_Click);
  chkTypeset_Click();
}

void frmMain::setKeyboardOrder() {
  // Hidden pages keep their place in the order; Qt skips what is not shown.
  std::vector<QWidget*> order{ssTabMain_,
                              cmdFontChange_,
                              txtMain_,
                              txtFind_,
                              findBar_->findChild<QWidget*>(QStringLiteral("cmdFindPrevious")),
                              findBar_->findChild<QWidget*>(QStringLiteral("cmdFindNext")),
                              findBar_->findChild<QWidget*>(QStringLiteral("cmdFindClose")),
                              chkAutoPreview_,
                              chkCSS_,
                              txtAppearance_[charsPerLineBox],
                              txtAppearance_[linesPerColumnBox],
                              txtAppearance_[charSpacingBox],
                              txtAppearance_[lineSpacingBox],
                              txtAppearance_[columnGapBox],
                              txtAppearance_[tabWidthBox],
                              chkOpt_[kanjiNumeralsBox],
                              chkOpt_[textColourBox],
                              chkOpt_[gridBox],
                              chkOpt_[ruleBox],
                              chkOpt_[centreBox]};
  for (UpDown* spin : updnAppearance_) order.push_back(spin);
  for (QWidget* w : std::initializer_list<QWidget*>{optOutput_[0],
                                                    optOutput_[1],
                                                    optOutput_[2],
                                                    optOutput_[3],
                                                    cmdFileSelect_,
                                                    cmdEpubSelect_,
                                                    cmdFolderSelect_,
                                                    txtOutput_[baseNameBox],
                                                    chkOutput_[pageLinksBox],
                                                    chkOutput_[pageNumbersBox],
                                                    updnColumnPage_,
                                                    optEncoding_[0],
                                                    optEncoding_[1],
                                                    chkAccessibleText_,
                                                    txtOutput_[titleBox],
                                                    txtOutput_[bodyTagBox],
                                                    txtHTML_,
                                                    cmdAllSelect1_,
                                                    txtOutput_[singleFileBox],
                                                    txtOutput_[epubFileBox],
                                                    txtOutput_[outputFolderBox],
                                                    txtPageColum_}) {
    order.push_back(w);
  }
  for (QCheckBox* box : typesetChecks_) order.push_back(box);
  for (QWidget* w : {optStyle_[0], optStyle_[1], optRuby_[0], optRuby_[1]}) order.push_back(w);
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  txtSampleFont_->setFocusPolicy(Qt::NoFocus);
  for (QLineEdit* box : txtFont_) box->setFocusPolicy(Qt::ClickFocus);
  txtHeight_->setFocusPolicy(Qt::ClickFocus);
  txtWidth_->setFocusPolicy(Qt::ClickFocus);
  toolbarReload_->setFocusPolicy(Qt::NoFocus);
  brwIE_->setFocusPolicy(Qt::ClickFocus);
}

void frmMain::connectRules() {
  for (QLineEdit* box : txtAppearance_)
    connect(box, &QLineEdit::textChanged, this, &frmMain::txtAppearance_Change);
  for (int i = 0; i < 2; ++i)
    connect(txtFont_[i], &QLineEdit::textChanged, this, [this, i] { txtFont_Change(i); });
  connect(txtPageColum_, &QLineEdit::textChanged, this, &frmMain::txtPageColum_Change);
  connect(txtMain_, &QPlainTextEdit::textChanged, this, &frmMain::txtMain_Change);
  // A check box's value set by the program raises its click rule too.
  connect(chkCSS_, &QCheckBox::stateChanged, this, &frmMain::chkCSS_Click);
  for (QRadioButton* option : optOutput_) {
    connect(option, &QRadioButton::toggled, this, [this](bool on) {
      if (on) optOutput_Click();
    });
  }
  connect(cmdFontChange_, &QPushButton::clicked, this, &frmMain::cmdFontChange_Click);
  connect(cmdFileSelect_, &QPushButton::clicked, this, &frmMain::cmdFileSelect_Click);
  connect(cmdFolderSelect_, &QPushButton::clicked, this, &frmMain::cmdFolderSelect_Click);
  connect(cmdEpubSelect_, &QPushButton::clicked, this, &frmMain::cmdEpubSelect_Click);
  connect(mnuVersion_, &QAction::triggered, this, &frmMain::mnuVersion_Click);

  txtMain_->installEventFilter(this);
  chkAutoPreview_->installEventFilter(this);
  findBar_->findChild<QWidget*>(QStringLiteral("cmdFindClose"))->installEventFilter(this);
  for (QCheckBox* box : chkOpt_)
    if (box != nullptr) box->installEventFilter(this);
  cmdAllSelect1_->installEventFilter(this);
  txtOutput_[bodyTagBox]->installEventFilter(this);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ssTabMain_) {
    if (event->type() == QEvent::Resize) growWithWindow();
    return QMainWindow::eventFilter(watched, event);
  }
  if (event->type() == QEvent::FocusOut) {
    // The last control of a page hands the keyboard back to the tab strip, so
    // Tab never walks on into a page that is not shown. Leaving the window, a
    // popup menu, or a click into another control keep the user's choice.
    // While the find bar is shown, it is the source page's last control.
    if (watched == txtMain_ && findBar_ && !findBar_->isHidden())
      return QMainWindow::eventFilter(watched, event);
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
        reason != Qt::MouseFocusReason) {
      QTimer::singleShot(0, this, &frmMain::giveFocusToTabStrip);
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void frmMain::giveFocusToTabStrip() {
  // A failure to move the focus is of no consequence; a dialog in front keeps it.
  if (isActiveWindow()) ssTabMain_->tabBar()->setFocus(Qt::TabFocusReason);
}

void frmMain::closeEvent(QCloseEvent* event) {
  // Closing is refused silently while a conversion runs, and when the user
  // keeps edited text.
  if (!closeAllowed_ || (closeGuard_ && !closeGuard_())) {
    event->ignore();
    return;
  }
  if (helpWindow_) helpWindow_->close();
  QMainWindow::closeEvent(event);
}

void frmMain::growWithWindow() {
  // Every page grows by as much as the tab control has grown beyond its design size.
  const QSize grown = ssTabMain_->size() - ssTabMain_->minimumSize();
  const int dx = std::max(0, grown.width());
  const int dy = std::max(0, grown.height());
  for (const Growth& g : growth_) {
    QRect r = g.design;
    if (g.right) r.setWidth(r.width() + dx);
    if (g.bottom) r.setHeight(r.height() + dy);
    if (g.moveRight) r.moveLeft(r.left() + dx);
    if (g.moveBottom) r.moveTop(r.top() + dy);
    g.widget->setGeometry(r);
  }
  // The find bar takes the foot of the source pane while it is shown.
  if (findBar_ && !findBar_->isHidden()) {
    QRect pane = txtMain_->geometry();
    const int h = findBar_->sizeHint().height();
    findBar_->setGeometry(pane.left(), pane.bottom() + 1 - h, pane.width(), h);
    pane.setHeight(pane.height() - h - 2);
    txtMain_->setGeometry(pane);
  }
}

void frmMain::setSourceFile(const QString& path, SourceEncoding encoding) {
  sourceFile_ = path;
  sourceEncoding_ = encoding;
  updateTitle();
}

bool frmMain::sourceModified() const {
  // An empty pane holds nothing to lose.
  return txtMain_->document()->isModified() && !txtMain_->document()->isEmpty();
}

void frmMain::setSourceModified(bool modified) {
  txtMain_->document()->setModified(modified);
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

bool frmMain::event(QEvent* event) {
  // The status bar's simple text stays until the program sets another; the
  // status tips of menus and buttons the mouse passes over would clear it.
  if (event->type() == QEvent::StatusTip) return true;
  return QMainWindow::event(event);
}

void frmMain::setStatusText(const QString& text) {
  statusBar()->showMessage(text);
}

QString frmMain::statusText() const {
  return statusBar()->currentMessage();
}

QString frmMain::sourceText() const {
  return txtMain_->sourceText();
}

qsizetype frmMain::sourceLength() const {
  return txtMain_->sourceLength();
}

void frmMain::clearSource() {
  // The pane's change rule brings the hint back in place of the count.
  txtMain_->clear();
}

void frmMain::clearHtml() {
  txtHTML_->clear();
}

void frmMain::appendHtml(const QString& markup) {
  appendMarkupToPane(*txtHTML_, markup);
}

void frmMain::showTab(Tab tab) {
  ssTabMain_->setCurrentIndex(static_cast<int>(tab));
}

void frmMain::setBusy(bool busy) {
  busy_ = busy;
  txtHTML_->setVisible(!busy);
  closeAllowed_ = !busy;
  ssTabMain_->setEnabled(!busy);
  cmdAllSelect1_->setEnabled(!busy);
  if (busy) lblHcov_[countLabel]->setText(texts::converting);
  for (QAction* button : toolbarButtons_)
    if (button != nullptr) button->setEnabled(!busy);
  // Stop is usable only while a run is in progress.
  commandButton(Command::stop)->setEnabled(busy);
  // Puts the character count (or the hint) back in place of "変換処理中...".
  if (!busy) txtMain_Change();
  txtMain_->setEnabled(!busy);
}

void frmMain::setLoading(bool loading) {
  toolbar1_->setEnabled(!loading);
  ssTabMain_->setEnabled(!loading);
}

// The button of a medium: the window's buttons stand in the order the writer
// registry remembers the media by ("0" to "3").
QRadioButton* frmMain::outputOption(std::string_view mode) const {
  const WriterEntry* writer = findWriter(mode);
  const int index = writer != nullptr
                        ? QString::fromLatin1(writer->remembered.data(), writer->remembered.size()).toInt()
                        : 0;
  return optOutput_[static_cast<std::size_t>(index)];
}

void frmMain::chooseOutputMode(std::string_view mode) {
  QRadioButton* option = outputOption(mode);
  // Selecting the option runs its rule as a click would; an option already
  // selected raises no change, so its rule is run here.
  if (option->isChecked()) {
    optOutput_Click();
  } else {
    option->setChecked(true);
  }
}

QFileDialog* frmMain::FileDialog() {
  if (fileDialog_ == nullptr) {
    fileDialog_ = new QFileDialog(this);
    fileDialog_->setObjectName(QStringLiteral("FileDialog"));
    // The program's own dialog, so its texts and behaviour are the same everywhere.
    fileDialog_->setOption(QFileDialog::DontUseNativeDialog, true);
  }
  // Every use starts with an empty file name, not the one chosen last time
  // (selectFile() leaves the name box alone when given no name).
  if (auto* name = fileDialog_->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->clear();
  return fileDialog_;
}

FontChooser* frmMain::FontDialog() {
  if (fontDialog_ == nullptr) fontDialog_ = new FontChooser(this);
  return fontDialog_;
}

}  // namespace zelvato::ui
