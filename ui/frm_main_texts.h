#pragma once

#include <QString>

#include "conversion_settings.h"

// The main window's own texts, in one place.
namespace zelvato::ui::texts {

inline const QString mainHint = QStringLiteral("縦書きにする文章を入力し、変換ﾎﾞﾀﾝをクリックします");
inline const QString countPrefix = QStringLiteral("( ");
inline const QString countSuffix = QStringLiteral(" 字)");
inline const QString menuVersion = QStringLiteral("ﾊﾞｰｼﾞｮﾝ(&V)");
inline const QString fontDialogTitle = QStringLiteral("変換後ﾌｫﾝﾄの選択");
inline const QString fileDialogTitle = QStringLiteral("出力先ﾌｧｲﾙの指定");
inline const QString fileDialogFilter = QStringLiteral("HTMLﾌｧｲﾙ (*.html)");
// The panes show their text in the start font of the conversion.
inline const QString defaultFontFace = QString::fromStdU16String(ConversionSettings{}.fontFace);
inline const QString uiFontFace = QStringLiteral("MS UI Gothic");
inline const QString labelFontFace = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString sampleText = QStringLiteral("饒舌たる詭弁に疑念を抱きつつも納得した");
inline const QString encodingFrame = QStringLiteral("文字コード");
inline const QString accessibleText = QStringLiteral("読み上げ用テキストを付ける");
inline const QString converting = QStringLiteral("変換処理中...");

inline const QString typesetTab = QStringLiteral("組版設定");
inline const QString kinsokuOption = QStringLiteral("禁則処理");
inline const QString tateChuYokoOption = QStringLiteral("縦中横");
inline const QString aozoraOption = QStringLiteral("青空文庫注記");
inline const QString rubyFrame = QStringLiteral("ルビ");
inline const QString rubyParen = QStringLiteral("括弧で示す　漢字（かんじ）");
inline const QString rubyDrop = QStringLiteral("省く　漢字");

}  // namespace zelvato::ui::texts
