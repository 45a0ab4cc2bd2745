#pragma once

#include <QString>

#include "document/conversion_settings.h"

// The main window's own texts, in one place.
namespace zelvato::ui::texts {

inline const QString mainHint = QStringLiteral("縦書きにする文章を入力し、変換ﾎﾞﾀﾝをクリックします");
inline const QString countPrefix = QStringLiteral("( ");
inline const QString countSuffix = QStringLiteral(" 字 / %1 行)");
inline const QString menuVersion = QStringLiteral("ﾊﾞｰｼﾞｮﾝ(&V)");
inline const QString fontDialogTitle = QStringLiteral("変換後ﾌｫﾝﾄの選択");
// The panes show their text in the start font of the conversion.
inline const QString defaultFontFace = QString::fromStdU16String(ConversionSettings{}.fontFace);
inline const QString uiFontFace = QStringLiteral("MS UI Gothic");
inline const QString labelFontFace = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString sampleText = QStringLiteral("饒舌たる詭弁に疑念を抱きつつも納得した");
inline const QString converting = QStringLiteral("変換処理中...");

// The menus.
inline const QString menuFile = QStringLiteral("ﾌｧｲﾙ(&F)");
inline const QString menuEdit = QStringLiteral("編集(&E)");
inline const QString menuConvert = QStringLiteral("変換(&C)");
inline const QString menuSettings = QStringLiteral("設定(&S)");
inline const QString menuHelp = QStringLiteral("ﾍﾙﾌﾟ(&H)");
// The commands; the toolbar shows its buttons' captions without their accelerators.
inline const QString commandNew = QStringLiteral("新規作成");
inline const QString commandLoad = QStringLiteral("読み込む");
inline const QString commandSaveHtml = QStringLiteral("HTML保存");
inline const QString commandConvert = QStringLiteral("縦書き変換");
inline const QString commandStop = QStringLiteral("変換中断");
inline const QString commandHelp = QStringLiteral("ﾍﾙﾌﾟ");
inline const QString commandPrint = QStringLiteral("印刷…");
inline const QString commandExportPdf = QStringLiteral("PDFに書き出す…");
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
// The presets menu's own items after the presets, and the dialog that renames and deletes them.
inline const QString presetUndo = QStringLiteral("元に戻す(&U)");
inline const QString presetUndoNamed = QStringLiteral("「%1」を元に戻す(&U)");
inline const QString presetsEdit = QStringLiteral("ﾌﾟﾘｾｯﾄの名前の変更と削除...");
inline const QString presetsDialogTitle = QStringLiteral("ﾌﾟﾘｾｯﾄの整理");
inline const QString presetRename = QStringLiteral("名前の変更...");
inline const QString presetDelete = QStringLiteral("削除");
inline const QString presetNewName = QStringLiteral("新しい名前:");
inline const QString presetNameTaken = QStringLiteral("「%1」という名前のﾌﾟﾘｾｯﾄはすでにあります.");
inline const QString presetApplied = QStringLiteral("「%1」を適用しました.");
inline const QString presetUndone = QStringLiteral("「%1」を元に戻しました.");
inline const QString findLabel = QStringLiteral("検索:");
inline const QString findNext = QStringLiteral("次へ");
inline const QString findPrevious = QStringLiteral("前へ");
inline const QString findClose = QStringLiteral("閉じる");
inline const QString notFound = QStringLiteral("見つかりません");
inline const QString headingsTip = QStringLiteral("見出し: 選ぶとその行へ移ります");
inline const QString stopAndCloseQuestion = QStringLiteral("変換処理中です. 変換を中止して終了しますか?");
inline const QString replaceLabel = QStringLiteral("置換後:");
inline const QString replaceOne = QStringLiteral("置換");
inline const QString replaceAll = QStringLiteral("すべて置換");
inline const QString replacedCount = QStringLiteral("%1 件置換しました");
inline const QString helpWindowTitle = QStringLiteral("Zelvato ﾍﾙﾌﾟ");
inline const QString autoPreview = QStringLiteral("自動ﾌﾟﾚﾋﾞｭｰ");

inline const QString typesetTab = QStringLiteral("組版設定");
inline const QString styleGrid = QStringLiteral("升目 (ﾌﾞﾗｳｻﾞを問わない)");
inline const QString styleFlow = QStringLiteral("縦書きCSS (本文として読める)");
// The notation the source is read in.
inline const QString notationPlain = QStringLiteral("なし");
inline const QString notationAozora = QStringLiteral("青空文庫");
inline const QString notationWeb = QStringLiteral("小説投稿サイト");
inline const QString rubyParen = QStringLiteral("括弧で示す　漢字（かんじ）");
inline const QString rubyDrop = QStringLiteral("省く　漢字");
// The manuscript paper of 印刷… and PDFに書き出す…, landscape.
inline const QString paperA4 = QStringLiteral("A4");
inline const QString paperB4 = QStringLiteral("B4");
inline const QString linesRedBrown = QStringLiteral("赤茶");
inline const QString linesGrey = QStringLiteral("灰色");
// The type of the flowing page and the EPUB, and the EPUB's cover.
inline const QString readingTypeFrame = QStringLiteral("縦書きCSSとEPUBの本文");
inline const QString typefaceMincho = QStringLiteral("明朝体");
inline const QString typefaceGothic = QStringLiteral("ゴシック体");
inline const QString readingTab = QStringLiteral("本文と表紙");
inline const QString coverChooser = QStringLiteral("参照...");
inline const QString coverHint =
    QStringLiteral("表紙の画像が無いときは、題名と著者名を縦書きにした表紙を付けます。");
inline const QString coverDialogTitle = QStringLiteral("表紙の画像の選択");
inline const QString coverFilter = QStringLiteral("画像ﾌｧｲﾙ (*.jpg *.jpeg *.png)");
// The typeset book's presets (書籍 (PDF)), in the option table's order.
inline const QString bookPresets[] = {QStringLiteral("文庫"), QStringLiteral("新書"), QStringLiteral("B6"),
                                      QStringLiteral("A5二段"), QStringLiteral("端末")};

}  // namespace zelvato::ui::texts
