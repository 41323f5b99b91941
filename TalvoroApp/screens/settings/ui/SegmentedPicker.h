#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <utility>
#include <vector>

class QButtonGroup;
class QHBoxLayout;

namespace talvoro::settings {

// A row of exclusive segments, each tagged with a value. Setting the options
// or the current tag from code emits nothing; tagActivated() reports the
// user's own picks only. The chosen segment is filled in the accent (the
// palette's highlight until setAccent), its caption in the colour that reads
// on it.
class SegmentedPicker : public QWidget
{
    Q_OBJECT
public:
    // (tag, caption) pairs, in the order shown.
    using Options = std::vector<std::pair<QString, QString>>;

    explicit SegmentedPicker(QWidget *parent = nullptr);

    void setOptions(const Options &options);
    QStringList tags() const;
    // Checks the segment of `tag`; no segment is checked when none has it.
    void setCurrentTag(const QString &tag);
    QString currentTag() const;
    void setAccent(const QColor &accent);

Q_SIGNALS:
    void tagActivated(const QString &tag);

protected:
    void changeEvent(QEvent *event) override;

private:
    void restyle();

    QColor m_accent;
    QHBoxLayout *m_layout;
    QButtonGroup *m_group;
};

} // namespace talvoro::settings
