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
    // A change makes the last book's page count a thing of the past.
    const auto changed = [this] {
      bookPages_.reset();
      settle_->start();
    };
    connect(window.txtMain(), &QPlainTextEdit::textChanged, this, changed);
    connect(&window.settings(), &ui::SettingsModel::changed, this, changed);
  }

  void setBookPages(std::optional<int> pages) {
    bookPages_ = pages;
    show();
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
      sheets_.reset();
      show();
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
      sheets_ = survey->sheets;
      show();
      ui::Outline outline;
      for (const OutlineEntry& e : survey->outline)
        outline.append({e.level, texts::toQString(e.text), static_cast<int>(e.line)});
      window_.setOutline(outline);
    });
    worker->start();
  }

  void show() {
    std::u16string text;
    if (sheets_) text = manuscriptSheetsText(*sheets_);
    if (bookPages_) text += (text.empty() ? u"" : u"　") + bookPagesText(*bookPages_);
    label_.setText(texts::toQString(text));
  }

  ui::frmMain& window_;
  QLabel& label_;
  std::optional<std::size_t> sheets_;
  std::optional<int> bookPages_;
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
  auto* counter = new ManuscriptCounter(window, *label);
  counter->setObjectName(QStringLiteral("liveManuscriptCount"));
}

void showBookPages(ui::frmMain& window, std::optional<int> pages) {
  if (auto* counter =
          window.statusBar()->findChild<ManuscriptCounter*>(QStringLiteral("liveManuscriptCount")))
    counter->setBookPages(pages);
}

}  // namespace zelvato
