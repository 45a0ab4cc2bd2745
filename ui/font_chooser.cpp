#include "font_chooser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "document/number_text.h"

namespace zelvato::ui {

namespace {

enum Style { regular, italic, bold, boldItalic };

const QList<QPair<QString, QColor>>& colours() {
  static const QList<QPair<QString, QColor>> list{
      {QStringLiteral("黒"), Qt::black},          {QStringLiteral("栗色"), QColor(0x80, 0, 0)},
      {QStringLiteral("緑"), QColor(0, 0x80, 0)}, {QStringLiteral("オリーブ"), QColor(0x80, 0x80, 0)},
      {QStringLiteral("紺"), QColor(0, 0, 0x80)}, {QStringLiteral("紫"), QColor(0x80, 0, 0x80)},
      {QStringLiteral("灰色"), Qt::gray},         {QStringLiteral("赤"), Qt::red},
      {QStringLiteral("青"), Qt::blue},           {QStringLiteral("白"), Qt::white}};
  return list;
}

}  // namespace

bool FontChooser::isFixedPitchFamily(const QString& family) {
  if (QFontDatabase::isFixedPitch(family)) return true;
  QFont font(family, 12);
  font.setStyleStrategy(QFont::NoFontMerging);
  const QFontMetricsF metrics(font);
  const double advance = metrics.horizontalAdvance(u'M');
  if (advance <= 0) return false;
  for (QChar c : QStringLiteral("il.W0m ")) {
    if (std::abs(metrics.horizontalAdvance(c) - advance) > 0.01) return false;
  }
  return true;
}

QStringList FontChooser::fixedPitchFamilies() {
  QStringList result;
  for (const QString& family : QFontDatabase::families()) {
    if (!QFontDatabase::isPrivateFamily(family) && QFontDatabase::isScalable(family) &&
        isFixedPitchFamily(family))
      result << family;
  }
  return result;
}

FontChooser::FontChooser(QWidget* parent)
    : QDialog(parent),
      families_(new QListWidget(this)),
      styles_(new QListWidget(this)),
      size_(new QComboBox(this)),
      strikeOut_(new QCheckBox(QStringLiteral("取り消し線(&K)"), this)),
      underline_(new QCheckBox(QStringLiteral("下線(&U)"), this)),
      colour_(new QComboBox(this)),
      sample_(new QLabel(QStringLiteral("Aa あア亜"), this)) {
  setObjectName(QStringLiteral("FontDialog"));
  families_->setObjectName(QStringLiteral("fontFamilies"));
  styles_->setObjectName(QStringLiteral("fontStyles"));
  size_->setObjectName(QStringLiteral("fontSize"));

  families_->addItems(fixedPitchFamilies());
  styles_->addItems(
      {QStringLiteral("標準"), QStringLiteral("斜体"), QStringLiteral("太字"), QStringLiteral("太字 斜体")});
  size_->setEditable(true);
  for (const char* s : {"8", "9", "10", "10.5", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28",
                        "36", "48", "72"}) {
    size_->addItem(QString::fromLatin1(s));
  }
  for (const auto& [name, colour] : colours()) {
    QPixmap swatch(12, 12);
    swatch.fill(colour);
    colour_->addItem(QIcon(swatch), name, colour);
  }
  sample_->setAlignment(Qt::AlignCenter);
  sample_->setMinimumSize(200, 56);
  sample_->setFrameShape(QFrame::StyledPanel);

  // Each caption's mnemonic takes the keyboard to its field.
  const auto caption = [](const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
  };
  auto* grid = new QGridLayout;
  grid->addWidget(caption(QStringLiteral("フォント名(&F):"), families_, this), 0, 0);
  grid->addWidget(caption(QStringLiteral("スタイル(&Y):"), styles_, this), 0, 1);
  grid->addWidget(caption(QStringLiteral("サイズ(&S):"), size_, this), 0, 2);
  grid->addWidget(families_, 1, 0);
  grid->addWidget(styles_, 1, 1);
  grid->addWidget(size_, 1, 2, Qt::AlignTop);
  grid->setColumnStretch(0, 3);
  grid->setColumnStretch(1, 2);
  grid->setColumnStretch(2, 1);

  auto* effects = new QGroupBox(QStringLiteral("文字飾り"), this);
  auto* effectsLayout = new QVBoxLayout(effects);
  effectsLayout->addWidget(strikeOut_);
  effectsLayout->addWidget(underline_);
  effectsLayout->addWidget(caption(QStringLiteral("色(&C):"), colour_, effects));
  effectsLayout->addWidget(colour_);
  auto* sampleBox = new QGroupBox(QStringLiteral("サンプル"), this);
  auto* sampleLayout = new QVBoxLayout(sampleBox);
  sampleLayout->addWidget(sample_);
  grid->addWidget(effects, 2, 0);
  grid->addWidget(sampleBox, 2, 1, 1, 2);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  resize(440, 330);

  connect(families_, &QListWidget::currentRowChanged, this, &FontChooser::updateSample);
  connect(styles_, &QListWidget::currentRowChanged, this, &FontChooser::updateSample);
  connect(size_, &QComboBox::currentTextChanged, this, &FontChooser::updateSample);
  connect(strikeOut_, &QCheckBox::toggled, this, &FontChooser::updateSample);
  connect(underline_, &QCheckBox::toggled, this, &FontChooser::updateSample);
  connect(colour_, &QComboBox::currentIndexChanged, this, &FontChooser::updateSample);
  setCurrentFont(font());
}

void FontChooser::setCurrentFont(const QFont& font) {
  // A face that is not installed heads the list under its own name and stays
  // the choice unless the user picks another; the sample shows the face that
  // stands in for it.
  delete absentFace_;
  absentFace_ = nullptr;
  const QString family = font.family();
  const QList<QListWidgetItem*> found = families_->findItems(family, Qt::MatchFixedString);
  if (!found.isEmpty()) {
    families_->setCurrentItem(found.first());
  } else if (!family.isEmpty()) {
    absentFace_ = new QListWidgetItem(family);
    families_->insertItem(0, absentFace_);
    families_->setCurrentItem(absentFace_);
  } else if (families_->count() > 0) {
    families_->setCurrentRow(0);
  }
  styles_->setCurrentRow((font.bold() ? bold : regular) + (font.italic() ? 1 : 0));
  size_->setCurrentText(QString::number(font.pointSizeF()));
  strikeOut_->setChecked(font.strikeOut());
  underline_->setChecked(font.underline());
  updateSample();
}

QFont FontChooser::currentFont() const {
  QFont font(families_->currentItem() != nullptr ? families_->currentItem()->text() : QString());
  const double size = textToNumber(size_->currentText().toStdU16String());
  font.setPointSizeF(size > 0 ? size : 9);
  const int style = std::max(0, styles_->currentRow());
  font.setBold(style == bold || style == boldItalic);
  font.setItalic(style == italic || style == boldItalic);
  font.setStrikeOut(strikeOut_->isChecked());
  font.setUnderline(underline_->isChecked());
  return font;
}

void FontChooser::setCurrentColor(const QColor& color) {
  const int index = colour_->findData(color);
  colour_->setCurrentIndex(index >= 0 ? index : 0);
}

QColor FontChooser::currentColor() const {
  return colour_->currentData().value<QColor>();
}

void FontChooser::updateSample() {
  sample_->setFont(currentFont());
  QPalette pal = sample_->palette();
  pal.setColor(QPalette::WindowText, currentColor());
  sample_->setPalette(pal);
}

}  // namespace zelvato::ui
