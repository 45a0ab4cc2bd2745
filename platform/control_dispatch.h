#pragma once
// Dispatch by member identifier: get, put and invoke the members of a control through its
// meta-object. The control declares its identifiers as class information
// ("DispId:<member>" for properties and methods, "EventId:<signal>" for events), so the
// member table lives once, beside the Q_PROPERTY declarations it describes.

#include <QByteArray>
#include <QFont>
#include <QMetaMethod>
#include <QMetaObject>
#include <QMetaProperty>
#include <QObject>
#include <QString>
#include <QVariant>
#include <optional>

namespace zelvato::hosting {

enum class DispatchError {
  none,
  unknownMember,  // no member carries the identifier
  notAProperty,   // get or put on a method
  notAMethod,     // invoke on a property
  typeMismatch,   // the value does not convert to the member's type
  failed,         // the member refused the call
};

struct DispatchResult {
  DispatchError error = DispatchError::none;
  QVariant value;
  QString message;
  bool ok() const { return error == DispatchError::none; }
};

inline constexpr qint32 DISPID_ABOUTBOX = -552;

namespace detail {
inline std::optional<qint32> parseIdentifier(const char* text) {
  bool ok = false;
  const qlonglong id = QByteArray(text).toLongLong(&ok, 0);
  if (!ok) return std::nullopt;
  return static_cast<qint32>(id);
}

// Finds the member name whose class information "<prefix><name>" holds the identifier.
inline QByteArray memberName(const QMetaObject* meta, const char* prefix, qint32 id) {
  const QByteArray key(prefix);
  for (int i = 0; i < meta->classInfoCount(); ++i) {
    const QMetaClassInfo info = meta->classInfo(i);
    const QByteArray name(info.name());
    if (!name.startsWith(key)) continue;
    if (parseIdentifier(info.value()) == id) return name.mid(key.size());
  }
  return {};
}

inline QString unknownMemberMessage(qint32 id) {
  return QStringLiteral("no member with identifier %1 (0x%2)")
      .arg(id)
      .arg(static_cast<quint32>(id), 8, 16, QLatin1Char('0'));
}
}  // namespace detail

// Strict conversion of a value to the type of a control property: a number must read as
// a number, a truth value as a truth value; nothing silently becomes 0 or true.
inline std::optional<QVariant> convertToPropertyType(const QVariant& value, QMetaType target) {
  if (!value.isValid()) return std::nullopt;
  const int targetId = target.id();
  if (targetId == QMetaType::Bool) {
    switch (value.typeId()) {
      case QMetaType::Bool:
        return value;
      case QMetaType::Int:
      case QMetaType::UInt:
      case QMetaType::LongLong:
      case QMetaType::ULongLong:
      case QMetaType::Short:
      case QMetaType::UShort:
        return QVariant(value.toLongLong() != 0);
      case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return QVariant(true);
        if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return QVariant(false);
        bool ok = false;
        const qlonglong number = text.toLongLong(&ok);
        if (ok) return QVariant(number != 0);
        return std::nullopt;
      }
      default:
        return std::nullopt;
    }
  }
  if (targetId == QMetaType::Int || targetId == QMetaType::UInt ||
      (target.flags() & QMetaType::IsEnumeration)) {
    qlonglong number = 0;
    bool ok = false;
    switch (value.typeId()) {
      case QMetaType::Bool:
        number = value.toBool() ? -1 : 0;
        ok = true;
        break;
      case QMetaType::Double:
      case QMetaType::Float: {
        const double d = value.toDouble();
        ok = d >= -2147483648.0 && d <= 4294967295.0;
        number = ok ? qRound64(d) : 0;
        break;
      }
      case QMetaType::QString:
        number = value.toString().trimmed().toLongLong(&ok, 0);
        break;
      default:
        if (value.canConvert(QMetaType(QMetaType::LongLong))) number = value.toLongLong(&ok);
        break;
    }
    if (!ok) return std::nullopt;
    if (targetId == QMetaType::UInt) {
      // A colour may arrive signed (as a Long) or unsigned: keep the 32 bits.
      if (number < -2147483648LL || number > 4294967295LL) return std::nullopt;
      return QVariant(static_cast<uint>(static_cast<quint32>(number)));
    }
    if (number < -2147483648LL || number > 2147483647LL) return std::nullopt;
    QVariant result(static_cast<int>(number));
    if (targetId != QMetaType::Int) result.convert(target);
    return result;
  }
  if (targetId == QMetaType::QString) {
    if (value.typeId() == QMetaType::QString) return value;
    if (!value.canConvert(target)) return std::nullopt;
    return QVariant(value.toString());
  }
  if (value.metaType() == target) return value;
  if (targetId == QMetaType::QFont && value.typeId() == QMetaType::QString) {
    QFont font;
    if (!font.fromString(value.toString())) return std::nullopt;
    return QVariant(font);
  }
  QVariant converted = value;
  if (!converted.convert(target)) return std::nullopt;
  return converted;
}

inline std::optional<qint32> memberIdentifier(const QObject* control, const char* memberName) {
  const QMetaObject* meta = control->metaObject();
  const int index = meta->indexOfClassInfo(QByteArray("DispId:").append(memberName).constData());
  if (index < 0) return std::nullopt;
  return detail::parseIdentifier(meta->classInfo(index).value());
}

inline DispatchResult dispatchGet(const QObject* control, qint32 memberId) {
  const QMetaObject* meta = control->metaObject();
  const QByteArray name = detail::memberName(meta, "DispId:", memberId);
  if (name.isEmpty()) return {DispatchError::unknownMember, {}, detail::unknownMemberMessage(memberId)};
  const int index = meta->indexOfProperty(name.constData());
  if (index < 0) return {DispatchError::notAProperty, {}, QStringLiteral("%1 is a method").arg(name)};
  return {DispatchError::none, meta->property(index).read(control), {}};
}

inline DispatchResult dispatchPut(QObject* control, qint32 memberId, const QVariant& value) {
  const QMetaObject* meta = control->metaObject();
  const QByteArray name = detail::memberName(meta, "DispId:", memberId);
  if (name.isEmpty()) return {DispatchError::unknownMember, {}, detail::unknownMemberMessage(memberId)};
  const int index = meta->indexOfProperty(name.constData());
  if (index < 0) return {DispatchError::notAProperty, {}, QStringLiteral("%1 is a method").arg(name)};
  const QMetaProperty property = meta->property(index);
  const std::optional<QVariant> converted = convertToPropertyType(value, property.metaType());
  if (!converted)
    return {DispatchError::typeMismatch,
            {},
            QStringLiteral("%1 does not take a value of type %2").arg(name, value.metaType().name())};
  if (!property.write(control, *converted))
    return {DispatchError::failed, {}, QStringLiteral("%1 refused the value").arg(name)};
  return {};
}

inline DispatchResult dispatchInvoke(QObject* control, qint32 memberId) {
  const QMetaObject* meta = control->metaObject();
  const QByteArray name = detail::memberName(meta, "DispId:", memberId);
  if (name.isEmpty()) return {DispatchError::unknownMember, {}, detail::unknownMemberMessage(memberId)};
  const int index = meta->indexOfMethod(QByteArray(name).append("()").constData());
  if (index < 0) return {DispatchError::notAMethod, {}, QStringLiteral("%1 is a property").arg(name)};
  if (!meta->method(index).invoke(control, Qt::DirectConnection))
    return {DispatchError::failed, {}, QStringLiteral("%1 could not be called").arg(name)};
  return {};
}

}  // namespace zelvato::hosting
