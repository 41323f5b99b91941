#pragma once

#include <QWidget>

namespace talvoro::ui {
class StyledLabel;
class SymbolLabel;
}

namespace talvoro::settings {

// The page shown where content is missing: a large symbol, a title and an
// optional description, centred in the space given. Texts are plain text.
class ContentUnavailableView : public QWidget
{
    Q_OBJECT
public:
    ContentUnavailableView(const QString &symbol, const QString &title, const QString &description = {},
                           QWidget *parent = nullptr);

    // A search that found nothing: "magnifyingglass", a title naming the
    // search text and a hint to search again.
    static ContentUnavailableView *searchResults(const QString &searchText, QWidget *parent = nullptr);
    static QString searchResultsTitle(const QString &searchText);

    QString symbol() const;
    QString title() const;
    QString description() const;

private:
    ui::SymbolLabel *m_symbol;
    ui::StyledLabel *m_title;
    ui::StyledLabel *m_description;
};

} // namespace talvoro::settings
