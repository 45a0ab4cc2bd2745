#pragma once

#include <QString>
#include <cstdint>

class QWidget;

namespace zelvato {

// The folder that holds the program file, always ending in "/". Filled once at
// start by initAppFolder; the Help command appends "help/index.html".
extern QString appFolder;

// Fills appFolder from the running program's folder. Keeps the old value when
// the folder cannot be found (no application object, empty path).
void initAppFolder();

// The help page the Help command shows: help/index.html in the program's folder
// (as the build tree has it), or, where that is missing, the help page an installed
// program keeps in the data folder beside its bin folder (share/zelvato/help). When
// neither exists, the first.
QString helpPagePath(const QString& programFolder);

// The folder text as appFolder keeps it: native separators turned into "/" and
// one "/" appended unless it already ends in one (the root stays "/"). An
// empty text stays empty.
QString folderWithSeparator(const QString& folder);

// Keeps `window` above all windows that are not topmost, without moving or
// resizing it. A visible window stays visible.
void setTopMost(QWidget* window);

// The length of `text` in code page 932 bytes: 2 for a full-width character,
// 1 for ASCII and half-width katakana.
std::int32_t ansiByteLength(const QString& text);

}  // namespace zelvato
