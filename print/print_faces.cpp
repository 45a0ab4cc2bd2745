#include "print_faces.h"

#include <QFont>
#include <QFontDatabase>

#include "write/pdf/installed_faces.h"

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
  // The PDF's list: the Mincho faces first, then the Gothic ones.
  QStringList faces;
  for (const std::string_view family : pdf::fallbackFaces())
    faces.push_back(QString::fromUtf8(family.data(), static_cast<qsizetype>(family.size())));
  return faces;
}

PrintFace chooseFace(const QString& userFace) {
  if (installed(userFace)) {
    const QRawFont font = rawFontOf(userFace);
    if (holdsJapanese(font)) return {font, userFace, false};
  }
  for (const QString& family : japaneseFaces()) {
    if (!installed(family)) continue;
    const QRawFont font = rawFontOf(family);
    // Only a face that was asked for and not found falls back.
    if (holdsJapanese(font)) return {font, family, !userFace.trimmed().isEmpty()};
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
