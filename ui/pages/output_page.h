#pragma once

#include <QWidget>
#include <vector>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zelvato::ui {

class DialogProvider;
class SettingsModel;
struct OutputChoice;

// Tab 3, 出力設定: an option button for every output choice with the path
// field and the chooser of those that write a file or a folder, the page
// files' settings, the title, the BODY tag, the encoding and the reading text.
class OutputPage : public QWidget {
  Q_OBJECT

 public:
  OutputPage(SettingsModel& model, DialogProvider& dialogs, QWidget* parent = nullptr);

  // The chooser of a choice that writes a file or folder: asks for it and
  // puts it into the choice's field; a cancel changes nothing.
  void choosePath(const OutputChoice& choice);
  // The output-mode rule: the chosen choice's field, chooser and the controls
  // it names are usable, the others' disabled with their contents kept; a file
  // field stands where the chosen file choice's stands.
  void optOutput_Click();

  // The keyboard order of the page, and the fields that come after every page's controls.
  QList<QWidget*> keyboardOrder() const;
  QList<QWidget*> lateKeyboardOrder() const;
  QWidget* lastControl() const;

 private:
  SettingsModel& model_;
  DialogProvider& dialogs_;
  struct ChoiceControls {
    const OutputChoice* choice;
    QRadioButton* option;
    QLineEdit* field = nullptr;
    QPushButton* chooser = nullptr;
  };
  std::vector<ChoiceControls> choices_;
  QList<QWidget*> order_;
  QList<QWidget*> lateOrder_;
  QLineEdit* bodyTag_;
};

}  // namespace zelvato::ui
