#pragma once

#include <QString>

// The program's user-visible texts outside the main window's own, kept in one place.
namespace zelvato::texts {

inline const QString unexpectedError = QStringLiteral("予期しないｴﾗｰが発生しました.");
inline const QString secondInstanceRefused = QStringLiteral("二重起動することはできません.");
inline const QString versionPrefix = QStringLiteral("Version ");

// The conversion run.
inline const QString convertingProgress = QStringLiteral("縦書きに変換しています．しばらくお待ち下さい...");
inline const QString showingPreview = QStringLiteral("ﾌﾟﾚﾋﾞｭｰを表示しています...");
inline const QString conversionDone = QStringLiteral("変換完了しました.");
inline const QString conversionFailedStatus = QStringLiteral("ｴﾗｰで中断しました.");

// The toolbar and editing commands.
inline const QString convertNow = QStringLiteral("すぐに変換しますか？");
inline const QString notSavedUnlessConverted = QStringLiteral("変換しないと保存されません.");
inline const QString copiedToClipboard = QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰしました.");
inline const QString helpPage = QStringLiteral("help/index.html");

}  // namespace zelvato::texts
