#include "print_faces.h"

#include <QFont>
#include <QFontDatabase>

namespace zelvato::print {
namespace {

// A face is taken only when it is installed under this name (a missing face
// would silently become some other) and sets kana, kanji and brackets.
bool holdsJapanese(const QRawFont& font) {
  return font.isValid() && font.supportsCharacter(QChar(u'あ')) && font.supportsCharacter(QChar(u'漢')) &&
         font.supportsCharacter(QChar(u'「'));
}

bool installed(const QString& family) {
  return !family.trimmed().isEmpty() && QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

QRawFont rawFontOf(const QString& family) {
  QFont font(family);
  font.setStyleStrategy(QFont::NoFontMerging);
  return QRawFont::fromFont(font);
}

}  // namespace

QStringList japaneseFaces() {
  return {
      QStringLiteral("MS Mincho"),         QStringLiteral("MS Gothic"),        QStringLiteral("BIZ UDGothic"),
      QStringLiteral("IPAMincho"),         QStringLiteral("IPAGothic"),        QStringLiteral("TakaoGothic"),
      QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL Gothic")};
}

PrintFace chooseFace(const QString& userFace) {
  if (installed(userFace)) {
    const QRawFont font = rawFontOf(userFace);
    if (holdsJapanese(font)) return {font, userFace, false};
  }
  for (const QString& family : japaneseFaces()) {
    if (!installed(family)) continue;
    const QRawFont font = rawFontOf(family);
    if (holdsJapanese(font)) return {font, family, true};
  }
  return {QRawFont(), QString(), true};
}

QList<PrintFace> fallbackFaces(const QString& family) {
  QList<PrintFace> faces;
  for (const QString& name : japaneseFaces()) {
    if (name.compare(family, Qt::CaseInsensitive) == 0 || !installed(name)) continue;
    const QRawFont font = rawFontOf(name);
    if (holdsJapanese(font)) faces.push_back({font, name, true});
  }
  return faces;
}

}  // namespace zelvato::print
