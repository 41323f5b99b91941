#pragma once

#include "screens/onboarding-account/FeedbackViewModel.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QLineEdit;
class QHBoxLayout;
class QMessageBox;
class QPlainTextEdit;
class UserDefaultsProviding;

namespace talvoro::ui {
class StyledLabel;
}

namespace talvoro::feedback {

class TopicChip;
class SendButton;

// "Enviar Feedback": topic chips, subject and description with their
// counters, up to three screenshots, the send button and the two alerts.
// Every rule lives in the view model; this draws it.
class FeedbackView : public QWidget
{
    Q_OBJECT
public:
    // `dismiss` closes the screen after the success alert.
    FeedbackView(BackendAPIClient &api, UserDefaultsProviding &defaults, std::function<void()> dismiss,
                 QWidget *parent = nullptr);

    FeedbackViewModel *viewModel() const { return m_model; }
    // The file picker's outcome; an empty list is a cancelled pick.
    void handleImageImport(const QList<QUrl> &files);

private:
    QWidget *buildTopicSection();
    QWidget *buildSubjectCard();
    QWidget *buildDescriptionCard();
    QWidget *buildScreenshotsCard();
    void openFilePicker();
    void refresh();
    void refreshThumbnails();
    void showAlerts();

    FeedbackViewModel *m_model;
    UserDefaultsProviding &m_defaults;
    std::function<void()> m_dismiss;
    QList<TopicChip *> m_chips;
    QLineEdit *m_subject = nullptr;
    ui::StyledLabel *m_subjectCounter = nullptr;
    QPlainTextEdit *m_description = nullptr;
    ui::StyledLabel *m_descriptionCounter = nullptr;
    QWidget *m_thumbnailRow = nullptr;
    QHBoxLayout *m_thumbnailLayout = nullptr;
    SendButton *m_send = nullptr;
    QPointer<QMessageBox> m_alert;
};

} // namespace talvoro::feedback
