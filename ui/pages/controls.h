#pragma once

#include <QString>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// Small makers shared by the main window's pages: every control carries its
// name as its object name, a member of a control array with its index in
// brackets, "lblHcov(20)".
namespace zelvato::ui::controls {

QString indexed(const char* name, int index);
// A frame with its caption.
QGroupBox* frame(QWidget* parent, const QString& name, const QString& caption);
QLabel* label(QWidget* parent, int index, const QString& text);
QLineEdit* box(QWidget* parent, const QString& name, int width = 0);
QCheckBox* check(QWidget* parent, const QString& name, const QString& text);
// An option button; Tab into its group lands on the chosen one.
QRadioButton* option(QWidget* parent, const QString& name, const QString& text);
QPushButton* button(QWidget* parent, const QString& name, const QString& text);
// The tight spacing of the design's frames.
void tighten(QLayout* layout);

// The height of a text box, and of a check box or option button.
constexpr int rowHeight = 18;
constexpr int optionHeight = 16;

}  // namespace zelvato::ui::controls
