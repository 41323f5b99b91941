#pragma once

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QSet>
#include <QStandardPaths>
#include <QTest>

// The file dialog of that name under `owner` once it shows, or null.
inline QFileDialog *shownFileDialog(QWidget *owner, const QString &objectName)
{
    QFileDialog *dialog = nullptr;
    (void)QTest::qWaitFor([&] {
        dialog = owner->findChild<QFileDialog *>(objectName);
        return dialog && dialog->isVisible();
    }, 10000);
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

// Whether the dialog opened in the user's folder of that kind or, where there
// is none, at home: not in the folder the process was started from.
inline bool opensInUserFolder(const QFileDialog *dialog, QStandardPaths::StandardLocation location)
{
    const QString start = dialog->directory().absolutePath();
    return start == QDir(QStandardPaths::writableLocation(location)).absolutePath() || start == QDir::homePath();
}

// Answers Qt's own file dialog (the one a desktop without a platform theme
// gets) as a user would: absolute paths typed into its field (quoted when
// several), then Return once the dialog, which reads folders in the
// background, shows them chosen. False for a dialog without that field.
inline bool typeIntoFileDialog(QFileDialog *dialog, const QStringList &paths)
{
    auto *field = dialog ? dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")) : nullptr;
    if (!field || !field->isVisible())
        return false;
    // The dialog follows the typed text only while the field has the keyboard.
    dialog->activateWindow();
    if (!QTest::qWaitForWindowActive(dialog))
        return false;
    field->setFocus();
    if (!QTest::qWaitFor([&] { return field->hasFocus(); }, 5000))
        return false;
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier); // over a suggested name
    QTest::keyClicks(field, paths.size() == 1 ? paths.constFirst()
                                              : u'"' + paths.join(QStringLiteral("\" \"")) + u'"');
    const QSet<QString> wanted(paths.cbegin(), paths.cend());
    (void)QTest::qWaitFor([&] {
        const QStringList chosen = dialog->selectedFiles();
        return QSet<QString>(chosen.cbegin(), chosen.cend()) == wanted;
    }, 10000);
    QTest::keyClick(field, Qt::Key_Return);
    return true;
}
