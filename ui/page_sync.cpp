#include "page_sync.h"

#include <QFile>
#include <QTextBlock>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>
#include <algorithm>

#include "source_text_edit.h"

namespace zelvato::ui {

namespace {

const QString messagePrefix = QStringLiteral("zelvato:");

}  // namespace

SyncedWebPage::SyncedWebPage(QObject* parent) : QWebEnginePage(parent) {
  // The page's part is the program's own script, run in every page the browser loads.
  QFile file(QStringLiteral(":/zelvato/page_sync.js"));
  if (!file.open(QIODevice::ReadOnly)) return;
  QWebEngineScript script;
  script.setName(QStringLiteral("zelvato-page-sync"));
  script.setSourceCode(QString::fromUtf8(file.readAll()));
  script.setInjectionPoint(QWebEngineScript::DocumentReady);
  script.setWorldId(QWebEngineScript::MainWorld);
  script.setRunsOnSubFrames(false);
  scripts().insert(script);
}

void SyncedWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                             const QString&) {
  // A console message is the page's one way to the window: no channel object
  // has to be set up in a page that the run rewrites at every change.
  if (message.startsWith(messagePrefix)) Q_EMIT pageMessage(message.mid(messagePrefix.size()));
}

PageSync::PageSync(SourceTextEdit& editor, QWebEngineView& browser, QObject* parent)
    : QObject(parent), editor_(editor), browser_(browser) {
  // A move is marked at once; moves that come while the page is still marking
  // one (a key held down) are marked together when it answers.
  connect(&editor_, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    if (inFlight_)
      followLater_ = true;
    else
      followCursor();
  });
  connect(&browser_, &QWebEngineView::loadFinished, this, &PageSync::pageLoaded);
  if (auto* page = qobject_cast<SyncedWebPage*>(browser_.page()))
    connect(page, &SyncedWebPage::pageMessage, this, &PageSync::pageMessage);
}

void PageSync::setPageSource(std::shared_ptr<const PageSource> page) {
  next_ = std::move(page);
}

void PageSync::pageLoaded(bool ok) {
  // A new page answers nothing the page before was asked.
  inFlight_ = followLater_ = false;
  const QUrl url = browser_.url();
  if (!ok || !url.isLocalFile()) {
    ready_ = false;
    return;
  }
  if (next_) {
    page_ = std::exchange(next_, nullptr);
    lines_ = SourceLines(page_->source);
  }
  if (!page_) {
    ready_ = false;
    return;
  }
  // A flowing page is ready once its paragraphs are known.
  ready_ = !page_->flowing;
  paragraphs_.clear();
  QString setup = QStringLiteral("window.zelvatoPage && (zelvatoPage.bars = %1);").arg(page_->bars ? 1 : 0);
  // The reader's place first; the cursor's character is then brought into view only when it is out of it.
  if (placeKnown_) setup += QStringLiteral("window.scrollTo(%1, %2);").arg(place_.x()).arg(place_.y());
  browser_.page()->runJavaScript(setup);
  if (page_->flowing) {
    const std::shared_ptr<const PageSource> loaded = page_;
    browser_.page()->runJavaScript(QStringLiteral("window.zelvatoPage ? zelvatoPage.paragraphStarts() : []"),
                                   [this, loaded](const QVariant& v) {
                                     if (page_ != loaded) return;
                                     paragraphs_.clear();
                                     for (const QVariant& start : v.toList())
                                       paragraphs_.push_back(start.toULongLong());
                                     ready_ = true;
                                     markCursor(false);
                                   });
    return;
  }
  // The page opens where the reader was; the cursor's character is marked, not sought.
  markCursor(false);
}

std::pair<int, int> PageSync::cursorLineAndColumn() const {
  const QTextCursor cursor = editor_.textCursor();
  const int line = editor_.lineOfBlock(cursor.block());
  const QTextBlock first = editor_.blockOfLine(line);
  if (!first.isValid()) return {line, cursor.positionInBlock()};
  // The joins between the pieces of a long line are no characters of it.
  return {line, cursor.position() - first.position() - (cursor.blockNumber() - first.blockNumber())};
}

