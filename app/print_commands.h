#pragma once

namespace zelvato {

namespace ui {
class frmMain;
}

// The manuscript commands of the main window, each with the window's settings
// as they are now: "印刷…" (Ctrl+P) opens Qt's print preview of the text on
// manuscript paper; "PDFに書き出す…" asks for a file and writes the PDF there.

void printManuscript(ui::frmMain& window);
void exportManuscriptPdf(ui::frmMain& window);

// After every conversion: "400字詰め原稿用紙換算 N 枚" for the window's source,
// at the right of the status bar.
void showManuscriptCount(ui::frmMain& window);

}  // namespace zelvato
