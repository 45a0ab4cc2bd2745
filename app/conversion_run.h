#pragma once

#include <QString>
#include <functional>
#include <string>

#include "document/conversion_host.h"
#include "document/conversion_settings.h"
#include "run/conversion.h"

namespace zelvato {

class WindowConversionHost;
namespace ui {
class frmMain;
}

// What a run is for: the whole conversion of Convert and Save HTML; the
// automatic preview, which writes the preview file only and leaves the window,
// the HTML pane and the output files alone; or the manuscript PDF of 印刷… and
// PDFに書き出す… (runManuscriptPdf).
enum class ConversionKind { full, preview, manuscriptPdf };

// One whole conversion of the main window's source text, started by Convert and
// by Save HTML. Reads the settings once and checks them (a warning names a
// missing output setting, an empty layout field or a grid below three; an
// empty source ends silently), locks the window so that only Stop stays
// usable, and hands the source and the settings to a worker thread. It returns
// at once; the run ends on the window's thread, with the preview shown on tab
// 2, or after a failure with the preview file deleted, the interruption
// message and tab 0, or after Stop with "変換を中止しました.". Does nothing while
// a full run of the same window is in progress; a preview in progress is
// stopped and the full run follows it.
void runConversion(ui::frmMain& window, ConversionKind kind = ConversionKind::full);

// The manuscript PDF of the window's text with the window's settings, written
// to `target` as the converter's --pdf writes it, by the same worker, with the
// progress window and Stop as every full run: the settings are checked, the
// window is locked, and the run ends on the window's thread. The tab shown and
// the preview stay as they were. After success the status bar says so (naming
// the face when it is not the one asked for) and `written` is called; after a
// failure or Stop the target is as it was, with the messages of a full run.
void runManuscriptPdf(ui::frmMain& window, const QString& target, std::function<void()> written = {});

// The Stop command: the running layout fails at its next position and the run
// ends as stopped. The source pane keeps its text, earlier files stay as they
// were. Nothing happens when no run is in progress.
void stopConversion(ui::frmMain& window);

// True from the start of a run (of either kind) until the window has been
// released again.
bool conversionRunning(const ui::frmMain& window);

// The window's conversion host, made and joined to the window (status bar,
// HTML pane, Stop button) on first use.
WindowConversionHost& conversionHost(ui::frmMain& window);

// The engine's run, on the worker thread: the one place the window calls it.
bool convertOnWorker(std::u16string_view source, const ConversionSettings& settings,
                     const std::string& previewPath, ConversionHost& host, RunFiles& files);

}  // namespace zelvato
