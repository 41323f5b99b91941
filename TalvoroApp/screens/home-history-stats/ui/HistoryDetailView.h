#pragma once

#include "navigation/AppEnvironment.h"
#include "platform/LiveRecord.h"
#include "transcription/TranscriptionRecord.h"

#include <QWidget>

class QLabel;
class QMenu;
class QStackedLayout;
class UserDefaultsProviding;
class UrlOpener;

namespace talvoro::ui {
class StyledLabel;
}
namespace talvoro::settings {
class CapsuleButton;
class CopyButton;
}

// The page of one transcription: the header card (date, time, words,
// language, copy and share) and the full text, selectable. It draws the
// record it is given; HistoryRecordScreen keeps it current.
class HistoryDetailView : public QWidget
{
    Q_OBJECT
public:
    HistoryDetailView(const TranscriptionRecord &record, UserDefaultsProviding &defaults, UrlOpener *urlOpener,
                      QWidget *parent = nullptr);

    const TranscriptionRecord &record() const { return m_record; }
    void setRecord(const TranscriptionRecord &record);

    talvoro::settings::CopyButton *copyButton() const { return m_copy; }
    // The share menu's two actions.
    QUrl mailURL() const;
    bool saveAsTextFile(const QString &path) const;
    // "Salvar como Arquivo de Texto…": a save dialog ("textFilePicker") in
    // the documents folder (home without one); a failed write is an alert.
    void openTextFileDialog();

private:
    QWidget *buildHeaderCard(UserDefaultsProviding &defaults);
    QWidget *buildTextCard();
    void showShareMenu();

    TranscriptionRecord m_record;
    UrlOpener *m_urlOpener;
    talvoro::ui::StyledLabel *m_dateTitle = nullptr;
    talvoro::ui::StyledLabel *m_metaLine = nullptr;
    QLabel *m_text = nullptr;
    talvoro::settings::CopyButton *m_copy = nullptr;
    talvoro::settings::CapsuleButton *m_share = nullptr;
};

// The destination of a HistoryDetailRoute: the record's page while the
// record is in the store, following its changes; "Registro não encontrado"
// once it is not (also when it goes while the page is shown).
class HistoryRecordScreen : public QWidget
{
    Q_OBJECT
public:
    HistoryRecordScreen(const AppEnvironment &environment, const QUuid &id, QWidget *parent = nullptr);

    HistoryDetailView *detailView() const { return m_detail; }
    bool showsNotFound() const { return !m_detail; }

private:
    void refresh();

    const AppEnvironment &m_environment;
    LiveRecord<TranscriptionRecord> *m_record = nullptr;
    QStackedLayout *m_stack;
    HistoryDetailView *m_detail = nullptr;
    QWidget *m_notFound = nullptr;
};
