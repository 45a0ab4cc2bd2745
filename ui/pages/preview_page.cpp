#include "preview_page.h"

#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "controls.h"
#include "frm_main_texts.h"
#include "page_sync.h"
#include "settings_model.h"

namespace zelvato::ui {

PreviewPage::PreviewPage(SettingsModel& model, QWidget* parent) : QWidget(parent) {
  QLabel* title = controls::label(this, 15, QStringLiteral("変換ﾌﾟﾚﾋﾞｭｰ"));

  chkAutoPreview_ = controls::check(this, QStringLiteral("chkAutoPreview"), texts::autoPreview);
  chkAutoPreview_->setChecked(model.settings().autoPreview);
  connect(chkAutoPreview_, &QCheckBox::toggled, &model, &SettingsModel::setAutoPreview);
  connect(&model, &SettingsModel::changed, this, [this, &model](const QString& key) {
    if (key == SettingsModel::autoPreviewKey) chkAutoPreview_->setChecked(model.settings().autoPreview);
  });

  toolbarReload_ = new QToolBar(this);
  toolbarReload_->setObjectName(QStringLiteral("toolbarReload"));
  toolbarReload_->setIconSize(QSize(16, 16));
  toolbarReload_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  toolbarReload_->setFocusPolicy(Qt::NoFocus);
  QAction* reload = toolbarReload_->addAction(QIcon(QStringLiteral(":/zelvato/icons/reload.svg")),
                                              QStringLiteral("RELOAD"));
  reload->setObjectName(QStringLiteral("toolbarReloadButton(1)"));
  connect(reload, &QAction::triggered, this, &PreviewPage::refresh);

  picture1_ = new QFrame(this);
  picture1_->setObjectName(QStringLiteral("Picture1"));
  picture1_->setFrameShape(QFrame::StyledPanel);
  picture1_->setFrameShadow(QFrame::Sunken);
  picture1_->setBackgroundRole(QPalette::Base);
  picture1_->setAutoFillBackground(true);
  brwIE_ = new QWebEngineView(picture1_);
  brwIE_->setObjectName(QStringLiteral("brwIE"));
  // The page that can be kept in step with the source beside it.
  brwIE_->setPage(new SyncedWebPage(brwIE_));
  // The preview file declares no character set: it is code page 932.
  brwIE_->settings()->setDefaultTextEncoding(QStringLiteral("Shift_JIS"));
  brwIE_->setContextMenuPolicy(Qt::NoContextMenu);
  brwIE_->setFocusPolicy(Qt::ClickFocus);
  // Hidden while a page loads, it keeps its place and follows the window's size.
  QSizePolicy keepPlace = brwIE_->sizePolicy();
  keepPlace.setRetainSizeWhenHidden(true);
  brwIE_->setSizePolicy(keepPlace);
  connect(brwIE_, &QWebEngineView::loadFinished, brwIE_, &QWidget::show);
  auto* frame = new QVBoxLayout(picture1_);
  frame->setContentsMargins(2, 2, 2, 2);
  frame->addWidget(brwIE_);

  auto* top = new QHBoxLayout;
  top->addWidget(title);
  top->addStretch(1);
  top->addWidget(chkAutoPreview_);
  top->addSpacing(8);
  top->addWidget(toolbarReload_);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(8, 2, 8, 8);
  column->setSpacing(2);
  column->addLayout(top);
  column->addWidget(picture1_, 1);
}

void PreviewPage::navigate(const QString& location) {
  QUrl url;
  if (location.isEmpty() || location == QLatin1String("about:")) {
    url = QUrl(QStringLiteral("about:blank"));
  } else if (QDir::isAbsolutePath(location)) {
    url = QUrl::fromLocalFile(location);
  } else {
    url = QUrl::fromUserInput(location, QDir::currentPath());
  }
  // Until the page has loaded the pane stays empty, rather than show the page before.
  brwIE_->hide();
  brwIE_->load(url);
}

void PreviewPage::refresh() {
  brwIE_->reload();
}

}  // namespace zelvato::ui
