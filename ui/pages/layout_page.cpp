#include "layout_page.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <charconv>

#include "controls.h"
#include "dialog_provider.h"
#include "frm_main_texts.h"
#include "layout_sample.h"
#include "option_controls.h"
#include "options/option_table.h"
#include "settings_model.h"
#include "up_down.h"

namespace zelvato::ui {

namespace {

// The measures of the grid: the option, its box's label and unit (members of
// lblHcov), and where it stands in the frame.
struct Measure {
  const char* option;
  int label;
  int unit;
  const char* unitText;
  int row;
  int column;
};
constexpr Measure measures[] = {
    {"charsPerLine", 0, 4, "桁", 1, 0},   {"charSpacingPt", 1, 5, "pt", 2, 0},
    {"linesPerColumn", 2, 6, "行", 1, 5}, {"lineSpacingPt", 3, 7, "pt", 2, 5},
    {"columnGapPx", 11, 10, "px", 5, 0},  {"tabWidth", 13, 14, "字", 6, 0},
};

// The look options: the option, and where its box stands; the text colour,
// which the window carries but does not offer, stands grey and disabled.
constexpr struct {
  const char* option;
  int row;
  int column;
} looks[] = {
    {"kanjiNumerals", 5, 5}, {nullptr, 6, 5}, {"showGrid", 7, 0}, {"addRule", 8, 0}, {"centerText", 8, 5}};

// A single-precision size in its shortest decimal form: 9, 10.5.
QString shortestSize(double size) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(size));
  return QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
}

QFrame* separatorLine(QWidget* parent, const QString& name, QPalette::ColorRole role) {
  auto* line = new QFrame(parent);
  line->setObjectName(name);
  line->setFixedHeight(1);
  line->setAutoFillBackground(true);
  QPalette palette = line->palette();
  palette.setColor(QPalette::Window, parent->palette().color(role));
  line->setPalette(palette);
  return line;
}

}  // namespace

LayoutPage::LayoutPage(SettingsModel& model, DialogProvider& dialogs, QWidget* parent)
    : QWidget(parent), model_(model), dialogs_(dialogs) {
  QGroupBox* fraAppearance = controls::frame(this, QStringLiteral("fraAppearance"), QStringLiteral("体裁"));
  auto* grid = new QGridLayout(fraAppearance);
  controls::tighten(grid);
  grid->setColumnMinimumWidth(4, 10);

  const OptionEntry& css = *findOption("useStyleSheet");
  chkCSS_ = controls::check(fraAppearance, controlName(css), captionOf(css));
  grid->addWidget(chkCSS_, 0, 0, 1, 9);
  for (const Measure& m : measures) {
    const OptionEntry& option = *findOption(m.option);
    const SpinnerRange& range = *spinnerRange(option);
    QLineEdit* box = controls::box(fraAppearance, controlName(option), 33);
    box->setAlignment(Qt::AlignRight);
    const int index = controlName(option).section(u'(', 1).chopped(1).toInt();
    auto* spin = new UpDown(box, range.minimum, range.maximum, range.step, 0, fraAppearance);
    spin->setObjectName(controls::indexed("updnAppearance", index));
    spin->setFixedSize(16, controls::rowHeight);
    txtAppearance_[static_cast<std::size_t>(index)] = box;
    updnAppearance_[static_cast<std::size_t>(index)] = spin;
    grid->addWidget(controls::label(fraAppearance, m.label, captionOf(option)), m.row, m.column);
    grid->addWidget(box, m.row, m.column + 1);
    grid->addWidget(spin, m.row, m.column + 2);
    grid->addWidget(controls::label(fraAppearance, m.unit, QString::fromUtf8(m.unitText)), m.row,
                    m.column + 3);
  }
  txtHeight_ = controls::box(fraAppearance, QStringLiteral("txtHeight"), 41);
  txtWidth_ = controls::box(fraAppearance, QStringLiteral("txtWidth"), 41);
  const struct {
    QLineEdit* box;
    int label;
    const char* caption;
    int unit;
    int column;
  } sizes[] = {{txtHeight_, 17, "縦幅", 18, 0}, {txtWidth_, 16, "横幅", 8, 5}};
  for (const auto& s : sizes) {
    s.box->setReadOnly(true);
    s.box->setAlignment(Qt::AlignRight);
    s.box->setFocusPolicy(Qt::ClickFocus);
    grid->addWidget(controls::label(fraAppearance, s.label, QString::fromUtf8(s.caption)), 3, s.column);
    grid->addWidget(s.box, 3, s.column + 1, 1, 2);
    grid->addWidget(controls::label(fraAppearance, s.unit, QStringLiteral("mm")), 3, s.column + 3);
  }
  auto* lines = new QVBoxLayout;
  lines->setSpacing(0);
  lines->setContentsMargins(0, 3, 0, 3);
  lines->addWidget(separatorLine(fraAppearance, QStringLiteral("lineAppearance(0)"), QPalette::Light));
  lines->addWidget(separatorLine(fraAppearance, QStringLiteral("lineAppearance(1)"), QPalette::Mid));
  grid->addLayout(lines, 4, 0, 1, 9);
  for (const auto& look : looks) {
    QCheckBox* box = nullptr;
    if (look.option != nullptr) {
      const OptionEntry& option = *findOption(look.option);
      box = controls::check(fraAppearance, controlName(option), captionOf(option));
    } else {
      box = controls::check(fraAppearance, QStringLiteral("chkOpt(4)"), QStringLiteral("文字色を指定"));
      box->setTristate(true);
      box->setCheckState(Qt::PartiallyChecked);
      box->setEnabled(false);
    }
    grid->addWidget(box, look.row, look.column, 1, 4);
    chkOpt_.append(box);
  }
  grid->setRowStretch(9, 1);

  QGroupBox* fraFont = controls::frame(this, QStringLiteral("fraFont"), QStringLiteral("フォント"));
  auto* fontGrid = new QGridLayout(fraFont);
  controls::tighten(fontGrid);
  fontGrid->setVerticalSpacing(4);
  QLineEdit* face = controls::box(fraFont, controlName(*findOption("fontFace")), 129);
  QLineEdit* size = controls::box(fraFont, controlName(*findOption("fontSizePt")), 33);
  size->setAlignment(Qt::AlignRight);
  // The face and the size change only through the chooser.
  for (QLineEdit* box : {face, size}) {
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
  }
  QLabel* unit = controls::label(fraFont, 9, QStringLiteral("pt"));
  unit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  cmdFontChange_ = controls::button(fraFont, QStringLiteral("cmdFontChange"), QStringLiteral("ﾌｫﾝﾄの指定"));
  cmdFontChange_->setFixedSize(97, 25);
  txtSampleFont_ = controls::box(fraFont, QStringLiteral("txtSampleFont"));
  txtSampleFont_->setText(texts::sampleText);
  txtSampleFont_->setReadOnly(true);
  txtSampleFont_->setAlignment(Qt::AlignCenter);
  txtSampleFont_->setFont(QFont(texts::defaultFontFace, 9));
  txtSampleFont_->setFocusPolicy(Qt::NoFocus);
  txtSampleFont_->setFixedHeight(41);
  fontGrid->addWidget(face, 0, 0);
  fontGrid->addWidget(size, 0, 1);
  fontGrid->addWidget(unit, 0, 2);
  fontGrid->setColumnStretch(3, 1);
  fontGrid->addWidget(cmdFontChange_, 0, 4);
  fontGrid->addWidget(txtSampleFont_, 1, 0, 1, 5);

  auto* picSample = new LayoutSample(this);
  picSample->setObjectName(QStringLiteral("picSample"));
  picSample->setFixedSize(LayoutSample::pictureWidth + 4, LayoutSample::pictureHeight + 4);

  auto* page = new QGridLayout(this);
  page->setContentsMargins(8, 8, 8, 2);
  page->setHorizontalSpacing(6);
  page->setVerticalSpacing(4);
  page->addWidget(fraAppearance, 0, 0, 2, 1, Qt::AlignTop);
  page->addWidget(fraFont, 0, 1);
  page->addWidget(picSample, 1, 1, Qt::AlignRight | Qt::AlignBottom);
  page->setColumnStretch(2, 1);
  page->setRowStretch(2, 1);

  connect(cmdFontChange_, &QPushButton::clicked, this, &LayoutPage::cmdFontChange_Click);
  connect(&model_, &SettingsModel::changed, this, &LayoutPage::settingChanged);
  chkCSS_Click();
  updatePageSize();
}

