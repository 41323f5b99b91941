#include "screens/onboarding-account/ui/FeedbackView.h"

#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/FocusRing.h"
#include "look/ui/PlainButton.h"
#include "look/ui/Appearance.h"
#include "look/ui/Spinner.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "look/ui/Symbols.h"
#include "platform/AppPaths.h"
#include "platform/StartTask.h"
#include "screens/settings/SettingsStyle.h"
#include "screens/settings/ui/Alerts.h"
#include "screens/settings/ui/CardContainer.h"
#include "screens/settings/ui/SectionHeader.h"
#include "screens/settings/ui/SettingsCardView.h"
#include "screens/settings/ui/ToolbarStrip.h"
#include "texts/Graphemes.h"
#include "texts/Localization.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace talvoro::settings;

namespace talvoro::feedback {

namespace {

constexpr int kColumnSpacing = 24;
constexpr int kThumbnailSize = 80;
constexpr int kThumbnailRadius = 12;

// The section header carries its own insets (20 at the sides, 16 above).
QVBoxLayout *cardColumn(QWidget *content, int spacing, QMargins margins = {})
{
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(margins);
    layout->setSpacing(spacing);
    return layout;
}

QWidget *inset(QWidget *widget, int horizontal, int top = 0, int bottom = 0)
{
    auto *box = new QWidget;
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(horizontal, top, horizontal, bottom);
    layout->addWidget(widget);
    return box;
}

ui::StyledLabel *helperLabel(const QString &text)
{
    auto *label = new ui::StyledLabel(text, ui::StyledLabel::Style::secondary);
    label->setFont(settingsHelperFont());
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

// A topic: symbol and name on a capsule, the accent colour when selected.
class TopicChip : public QAbstractButton
{
public:
    TopicChip(FeedbackTopic topic, UserDefaultsProviding &defaults, QWidget *parent)
        : QAbstractButton(parent)
        , m_topic(topic)
    {
        setObjectName(QStringLiteral("topicChip.") + rawValue(topic));
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        setFont(settingsRowFont());
        setText(displayName(topic));
        ui::AccentBinding::bind(this, [this](const QColor &color) { m_accent = color; update(); }, defaults);
    }

    FeedbackTopic topic() const { return m_topic; }

    QSize sizeHint() const override
    {
        const QFontMetrics metrics(font());
        return {14 + metrics.height() + 6 + metrics.horizontalAdvance(text()) + 14, metrics.height() + 16};
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = rect();
        const bool dark = ui::isDark(palette());
        const QColor fill = isChecked() ? accentSurfaceColor(m_accent) : palette().color(QPalette::Button);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
        // On the accent, what reads on it (dark on yellow), as every accent surface.
        const QColor foreground = isChecked() ? foregroundOnSurface(fill) : secondaryColor(dark);
        const QFontMetrics metrics(font());
        QRectF symbolRect(14, (height() - metrics.height()) / 2.0, metrics.height(), metrics.height());
        ui::paintSymbol(painter, symbolRect, symbolName(m_topic), foreground, ui::symbolPixelSize(font().pixelSize()));
        painter.setPen(foreground);
        painter.setFont(font());
        painter.drawText(QRectF(symbolRect.right() + 6, 0, width() - symbolRect.right() - 6, height()),
                         Qt::AlignVCenter | Qt::AlignLeft, text());
        if (ui::showsFocusRing(this))
            ui::paintFocusRing(painter, bounds, bounds.height() / 2,
                               ui::focusRingColor(dark, isChecked() ? std::optional(fill) : std::nullopt), 1.5);
    }

private:
    FeedbackTopic m_topic;
    QColor m_accent;
};

// "Enviar Feedback" on an accent capsule, pale while it cannot send.
class SendButton : public QAbstractButton
{
public:
    SendButton(UserDefaultsProviding &defaults, QWidget *parent)
        : QAbstractButton(parent)
        , m_spinner(new ui::Spinner(16, this))
    {
        setObjectName(QStringLiteral("sendFeedbackButton"));
        setCursor(Qt::PointingHandCursor);
        QFont font = settingsRowFont();
        font.setWeight(QFont::DemiBold);
        setFont(font);
        setText(localized("Enviar Feedback"));
        m_spinner->setObjectName(QStringLiteral("sendFeedbackSpinner"));
        m_spinner->hide();
        ui::AccentBinding::bind(this, [this](const QColor &color) { m_accent = color; update(); }, defaults);
    }

    void setSending(bool sending)
    {
        m_spinner->setVisible(sending);
        update();
    }

    QSize sizeHint() const override { return {200, QFontMetrics(font()).height() + 28}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor surface = accentSurfaceColor(m_accent);
        QColor fill = surface;
        QColor foreground = foregroundOnSurface(surface);
        if (!isEnabled()) {
            fill.setAlphaF(0.4);
            foreground.setAlphaF(foreground.alphaF() * 0.6);
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(rect(), height() / 2.0, height() / 2.0);
        const QFontMetrics metrics(font());
        const int textWidth = metrics.horizontalAdvance(text());
        const int spinnerWidth = m_spinner->isVisible() ? m_spinner->width() + 8 : 0;
        const int left = (width() - textWidth - spinnerWidth) / 2;
        m_spinner->move(left, (height() - m_spinner->height()) / 2);
        QPalette spinnerPalette = m_spinner->palette();
        spinnerPalette.setColor(QPalette::WindowText, foreground);
        m_spinner->setPalette(spinnerPalette);
        painter.setPen(foreground);
        painter.setFont(font());
        painter.drawText(QRect(left + spinnerWidth, 0, textWidth + 1, height()), Qt::AlignVCenter, text());
        if (ui::showsFocusRing(this))
            ui::paintFocusRing(painter, rect(), height() / 2.0, ui::focusRingColor(ui::isDark(this), surface), 1.5);
    }

private:
    ui::Spinner *m_spinner;
    QColor m_accent;
};

// One screenshot, 80 × 80 with rounded corners, and its remove mark.
class Thumbnail : public QWidget
{
public:
    Thumbnail(const QImage &image, std::function<void()> remove, QWidget *parent)
        : QWidget(parent)
        , m_image(image)
    {
        setFixedSize(kThumbnailSize + 4, kThumbnailSize + 4);
        auto *removeButton = new QAbstractButtonShim(std::move(remove), this);
        removeButton->setObjectName(QStringLiteral("removeScreenshot"));
        removeButton->setGeometry(width() - 22, 0, 22, 22);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF frame(0, 4, kThumbnailSize, kThumbnailSize);
        QPainterPath clip;
        clip.addRoundedRect(frame, kThumbnailRadius, kThumbnailRadius);
        painter.setClipPath(clip);
        // Fill the square, cropping the longer side.
        const QSizeF scaled = QSizeF(m_image.size()).scaled(frame.size(), Qt::KeepAspectRatioByExpanding);
        const QRectF target(frame.center() - QPointF(scaled.width() / 2, scaled.height() / 2), scaled);
        painter.drawImage(target, m_image);
    }

private:
    // A white mark on a dark disc.
    class QAbstractButtonShim : public QAbstractButton
    {
    public:
        QAbstractButtonShim(std::function<void()> action, QWidget *parent)
            : QAbstractButton(parent)
        {
            setCursor(Qt::PointingHandCursor);
            setAccessibleName(localized("Remover"));
            connect(this, &QAbstractButton::clicked, this, std::move(action));
        }

    protected:
        void paintEvent(QPaintEvent *) override
        {
            QPainter painter(this);
            painter.setRenderHint(QPainter::Antialiasing);
            const QRectF disc = QRectF(rect()).adjusted(2, 2, -2, -2);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0, 0, 0, 153));
            painter.drawEllipse(disc);
            painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
            const QRectF mark = disc.adjusted(6, 6, -6, -6);
            painter.drawLine(mark.topLeft(), mark.bottomRight());
            painter.drawLine(mark.topRight(), mark.bottomLeft());
            if (ui::showsFocusRing(this))
                ui::paintFocusRing(painter, rect(), height() / 2.0, ui::focusRingColor(ui::isDark(this)));
        }
    };

    QImage m_image;
};

FeedbackView::FeedbackView(BackendAPIClient &api, UserDefaultsProviding &defaults, std::function<void()> dismiss,
                           QWidget *parent)
    : QWidget(parent)
    , m_model(new FeedbackViewModel(api, this))
    , m_defaults(defaults)
    , m_dismiss(std::move(dismiss))
{
    setObjectName(QStringLiteral("feedbackView"));
    auto *column = new QWidget;
    auto *columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(24, 8, 24, 16);
    columnLayout->setSpacing(kColumnSpacing);
    columnLayout->addWidget(buildTopicSection());
    columnLayout->addWidget(buildSubjectCard());
    columnLayout->addWidget(buildDescriptionCard());
    columnLayout->addWidget(buildScreenshotsCard());
    auto *footer = helperLabel(localized("Sua mensagem vai direto para o desenvolvedor."));
    footer->setAlignment(Qt::AlignHCenter);
    footer->setWordWrap(true);
    columnLayout->addWidget(footer);
    m_send = new SendButton(defaults, column);
    connect(m_send, &QAbstractButton::clicked, this,
            [this] { talvoro::startTask(m_model, m_model->submit(), "feedback submission"); });
    columnLayout->addWidget(inset(m_send, 24));
    columnLayout->addStretch(1);

    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("feedbackScroll"));
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(column);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new ToolbarStrip(localized("Enviar Feedback"), ToolbarStrip::Placement::pushed, this));
    layout->addWidget(scroll, 1);

