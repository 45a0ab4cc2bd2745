#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;

namespace zelvato::ui {

// The font chooser of the layout page. It offers only fixed-pitch fonts, and
// counts the Japanese fonts whose half-width letters share one advance and
// whose full-width characters take two (the usual Gothic and Mincho faces) as
// fixed-pitch too, which Qt's own font dialog would leave out. Style, size,
// strikeout, underline and text colour can be chosen.
class FontChooser : public QDialog {
  Q_OBJECT

 public:
  explicit FontChooser(QWidget* parent);

  void setCurrentFont(const QFont& font);
  QFont currentFont() const;
  QFont selectedFont() const { return currentFont(); }
  void setCurrentColor(const QColor& color);
  QColor currentColor() const;

  QListWidget* familyList() const { return families_; }
  QComboBox* sizeBox() const { return size_; }

  // Whether the family sets every half-width letter on one advance.
  static bool isFixedPitchFamily(const QString& family);
  static QStringList fixedPitchFamilies();

 private:
  void updateSample();

  QListWidget* families_;
  QListWidget* styles_;
  QComboBox* size_;
  QCheckBox* strikeOut_;
  QCheckBox* underline_;
  QComboBox* colour_;
  QLabel* sample_;
  // The face given by setCurrentFont when it is not installed; owned by the list.
  QListWidgetItem* absentFace_ = nullptr;
};

}  // namespace zelvato::ui
