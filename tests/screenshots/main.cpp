// talvoro-screenshots --out DIR [--only TEXT] [--list]
// Renders every entry of the catalogue offscreen, in Portuguese and English,
// light and dark, to DIR/<screen>[-<state>]-<pt|en>-<light|dark>.png.

#include "ScreenshotCatalog.h"

#include "screens/dictation-settings/SupportedLanguage.h"
#include "screens/dictation-settings/TranslationTarget.h"
#include "texts/Localization.h"
#include "app/ShellAnimations.h"
#include "look/Theme.h"
#include "look/ui/Appearance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QGlyphRun>
#include <QTextLayout>
#include <QTextStream>
#include <QWidget>

#include <cstdio>

namespace {

struct Variant
{
    bool portuguese;
    bool dark;
};
constexpr Variant kVariants[] = {{true, false}, {true, true}, {false, false}, {false, true}};

QString fileName(const ScreenshotEntry &entry, const Variant &variant)
{
    QString name = entry.screen;
    if (!entry.state.isEmpty())
        name += QLatin1Char('-') + entry.state;
    name += variant.portuguese ? QStringLiteral("-pt") : QStringLiteral("-en");
    name += variant.dark ? QStringLiteral("-dark") : QStringLiteral("-light");
    return name + QStringLiteral(".png");
}

void applyVariant(const Variant &variant)
{
    talvoro::overridePreferredLanguages(
        QStringList{variant.portuguese ? QStringLiteral("pt-BR") : QStringLiteral("en")});
    talvoro::installTranslations();
    talvoro::ui::applyAppearance(variant.dark);
}

// Qt draws an empty box where no installed font has a glyph: every language
// name the pickers show (日本語, 中文, 한국어 need a CJK font) and emoji in a
// transcription or a term (a colour emoji font) must resolve, in the
// interface's font and in the transcript's.
int textsWithoutGlyphs()
{
    QStringList texts;
    for (SupportedLanguage language : talvoro::kAllSupportedLanguages)
        texts << talvoro::displayName(language);
    for (TranslationTarget target : talvoro::kAllTranslationTargets)
        texts << talvoro::displayName(target);
    texts << QStringLiteral("Reunião às 15h 🎉 👍 😂 ❤️ 🇧🇷 👩‍💻") << QStringLiteral("café ☕ 🚀");
    int missing = 0;
    for (const QFont &font : {QApplication::font(), talvoro::transcriptFont()}) {
        for (const QString &text : std::as_const(texts)) {
            QTextLayout layout(text, font);
            layout.beginLayout();
            layout.createLine();
            layout.endLayout();
            bool drawn = true;
            for (const QGlyphRun &run : layout.glyphRuns())
                drawn = drawn && !run.glyphIndexes().contains(0);
            if (!drawn) {
                std::fprintf(stderr, "talvoro-screenshots: no installed font draws \"%s\" (%s)\n", qPrintable(text),
                             qPrintable(font.family()));
                ++missing;
            }
        }
    }
    return missing;
}

void settle()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("talvoro-screenshots"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders Talvoro's screens to PNG files."));
    parser.addHelpOption();
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("Folder for the pictures."),
                                       QStringLiteral("DIR"));
    const QCommandLineOption onlyOption(QStringLiteral("only"),
                                        QStringLiteral("Only files whose name contains TEXT."),
                                        QStringLiteral("TEXT"));
    const QCommandLineOption listOption(QStringLiteral("list"),
                                        QStringLiteral("Print the file names and render nothing."));
    parser.addOptions({outOption, onlyOption, listOption});
    parser.process(app);

    const QString only = parser.value(onlyOption);
    const QList<ScreenshotEntry> entries = screenshotEntries();
    QTextStream out(stdout);
    if (parser.isSet(listOption)) {
        for (const ScreenshotEntry &entry : entries)
            for (const Variant &variant : kVariants)
                if (fileName(entry, variant).contains(only))
                    out << fileName(entry, variant) << '\n';
        return 0;
    }
    if (!parser.isSet(outOption)) {
        std::fputs("talvoro-screenshots: --out DIR is required\n", stderr);
        return 2;
    }
    QDir dir(parser.value(outOption));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fputs("talvoro-screenshots: cannot create the output folder\n", stderr);
        return 1;
    }

    talvoro::setShellAnimationsEnabled(false);
    int failures = 0;
    for (bool portuguese : {true, false}) {
        applyVariant({portuguese, false});
        failures += textsWithoutGlyphs();
    }
    for (const ScreenshotEntry &entry : entries) {
        for (const Variant &variant : kVariants) {
            const QString name = fileName(entry, variant);
            if (!name.contains(only))
                continue;
            applyVariant(variant);
            ScreenshotContext context(variant.portuguese, variant.dark);
            QWidget *widget = entry.build(context);
            widget->resize(entry.size);
            widget->show();
            settle();
            const QImage image = widget->grab().toImage();
            delete widget;
            UnansweredTokens::hangUp();
            settle();
            if (image.isNull() || !image.save(dir.filePath(name))) {
                std::fprintf(stderr, "talvoro-screenshots: could not write %s\n", qPrintable(name));
                ++failures;
                continue;
            }
            out << dir.filePath(name) << '\n';
            out.flush();
        }
    }
    return failures == 0 ? 0 : 1;
}
