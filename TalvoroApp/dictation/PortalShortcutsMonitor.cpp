#include "dictation/PortalShortcutsMonitor.h"

#include "dictation/DictationLogging.h"
#include "dictation/HotkeyManager.h"
#include "dictation/KeyCodeMap.h"
#include "platform/DisplaySession.h"
#include "texts/Localization.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <X11/Xlib.h>

#include <functional>
#include <optional>
#include <utility>

namespace {

constexpr auto kPath = "/org/freedesktop/portal/desktop";
constexpr auto kInterface = "org.freedesktop.portal.GlobalShortcuts";
constexpr auto kRequestInterface = "org.freedesktop.portal.Request";
constexpr auto kSessionInterface = "org.freedesktop.portal.Session";
constexpr auto kCancelId = "cancel";

QString path()
{
    return QString::fromLatin1(kPath);
}

void registerTypes()
{
    // QtDBus matches the Activated slot only once its argument types are known.
    qRegisterMetaType<QDBusObjectPath>();
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

// The handle of a session comes as an object path or, from older portals,
// as a string.
QString handleOf(const QVariant &value)
{
    if (value.canConvert<QDBusObjectPath>() && value.typeId() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

// One portal request, answered by a Response signal on a path we can
// predict; it is subscribed to before the call so the answer cannot slip by.
// A failed call counts as answer 2 (the portal's "other"). Owned by whoever
// waits for it, and gone after the answer.
class PortalRequest final : public QObject
{
    Q_OBJECT
public:
    using Answer = std::function<void(uint response, const QVariantMap &results)>;

    PortalRequest(QDBusConnection bus, const QString &service, const QString &method, QVariantList arguments,
                  QVariantMap options, Answer answer, QObject *owner)
        : QObject(owner)
        , m_bus(std::move(bus))
        , m_service(service)
        , m_answer(std::move(answer))
    {
        static int counter = 0;
        const QString token = QStringLiteral("talvoro%1").arg(++counter);
        options.insert(QStringLiteral("handle_token"), token);
        QString sender = m_bus.baseService().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        listen(QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token));
        QDBusMessage call = QDBusMessage::createMethodCall(m_service, path(), QString::fromLatin1(kInterface), method);
        arguments.append(options);
        call.setArguments(arguments);
        auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, method](QDBusPendingCallWatcher *call) {
            call->deleteLater();
            const QDBusPendingReply<QDBusObjectPath> reply = *call;
            if (reply.isError()) {
                qCWarning(lcHotkeyManager).noquote()
                    << "Global shortcuts portal:" << method << "failed:" << reply.error().message();
                response(2, {});
            } else if (reply.value().path() != m_path && !m_answered) {
                // A portal older than the predictable paths answers elsewhere.
                listen(reply.value().path());
            }
        });
    }

private Q_SLOTS:
    void response(uint code, const QVariantMap &results)
    {
        if (std::exchange(m_answered, true))
            return;
        stopListening();
        deleteLater();
        m_answer(code, results);
    }

private:
    void listen(const QString &requestPath)
    {
        stopListening();
        m_path = requestPath;
        m_bus.connect(m_service, m_path, QString::fromLatin1(kRequestInterface), QStringLiteral("Response"), this,
                      SLOT(response(uint,QVariantMap)));
    }

    void stopListening()
    {
        if (!m_path.isEmpty())
            m_bus.disconnect(m_service, m_path, QString::fromLatin1(kRequestInterface), QStringLiteral("Response"),
                             this, SLOT(response(uint,QVariantMap)));
        m_path.clear();
    }

    QDBusConnection m_bus;
    QString m_service;
    Answer m_answer;
    QString m_path;
    bool m_answered = false;
};

// One portal session: created, its shortcuts bound, closed by end().
class PortalShortcutSession final : public QObject
{
    Q_OBJECT
public:
    struct Binding
    {
        QString id;
        QString description;
        KeyCombination combination;
    };

    PortalShortcutSession(QDBusConnection bus, QString service, QList<Binding> bindings, QObject *parent)
        : QObject(parent)
        , m_bus(std::move(bus))
        , m_service(std::move(service))
        , m_bindings(std::move(bindings))
    {
        static int counter = 0;
        new PortalRequest(m_bus, m_service, QStringLiteral("CreateSession"), {},
                          {{QStringLiteral("session_handle_token"), QStringLiteral("talvoro%1").arg(++counter)}},
                          [this](uint response, const QVariantMap &results) { sessionCreated(response, results); },
                          this);
    }

    const QString &handle() const { return m_handle; }
    bool isBound() const { return m_bound; }

    std::optional<KeyCombination> combinationFor(const QString &id) const
    {
        for (const Binding &binding : m_bindings)
            if (binding.id == id)
                return binding.combination;
        return std::nullopt;
    }

    // Closes the session now, or as soon as the portal says it exists.
    void end()
    {
        m_ended = true;
        m_bound = false;
        if (m_handle.isEmpty() && m_creating)
            return;
        if (!m_handle.isEmpty())
            m_bus.call(QDBusMessage::createMethodCall(m_service, m_handle, QString::fromLatin1(kSessionInterface),
                                                      QStringLiteral("Close")),
                       QDBus::NoBlock);
        deleteLater();
    }

private:
    void sessionCreated(uint response, const QVariantMap &results)
    {
        m_creating = false;
        m_handle = response == 0 ? handleOf(results.value(QStringLiteral("session_handle"))) : QString();
        if (m_handle.isEmpty())
            qCWarning(lcHotkeyManager) << "The desktop refused a global shortcuts session; response" << response;
        if (m_ended || m_handle.isEmpty())
            return end();
        QList<PortalShortcut> shortcuts;
        for (const Binding &binding : m_bindings) {
            QVariantMap properties{{QStringLiteral("description"), binding.description}};
            const QString trigger = PortalShortcutsMonitor::preferredTrigger(binding.combination);
            if (!trigger.isEmpty())
                properties.insert(QStringLiteral("preferred_trigger"), trigger);
            shortcuts.append({binding.id, properties});
        }
        new PortalRequest(m_bus, m_service, QStringLiteral("BindShortcuts"),
                          {QVariant::fromValue(QDBusObjectPath(m_handle)), QVariant::fromValue(shortcuts), QString()},
                          {}, [this](uint response, const QVariantMap &) { shortcutsBound(response); }, this);
    }

