#include "source_page.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>

#include "controls.h"
#include "document/number_text.h"
#include "frm_main_texts.h"
#include "source_text_edit.h"

namespace zelvato::ui {

namespace {

// In the find field, Enter finds the next match, Shift+Enter the previous one, Esc closes the bar.
class FindKeys final : public QObject {
 public:
  FindKeys(QObject* parent, std::function<void(bool)> find, std::function<void()> close)
      : QObject(parent), find_(std::move(find)), close_(std::move(close)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      find_(key->modifiers() & Qt::ShiftModifier);
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      close_();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void(bool)> find_;
  std::function<void()> close_;
};

}  // namespace

SourcePage::SourcePage(QWidget* parent) : QWidget(parent) {
  // The band in the shadow colour behind the page's title and the count.
  auto* shp = new QFrame(this);
  shp->setObjectName(QStringLiteral("shp"));
  shp->setAutoFillBackground(true);
  QPalette band = shp->palette();
  band.setColor(QPalette::Window, palette().color(QPalette::Dark));
  shp->setPalette(band);
  shp->setFixedHeight(17);
  QPalette light = shp->palette();
  light.setColor(QPalette::WindowText, palette().color(QPalette::HighlightedText));
  QLabel* title = controls::label(shp, 12, QStringLiteral("変換元文章..."));
  QFont bold(texts::labelFontFace, 9);
  bold.setBold(true);
  title->setFont(bold);
  title->setPalette(light);
  title->setFixedWidth(80);
  count_ = controls::label(shp, 20, texts::mainHint);
  count_->setPalette(light);
  auto* bandRow = new QHBoxLayout(shp);
  bandRow->setContentsMargins(8, 0, 8, 0);
  bandRow->setSpacing(0);
  bandRow->addWidget(title);
  bandRow->addWidget(count_, 1);

  txtMain_ = new SourceTextEdit(this);
  txtMain_->setObjectName(QStringLiteral("txtMain"));
  txtMain_->setFont(QFont(texts::defaultFontFace, 9));
  txtMain_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // A whole novel loads and edits without the pane laying out every line at once.
  txtMain_->setCenterOnScroll(false);
  connect(txtMain_, &QPlainTextEdit::textChanged, this, &SourcePage::txtMain_Change);

  headings_ = new QListWidget(this);
  headings_->setObjectName(QStringLiteral("lstHeadings"));
  headings_->setToolTip(texts::headingsTip);
  headings_->hide();
  // Arrow keys walk the headings; a click jumps, also to the heading chosen before.
  connect(headings_, &QListWidget::currentRowChanged, this, &SourcePage::jumpToHeading);
  connect(headings_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { jumpToHeading(headings_->row(item)); });
  // Enter or a double click goes on to write there.
  connect(headings_, &QListWidget::itemActivated, this, [this] { txtMain_->setFocus(Qt::OtherFocusReason); });
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->setObjectName(QStringLiteral("sourceSplitter"));
  split->setChildrenCollapsible(false);
  split->addWidget(headings_);
  split->addWidget(txtMain_);
  // The text takes what the window grows by; the list keeps its width.
  split->setStretchFactor(0, 0);
  split->setStretchFactor(1, 1);
  split->setSizes({180, 600});

  // The vertical page at the right of the text, as the run set it; the window
  // puts the preview's browser here while this page is shown.
  pagePane_ = new QFrame(this);
  pagePane_->setObjectName(QStringLiteral("pagePane"));
  pagePane_->setFrameShape(QFrame::StyledPanel);
  pagePane_->setFrameShadow(QFrame::Sunken);
  pagePane_->setMinimumWidth(120);
  auto* paneColumn = new QVBoxLayout(pagePane_);
  paneColumn->setContentsMargins(1, 1, 1, 1);
  pageSplitter_ = new QSplitter(Qt::Horizontal, this);
  pageSplitter_->setObjectName(QStringLiteral("pageSplitter"));
  pageSplitter_->setChildrenCollapsible(true);
  pageSplitter_->addWidget(split);
  pageSplitter_->addWidget(pagePane_);
  pageSplitter_->setCollapsible(0, false);
  // Text and page share what the window grows by.
  pageSplitter_->setStretchFactor(0, 1);
  pageSplitter_->setStretchFactor(1, 1);
  pageSplitter_->setSizes({500, 500});

  findBar_ = new QWidget(this);
  findBar_->setObjectName(QStringLiteral("findBar"));
  auto* findRow = new QHBoxLayout(findBar_);
  findRow->setContentsMargins(2, 2, 2, 2);
  findRow->addWidget(new QLabel(texts::findLabel, findBar_));
  txtFind_ = new QLineEdit(findBar_);
  txtFind_->setObjectName(QStringLiteral("txtFind"));
  findRow->addWidget(txtFind_, 1);
  QPushButton* previous = controls::button(findBar_, QStringLiteral("cmdFindPrevious"), texts::findPrevious);
  QPushButton* next = controls::button(findBar_, QStringLiteral("cmdFindNext"), texts::findNext);
  QPushButton* close = controls::button(findBar_, QStringLiteral("cmdFindClose"), texts::findClose);
  for (QPushButton* b : {previous, next}) findRow->addWidget(b);
  findRow->addWidget(new QLabel(texts::replaceLabel, findBar_));
  txtReplace_ = new QLineEdit(findBar_);
  txtReplace_->setObjectName(QStringLiteral("txtReplace"));
  findRow->addWidget(txtReplace_, 1);
  QPushButton* replace = controls::button(findBar_, QStringLiteral("cmdReplace"), texts::replaceOne);
  QPushButton* replaceAll = controls::button(findBar_, QStringLiteral("cmdReplaceAll"), texts::replaceAll);
  findResult_ = new QLabel(findBar_);
  findResult_->setObjectName(QStringLiteral("lblFindResult"));
  for (QWidget* w : {static_cast<QWidget*>(replace), static_cast<QWidget*>(replaceAll),
                     static_cast<QWidget*>(findResult_), static_cast<QWidget*>(close)})
    findRow->addWidget(w);
  connect(previous, &QPushButton::clicked, this, [this] { findInSource(true); });
  connect(next, &QPushButton::clicked, this, [this] { findInSource(false); });
  connect(replace, &QPushButton::clicked, this, &SourcePage::replaceInSource);
  connect(replaceAll, &QPushButton::clicked, this, &SourcePage::replaceAllInSource);
  connect(close, &QPushButton::clicked, this, &SourcePage::closeFindBar);
  connect(txtFind_, &QLineEdit::textEdited, findResult_, &QLabel::clear);
  txtFind_->installEventFilter(new FindKeys(
      findBar_, [this](bool backward) { findInSource(backward); }, [this] { closeFindBar(); }));
  txtReplace_->installEventFilter(new FindKeys(
      findBar_, [this](bool) { replaceInSource(); }, [this] { closeFindBar(); }));
  findBar_->hide();

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(8, 10, 8, 8);
  column->setSpacing(0);
  column->addWidget(shp);
  column->addSpacing(2);
  column->addWidget(pageSplitter_, 1);
  column->addWidget(findBar_);
}

SourcePage::TextCounts SourcePage::countText(QStringView text) {
  TextCounts counts;
  qint64 breaks = 0;
  for (const QChar c : text) {
    if (c == u'\n')
      ++breaks;
    else if (!c.isLowSurrogate())
      ++counts.characters;
  }
  if (!text.isEmpty()) counts.lines = breaks + (text.endsWith(u'\n') ? 0 : 1);
  return counts;
}

QString SourcePage::characterCountText(TextCounts counts) {
  if (counts.characters <= 0 && counts.lines <= 0) return texts::mainHint;
  const auto grouped = [](qint64 n) { return QString::fromStdU16String(groupThousands(formatNumber(n, 1))); };
  return texts::countPrefix + grouped(counts.characters) + texts::countSuffix.arg(grouped(counts.lines));
}

void SourcePage::txtMain_Change() {
  count_->setText(characterCountText(countText(txtMain_->toPlainText())));
}

void SourcePage::showConverting() {
  count_->setText(texts::converting);
}

void SourcePage::showFindBar() {
  findBar_->show();
  // What is selected in the pane is what the user most likely looks for.
  const QString selected = txtMain_->textCursor().selectedText();
  if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) txtFind_->setText(selected);
  txtFind_->setFocus(Qt::ShortcutFocusReason);
  txtFind_->selectAll();
}

void SourcePage::closeFindBar() {
  findBar_->hide();
  txtMain_->setFocus(Qt::OtherFocusReason);
}

bool SourcePage::findBarShown() const {
  return !findBar_->isHidden();
}

bool SourcePage::findInSource(bool backward) {
  findResult_->clear();
  const QString text = txtFind_->text();
  if (text.isEmpty()) return false;
  const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  if (txtMain_->find(text, flags)) return true;
  // Wraps around to the other end once.
  const QTextCursor before = txtMain_->textCursor();
  txtMain_->moveCursor(backward ? QTextCursor::End : QTextCursor::Start);
  if (txtMain_->find(text, flags)) return true;
  txtMain_->setTextCursor(before);
  findResult_->setText(texts::notFound);
  return false;
}

bool SourcePage::replaceInSource() {
  const QString text = txtFind_->text();
  if (text.isEmpty()) return false;
  QTextCursor cursor = txtMain_->textCursor();
  const bool onAMatch = cursor.hasSelection() && cursor.selectedText() == text;
  if (onAMatch) {
    cursor.insertText(txtReplace_->text());
    txtMain_->setTextCursor(cursor);
  }
  const bool more = findInSource(false);
  return onAMatch || more;
}

int SourcePage::replaceAllInSource() {
  findResult_->clear();
  const QString text = txtFind_->text();
  if (text.isEmpty()) return 0;
  QTextDocument* document = txtMain_->document();
  QTextCursor edit(document);
  edit.beginEditBlock();
  int replaced = 0;
  QTextCursor match = document->find(text, 0);
  while (!match.isNull()) {
    match.insertText(txtReplace_->text());
    ++replaced;
    // Searching on after the replacement never finds text the replacement made.
    match = document->find(text, match.position());
  }
  edit.endEditBlock();
  findResult_->setText(replaced > 0 ? texts::replacedCount.arg(replaced) : texts::notFound);
  return replaced;
}

void SourcePage::setOutline(const Outline& outline) {
  if (outline == outline_) return;
  outline_ = outline;
  const QSignalBlocker quiet(headings_);
  headings_->clear();
  for (const OutlineHeading& heading : outline) {
    // Deeper headings stand further in.
    headings_->addItem(QString(heading.level - 1, QChar(u'\u3000')) + heading.text);
  }
  headings_->setVisible(!outline.isEmpty());
}

void SourcePage::jumpToHeading(int row) {
  if (row < 0 || row >= outline_.size()) return;
  const QTextBlock block = txtMain_->blockOfLine(outline_[row].line);
  if (!block.isValid()) return;
  QTextCursor at(block);
  txtMain_->setTextCursor(at);
  txtMain_->centerCursor();
}

QList<QWidget*> SourcePage::keyboardOrder() const {
  const auto named = [this](const char* name) { return findBar_->findChild<QWidget*>(QLatin1String(name)); };
  return {headings_,
          txtMain_,
          txtFind_,
          named("cmdFindPrevious"),
          named("cmdFindNext"),
          txtReplace_,
          named("cmdReplace"),
          named("cmdReplaceAll"),
          named("cmdFindClose")};
}

QWidget* SourcePage::lastControl() const {
  // While the find bar is shown, its close button is the page's last control.
  return findBarShown() ? findBar_->findChild<QWidget*>(QStringLiteral("cmdFindClose")) : txtMain_;
}

}  // namespace zelvato::ui
