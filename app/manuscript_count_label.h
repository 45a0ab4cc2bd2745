#pragma once

#include <optional>

namespace zelvato {

namespace ui {
class frmMain;
}

// 「400字詰め原稿用紙換算 N 枚」 at the right of the status bar and the 見出し
// list beside the text, kept in step with the text and the settings that
// change them: the text is read on a worker thread a moment after the last
// change, so typing never waits for it, and read again when it changed
// meanwhile. Empty for an empty text.
void installManuscriptCount(ui::frmMain& window);

// After a run that wrote a typeset book: 「書籍 N ページ」 beside the count,
// until the text or a setting changes (nothing: no book was written).
void showBookPages(ui::frmMain& window, std::optional<int> pages);

}  // namespace zelvato
