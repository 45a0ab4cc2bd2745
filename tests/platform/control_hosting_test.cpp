// Control hosting with the real ZORBAR32 library: its type library, registration in the
// per-user registry, creation by ProgID, the library entry points and dispatch by member
// identifier.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "control_dispatch.h"
#include "control_registry.h"
#include "hosted_bar.h"

namespace hosting = zelvato::hosting;

namespace {

const QString kProgId = QStringLiteral("Serivane.svProgressBar");

bool zorbar32IsMapped() {
  QFile maps(QStringLiteral("/proc/self/maps"));
  if (!maps.open(QIODevice::ReadOnly)) qFatal("cannot read the process map");
  return maps.readAll().contains("libzorbar32.so");
}

QJsonObject typeNamed(const QJsonObject& typeLibrary, const QString& name) {
  for (const QJsonValue& type : typeLibrary.value("types").toArray())
    if (type.toObject().value("name").toString() == name) return type.toObject();
  return {};
}

QJsonObject memberNamed(const QJsonObject& type, const QString& name) {
  for (const QJsonValue& member : type.value("members").toArray())
    if (member.toObject().value("name").toString() == name) return member.toObject();
  return {};
}

}  // namespace

class ControlHostingTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir registryDir_;
  QTemporaryDir emptyProgramFolder_;
  TestSite site_;
  QJsonObject typeLibrary_;

  QString registryFile() const { return registryDir_.filePath("controls.ini"); }

 private Q_SLOTS:
  void initTestCase() { qputenv("ZELVATO_CONTROL_REGISTRY", registryFile().toLocal8Bit()); }

  void init() { QFile::remove(registryFile()); }

  // Runs first: nothing has loaded the library yet.
  void typeLibraryIsReadWithoutLoadingTheLibrary() {
    QVERIFY(!zorbar32IsMapped());
    const std::optional<QJsonObject> typeLibrary = hosting::readTypeLibrary(ZORBAR32_PATH);
    QVERIFY(typeLibrary);
    QVERIFY(!zorbar32IsMapped());
    typeLibrary_ = *typeLibrary;

    const QJsonObject library = typeLibrary_.value("library").toObject();
    QCOMPARE(library.value("name").toString(), QString("Serivane"));
    QCOMPARE(library.value("version").toString(), QString("1.0"));
    QCOMPARE(library.value("lcid").toString().toInt(nullptr, 16), 0x0409);
    QCOMPARE(library.value("helpFile").toString(), QString("ZORBAR32.hlp"));
    QVERIFY(library.value("flags").toArray().contains(QJsonValue("control")));
    QVERIFY(!QUuid::fromString(library.value("guid").toString()).isNull());

    QStringList order;
    QStringList kinds;
    QSet<QString> guids{library.value("guid").toString()};
    for (const QJsonValue& type : typeLibrary_.value("types").toArray()) {
      order.append(type.toObject().value("name").toString());
      kinds.append(type.toObject().value("kind").toString());
      guids.insert(type.toObject().value("guid").toString());
    }
    QCOMPARE(order, (QStringList{"_svProgressBar", "svProgressBar", "__svProgressBar", "enmStyle"}));
    QCOMPARE(kinds, (QStringList{"interface", "coclass", "dispinterface", "enum"}));
    QCOMPARE(guids.size(), 5);  // each fixed and distinct

    const QJsonObject coclass = typeNamed(typeLibrary_, "svProgressBar");
    QCOMPARE(coclass.value("progId").toString(), kProgId);
    QVERIFY(coclass.value("flags").toArray().contains(QJsonValue("control")));
    const QJsonObject dual = typeNamed(typeLibrary_, "_svProgressBar");
    for (const char* flag : {"dual", "hidden", "nonextensible"})
      QVERIFY(dual.value("flags").toArray().contains(QJsonValue(flag)));

    const QJsonObject style = typeNamed(typeLibrary_, "enmStyle");
    QCOMPARE(memberNamed(style, "svHoriz").value("value").toInt(), 0);
    QCOMPARE(memberNamed(style, "svVert").value("value").toInt(), 1);
    QCOMPARE(memberNamed(style, "svVert").value("helpString").toString(), QString("svVert"));

    const QJsonObject version = typeLibrary_.value("version").toObject();
    QCOMPARE(version.value("FileVersion").toString(), QString("1.00"));
    QCOMPARE(version.value("ProductVersion").toString(), QString("1.00"));
    QCOMPARE(version.value("InternalName").toString(), QString("ZORBAR32"));
    QVERIFY(version.contains("OLESelfRegister"));
  }

  void everyMemberCarriesItsIdentifierTypeAndHelp_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qint32>("memberId");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("helpContext");
    QTest::addColumn<QString>("helpString");
    QTest::newRow("Value") << "Value"
                           << "property" << qint32(0x68030008) << "Long" << 113
                           << QString::fromUtf8("ｵﾌﾞｼﾞｪｸﾄの値を設定します。値の取得も可能です。");
    QTest::newRow("Font") << "Font"
                          << "property" << qint32(0x68030007) << "Font" << 0
                          << QString::fromUtf8("Font ｵﾌﾞｼﾞｪｸﾄを返します。");
    QTest::newRow("About") << "About"
                           << "method" << qint32(-552) << "void" << 107
                           << QString::fromUtf8("ｺﾝﾄﾛｰﾙのﾊﾞｰｼﾞｮﾝ情報を表示します。");
    QTest::newRow("Max") << "Max"
                         << "property" << qint32(0x68030006) << "Long" << 100
                         << QString::fromUtf8("Valueﾌﾟﾛﾊﾟﾃｨの最大値を設定します。値の取得も可能です。");
    QTest::newRow("BarColor") << "BarColor"
                              << "property" << qint32(0x68030005) << "OLE_COLOR" << 109
                              << QString::fromUtf8("ﾌﾟﾛｸﾞﾚｽﾊﾞｰのﾊﾞｰの色を設定します。値の取得も可能です。");
    QTest::newRow("BackColor")
        << "BackColor"
        << "property" << qint32(0x68030004) << "OLE_COLOR" << 106
        << QString::fromUtf8(
               "ｵﾌﾞｼﾞｪｸﾄ内の文字やｸﾞﾗﾌｨｯｸの表示で使用する背景色を設定します。値の取得も可能です。");
    QTest::newRow("Unit") << "Unit"
                          << "property" << qint32(0x68030003) << "String" << 112
                          << QString::fromUtf8(
                                 "ｵﾌﾞｼﾞｪｸﾄに表示する数値に付加する文字を設定します。値の取得も可能です。");
    QTest::newRow("ValueShow")
        << "ValueShow"
        << "property" << qint32(0x68030002) << "Boolean" << 114
        << QString::fromUtf8(
               "ｵﾌﾞｼﾞｪｸﾄにValueﾌﾟﾛﾊﾟﾃｨの値を表示するかしないかを設定します。値の取得も可能です。");
    QTest::newRow("Enabled") << "Enabled"
                             << "property" << qint32(0x68030001) << "Boolean" << 0
                             << QString::fromUtf8(
                                    "ﾕｰｻﾞｰの操作で発生したｲﾍﾞﾝﾄを、ｵﾌﾞｼﾞｪｸﾄに認識させるかどうかを設定します。"
                                    "値の取得も可能です。");
    QTest::newRow("Style") << "Style"
                           << "property" << qint32(0x68030000) << "enmStyle" << 105
                           << QString::fromUtf8("ｵﾌﾞｼﾞｪｸﾄのｽﾀｲﾙを設定します。値の取得も可能です。");
  }
  void everyMemberCarriesItsIdentifierTypeAndHelp() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(qint32, memberId);
    QFETCH(QString, type);
    QFETCH(int, helpContext);
    QFETCH(QString, helpString);
    const QJsonObject member = memberNamed(typeNamed(typeLibrary_, "_svProgressBar"), name);
    QCOMPARE(member.value("kind").toString(), kind);
    QCOMPARE(qint32(member.value("memberId").toInteger()), memberId);
    QCOMPARE(member.value("type").toString(), type);
    QCOMPARE(member.value("helpContext").toInt(), helpContext);
    QCOMPARE(member.value("helpString").toString(), helpString);
    // The control answers to the same identifier.
    HostedBar bar = createBar(site_);
    QCOMPARE(hosting::memberIdentifier(bar.object(), name.toLatin1().constData()),
             std::optional<qint32>(memberId));
  }

  void membersStandInSlotOrder() {
    QStringList names;
    for (const QJsonValue& member : typeNamed(typeLibrary_, "_svProgressBar").value("members").toArray())
      names.append(member.toObject().value("name").toString());
    QCOMPARE(names, (QStringList{"Value", "Font", "About", "Max", "BarColor", "BackColor", "Unit",
                                 "ValueShow", "Enabled", "Style"}));
  }

  void everyEventCarriesItsIdentifierAndHelp_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("eventId");
    QTest::addColumn<QString>("helpString");
    QTest::newRow("Click") << "Click" << 1
                           << QString::fromUtf8("ﾕｰｻﾞｰがｵﾌﾞｼﾞｪｸﾄ上でﾏｳｽ ﾎﾞﾀﾝをｸﾘｯｸしたときに発生します。");
    QTest::newRow("DblClick") << "DblClick" << 2
                              << QString::fromUtf8(
                                     "ﾕｰｻﾞｰがｵﾌﾞｼﾞｪｸﾄ上でﾏｳｽ ﾎﾞﾀﾝを押して離す操作を 2 回続けて行ったとき "
                                     "(ﾀﾞﾌﾞﾙｸﾘｯｸしたとき) に発生します。");
    QTest::newRow("MouseDown") << "MouseDown" << 3
                               << QString::fromUtf8(
                                      "ｵﾌﾞｼﾞｪｸﾄのﾌｫｰｶｽ取得時、にﾕｰｻﾞｰがﾏｳｽ ﾎﾞﾀﾝを押した場合に発生します。");
    QTest::newRow("MouseMove") << "MouseMove" << 4
                               << QString::fromUtf8("ﾕｰｻﾞｰがﾏｳｽを移動したときに発生します。");
    QTest::newRow("MouseUp") << "MouseUp" << 5
                             << QString::fromUtf8(
                                    "ｵﾌﾞｼﾞｪｸﾄのﾌｫｰｶｽ取得時に、ﾕｰｻﾞｰがﾏｳｽ ﾎﾞﾀﾝを離した場合に発生します。");
    QTest::newRow("KeyDown") << "KeyDown" << 6
                             << QString::fromUtf8(
                                    "ｵﾌﾞｼﾞｪｸﾄのﾌｫｰｶｽ取得時に、ﾕｰｻﾞｰがｷｰを押した場合に発生します。");
    QTest::newRow("KeyPress") << "KeyPress" << 7
                              << QString::fromUtf8("ANSI ｷｰを押して放したときに発生します。");
    QTest::newRow("KeyUp") << "KeyUp" << 8
                           << QString::fromUtf8("ｵﾌﾞｪｸﾄのﾌｫｰｶｽ取得時に、ﾕｰｻﾞｰがｷｰを離した場合に発生します。");
  }
  void everyEventCarriesItsIdentifierAndHelp() {
    QFETCH(QString, name);
    QFETCH(int, eventId);
    QFETCH(QString, helpString);
    const QJsonObject event = memberNamed(typeNamed(typeLibrary_, "__svProgressBar"), name);
    QCOMPARE(event.value("memberId").toInt(), eventId);
    QCOMPARE(event.value("helpString").toString(), helpString);
    HostedBar bar = createBar(site_);
    const QMetaObject* meta = bar.object()->metaObject();
    const int info = meta->indexOfClassInfo(QByteArray("EventId:").append(name.toLatin1()).constData());
    QVERIFY(info >= 0);
    QCOMPARE(QByteArray(meta->classInfo(info).value()).toInt(), eventId);
    QVERIFY(meta->indexOfSignal(QByteArray(name.toLatin1()).append("()").constData()) >= 0);
  }

  // The registration files that came with the library come first, beside the program (a
  // build tree) or in ../lib/zelvato (an installed program); the per-user registry only
  // for a program in its build tree (these tests), so an entry planted in a user's files
  // never chooses the library of an installed program. An entry whose library is gone
  // counts as absent.
  void theClassIsFoundThroughTheRegistrationsThatCameWithTheProgramThenTheRegistry_data() {
    QTest::addColumn<QString>("registry");  // "", "entry" or "gone library"
    QTest::addColumn<QString>(
        "layout");  // "build", "test", "installed", "installed without library", "empty"
    QTest::addColumn<QString>("progId");
    QTest::addColumn<QString>("expected");  // "", "registry", "build" or "installed"
    const QString other = QStringLiteral("Serivane.NoSuchControl");
    // clang-format off
    QTest::newRow("registry entry in the build tree")     << "entry"        << "test"      << kProgId << "registry";
    QTest::newRow("planted entry, installed program")     << "entry"        << "installed" << kProgId << "installed";
    QTest::newRow("planted entry, nothing installed")     << "entry"        << "empty"     << kProgId << "";
    QTest::newRow("planted entry, library gone")          << "entry"        << "installed without library" << kProgId << "";
    QTest::newRow("gone library in the registry")         << "gone library" << "build"     << kProgId << "build";
    QTest::newRow("registration beside the program")      << ""             << "build"     << kProgId << "build";
    QTest::newRow("ProgID in other case")                 << ""             << "build"     << kProgId.toUpper() << "build";
    QTest::newRow("registration in ../lib/zelvato")       << ""             << "installed" << kProgId << "installed";
    QTest::newRow("registration whose library is gone")   << ""             << "installed without library" << kProgId << "";
    QTest::newRow("another ProgID")                       << ""             << "build"     << other   << "";
    QTest::newRow("none")                                 << ""             << "empty"     << kProgId << "";
    // clang-format on
  }
  void theClassIsFoundThroughTheRegistrationsThatCameWithTheProgramThenTheRegistry() {
    QFETCH(QString, registry);
    QFETCH(QString, layout);
    QFETCH(QString, progId);
    QFETCH(QString, expected);
    const QString builtLibrary = QFileInfo(ZORBAR32_PATH).absoluteFilePath();
    if (registry == "entry") QCOMPARE(hosting::registerControlLibrary(builtLibrary), hosting::S_OK);
    if (registry == "gone library")
      QVERIFY(hosting::registerControlClass(
          {kProgId, QUuid::createUuid(), emptyProgramFolder_.filePath("gone.so")}));

    // bin/ holds the program; lib/zelvato/ the library with the registration the build wrote.
    QTemporaryDir installed;
    const QString programFolder = layout == "build"   ? zorbar32Folder()
                                  : layout == "test"  ? QCoreApplication::applicationDirPath()
                                  : layout == "empty" ? emptyProgramFolder_.path()
                                                      : installed.filePath("bin");
    const QString libraryFolder = installed.filePath("lib/zelvato");
    const QString installedLibrary = libraryFolder + "/" + QFileInfo(builtLibrary).fileName();
    QVERIFY(QDir().mkpath(installed.filePath("bin")) && QDir().mkpath(libraryFolder));
    QVERIFY(QFile::copy(ZORBAR32_REGISTRATION,
                        libraryFolder + "/" + QFileInfo(ZORBAR32_REGISTRATION).fileName()));
    if (layout == "installed") QVERIFY(QFile::link(builtLibrary, installedLibrary));

    const QString expectedLibrary = expected == "registry" || expected == "build" ? builtLibrary
                                    : expected == "installed"                     ? installedLibrary
                                                                                  : QString();
    const std::optional<hosting::ClassRegistration> found = hosting::findControlClass(progId, programFolder);
    QCOMPARE(found ? found->libraryPath : QString(), expectedLibrary);
    const hosting::CreatedControl created =
        hosting::createControl(progId, nullptr, &site_, nullptr, nullptr, programFolder);
    std::unique_ptr<QWidget> widget(created.widget());
    QCOMPARE(created.ok(), !expected.isEmpty());
    if (!created.ok()) {
      QVERIFY(created.error.contains("not registered"));
      return;
    }
    QCOMPARE(created.libraryPath, expectedLibrary);
    QCOMPARE(widget->metaObject()->className(), "svProgressBar");
    // The library's pictures come with it, and finding it wrote no registry.
    QCOMPARE(QImage(":/zorbar32/toolbox.svg").size(), QSize(16, 15));
    QCOMPARE(QFile::exists(registryFile()), !registry.isEmpty());
  }

  void registrationRecordsProgIdClassAndLibraryAndUnregistrationRemovesThem() {
    QCOMPARE(hosting::registerControlLibrary(ZORBAR32_PATH), hosting::S_OK);
    QSettings registry(registryFile(), QSettings::IniFormat);
    registry.beginGroup("ProgID/" + kProgId);
    const QUuid classId =
        QUuid::fromString(typeNamed(typeLibrary_, "svProgressBar").value("guid").toString());
    QCOMPARE(QUuid::fromString(registry.value("CLSID").toString()), classId);
    QCOMPARE(registry.value("Library").toString(), QFileInfo(ZORBAR32_PATH).absoluteFilePath());

    // Found through the registry by a program in the build tree with no library beside it.
    const hosting::CreatedControl created = hosting::createControl(kProgId, nullptr, &site_, nullptr, nullptr,
                                                                   QCoreApplication::applicationDirPath());
    QVERIFY2(created.ok(), qPrintable(created.error));
    std::unique_ptr<QWidget> widget(created.widget());

    QCOMPARE(hosting::unregisterControlLibrary(ZORBAR32_PATH), hosting::S_OK);
    QVERIFY(!hosting::lookupControlClass(kProgId));
    QVERIFY(!hosting::createControl(kProgId, nullptr, &site_, nullptr, nullptr,
                                    QCoreApplication::applicationDirPath())
                 .ok());
  }

  void theLibraryMayUnloadOnlyWhenNoControlIsAlive() {
    QCOMPARE(hosting::canUnloadControlLibrary(ZORBAR32_PATH), hosting::S_OK);
    {
      HostedBar first = createBar(site_);
      HostedBar second = createBar(site_);
      QCOMPARE(hosting::canUnloadControlLibrary(ZORBAR32_PATH), hosting::S_FALSE);
      first.widget.reset();
      QCOMPARE(hosting::canUnloadControlLibrary(ZORBAR32_PATH), hosting::S_FALSE);
    }
    QCOMPARE(hosting::canUnloadControlLibrary(ZORBAR32_PATH), hosting::S_OK);
  }

  void theClassObjectIsGivenOnlyForItsOwnClass_data() {
    QTest::addColumn<QByteArray>("classId");
    QTest::addColumn<qint32>("expected");
    QTest::newRow("its class") << QByteArray("{6B0E2C52-3F7A-4D1E-9A52-7C1D3E8F2A01}") << hosting::S_OK;
    QTest::newRow("another class") << QByteArray("{00000000-0000-0000-0000-000000000001}")
                                   << hosting::CLASS_E_CLASSNOTAVAILABLE;
    QTest::newRow("no class id") << QByteArray() << hosting::CLASS_E_CLASSNOTAVAILABLE;
  }
  void theClassObjectIsGivenOnlyForItsOwnClass() {
    QFETCH(QByteArray, classId);
    QFETCH(qint32, expected);
    QLibrary library(ZORBAR32_PATH);
    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(library.resolve("DllGetClassObject"));
    QVERIFY(getClassObject);
    void* classObject = reinterpret_cast<void*>(1);
    QCOMPARE(getClassObject(classId.isNull() ? nullptr : classId.constData(), &classObject), expected);
    QCOMPARE(classObject != nullptr, expected == hosting::S_OK);
    if (classObject) {
      auto* factory = static_cast<hosting::ControlClassFactory*>(classObject);
      QCOMPARE(factory->progId(), kProgId);
      QCOMPARE(factory->classId(), QUuid::fromString(QString::fromLatin1(classId)));
    }
    QCOMPARE(getClassObject(classId.constData(), nullptr), hosting::E_POINTER);
  }

  void everyPropertyIsReachedByItsIdentifier_data() {
    QTest::addColumn<qint32>("memberId");
    QTest::addColumn<QVariant>("before");
    QTest::addColumn<QVariant>("put");
    QTest::addColumn<QVariant>("after");
    QTest::newRow("Value") << qint32(0x68030008) << QVariant(0) << QVariant(42) << QVariant(42);
    QTest::newRow("Font") << qint32(0x68030007) << QVariant(QFont("DejaVu Sans", 9))
                          << QVariant(QFont("DejaVu Serif", 12)) << QVariant(QFont("DejaVu Serif", 12));
    QTest::newRow("Font from its text form")
        << qint32(0x68030007) << QVariant(QFont("DejaVu Sans", 9))
        << QVariant(QFont("DejaVu Serif", 12).toString()) << QVariant(QFont("DejaVu Serif", 12));
    QTest::newRow("Max") << qint32(0x68030006) << QVariant(100) << QVariant(7) << QVariant(7);
    QTest::newRow("BarColor") << qint32(0x68030005) << QVariant(0x800000u) << QVariant(0x0000FF)
                              << QVariant(0xFFu);
    QTest::newRow("BackColor") << qint32(0x68030004) << QVariant(0xFFFFFFu) << QVariant(0xC0C0C0)
                               << QVariant(0xC0C0C0u);
    QTest::newRow("Unit") << qint32(0x68030003) << QVariant("%") << QVariant("字 ") << QVariant("字 ");
    QTest::newRow("ValueShow") << qint32(0x68030002) << QVariant(true) << QVariant(false) << QVariant(false);
    QTest::newRow("Enabled") << qint32(0x68030001) << QVariant(true) << QVariant(false) << QVariant(false);
    QTest::newRow("Style") << qint32(0x68030000) << QVariant(0) << QVariant(1) << QVariant(1);
    QTest::newRow("Style keeps other numbers")
        << qint32(0x68030000) << QVariant(0) << QVariant(5) << QVariant(5);
    QTest::newRow("Value as text of a number")
        << qint32(0x68030008) << QVariant(0) << QVariant("30") << QVariant(30);
  }
  void everyPropertyIsReachedByItsIdentifier() {
    QFETCH(qint32, memberId);
    QFETCH(QVariant, before);
    QFETCH(QVariant, put);
    QFETCH(QVariant, after);
    HostedBar bar = createBar(site_);
    const auto same = [](const QVariant& a, const QVariant& b) {
      return a.typeId() == QMetaType::QFont ? a.value<QFont>() == b.value<QFont>()
             : b.typeId() == QMetaType::QString || b.typeId() == QMetaType::Bool
                 ? a == b
                 : a.toLongLong() == b.toLongLong();
    };
    const hosting::DispatchResult got = hosting::dispatchGet(bar.object(), memberId);
    QVERIFY2(got.ok(), qPrintable(got.message));
    QVERIFY(same(got.value, before));
    const hosting::DispatchResult set = hosting::dispatchPut(bar.object(), memberId, put);
    QVERIFY2(set.ok(), qPrintable(set.message));
    QVERIFY(same(hosting::dispatchGet(bar.object(), memberId).value, after));
  }

  void theProgressWindowSequenceSetsUnitMaxAndValue() {
    HostedBar bar = createBar(site_);
    bar.set("Value", 60);
    QVERIFY(hosting::dispatchPut(bar.object(), 0x68030003, QString::fromUtf8("字 ")).ok());
    QVERIFY(hosting::dispatchPut(bar.object(), 0x68030006, 1000).ok());
    QVERIFY(hosting::dispatchPut(bar.object(), 0x68030008, 0).ok());
    QVERIFY(hosting::dispatchPut(bar.object(), 0x68030008, 250).ok());
    QCOMPARE(bar.get("Unit").toString(), QString::fromUtf8("字 "));
    QCOMPARE(bar.get("Max").toInt(), 1000);
    QCOMPARE(bar.get("Value").toInt(), 250);
  }

  void wrongCallsAreAnsweredWithAnError_data() {
    QTest::addColumn<QString>("call");
    QTest::addColumn<qint32>("memberId");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("error");
    QTest::newRow("get unknown") << "get" << qint32(0x68030009) << QVariant()
                                 << int(hosting::DispatchError::unknownMember);
    QTest::newRow("put unknown") << "put" << qint32(0) << QVariant(1)
                                 << int(hosting::DispatchError::unknownMember);
    QTest::newRow("invoke unknown") << "invoke" << qint32(1) << QVariant()
                                    << int(hosting::DispatchError::unknownMember);
    QTest::newRow("invoke a property")
        << "invoke" << qint32(0x68030008) << QVariant() << int(hosting::DispatchError::notAMethod);
    QTest::newRow("get a method") << "get" << qint32(-552) << QVariant()
                                  << int(hosting::DispatchError::notAProperty);
    QTest::newRow("Value from words")
        << "put" << qint32(0x68030008) << QVariant("many") << int(hosting::DispatchError::typeMismatch);
    QTest::newRow("Value beyond 32 bits") << "put" << qint32(0x68030008) << QVariant(qint64(1) << 40)
                                          << int(hosting::DispatchError::typeMismatch);
    QTest::newRow("ValueShow from words")
        << "put" << qint32(0x68030002) << QVariant("maybe") << int(hosting::DispatchError::typeMismatch);
    QTest::newRow("no value") << "put" << qint32(0x68030006) << QVariant()
                              << int(hosting::DispatchError::typeMismatch);
  }
  void wrongCallsAreAnsweredWithAnError() {
    QFETCH(QString, call);
    QFETCH(qint32, memberId);
    QFETCH(QVariant, value);
    QFETCH(int, error);
    HostedBar bar = createBar(site_);
    const quint64 draws = bar.drawCount();
    const hosting::DispatchResult result = call == "get" ? hosting::dispatchGet(bar.object(), memberId)
                                           : call == "put"
                                               ? hosting::dispatchPut(bar.object(), memberId, value)
                                               : hosting::dispatchInvoke(bar.object(), memberId);
    QCOMPARE(int(result.error), error);
    QVERIFY(!result.message.isEmpty());
    QCOMPARE(bar.drawCount(), draws);
  }

  void propertyBagNamesCompareWithoutCaseAndDefaultsAreNotStored() {
    hosting::MemoryPropertyBag bag;
    bag.writeProperty("Max", 100);
    bag.writeProperty("MAX", 50);
    QCOMPARE(bag.names(), QStringList{"Max"});
    QCOMPARE(bag.readProperty("max").toInt(), 50);
    QCOMPARE(bag.readProperty("absent", 9).toInt(), 9);
    QVERIFY(!bag.readProperty("absent").isValid());
    bag.writeProperty("font", QFont("DejaVu Sans", 9), QFont("DejaVu Sans", 9));
    QCOMPARE(bag.names(), QStringList{"Max"});
    bag.writeProperty("Max", 7, 7);  // equal to its default: dropped
    QVERIFY(bag.names().isEmpty());
  }
};

QTEST_MAIN(ControlHostingTest)
#include "control_hosting_test.moc"
