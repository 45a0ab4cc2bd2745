#pragma once

#include <QObject>
#include <QPoint>
#include <QWebEnginePage>
#include <memory>
#include <string>
#include <vector>

#include "page_map.h"

class QWebEngineView;

namespace zelvato::ui {

class SourceTextEdit;

// What a run tells the window about the page it wrote: the source as it read
// it, how the page counts the source's characters, and for a grid page where
// each cell came from (a flowing page marks its paragraphs itself).
struct PageSource {
  std::u16string source;  // line breaks as CR LF
  PageCounting counting;
  bool flowing = false;
  bool bars = false;  // a bar between the cells of a grid row
  GridPageMap grid;
};

// The page of the preview browser: it runs the page's part of keeping the
// page in step with the source, and hands on what that part tells the window.
class SyncedWebPage final : public QWebEnginePage {
  Q_OBJECT
 public:
  explicit SyncedWebPage(QObject* parent = nullptr);

 Q_SIGNALS:
  // A message of the page's script, without its "zelvato:" prefix.
  void pageMessage(const QString& message);

 protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                const QString& source) override;
};

// Keeps the page beside the source in step with it: a move of the source's
// cursor marks its character on the page (and scrolls the page to it when it
// is out of sight); a click on the page puts the cursor at the character
// clicked; a new page of the live preview opens where the reader was.
class PageSync final : public QObject {
  Q_OBJECT
 public:
  PageSync(SourceTextEdit& editor, QWebEngineView& browser, QObject* parent = nullptr);

  // The page the next load of the browser shows; null: a page that knows no source.
  void setPageSource(std::shared_ptr<const PageSource> page);
  bool hasPage() const { return page_ != nullptr && ready_; }
  // Marks the character at the cursor now, and scrolls the page to it when it is out of sight.
  void followCursor();

 Q_SIGNALS:
  // The page marked the cursor's character (`text` as the page shows it), or
  // could not (false).
  void marked(bool found, const QString& text);
  // A click on the page put the cursor at this position of the editor.
  void cursorPlaced(int position);

 private:
  void pageLoaded(bool ok);
  void pageMessage(const QString& message);
  void placeCursor(std::size_t offset);
  void markCursor(bool scroll);
  std::size_t cursorOffset() const;
  // The cursor's line of the text and column in it (a long line is shown in pieces).
  std::pair<int, int> cursorLineAndColumn() const;

  SourceTextEdit& editor_;
  QWebEngineView& browser_;
  std::shared_ptr<const PageSource> next_;
  std::shared_ptr<const PageSource> page_;
  SourceLines lines_;
  std::vector<std::size_t> paragraphs_;  // a flowing page's paragraph starts
  bool ready_ = false;
  QPoint place_;  // where the reader had scrolled the page to
  bool placeKnown_ = false;
  quint64 requests_ = 0;      // the marks asked of the page
  bool inFlight_ = false;     // a mark asked for has not been answered yet
  bool followLater_ = false;  // the cursor moved meanwhile
};

}  // namespace zelvato::ui
