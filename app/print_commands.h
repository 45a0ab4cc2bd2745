#pragma once

namespace zelvato {

namespace ui {
class frmMain;
}

// The manuscript commands of the main window, each with the window's settings
// as they are now, both through the writer registry's manuscript PDF, written
// by the run's worker with the progress window and Stop (runManuscriptPdf):
// "印刷…" (Ctrl+P) writes the PDF to the private temporary folder and shows
// its very pages in the print preview, which prints them; "PDFに書き出す…"
// asks for a file and writes the PDF there.

void printManuscript(ui::frmMain& window);
void exportManuscriptPdf(ui::frmMain& window);

}  // namespace zelvato
