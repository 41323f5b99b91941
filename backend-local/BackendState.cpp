#include "backend-local/BackendState.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QUuid>

#include <sys/stat.h>

namespace backendlocal {

BackendState::BackendState()
    : nowMs([] { return QDateTime::currentMSecsSinceEpoch(); })
{
}

QString BackendState::newToken()
{
    QByteArray bytes(32, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), 8);
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QString BackendState::newId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

User &BackendState::userForEmail(const QString &email, const QString &name)
{
    for (auto it = users.begin(); it != users.end(); ++it) {
        if (it->email.compare(email, Qt::CaseInsensitive) == 0)
            return *it;
    }
    User created;
    created.id = newId();
    created.email = email;
    created.name = name;
    return *users.insert(created.id, created);
}

User *BackendState::user(const QString &id)
{
    const auto it = users.find(id);
    return it == users.end() ? nullptr : &*it;
}

QJsonObject BackendState::issueTokens(const QString &userId, const QUrl &baseURL)
{
    const QString access = newToken();
    const QString refresh = newToken();
    accessTokens.insert(access, {userId, nowMs() + accessTokenLifetimeSeconds * 1000});
    refreshTokens.insert(refresh, userId);
    QJsonObject reply{
        {QStringLiteral("accessToken"), access},
        {QStringLiteral("refreshToken"), refresh},
        {QStringLiteral("expiresIn"), accessTokenLifetimeSeconds},
    };
    if (const User *owner = user(userId))
        reply.insert(QStringLiteral("user"), userJSON(*owner, baseURL));
    return reply;
}

std::optional<QString> BackendState::userForAccessToken(const QString &token) const
{
    const auto it = accessTokens.constFind(token);
    if (it == accessTokens.cend() || it->expiresAtMs <= nowMs() || !users.contains(it->userId))
        return std::nullopt;
    return it->userId;
}

std::optional<QJsonObject> BackendState::rotateRefreshToken(const QString &token, const QUrl &baseURL)
{
    const qint64 now = nowMs();
    spentRefreshTokens.removeIf([&](const auto &entry) { return entry.value().spentAtMs + kRefreshGraceMs < now; });
    QString userId = refreshTokens.take(token);
    SpentRefreshToken *replayed = nullptr;
    if (userId.isEmpty()) {
        const auto spent = spentRefreshTokens.find(token);
        if (spent == spentRefreshTokens.end())
            return std::nullopt;
        replayed = &*spent;
        refreshTokens.remove(replayed->successor);
        userId = replayed->userId;
    } else {
        // The client got this token, so the one it replaced is dead for good.
        spentRefreshTokens.removeIf([&](const auto &entry) { return entry.value().successor == token; });
    }
    if (!user(userId))
        return std::nullopt;
    QJsonObject reply = issueTokens(userId, baseURL);
    const QString successor = reply.value(QLatin1String("refreshToken")).toString();
    if (replayed)
        replayed->successor = successor;
    else
        spentRefreshTokens.insert(token, {userId, successor, now});
    return reply;
}

void BackendState::expireAccessTokens()
{
    for (auto &grant : accessTokens)
        grant.expiresAtMs = 0;
}

void BackendState::deleteUser(const QString &userId)
{
    users.remove(userId);
    accessTokens.removeIf([&](const auto &entry) { return entry.value().userId == userId; });
    refreshTokens.removeIf([&](const auto &entry) { return entry.value() == userId; });
    spentRefreshTokens.removeIf([&](const auto &entry) { return entry.value().userId == userId; });
    authorizationCodes.removeIf([&](const auto &entry) { return entry.value().userId == userId; });
    files.removeIf([&](const auto &entry) { return entry.value().ownerUserId == userId; });
    uploadSlots.removeIf([&](const auto &entry) { return entry.value().userId == userId; });
}

QUrl BackendState::fileURL(const QUrl &baseURL, const QString &storageId)
{
    return QUrl(baseURL.toString() + QStringLiteral("storage/files/") + storageId);
}

QJsonObject BackendState::userJSON(const User &user, const QUrl &baseURL) const
{
    return {
        {QStringLiteral("id"), user.id},
        {QStringLiteral("email"), user.email},
        {QStringLiteral("name"), user.name.isEmpty() ? QJsonValue() : QJsonValue(user.name)},
        {QStringLiteral("avatarUrl"), user.avatarStorageId.isEmpty()
                                          ? QJsonValue()
                                          : QJsonValue(fileURL(baseURL, user.avatarStorageId).toString())},
    };
}

QJsonObject BackendState::toJSON() const
{
    QJsonObject usersJSON;
    for (const User &u : users) {
        usersJSON.insert(u.id, QJsonObject{{QStringLiteral("email"), u.email},
                                           {QStringLiteral("name"), u.name},
                                           {QStringLiteral("avatarStorageId"), u.avatarStorageId},
                                           {QStringLiteral("feedback"), u.feedback},
                                           {QStringLiteral("sync"), u.sync}});
    }
    QJsonObject access;
    for (auto it = accessTokens.cbegin(); it != accessTokens.cend(); ++it)
        access.insert(it.key(), QJsonObject{{QStringLiteral("userId"), it->userId},
                                            {QStringLiteral("expiresAt"), it->expiresAtMs}});
    QJsonObject refresh;
    for (auto it = refreshTokens.cbegin(); it != refreshTokens.cend(); ++it)
        refresh.insert(it.key(), it.value());
    QJsonObject filesJSON;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        filesJSON.insert(it.key(), QJsonObject{{QStringLiteral("data"), QString::fromLatin1(it->data.toBase64())},
                                               {QStringLiteral("contentType"), QString::fromLatin1(it->contentType)},
                                               {QStringLiteral("owner"), it->ownerUserId}});
    return {{QStringLiteral("users"), usersJSON},
            {QStringLiteral("accessTokens"), access},
            {QStringLiteral("refreshTokens"), refresh},
            {QStringLiteral("files"), filesJSON}};
}

void BackendState::loadJSON(const QJsonObject &object)
{
    const QJsonObject usersJSON = object.value(QLatin1String("users")).toObject();
    for (auto it = usersJSON.begin(); it != usersJSON.end(); ++it) {
        const QJsonObject u = it.value().toObject();
        users.insert(it.key(), User{it.key(), u.value(QLatin1String("email")).toString(),
                                    u.value(QLatin1String("name")).toString(),
                                    u.value(QLatin1String("avatarStorageId")).toString(),
                                    u.value(QLatin1String("feedback")).toArray(),
                                    u.value(QLatin1String("sync")).toObject()});
    }
    const QJsonObject access = object.value(QLatin1String("accessTokens")).toObject();
    for (auto it = access.begin(); it != access.end(); ++it) {
        const QJsonObject grant = it.value().toObject();
        accessTokens.insert(it.key(), {grant.value(QLatin1String("userId")).toString(),
                                       static_cast<qint64>(grant.value(QLatin1String("expiresAt")).toDouble())});
    }
    const QJsonObject refresh = object.value(QLatin1String("refreshTokens")).toObject();
    for (auto it = refresh.begin(); it != refresh.end(); ++it)
        refreshTokens.insert(it.key(), it.value().toString());
    const QJsonObject filesJSON = object.value(QLatin1String("files")).toObject();
    for (auto it = filesJSON.begin(); it != filesJSON.end(); ++it) {
        const QJsonObject f = it.value().toObject();
        files.insert(it.key(), {QByteArray::fromBase64(f.value(QLatin1String("data")).toString().toLatin1()),
                                f.value(QLatin1String("contentType")).toString().toLatin1(),
                                f.value(QLatin1String("owner")).toString()});
    }
}

bool BackendState::saveToFile(const QString &path) const
{
    const QByteArray bytes = QJsonDocument(toJSON()).toJson(QJsonDocument::Compact);
    // A folder given on the command line that does not exist yet is made
    // (closed to others), or every token would be lost at the next start.
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo::exists(folder)
        && (!QDir().mkpath(folder) || !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Tokens inside: the owner's alone. A short write or failed flush (a
    // full disk) must not replace the last good file with a cut one.
    if (::fchmod(file.handle(), S_IRUSR | S_IWUSR) != 0 || file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool BackendState::loadFromFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return false;
    loadJSON(document.object());
    return true;
}

} // namespace backendlocal
