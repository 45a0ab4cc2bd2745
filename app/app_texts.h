#pragma once

#include <QString>
#include <string_view>

#include "options/option_table.h"
#include "options/settings_check.h"

// The program's user-visible texts outside the main window's own, kept in one place.
namespace zelvato::texts {

// A text of the engine's, which are UTF-16 too.
inline QString toQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline const QString unexpectedError = QStringLiteral("予期しないｴﾗｰが発生しました.");
inline const QString secondInstanceRefused = QStringLiteral("二重起動することはできません.");
inline const QString versionPrefix = QStringLiteral("Version ");

// The conversion run.
inline const QString convertingProgress = QStringLiteral("縦書きに変換しています．しばらくお待ち下さい...");
inline const QString showingPreview = QStringLiteral("ﾌﾟﾚﾋﾞｭｰを表示しています...");
inline const QString conversionDone = QStringLiteral("変換完了しました.");
inline const QString conversionFailedStatus = QStringLiteral("ｴﾗｰで中断しました.");
inline const QString outputTooLarge =
    QStringLiteral("出力が約%1MBになり、変換元の100倍を超えます. このまま変換しますか？");
inline const QString conversionStopped = QStringLiteral("変換を中止しました.");
// A run declined by its checks names the layout field to fill in or enlarge.
inline const QString layoutFieldEmpty = QStringLiteral("ﾚｲｱｳﾄ設定の「%1」が空欄です. 値を入れて下さい.");
inline const QString gridTooSmall = QStringLiteral("ﾚｲｱｳﾄ設定の「%1」は3以上にして下さい.");
// The field's caption in the window, as the option table declares it.
inline QString layoutFieldCaption(SettingField field) {
  const OptionEntry* option = optionFor(field);
  return option != nullptr ? QString::fromStdU16String(std::u16string(option->caption)) : QString();
}
inline const QString noPrivateFolder =
    QStringLiteral("一時ﾌｧｲﾙを置く利用者専用のﾌｫﾙﾀﾞが用意できないため、変換できません.");

// Loading a source file.
inline const QString sourceDialogTitle = QStringLiteral("変換元ﾌｧｲﾙの選択");
inline const QString textFilesFilter = QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt)");
inline const QString allFilesFilter = QStringLiteral("全てのﾌｧｲﾙ (*)");
inline const QString textFileSuffix = QStringLiteral("txt");
inline const QString loadingProgress = QStringLiteral("ﾌｧｲﾙを読み込み中です...");
inline const QString loadingStatus = QStringLiteral("ﾌｧｲﾙを読み込み中...");
// After a load the status bar names the encoding the file was read in.
inline const QString loadedIn = QStringLiteral("ﾌｧｲﾙを読み込みました. 文字ｺｰﾄﾞ: %1");
// Said after it when the text's Aozora Bunko notation switched 青空文庫注記 on.
inline const QString aozoraNotationOn =
    QStringLiteral(" 青空文庫注記を検出したため、青空文庫注記をｵﾝにしました.");

// Text a crash left unsaved, offered at the next start.
inline const QString recoverQuestion =
    QStringLiteral("保存されずに残った文章があります（%1、%2）. 復元しますか?");
inline const QString untitledText = QStringLiteral("新規文章");
inline const QString textRecovered = QStringLiteral("保存されずに残った文章を復元しました. 保存して下さい.");

// The toolbar and editing commands.
inline const QString convertNow = QStringLiteral("すぐに変換しますか？");
inline const QString notSavedUnlessConverted = QStringLiteral("変換しないと保存されません.");
inline const QString copiedToClipboard = QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰしました.");
inline const QString helpPage = QStringLiteral("help/index.html");

inline const QString savePresetTitle = QStringLiteral("設定の保存");
inline const QString presetName = QStringLiteral("ﾌﾟﾘｾｯﾄの名前:");

// The source text's own file.
inline const QString keepEditsQuestion = QStringLiteral("変換元文章が変更されています. 保存しますか?");
inline const QString saveSourceTitle = QStringLiteral("変換元文章の保存");
inline const QString shiftJisFilter = QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ Shift_JIS (*.txt)");
inline const QString utf8Filter = QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ UTF-8 (*.txt)");
inline const QString savedAs = QStringLiteral("保存しました. 文字ｺｰﾄﾞ: %1");
inline const QString saveFailed = QStringLiteral("保存できませんでした. %1");
// Several files handed over at once by later launches: one of them is opened.
inline const QString handedOverFiles =
    QStringLiteral("%1 個のファイルを開く要求があります. 開くファイルを選んでください.");
inline const QString notShiftJis = QStringLiteral("Shift_JISで表せない文字があるため、UTF-8で保存します.");

}  // namespace zelvato::texts
