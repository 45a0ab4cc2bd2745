#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace zelvato::ui {

class DialogProvider;
class SettingsModel;
class UpDown;

// Tab 1, ﾚｲｱｳﾄ設定: the frame 体裁 with the grid's measures, the page size
// they give and the look options, the frame フォント with the chooser, and
// the illustration of the terms.
class LayoutPage : public QWidget {
  Q_OBJECT

 public:
  LayoutPage(SettingsModel& model, DialogProvider& dialogs, QWidget* parent = nullptr);

  QCheckBox* chkCSS() const { return chkCSS_; }
  QPushButton* cmdFontChange() const { return cmdFontChange_; }
  QLineEdit* txtSampleFont() const { return txtSampleFont_; }
  QLineEdit* txtHeight() const { return txtHeight_; }
  QLineEdit* txtWidth() const { return txtWidth_; }

  // The font chooser: the chosen face and size become the settings, the
  // sample shows them with the style, effects and colour chosen; a cancel
  // changes nothing.
  void cmdFontChange_Click();

  QList<QWidget*> keyboardOrder() const;
  // The control that closes the page's keyboard order.
  QList<QWidget*> lastControls() const;

 private:
  void settingChanged(const QString& key);
  // The style-sheet rule: the spacings are the user's only with a style sheet.
  void chkCSS_Click();
  // The page's size in millimetres from the measures; an empty measure leaves it as it was.
  void updatePageSize();
  void showFontSample();

  SettingsModel& model_;
  DialogProvider& dialogs_;
  QCheckBox* chkCSS_;
  std::array<QLineEdit*, 6> txtAppearance_{};
  std::array<UpDown*, 6> updnAppearance_{};
  QLineEdit* txtHeight_;
  QLineEdit* txtWidth_;
  QList<QCheckBox*> chkOpt_;
  QPushButton* cmdFontChange_;
  QLineEdit* txtSampleFont_;
};

}  // namespace zelvato::ui
