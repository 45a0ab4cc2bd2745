#include "program_identity.h"

#include <QCoreApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>
#include <csignal>

#include "document/number_text.h"
#include "zelvato_version.h"

namespace zelvato::ui {

namespace {
QString number(int n) {
  return QString::fromStdU16String(formatNumber(n, 1));
}
}  // namespace

QString versionMessageText() {
  return QStringLiteral("HTML 縦書き変換 (Zelvato) Ver") + number(version::major) + u'.' +
         number(version::minor) + u'.' + number(version::revision) + QStringLiteral("\r\n\r\n") +
         QStringLiteral("Copyright (C) 2026 Zelvato team") + QStringLiteral("\r\n") +
         QStringLiteral("For TOVRIX 2000 Windows edition");
}

void prepareApplication() {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // Past a file-size limit a write fails with its reason, which a save shows,
  // instead of ending the program with the user's edits.
  std::signal(SIGXFSZ, SIG_IGN);
}

bool installJapaneseTranslations() {
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) return false;
  static QTranslator* installed = nullptr;
  if (installed != nullptr) return true;
  auto* translator = new QTranslator(application);
  if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return false;
  }
  installed = translator;
  return true;
}

void installFontSubstitutes() {
  static bool done = false;
  if (done) return;
  done = true;
  // Fixed-pitch Gothic faces map to IPAGothic, proportional ones to IPAPGothic.
  const QStringList fixedGothic{QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック")};
  const QStringList propGothic{QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                               QStringLiteral("IPAGothic")};
  QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), fixedGothic);
  QFont::insertSubstitutions(QStringLiteral("MS Gothic"), fixedGothic);
  QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), {QStringLiteral("IPAMincho")});
  QFont::insertSubstitutions(QStringLiteral("MS Mincho"), {QStringLiteral("IPAMincho")});
  QFont::insertSubstitutions(QStringLiteral("MS UI Gothic"), propGothic);
  QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), propGothic);
  QFont::insertSubstitutions(QStringLiteral("MS PGothic"), propGothic);
}

}  // namespace zelvato::ui
