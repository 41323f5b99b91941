#include "screens/settings/ui/HotkeySettingView.h"

#include "look/Theme.h"
#include "look/ui/AccentBinding.h"
#include "look/ui/Appearance.h"
#include "look/ui/Spinner.h"
#include "look/ui/StyledLabel.h"
#include "look/ui/SymbolLabel.h"
#include "look/ui/Symbols.h"
#include "screens/settings/SettingsStyle.h"
#include "texts/Localization.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace talvoro::settings {

namespace {

constexpr int kStackSpacing = 12;
constexpr int kPillSpacing = 8;
constexpr QMargins kPillPadding{12, 8, 12, 8};
constexpr qreal kPillRadius = 10;
constexpr int kPillFontSize = 15;
constexpr int kPencilSize = 12;
constexpr int kSpinnerDiameter = 14;
constexpr QMargins kCombinationPadding{8, 4, 8, 4};
constexpr qreal kCombinationRadius = 6;

void setForeground(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    // Children of a button draw in its button text colour.
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

// The compact row's key pill: the combination and a pencil, or a spinner
// and "Pressione..." while capturing, on an accent-tinted rounded shape.
class HotkeyPill final : public QAbstractButton
{
public:
    HotkeyPill(HotkeyRecorder &recorder, UserDefaultsProviding &settings, QWidget *parent)
        : QAbstractButton(parent)
        , m_recorder(recorder)
    {
        setObjectName(QStringLiteral("hotkeyPill"));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::StrongFocus);
        setToolTip(localized("Clique para gravar uma nova hotkey"));
        auto *layout = new QHBoxLayout(this);
        layout->setContentsMargins(kPillPadding);
        layout->setSpacing(kPillSpacing);
        const QFont font = monospacedFont(kPillFontSize, QFont::DemiBold);

        m_spinner = new ui::Spinner(kSpinnerDiameter, this);
        m_text = new QLabel(this);
        m_text->setObjectName(QStringLiteral("hotkeyPillText"));
        m_text->setFont(font);
        m_pencil = new ui::SymbolLabel(QStringLiteral("pencil"), qRound(ui::symbolPixelSize(kPencilSize)), this);
        for (QWidget *child : {static_cast<QWidget *>(m_spinner), static_cast<QWidget *>(m_text),
                               static_cast<QWidget *>(m_pencil)}) {
            child->setAttribute(Qt::WA_TransparentForMouseEvents);
            layout->addWidget(child, 0, Qt::AlignVCenter);
        }
        m_accent = ui::AccentBinding::bind(this, [this](const QColor &) { refresh(); }, settings);
        refresh();
    }

    void refresh()
    {
        if (!m_accent)
            return;
        const bool capturing = m_recorder.isCapturing();
        m_spinner->setVisible(capturing);
        m_pencil->setVisible(!capturing);
        m_text->setText(capturing ? localized("Pressione...") : m_recorder.combinationText());
        const QColor foreground = capturing ? m_accent->color() : primaryColor(ui::isDark(this));
        setForeground(m_text, foreground);
        setForeground(m_spinner, foreground);
        m_pencil->setColor(foreground);
        setAccessibleName(m_text->text());
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = m_accent->color();
        QColor border = fill;
        fill.setAlphaF(m_recorder.isCapturing() ? 0.12 : 0.08);
        border.setAlphaF(0.22);
        const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        const QPainterPath path = continuousRoundedRect(shape, kPillRadius);
        painter.fillPath(path, fill);
        painter.setPen(QPen(border, 1.0));
        painter.drawPath(path);
        if (hasFocus() && focusPolicy() != Qt::NoFocus) {
            painter.setPen(QPen(palette().color(QPalette::Highlight), 2.0));
            painter.drawPath(continuousRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), kPillRadius));
        }
    }

    void changeEvent(QEvent *event) override
    {
        QAbstractButton::changeEvent(event);
        if (event->type() == QEvent::PaletteChange && !m_refreshing) {
            m_refreshing = true;
            refresh();
            m_refreshing = false;
        }
    }

    QSize sizeHint() const override { return layout()->sizeHint(); }
    QSize minimumSizeHint() const override { return layout()->minimumSize(); }

private:
    HotkeyRecorder &m_recorder;
    ui::AccentBinding *m_accent = nullptr;
    ui::Spinner *m_spinner;
    QLabel *m_text;
    ui::SymbolLabel *m_pencil;
    bool m_refreshing = false;
};

// The combination of the expanded style on its quaternary rounded shape.
class CombinationLabel final : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(continuousRoundedRect(QRectF(rect()), kCombinationRadius), quaternaryColor(ui::isDark(this)));
        painter.end();
        QLabel::paintEvent(event);
    }
};

// The validation message, in the appearance's red.
class MessageLabel final : public QLabel
{
public:
    explicit MessageLabel(QWidget *parent)
        : QLabel(parent)
    {
        setWordWrap(true);
        setFont(settingsHelperFont());
        recolour();
    }

protected:
    void changeEvent(QEvent *event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::PaletteChange && !m_recolouring)
            recolour();
    }

private:
    void recolour()
    {
        m_recolouring = true;
        setForeground(this, systemRedColor(ui::isDark(this)));
        m_recolouring = false;
    }

    bool m_recolouring = false;
};

} // namespace

