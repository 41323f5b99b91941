#include "texts/Localization.h"

#include "platform/Logging.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <utility>
#include <vector>

namespace talvoro {

namespace {

std::optional<QStringList> &languageOverride()
{
    static std::optional<QStringList> value;
    return value;
}

std::vector<std::unique_ptr<QTranslator>> &installedTranslators()
{
    static std::vector<std::unique_ptr<QTranslator>> translators;
    return translators;
}

} // namespace

void overridePreferredLanguages(std::optional<QStringList> languages)
{
    languageOverride() = std::move(languages);
}

QStringList preferredLocalizations()
{
    const QStringList preferred = languageOverride().value_or(QLocale::system().uiLanguages());
    QStringList shipped;
    for (const QString &language : preferred) {
        const QString lower = language.toLower();
        const QString match = lower.startsWith(QLatin1String("en")) ? QStringLiteral("en")
            : lower.startsWith(QLatin1String("pt"))                 ? QStringLiteral("pt-BR")
                                                                    : QString();
        if (!match.isEmpty() && !shipped.contains(match))
            shipped.append(match);
    }
    if (shipped.isEmpty())
        shipped.append(QStringLiteral("pt-BR"));
    return shipped;
}

bool isPortuguese()
{
    return !preferredLocalizations().constFirst().toLower().startsWith(QLatin1String("en"));
}

QLocale textLocale(bool portuguese)
{
    return portuguese ? QLocale(QLocale::Portuguese, QLocale::Brazil)
                      : QLocale(QLocale::English, QLocale::UnitedStates);
}

QString localized(const char *portugueseText)
{
    return QCoreApplication::translate(kTranslationContext, portugueseText);
}

void installTranslations()
{
    auto &translators = installedTranslators();
    for (auto &translator : translators)
        QCoreApplication::removeTranslator(translator.get());
    translators.clear();
    if (isPortuguese()) {
        // Qt's own texts (standard buttons, file dialogs) are English at the
        // source; its Portuguese catalogue comes with the system's Qt.
        auto translator = std::make_unique<QTranslator>();
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        const QLocale portuguese(QLocale::Portuguese, QLocale::Brazil);
        if ((translator->load(portuguese, QStringLiteral("qt"), QStringLiteral("_"), folder)
             || translator->load(portuguese, QStringLiteral("qtbase"), QStringLiteral("_"), folder))
            && QCoreApplication::installTranslator(translator.get())) {
            translators.push_back(std::move(translator));
        } else {
            static bool warned = false;
            if (!std::exchange(warned, true))
                qCWarning(lcApp) << "No Portuguese catalogue of Qt in" << folder
                                 << "(package qt6-translations-l10n): Qt's dialogs stay in English";
        }
        return;
    }
    QDirIterator it(QStringLiteral(":/translations"), {QStringLiteral("*_en.qm")});
    while (it.hasNext()) {
        auto translator = std::make_unique<QTranslator>();
        const QString file = it.next();
        if (translator->load(file) && QCoreApplication::installTranslator(translator.get()))
            translators.push_back(std::move(translator));
        else
            qCWarning(lcApp) << "Cannot load translations" << file;
    }
}

} // namespace talvoro