std::size_t PageSync::cursorOffset() const {
  const auto [line, column] = cursorLineAndColumn();
  return lines_.offsetOf(line, column);
}

void PageSync::followCursor() {
  markCursor(true);
}

void PageSync::markCursor(bool scroll) {
  // Only the answer to the latest request tells where the cursor is.
  const quint64 request = ++requests_;
  if (!hasPage()) {
    inFlight_ = false;
    Q_EMIT marked(false, QString());
    return;
  }
  const std::size_t offset = cursorOffset();
  QString call;
  if (page_->flowing) {
    const auto after = std::upper_bound(paragraphs_.begin(), paragraphs_.end(), offset);
    // Before the first paragraph (the title page): nothing to mark.
    if (after == paragraphs_.begin()) {
      inFlight_ = false;
      Q_EMIT marked(false, QString());
      return;
    }
    const auto n = static_cast<int>(after - paragraphs_.begin() - 1);
    const std::size_t count = pageCharactersBetween(page_->source, *(after - 1), offset, page_->counting);
    call = QStringLiteral("zelvatoPage.markText(%1, %2, %3)").arg(n).arg(count).arg(scroll ? 1 : 0);
  } else {
    auto cell = page_->grid.cellAt(offset);
    // Where the line shows nothing before the cursor (its start, an annotation), its first character shown.
    const std::size_t lineStart = lines_.offsetOf(cursorLineAndColumn().first, 0);
    if (cell && cell->source < lineStart)
      cell = page_->grid.cellAt(sourceOffsetAfter(page_->source, lineStart, 0, page_->counting));
    if (!cell) {
      inFlight_ = false;
      Q_EMIT marked(false, QString());
      return;
    }
    call = QStringLiteral("zelvatoPage.markCell(%1, %2, %3, %4)")
               .arg(cell->block)
               .arg(cell->row)
               .arg(cell->column)
               .arg(scroll ? 1 : 0);
  }
  inFlight_ = true;
  browser_.page()->runJavaScript(
      QStringLiteral("window.zelvatoPage ? [%1, zelvatoPage.marked] : [false, '']").arg(call),
      [this, request](const QVariant& v) {
        if (request != requests_) return;
        inFlight_ = false;
        if (std::exchange(followLater_, false)) {
          followCursor();
          return;
        }
        const QVariantList answer = v.toList();
        Q_EMIT marked(answer.size() == 2 && answer[0].toBool(), answer.value(1).toString());
      });
}

void PageSync::pageMessage(const QString& message) {
  const QStringList parts = message.split(u':');
  if (parts.size() == 3 && parts[0] == QLatin1String("place")) {
    place_ = QPoint(parts[1].toDouble(), parts[2].toDouble());
    placeKnown_ = true;
    return;
  }
  if (!hasPage()) return;
  if (parts.size() == 4 && parts[0] == QLatin1String("cell") && !page_->flowing) {
    if (const auto source = page_->grid.sourceAt(parts[1].toInt(), parts[2].toInt(), parts[3].toInt()))
      placeCursor(*source);
  } else if (parts.size() == 3 && parts[0] == QLatin1String("text") && page_->flowing) {
    placeCursor(
        sourceOffsetAfter(page_->source, parts[1].toULongLong(), parts[2].toULongLong(), page_->counting));
  }
}

void PageSync::placeCursor(std::size_t offset) {
  const auto [line, column] = lines_.lineAndColumn(offset);
  QTextBlock block = editor_.blockOfLine(line);
  if (!block.isValid()) return;
  // Along the pieces of a long line to the one that holds the column.
  int left = column;
  for (QTextBlock next = block.next();
       left > block.length() - 1 && next.isValid() && editor_.lineOfBlock(next) == line;
       next = block.next()) {
    left -= block.length() - 1;
    block = next;
  }
  QTextCursor cursor(block);
  cursor.setPosition(block.position() + std::clamp(left, 0, block.length() - 1));
  editor_.setTextCursor(cursor);
  editor_.ensureCursorVisible();
  // The writer clicked there to go on writing there.
  editor_.setFocus(Qt::MouseFocusReason);
  Q_EMIT cursorPlaced(cursor.position());
}

}  // namespace zelvato::ui