    connect(m_model, &FeedbackViewModel::changed, this, &FeedbackView::refresh);
    refresh();
}

QWidget *FeedbackView::buildTopicSection()
{
    auto *section = new QWidget;
    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(sectionHeader(localized("Tópico"), section));
    // The chips scroll sideways when the window is narrower than their row.
    auto *chips = new QWidget;
    auto *row = new QHBoxLayout(chips);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    for (FeedbackTopic topic : kFeedbackTopics) {
        auto *chip = new TopicChip(topic, m_defaults, section);
        // A topic can be changed, never cleared.
        connect(chip, &QAbstractButton::clicked, this, [this, topic] {
            m_model->setSelectedTopic(topic);
            refresh();
        });
        m_chips.append(chip);
        row->addWidget(chip);
    }
    row->addStretch(1);
    auto *scroll = new QScrollArea(section);
    scroll->setObjectName(QStringLiteral("topicScroll"));
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setWidget(chips);
    scroll->setFixedHeight(chips->sizeHint().height());
    scroll->viewport()->setAutoFillBackground(false);
    chips->setAutoFillBackground(false);
    layout->addWidget(scroll);
    return section;
}

QWidget *FeedbackView::buildSubjectCard()
{
    auto *content = new QWidget;
    auto *layout = cardColumn(content, 4);
    layout->addWidget(sectionHeader(localized("Assunto"), content));
    m_subject = new QLineEdit(content);
    m_subject->setObjectName(QStringLiteral("feedbackSubject"));
    m_subject->setPlaceholderText(localized("Descreva brevemente..."));
    m_subject->setFont(settingsRowFont());
    m_subject->setFrame(false);
    m_subject->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    connect(m_subject, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_model->setSubject(text);
        if (m_model->subject() != text)
            m_subject->setText(m_model->subject());
    });
    layout->addWidget(inset(m_subject, 20, 10, 10));
    m_subjectCounter = helperLabel(QString());
    m_subjectCounter->setObjectName(QStringLiteral("feedbackSubjectCounter"));
    m_subjectCounter->setAlignment(Qt::AlignRight);
    layout->addWidget(inset(m_subjectCounter, 20, 0, 12));
    return cardContainer(content);
}

