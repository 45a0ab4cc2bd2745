#include "sv_progress_bar.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QMetaProperty>
#include <QPainter>
#include <QResizeEvent>
#include <cmath>
#include <limits>

#include "control_dispatch.h"
#include "mod_public.h"
#include "picture_box.h"

namespace {

int liveCount = 0;

constexpr uint kDefaultBarColor = 0x800000;  // RGB(0, 0, 128)
constexpr uint kDefaultBackColor = 0xFFFFFF;

// The saved set: the stored properties of the class, in their declared order, each under
// its own name. The walk ends early when visit returns false.
template <typename Visit>
void forEachSavedProperty(Visit visit) {
  const QMetaObject& meta = svProgressBar::staticMetaObject;
  for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
    if (meta.property(i).isStored() && !visit(meta.property(i))) return;
}

bool isFont(const QMetaProperty& property) {
  return property.metaType().id() == QMetaType::QFont;
}

// OLE colours are 0x00BBGGRR, red in the low byte.
QColor oleColor(uint value) {
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// A scale extent as a whole number: nearest integer, halves to the even neighbour,
// limited to the 32-bit range.
qint64 roundExtent(float extent) {
  const double rounded = std::nearbyint(static_cast<double>(extent));
  if (!(rounded >= std::numeric_limits<qint32>::min())) return std::numeric_limits<qint32>::min();
  if (rounded > std::numeric_limits<qint32>::max()) return std::numeric_limits<qint32>::max();
  return static_cast<qint64>(rounded);
}

// A box given by two corners in any order.
QRectF boxBetween(double x1, double y1, double x2, double y2) {
  return QRectF(QPointF(std::min(x1, x2), std::min(y1, y2)), QPointF(std::max(x1, x2), std::max(y1, y2)));
}

}  // namespace

svProgressBar::svProgressBar(QWidget* parent) : QWidget(parent), picPrBar(new PictureBox(this)) {
  ++liveCount;
  setFocusProxy(picPrBar);
  resize(kDesignWidthPx, kDesignHeightPx);
  picPrBar->setGeometry(rect());
  picPrBar->fitImage();
  connect(picPrBar, &PictureBox::Click, this, &svProgressBar::Click);
  connect(picPrBar, &PictureBox::DblClick, this, &svProgressBar::DblClick);
  connect(picPrBar, &PictureBox::MouseDown, this, &svProgressBar::MouseDown);
  connect(picPrBar, &PictureBox::MouseMove, this, &svProgressBar::MouseMove);
  connect(picPrBar, &PictureBox::MouseUp, this, &svProgressBar::MouseUp);
  connect(picPrBar, &PictureBox::KeyDown, this, &svProgressBar::KeyDown);
  connect(picPrBar, &PictureBox::KeyPress, this, &svProgressBar::KeyPress);
  connect(picPrBar, &PictureBox::KeyUp, this, &svProgressBar::KeyUp);
  UserControl_Initialize();
}

svProgressBar::~svProgressBar() {
  --liveCount;
}

int svProgressBar::liveInstances() {
  return liveCount;
}

void svProgressBar::UserControl_Initialize() {
  put_Max(100);
  BarColor_ = kDefaultBarColor;
  BackColor_ = kDefaultBackColor;
  Unit_ = QStringLiteral("%");
  ValueShow_ = true;
  Style_ = svHoriz;
  put_Value(0);
}

void svProgressBar::UserControl_InitProperties() {
  putref_Font(ambientFont());
}

zelvato::hosting::ReadPropertiesResult svProgressBar::UserControl_ReadProperties(
    const zelvato::hosting::PropertyBag& PropBag) {
  zelvato::hosting::ReadPropertiesResult result;
  forEachSavedProperty([&](const QMetaProperty& property) {
    const QString name = QString::fromLatin1(property.name());
    const QVariant stored =
        isFont(property) ? PropBag.readProperty(name, ambientFont()) : PropBag.readProperty(name);
    // An absent entry leaves the property as it is; sets written by this control hold all eight.
    if (!stored.isValid()) return true;
    const std::optional<QVariant> converted =
        zelvato::hosting::convertToPropertyType(stored, property.metaType());
    if (converted && property.write(this, *converted)) return true;
    result = {false, name, QStringLiteral("the entry %1 does not hold a %2").arg(name, property.typeName())};
    return false;
  });
  return result;
}

void svProgressBar::UserControl_WriteProperties(zelvato::hosting::PropertyBag& PropBag) const {
  forEachSavedProperty([&](const QMetaProperty& property) {
    const QString name = QString::fromLatin1(property.name());
    QVariant value = property.read(this);
    if (isFont(property)) {
      PropBag.writeProperty(name, value, ambientFont());
      return true;
    }
    // Colours and the style travel as 32-bit integers (Long).
    if (property.metaType().id() == QMetaType::UInt || property.isEnumType())
      value = QVariant(static_cast<qint32>(value.toLongLong()));
    PropBag.writeProperty(name, value);
    return true;
  });
}

void svProgressBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  UserControl_Resize();
}

void svProgressBar::UserControl_Resize() {
  picPrBar->setGeometry(0, 0, width(), height());
  picPrBar->fitImage();
  put_Max(Max_);
  RedrawBar();
}

