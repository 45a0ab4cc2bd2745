#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;
class QWidget;

namespace zelvato::ui {

// The user's settings file, ~/.config/zelvato/zelvato.ini.
std::unique_ptr<QSettings> openUserSettings();

// The window's size, place and maximised state. Without a stored one (the
// first start) the window takes three quarters of its screen, centred.
void storeGeometry(const QWidget& window, QSettings& store);
void restoreGeometry(QWidget& window, const QSettings& store);

// The editing font's size in points, as the user zoomed it.
inline const QString editorFontSizeKey = QStringLiteral("editor/fontSize");

// 最近使ったﾌｧｲﾙ: at most ten, newest first, each file once.
inline constexpr int recentFilesLimit = 10;
QStringList recentFiles(const QSettings& store);
void rememberRecentFile(QSettings& store, const QString& path);

}  // namespace zelvato::ui
