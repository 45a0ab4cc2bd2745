#pragma once
// Creates svProgressBar controls from the real built ZORBAR32 library, the way the program's
// progress window does: by ProgID, with a container site.

#include <QFileInfo>
#include <QFont>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

#include "control_host.h"
#include "picture_box.h"
#include "sv_progress_bar.h"

// What only the tests look at inside a control made by the library: its picture as last
// drawn and how many times it has drawn since it was created.
class svProgressBarProbe {
 public:
  static QImage picture(const QWidget* control) { return of(control).picPrBar->image(); }
  static quint64 drawCount(const QWidget* control) { return of(control).drawCount_; }

 private:
  static const svProgressBar& of(const QWidget* control) {
    if (qstrcmp(control->metaObject()->className(), "svProgressBar") != 0) qFatal("not a progress bar");
    return *static_cast<const svProgressBar*>(control);
  }
};

class TestSite final : public zelvato::hosting::ControlSite {
 public:
  QFont font{QStringLiteral("DejaVu Sans"), 9};
  QStringList changed;
  QFont ambientFont() const override { return font; }
  void propertyChanged(const QString& name) override { changed.append(name); }
};

struct HostedBar {
  std::unique_ptr<QWidget> widget;
  zelvato::hosting::HostedControl* control = nullptr;
  zelvato::hosting::ReadPropertiesResult readResult;

  QObject* object() const { return widget.get(); }
  QVariant get(const char* name) const { return widget->property(name); }
  void set(const char* name, const QVariant& value) { widget->setProperty(name, value); }
  QImage picture() const { return svProgressBarProbe::picture(widget.get()); }
  quint64 drawCount() const { return svProgressBarProbe::drawCount(widget.get()); }
};

inline QString zorbar32Folder() {
  return QFileInfo(QStringLiteral(ZORBAR32_PATH)).absolutePath();
}

// A new control (InitProperties), or one restored from a saved set (ReadProperties).
inline HostedBar createBar(TestSite& site, const zelvato::hosting::PropertyBag* saved = nullptr) {
  HostedBar bar;
  const zelvato::hosting::CreatedControl created = zelvato::hosting::createControl(
      QStringLiteral("Serivane.svProgressBar"), nullptr, &site, saved, &bar.readResult, zorbar32Folder());
  if (!created.ok()) qFatal("no control: %s", qPrintable(created.error));
  bar.widget.reset(created.widget());
  bar.control = created.control;
  return bar;
}
