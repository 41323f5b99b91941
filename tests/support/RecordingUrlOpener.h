#pragma once

#include "platform/UrlOpener.h"

#include <QList>
#include <QUrl>

#include <functional>

// Records the URLs the application opens; optionally reacts to each.
class RecordingUrlOpener final : public UrlOpener
{
public:
    bool open(const QUrl &url) override
    {
        opened.append(url);
        if (onOpen)
            onOpen(url);
        return succeeds;
    }

    QList<QUrl> opened;
    bool succeeds = true;
    std::function<void(const QUrl &)> onOpen;
};