QWidget *FeedbackView::buildDescriptionCard()
{
    auto *content = new QWidget;
    auto *layout = cardColumn(content, 4);
    layout->addWidget(sectionHeader(localized("Descrição"), content));
    m_description = new QPlainTextEdit(content);
    m_description->setObjectName(QStringLiteral("feedbackDescription"));
    m_description->setFont(settingsRowFont());
    m_description->setMinimumHeight(120);
    // Tab leaves the box for the controls below it, as in every form.
    m_description->setTabChangesFocus(true);
    m_description->setFrameShape(QFrame::NoFrame);
    m_description->viewport()->setAutoFillBackground(false);
    m_description->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    connect(m_description, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = m_description->toPlainText();
        m_model->setDescriptionText(text);
        if (m_model->descriptionText() != text) {
            m_description->setPlainText(m_model->descriptionText());
            m_description->moveCursor(QTextCursor::End);
        }
    });
    layout->addWidget(inset(m_description, 16, 4, 4));
    m_descriptionCounter = helperLabel(QString());
    m_descriptionCounter->setObjectName(QStringLiteral("feedbackDescriptionCounter"));
    m_descriptionCounter->setAlignment(Qt::AlignRight);
    layout->addWidget(inset(m_descriptionCounter, 20, 0, 12));
    return cardContainer(content);
}

QWidget *FeedbackView::buildScreenshotsCard()
{
    auto *content = new QWidget;
    auto *layout = cardColumn(content, 12, {0, 0, 0, 14});
    layout->addWidget(sectionHeader(localized("Capturas de tela"), content));

    m_thumbnailRow = new QWidget(content);
    m_thumbnailRow->setObjectName(QStringLiteral("screenshotThumbnails"));
    m_thumbnailLayout = new QHBoxLayout(m_thumbnailRow);
    m_thumbnailLayout->setContentsMargins(20, 0, 20, 0);
    m_thumbnailLayout->setSpacing(8);
    layout->addWidget(m_thumbnailRow);

    // Always enabled: a new pick replaces the screenshots.
    auto *addButton = new ui::PlainButton(content);
    addButton->setObjectName(QStringLiteral("addScreenshots"));
    addButton->setFocusRingShape({8, 0, {}});
    auto *addLayout = new QHBoxLayout(addButton);
    addLayout->setContentsMargins(20, 0, 20, 0);
    addLayout->setSpacing(8);
    auto *symbol = new ui::SymbolLabel(QStringLiteral("photo.on.rectangle.angled"), 16, addButton);
    symbol->bindAccent(m_defaults);
    // A plain label: its colour is the accent, not one of the text styles.
    auto *title = new QLabel(localized("Adicionar imagens"), addButton);
    title->setFont(settingsRowFont());
    ui::AccentBinding::bind(
        title,
        [title](const QColor &color) {
            QPalette palette = title->palette();
            palette.setColor(QPalette::WindowText, color);
            title->setPalette(palette);
        },
        m_defaults);
    addLayout->addWidget(symbol);
    addLayout->addWidget(title);
    addLayout->addStretch(1);
    addButton->setCursor(Qt::PointingHandCursor);
    addButton->setAccessibleName(localized("Adicionar imagens"));
    connect(addButton, &QAbstractButton::clicked, this, &FeedbackView::openFilePicker);
    layout->addWidget(addButton);
    layout->addWidget(inset(helperLabel(localized("Opcional. Até 3 imagens.")), 20));
    return cardContainer(content);
}

