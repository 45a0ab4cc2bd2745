#pragma once

#include <signal.h>

#include <QProcess>
#include <QString>

// Starts the helper that holds the single-instance lock at `path` like a
// running copy of the program; returns what it said first ("held", "busy" or
// "unavailable").
inline QByteArray startHolder(QProcess& holder, const QString& path) {
  holder.setProgram(QStringLiteral(LOCK_HOLDER_PATH));
  holder.setArguments({path});
  holder.start();
  if (!holder.waitForStarted(10000)) return "not started";
  while (!holder.canReadLine()) {
    if (!holder.waitForReadyRead(10000)) return "silent";
  }
  return holder.readLine().trimmed();
}

// Ends the process the way a crash does: no clean-up of its own runs.
inline void killHard(QProcess& process) {
  ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
  process.waitForFinished(10000);
}
