#include "platform_routines.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>
#include <string_view>

#include "app_texts.h"
#include "text/codepage.h"

namespace zelvato {

QString appFolder;

QString folderWithSeparator(const QString& folder) {
  if (folder.isEmpty()) return folder;
  QString result = QDir::fromNativeSeparators(folder);
  if (!result.endsWith(QLatin1Char('/'))) result += QLatin1Char('/');
  return result;
}

void initAppFolder() {
  if (QCoreApplication::instance() == nullptr) return;
  const QString folder = folderWithSeparator(QCoreApplication::applicationDirPath());
  if (!folder.isEmpty()) appFolder = folder;
}

QString helpPagePath(const QString& programFolder) {
  const QString beside = programFolder + texts::helpPage;
  // The build writes where an installed program keeps its help, relative to its folder.
  const QString installed = QDir::cleanPath(programFolder + QStringLiteral(ZELVATO_INSTALLED_HELP_PAGE));
  if (QFileInfo::exists(beside) || !QFileInfo::exists(installed)) return beside;
  return installed;
}

void setTopMost(QWidget* window) {
  if (window == nullptr) return;
  if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) return;
  // Changing the window flags re-creates the native window and hides it; put
  // it back where it was, with its size, and show it again if it was shown.
  const bool wasVisible = window->isVisible();
  const QPoint position = window->pos();
  const QSize size = window->size();
  window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
  window->move(position);
  window->resize(size);
  if (wasVisible) window->show();
}

std::int32_t ansiByteLength(const QString& text) {
  const std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()),
                                  static_cast<std::size_t>(text.size()));
  return cp932ByteLength(units);
}

}  // namespace zelvato
