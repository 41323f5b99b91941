#include "AvatarScreenshots.h"

#include "look/AccentColorOption.h"
#include "screens/onboarding-account/ui/AvatarView.h"

#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QWidget>

QImage samplePortrait()
{
    QImage image(240, 160, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 160);
    sky.setColorAt(0, QColor(255, 196, 120));
    sky.setColorAt(1, QColor(214, 92, 74));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 42, 38));
    painter.drawEllipse(QPointF(120, 62), 30, 34);  // head
    painter.drawEllipse(QPointF(120, 170), 62, 58); // shoulders
    return image;
}

QWidget *buildAvatarScreenshot(ScreenshotContext &context, const QString &state)
{
    auto *sheet = new QWidget;
    auto *row = new QHBoxLayout(sheet);
    row->setSpacing(28);
    row->addStretch();
    const QColor accent = talvoro::currentAccentColor(context.defaults(), context.dark);
    for (const AvatarSize size : {AvatarSize::Small, AvatarSize::Medium, AvatarSize::Large}) {
        AvatarView::Options options;
        options.loader = nullptr;
        std::optional<QUrl> url = QUrl(QStringLiteral("https://example.com/avatar.jpg"));
        QString name = QStringLiteral("Maria Clara Souza");
        if (state == QLatin1String("image"))
            options.startingImage = samplePortrait();
        else if (state == QLatin1String("initials"))
            url.reset();
        else if (state == QLatin1String("symbol"))
            url.reset(), name.clear();
        row->addWidget(new AvatarView(name, url, size, accent, options), 0, Qt::AlignVCenter);
    }
    row->addStretch();
    return sheet;
}