void LayoutPage::settingChanged(const QString& key) {
  if (key == QLatin1String("useStyleSheet")) chkCSS_Click();
  if (key == QLatin1String("fontFace") || key == QLatin1String("fontSizePt")) showFontSample();
  for (const char* measure :
       {"fontSizePt", "charsPerLine", "charSpacingPt", "linesPerColumn", "lineSpacingPt"})
    if (key == QLatin1String(measure)) updatePageSize();
}

void LayoutPage::chkCSS_Click() {
  const bool on = model_.conversion().useStyleSheet;
  for (std::size_t i : {1, 3}) {
    txtAppearance_[i]->setEnabled(on);
    updnAppearance_[i]->setEnabled(on);
  }
}

void LayoutPage::updatePageSize() {
  if (const auto size = pageSize(model_.conversion())) {
    txtWidth_->setText(size->width);
    txtHeight_->setText(size->height);
  }
}

void LayoutPage::showFontSample() {
  QFont font = txtSampleFont_->font();
  font.setFamily(QString::fromStdU16String(model_.conversion().fontFace));
  const double points = model_.conversion().fontSizePt.value();
  if (points > 0 && points < 1000) font.setPointSizeF(points);
  txtSampleFont_->setFont(font);
}

void LayoutPage::cmdFontChange_Click() {
  const std::optional<FontAnswer> answer = dialogs_.chooseFont(
      this,
      {texts::fontDialogTitle, txtSampleFont_->font(), txtSampleFont_->palette().color(QPalette::Text)});
  if (!answer) return;
  QFont sample = txtSampleFont_->font();
  sample.setFamily(answer->font.family());
  sample.setPointSizeF(answer->font.pointSizeF());
  sample.setBold(answer->font.bold());
  sample.setItalic(answer->font.italic());
  sample.setStrikeOut(answer->font.strikeOut());
  sample.setUnderline(answer->font.underline());
  txtSampleFont_->setFont(sample);
  QPalette palette = txtSampleFont_->palette();
  palette.setColor(QPalette::Text, answer->color);
  txtSampleFont_->setPalette(palette);
  model_.editText(*findOption("fontFace"), answer->font.family());
  model_.editText(*findOption("fontSizePt"), shortestSize(answer->font.pointSizeF()));
}

QList<QWidget*> LayoutPage::keyboardOrder() const {
  // The measures across, row by row, each box with its spinner, then the
  // look options; the disabled ones are passed by.
  QList<QWidget*> order{chkCSS_};
  for (std::size_t i : {0, 2, 1, 3, 4, 5}) order += {txtAppearance_[i], updnAppearance_[i]};
  for (QCheckBox* box : chkOpt_) order.append(box);
  return order;
}

QList<QWidget*> LayoutPage::lastControls() const {
  // The last look option ends the page; ｾﾝﾀﾘﾝｸﾞする is always enabled.
  return {chkOpt_.last()};
}

}  // namespace zelvato::ui