QFont svProgressBar::ambientFont() const {
  return site_ ? site_->ambientFont() : (parentWidget() ? parentWidget()->font() : QApplication::font());
}

QFont svProgressBar::get_Font() const {
  return picPrBar->font();
}

void svProgressBar::putref_Font(const QFont& fntNewFont) {
  picPrBar->setFont(fntNewFont);
  if (site_) site_->propertyChanged(QStringLiteral("Font"));
  RedrawBar();
}

void svProgressBar::put_Max(qint32 lngNewMax) {
  Max_ = lngNewMax;
  picPrBar->setScaleWidth(static_cast<float>(lngNewMax));
  picPrBar->setScaleHeight(static_cast<float>(lngNewMax));
  RedrawBar();
}

void svProgressBar::put_BarColor(uint lngNewBarColor) {
  BarColor_ = lngNewBarColor;
  RedrawBar();
}

void svProgressBar::put_BackColor(uint lngNewBackColor) {
  BackColor_ = lngNewBackColor;
  RedrawBar();
}

void svProgressBar::put_Unit(const QString& strNewUnit) {
  Unit_ = strNewUnit;
  RedrawBar();
}

void svProgressBar::put_ValueShow(bool bolNewValue) {
  ValueShow_ = bolNewValue;
  RedrawBar();
}

void svProgressBar::put_Style(enmStyle enmNewStyle) {
  Style_ = enmNewStyle;
  RedrawBar();
}

void svProgressBar::put_Value(qint32 lngNewValue) {
  // The clamp tests run in this order, so with a negative Max every value of 0 or more
  // becomes Max.
  if (lngNewValue < 0)
    Value_ = 0;
  else if (lngNewValue > Max_)
    Value_ = Max_;
  else
    Value_ = lngNewValue;
  drawBar();
}

// Repaints the whole box: white base, the text in BarColor, then the bar and the back box
// in NOT-XOR mode, which leaves the bar in BarColor, the rest in BackColor and turns the
// text white where the bar covers it.
void svProgressBar::drawBar() {
  ++drawCount_;
  QImage& image = picPrBar->image();
  if (image.isNull()) return;

  const float scaleWidth = picPrBar->ScaleWidth();
  const float scaleHeight = picPrBar->ScaleHeight();
  qint64 W = roundExtent(scaleWidth);
  qint64 H = roundExtent(scaleHeight);
  const qint64 Hf = H;
  // A zero or negative scale (Max 0 is how the host shows a message without progress)
  // never reaches the painter: the box is then drawn in pixels, as an empty bar.
  const bool scaled = W > 0 && H > 0 && scaleWidth > 0 && scaleHeight > 0;

  image.fill(Qt::white);  // Cls
  QPainter painter(&image);
  if (scaled) {
    painter.setWindow(0, 0, static_cast<int>(W), static_cast<int>(H));
  } else {
    W = image.width();
    H = image.height();
  }

  painter.setCompositionMode(QPainter::CompositionMode_Source);  // copy pen
  painter.fillRect(boxBetween(0, 0, W, H), Qt::white);

  const QString text = ValueShow_ ? QString::number(Value_) + Unit_ : Unit_;
  if (!text.isEmpty()) {
    QFont font = picPrBar->font();
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetricsF metrics(font, &image);
    // Extents in scale units: pixels times scale units per pixel.
    const double unitsPerPixelX = static_cast<double>(W) / image.width();
    const double unitsPerPixelY = static_cast<double>(H) / image.height();
    const double TW = metrics.horizontalAdvance(text) * unitsPerPixelX;
    const double TH = metrics.height() * unitsPerPixelY;
    const double centre = scaled ? Max_ / 2.0 : W / 2.0;
    const float x = static_cast<float>(centre - TW / 2);
    const float y = static_cast<float>((H - TH) / 2);
    // Text keeps its size in pixels whatever the scale: place it through the scale, then
    // draw it unscaled, over a transparent background.
    const QPointF topLeft = painter.combinedTransform().map(QPointF(x, y));
    painter.save();
    painter.setViewTransformEnabled(false);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setFont(font);
    painter.setPen(oleColor(BarColor_));
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
    painter.restore();
  }

  painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
  const QColor bar = oleColor(BarColor_);
  const QColor back = oleColor(BackColor_);
  const double value = scaled ? Value_ : 0;
  const qint64 barHeight = value == 0 ? 0 : H;
  switch (scaled ? static_cast<qint32>(Style_) : (Style_ == svHoriz || Style_ == svVert ? svHoriz : -1)) {
    case svHoriz: {
      painter.fillRect(boxBetween(0, 0, value, barHeight), bar);
      const double SH = scaled ? scaleHeight : H;
      painter.fillRect(boxBetween(value, 0, W, SH), back);
      break;
    }
    case svVert:
      painter.fillRect(boxBetween(0, barHeight, W, barHeight - value), bar);
      painter.fillRect(boxBetween(0, 0, W, Hf - value), back);
      break;
    default:
      break;  // any other style shows only the base and the text
  }
  painter.end();
  picPrBar->Refresh();
}

void svProgressBar::About() {
  modPublic::ShowAboutBox();
}
