// The rules that keep the settings consistent while the user edits them.
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <charconv>
#include <optional>

#include "document/number_text.h"
#include "font_chooser.h"
#include "frm_main.h"
#include "frm_main_texts.h"
#include "options/option_table.h"
#include "source_text_edit.h"
#include "up_down.h"
#include "write/registry/writer_registry.h"

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
  // The spinners write the start values into their boxes, each raising its change rule.
  const ConversionSettings start;
  const auto whole = [](const NumberField& number) { return toWholeNumber(number.value()).value_or(0); };
  updnAppearance_[charsPerLineBox]->setValue(whole(start.charsPerLine));
  updnAppearance_[linesPerColumnBox]->setValue(whole(start.linesPerColumn));
  updnAppearance_[charSpacingBox]->setValue(whole(start.charSpacingPt));
  updnAppearance_[lineSpacingBox]->setValue(whole(start.lineSpacingPt));
  updnAppearance_[columnGapBox]->setValue(whole(start.columnGapPx));
  updnAppearance_[tabWidthBox]->setValue(whole(start.tabWidth));
  updnColumnPage_->setValue(whole(start.columnsPerPage));
  commandButton(Command::stop)->setEnabled(false);
  updatePageSize();
  chkCSS_Click();
  navigate(QStringLiteral("about:"));
}

void frmMain::chkCSS_Click() {
  const bool on = chkCSS_->checkState() == Qt::Checked;
  txtAppearance_[charSpacingBox]->setEnabled(on);
  txtAppearance_[lineSpacingBox]->setEnabled(on);
  updnAppearance_[charSpacingBox]->setEnabled(on);
  updnAppearance_[lineSpacingBox]->setEnabled(on);
  if (on) return;
  // Without a style sheet the spacing follows the font size.
  if (const auto size = wholeNumberIn(txtFont_[fontSizeBox]))
    updnAppearance_[charSpacingBox]->setValue(*size);
  updnAppearance_[lineSpacingBox]->setValue(0);
}

void frmMain::optOutput_Click() {
  // The fields of each mode that writes files; a field of another mode is
  // disabled and keeps its contents. The book is always UTF-8 and real text,
  // so the encoding and the grid's reading text do not apply to it.
  const struct {
    std::string_view mode;
    std::initializer_list<QWidget*> controls;
  } modeControls[] = {
      {writerKeys::singleFile, {txtOutput_[singleFileBox], cmdFileSelect_}},
      {writerKeys::pageFiles,
       {txtOutput_[outputFolderBox], txtOutput_[baseNameBox], cmdFolderSelect_, chkOutput_[pageLinksBox],
        chkOutput_[pageNumbersBox], txtPageColum_, updnColumnPage_}},
      {writerKeys::epub, {txtOutput_[epubFileBox], cmdEpubSelect_}},
  };
  for (const auto& m : modeControls)
    for (QWidget* w : m.controls) w->setEnabled(outputOption(m.mode)->isChecked());
  const bool epub = outputOption(writerKeys::epub)->isChecked();
  for (QWidget* w : {static_cast<QWidget*>(optEncoding_[0]), static_cast<QWidget*>(optEncoding_[1]),
                     static_cast<QWidget*>(chkAccessibleText_)})
    w->setEnabled(!epub);
  // The book's file name and chooser stand where the HTML file's do.
  txtOutput_[singleFileBox]->setVisible(!epub);
  cmdFileSelect_->setVisible(!epub);
  txtOutput_[epubFileBox]->setVisible(epub);
  cmdEpubSelect_->setVisible(epub);
}

void frmMain::txtAppearance_Change() {
  updatePageSize();
}

void frmMain::txtFont_Change(int index) {
  if (index != fontSizeBox) return;
  if (txtFont_[fontSizeBox]->text().isEmpty()) {
    // Runs this rule once more, nested, for the new text.
    txtFont_[fontSizeBox]->setText(QStringLiteral("6"));
  }
  if (const auto size = wholeNumberIn(txtFont_[fontSizeBox]))
    updnAppearance_[charSpacingBox]->setValue(*size);
  updnAppearance_[lineSpacingBox]->setValue(0);
  updatePageSize();
}

void frmMain::updatePageSize() {
  for (int i : {charsPerLineBox, charSpacingBox, linesPerColumnBox, lineSpacingBox}) {
    if (txtAppearance_[i]->text().isEmpty()) return;
  }
  constexpr double mmPerPoint = 0.3514;
  const double s = numberIn(txtFont_[fontSizeBox]);
  const double c = numberIn(txtAppearance_[charsPerLineBox]);
  const double pc = numberIn(txtAppearance_[charSpacingBox]);
  const double l = numberIn(txtAppearance_[linesPerColumnBox]);
  const double pl = numberIn(txtAppearance_[lineSpacingBox]);

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
  lblHcov_[countLabel]->setText(characterCountText(txtMain_->sourceLength()));
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
  txtFont_[fontFaceBox]->setText(chosen.family());
  txtFont_[fontSizeBox]->setText(shortestSize(chosen.pointSizeF()));
}

// The ruby choice matters only when Aozora Bunko notation is read.
void frmMain::chkTypeset_Click() {
  const bool aozora = chkAozora_->isChecked();
  for (QRadioButton* option : optRuby_) option->setEnabled(aozora);
  chkEditorNotes_->setEnabled(aozora);
}

ConversionSettings frmMain::readSettings() const {
  ConversionSettings s;
  // The controls are bound by their object names in the option table. Only the
  // checked state counts as on; the grey state is off. A choice's option
  // buttons are named after it with the value they stand for: optRuby(1).
  for (const OptionEntry& o : optionTable()) {
    const QString name = QString::fromLatin1(o.control.data(), static_cast<qsizetype>(o.control.size()));
    if (o.text != nullptr) {
      if (const auto* box = findChild<QLineEdit*>(name)) s.*o.text = box->text().toStdU16String();
    } else if (o.number != nullptr) {
      if (const auto* box = findChild<QLineEdit*>(name))
        s.*o.number = NumberField(box->text().toStdU16String());
    } else if (o.onOff != nullptr) {
      if (const auto* box = findChild<QCheckBox*>(name)) s.*o.onOff = box->checkState() == Qt::Checked;
    } else if (o.setChoice != nullptr) {
      // A choice of two shown as one check box: checked is the second.
      if (const auto* box = findChild<QCheckBox*>(name); box != nullptr && o.choices.size() == 2) {
        o.setChoice(s, o.choices[box->checkState() == Qt::Checked ? 1 : 0].value);
        continue;
      }
      for (const OptionChoice& c : o.choices) {
        const auto* option = findChild<QRadioButton*>(QStringLiteral("%1(%2)").arg(name).arg(c.value));
        if (option != nullptr && option->isChecked()) o.setChoice(s, c.value);
      }
    }
  }
  // The media's files and folder are bound by the writer registry.
  for (const WriterEntry& w : writerRegistry()) {
    const QString name =
        QString::fromLatin1(w.pathControl.data(), static_cast<qsizetype>(w.pathControl.size()));
    if (const auto* box = w.pathControl.empty() ? nullptr : findChild<QLineEdit*>(name))
      setOutputPath(s, w, box->text().toStdU16String());
  }
  s.outputMode = writerKeys::showOnly;
  for (const std::string_view mode : {writerKeys::singleFile, writerKeys::pageFiles, writerKeys::epub})
    if (outputOption(mode)->isChecked()) s.outputMode = mode;
  return s;
}

}  // namespace zelvato::ui
