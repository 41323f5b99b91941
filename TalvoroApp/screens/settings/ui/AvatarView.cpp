#include "screens/settings/ui/AvatarView.h"

#include "account/AuthManager.h"
#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/Spinner.h"
#include "look/ui/Symbols.h"
#include "screens/onboarding-account/AvatarImageCache.h"
#include "screens/onboarding-account/AvatarInitials.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>

namespace {

constexpr qreal kTintOpacity = 0.12;

QColor tinted(QColor color)
{
    color.setAlphaF(color.alphaF() * kTintOpacity);
    return color;
}

} // namespace

QColor AvatarView::defaultAccentColor()
{
    return QColor(0, 122, 255);
}

AvatarView::AvatarView(const QString &name, const std::optional<QUrl> &imageURL, AvatarSize size,
                       const QColor &accentColor, QWidget *parent)
    : AvatarView(name, imageURL, size, accentColor, Options{}, parent)
{
}

AvatarView::AvatarView(const QString &name, const std::optional<QUrl> &imageURL, AvatarSize size,
                       const QColor &accentColor, const Options &options, QWidget *parent)
    : QWidget(parent)
    , m_name(name)
    , m_imageURL(imageURL)
    , m_size(size)
    , m_accentColor(accentColor)
    , m_loader(options.loader)
    , m_loadFailed(options.startingLoadFailed)
{
    setObjectName(QStringLiteral("avatarView"));
    setFixedSize(m_size.dimension(), m_size.dimension());
    setAttribute(Qt::WA_TranslucentBackground);

    m_spinner = new talvoro::ui::Spinner(m_size.spinnerDiameter(), this);
    m_spinner->setObjectName(QStringLiteral("avatarSpinner"));
    m_spinner->setFixedSize(m_size.spinnerDiameter(), m_size.spinnerDiameter());
    const int offset = (m_size.dimension() - m_size.spinnerDiameter()) / 2;
    m_spinner->move(offset, offset);

    // A picture the cache already holds is drawn in the very first frame,
    // without a spinner.
    if (options.startingImage) {
        m_loadedImage = options.startingImage;
        m_loadedImageKey = keyOfURL();
    } else {
        loadImage(LoadStep::lookUpOnly);
    }
    updateSpinner();
}

AvatarView::~AvatarView() = default;

QString AvatarView::keyOfURL() const
{
    return m_imageURL ? AvatarImageLoader::keyFor(*m_imageURL) : QString();
}

AvatarContent AvatarView::content() const
{
    return talvoro::avatarContent(m_imageURL.has_value(), m_loadedImage.has_value(), m_loadFailed, m_name);
}

QString AvatarView::initials() const
{
    return talvoro::avatarInitials(m_name);
}

QSize AvatarView::sizeHint() const
{
    return {m_size.dimension(), m_size.dimension()};
}

void AvatarView::setName(const QString &name)
{
    if (name == m_name)
        return;
    const AvatarContent before = content();
    m_name = name;
    update();
    contentMayHaveChanged(before);
}

void AvatarView::setAccentColor(const QColor &color)
{
    if (color == m_accentColor)
        return;
    m_accentColor = color;
    update();
}

void AvatarView::setImageURL(const std::optional<QUrl> &url)
{
    if (url == m_imageURL)
        return;
    const AvatarContent before = content();
    cancelLoad();
    m_imageURL = url;
    // A picture of another address is never shown under this one, and the
    // new address has not failed yet.
    if (m_loadedImage && m_loadedImageKey != keyOfURL()) {
        m_loadedImage.reset();
        m_loadedImageKey.clear();
    }
    m_loadFailed = false;
    contentMayHaveChanged(before);
    if (m_imageURL)
        loadImage(isVisible() ? LoadStep::loadIfMissing : LoadStep::lookUpOnly);
    update();
}

void AvatarView::showUser(AuthManager &auth)
{
    disconnect(m_nameConnection);
    disconnect(m_urlConnection);
    setName(auth.userName().value_or(QString()));
    setImageURL(auth.userAvatarURL());
    m_nameConnection = connect(&auth, &AuthManager::userNameChanged, this,
                               [this, &auth] { setName(auth.userName().value_or(QString())); });
    m_urlConnection = connect(&auth, &AuthManager::userAvatarURLChanged, this,
                              [this, &auth] { setImageURL(auth.userAvatarURL()); });
}

