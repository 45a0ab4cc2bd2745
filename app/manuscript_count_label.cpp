#include "manuscript_count_label.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <memory>

#include "app_texts.h"
#include "frm_main.h"
#include "read/text_reader.h"
#include "run/manuscript_count.h"
#include "run/outline.h"
#include "settings_model.h"
#include "source_text_edit.h"

namespace zelvato {
namespace {

// Counting waits this long after a change, so a burst of keys is counted once.
constexpr int settleMs = 250;

class ManuscriptCounter final : public QObject {
 public:
  ManuscriptCounter(ui::frmMain& window, QLabel& label) : QObject(&label), window_(window), label_(label) {
    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(settleMs);
    connect(settle_, &QTimer::timeout, this, &ManuscriptCounter::count);
    connect(window.txtMain(), &QPlainTextEdit::textChanged, settle_, qOverload<>(&QTimer::start));
    connect(&window.settings(), &ui::SettingsModel::changed, settle_, qOverload<>(&QTimer::start));
  }

 private:
  void count() {
    // A run has the machine's time first; the count follows once it has ended.
    if (window_.isBusy()) {
      settle_->start();
      return;
    }
    if (counting_) {
      again_ = true;
      return;
    }
    std::u16string source = window_.sourceText().toStdU16String();
    if (source.empty()) {
      label_.clear();
      window_.setOutline({});
      return;
    }
    counting_ = true;
    // The text is read once, for the count and for the headings.
    struct Survey {
      std::size_t sheets = 0;
      std::vector<OutlineEntry> outline;
    };
    auto survey = std::make_shared<Survey>();
    QThread* worker =
        QThread::create([survey, source = std::move(source), settings = window_.readSettings()] {
          const Document document = readDocument(source, settings.aozoraNotation);
          survey->sheets = manuscriptSheets(document, settings);
          survey->outline = textOutline(document, source);
        });
    worker->setObjectName(QStringLiteral("manuscriptCounter"));
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &QThread::finished, this, [this, survey] {
      counting_ = false;
      // A count of a text that has changed since is never shown.
      if (again_) {
        again_ = false;
        count();
        return;
      }
      label_.setText(texts::toQString(manuscriptSheetsText(survey->sheets)));
      ui::Outline outline;
      for (const OutlineEntry& e : survey->outline)
        outline.append({e.level, texts::toQString(e.text), static_cast<int>(e.line)});
      window_.setOutline(outline);
    });
    worker->start();
  }

  ui::frmMain& window_;
  QLabel& label_;
  QTimer* settle_;
  bool counting_ = false;
  bool again_ = false;
};

}  // namespace

void installManuscriptCount(ui::frmMain& window) {
  auto* label = window.statusBar()->findChild<QLabel*>(QStringLiteral("lblManuscriptCount"));
  if (label == nullptr) {
    // Made once, and at once, so that showing a count later never changes the
    // window's layout (and the preview's).
    label = new QLabel(window.statusBar());
    label->setObjectName(QStringLiteral("lblManuscriptCount"));
    window.statusBar()->addPermanentWidget(label);
  }
  new ManuscriptCounter(window, *label);
}

}  // namespace zelvato
