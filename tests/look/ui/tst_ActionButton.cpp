// The filled button by keyboard: Return, Enter and Space press it, and its
// focus ring reads on every accent in both appearances.
#include "look/AccentColorOption.h"
#include "look/Theme.h"
#include "look/ui/ActionButton.h"
#include "look/ui/Appearance.h"
#include "platform/SettingsKeys.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using talvoro::ui::ActionButton;

namespace {

// A field and two buttons in a window, the way a form holds them.
struct Form
{
    QWidget window;
    QLineEdit *field = new QLineEdit(&window);
    ActionButton *prominent = new ActionButton(QStringLiteral("Entrar"), ActionButton::Style::prominent, &window);
    ActionButton *bordered = new ActionButton(QStringLiteral("Pular"), ActionButton::Style::bordered, &window);

    explicit Form(SettingsStore &settings)
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(field);
        layout->addWidget(prominent);
        layout->addWidget(bordered);
        prominent->bindAccent(settings);
        window.show();
        window.activateWindow();
        field->setFocus();
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(window.windowHandle(), key, modifiers);
    }
};

QColor pixel(const QImage &image, int x, int y)
{
    return image.pixelColor(int(x * image.devicePixelRatio()), int(y * image.devicePixelRatio()));
}

} // namespace

class ActionButtonTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { talvoro::ui::applyAppearance(false); }

    void returnEnterAndSpacePressTheFocusedButton()
    {
        TemporarySettings settings;
        Form form(*settings.store);
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        QSignalSpy clicked(form.prominent, &QAbstractButton::clicked);
        QSignalSpy other(form.bordered, &QAbstractButton::clicked);

        form.press(Qt::Key_Return); // in the field: no button
        QCOMPARE(clicked.size(), 0);
        form.press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form.prominent);
        form.press(Qt::Key_Return);
        form.press(Qt::Key_Enter, Qt::KeypadModifier);
        form.press(Qt::Key_Space);
        QCOMPARE(clicked.size(), 3);
        QCOMPARE(other.size(), 0);

        // A disabled button takes no press; Ctrl+Return is not a press.
        form.press(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(clicked.size(), 3);
        form.press(Qt::Key_Tab);
        form.press(Qt::Key_Return);
        QCOMPARE(other.size(), 1);
        form.bordered->setEnabled(false);
        QTest::keyClick(form.bordered, Qt::Key_Return);
        QCOMPARE(other.size(), 1);
    }

    // The ring lies just inside the edge, on the fill: it must differ from
    // the unfocused button there and stand out from the fill by 3:1.
    void focusRingShowsOnEveryAccentAndAppearance()
    {
        TemporarySettings settings;
        Form form(*settings.store);
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        for (const bool dark : {false, true}) {
            talvoro::ui::applyAppearance(dark);
            for (const auto option : talvoro::AccentColorOption::allCases) {
                const QString name = talvoro::AccentColorOption(option).rawValue();
                settings.store->set(SettingsKeys::keyboardAccentColor, name);
                int tabs = 0;
                for (ActionButton *button : {form.prominent, form.bordered}) {
                    form.field->setFocus();
                    const QImage plain = button->grab().toImage();
                    for (int i = 0; i <= tabs; ++i)
                        form.press(Qt::Key_Tab);
                    ++tabs;
                    QCOMPARE(QApplication::focusWidget(), button);
                    const QImage focused = button->grab().toImage();
                    const int middle = button->height() / 2;
                    const QColor fill = pixel(plain, 8, middle);
                    const QColor ring = pixel(focused, 3, middle);
                    const QString where = QStringLiteral("%1 %2 %3").arg(name, dark ? "dark" : "light", button->text());
                    QVERIFY2(ring != pixel(plain, 3, middle), qPrintable(where));
                    QVERIFY2(talvoro::contrastRatio(ring, fill) >= 3.0,
                             qPrintable(where + QStringLiteral(": %1").arg(talvoro::contrastRatio(ring, fill))));
                }
            }
        }
    }
};

QTEST_MAIN(ActionButtonTest)
#include "tst_ActionButton.moc"
