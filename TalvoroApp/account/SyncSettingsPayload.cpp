#include "account/SyncPayloads.h"

#include "account/SyncPayloadJson.h"

#include <QJsonDocument>

using namespace SyncPayloadJson;

QByteArray SyncSettingsPayload::toJson() const
{
    return writtenJson(*this);
}

void SyncSettingsPayload::writeJson(OrderedJson::Writer &w) const
{
    w.beginObject();
    if (transcriptionLanguage)
        w.member(QLatin1String("transcriptionLanguage"), *transcriptionLanguage);
    if (transcriptionDomain)
        w.member(QLatin1String("transcriptionDomain"), *transcriptionDomain);
    if (formattingOptions) {
        // The formatting options keep their own field order.
        w.key(QLatin1String("formattingOptions"));
        w.beginObject();
        for (const char *key : {"tone", "addParagraphs", "removeFinalPeriod", "formatDates", "formatTimes", "formatLists"}) {
            const QJsonValue v = formattingOptions->value(QLatin1String(key));
            if (!v.isUndefined())
                w.member(QLatin1String(key), v);
        }
        w.endObject();
    }
    if (dictionaryEnabled)
        w.member(QLatin1String("dictionaryEnabled"), *dictionaryEnabled);
    if (replacementRulesEnabled)
        w.member(QLatin1String("replacementRulesEnabled"), *replacementRulesEnabled);
    if (accentColor)
        w.member(QLatin1String("accentColor"), *accentColor);
    if (translationTargetLanguage)
        w.member(QLatin1String("translationTargetLanguage"), *translationTargetLanguage);
    w.member(QLatin1String("updatedAt"), updatedAt);
    w.endObject();
}

QJsonObject SyncSettingsPayload::toJsonObject() const
{
    return QJsonDocument::fromJson(writtenJson(*this)).object();
}

SyncSettingsPayload SyncSettingsPayload::fromJson(const QJsonObject &o, QStringList *problems)
{
    SyncSettingsPayload p;
    auto note = [problems](const QString &key) {
        if (problems)
            problems->append(QStringLiteral("settings.%1 has the wrong type").arg(key));
    };
    auto readString = [&](const char *key, std::optional<QString> &target) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isString())
            target = v.toString();
        else if (!v.isUndefined() && !v.isNull())
            note(QLatin1String(key));
    };
    auto readBool = [&](const char *key, std::optional<bool> &target) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isBool())
            target = v.toBool();
        else if (!v.isUndefined() && !v.isNull())
            note(QLatin1String(key));
    };
    readString("transcriptionLanguage", p.transcriptionLanguage);
    readString("transcriptionDomain", p.transcriptionDomain);
    const QJsonValue options = o.value(QLatin1String("formattingOptions"));
    if (options.isObject())
        p.formattingOptions = options.toObject();
    else if (!options.isUndefined() && !options.isNull())
        note(QStringLiteral("formattingOptions"));
    readBool("dictionaryEnabled", p.dictionaryEnabled);
    readBool("replacementRulesEnabled", p.replacementRulesEnabled);
    readString("accentColor", p.accentColor);
    readString("translationTargetLanguage", p.translationTargetLanguage);
    const QJsonValue updated = o.value(QLatin1String("updatedAt"));
    if (updated.isDouble())
        p.updatedAt = updated.toDouble();
    return p;
}
