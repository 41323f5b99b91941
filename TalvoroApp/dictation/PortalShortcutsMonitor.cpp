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
#include <QDBusServiceWatcher>

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
// How long the portal may take to say whether it is there; nothing waits on it.
constexpr int kAskTimeoutMs = 10000;
constexpr int kCloseTimeoutMs = 10000;

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

QList<PortalShortcut> shortcutsOf(const QVariant &value)
{
    if (value.canConvert<QDBusArgument>() && value.typeId() == qMetaTypeId<QDBusArgument>())
        return qdbus_cast<QList<PortalShortcut>>(value.value<QDBusArgument>());
    return value.value<QList<PortalShortcut>>();
}

// Modifier names of trigger descriptions (Qt's, the XDG format's, GNOME's),
// lower-cased, with their bits.
const std::pair<const char *, quint64> kModifierNames[] = {
    {"ctrl", MacModifier::control},  {"control", MacModifier::control}, {"primary", MacModifier::control},
    {"alt", MacModifier::option},    {"option", MacModifier::option},   {"shift", MacModifier::shift},
    {"meta", MacModifier::command},  {"super", MacModifier::command},   {"logo", MacModifier::command},
    {"win", MacModifier::command},
};

// Qt's short names of keys whose X keysym name differs.
const std::pair<const char *, const char *> kKeyAliases[] = {
    {"esc", "escape"}, {"del", "delete"}, {"ins", "insert"}, {"pgup", "prior"}, {"pgdown", "next"},
    {"enter", "return"}, {"print", "print"},
};

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

// One shortcut we ask the portal for.
struct PortalBinding
{
    QString id;
    QString description;
    KeyCombination combination;
    bool operator==(const PortalBinding &) const = default;
};

// One portal session under a fixed token: created with its shortcuts, asked
// what the portal bound, bound where something is missing, closed by end().
// A session of the same token that is still closing goes first: the portal
// refuses a second session at the same path.
class PortalShortcutSession final : public QObject
{
    Q_OBJECT
public:
    // `forChange`: made because a combination changed, so a trigger the
    // desktop keeps from before is worth its settings page; at a start it
    // is only shown.
    PortalShortcutSession(QDBusConnection bus, QString service, QString token, QList<PortalBinding> bindings,
                          bool forChange, QSet<QString> &bindRequests, QObject *parent)
        : QObject(parent)
        , m_bus(std::move(bus))
        , m_service(std::move(service))
        , m_token(std::move(token))
        , m_bindings(std::move(bindings))
        , m_forChange(forChange)
        , m_bindRequests(bindRequests)
    {
    }

    const QString &token() const { return m_token; }
    const QString &handle() const { return m_handle; }
    const QList<PortalBinding> &bindings() const { return m_bindings; }
    bool isEnded() const { return m_ended; }

    // Starts once no other session of this token is closing.
    void startWhenAlone()
    {
        if (m_started || m_ended)
            return;
        const auto siblings = parent()->findChildren<PortalShortcutSession *>(Qt::FindDirectChildrenOnly);
        for (PortalShortcutSession *other : siblings) {
            if (other != this && other->m_token == m_token && other->m_ended) {
                connect(other, &QObject::destroyed, this, &PortalShortcutSession::startWhenAlone,
                        Qt::UniqueConnection);
                return;
            }
        }
        m_started = true;
        new PortalRequest(m_bus, m_service, QStringLiteral("CreateSession"), {},
                          {{QStringLiteral("session_handle_token"), m_token},
                           {QStringLiteral("shortcuts"), QVariant::fromValue(shortcuts())}},
                          [this](uint response, const QVariantMap &results) { created(response, results); }, this);
    }

    KeyboardMonitor::Binding state(qsizetype index) const
    {
        if (!m_listed || index < 0 || index >= m_bindings.size())
            return KeyboardMonitor::Binding::pending;
        const auto found = m_triggers.constFind(m_bindings[index].id);
        if (found == m_triggers.cend() || (found->has_value() && (*found)->isEmpty()))
            return KeyboardMonitor::Binding::refused;
        return KeyboardMonitor::Binding::bound;
    }

    QString desktopTrigger(qsizetype index) const
    {
        if (state(index) != KeyboardMonitor::Binding::bound)
            return {};
        const std::optional<QString> trigger = m_triggers.value(m_bindings[index].id);
        return trigger && !PortalShortcutsMonitor::describes(*trigger, m_bindings[index].combination) ? *trigger
                                                                                                     : QString();
    }

    bool isBound() const
    {
        for (qsizetype i = 0; i < m_bindings.size(); ++i)
            if (state(i) != KeyboardMonitor::Binding::bound)
                return false;
        return !m_ended;
    }

