// The annotations of the Aozora Bunko archive as the reader reads them: the
// forms of the manual and the archive's own variants, each fed a line of the
// work it was found in (shortened).

#include <gtest/gtest.h>

#include "read/aozora/aozora_notation.h"
#include "text/unicode_text.h"

namespace zelvato {
namespace {

// A paragraph as text: a base with its ruby as ｜base《ruby》, the editor's notes in
// （）, and a marked run as ⟨text:marks⟩ with 点 (emphasis, × for ばつ),
// 線 (side line), 縦 (縦中横), 上 and 下 (scripts), 太, ゴ (Gothic), 斜, 小 and 大.
std::u16string describe(const Paragraph& paragraph) {
  std::u16string text;
  for (const Run& run : paragraph.runs) {
    if (run.kind == RunKind::editorNote) {
      text += u"（" + run.text + u"）";
      continue;
    }
    if (run.kind == RunKind::gaijiDescription) {
      text += u"※（" + run.text + u"）";
      continue;
    }
    const RunMarks& m = run.marks;
    std::u16string marks;
    if (m.emphasis != EmphasisKind::none) marks += m.emphasis == EmphasisKind::cross ? u"×" : u"点";
    if (m.line != LineKind::none) marks += u"線";
    if (m.tateChuYoko) marks += u"縦";
    if (m.script == Script::superscript) marks += u"上";
    if (m.script == Script::subscript) marks += u"下";
    if (m.bold) marks += u"太";
    if (m.gothic) marks += u"ゴ";
    if (m.italic) marks += u"斜";
    if (m.sizeStep < 0) marks += u"小";
    if (m.sizeStep > 0) marks += u"大";
    if (!run.ruby.empty()) text += u"｜";
    text += marks.empty() ? run.text : u"⟨" + run.text + u":" + marks + u"⟩";
    if (!run.ruby.empty()) text += u"《" + run.ruby + u"》";
  }
  return text;
}

std::vector<std::u16string> paragraphsOf(const Document& document) {
  std::vector<std::u16string> out;
  for (const Paragraph& p : document.paragraphs) out.push_back(describe(p));
  return out;
}

TEST(AozoraAnnotations, everyFormOfTheArchiveIsReadIntoItsRuns) {
  struct Case {
    const char* what;
    std::u16string source;
    std::u16string paragraph;
  };
  const Case cases[] = {
      {"くの字点 and its voiced form (真景累ヶ淵)", u"なか／＼降らぬ、しげ／″＼と",
       u"なか〳〵降らぬ、しげ〴〵と"},
      {"a gaiji inside a ruby reading", u"画布《カン※［＃濁点付き片仮名ワ、1-7-82］ス》",
       u"｜画布《カンヷス》"},
      {"an annotation no ］ closes inside a reading shows no notation", u"漢字《か［＃ん》と",
       u"｜漢字《か》と"},
      {"a gaiji no ］ closes inside a reading", u"画布《カン※［＃濁点付き片仮名ワ、1-7-82》",
       u"｜画布《カンヷ》"},
      {"an editor's note quoting ruby and a gaiji (植物一日一題)",
       u"膏肓［＃「膏肓」は底本では「膏盲《こうこう》」］", u"膏肓（底本では「膏盲」）"},
      {"several properties for one target (人口論)", u"（1）［＃「（1）」は縦中横、行右小書き］",
       u"⟨（1）:縦上⟩"},
      {"a range 「A」～「B」 (神秘的半獸主義)",
       u"實はこの本に思想があるので［＃「實は」～「思想があるので」に傍点］",
       u"⟨實はこの本に思想があるので:点⟩"},
      {"a range 「A」から「B」まで",
       u"右手の袖口をズボンを穿いて［＃「右手の袖口を」から「ズボンを穿いて」まで傍点］",
       u"⟨右手の袖口をズボンを穿いて:点⟩"},
      {"a target earlier on the line", u"一人の下人が雨やみを待つていた［＃「下人」に傍点］",
       u"一人の⟨下人:点⟩が雨やみを待つていた"},
      {"a target inside a ruby's base is not split", u"羅生門《らしやうもん》の下［＃「生」に傍点］",
       u"｜羅生門《らしやうもん》の下（「生」に傍点）"},
      {"ルビは「X」にかかる: the ruby's base reaches back",
       u"真赤な？符《ぎもんふ》［＃ルビは「？符」に掛かる］", u"真赤な｜？符《ぎもんふ》"},
      {"の傍記 set beside its text", u"全日本［＃「日本」に「×」の傍記］", u"全｜日本《×》"},
      {"ローマ数字 by its code", u"詩集1［＃「1」はローマ数字、1-13-21］", u"詩集Ⅰ"},
      {"ゴシック体 and ×傍点", u"入場料［＃「入場料」はゴシック体］と伏字［＃「伏字」に×傍点］",
       u"⟨入場料:ゴ⟩と⟨伏字:×⟩"},
      {"a note about the source in free wording", u"御座る［＃底本では「御座る」と誤記］",
       u"御座る（底本では「御座る」と誤記）"},
      {"an unknown form stays in its place as a note", u"あ［＃謎の注記］い", u"あ（謎の注記）い"},
      {"「X」にルビ: the ruby just before covers X", u"起上り《レカバリー》［＃「起上り」にルビ］",
       u"｜起上り《レカバリー》"},
      {"a letter with a dot above", u"Samgha［＃mは上ドット付き］", u"Saṁgha"},
      {"a note naming other editions, commas and all", u"言［＃「言」は、『全集　第十巻』では「云」］",
       u"言（「言」は、『全集　第十巻』では「云」）"},
      {"accents composed across notation inside the brackets (二十歳のエチュード)",
       u"〔Je me suis arme' au （sic［＃「sic」は斜体］） justice.〕",
       u"Je me suis armé au （⟨sic:斜⟩） justice."},
      {"a comma ending the brackets punctuates (スイス日記)", u"〔Swa^ sich liep ze liebe zweiet,〕",
       u"Swâ sich liep ze liebe zweiet,"},
      {"a 〕 quoted in an annotation closes nothing (吾輩は猫である)",
       u"〔nisi amicitiae&［＃「〔amicitiae&〕」は底本では「amiticiae」］ inimica〕",
       u"nisi amicitiæ（底本では「amiticiae」） inimica"},
      {"accents of capitals, and the elision of c' kept", u"〔NE'MU c'est Besanc,on〕",
       u"NÉMU c'est Besançon"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<std::u16string> paragraphs = paragraphsOf(readAozoraText(c.source));
    ASSERT_EQ(paragraphs.size(), 1u);
    EXPECT_EQ(paragraphs.front(), c.paragraph) << utf16ToUtf8(paragraphs.front());
  }
}

TEST(AozoraAnnotations, theLayoutVariantsOfTheArchiveSetTheParagraphs) {
  struct Case {
    const char* what;
    std::u16string source;
    // Per paragraph: first indent, rest indent, raise from the foot, line length, break, centred.
    std::vector<std::vector<int>> styles;
  };
  const Case cases[] = {
      {"天からN字下げ", u"［＃天から３字下げ］一", {{3, 3, -1, 0, 0, 0}}},
      {"改行天付き、折り返してN字下げ, for its paragraph only",
       u"［＃改行天付き、折り返して２字下げ］一\r\n二",
       {{0, 2, -1, 0, 0, 0}, {0, 0, -1, 0, 0, 0}}},
      {"ここから天付き、折り返してN字下げ",
       u"［＃ここから天付き、折り返して１字下げ］\r\n一",
       {{0, 1, -1, 0, 0, 0}}},
      {"N行N字組み with an indent, ended together",
       u"［＃ここから３字下げ、１行２０字組みで］\r\n一\r\n［＃ここで字下げ、２０字組み終わり］\r\n二",
       {{3, 3, -1, 20, 0, 0}, {0, 0, -1, 0, 0, 0}}},
      {"a 字詰め begun with an indent ends with it",
       u"［＃ここから２字下げ、２２字詰め、罫囲み］\r\n一\r\n［＃ここで字下げ、罫囲み終わり］\r\n二",
       {{2, 2, -1, 22, 0, 0}, {0, 0, -1, 0, 0, 0}}},
      {"地よりN字上げ and 地付き、地よりN字アキ",
       u"［＃地より２字上げ］一\r\n［＃地付き、地より１字アキ］二",
       {{0, 0, 2, 0, 0, 0}, {0, 0, 1, 0, 0, 0}}},
      {"下げて、地よりN字あきで", u"［＃下げて、地より２字あきで］疵の兄より", {{0, 0, 2, 0, 0, 0}}},
      {"改頁", u"一\r\n［＃改頁］\r\n二", {{0, 0, -1, 0, 0, 0}, {0, 0, -1, 0, 1, 0}}},
      {"改ページ、ページの左右中央に",
       u"一\r\n［＃改ページ、ページの左右中央に］\r\n二",
       {{0, 0, -1, 0, 0, 0}, {0, 0, -1, 0, 1, 1}}},
      {"本文終わり shows nothing", u"一［＃本文終わり］", {{0, 0, -1, 0, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Document read = readAozoraText(c.source);
    std::vector<std::vector<int>> styles;
    for (const Paragraph& p : read.paragraphs)
      styles.push_back({p.style.firstIndent, p.style.restIndent, p.style.raiseFromFoot, p.style.lineLength,
                        static_cast<int>(p.style.breakBefore), p.style.centredOnPage ? 1 : 0});
    EXPECT_EQ(styles, c.styles);
    EXPECT_EQ(read.unreadAnnotations, 0u);
  }
}

TEST(AozoraAnnotations, aRangeOfSmallTypeEndsWithTheIndentItBeganWith) {
  const Document read = readAozoraText(
      u"［＃ここから２字下げ、小さい活字］\r\n小さく\r\n［＃ここで字下げ終わり、小さい活字も終わり］\r\n普"
      u"通");
  EXPECT_EQ(paragraphsOf(read), (std::vector<std::u16string>{u"⟨小さく:小⟩", u"普通"}));
  EXPECT_EQ(read.unreadAnnotations, 0u);
}

TEST(AozoraAnnotations, theExplanationOfSymbolsIsDroppedWhateverItsBrackets) {
  const Document read = readAozoraText(
      u"題\r\n著者\r\n\r\n-------------------------------------------------------\r\n"
      u"《テキスト中に現れる記号について》\r\n《》：ルビ\r\n-------------------------------------------------"
      u"------\r\n"
      u"本文");
  EXPECT_EQ(paragraphsOf(read).back(), u"本文");
  EXPECT_EQ(read.paragraphs.size(), 4u);
}

}  // namespace
}  // namespace zelvato
