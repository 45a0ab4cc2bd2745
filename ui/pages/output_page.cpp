#include "output_page.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "controls.h"
#include "dialog_provider.h"
#include "option_controls.h"
#include "options/command_line.h"
#include "options/option_table.h"
#include "output_choices.h"
#include "settings_model.h"
#include "up_down.h"
#include "write/registry/writer_registry.h"

namespace zelvato::ui {

namespace {

const OptionEntry& option(const char* key) {
  return *findOption(key);
}

}  // namespace

OutputPage::OutputPage(SettingsModel& model, DialogProvider& dialogs, QWidget* parent)
    : QWidget(parent), model_(model), dialogs_(dialogs) {
  QGroupBox* frame1 = controls::frame(this, QStringLiteral("Frame1"), QStringLiteral("出力の方法"));
  auto* methods = new QVBoxLayout(frame1);
  controls::tighten(methods);
  methods->setSpacing(0);
  QGroupBox* frame2 = controls::frame(this, QStringLiteral("Frame2"), QStringLiteral("分割出力設定"));
  auto* pages = new QGridLayout(frame2);
  controls::tighten(pages);

  // An option button for every medium the window offers; the path rows of the
  // file media share one place below them, the folder media's rows open the
  // page files' frame.
  const std::vector<const WriterEntry*> list = outputChoices();
  auto* fileRows = new QGridLayout;
  fileRows->setSpacing(2);
  int folderRow = 0;
  // Files before folders, in the keyboard order as in the frames; each path
  // before its chooser, as they stand.
  QList<QWidget*> fileChoosers, folderChoosers;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const WriterEntry& writer = *list[i];
    QRadioButton* button = controls::option(frame1, controls::indexed("optOutput", static_cast<int>(i)),
                                            qtText(writer.choiceCaption));
    methods->addWidget(button);
    order_.append(button);
    ChoiceControls made{&writer, button};
    if (writer.destination == Destination::file) {
      if (fileRows->isEmpty()) {
        fileCaption_ = controls::label(frame1, 21, qtText(writer.pathCaption));
        fileRows->addWidget(fileCaption_, 0, 0);
      }
      made.field = controls::box(frame1, latin(writer.pathControl));
      made.chooser =
          controls::button(frame1, latin(writer.chooserControl), chooserCaption(writer.destination));
      fileRows->addWidget(made.field, 1, 0);
      fileRows->addWidget(made.chooser, 2, 0, Qt::AlignRight);
    } else if (writer.destination == Destination::folder) {
      // The design's folder caption is lblHcov(22); a further folder medium's is named after its chooser.
      QLabel* caption = controls::label(frame2, 22, qtText(writer.pathCaption));
      if (folderRow > 0) caption->setObjectName(latin(writer.chooserControl) + QStringLiteral("Caption"));
      pages->addWidget(caption, folderRow * 2, 0, 1, 5);
      made.field = controls::box(frame2, latin(writer.pathControl));
      made.chooser =
          controls::button(frame2, latin(writer.chooserControl), chooserCaption(writer.destination));
      pages->addWidget(made.field, folderRow * 2 + 1, 0, 1, 2);
      pages->addWidget(made.chooser, folderRow * 2 + 1, 2, 1, 3);
      ++folderRow;
    }
    if (made.field != nullptr) {
      made.field->setReadOnly(true);
      made.chooser->setFixedSize(129, 25);
      const bool file = writer.destination == Destination::file;
      (file ? fileChoosers : folderChoosers).append({made.field, made.chooser});
      connect(made.chooser, &QPushButton::clicked, this, [this, &writer] { choosePath(writer); });
    }
    connect(button, &QRadioButton::toggled, this, [this, &writer](bool on) {
      if (on) model_.setOutputMode(writer.key);
    });
    choices_.push_back(made);
  }
  methods->addLayout(fileRows);
  methods->addStretch(1);
  order_.append(fileChoosers + folderChoosers);

  // The page files' settings.
  int row = folderRow * 2;
  const OptionEntry& baseName = option("fileBaseName");
  pages->addWidget(controls::label(frame2, 23, captionOf(baseName)), row++, 0, 1, 5);
  QLineEdit* baseNameBox = controls::box(frame2, controlName(baseName));
  pages->addWidget(baseNameBox, row++, 0, 1, 5);
  QCheckBox* links =
      controls::check(frame2, controlName(option("addPageLinks")), captionOf(option("addPageLinks")));
  pages->addWidget(links, row++, 0, 1, 5);
  QCheckBox* numbers =
      controls::check(frame2, controlName(option("addPageNumbers")), captionOf(option("addPageNumbers")));
  pages->addWidget(numbers, row, 0);
  const OptionEntry& perPage = option("columnsPerPage");
  QLabel* perPageLabel = controls::label(frame2, 26, captionOf(perPage));
  perPageLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QLineEdit* txtPageColum = controls::box(frame2, controlName(perPage), 33);
  const SpinnerRange& range = *spinnerRange(perPage);
  auto* updnColumnPage = new UpDown(txtPageColum, range.minimum, range.maximum, range.step, 1, frame2);
  updnColumnPage->setObjectName(QStringLiteral("updnColumnPage"));
  updnColumnPage->setFixedSize(16, controls::rowHeight);
  auto* perPageRow = new QHBoxLayout;
  perPageRow->setSpacing(2);
  perPageRow->addWidget(perPageLabel, 1);
  perPageRow->addWidget(txtPageColum);
  perPageRow->addWidget(updnColumnPage);
  perPageRow->addWidget(controls::label(frame2, 27, QStringLiteral("組")));
  pages->addLayout(perPageRow, row++, 1, 1, 4);
  pages->setRowStretch(row, 1);
  pages->setColumnStretch(0, 1);
  order_.append({baseNameBox, links, numbers, txtPageColum, updnColumnPage});

