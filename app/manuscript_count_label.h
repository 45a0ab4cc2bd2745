#pragma once

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

}  // namespace zelvato
