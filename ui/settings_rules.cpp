// The rules that keep the settings consistent while the user edits them.
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <charconv>
#include <optional>

#include "font_chooser.h"
#include "frm_main.h"
#include "frm_main_texts.h"
#include "number_text.h"
#include "source_text_edit.h"
#include "up_down.h"

namespace zelvato::ui {

namespace {

double numberIn(const QLineEdit* box) {
  return textToNumber(box->text().toStdU16String());
}

// The nearest 32-bit integer, halves to even; nothing when out of range.
std::optional<int> wholeNumberIn(const QLineEdit* box) {
  const auto n = toWholeNumber(numberIn(box));
  if (!n) return std::nullopt;
  return static_cast<int>(*n);
}

// A rounded page measure as decimal text; beyond 32 bits it is still a number.
QString wholeText(double value) {
  if (const auto n = toWholeNumber(value)) return QString::number(*n);
  return QString::number(roundHalfEven(value), 'f', 0);
}

// A single-precision size in its shortest decimal form: 9, 10.5.
QString shortestSize(double size) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(size));
  return QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
}

}  // namespace

void frmMain::Form_Load() {
  closeAllowed_ = true;
  updnAppearance_[0]->setValue(25);
  updnAppearance_[2]->setValue(20);
  updnAppearance_[1]->setValue(9);
  updnAppearance_[3]->setValue(0);
  updnAppearance_[4]->setValue(6);
  updnAppearance_[5]->setValue(2);
  updnColumnPage_->setValue(2);
  toolbarButton(6)->setEnabled(false);
  updatePageSize();
  chkCSS_Click();
  navigate(QStringLiteral("about:"));
}

void frmMain::chkCSS_Click() {
  const bool on = chkCSS_->checkState() == Qt::Checked;
  txtAppearance_[1]->setEnabled(on);
  txtAppearance_[3]->setEnabled(on);
  updnAppearance_[1]->setEnabled(on);
  updnAppearance_[3]->setEnabled(on);
  if (on) return;
  // Without a style sheet the spacing follows the font size.
  if (const auto size = wholeNumberIn(txtFont_[1])) updnAppearance_[1]->setValue(*size);
  updnAppearance_[3]->setValue(0);
}

void frmMain::optOutput_Click() {
  for (QWidget* w : std::initializer_list<QWidget*>{txtOutput_[0], txtOutput_[1], txtOutput_[2],
                                                    cmdFileSelect_, cmdFolderSelect_, chkOutput_[0],
                                                    chkOutput_[1], txtPageColum_, updnColumnPage_}) {
    w->setEnabled(false);
  }
  if (optOutput_[1]->isChecked()) {
    txtOutput_[0]->setEnabled(true);
    cmdFileSelect_->setEnabled(true);
  }
  if (optOutput_[2]->isChecked()) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{txtOutput_[1], txtOutput_[2], cmdFolderSelect_, chkOutput_[0],
                                         chkOutput_[1], txtPageColum_, updnColumnPage_}) {
      w->setEnabled(true);
    }
  }
}

void frmMain::txtAppearance_Change() {
  updatePageSize();
}

void frmMain::txtFont_Change(int index) {
  if (index != 1) return;
  if (txtFont_[1]->text().isEmpty()) {
    // Runs this rule once more, nested, for the new text.
    txtFont_[1]->setText(QStringLiteral("6"));
  }
  if (const auto size = wholeNumberIn(txtFont_[1])) updnAppearance_[1]->setValue(*size);
  updnAppearance_[3]->setValue(0);
  updatePageSize();
}

void frmMain::updatePageSize() {
  for (int i : {0, 1, 2, 3}) {
    if (txtAppearance_[i]->text().isEmpty()) return;
  }
  constexpr double mmPerPoint = 0.3514;
  const double s = numberIn(txtFont_[1]);
  const double c = numberIn(txtAppearance_[0]);
  const double pc = numberIn(txtAppearance_[1]);
  const double l = numberIn(txtAppearance_[2]);
  const double pl = numberIn(txtAppearance_[3]);

  const double w1 = roundHalfEven(s * mmPerPoint * (l + l));
  txtWidth_->setText(wholeText(pl * mmPerPoint * l + w1));
  const double h1 = roundHalfEven(s * mmPerPoint * c);
  txtHeight_->setText(wholeText(pc * mmPerPoint * c + h1));
}

