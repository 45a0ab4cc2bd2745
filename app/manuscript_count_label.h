#pragma once

namespace zelvato {

namespace ui {
class frmMain;
}

// 「400字詰め原稿用紙換算 N 枚」 at the right of the status bar, kept in step
// with the text and the settings that change it: counted on a worker thread a
// moment after the last change, so typing never waits for it, and counted
// again when the text changed meanwhile. Empty for an empty text.
void installManuscriptCount(ui::frmMain& window);

}  // namespace zelvato
