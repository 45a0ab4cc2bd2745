#pragma once

#include <QPlainTextEdit>

namespace zelvato::ui {

// The source pane. It takes a text of any length, a whole novel; its text is
// measured as the program counts it: a line break is CR LF, two code units.
class SourceTextEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit SourceTextEdit(QWidget* parent);

  // The text with CR LF line breaks, as the conversion reads it.
  QString sourceText() const;
  // Its length in UTF-16 code units, CR and LF each counted.
  qsizetype sourceLength() const;

 protected:
  // Pasted and dropped text: CR LF and a lone CR each become one line break.
  void insertFromMimeData(const QMimeData* source) override;
};

}  // namespace zelvato::ui
