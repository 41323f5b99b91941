#include "transcription/FormattingOptions.h"

#include "platform/SettingsKeys.h"
#include "platform/UserDefaultsProviding.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace talvoro {

QString rawValue(Tone tone)
{
    switch (tone) {
    case Tone::colloquial: return QStringLiteral("colloquial");
    case Tone::natural: return QStringLiteral("natural");
    case Tone::formal: return QStringLiteral("formal");
    }
    return QStringLiteral("natural");
}

std::optional<Tone> toneFromRawValue(const QString &raw)
{
    for (Tone tone : kAllTones) {
        if (rawValue(tone) == raw)
            return tone;
    }
    return std::nullopt;
}

} // namespace talvoro

namespace {

const char *const kFlagKeys[] = {"addParagraphs", "removeFinalPeriod", "formatDates", "formatTimes",
                                 "formatLists"};

std::array<bool *, 5> flags(FormattingOptions &options)
{
    return {&options.addParagraphs, &options.removeFinalPeriod, &options.formatDates, &options.formatTimes,
            &options.formatLists};
}

} // namespace

QByteArray FormattingOptions::toJson() const
{
    // Written by hand to keep the declaration order of the fields.
    FormattingOptions copy = *this;
    QByteArray json = "{\"tone\":\"" + talvoro::rawValue(tone).toUtf8() + '"';
    const auto values = flags(copy);
    for (size_t i = 0; i < values.size(); ++i)
        json += QByteArray(",\"") + kFlagKeys[i] + "\":" + (*values[i] ? "true" : "false");
    return json + '}';
}

std::optional<FormattingOptions> FormattingOptions::fromJson(const QByteArray &json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue toneValue = object.value(QStringLiteral("tone"));
    if (!toneValue.isString())
        return std::nullopt;
    const std::optional<Tone> tone = talvoro::toneFromRawValue(toneValue.toString());
    if (!tone)
        return std::nullopt;
    FormattingOptions options;
    options.tone = *tone;
    const auto values = flags(options);
    for (size_t i = 0; i < values.size(); ++i) {
        const QJsonValue value = object.value(QLatin1String(kFlagKeys[i]));
        if (!value.isBool())
            return std::nullopt;
        *values[i] = value.toBool();
    }
    return options;
}

FormattingOptions FormattingOptions::loadFromUserDefaults(const UserDefaultsProviding &defaults)
{
    const QByteArray data = defaults.value(SettingsKeys::formattingOptions);
    if (data.isEmpty())
        return {};
    return fromJson(data).value_or(FormattingOptions{});
}

void FormattingOptions::saveToUserDefaults(UserDefaultsProviding &defaults) const
{
    defaults.set(SettingsKeys::formattingOptions, toJson());
}