void frmMain::txtPageColum_Change() {
  if (!txtPageColum_->text().isEmpty() && numberIn(txtPageColum_) > 0) return;
  updnColumnPage_->setValue(1);
  // The "1" put in while the user types is selected, so the next key replaces it.
  txtPageColum_->selectAll();
}

QString frmMain::characterCountText(qint64 n) {
  if (n <= 0) return texts::mainHint;
  return texts::countPrefix + QString::fromStdU16String(groupThousands(formatNumber(n, 1))) +
         texts::countSuffix;
}

void frmMain::txtMain_Change() {
  lblHcov_[20]->setText(characterCountText(txtMain_->sourceLength()));
}

void frmMain::cmdFontChange_Click() {
  FontChooser* dialog = FontDialog();
  dialog->setWindowTitle(texts::fontDialogTitle);
  dialog->setCurrentFont(txtSampleFont_->font());
  dialog->setCurrentColor(txtSampleFont_->palette().color(QPalette::Text));
  if (dialog->exec() != QDialog::Accepted) return;

  const QFont chosen = dialog->selectedFont();
  QFont sample = txtSampleFont_->font();
  sample.setFamily(chosen.family());
  sample.setPointSizeF(chosen.pointSizeF());
  sample.setBold(chosen.bold());
  sample.setItalic(chosen.italic());
  sample.setStrikeOut(chosen.strikeOut());
  sample.setUnderline(chosen.underline());
  txtSampleFont_->setFont(sample);
  QPalette palette = txtSampleFont_->palette();
  palette.setColor(QPalette::Text, dialog->currentColor());
  txtSampleFont_->setPalette(palette);
  txtFont_[0]->setText(chosen.family());
  txtFont_[1]->setText(shortestSize(chosen.pointSizeF()));
}

ConversionSettings frmMain::readSettings() const {
  const auto text = [](const QLineEdit* box) { return box->text().toStdU16String(); };
  // Only the checked state counts as on; the grey state is off.
  const auto on = [](const QCheckBox* box) { return box->checkState() == Qt::Checked; };
  ConversionSettings s;
  s.charsPerLine = text(txtAppearance_[0]);
  s.charSpacingPt = text(txtAppearance_[1]);
  s.linesPerColumn = text(txtAppearance_[2]);
  s.lineSpacingPt = text(txtAppearance_[3]);
  s.columnGapPx = text(txtAppearance_[4]);
  s.tabWidth = text(txtAppearance_[5]);
  s.fontFace = text(txtFont_[0]);
  s.fontSizePt = text(txtFont_[1]);
  s.useStyleSheet = on(chkCSS_);
  s.centerText = on(chkOpt_[5]);
  s.textColourEnabled = on(chkOpt_[4]);
  s.addRule = on(chkOpt_[3]);
  s.showGrid = on(chkOpt_[2]);
  s.kanjiNumerals = on(chkOpt_[0]);
  s.lineBreakRules = on(chkOpt_[1]);
  s.outputMode = optOutput_[2]->isChecked()   ? OutputMode::pageFiles
                 : optOutput_[1]->isChecked() ? OutputMode::singleFile
                                              : OutputMode::showOnly;
  s.singleFilePath = text(txtOutput_[0]);
  s.outputFolder = text(txtOutput_[1]);
  s.fileBaseName = text(txtOutput_[2]);
  s.htmlTitle = text(txtOutput_[3]);
  s.bodyTag = text(txtOutput_[4]);
  s.columnsPerPage = text(txtPageColum_);
  s.addPageLinks = on(chkOutput_[0]);
  s.addPageNumbers = on(chkOutput_[1]);
  return s;
}

}  // namespace zelvato::ui
