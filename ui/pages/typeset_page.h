#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;

namespace zelvato::ui {

class SettingsModel;

// The sixth tab, 組版設定: a check box for every typesetting option of the
// option table, in its order, below them the paper and the ruled lines of the
// manuscript (印刷…, PDFに書き出す…), and beside them how the text is set and
// how ruby is written, and the typeset book's format.
class TypesetPage : public QWidget {
  Q_OBJECT

 public:
  explicit TypesetPage(SettingsModel& model, QWidget* parent = nullptr);

  QList<QWidget*> keyboardOrder() const;

 private:
  // The ruby choice and the editor's notes matter only when Aozora Bunko notation is read.
  void chkTypeset_Click();
  // A frame of the option's two choices, one below the other or side by side.
  QGroupBox* choiceFrame(const char* option, const QString (&captions)[2], Qt::Orientation = Qt::Vertical);
  // The typeset book's preset and the numbers of its block that have a control.
  QGroupBox* bookFrame();

  SettingsModel& model_;
  QList<QWidget*> order_;
  QList<QWidget*> aozoraOnly_;
};

}  // namespace zelvato::ui
