#include "text/html_text.h"

#include <gtest/gtest.h>

#include "text/unicode_text.h"
#include "write/grid_html/page_writer.h"

namespace zelvato {
namespace {

// Each case is a field a hostile (or careless) user fills in; what it holds
// must stay text or one attribute value, never become markup of its own.
TEST(HtmlText, hostileFieldsStayTextOrOneAttributeValue) {
  struct Case {
    const char* attack;
    void (*fill)(ConversionSettings&);
    std::u16string mustNotAppear;
    std::u16string written;
  };
  const Case cases[] = {
      {"title closes TITLE and opens a script",
       [](ConversionSettings& s) { s.htmlTitle = u"</TITLE><script>alert(1)</script>"; }, u"<script>",
       u"<TITLE>&lt;/TITLE&gt;&lt;script&gt;alert(1)&lt;/script&gt;</TITLE>"},
      {"title with an ampersand and a control character",
       [](ConversionSettings& s) { s.htmlTitle = u"A & B\x1b"; }, u"\x1b", u"<TITLE>A &amp; B\uFFFD</TITLE>"},
      {"font face adds an event handler",
       [](ConversionSettings& s) { s.fontFace = u"x\" onmouseover=\"alert(1)\""; }, u"\" onmouseover",
       u"FACE=\"x&quot; onmouseover=&quot;alert(1)&quot;, Osaka"},
      {"font face in the font form",
       [](ConversionSettings& s) {
         s.useStyleSheet = false;
         s.fontFace = u"x'><script>";
       },
       u"<script>", u"FACE=\"x&#39;&gt;&lt;script&gt;, Osaka"},
      {"font size closes the tag", [](ConversionSettings& s) { s.fontSizePt = u"9pt\"><script>alert(1)"; },
       u"<script>", u"font-size:9pt&quot;&gt;&lt;script&gt;alert(1)pt;"},
      {"character spacing", [](ConversionSettings& s) { s.charSpacingPt = u"9\"x"; }, u"9\"x",
       u"line-height:9&quot;xpt;"},
      {"line spacing", [](ConversionSettings& s) { s.lineSpacingPt = u"0\"x"; }, u"0\"x",
       u"letter-spacing:0&quot;xpt\""},
      {"base name breaks out of HREF", [](ConversionSettings& s) { s.fileBaseName = u"a\"><script>"; },
       u"\"><script>", u"HREF=\"a%22%3E%3Cscript%3E002.html\""},
      {"base name with URL characters", [](ConversionSettings& s) { s.fileBaseName = u"#1?x=%"; }, u"#1?",
       u"HREF=\"%231%3Fx%3D%25002.html\""},
      {"name that is not UTF-8 on disk", [](ConversionSettings& s) { s.fileBaseName = pathToText("\xff雪"); },
       u"\xff", u"HREF=\"%FF雪002.html\""},
  };
  for (const Case& c : cases) {
    ConversionSettings s;
    s.addPageLinks = true;
    s.fileBaseName = u"vt";
    c.fill(s);
    const std::u16string markup = fileHeader(s) + blockOpening(s) + pageFooter(s, 1, false);
    EXPECT_EQ(markup.find(c.mustNotAppear), markup.npos) << c.attack;
    EXPECT_NE(markup.find(c.written), markup.npos) << c.attack << "\n" << utf16ToUtf8(markup);
  }
  // The BODY tag is the user's own markup by design: it goes in as typed.
  ConversionSettings s;
  s.bodyTag = u"<BODY ONLOAD=\"start()\">";
  EXPECT_NE(fileHeader(s).find(u"></HEAD><BODY ONLOAD=\"start()\">\r\n"), std::u16string::npos);
}

}  // namespace
}  // namespace zelvato
