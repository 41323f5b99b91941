#pragma once

#include "platform/SettingsStore.h"

#include <QWidget>

class QLabel;

namespace talvoro::settings {

// A screen's title in 32 px bold serif, followed by a full stop in the
// accent colour. Callers wanting the lower-case brand style lower-case the
// title themselves.
class BrandedHeaderView : public QWidget
{
    Q_OBJECT
public:
    explicit BrandedHeaderView(const QString &title, UserDefaultsProviding &defaults,
                               QWidget *parent = nullptr);

    QString title() const;
    void setTitle(const QString &title);
    QLabel *titleLabel() const { return m_title; }
    QLabel *fullStopLabel() const { return m_fullStop; }
    QColor fullStopColor() const;

private:
    QLabel *m_title;
    QLabel *m_fullStop;
};

} // namespace talvoro::settings
