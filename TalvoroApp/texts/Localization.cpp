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

std::vector<std::unique_ptr<QTranslator>> &installedTranslators()
{
    static std::vector<std::unique_ptr<QTranslator>> translators;
    return translators;
}

} // namespace

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
