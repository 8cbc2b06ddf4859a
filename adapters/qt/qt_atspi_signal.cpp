#include "adapters/qt/qt_atspi_signal.h"

#include <QAccessible>

#if SARN_ATSPI
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#endif

#if SARN_ATSPI
namespace {

// An object on the bus, as AT-SPI names it: the bus name and object path.
struct ObjectReference {
    QString service;
    QDBusObjectPath path;
};

QDBusArgument& operator<<(QDBusArgument& out, const ObjectReference& object) {
    out.beginStructure();
    out << object.service << object.path;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, ObjectReference& object) {
    in.beginStructure();
    in >> object.service >> object.path;
    in.endStructure();
    return in;
}

}  // namespace

Q_DECLARE_METATYPE(ObjectReference)
#endif

namespace qt_tree::atspi {

#if SARN_ATSPI
void tellStateChange(QAccessibleInterface* object, const char* state, bool on) {
    // Qt's bridge names its connection to the accessibility bus "a11y".
    const QDBusConnection bus(QStringLiteral("a11y"));
    if (!object || !bus.isConnected()) return;
    static const QMetaType registered = qDBusRegisterMetaType<ObjectReference>();
    (void)registered;
    const QString path = QStringLiteral("/org/a11y/atspi/accessible/%1").arg(QAccessible::uniqueId(object));
    QDBusMessage signal =
        QDBusMessage::createSignal(path, QStringLiteral("org.a11y.atspi.Event.Object"), QStringLiteral("StateChanged"));
    const ObjectReference source{bus.baseService(), QDBusObjectPath(path)};
    const ObjectReference application{bus.baseService(), QDBusObjectPath(QStringLiteral("/org/a11y/atspi/accessible/root"))};
    signal << QString::fromLatin1(state) << int(on ? 1 : 0) << 0
           << QVariant::fromValue(QDBusVariant(QVariant::fromValue(source))) << QVariant::fromValue(application);
    bus.send(signal);
}
#else
void tellStateChange(QAccessibleInterface*, const char*, bool) {}
#endif

}  // namespace qt_tree::atspi
