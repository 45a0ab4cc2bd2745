#pragma once
// svProgressBar: a bar that fills in proportion to Value out of Max, with a centred
// value-and-unit text that inverts where the bar covers it, horizontal or vertical.
// Its members carry the identifiers of the type library (zorbar32.json); containers reach
// them by identifier through the meta-object (DispId:/EventId: class information).

#include <QFont>
#include <QString>
#include <QWidget>

#include "control_interfaces.h"
#include "zorbar32_identity.h"

class PictureBox;

class svProgressBar : public QWidget, public zelvato::hosting::HostedControl {
  Q_OBJECT
  Q_INTERFACES(zelvato::hosting::HostedControl)
  ZORBAR32_CLASS_INFO
  // In the order of the saved set, which walks the stored properties: Max comes before
  // Value, so a saved Value above the saved Max comes back as Max.
  Q_PROPERTY(uint BarColor READ get_BarColor WRITE put_BarColor)
  Q_PROPERTY(uint BackColor READ get_BackColor WRITE put_BackColor)
  Q_PROPERTY(QFont Font READ get_Font WRITE putref_Font)
  Q_PROPERTY(qint32 Max READ get_Max WRITE put_Max)
  Q_PROPERTY(enmStyle Style READ get_Style WRITE put_Style)
  Q_PROPERTY(QString Unit READ get_Unit WRITE put_Unit)
  Q_PROPERTY(qint32 Value READ get_Value WRITE put_Value)
  Q_PROPERTY(bool ValueShow READ get_ValueShow WRITE put_ValueShow)
  Q_PROPERTY(bool Enabled READ get_Enabled WRITE put_Enabled STORED false)

 public:
  enum enmStyle : qint32 { svHoriz = 0, svVert = 1 };
  Q_ENUM(enmStyle)

  // Twips of the size a container gives a newly placed control (4380 x 1050).
  static constexpr int kDesignWidthPx = 4380 / 15;
  static constexpr int kDesignHeightPx = 1050 / 15;

  explicit svProgressBar(QWidget* parent = nullptr);
  ~svProgressBar() override;

  qint32 get_Value() const { return Value_; }
  void put_Value(qint32 lngNewValue);
  QFont get_Font() const;
  void putref_Font(const QFont& fntNewFont);
  qint32 get_Max() const { return Max_; }
  void put_Max(qint32 lngNewMax);
  uint get_BarColor() const { return BarColor_; }
  void put_BarColor(uint lngNewBarColor);
  uint get_BackColor() const { return BackColor_; }
  void put_BackColor(uint lngNewBackColor);
  QString get_Unit() const { return Unit_; }
  void put_Unit(const QString& strNewUnit);
  bool get_ValueShow() const { return ValueShow_; }
  void put_ValueShow(bool bolNewValue);
  bool get_Enabled() const { return isEnabled(); }
  void put_Enabled(bool bolNewEnabled) { setEnabled(bolNewEnabled); }
  enmStyle get_Style() const { return Style_; }
  void put_Style(enmStyle enmNewStyle);

  // Shows the About window modally.
  Q_INVOKABLE void About();

  // HostedControl
  QWidget* controlWidget() override { return this; }
  void setControlSite(zelvato::hosting::ControlSite* site) override { site_ = site; }
  void initProperties() override { UserControl_InitProperties(); }
  zelvato::hosting::ReadPropertiesResult readProperties(const zelvato::hosting::PropertyBag& bag) override {
    return UserControl_ReadProperties(bag);
  }
  void writeProperties(zelvato::hosting::PropertyBag& bag) const override {
    UserControl_WriteProperties(bag);
  }

  // Instances alive in this library (the library may be unloaded when none is).
  static int liveInstances();

 Q_SIGNALS:
  void Click();
  void DblClick();
  void MouseDown();
  void MouseMove();
  void MouseUp();
  void KeyDown();
  void KeyPress();
  void KeyUp();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The tests' view of the picture as last drawn and of how often the control drew.
  friend class svProgressBarProbe;

  void UserControl_Initialize();
  void UserControl_InitProperties();
  zelvato::hosting::ReadPropertiesResult UserControl_ReadProperties(
      const zelvato::hosting::PropertyBag& PropBag);
  void UserControl_WriteProperties(zelvato::hosting::PropertyBag& PropBag) const;
  void UserControl_Resize();
  void RedrawBar() { put_Value(Value_); }
  void drawBar();
  QFont ambientFont() const;

  // Fields in the control's order.
  qint32 Value_ = 0;
  uint BarColor_ = 0;
  uint BackColor_ = 0;
  qint32 Max_ = 0;
  QString Unit_;
  bool ValueShow_ = false;
  enmStyle Style_ = svHoriz;

  PictureBox* picPrBar = nullptr;
  zelvato::hosting::ControlSite* site_ = nullptr;
  quint64 drawCount_ = 0;
};
