#pragma once

#include <QWidget>
#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zelvato {
struct WriterEntry;
}

namespace zelvato::ui {

class DialogProvider;
class SettingsModel;

// Tab 3, 出力設定: an option button for every medium the window offers (the
// writer registry's) with the path field and the chooser of those that write
// a file or a folder, the page files' settings, the title, the BODY tag, the
// encoding and the reading text.
class OutputPage : public QWidget {
  Q_OBJECT

 public:
  OutputPage(SettingsModel& model, DialogProvider& dialogs, QWidget* parent = nullptr);

  // The chooser of a medium that writes a file or folder: asks for it and
  // puts it into the medium's field, with the medium's extension added to a
  // name typed without one; a cancel changes nothing. The dialog starts,
  // without a name, in `startFolder()` (the text's folder), else in the
  // folder of the field's path.
  void choosePath(const WriterEntry& writer);
  void setStartFolder(std::function<QString()> startFolder) { startFolder_ = std::move(startFolder); }
  // The output-mode rule: the chosen medium's field, chooser and the controls
  // that mean something for it are usable, the others' disabled with their
  // contents kept; a file field stands where the chosen file medium's stands.
  void optOutput_Click();

  // The keyboard order of the page.
  QList<QWidget*> keyboardOrder() const;
  QWidget* lastControl() const;

 private:
  SettingsModel& model_;
  DialogProvider& dialogs_;
  std::function<QString()> startFolder_;
  struct ChoiceControls {
    const WriterEntry* writer;
    QRadioButton* option;
    QLineEdit* field = nullptr;
    QPushButton* chooser = nullptr;
  };
  std::vector<ChoiceControls> choices_;
  QList<QWidget*> order_;
  QLabel* fileCaption_ = nullptr;
  QLineEdit* title_;
  QLineEdit* bodyTag_;
};

}  // namespace zelvato::ui