    void shortcutsBound(uint response)
    {
        m_bound = response == 0 && !m_ended;
        if (response != 0)
            qCWarning(lcHotkeyManager) << "The desktop did not bind the global shortcuts; response" << response;
    }

    QDBusConnection m_bus;
    QString m_service;
    QList<Binding> m_bindings;
    QString m_handle;
    bool m_creating = true;
    bool m_bound = false;
    bool m_ended = false;
};

PortalShortcutsMonitor::PortalShortcutsMonitor(QDBusConnection bus, const QString &service, QObject *parent)
    : KeyboardMonitor(parent)
    , m_bus(std::move(bus))
    , m_service(service)
{
    registerTypes();
    m_available = isOffered(m_bus, m_service);
    if (m_available
        && !m_bus.connect(m_service, path(), QString::fromLatin1(kInterface), QStringLiteral("Activated"), this,
                          SLOT(activated(QDBusObjectPath,QString,qulonglong,QVariantMap))))
        qCWarning(lcHotkeyManager).noquote()
            << "Cannot follow the global shortcuts portal's activations:" << m_bus.lastError().message();
}

PortalShortcutsMonitor::~PortalShortcutsMonitor()
{
    remove();
    endSession(m_escape);
}

bool PortalShortcutsMonitor::isOffered(QDBusConnection bus, const QString &service)
{
    return talvoro::desktopPortalOffers(std::move(bus), service, QString::fromLatin1(kInterface));
}

bool PortalShortcutsMonitor::isOfferedOnSessionBus()
{
    static const bool offered =
        isOffered(QDBusConnection::sessionBus(), QString::fromLatin1(talvoro::kDesktopPortalService));
    return offered;
}

QString PortalShortcutsMonitor::preferredTrigger(const KeyCombination &combination)
{
    const auto keysym = KeyCodeMap::keysymForMacKeyCode(combination.keyCode);
    const char *name = keysym ? XKeysymToString(*keysym) : nullptr;
    if (!name)
        return {};
    QStringList parts;
    const std::pair<quint64, const char *> modifiers[] = {
        {MacModifier::control, "CTRL"},
        {MacModifier::option, "ALT"},
        {MacModifier::shift, "SHIFT"},
        {MacModifier::command, "LOGO"},
    };
    for (const auto &[bit, modifier] : modifiers)
        if (combination.modifiers & bit)
            parts << QString::fromLatin1(modifier);
    parts << QString::fromLatin1(name);
    return parts.join(QLatin1Char('+'));
}

void PortalShortcutsMonitor::install(const QList<KeyCombination> &combinations)
{
    remove();
    if (!m_available)
        return;
    // Shown by the desktop in its shortcut settings.
    const char *const descriptions[] = {
        QT_TRANSLATE_NOOP("Talvoro", "Iniciar ou parar um ditado"),
        QT_TRANSLATE_NOOP("Talvoro", "Iniciar ou parar um ditado com tradução"),
        QT_TRANSLATE_NOOP("Talvoro", "Colar a última transcrição"),
    };
    QList<PortalShortcutSession::Binding> bindings;
    for (qsizetype i = 0; i < combinations.size() && i < qsizetype(std::size(descriptions)); ++i) {
        const auto kind = static_cast<HotkeyManager::HotkeyKind>(i);
        bindings.append({HotkeyManager::kindName(kind), talvoro::localized(descriptions[i]), combinations[i]});
    }
    m_hotkeys = new PortalShortcutSession(m_bus, m_service, std::move(bindings), this);
}

void PortalShortcutsMonitor::remove()
{
    endSession(m_hotkeys);
}

bool PortalShortcutsMonitor::isInstalled() const
{
    return m_hotkeys && m_hotkeys->isBound();
}

void PortalShortcutsMonitor::setEscapeMonitored(bool monitored)
{
    if (monitored == bool(m_escape))
        return;
    if (!monitored || !m_available)
        return endSession(m_escape);
    m_escape = new PortalShortcutSession(
        m_bus, m_service,
        {{QString::fromLatin1(kCancelId), talvoro::localized("Cancelar a gravação"), {MacKeyCode::escape, 0}}},
        this);
}

void PortalShortcutsMonitor::endSession(QPointer<PortalShortcutSession> &session)
{
    if (session)
        session->end();
    session = nullptr;
}

void PortalShortcutsMonitor::activated(const QDBusObjectPath &session, const QString &shortcutId, qulonglong,
                                       const QVariantMap &)
{
    // Sessions being closed are no longer ours to answer.
    for (const auto &ours : {m_hotkeys, m_escape}) {
        if (!ours || ours->handle() != session.path())
            continue;
        if (const auto combination = ours->combinationFor(shortcutId))
            Q_EMIT keyPressed(combination->keyCode, combination->modifiers);
    }
}

#include "PortalShortcutsMonitor.moc"
