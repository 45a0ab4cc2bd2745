#include "reading_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <utility>

#include "controls.h"
#include "dialog_provider.h"
#include "frm_main_texts.h"
#include "option_controls.h"
#include "options/option_table.h"
#include "output_choices.h"
#include "settings_model.h"

namespace zelvato::ui {

ReadingPage::ReadingPage(SettingsModel& model, DialogProvider& dialogs, QWidget* parent)
    : QWidget(parent), model_(model), dialogs_(dialogs) {
  // The reading type: the family as two option buttons, below it the fields.
  QGroupBox* fraType = controls::frame(this, QStringLiteral("fraReadingType"), texts::readingTypeFrame);
  auto* rows = new QGridLayout(fraType);
  controls::tighten(rows);
  rows->setHorizontalSpacing(6);
  rows->setVerticalSpacing(4);
  const OptionEntry& typeface = *findOption("readingTypeface");
  QGroupBox* fraTypeface =
      controls::frame(fraType, QStringLiteral("fra") + controlName(typeface).mid(3), captionOf(typeface));
  auto* faces = new QHBoxLayout(fraTypeface);
  controls::tighten(faces);
  const QString faceCaptions[] = {texts::typefaceMincho, texts::typefaceGothic};
  for (std::size_t i = 0; i < typeface.choices.size() && i < std::size(faceCaptions); ++i) {
    QRadioButton* button =
        controls::option(fraTypeface, choiceButtonName(typeface, typeface.choices[i].value), faceCaptions[i]);
    faces->addWidget(button);
    order_.append(button);
  }
  faces->addStretch(1);
  rows->addWidget(fraTypeface, 0, 0, 1, 2);
  int row = 1;
  for (const auto& [key, width] :
       {std::pair{"readingFontFace", 150}, {"readingFontSize", 50}, {"readingLineHeight", 50}}) {
    const OptionEntry& o = *findOption(key);
    QLineEdit* box = controls::box(fraType, controlName(o), width);
    auto* caption = new QLabel(captionOf(o), fraType);
    caption->setBuddy(box);
    rows->addWidget(caption, row, 0);
    rows->addWidget(box, row, 1, Qt::AlignLeft);
    order_.append(box);
    ++row;
  }
  rows->setRowStretch(row, 1);

  // The cover: a picture of the user's, or without one a cover of the title and author.
  const OptionEntry& coverOption = *findOption("coverFile");
  QGroupBox* fraCover = controls::frame(this, QStringLiteral("fraCover"), captionOf(coverOption));
  auto* coverRows = new QVBoxLayout(fraCover);
  controls::tighten(coverRows);
  coverRows->setSpacing(4);
  cover_ = controls::box(fraCover, controlName(coverOption), 0);
  coverChooser_ = controls::button(fraCover, QStringLiteral("cmdCoverSelect"), texts::coverChooser);
  auto* hint = new QLabel(texts::coverHint, fraCover);
  hint->setWordWrap(true);
  coverRows->addWidget(cover_);
  coverRows->addWidget(coverChooser_, 0, Qt::AlignRight);
  coverRows->addWidget(hint);
  coverRows->addStretch(1);
  order_.append({cover_, coverChooser_});
  connect(coverChooser_, &QPushButton::clicked, this, &ReadingPage::chooseCover);

  auto* page = new QHBoxLayout(this);
  page->setContentsMargins(16, 12, 16, 8);
  page->setSpacing(12);
  page->addWidget(fraType, 1, Qt::AlignTop);
  page->addWidget(fraCover, 1, Qt::AlignTop);

  connect(&model_, &SettingsModel::changed, this, [this](const QString& key) {
    if (key == SettingsModel::outputModeKey || key == QLatin1String("textStyle")) optOutput_Click();
  });
  optOutput_Click();
}

void ReadingPage::optOutput_Click() {
  enableMediumControls(*this, model_.conversion());
  coverChooser_->setEnabled(cover_->isEnabled());
}

void ReadingPage::chooseCover() {
  FileRequest request;
  request.title = texts::coverDialogTitle;
  request.filters = {texts::coverFilter};
  if (const auto file = dialogs_.openFile(this, request)) cover_->setText(file->path);
}

QList<QWidget*> ReadingPage::keyboardOrder() const {
  return order_;
}

}  // namespace zelvato::ui
