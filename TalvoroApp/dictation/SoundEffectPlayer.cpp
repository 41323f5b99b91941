#include "dictation/SoundEffectPlayer.h"

#include <QFile>
#include <QUrl>

SoundEffectPlayer::SoundEffectPlayer(const QString &name)
    : m_exists(QFile::exists(resourcePath(name)))
{
    if (m_exists)
        m_effect.setSource(QUrl(QStringLiteral("qrc") + resourcePath(name)));
}

QString SoundEffectPlayer::resourcePath(const QString &name)
{
    return QStringLiteral(":/sounds/") + name + QStringLiteral(".wav");
}

SoundPlayerFactory SoundEffectPlayer::factory()
{
    return [](const QString &name) { return std::make_unique<SoundEffectPlayer>(name); };
}

bool SoundEffectPlayer::isAvailable() const
{
    return m_exists && m_effect.status() != QSoundEffect::Error;
}

bool SoundEffectPlayer::isPlaying() const
{
    return m_effect.isPlaying();
}

void SoundEffectPlayer::stop()
{
    m_effect.stop();
}

void SoundEffectPlayer::setVolume(double volume)
{
    m_effect.setVolume(float(volume));
}

void SoundEffectPlayer::play()
{
    m_effect.play();
}
