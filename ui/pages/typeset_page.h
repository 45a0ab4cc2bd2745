#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;

namespace zelvato::ui {

class SettingsModel;

// The sixth tab, 組版設定: a check box for every typesetting option of the
// option table, in its order, below them the paper and the ruled lines of the
// manuscript (印刷…, PDFに書き出す…), and beside them the notation the source
// is read in, how the text is set and how ruby is written, and the typeset
// book's format.
class TypesetPage : public QWidget {
  Q_OBJECT

 public:
  explicit TypesetPage(SettingsModel& model, QWidget* parent = nullptr);

  QList<QWidget*> keyboardOrder() const;

 private:
  // The ruby choice matters only when a notation marks ruby, the editor's
  // notes only in Aozora Bunko notation, the parenthesised readings only in
  // the novel-posting sites'.
  void chkTypeset_Click();
  // A frame of the option's first choices, one caption each, one below the other or side by side.
  QGroupBox* choiceFrame(const char* option, const QStringList& captions, Qt::Orientation = Qt::Vertical);
  // The typeset book's preset and the numbers of its block that have a control.
  QGroupBox* bookFrame();

  SettingsModel& model_;
  QList<QWidget*> order_;
  QList<QWidget*> rubyOnly_;
  QList<QWidget*> aozoraOnly_;
  QList<QWidget*> webOnly_;
};

}  // namespace zelvato::ui
