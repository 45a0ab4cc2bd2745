#pragma once

#include <QString>

// The start-up code's user-visible texts, kept in one place.
namespace zelvato::texts {

inline const QString unexpectedError = QStringLiteral("予期しないｴﾗｰが発生しました.");
inline const QString secondInstanceRefused = QStringLiteral("二重起動することはできません.");
inline const QString versionPrefix = QStringLiteral("Version ");

}  // namespace zelvato::texts
