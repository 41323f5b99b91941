#pragma once

#include "screens/onboarding-account/AvatarImageLoader.h"
#include "screens/onboarding-account/AvatarSize.h"

#include <QColor>
#include <QImage>
#include <QMetaObject>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <optional>

class AuthManager;
class UserDefaultsProviding;
class AvatarImageCache;

namespace talvoro::ui {
class AccentBinding;
class Spinner;
}

// The user's round avatar: the profile picture when there is one and it
// loaded, else the initials of the name on the name's colour, else the
// person symbol. It fetches the picture itself, from the avatar cache first
// and then from the network (one download per URL, shared with every other
// avatar showing it), while it is on screen; hiding it or changing the URL
// cancels the download, and a cancelled or outdated reply changes nothing.
class AvatarView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString content READ contentName NOTIFY contentChanged)
    Q_PROPERTY(QString name READ name WRITE setName)
    Q_PROPERTY(QString initials READ initials)
    Q_PROPERTY(QColor accentColor READ accentColor WRITE setAccentColor)
public:
    struct Options
    {
        // The picture to show at first; without one, the cache's picture for
        // the URL, if any.
        std::optional<QImage> startingImage;
        // Start in the failed state (the initials) until the next load.
        bool startingLoadFailed = false;
        // Where pictures come from; null: a still view that never loads
        // (previews and screenshots), showing exactly its starting state.
        AvatarImageLoader *loader = nullptr;
    };

    // The accent colour callers pass when they have none: the system blue.
    static QColor defaultAccentColor();

    AvatarView(const QString &name, const std::optional<QUrl> &imageURL, AvatarSize size,
               const QColor &accentColor = defaultAccentColor(), QWidget *parent = nullptr);
    AvatarView(const QString &name, const std::optional<QUrl> &imageURL, AvatarSize size,
               const QColor &accentColor, const Options &options, QWidget *parent = nullptr);
    ~AvatarView() override;

    const QString &name() const { return m_name; }
    void setName(const QString &name);
    const std::optional<QUrl> &imageURL() const { return m_imageURL; }
    void setImageURL(const std::optional<QUrl> &url);
    AvatarSize avatarSize() const { return m_size; }
    const QColor &accentColor() const { return m_accentColor; }
    void setAccentColor(const QColor &color);

    // Shows the signed-in user of `auth` and follows their name and avatar
    // URL from now on.
    void showUser(AuthManager &auth);
    // Draws in the accent colour stored under keyboardAccentColor, following
    // changes of the setting and of the appearance.
    void followAccentColor(UserDefaultsProviding &defaults);

    AvatarContent content() const;
    QString contentName() const { return talvoro::avatarContentName(content()); }
    QString initials() const;
    const std::optional<QImage> &loadedImage() const { return m_loadedImage; }
    bool loadFailed() const { return m_loadFailed; }
    bool isLoading() const { return bool(m_request); }

    QSize sizeHint() const override;

Q_SIGNALS:
    void contentChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    enum class LoadStep { lookUpOnly, loadIfMissing };
    void loadImage(LoadStep step);
    void cancelLoad();
    void requestFinished();
    void setState(std::optional<QImage> image, QString imageKey, bool failed);
    void contentMayHaveChanged(AvatarContent before);
    void updateSpinner();
    QString keyOfURL() const;

    QString m_name;
    std::optional<QUrl> m_imageURL;
    AvatarSize m_size;
    QColor m_accentColor;
    AvatarImageLoader *m_loader;

    std::optional<QImage> m_loadedImage;
    QString m_loadedImageKey; // the URL string the shown picture came from
    bool m_loadFailed = false;
    std::unique_ptr<AvatarImageRequest> m_request;

    talvoro::ui::Spinner *m_spinner = nullptr;
    talvoro::ui::AccentBinding *m_accentBinding = nullptr;
    QMetaObject::Connection m_nameConnection;
    QMetaObject::Connection m_urlConnection;
};