  // The title and the BODY tag, usable in every mode; beside them the encoding and the reading text.
  auto* texts = new QVBoxLayout;
  texts->setSpacing(2);
  title_ = controls::box(this, controlName(option("htmlTitle")), 329);
  bodyTag_ = controls::box(this, controlName(option("bodyTag")), 329);
  texts->addWidget(controls::label(this, 24, captionOf(option("htmlTitle"))));
  texts->addWidget(title_);
  texts->addWidget(controls::label(this, 25, captionOf(option("bodyTag"))));
  texts->addWidget(bodyTag_);
  texts->addStretch(1);
  const OptionEntry& encoding = option("outputEncoding");
  QGroupBox* fraEncoding = controls::frame(this, QStringLiteral("fraEncoding"), captionOf(encoding));
  auto* encodings = new QHBoxLayout(fraEncoding);
  controls::tighten(encodings);
  for (const OptionChoice& c : encoding.choices) {
    QRadioButton* button =
        controls::option(fraEncoding, choiceButtonName(encoding, c.value),
                         c.value == 0 ? QStringLiteral("Shift_JIS") : QStringLiteral("UTF-8"));
    encodings->addWidget(button);
    order_.append(button);
  }
  const OptionEntry& reading = option("accessibleText");
  QCheckBox* readingText = controls::check(this, controlName(reading), captionOf(reading));
  auto* beside = new QVBoxLayout;
  beside->setSpacing(4);
  beside->addWidget(fraEncoding);
  beside->addWidget(readingText);
  beside->addStretch(1);
  order_.append({readingText, title_, bodyTag_});

  // Two rows: the frames side by side, then the texts beside the encoding;
  // each row's columns are its own, as the page is drawn.
  auto* frames = new QHBoxLayout;
  frames->setSpacing(7);
  frame1->setMinimumWidth(265);
  frame2->setMinimumWidth(329);
  frames->addWidget(frame1);
  frames->addWidget(frame2);
  frames->addStretch(1);
  auto* below = new QHBoxLayout;
  below->setSpacing(15);
  below->addLayout(texts);
  below->addLayout(beside);
  below->addStretch(1);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(6, 6, 6, 2);
  page->setSpacing(4);
  page->addLayout(frames);
  page->addLayout(below);
  page->addStretch(1);

  // What a medium reads differs between the grid and the flowing text.
  connect(&model_, &SettingsModel::changed, this, [this](const QString& key) {
    if (key == SettingsModel::outputModeKey || key == QLatin1String("textStyle")) optOutput_Click();
  });
  optOutput_Click();
}

void OutputPage::optOutput_Click() {
  const int chosen = outputChoiceIndex(model_.conversion().outputMode);
  const ChoiceControls& current = choices_[static_cast<std::size_t>(chosen)];
  if (!current.option->isChecked()) current.option->setChecked(true);
  // The file row shown is the chosen medium's, or the first file medium's.
  const ChoiceControls* shownFile = nullptr;
  for (const ChoiceControls& c : choices_)
    if (c.writer->destination == Destination::file && (shownFile == nullptr || &c == &current))
      shownFile = &c;
  if (shownFile != nullptr) fileCaption_->setText(qtText(shownFile->writer->pathCaption));
  for (const ChoiceControls& c : choices_) {
    if (c.field == nullptr) continue;
    for (QWidget* w : {static_cast<QWidget*>(c.field), static_cast<QWidget*>(c.chooser)}) {
      w->setEnabled(&c == &current);
      if (c.writer->destination == Destination::file) w->setVisible(&c == shownFile);
    }
  }
  // The title and the BODY tag shape the preview page as well, so they stay usable.
  enableMediumControls(*this, model_.conversion(), {title_, bodyTag_});
}

void OutputPage::choosePath(const WriterEntry& writer) {
  QLineEdit* field = nullptr;
  for (const ChoiceControls& c : choices_)
    if (c.writer == &writer) field = c.field;
  if (field == nullptr) return;
  // Every question starts in a folder without a name: beside the text, else
  // where this output went before.
  QString folder = startFolder_ ? startFolder_() : QString();
  const QString chosen = field->text().trimmed();
  if (folder.isEmpty() && !chosen.isEmpty()) {
    const QFileInfo before(chosen);
    folder = before.isDir() ? chosen : before.absolutePath();
    if (!QFileInfo(folder).isDir()) folder.clear();
  }
  if (writer.destination == Destination::folder) {
    if (const auto picked = dialogs_.chooseFolder(this, {chooserDialogTitle(writer.destination), folder}))
      field->setText(*picked);
    return;
  }
  FileRequest request;
  request.title = chooserDialogTitle(writer.destination);
  request.filters = {qtText(writer.dialogFilter)};
  request.defaultSuffix = latin(writer.defaultExtension).mid(1);
  request.startPath = folder;
  request.confirmOverwrite = true;
  if (const auto file = dialogs_.saveFile(this, request))
    field->setText(withDefaultSuffix(file->path, request.defaultSuffix));
}

QList<QWidget*> OutputPage::keyboardOrder() const {
  return order_;
}

QWidget* OutputPage::lastControl() const {
  return bodyTag_;
}

}  // namespace zelvato::ui
