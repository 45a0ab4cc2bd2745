#include "html_page.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls.h"
#include "frm_main_texts.h"

namespace zelvato::ui {

HtmlPage::HtmlPage(QWidget* parent) : QWidget(parent) {
  QLabel* title = controls::label(this, 19, QStringLiteral("変換されたＨＴＭＬ文章"));
  txtHTML_ = new QPlainTextEdit(this);
  txtHTML_->setObjectName(QStringLiteral("txtHTML"));
  txtHTML_->setFont(QFont(texts::defaultFontFace, 8.25));
  txtHTML_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtHTML_->setTabChangesFocus(true);
  // The pane shows what the run wrote; keeping every appended block for undo
  // would cost the run more time than the blocks themselves.
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

}  // namespace zelvato::ui
