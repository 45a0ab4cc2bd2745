#pragma once

#include <QString>

namespace zelvato::ui {

// The title every window and message box of the program carries.
inline const QString programTitle = QStringLiteral("Zelvato");

// The text of the version message: name and version, an empty line, the
// copyright line and the edition line, lines ended by CR LF.
QString versionMessageText();

// Call before the QApplication is created: the preview pane's web engine
// shares its graphics context with the widgets, and a file-size limit makes
// a write fail rather than end the program.
void prepareApplication();

// Loads Qt's own Japanese texts (standard buttons, file dialogs, message
// boxes) from the system's Qt translations. Call once the QApplication
// exists; false when the translations are not installed.
bool installJapaneseTranslations();

// Maps the Japanese Windows font names the window is designed with to the
// IPA fonts installed on Linux. Safe to call more than once.
void installFontSubstitutes();

}  // namespace zelvato::ui
