#pragma once

#include <QWidget>

class QCheckBox;
class QFrame;
class QToolBar;
class QWebEngineView;

namespace zelvato::ui {

class SettingsModel;

// Tab 2, ﾎｰﾑﾍﾟｰｼﾞﾌﾟﾚﾋﾞｭｰ: the preview browser, its RELOAD button and the
// switch of the automatic preview.
class PreviewPage : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewPage(SettingsModel& model, QWidget* parent = nullptr);

  QWebEngineView* brwIE() const { return brwIE_; }
  QToolBar* toolbarReload() const { return toolbarReload_; }
  QFrame* Picture1() const { return picture1_; }
  QCheckBox* chkAutoPreview() const { return chkAutoPreview_; }

  // "about:" opens the blank page, an absolute path that file; returns at
  // once, and the pane stays empty until the page has loaded.
  void navigate(const QString& location);
  void refresh();

 private:
  QToolBar* toolbarReload_;
  QCheckBox* chkAutoPreview_;
  QFrame* picture1_;
  QWebEngineView* brwIE_;
};

}  // namespace zelvato::ui
