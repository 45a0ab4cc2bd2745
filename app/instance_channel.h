#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace zelvato {

// One window stays the rule: the running copy listens on a local socket in the
// user's private folder, and a second launch hands it its file there (or
// nothing, to bring the window to the front) instead of opening a window of
// its own. A message is one line: the file's absolute path in UTF-8; the
// running copy answers "ok" once it has taken it.
//
// The channel stays open to every later launch whatever reaches it: a
// connection that has not handed over its line within `connectionTimeoutMs`
// is closed, at most a few are served at once (the others wait their turn in
// the socket's queue), and the server listens again when it has stopped.
class InstanceChannel : public QObject {
  Q_OBJECT
 public:
  explicit InstanceChannel(QObject* parent = nullptr, int connectionTimeoutMs = 3000);

  // Listens at `socketPath`. A socket left there by a copy that ended is
  // removed first: whoever holds the single-instance lock owns the name.
  bool listen(const QString& socketPath);

  // The second launch's side: true when the running copy took the message.
  static bool handOver(const QString& socketPath, const QString& file, int timeoutMs = 3000);

 Q_SIGNALS:
  // A second launch asked for `path` (empty: only the window to the front).
  void fileHandedOver(const QString& path);

 private:
  void serve();
  // Answers a launch once its line is there.
  void takeLine(QLocalSocket* socket);
  void listenAgainIfStopped();

  QLocalServer* server_;
  QString socketPath_;
  int connectionTimeoutMs_;
  int served_ = 0;  // connections open now
};

// "zelvato.socket" in the user's private folder; empty when there is none.
QString instanceSocketPath();

}  // namespace zelvato
