#include "temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>

#include "app_texts.h"
#include "dialog_provider.h"

namespace zelvato {
namespace {

constexpr mode_t privateMode = 0700;

// lstat, so a symbolic link is seen as a link and never followed.
bool isPrivateDirectory(const QString& path) {
  struct stat info {};
  if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 07777) == privateMode;
}

// Makes `path` with mode 0700 unless something is there already, then checks it.
bool makePrivateDirectory(const QString& path) {
  if (::mkdir(QFile::encodeName(path).constData(), privateMode) != 0 && errno != EEXIST) return false;
  return isPrivateDirectory(path);
}

// The folder in the user's own cache: nobody else can have planted it, so a
// directory of the user's with a looser mode is tightened instead of refused.
bool makeOwnPrivateDirectory(const QString& path) {
  if (!QDir().mkpath(QFileInfo(path).path())) return false;
  if (::mkdir(QFile::encodeName(path).constData(), privateMode) != 0 && errno != EEXIST) return false;
  struct stat info {};
  const QByteArray name = QFile::encodeName(path);
  if (::lstat(name.constData(), &info) != 0) return false;
  if (S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 07777) != privateMode) {
    ::chmod(name.constData(), privateMode);
  }
  return isPrivateDirectory(path);
}

// A usable place is an absolute path; "a/b/" and "a/b" name the same folder,
// and lstat must see the folder itself, not what a trailing "/" resolves to.
QString cleanAbsolute(const QString& path) {
  if (path.isEmpty() || !QDir::isAbsolutePath(path)) return {};
  return QDir::cleanPath(path);
}

QString withSlash(const QString& folder) {
  return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

}  // namespace

PrivateFolderPlaces defaultPrivateFolderPlaces() {
  PrivateFolderPlaces places;
  places.runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
  places.sharedTempRoot = QDir::tempPath();
  places.cacheRoot = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
  return places;
}

QString privateFolder(const PrivateFolderPlaces& places) {
  const QString runtimeDir = cleanAbsolute(places.runtimeDir);
  if (!runtimeDir.isEmpty() && isPrivateDirectory(runtimeDir)) return withSlash(runtimeDir);

  const QString sharedRoot = cleanAbsolute(places.sharedTempRoot);
  if (!sharedRoot.isEmpty()) {
    const QString folder = sharedRoot + QStringLiteral("/zelvato-") + QString::number(::geteuid());
    if (makePrivateDirectory(folder)) return withSlash(folder);
  }

  const QString cacheRoot = cleanAbsolute(places.cacheRoot);
  if (!cacheRoot.isEmpty()) {
    const QString folder = cacheRoot + QStringLiteral("/zelvato");
    if (makeOwnPrivateDirectory(folder)) return withSlash(folder);
  }
  return {};
}

QString tempFolder(ui::DialogProvider& dialogs) {
  const QString folder = privateFolder(defaultPrivateFolderPlaces());
  if (folder.isEmpty()) dialogs.inform(nullptr, texts::noPrivateFolder, ui::MessageIcon::stop);
  return folder;
}

QString previewFilePath(ui::DialogProvider& dialogs) {
  // Never a bare name in the current folder: without a private folder there is no preview path.
  const QString folder = tempFolder(dialogs);
  return folder.isEmpty() ? QString() : folder + QLatin1String(previewFileName);
}

}  // namespace zelvato
