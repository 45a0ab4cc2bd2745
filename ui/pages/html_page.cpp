#include "html_page.h"

#include <QLabel>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextDocument>
#include <QThread>
#include <QVBoxLayout>

#include "controls.h"
#include "frm_main_texts.h"
#include "pane_text.h"

namespace zelvato::ui {

HtmlPage::HtmlPage(QWidget* parent) : QWidget(parent) {
  QLabel* title = controls::label(this, 19, QStringLiteral("変換されたＨＴＭＬ文章"));
  txtHTML_ = new QPlainTextEdit(this);
  txtHTML_->setObjectName(QStringLiteral("txtHTML"));
  txtHTML_->setFont(QFont(texts::defaultFontFace, 8.25));
  txtHTML_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtHTML_->setTabChangesFocus(true);
  // The pane shows what the run wrote; keeping every result for undo would
  // cost memory and time for nothing.
  txtHTML_->setUndoRedoEnabled(false);
  // A one-member control array: cmdAllSelect(1).
  cmdAllSelect_ =
      controls::button(this, controls::indexed("cmdAllSelect", 1), QStringLiteral("全てｸﾘｯﾌﾟﾎﾞｰﾄﾞへ"));
  cmdAllSelect_->setFixedSize(113, 25);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(8, 8, 8, 6);
  column->setSpacing(3);
  column->addWidget(title);
  column->addWidget(txtHTML_, 1);
  column->addWidget(cmdAllSelect_, 0, Qt::AlignRight);
}

HtmlPage::~HtmlPage() {
  // A document still being made is waited for and dropped.
  if (builder_) {
    builder_->wait();
    delete builder_.data();
  }
  if (prepared_) delete std::exchange(*prepared_, nullptr);
}

void HtmlPage::clearMarkup() {
  ++generation_;
  txtHTML_->clear();
}

void HtmlPage::showMarkup(const QString& markup) {
  const int generation = ++generation_;
  if (markup.size() <= shownAtOnce) {
    txtHTML_->setPlainText(markupPaneText(markup));
    return;
  }
  txtHTML_->clear();
  // Setting a long text in the pane lays out every line on the window's
  // thread; a document made elsewhere is handed to it whole.
  auto prepared = std::make_shared<QTextDocument*>(nullptr);
  QThread* target = thread();
  QThread* builder = QThread::create([markup, prepared, target, font = txtHTML_->font()] {
    auto* document = new QTextDocument;
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(font);
    document->setPlainText(markupPaneText(markup));
    document->moveToThread(target);
    *prepared = document;
  });
  builder->setObjectName(QStringLiteral("htmlPaneBuilder"));
  // An earlier builder still running finishes by itself; its result is dropped.
  connect(builder, &QThread::finished, this, [this, builder, prepared, generation] {
    builder->wait();
    builder->deleteLater();
    if (builder_ == builder) {
      builder_ = nullptr;
      prepared_.reset();
    }
    QTextDocument* document = std::exchange(*prepared, nullptr);
    if (generation != generation_) {
      delete document;
      return;
    }
    adopt(document);
  });
  builder_ = builder;
  prepared_ = prepared;
  builder->start();
}

void HtmlPage::finishMarkup() {
  if (!builder_) return;
  QThread* builder = builder_;
  builder->wait();
  // Its end is reported through the event loop; the document is taken now.
  builder_ = nullptr;
  QTextDocument* document = std::exchange(*prepared_, nullptr);
  prepared_.reset();
  adopt(document);
  ++generation_;  // the report that follows finds nothing left to show
}

void HtmlPage::adopt(QTextDocument* document) {
  if (document == nullptr) return;
  document->setParent(txtHTML_);
  document->setDocumentLayout(new QPlainTextDocumentLayout(document));
  const QPointer<QTextDocument> old = txtHTML_->document();
  txtHTML_->setDocument(document);
  // The pane deletes only the document it made itself; an earlier one handed to it is deleted here.
  if (old && old->parent() == txtHTML_) delete old.data();
  Q_EMIT markupShown();
}

}  // namespace zelvato::ui
