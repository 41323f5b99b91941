#include "screens/home-history-stats/ui/HistoryRowDelegate.h"

#include "look/Theme.h"
#include "look/ui/Appearance.h"
#include "screens/home-history-stats/HistoryGrouping.h"
#include "screens/home-history-stats/HistoryListModel.h"
#include "screens/home-history-stats/HistoryTexts.h"
#include "screens/home-history-stats/ui/TranscriptLines.h"
#include "screens/settings/SettingsStyle.h"
#include "texts/LocalizedTexts.h"

#include <QPainter>

namespace talvoro::history {

namespace {

constexpr int kCardSideInset = 12;
constexpr int kCardPadding = 12;
constexpr int kContentVerticalInset = 4;
constexpr int kContentSpacing = 4;
constexpr int kRowSpacing = 6;
constexpr qreal kCardRadius = 14;
constexpr int kMetaSpacing = 6;
constexpr int kChipMinimumGap = 4;
constexpr int kChipHorizontalPadding = 6;
constexpr int kChipVerticalPadding = 2;
constexpr qreal kChipOpacity = 0.12;
constexpr int kHeaderSideInset = 16;
constexpr int kHeaderBottomInset = 2;
constexpr int kTextLines = 2;

QFont rowTextFont()
{
    return serifFont(textStylePixelSize(TextStyle::body));
}

QFont chipFont()
{
    QFont font = appHelperFont();
    font.setWeight(QFont::Medium);
    return font;
}

int metaLineHeight()
{
    return qMax(QFontMetrics(appHelperFont()).height(), QFontMetrics(chipFont()).height() + 2 * kChipVerticalPadding);
}

} // namespace

HistoryRowDelegate::HistoryRowDelegate(const HistoryListModel &model, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_model(model)
    , m_rowHeight(rowHeight())
    , m_headerHeights{headerHeight(false), headerHeight(true)}
{
}

int HistoryRowDelegate::headerHeight(bool firstSection)
{
    return daySectionTopInset(firstSection) + QFontMetrics(settings::sectionHeaderFont()).height() + kHeaderBottomInset;
}

int HistoryRowDelegate::rowHeight()
{
    const int text = qCeil(QFontMetricsF(rowTextFont()).lineSpacing() * kTextLines);
    return 2 * kCardPadding + 2 * kContentVerticalInset + text + kContentSpacing + metaLineHeight() + kRowSpacing;
}

QSize HistoryRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int row = index.row();
    const int height = m_model.isHeader(row) ? m_headerHeights[HistoryListModel::isFirstSection(row)] : m_rowHeight;
    return {option.rect.width(), height};
}

void HistoryRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (m_model.isHeader(index.row()))
        paintHeader(painter, option, index.row());
    else
        paintRecord(painter, option, index.row());
    painter->restore();
}

void HistoryRowDelegate::paintHeader(QPainter *painter, const QStyleOptionViewItem &option, int row) const
{
    const bool dark = ui::isDark(option.palette);
    const QRect area = option.rect.adjusted(kHeaderSideInset, daySectionTopInset(HistoryListModel::isFirstSection(row)),
                                            -kHeaderSideInset, -kHeaderBottomInset);
    painter->setFont(settings::sectionHeaderFont());
    painter->setPen(secondaryColor(dark)); // text that reads, like the other section headers
    painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_model.headerText(row));
}

void HistoryRowDelegate::paintRecord(QPainter *painter, const QStyleOptionViewItem &option, int row) const
{
    const TranscriptionRecord *record = m_model.record(row);
    if (!record)
        return;
    const bool dark = ui::isDark(option.palette);
    const QRectF card = QRectF(option.rect).adjusted(kCardSideInset, 0, -kCardSideInset, -kRowSpacing);
    const QPainterPath shape = continuousRoundedRect(card, kCardRadius);
    painter->fillPath(shape, settingsSurfaceColor(dark));
    if (option.state & QStyle::State_Selected)
        painter->fillPath(shape, primaryColor(dark, 0.06));
    painter->setPen(QPen((option.state & QStyle::State_HasFocus) ? m_accent : primaryColor(dark, 0.04), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(continuousRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), kCardRadius - 0.5));

    const QRectF content = card.adjusted(kCardPadding, kCardPadding + kContentVerticalInset, -kCardPadding,
                                         -kCardPadding - kContentVerticalInset);
    painter->setPen(primaryColor(dark));
    drawTranscriptLines(painter, record->text, rowTextFont(), content.topLeft(), content.width(), kTextLines);

    // Meta line: age · words · duration, then the chip at the trailing edge.
    const bool portuguese = isPortuguese();
    const QRectF meta(content.left(), content.bottom() - metaLineHeight(), content.width(), metaLineHeight());
    const QFontMetricsF chipMetrics(chipFont());
    const QString chipText = languageChipText(record->language);
    const qreal chipWidth = chipMetrics.horizontalAdvance(chipText) + 2 * kChipHorizontalPadding;
    const qreal chipHeight = chipMetrics.height() + 2 * kChipVerticalPadding;
    const QRectF chip(meta.right() - chipWidth, meta.center().y() - chipHeight / 2, chipWidth, chipHeight);

    painter->setFont(appHelperFont());
    painter->setPen(secondaryColor(dark));
    const QFontMetricsF metaMetrics(appHelperFont());
    const QStringList parts{shortRelativeText(record->createdAt, m_now, portuguese), localized("·"),
                            record->wordCountAndDurationText(portuguese)};
    qreal x = meta.left();
    const qreal limit = chip.left() - kChipMinimumGap;
    for (const QString &part : parts) {
        const qreal available = limit - x;
        if (available <= 0)
            break;
        const QString shown = metaMetrics.elidedText(part, Qt::ElideRight, available);
        painter->drawText(QRectF(x, meta.top(), available, meta.height()), Qt::AlignLeft | Qt::AlignVCenter, shown);
        x += metaMetrics.horizontalAdvance(shown) + kMetaSpacing;
    }

    QColor chipBackground = m_accent;
    chipBackground.setAlphaF(float(kChipOpacity));
    painter->setPen(Qt::NoPen);
    painter->setBrush(chipBackground);
    painter->drawRoundedRect(chip, chipHeight / 2, chipHeight / 2);
    painter->setPen(m_accent);
    painter->setFont(chipFont());
    painter->drawText(chip, Qt::AlignCenter, chipText);
}

} // namespace talvoro::history
