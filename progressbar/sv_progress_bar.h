#pragma once
// svProgressBar: a bar that fills in proportion to Value out of Max, with a centred
// value-and-unit text that inverts where the bar covers it, horizontal or vertical.
// Its members carry the identifiers of the type library; containers reach them by
// identifier through the meta-object (DispId:/EventId: class information).

#include <QFont>
#include <QString>
#include <QWidget>

#include "control_interfaces.h"

class PictureBox;

class svProgressBar : public QWidget, public zelvato::hosting::HostedControl {
  Q_OBJECT
  Q_INTERFACES(zelvato::hosting::HostedControl)
  Q_CLASSINFO("DispId:Value", "0x68030008")
  Q_CLASSINFO("DispId:Font", "0x68030007")
  Q_CLASSINFO("DispId:About", "-552")
  Q_CLASSINFO("DispId:Max", "0x68030006")
  Q_CLASSINFO("DispId:BarColor", "0x68030005")
  Q_CLASSINFO("DispId:BackColor", "0x68030004")
  Q_CLASSINFO("DispId:Unit", "0x68030003")
  Q_CLASSINFO("DispId:ValueShow", "0x68030002")
  Q_CLASSINFO("DispId:Enabled", "0x68030001")
  Q_CLASSINFO("DispId:Style", "0x68030000")
  Q_CLASSINFO("EventId:Click", "1")
  Q_CLASSINFO("EventId:DblClick", "2")
  Q_CLASSINFO("EventId:MouseDown", "3")
  Q_CLASSINFO("EventId:MouseMove", "4")
  Q_CLASSINFO("EventId:MouseUp", "5")
  Q_CLASSINFO("EventId:KeyDown", "6")
  Q_CLASSINFO("EventId:KeyPress", "7")
  Q_CLASSINFO("EventId:KeyUp", "8")
  // Slot order of the default interface.
  Q_PROPERTY(qint32 Value READ get_Value WRITE put_Value)
  Q_PROPERTY(QFont Font READ get_Font WRITE putref_Font)
  Q_PROPERTY(qint32 Max READ get_Max WRITE put_Max)
  Q_PROPERTY(uint BarColor READ get_BarColor WRITE put_BarColor)
  Q_PROPERTY(uint BackColor READ get_BackColor WRITE put_BackColor)
  Q_PROPERTY(QString Unit READ get_Unit WRITE put_Unit)
  Q_PROPERTY(bool ValueShow READ get_ValueShow WRITE put_ValueShow)
  Q_PROPERTY(bool Enabled READ get_Enabled WRITE put_Enabled STORED false)
  Q_PROPERTY(enmStyle Style READ get_Style WRITE put_Style)

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
  QImage picture() const override;
  quint64 drawCount() const override { return drawCount_; }

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
