#pragma once

#include <QString>

namespace zelvato {

namespace ui {
class DialogProvider;
}

// The file name of the preview file in the temporary folder.
inline constexpr char previewFileName[] = "zelvato_temp.html";
// The manuscript PDF the print preview shows, there while it is shown.
inline constexpr char printFileName[] = "zelvato_print.pdf";

// The places a private per-user folder may be found or made, in the order tried.
struct PrivateFolderPlaces {
  QString runtimeDir;      // the session's runtime folder ($XDG_RUNTIME_DIR), used as it is
  QString sharedTempRoot;  // a temporary folder shared by all users (/tmp); "zelvato-<uid>" is made in it
  QString cacheRoot;       // the user's cache folder (~/.cache); "zelvato" is made in it
};

// The places of the running user: $XDG_RUNTIME_DIR, the system's temporary
// folder and the user's cache folder.
PrivateFolderPlaces defaultPrivateFolderPlaces();

// A folder only the running user can reach, ending in "/", or the empty text
// when none can be had. A folder in the runtime or shared place is taken only
// when it is a real directory (not a symbolic link), owned by the user, with
// mode 0700 exactly; anything else there is refused, never repaired, because
// another user may have planted it. Shows nothing.
QString privateFolder(const PrivateFolderPlaces& places);

// The program's temporary folder, ending in "/". A fixed file name in a folder
// every user can write would let another user plant a link there, so this is
// the private per-user folder. When there is none, says so in a message box
// with the stop icon and returns the empty text.
QString tempFolder(ui::DialogProvider& dialogs);

// tempFolder() followed by "zelvato_temp.html"; the empty text when tempFolder
// failed, so a run writes nothing at all rather than into the current folder.
QString previewFilePath(ui::DialogProvider& dialogs);

}  // namespace zelvato
