#pragma once

#include "account/BackendAPIClient.h"

#include <QByteArray>
#include <QCoroTask>
#include <QImage>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <array>
#include <optional>

Q_DECLARE_LOGGING_CATEGORY(lcFeedbackViewModel)

namespace talvoro::feedback {

enum class FeedbackTopic { bug, suggestion, question, praise };

inline constexpr std::array kFeedbackTopics{FeedbackTopic::bug, FeedbackTopic::suggestion, FeedbackTopic::question,
                                            FeedbackTopic::praise};

// The value sent ("bug", …); a text naming no topic gives none.
QString rawValue(FeedbackTopic topic);
std::optional<FeedbackTopic> feedbackTopic(const QString &rawValue);
QString displayName(FeedbackTopic topic);
QString symbolName(FeedbackTopic topic);

inline constexpr qsizetype kSubjectLimit = 100;
inline constexpr qsizetype kDescriptionLimit = 1000;
inline constexpr qsizetype kMaxScreenshots = 3;

// The state and work of the feedback form: topic, texts, up to three
// screenshots prepared as small JPEGs, their upload and the one feedback
// record. Every change of what the form shows emits changed().
class FeedbackViewModel : public QObject
{
    Q_OBJECT
public:
    // `api` must outlive every submission (the environment's client).
    explicit FeedbackViewModel(BackendAPIClient &api, QObject *parent = nullptr);

    std::optional<FeedbackTopic> selectedTopic() const { return m_selectedTopic; }
    void setSelectedTopic(FeedbackTopic topic);
    QString subject() const { return m_subject; }
    // Both texts keep at most their limit of graphemes; the rest is cut.
    void setSubject(const QString &text);
    QString descriptionText() const { return m_descriptionText; }
    void setDescriptionText(const QString &text);

    const QList<QByteArray> &loadedImageData() const { return m_loadedImageData; }
    const QList<QImage> &loadedImages() const { return m_loadedImages; }

    bool isSubmitting() const { return m_isSubmitting; }
    bool showSuccess() const { return m_showSuccess; }
    bool showError() const { return m_showError; }
    QString errorMessage() const { return m_errorMessage; }
    void dismissSuccess();
    void dismissError();
    // The file picker failed.
    void reportImportFailure();

    // A topic, and both texts non-blank within their limits (counted in
    // whole characters on the untrimmed text).
    bool canSubmit() const;

    // Prepares the first three files and replaces the screenshots with
    // those that could be prepared. An empty list (a cancelled picker)
    // keeps the current ones.
    void loadImages(const QList<QUrl> &files);
    // Out-of-range indexes change nothing.
    void removeImage(qsizetype index);

    // Uploads the screenshots, then sends the record; the outcome is
    // showSuccess or showError. Returns at once without a topic or while
    // a submission runs. The work runs to its end even when this view model
    // goes away meanwhile; only a change of session drops its outcome.
    [[nodiscard]] QCoro::Task<> submit();

    BackendAPIClient::FeedbackSubmission makeSubmission(const QStringList &imageStorageIds) const;

Q_SIGNALS:
    void changed();

private:
    void fail(const BackendAPIError &error);

    BackendAPIClient &m_api;
    std::optional<FeedbackTopic> m_selectedTopic;
    QString m_subject;
    QString m_descriptionText;
    QList<QByteArray> m_loadedImageData;
    QList<QImage> m_loadedImages;
    bool m_isSubmitting = false;
    bool m_showSuccess = false;
    bool m_showError = false;
    QString m_errorMessage;
};

} // namespace talvoro::feedback