    std::optional<KeyCombination> combinationFor(const QString &id) const
    {
        for (const PortalBinding &binding : m_bindings)
            if (binding.id == id)
                return binding.combination;
        return std::nullopt;
    }

    // What the portal lists for this session now: every shortcut it bound,
    // with the description of its trigger where it gives one.
    void apply(const QList<PortalShortcut> &listed)
    {
        m_listed = true;
        m_triggers.clear();
        for (const PortalShortcut &shortcut : listed) {
            const auto description = shortcut.properties.constFind(QStringLiteral("trigger_description"));
            m_triggers.insert(shortcut.id, description == shortcut.properties.cend()
                                               ? std::nullopt
                                               : std::optional<QString>(description->toString().trimmed()));
        }
        Q_EMIT changed();
    }

    // Closes the session now, or as soon as the portal says it exists; gone
    // once the portal confirmed the close.
    void end()
    {
        if (std::exchange(m_ended, true) && m_closing)
            return;
        if (!m_started) {
            deleteLater();
            return;
        }
        if (m_handle.isEmpty() && m_creating)
            return;
        if (m_handle.isEmpty()) {
            deleteLater();
            return;
        }
        m_closing = true;
        const QDBusMessage close = QDBusMessage::createMethodCall(
            m_service, m_handle, QString::fromLatin1(kSessionInterface), QStringLiteral("Close"));
        auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(close, kCloseTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, &QObject::deleteLater);
    }

    // The portal went away with every session it held.
    void drop()
    {
        m_ended = true;
        m_handle.clear();
        deleteLater();
    }

Q_SIGNALS:
    void changed();

private:
    QList<PortalShortcut> shortcuts() const
    {
        QList<PortalShortcut> list;
        for (const PortalBinding &binding : m_bindings) {
            QVariantMap properties{{QStringLiteral("description"), binding.description}};
            const QString trigger = PortalShortcutsMonitor::preferredTrigger(binding.combination);
            if (!trigger.isEmpty())
                properties.insert(QStringLiteral("preferred_trigger"), trigger);
            list.append({binding.id, properties});
        }
        return list;
    }

    QDBusObjectPath handlePath() const { return QDBusObjectPath(m_handle); }

    void created(uint response, const QVariantMap &results)
    {
        m_creating = false;
        m_handle = response == 0 ? handleOf(results.value(QStringLiteral("session_handle"))) : QString();
        if (m_handle.isEmpty()) {
            qCWarning(lcHotkeyManager) << "The desktop refused a global shortcuts session; response" << response;
            if (!m_ended)
                apply({});
        }
        if (m_ended || m_handle.isEmpty())
            return end();
        new PortalRequest(m_bus, m_service, QStringLiteral("ListShortcuts"), {QVariant::fromValue(handlePath())}, {},
                          [this](uint response, const QVariantMap &results) { listed(response, results); }, this);
    }

    void listed(uint response, const QVariantMap &results)
    {
        if (m_ended)
            return;
        if (response == 0)
            apply(shortcutsOf(results.value(QStringLiteral("shortcuts"))));
        bool complete = response == 0;
        for (qsizetype i = 0; complete && i < m_bindings.size(); ++i)
            complete = state(i) == KeyboardMonitor::Binding::bound && (!m_forChange || desktopTrigger(i).isEmpty());
        if (complete)
            return;
        // BindShortcuts may show the user a dialog or the desktop's settings:
        // once per set of shortcuts, not at every start of a session.
        QStringList request{m_token};
        for (const PortalShortcut &shortcut : shortcuts())
            request << shortcut.id + QLatin1Char('=') + shortcut.properties.value(QStringLiteral("preferred_trigger")).toString();
        const QString key = request.join(QLatin1Char(' '));
        if (m_bindRequests.contains(key))
            return;
        m_bindRequests.insert(key);
        new PortalRequest(m_bus, m_service, QStringLiteral("BindShortcuts"),
                          {QVariant::fromValue(handlePath()), QVariant::fromValue(shortcuts()), QString()}, {},
                          [this](uint response, const QVariantMap &results) { bound(response, results); }, this);
    }

    void bound(uint response, const QVariantMap &results)
    {
        if (m_ended)
            return;
        if (response != 0) {
            // Cancelled by the user: what the portal listed still holds.
            qCWarning(lcHotkeyManager) << "The desktop did not bind the global shortcuts; response" << response;
            if (!m_listed)
                apply({});
            return;
        }
        apply(shortcutsOf(results.value(QStringLiteral("shortcuts"))));
    }