void AvatarView::followAccentColor(UserDefaultsProviding &defaults)
{
    delete m_accentBinding;
    m_accentBinding = talvoro::ui::AccentBinding::bind(
        this, [this](const QColor &color) { setAccentColor(color); }, defaults);
}

void AvatarView::loadImage(LoadStep step)
{
    // Without a loader the view is a still picture of its given state.
    if (!m_imageURL || !m_loader)
        return;
    cancelLoad();
    AvatarImageCache &cache = m_loader->cache();
    const QString key = keyOfURL();

    // The picture on screen is the cache's current one for this very address.
    if (m_loadedImage && m_loadedImageKey == key && cache.inMemoryURLString() == key)
        return;
    if (std::optional<QImage> cached = cache.cachedImage(key)) {
        setState(std::move(cached), key, false);
        return;
    }
    if (step == LoadStep::lookUpOnly)
        return;

    setState(std::nullopt, QString(), false);
    m_request = m_loader->load(*m_imageURL);
    connect(m_request.get(), &AvatarImageRequest::finished, this, &AvatarView::requestFinished);
    updateSpinner();
}

void AvatarView::cancelLoad()
{
    // Deleting the request ends our wait: its reply can no longer reach us.
    m_request.reset();
    updateSpinner();
}

void AvatarView::requestFinished()
{
    AvatarImageRequest *request = qobject_cast<AvatarImageRequest *>(sender());
    if (!request || request != m_request.get() || request->key() != keyOfURL())
        return;
    const AvatarLoadResult result = request->result().value_or(std::unexpected(AvatarLoadFailure::network));
    const QString key = request->key();
    // Deleted once its signal has returned.
    m_request.release()->deleteLater();
    if (result)
        setState(*result, key, false);
    else
        setState(std::nullopt, QString(), true);
}

void AvatarView::setState(std::optional<QImage> image, QString imageKey, bool failed)
{
    const AvatarContent before = content();
    m_loadedImage = std::move(image);
    m_loadedImageKey = std::move(imageKey);
    m_loadFailed = failed;
    updateSpinner();
    update();
    contentMayHaveChanged(before);
}

void AvatarView::contentMayHaveChanged(AvatarContent before)
{
    updateSpinner();
    if (content() != before)
        Q_EMIT contentChanged();
}

void AvatarView::updateSpinner()
{
    if (!m_spinner)
        return;
    const bool loading = content() == AvatarContent::loading;
    m_spinner->setVisible(loading);
    m_spinner->setRunning(loading);
}

void AvatarView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The window coming back from the minimised state is no new appearance.
    if (!event->spontaneous() && !(m_request && m_request->key() == keyOfURL()))
        loadImage(LoadStep::loadIfMissing);
}

void AvatarView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        cancelLoad();
}

void AvatarView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF circle(0, 0, m_size.dimension(), m_size.dimension());
    painter.setPen(Qt::NoPen);

    switch (content()) {
    case AvatarContent::image: {
        // Scaled to fill: the shorter side fits, the overflow is cut.
        const QImage &image = *m_loadedImage;
        const qreal side = std::min(image.width(), image.height());
        const QRectF source((image.width() - side) / 2.0, (image.height() - side) / 2.0, side, side);
        QPainterPath clip;
        clip.addEllipse(circle);
        painter.setClipPath(clip);
        painter.drawImage(circle, image, source);
        break;
    }
    case AvatarContent::loading:
        painter.setBrush(tinted(m_accentColor));
        painter.drawEllipse(circle);
        break;
    case AvatarContent::initials: {
        const talvoro::AvatarGradientColors colors = talvoro::avatarInitialsGradient(m_name);
        QLinearGradient gradient(circle.topLeft(), circle.bottomLeft());
        gradient.setColorAt(0, colors.top);
        gradient.setColorAt(1, colors.bottom);
        painter.setBrush(gradient);
        painter.drawEllipse(circle);
        painter.setFont(talvoro::systemFont(m_size.initialsFontSize(), QFont::DemiBold));
        painter.setPen(Qt::white);
        painter.drawText(circle, Qt::AlignCenter, initials());
        break;
    }
    case AvatarContent::symbol:
        painter.setBrush(tinted(m_accentColor));
        painter.drawEllipse(circle);
        talvoro::ui::paintSymbol(painter, circle, QStringLiteral("person.fill"), m_accentColor,
                                 talvoro::ui::symbolPixelSize(m_size.iconFontSize()));
        break;
    }
}
