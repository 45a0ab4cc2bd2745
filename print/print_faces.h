#pragma once

#include <QRawFont>
#include <QString>
#include <QStringList>

namespace zelvato::print {

// The Japanese faces a manuscript falls back to, in order, after the user's:
// the PDF's, Mincho first.
QStringList japaneseFaces();

// A face the manuscript is set in.
struct PrintFace {
  QRawFont font;
  QString family;         // the name it was chosen by
  bool fallback = false;  // the face asked for was not installed or has no Japanese glyphs
};

// The user's face when it is installed and holds Japanese glyphs, else the
// first such face of japaneseFaces(); an invalid font when there is none.
PrintFace chooseFace(const QString& userFace);

// Every installed Japanese face of the list except `family`, in order: where
// the chosen face lacks a character, the first of these that has it sets it.
QList<PrintFace> fallbackFaces(const QString& family);

}  // namespace zelvato::print
