#include "source_page.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
  txtMain_->setTabChangesFocus(true);
  // A whole novel loads and edits without the pane laying out every line at once.
  txtMain_->setCenterOnScroll(false);
  connect(txtMain_, &QPlainTextEdit::textChanged, this, &SourcePage::txtMain_Change);

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
  for (QPushButton* b : {previous, next, close}) findRow->addWidget(b);
  connect(previous, &QPushButton::clicked, this, [this] { findInSource(true); });
  connect(next, &QPushButton::clicked, this, [this] { findInSource(false); });
  connect(close, &QPushButton::clicked, this, &SourcePage::closeFindBar);
  txtFind_->installEventFilter(new FindKeys(
      findBar_, [this](bool backward) { findInSource(backward); }, [this] { closeFindBar(); }));
  findBar_->hide();

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(8, 10, 8, 8);
  column->setSpacing(0);
  column->addWidget(shp);
  column->addSpacing(2);
  column->addWidget(txtMain_, 1);
  column->addWidget(findBar_);
}

QString SourcePage::characterCountText(qint64 n) {
  if (n <= 0) return texts::mainHint;
  return texts::countPrefix + QString::fromStdU16String(groupThousands(formatNumber(n, 1))) +
         texts::countSuffix;
}

void SourcePage::txtMain_Change() {
  count_->setText(characterCountText(txtMain_->sourceLength()));
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
  const QString text = txtFind_->text();
  if (text.isEmpty()) return false;
  const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  if (txtMain_->find(text, flags)) return true;
  // Wraps around to the other end once.
  const QTextCursor before = txtMain_->textCursor();
  txtMain_->moveCursor(backward ? QTextCursor::End : QTextCursor::Start);
  if (txtMain_->find(text, flags)) return true;
  txtMain_->setTextCursor(before);
  return false;
}

QList<QWidget*> SourcePage::keyboardOrder() const {
  return {txtMain_, txtFind_, findBar_->findChild<QWidget*>(QStringLiteral("cmdFindPrevious")),
          findBar_->findChild<QWidget*>(QStringLiteral("cmdFindNext")),
          findBar_->findChild<QWidget*>(QStringLiteral("cmdFindClose"))};
}

QWidget* SourcePage::lastControl() const {
  // While the find bar is shown, its close button is the page's last control.
  return findBarShown() ? findBar_->findChild<QWidget*>(QStringLiteral("cmdFindClose")) : txtMain_;
}

}  // namespace zelvato::ui