void FeedbackView::openFilePicker()
{
    // Opened without a nested event loop; the result arrives as a signal.
    auto *dialog = new QFileDialog(this, localized("Capturas de tela"),
                                   AppPaths::userFolder(QStandardPaths::PicturesLocation));
    dialog->setObjectName(QStringLiteral("screenshotPicker"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setMimeTypeFilters({QStringLiteral("image/png"), QStringLiteral("image/jpeg"), QStringLiteral("image/gif"),
                                QStringLiteral("image/bmp"), QStringLiteral("image/webp"),
                                QStringLiteral("image/tiff")});
    dialog->setNameFilters(QStringList{localized("Imagens") + QStringLiteral(" (*.png *.jpg *.jpeg *.gif *.bmp *.webp *.tif *.tiff)")});
    // accepted and selectedUrls() hold for Qt's own dialog as for a native one.
    connect(dialog, &QDialog::accepted, this, [this, dialog] { handleImageImport(dialog->selectedUrls()); });
    dialog->open();
}

void FeedbackView::handleImageImport(const QList<QUrl> &files)
{
    m_model->loadImages(files);
}

void FeedbackView::refresh()
{
    const std::optional<FeedbackTopic> selected = m_model->selectedTopic();
    for (TopicChip *chip : std::as_const(m_chips))
        chip->setChecked(selected == chip->topic());
    if (m_subject->text() != m_model->subject())
        m_subject->setText(m_model->subject());
    if (m_description->toPlainText() != m_model->descriptionText())
        m_description->setPlainText(m_model->descriptionText());
    m_subjectCounter->setText(localized("%1/100").arg(graphemeCount(m_model->subject())));
    m_descriptionCounter->setText(localized("%1/1000").arg(graphemeCount(m_model->descriptionText())));
    m_send->setEnabled(m_model->canSubmit() && !m_model->isSubmitting());
    m_send->setSending(m_model->isSubmitting());
    refreshThumbnails();
    showAlerts();
}

void FeedbackView::refreshThumbnails()
{
    while (QLayoutItem *item = m_thumbnailLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<QImage> &images = m_model->loadedImages();
    for (qsizetype i = 0; i < images.size(); ++i) {
        auto *thumbnail = new Thumbnail(images[i], [this, i] { m_model->removeImage(i); }, m_thumbnailRow);
        thumbnail->setObjectName(QStringLiteral("screenshot.%1").arg(i));
        m_thumbnailLayout->addWidget(thumbnail);
    }
    m_thumbnailLayout->addStretch(1);
    m_thumbnailRow->setVisible(!images.isEmpty());
}

void FeedbackView::showAlerts()
{
    if (m_alert)
        return;
    if (m_model->showSuccess()) {
        m_alert = openAlert(this, localized("Feedback Enviado"), localized("Obrigado pelo seu feedback!"),
                            {AlertButton{localized("OK"), QMessageBox::AcceptRole, {}, QStringLiteral("okButton")}});
        m_alert->setObjectName(QStringLiteral("feedbackSuccessAlert"));
        connect(m_alert, &QMessageBox::finished, this, [this] {
            m_model->dismissSuccess();
            if (m_dismiss)
                m_dismiss();
        });
    } else if (m_model->showError()) {
        m_alert = openAlert(this, localized("Erro"), m_model->errorMessage(),
                            {AlertButton{localized("OK"), QMessageBox::RejectRole, {}, QStringLiteral("okButton")}});
        m_alert->setObjectName(QStringLiteral("feedbackErrorAlert"));
        // The message may come from the backend: shown as written.
        if (auto *message = m_alert->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
            message->setTextFormat(Qt::PlainText);
        connect(m_alert, &QMessageBox::finished, m_model, &FeedbackViewModel::dismissError);
    }
}

} // namespace talvoro::feedback
