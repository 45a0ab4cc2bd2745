#pragma once

#include <QWidget>

namespace zelvato::ui {

// The fixed 221 x 128 illustration of the layout terms on the layout page:
// two column blocks of vertical lines with 文字サイズ, 字間隔, 行間隔, 行数,
// 桁数, コラム and コラム間隔 marked on them.
class LayoutSample : public QWidget {
  Q_OBJECT

 public:
  explicit LayoutSample(QWidget* parent);

  static constexpr int pictureWidth = 221;
  static constexpr int pictureHeight = 128;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace zelvato::ui
