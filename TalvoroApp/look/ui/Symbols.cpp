#include "look/ui/Symbols.h"

#include "platform/Logging.h"

#include <QGlyphRun>
#include <QIcon>
#include <QIconEngine>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRawFont>
#include <QSet>

#include <algorithm>
#include <map>

Q_LOGGING_CATEGORY(lcSymbols, "com.torvenak.talvoro-mac.Symbols")

namespace talvoro::ui {

namespace {

// The symbol names the screens use, each with the Material Icons glyph that
// stands for it (ligature name for reading, code point for drawing). Sorted
// by symbol name for the binary search below.
constexpr SymbolGlyph kSymbols[] = {
    {"arrow.clockwise", "refresh", 0xe5d5},
    {"arrow.counterclockwise", "replay", 0xe042},
    {"arrow.down.circle", "arrow_circle_down", 0xf181},
    {"arrow.left.arrow.right", "swap_horiz", 0xe8d4},
    {"arrow.triangle.2.circlepath", "sync", 0xe627},
    {"arrow.turn.down.right", "subdirectory_arrow_right", 0xe5da},
    {"arrow.up.right.square", "open_in_new", 0xe89e},
    {"bell", "notifications", 0xe7f4},
    {"bubble.left.and.bubble.right", "forum", 0xe0bf},
    {"calendar", "calendar_today", 0xe935},
    {"camera.fill", "photo_camera", 0xe412},
    {"character.book.closed", "menu_book", 0xea19},
    {"chart.bar", "bar_chart", 0xe26b},
    {"chart.bar.fill", "leaderboard", 0xf20c},
    {"checkmark", "check", 0xe5ca},
    {"checkmark.circle.fill", "check_circle", 0xe86c},
    {"checkmark.seal.fill", "verified", 0xef76},
    {"chevron.down", "expand_more", 0xe5cf},
    {"chevron.left", "chevron_left", 0xe5cb},
    {"chevron.right", "chevron_right", 0xe5cc},
    {"chevron.up", "expand_less", 0xe5ce},
    {"circle", "radio_button_unchecked", 0xe836},
    {"clock", "schedule", 0xe8b5},
    {"clock.arrow.circlepath", "history", 0xe889},
    {"clock.badge.exclamationmark", "history_toggle_off", 0xf17d},
    {"clock.fill", "watch_later", 0xe924},
    {"doc.on.doc", "content_copy", 0xe14d},
    {"doc.questionmark", "quiz", 0xf04c},
    {"doc.text", "description", 0xe873},
    {"ellipsis", "more_horiz", 0xe5d3},
    {"envelope", "mail", 0xe158},
    {"exclamationmark.circle", "error_outline", 0xe001},
    {"exclamationmark.triangle.fill", "warning", 0xe002},
    {"flame.fill", "local_fire_department", 0xef55},
    {"gear", "settings", 0xe8b8},
    {"gearshape", "settings", 0xe8b8},
    {"gearshape.2", "miscellaneous_services", 0xf10c},
    {"gearshape.fill", "settings", 0xe8b8},
    {"globe", "language", 0xe894},
    {"hand.raised", "pan_tool", 0xe925},
    {"hand.raised.fill", "pan_tool", 0xe925},
    {"heart", "favorite_border", 0xe87e},
    {"heart.fill", "favorite", 0xe87d},
    {"house", "home", 0xe88a},
    {"house.fill", "home", 0xe88a},
    {"info.circle", "info", 0xe88e},
    {"keyboard", "keyboard", 0xe312},
    {"ladybug", "bug_report", 0xe868},
    {"lightbulb", "lightbulb", 0xe0f0},
    {"list.bullet", "format_list_bulleted", 0xe241},
    {"lock.shield", "security", 0xe32a},
    {"magnifyingglass", "search", 0xe8b6},
    {"mic", "mic_none", 0xe02a},
    {"mic.badge.plus", "mic_external_on", 0xef5a},
    {"mic.fill", "mic", 0xe029},
    {"mic.slash", "mic_off", 0xe02b},
    {"minus", "remove", 0xe15b},
    {"pencil", "edit", 0xe3c9},
    {"person.badge.key", "login", 0xea77},
    {"person.circle.fill", "account_circle", 0xe853},
    {"person.crop.circle", "account_circle", 0xe853},
    {"person.fill", "person", 0xe7fd},
    {"photo.on.rectangle.angled", "photo_library", 0xe413},
    {"plus", "add", 0xe145},
    {"power", "power_settings_new", 0xe8ac},
    {"questionmark.circle", "help_outline", 0xe8fd},
    {"rectangle.portrait.and.arrow.right", "logout", 0xe9ba},
    {"shield.checkered", "verified_user", 0xe8e8},
    {"slider.horizontal.3", "tune", 0xe429},
    {"sparkles", "auto_awesome", 0xe65f},
    {"speaker.slash.fill", "volume_off", 0xe04f},
    {"speaker.wave.2.fill", "volume_up", 0xe050},
    {"square.and.arrow.down", "download", 0xf090},
    {"square.and.arrow.up", "ios_share", 0xe6b8},
    {"text.alignleft", "format_align_left", 0xe236},
    {"text.book.closed", "book", 0xe865},
    {"text.quote", "format_quote", 0xe244},
    {"textformat.abc.dottedunderline", "spellcheck", 0xe8ce},
    {"trash", "delete", 0xe872},
    {"waveform", "graphic_eq", 0xe1b8},
    {"xmark", "close", 0xe5cd},
    {"xmark.circle.fill", "cancel", 0xe5c9},
};

constexpr const char *kMaterialFontPath =
    "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf";

// The glyphs come from the TTF file itself, not through the font database:
// asked by family, fontconfig hands out the WOFF2 copy the same package
// installs, which the first symbol then pays a Brotli decompression for.
// Each thread draws with its own copies (a font engine is not shared across
// threads); they live to the end of the process.
const QRawFont &loadedSymbolFont()
{
    thread_local const QRawFont *font = [] {
        auto *loaded = new QRawFont(QString::fromLatin1(kMaterialFontPath), 16);
        if (!loaded->isValid())
            qCWarning(lcSymbols) << "Cannot load the symbol font" << kMaterialFontPath;
        return loaded;
    }();
    return *font;
}

void logUnknownOnce(const QString &name)
{
    static QMutex mutex;
    static QSet<QString> logged;
    QMutexLocker lock(&mutex);
    if (!logged.contains(name)) {
        logged.insert(name);
        qCWarning(lcSymbols) << "No glyph for symbol" << name << "- drawing the placeholder";
    }
}

// The neutral stand-in for a name without a glyph: a faint rounded square.
void paintPlaceholder(QPainter &painter, const QRectF &rect, const QColor &color, qreal pixelSize)
{
    const qreal side = pixelSize * 0.6;
    const QRectF box(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    QColor faded = color;
    faded.setAlphaF(color.alphaF() * 0.45);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(faded, std::max<qreal>(1.0, pixelSize / 12)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(box, side / 5, side / 5);
    painter.restore();
}

class DrawnIconEngine : public QIconEngine
{
public:
    DrawnIconEngine(std::function<QPixmap(int, QIcon::State)> draw, QList<int> sides)
        : m_draw(std::move(draw))
        , m_sides(std::move(sides))
    {
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State state) override
    {
        const int side = std::max(1, std::min(size.width(), size.height()));
        const std::pair key(side, state);
        auto it = m_drawn.find(key);
        if (it == m_drawn.end())
            it = m_drawn.emplace(key, m_draw(side, state)).first;
        return it->second;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        QPixmap drawn = pixmap(rect.size() * ratio, mode, state);
        drawn.setDevicePixelRatio(ratio);
        const QSizeF shown = QSizeF(drawn.size()) / ratio;
        painter->drawPixmap(QPointF(rect.x() + (rect.width() - shown.width()) / 2,
                                    rect.y() + (rect.height() - shown.height()) / 2),
                            drawn);
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int side : m_sides)
            sizes.append(QSize(side, side));
        return sizes;
    }

    QIconEngine *clone() const override { return new DrawnIconEngine(m_draw, m_sides); }
    QString key() const override { return QStringLiteral("talvoro.drawn"); }

private:
    std::function<QPixmap(int, QIcon::State)> m_draw;
    QList<int> m_sides;
    std::map<std::pair<int, QIcon::State>, QPixmap> m_drawn;
};

} // namespace

QIcon drawnIcon(std::function<QPixmap(int side, QIcon::State state)> draw, QList<int> sides)
{
    return QIcon(new DrawnIconEngine(std::move(draw), std::move(sides)));
}

std::span<const SymbolGlyph> symbolTable()
{
    return kSymbols;
}

std::optional<char16_t> symbolCodepoint(QStringView name)
{
    const auto *end = std::end(kSymbols);
    const auto *it = std::lower_bound(std::begin(kSymbols), end, name, [](const SymbolGlyph &glyph, QStringView key) {
        return QLatin1String(glyph.name) < key;
    });
    if (it == end || QLatin1String(it->name) != name)
        return std::nullopt;
    return it->codepoint;
}

QRawFont symbolRawFont(qreal pixelSize)
{
    const QRawFont &loaded = loadedSymbolFont();
    if (!loaded.isValid())
        return {};
    const qreal size = std::max(1, qRound(pixelSize));
    thread_local auto *sized = new std::map<qreal, QRawFont>;
    auto it = sized->find(size);
    if (it == sized->end()) {
        QRawFont font = loaded;
        font.setPixelSize(size);
        it = sized->emplace(size, font).first;
    }
    return it->second;
}

qreal symbolPixelSize(qreal fontPixelSize)
{
    // Material glyphs leave about a sixth of their em box empty around the
    // drawing; SF Symbols fill the cap height and a little more.
    return std::round(fontPixelSize * 1.25);
}

void paintSymbol(QPainter &painter, const QRectF &rect, const QString &name, const QColor &color, qreal pixelSize)
{
    const auto codepoint = symbolCodepoint(name);
    const QRawFont font = codepoint ? symbolRawFont(pixelSize) : QRawFont();
    const QList<quint32> glyphs = font.isValid() ? font.glyphIndexesForString(QString(QChar(*codepoint))) : QList<quint32>();
    if (glyphs.size() != 1 || glyphs.constFirst() == 0) {
        if (!codepoint)
            logUnknownOnce(name);
        paintPlaceholder(painter, rect, color, pixelSize);
        return;
    }
    // Centred as a line of text would be: the advance across, ascent and
    // descent down.
    const qreal advance = font.advancesForGlyphIndexes(glyphs).value(0).x();
    const QPointF baseline(rect.left() + (rect.width() - advance) / 2,
                           rect.top() + (rect.height() - font.ascent() - font.descent()) / 2 + font.ascent());
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    run.setPositions({QPointF(0, 0)});
    painter.save();
    painter.setPen(color);
    painter.drawGlyphRun(baseline, run);
    painter.restore();
}

QPixmap symbolPixmap(const QString &name, const QColor &color, int pixelSize, qreal devicePixelRatio)
{
    const int side = std::max(1, pixelSize);
    QPixmap pixmap(QSize(side, side) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintSymbol(painter, QRectF(0, 0, side, side), name, color, side);
    return pixmap;
}

QIcon symbolIcon(const QString &name, const QColor &color, int pixelSize)
{
    QIcon icon;
    icon.addPixmap(symbolPixmap(name, color, pixelSize, 1.0));
    icon.addPixmap(symbolPixmap(name, color, pixelSize, 2.0));
    return icon;
}

} // namespace talvoro::ui
