#pragma once

#include <QString>

#include "document/conversion_settings.h"

// The main window's own texts, in one place.
namespace zelvato::ui::texts {

inline const QString mainHint = QStringLiteral("縦書きにする文章を入力し、変換ﾎﾞﾀﾝをクリックします");
inline const QString countPrefix = QStringLiteral("( ");
inline const QString countSuffix = QStringLiteral(" 字)");
inline const QString menuVersion = QStringLiteral("ﾊﾞｰｼﾞｮﾝ(&V)");
inline const QString fontDialogTitle = QStringLiteral("変換後ﾌｫﾝﾄの選択");
inline const QString fileDialogTitle = QStringLiteral("出力先ﾌｧｲﾙの指定");
inline const QString fileDialogFilter = QStringLiteral("HTMLﾌｧｲﾙ (*.html)");
inline const QString epubOption = QStringLiteral("EPUB (電子書籍)");
inline const QString epubDialogFilter = QStringLiteral("EPUBﾌｧｲﾙ (*.epub)");
// The panes show their text in the start font of the conversion.
inline const QString defaultFontFace = QString::fromStdU16String(ConversionSettings{}.fontFace);
inline const QString uiFontFace = QStringLiteral("MS UI Gothic");
inline const QString labelFontFace = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString sampleText = QStringLiteral("饒舌たる詭弁に疑念を抱きつつも納得した");
inline const QString encodingFrame = QStringLiteral("文字コード");
inline const QString accessibleText = QStringLiteral("読み上げ用テキストを付ける");
inline const QString converting = QStringLiteral("変換処理中...");

// The menus.
inline const QString menuFile = QStringLiteral("ﾌｧｲﾙ(&F)");
inline const QString menuEdit = QStringLiteral("編集(&E)");
inline const QString menuConvert = QStringLiteral("変換(&C)");
inline const QString menuSettings = QStringLiteral("設定(&S)");
inline const QString menuSave = QStringLiteral("保存(&S)");
inline const QString menuSaveAs = QStringLiteral("名前を付けて保存(&A)...");
inline const QString menuRecent = QStringLiteral("最近使ったﾌｧｲﾙ(&R)");
inline const QString menuQuit = QStringLiteral("終了(&Q)");
inline const QString menuFind = QStringLiteral("検索(&F)...");
inline const QString menuFindNext = QStringLiteral("次を検索(&N)");
inline const QString menuFindPrevious = QStringLiteral("前を検索(&P)");
inline const QString menuDefaults = QStringLiteral("既定値に戻す");
inline const QString menuPresets = QStringLiteral("ﾌﾟﾘｾｯﾄ(&P)");
inline const QString menuSavePreset = QStringLiteral("現在の設定に名前を付けて保存...");
inline const QString findLabel = QStringLiteral("検索:");
inline const QString findNext = QStringLiteral("次へ");
inline const QString findPrevious = QStringLiteral("前へ");
inline const QString findClose = QStringLiteral("閉じる");
inline const QString helpWindowTitle = QStringLiteral("Zelvato ﾍﾙﾌﾟ");
inline const QString autoPreview = QStringLiteral("自動ﾌﾟﾚﾋﾞｭｰ");

inline const QString typesetTab = QStringLiteral("組版設定");
inline const QString rubyFrame = QStringLiteral("ルビ");
inline const QString styleFrame = QStringLiteral("組版方式");
inline const QString styleGrid = QStringLiteral("升目 (ﾌﾞﾗｳｻﾞを問わない)");
inline const QString styleFlow = QStringLiteral("縦書きCSS (本文として読める)");
inline const QString rubyParen = QStringLiteral("括弧で示す　漢字（かんじ）");
inline const QString rubyDrop = QStringLiteral("省く　漢字");

}  // namespace zelvato::ui::texts