HotkeySettingView::HotkeySettingView(HotkeySettingViewStyle style, HotkeyManager::HotkeyKind kind,
                                     HotkeyManager &hotkeys, UserDefaultsProviding &settings, QWidget *parent)
    : QWidget(parent)
    , m_recorder(new HotkeyRecorder(hotkeys, kind, this))
{
    setObjectName(QStringLiteral("hotkeySetting.") + HotkeyManager::kindName(kind));
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(kStackSpacing);
    stack->addWidget(style == HotkeySettingViewStyle::compactRow ? buildCompactRow(settings) : buildExpanded());
    m_message = new MessageLabel(this);
    m_message->setObjectName(QStringLiteral("hotkeyValidationMessage"));
    stack->addWidget(m_message);

    connect(m_recorder, &HotkeyRecorder::capturingChanged, this, [this](bool capturing) {
        setFilterInstalled(capturing);
        refresh();
    });
    connect(m_recorder, &HotkeyRecorder::validationMessageChanged, this, &HotkeySettingView::refresh);
    connect(m_recorder, &HotkeyRecorder::combinationChanged, this, &HotkeySettingView::refresh);
    refresh();
}

HotkeySettingView::~HotkeySettingView()
{
    setFilterInstalled(false);
}

QWidget *HotkeySettingView::buildCompactRow(UserDefaultsProviding &settings)
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kStackSpacing);
    auto *label = new ui::StyledLabel(HotkeyRecorder::rowLabel(m_recorder->kind()), ui::StyledLabel::Style::primary, row);
    label->setObjectName(QStringLiteral("hotkeyRowLabel"));
    label->setFont(settingsRowFont());
    layout->addWidget(label, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    m_pill = new HotkeyPill(*m_recorder, settings, row);
    connect(m_pill, &QAbstractButton::clicked, m_recorder, &HotkeyRecorder::startCapture);
    layout->addWidget(m_pill, 0, Qt::AlignVCenter);
    return row;
}

QWidget *HotkeySettingView::buildExpanded()
{
    auto *block = new QWidget(this);
    auto *column = new QVBoxLayout(block);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kStackSpacing);

    auto *current = new QHBoxLayout;
    current->setSpacing(kPillSpacing);
    auto *caption = new ui::StyledLabel(localized("Atalho atual:"), ui::StyledLabel::Style::secondary, block);
    current->addWidget(caption);
    m_currentCombination = new CombinationLabel(block);
    m_currentCombination->setObjectName(QStringLiteral("hotkeyCombination"));
    m_currentCombination->setFont(monospacedFont(textStylePixelSize(TextStyle::body), QFont::DemiBold));
    m_currentCombination->setContentsMargins(kCombinationPadding);
    current->addWidget(m_currentCombination);
    current->addStretch(1);
    column->addLayout(current);

    m_buttons = new QWidget(block);
    auto *buttons = new QHBoxLayout(m_buttons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(kStackSpacing);
    auto *record = new QPushButton(localized("Gravar nova hotkey"), m_buttons);
    record->setObjectName(QStringLiteral("recordHotkeyButton"));
    auto *restore = new QPushButton(HotkeyRecorder::restoreLabel(m_recorder->kind()), m_buttons);
    restore->setObjectName(QStringLiteral("restoreHotkeyButton"));
    connect(record, &QPushButton::clicked, m_recorder, &HotkeyRecorder::startCapture);
    connect(restore, &QPushButton::clicked, m_recorder, &HotkeyRecorder::restoreDefault);
    buttons->addWidget(record);
    buttons->addWidget(restore);
    buttons->addStretch(1);
    column->addWidget(m_buttons);

    m_capturingLine = new QWidget(block);
    m_capturingLine->setObjectName(QStringLiteral("hotkeyCapturingLine"));
    auto *line = new QHBoxLayout(m_capturingLine);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(kPillSpacing);
    line->addWidget(new ui::Spinner(kSpinnerDiameter, m_capturingLine));
    auto *prompt = new ui::StyledLabel(localized("Pressione a nova combinação..."), ui::StyledLabel::Style::secondary,
                                       m_capturingLine);
    prompt->setFont(textStyleFont(TextStyle::callout));
    line->addWidget(prompt);
    line->addStretch(1);
    column->addWidget(m_capturingLine);
    return block;
}

void HotkeySettingView::refresh()
{
    const bool capturing = m_recorder->isCapturing();
    if (m_pill)
        static_cast<HotkeyPill *>(m_pill)->refresh();
    if (m_currentCombination) {
        m_currentCombination->setText(m_recorder->combinationText());
        m_buttons->setVisible(!capturing);
        m_capturingLine->setVisible(capturing);
    }
    const QString validation = m_recorder->validationMessage();
    m_message->setText(validation.isEmpty() ? m_recorder->bindingMessage() : validation);
    m_message->setVisible(!m_message->text().isEmpty());
}

void HotkeySettingView::setFilterInstalled(bool installed)
{
    if (installed == m_filterInstalled || !qApp)
        return;
    m_filterInstalled = installed;
    if (installed)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool HotkeySettingView::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_recorder->isCapturing())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Claim the press so no shortcut fires; it then arrives as a key press.
        event->accept();
        return true;
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        const auto press = RecordedKeyPress::fromQt(key->nativeScanCode(), key->key(), key->modifiers(),
                                                    key->isAutoRepeat());
        // Modifier keys pass on, as they would on the Mac; anything else is
        // the recorder's, repeats included.
        if (press.isModifierKey)
            return false;
        m_recorder->handleKeyPress(press);
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void HotkeySettingView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A minimised window hides its widgets too; only leaving ends a capture.
    if (!event->spontaneous())
        m_recorder->disappear();
}

} // namespace talvoro::settings