    QDBusConnection m_bus;
    QString m_service;
    QString m_token;
    QList<PortalBinding> m_bindings;
    bool m_forChange;
    QSet<QString> &m_bindRequests;
    QString m_handle;
    // Shortcut id → its trigger's description (none when the portal gave no description).
    QHash<QString, std::optional<QString>> m_triggers;
    bool m_listed = false;
    bool m_started = false;
    bool m_creating = true;
    bool m_ended = false;
    bool m_closing = false;
};

PortalShortcutsMonitor::PortalShortcutsMonitor(QDBusConnection bus, const QString &service, QObject *parent)
    : KeyboardMonitor(parent)
    , m_bus(std::move(bus))
    , m_service(service)
{
    registerTypes();
}

PortalShortcutsMonitor::~PortalShortcutsMonitor()
{
    // Its manager is going too: nobody is left to tell.
    blockSignals(true);
    remove();
    endSession(m_escape);
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

bool PortalShortcutsMonitor::describes(const QString &triggerDescription, const KeyCombination &combination)
{
    const auto keysym = KeyCodeMap::keysymForMacKeyCode(combination.keyCode);
    const char *keysymName = keysym ? XKeysymToString(*keysym) : nullptr;
    if (!keysymName)
        return false;
    QStringList keyNames{QString::fromLatin1(keysymName).toLower()};
    if (*keysym >= 0x21 && *keysym <= 0x7e)
        keyNames << QString(QChar(char16_t(*keysym))).toLower();
    // A desktop may give several triggers, separated by commas.
    for (const QString &trigger : triggerDescription.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        QString text = trigger.trimmed().toLower();
        QString key;
        if (text.endsWith(QStringLiteral("++")) || text == QStringLiteral("+")) {
            key = QStringLiteral("+");
            text.chop(text.size() > 1 ? 2 : 1);
        } else {
            key = text.section(QLatin1Char('+'), -1);
            text.chop(std::min(text.size(), key.size() + 1));
        }
        for (const auto &[alias, name] : kKeyAliases)
            if (key == QLatin1String(alias))
                key = QString::fromLatin1(name);
        quint64 modifiers = 0;
        bool known = true;
        for (const QString &modifier : text.split(QLatin1Char('+'), Qt::SkipEmptyParts)) {
            const auto found = std::find_if(std::begin(kModifierNames), std::end(kModifierNames),
                                            [&](const auto &entry) { return modifier == QLatin1String(entry.first); });
            known = known && found != std::end(kModifierNames);
            if (found != std::end(kModifierNames))
                modifiers |= found->second;
        }
        if (known && keyNames.contains(key) && modifiers == (combination.modifiers & MacModifier::mask))
            return true;
    }
    return false;
}

void PortalShortcutsMonitor::ask()
{
    if (m_asking)
        return;
    if (!m_ownerWatcher) {
        auto *watcher = new QDBusServiceWatcher(m_service, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString &, const QString &, const QString &owner) { ownerChanged(owner); });
        m_ownerWatcher = watcher;
    }
    if (!m_bus.isConnected())
        return setPresence(Presence::absent);
    m_asking = true;
    QDBusMessage get = QDBusMessage::createMethodCall(m_service, path(), QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << QString::fromLatin1(kInterface) << QStringLiteral("version");
    auto *call = new QDBusPendingCallWatcher(m_bus.asyncCall(get, kAskTimeoutMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, generation = m_ownerGeneration](QDBusPendingCallWatcher *call) {
                call->deleteLater();
                m_asking = false;
                if (generation != m_ownerGeneration)
                    return ask(); // answered by an owner that is gone
                if (!call->isError())
                    return setPresence(Presence::offered);
                const QDBusError::ErrorType error = call->error().type();
                if (error == QDBusError::NoReply || error == QDBusError::Timeout || error == QDBusError::TimedOut) {
                    // Slow is not absent: asked again when it gets a new owner.
                    qCWarning(lcHotkeyManager) << "The desktop portal did not answer about global shortcuts";
                    return;
                }
                qCWarning(lcHotkeyManager).noquote()
                    << "Global hotkeys unavailable: this desktop offers no global shortcuts portal"
                    << "(org.freedesktop.portal.GlobalShortcuts):" << call->error().message();
                setPresence(Presence::absent);
            });
}

void PortalShortcutsMonitor::ownerChanged(const QString &owner)
{
    ++m_ownerGeneration;
    // The sessions lived in the previous owner.
    for (auto *session : {m_hotkeys.data(), m_escape.data()})
        if (session)
            session->drop();
    m_hotkeys = nullptr;
    m_escape = nullptr;
    m_bindRequests.clear();
    m_hotkeysOpened = false;
    m_presence = Presence::asking;
    Q_EMIT stateChanged();
    if (!owner.isEmpty())
        ask();
}

void PortalShortcutsMonitor::setPresence(Presence presence)
{
    if (m_presence == presence)
        return;
    m_presence = presence;
    if (presence == Presence::offered) {
        followSignals();
        bindHotkeys();
        bindEscape();
    }
    Q_EMIT stateChanged();
}

void PortalShortcutsMonitor::followSignals()
{
    if (std::exchange(m_followingSignals, true))
        return;
    const QString interface = QString::fromLatin1(kInterface);
    if (!m_bus.connect(m_service, path(), interface, QStringLiteral("Activated"), this,
                       SLOT(activated(QDBusObjectPath,QString,qulonglong,QVariantMap)))
        || !m_bus.connect(m_service, path(), interface, QStringLiteral("ShortcutsChanged"), this,
                          SLOT(shortcutsChanged(QDBusMessage))))
        qCWarning(lcHotkeyManager).noquote()
            << "Cannot follow the global shortcuts portal's signals:" << m_bus.lastError().message();
}

void PortalShortcutsMonitor::install(const QList<KeyCombination> &combinations)
{
    m_wanted = combinations;
    if (m_presence == Presence::asking)
        ask();
    bindHotkeys();
    Q_EMIT stateChanged();
}

void PortalShortcutsMonitor::bindHotkeys()
{
    if (m_presence != Presence::offered || !m_wanted)
        return;
    // Shown by the desktop in its shortcut settings.
    const char *const descriptions[] = {
        QT_TRANSLATE_NOOP("Talvoro", "Iniciar ou parar um ditado"),
        QT_TRANSLATE_NOOP("Talvoro", "Iniciar ou parar um ditado com tradução"),
        QT_TRANSLATE_NOOP("Talvoro", "Colar a última transcrição"),
    };
    QList<PortalBinding> bindings;
    for (qsizetype i = 0; i < m_wanted->size() && i < qsizetype(std::size(descriptions)); ++i) {
        const auto kind = static_cast<HotkeyManager::HotkeyKind>(i);
        bindings.append({HotkeyManager::kindName(kind), talvoro::localized(descriptions[i]), m_wanted->at(i)});
    }
    if (m_hotkeys && m_hotkeys->bindings() == bindings)
        return;
    endSession(m_hotkeys);
    m_hotkeys = open(QString::fromLatin1(kHotkeysToken), std::move(bindings), std::exchange(m_hotkeysOpened, true));
}

void PortalShortcutsMonitor::remove()
{
    m_wanted.reset();
    if (m_hotkeys) {
        endSession(m_hotkeys);
        Q_EMIT stateChanged();
    }
}

bool PortalShortcutsMonitor::isInstalled() const
{
    return m_hotkeys && m_hotkeys->isBound();
}

KeyboardMonitor::Binding PortalShortcutsMonitor::binding(qsizetype index) const
{
    return m_hotkeys ? m_hotkeys->state(index) : Binding::pending;
}

QString PortalShortcutsMonitor::desktopTrigger(qsizetype index) const
{
    return m_hotkeys ? m_hotkeys->desktopTrigger(index) : QString();
}

void PortalShortcutsMonitor::setEscapeMonitored(bool monitored)
{
    m_escapeWanted = monitored;
    if (!monitored)
        return endSession(m_escape);
    if (m_presence == Presence::asking)
        ask();
    bindEscape();
}

void PortalShortcutsMonitor::bindEscape()
{
    if (m_presence != Presence::offered || !m_escapeWanted || m_escape)
        return;
    m_escape = open(QString::fromLatin1(kCancelToken),
                    {{QString::fromLatin1(kCancelId), talvoro::localized("Cancelar a gravação"),
                      {MacKeyCode::escape, 0}}},
                    false);
}

PortalShortcutSession *PortalShortcutsMonitor::open(const QString &token, QList<PortalBinding> bindings,
                                                    bool forChange)
{
    auto *session =
        new PortalShortcutSession(m_bus, m_service, token, std::move(bindings), forChange, m_bindRequests, this);
    connect(session, &PortalShortcutSession::changed, this, [this, session] {
        if (session == m_hotkeys)
            Q_EMIT stateChanged();
    });
    session->startWhenAlone();
    return session;
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

void PortalShortcutsMonitor::shortcutsChanged(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2)
        return;
    const QString session = arguments[0].value<QDBusObjectPath>().path();
    for (const auto &ours : {m_hotkeys, m_escape})
        if (ours && !ours->handle().isEmpty() && ours->handle() == session)
            ours->apply(shortcutsOf(arguments[1]));
}

#include "PortalShortcutsMonitor.moc"
