#include "screens/settings/ui/ContentUnavailableView.h"

#include "look/Theme.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "texts/Localization.h"

#include <QVBoxLayout>

namespace talvoro::settings {

namespace {
constexpr int kSymbolPixelSize = 48;
constexpr int kSpacing = 8;
constexpr int kMargin = 20;
} // namespace

ContentUnavailableView::ContentUnavailableView(const QString &symbol, const QString &title,
                                               const QString &description, QWidget *parent)
    : QWidget(parent)
    , m_symbol(new ui::SymbolLabel(symbol, kSymbolPixelSize, this))
    , m_title(new ui::StyledLabel(title, ui::StyledLabel::Style::primary, this))
    , m_description(new ui::StyledLabel(description, ui::StyledLabel::Style::secondary, this))
{
    setObjectName(QStringLiteral("contentUnavailable"));
    m_symbol->setObjectName(QStringLiteral("contentUnavailableSymbol"));
    m_symbol->setTint(ui::SymbolLabel::Tint::secondary);
    m_title->setObjectName(QStringLiteral("contentUnavailableTitle"));
    m_title->setFont(textStyleFont(TextStyle::title2, QFont::Bold));
    m_description->setObjectName(QStringLiteral("contentUnavailableDescription"));
    m_description->setFont(textStyleFont(TextStyle::body));
    m_description->setVisible(!description.isEmpty());
    for (ui::StyledLabel *label : {m_title, m_description}) {
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignHCenter);
        label->setWordWrap(true);
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kSpacing);
    layout->addStretch(1);
    layout->addWidget(m_symbol, 0, Qt::AlignHCenter);
    layout->addWidget(m_title);
    layout->addWidget(m_description);
    layout->addStretch(1);
}

QString ContentUnavailableView::searchResultsTitle(const QString &searchText)
{
    return localized("Nenhum resultado para \u201c%1\u201d").arg(searchText);
}

ContentUnavailableView *ContentUnavailableView::searchResults(const QString &searchText, QWidget *parent)
{
    return new ContentUnavailableView(QStringLiteral("magnifyingglass"), searchResultsTitle(searchText),
                                      localized("Verifique a ortografia ou tente uma nova busca."), parent);
}

QString ContentUnavailableView::symbol() const
{
    return m_symbol->symbol();
}

QString ContentUnavailableView::title() const
{
    return m_title->text();
}

QString ContentUnavailableView::description() const
{
    return m_description->text();
}

} // namespace talvoro::settings
