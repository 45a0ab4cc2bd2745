#pragma once

#include <QWidget>

class QPushButton;
class QLineEdit;

namespace zelvato::ui {

class DialogProvider;
class SettingsModel;

// The seventh tab, 本文と表紙: the type the flowing page and the EPUB are
// set in (the family, a face of the user's, the size and the line height)
// and the EPUB's cover. A control is usable only while the chosen medium and
// style of text read it.
class ReadingPage : public QWidget {
  Q_OBJECT

 public:
  ReadingPage(SettingsModel& model, DialogProvider& dialogs, QWidget* parent = nullptr);

  // Asks for a picture and puts it into the cover's field; a cancel changes nothing.
  void chooseCover();
  // The rule of the page: its controls follow the medium and the style of text.
  void optOutput_Click();

  QList<QWidget*> keyboardOrder() const;

 private:
  SettingsModel& model_;
  DialogProvider& dialogs_;
  QList<QWidget*> order_;
  QLineEdit* cover_ = nullptr;
  QPushButton* coverChooser_ = nullptr;
};

}  // namespace zelvato::ui
