#pragma once

#include <QString>

// The program's user-visible texts outside the main window's own, kept in one place.
namespace zelvato::texts {

inline const QString unexpectedError = QStringLiteral("予期しないｴﾗｰが発生しました.");
inline const QString secondInstanceRefused = QStringLiteral("二重起動することはできません.");
inline const QString versionPrefix = QStringLiteral("Version ");

// The conversion run.
inline const QString noOutputFileName = QStringLiteral("出力先ﾌｧｲﾙ名を指定して下さい");
inline const QString noOutputFolder = QStringLiteral("出力先ﾌｫﾙﾀﾞを指定して下さい");
inline const QString noHtmlTitle = QStringLiteral("HTMLのﾀｲﾄﾙを指定して下さい");
inline const QString noBodyTag = QStringLiteral("HTMLのBODYﾀｸﾞを指定して下さい");
inline const QString converting = QStringLiteral("変換処理中...");
inline const QString convertingProgress = QStringLiteral("縦書きに変換しています．しばらくお待ち下さい...");
inline const QString convertingUnit = QStringLiteral("字");
inline const QString convertingStatus = QStringLiteral("縦書き変換中...");
inline const QString showingPreview = QStringLiteral("ﾌﾟﾚﾋﾞｭｰを表示しています...");
inline const QString conversionDone = QStringLiteral("変換完了しました.");
inline const QString conversionInterrupted = QStringLiteral("変換中に予期しないｴﾗｰが発生し、中断されました.");
inline const QString conversionFailedStatus = QStringLiteral("ｴﾗｰで中断しました.");
inline const QString noPrivateFolder =
    QStringLiteral("一時ﾌｧｲﾙを置く利用者専用のﾌｫﾙﾀﾞが用意できないため、変換できません.");

// The toolbar and editing commands.
inline const QString convertNow = QStringLiteral("すぐに変換しますか？");
inline const QString notSavedUnlessConverted = QStringLiteral("変換しないと保存されません.");
inline const QString copiedToClipboard = QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰしました.");
inline const QString helpPage = QStringLiteral("help/index.html");

}  // namespace zelvato::texts
