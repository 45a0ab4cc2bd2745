#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "read/source_decoding.h"

namespace zelvato {

namespace ui {
class frmMain;
}

// Puts `bytes` at `path` whole or not at all: they are written to a new file
// beside the target, flushed to the disk, and renamed over it, so a crash or a
// full disk leaves the earlier file as it was. A link is followed to the file
// it names; an existing file keeps its permissions. Nothing on success, else
// the reason.
std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes);

// The pane's text (line breaks as LF) as a file of `format` holds it: its
// line break, its encoding with the byte-order mark the encoding was known by,
// and for code page 932 the second forms the file used. Code page 932 only
// when every character survives the way back: nothing when the text does not
// fit it.
std::optional<QByteArray> encodeSourceText(const QString& text, const SourceFormat& format);

// The Save command: to the file the text came from, in its encoding and form;
// a text without a file asks for one. True when the text is saved.
bool saveSource(ui::frmMain& window);
// Save As: asks for a file and an encoding (Shift_JIS or UTF-8).
bool saveSourceAs(ui::frmMain& window);
// Writes the text to `path` in `encoding`; a text that does not fit code page
// 932 is written as UTF-8 after a warning. The window then names the file.
bool saveSourceTo(ui::frmMain& window, const QString& path, SourceEncoding encoding);

// Before New, Load, a drop, an opened file or closing replaces edited text:
// asks 保存 / 破棄 / キャンセル. True when the text may go (saved, discarded or
// not edited), false when the user keeps it.
bool keepEditsBeforeReplacing(ui::frmMain& window);

}  // namespace zelvato
