#include "screens/onboarding-account/FeedbackViewModel.h"

#include "platform/AppVersion.h"
#include "platform/AwaitOwned.h"
#include "platform/ImagePreparation.h"
#include "texts/Graphemes.h"
#include "texts/Localization.h"

#include <QLocale>

#include <vector>

Q_LOGGING_CATEGORY(lcFeedbackViewModel, "com.torvenak.talvoro-mac.FeedbackViewModel")

namespace talvoro::feedback {

namespace {

struct TopicRow
{
    FeedbackTopic topic;
    const char *raw;
    const char *name;
    const char *symbol;
};

constexpr TopicRow kTopicRows[] = {
    {FeedbackTopic::bug, "bug", QT_TRANSLATE_NOOP("Talvoro", "Bug"), "ladybug"},
    {FeedbackTopic::suggestion, "suggestion", QT_TRANSLATE_NOOP("Talvoro", "Sugestão"), "lightbulb"},
    {FeedbackTopic::question, "question", QT_TRANSLATE_NOOP("Talvoro", "Dúvida"), "questionmark.circle"},
    {FeedbackTopic::praise, "praise", QT_TRANSLATE_NOOP("Talvoro", "Elogio"), "heart"},
};

const TopicRow &row(FeedbackTopic topic)
{
    return kTopicRows[static_cast<int>(topic)];
}

ImagePreparationOptions screenshotOptions()
{
    ImagePreparationOptions options;
    options.maxLongerSide = 1024;
    options.jpegQuality = 70;
    return options;
}

bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

QString fallbackErrorText()
{
    return isPortuguese() ? QStringLiteral("Algo deu errado do nosso lado. Tente novamente mais tarde.")
                          : QStringLiteral("Something went wrong on our side. Try again later.");
}

// One screenshot: an upload URL, then the bytes.
QCoro::Task<std::expected<QString, BackendAPIError>> uploadScreenshot(BackendAPIClient &api, QByteArray jpeg)
{
    auto request = api.withAuthorizedRetryForJSONObject(
        [&api](QString token) { return api.requestFeedbackUploadURL(token); }, &BackendAPIClient::parseUploadURL);
    const auto url = co_await std::move(request);
    if (!url)
        co_return std::unexpected(url.error());
    auto upload = api.uploadImage(*url, jpeg);
    co_return co_await std::move(upload);
}

// The whole work of "Enviar": the uploads, then the record. It holds copies
// of what it sends and nothing of the form, so it runs to its end when the
// form and its view model go away (`api` is the environment's client, which
// lives as long as the application). Nothing when the session changed
// meanwhile: the feedback is not sent, or its reply belongs to nobody.
QCoro::Task<std::optional<std::expected<QString, BackendAPIError>>>
sendFeedback(BackendAPIClient &api, QList<QByteArray> screenshots, BackendAPIClient::FeedbackSubmission submission)
{
    const AuthProviding *auth = api.authProvider();
    const quint64 generation = auth ? auth->sessionGeneration() : 0;
    const auto sessionChanged = [auth, generation] { return auth && auth->sessionGeneration() != generation; };

    // Every upload starts before any result is looked at; results are then
    // read in screenshot order, so the first failure is the lowest index.
    std::vector<QCoro::Task<std::expected<QString, BackendAPIError>>> uploads;
    for (const QByteArray &jpeg : screenshots)
        uploads.push_back(uploadScreenshot(api, jpeg));
    for (size_t i = 0; i < uploads.size(); ++i) {
        const auto result = co_await std::move(uploads[i]);
        if (!result) {
            qCCritical(lcFeedbackViewModel, "Feedback image %lld upload failed: %s", qlonglong(i + 1),
                       qUtf8Printable(result.error().localizedDescription()));
            co_return std::unexpected(result.error());
        }
        qCInfo(lcFeedbackViewModel, "Feedback image %lld uploaded: storageId = %s", qlonglong(i + 1),
               qUtf8Printable(*result));
        submission.imageStorageIds.append(*result);
    }
    if (sessionChanged()) {
        qCInfo(lcFeedbackViewModel) << "Session changed while the feedback images uploaded; not sending it";
        co_return std::nullopt;
    }

    auto send = api.submitFeedback(submission);
    auto sent = co_await std::move(send);
    if (sent)
        qCInfo(lcFeedbackViewModel, "Feedback submitted successfully: %s", qUtf8Printable(*sent));
    else
        qCCritical(lcFeedbackViewModel, "Feedback submission failed: %s",
                   qUtf8Printable(sent.error().localizedDescription()));
    if (sessionChanged())
        co_return std::nullopt;
    co_return std::optional(std::move(sent));
}

} // namespace

QString rawValue(FeedbackTopic topic)
{
    return QString::fromLatin1(row(topic).raw);
}

std::optional<FeedbackTopic> feedbackTopic(const QString &rawValue)
{
    for (const TopicRow &r : kTopicRows) {
        if (rawValue == QLatin1String(r.raw))
            return r.topic;
    }
    return std::nullopt;
}

QString displayName(FeedbackTopic topic)
{
    return localized(row(topic).name);
}

QString symbolName(FeedbackTopic topic)
{
    return QString::fromLatin1(row(topic).symbol);
}

FeedbackViewModel::FeedbackViewModel(BackendAPIClient &api, QObject *parent)
    : QObject(parent)
    , m_api(api)
{
}

void FeedbackViewModel::setSelectedTopic(FeedbackTopic topic)
{
    if (m_selectedTopic == topic)
        return;
    m_selectedTopic = topic;
    Q_EMIT changed();
}

void FeedbackViewModel::setSubject(const QString &text)
{
    // Typing or pasting past the limit cuts the text instead of refusing it.
    const QString subject = leftGraphemes(text, kSubjectLimit);
    if (m_subject == subject)
        return;
    m_subject = subject;
    Q_EMIT changed();
}

void FeedbackViewModel::setDescriptionText(const QString &text)
{
    const QString description = leftGraphemes(text, kDescriptionLimit);
    if (m_descriptionText == description)
        return;
    m_descriptionText = description;
    Q_EMIT changed();
}

void FeedbackViewModel::dismissSuccess()
{
    m_showSuccess = false;
    Q_EMIT changed();
}

void FeedbackViewModel::dismissError()
{
    m_showError = false;
    Q_EMIT changed();
}

void FeedbackViewModel::reportImportFailure()
{
    m_errorMessage = isPortuguese() ? QStringLiteral("Não foi possível carregar as imagens selecionadas.")
                                    : QStringLiteral("Couldn't load the selected images.");
    m_showError = true;
    Q_EMIT changed();
}

bool FeedbackViewModel::canSubmit() const
{
    return m_selectedTopic && !isBlank(m_subject) && !isBlank(m_descriptionText);
}

void FeedbackViewModel::loadImages(const QList<QUrl> &files)
{
    if (files.isEmpty())
        return;
    QList<QByteArray> data;
    QList<QImage> images;
    for (const QUrl &file : files.mid(0, kMaxScreenshots)) {
        const QString path = file.isLocalFile() ? file.toLocalFile() : file.toString();
        const auto prepared = prepareImageFile(path, screenshotOptions());
        if (!prepared) {
            switch (prepared.error()) {
            case ImagePreparationFailure::unreadable:
            case ImagePreparationFailure::tooLarge:
                qCCritical(lcFeedbackViewModel, "Failed to read image data from %s", qUtf8Printable(path));
                break;
            case ImagePreparationFailure::notAnImage:
                qCCritical(lcFeedbackViewModel, "Failed to create image from data (%s)", qUtf8Printable(path));
                break;
            case ImagePreparationFailure::encodingFailed:
                qCCritical(lcFeedbackViewModel, "Failed to create JPEG data from resized image");
                break;
            }
            continue;
        }
        qCInfo(lcFeedbackViewModel, "Feedback image prepared (%lld bytes JPEG)", qlonglong(prepared->jpeg.size()));
        data.append(prepared->jpeg);
        images.append(prepared->image);
    }
    m_loadedImageData = data;
    m_loadedImages = images;
    Q_EMIT changed();
}

void FeedbackViewModel::removeImage(qsizetype index)
{
    if (index < 0 || index >= m_loadedImageData.size())
        return;
    m_loadedImageData.removeAt(index);
    m_loadedImages.removeAt(index);
    Q_EMIT changed();
}

BackendAPIClient::FeedbackSubmission FeedbackViewModel::makeSubmission(const QStringList &imageStorageIds) const
{
    return {m_selectedTopic ? rawValue(*m_selectedTopic) : QString(),
            m_subject,
            m_descriptionText,
            imageStorageIds,
            shortAppVersion(),
            QLocale().name(),
            QStringLiteral("macos")};
}

void FeedbackViewModel::fail(const BackendAPIError &error)
{
    const QString text = error.errorDescription();
    m_errorMessage = text.isEmpty() ? fallbackErrorText() : text;
    m_showError = true;
}

QCoro::Task<> FeedbackViewModel::submit()
{
    // A second press while one runs would send the feedback twice.
    if (!m_selectedTopic || m_isSubmitting)
        co_return;
    m_isSubmitting = true;
    Q_EMIT changed();

    // The form only observes the work: leaving it does not stop it.
    auto sending = talvoro::awaitOwned(this, sendFeedback(m_api, m_loadedImageData, makeSubmission({})));
    const auto outcome = co_await std::move(sending);
    if (!outcome)
        co_return;
    m_isSubmitting = false;
    if (const auto &sent = *outcome) {
        if (*sent)
            m_showSuccess = true;
        else
            fail(sent->error());
    }
    Q_EMIT changed();
}

} // namespace talvoro::feedback
