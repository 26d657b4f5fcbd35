#include "ConsoleSession.h"
#include "Panes.h"

#include <I_DataMediator.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
#include <QVBoxLayout>

namespace console {

QString codeMeaning(int _iCode)
{
    switch (_iCode) {
        case 0:
            return DatabasesPane::tr("done");
        case -1:
            return DatabasesPane::tr("not connected, or the server refused the request");
        case -1001:
            return DatabasesPane::tr("no open channel to the server");
        case -1002:
            return DatabasesPane::tr("no answer within the wait");
        case -1003:
            return DatabasesPane::tr("the connection closed during the request");
        case -1004:
            return DatabasesPane::tr("the request could not be sent");
        case -1005:
            return DatabasesPane::tr("the client is shutting down");
        default:
            return _iCode < 0 ? DatabasesPane::tr("failed")
                              : DatabasesPane::tr("the server answered %1").arg(_iCode);
    }
}

namespace {

// Per-database codes of an upload.
QString uploadMeaning(int _iCode)
{
    switch (_iCode) {
        case 0:
            return DatabasesPane::tr("replaced");
        case -1:
            return DatabasesPane::tr("not a database name of the server");
        case -2:
            return DatabasesPane::tr("not Base64 text");
        case -3:
            return DatabasesPane::tr("not a usable database of that kind");
        case -4:
            return DatabasesPane::tr("valid, but not replaced: the database stayed busy");
        default:
            return DatabasesPane::tr("code %1").arg(_iCode);
    }
}

QStringList perDatabase(const QMap<QString, bool>& _mapResults)
{
    QStringList lst;
    for (auto it = _mapResults.cbegin(); it != _mapResults.cend(); ++it) {
        lst << DatabasesPane::tr("%1: %2").arg(
            it.key(), it.value() ? DatabasesPane::tr("done") : DatabasesPane::tr("failed"));
    }
    return lst;
}

// A run whose every database came back done is 0; one that did not is -1 even when the request
// itself was answered.
int overall(int _iCode, const QMap<QString, bool>& _mapResults, int _iExpected)
{
    if (_iCode != 0) {
        return _iCode;
    }
    int iDone = 0;
    for (bool bDone : _mapResults) {
        iDone += bDone ? 1 : 0;
    }
    return iDone == _iExpected ? 0 : -1;
}

}  // namespace

const QStringList& DatabasesPane::databaseNames()
{
    static const QStringList s_lst = {QStringLiteral("Tessel"), QStringLiteral("Tessel-record"),
                                      QStringLiteral("Tessel-intelligent"),
                                      QStringLiteral("Tessel-passengerFlow")};
    return s_lst;
}

DatabasesPane::DatabasesPane(ConsoleSession& _session, QWidget* _pParent)
    : QWidget(_pParent), m_session(_session)
{
    m_confirm = [this](const QString& _strQuestion) {
        return QMessageBox::question(this, tr("Replace databases"), _strQuestion,
                                     QMessageBox::Yes | QMessageBox::Cancel,
                                     QMessageBox::Cancel) == QMessageBox::Yes;
    };

    auto* pWhich = new QGroupBox(tr("Databases"));
    auto* pWhichLayout = new QHBoxLayout(pWhich);
    for (const QString& strName : databaseNames()) {
        auto* pCheck = new QCheckBox(strName);
        pCheck->setChecked(true);
        m_lstChecks << pCheck;
        pWhichLayout->addWidget(pCheck);
    }
    pWhichLayout->addStretch();

    const auto button = [this](const QString& _strText, void (DatabasesPane::*_pSlot)()) {
        auto* pButton = new QPushButton(_strText);
        connect(pButton, &QPushButton::clicked, this, _pSlot);
        m_lstButtons << pButton;
        return pButton;
    };

    auto* pServer = new QGroupBox(tr("Backups on the server host"));
    auto* pServerForm = new QFormLayout(pServer);
    m_pBackupName =
        new QLineEdit(QStringLiteral("console-%1").arg(QDate::currentDate().toString("yyyyMMdd")));
    m_pBackupName->setToolTip(
        tr("A folder below the server's backup folder; empty restores fresh, empty "
           "databases"));
    auto* pServerRow = new QHBoxLayout();
    pServerRow->addWidget(m_pBackupName, 1);
    pServerRow->addWidget(button(tr("Back up"), &DatabasesPane::backup));
    pServerRow->addWidget(button(tr("Restore…"), &DatabasesPane::restore));
    pServerForm->addRow(tr("Backup name:"), pServerRow);

    auto* pLocal = new QGroupBox(tr("Copies on this computer"));
    auto* pLocalForm = new QFormLayout(pLocal);
    m_pFolder = new QLineEdit(QDir::homePath() + QStringLiteral("/tessel-databases"));
    auto* pBrowse = new QPushButton(tr("Browse…"));
    connect(pBrowse, &QPushButton::clicked, this, [this] {
        const QString strDir =
            QFileDialog::getExistingDirectory(this, tr("Folder of the copies"), m_pFolder->text());
        if (!strDir.isEmpty()) {
            m_pFolder->setText(strDir);
        }
    });
    auto* pLocalRow = new QHBoxLayout();
    pLocalRow->addWidget(m_pFolder, 1);
    pLocalRow->addWidget(pBrowse);
    pLocalRow->addWidget(button(tr("Download"), &DatabasesPane::download));
    pLocalRow->addWidget(button(tr("Upload…"), &DatabasesPane::upload));
    pLocalForm->addRow(tr("Folder (<name>.db):"), pLocalRow);

    m_pProgress = new QProgressBar();
    m_pProgress->setRange(0, 0);  // busy: the library gives no fraction of the work
    m_pProgress->setTextVisible(false);
    m_pProgress->hide();
    m_pElapsed = new QLabel();
    m_pClock = new QTimer(this);
    m_pClock->setInterval(200);
    connect(m_pClock, &QTimer::timeout, this, [this] {
        m_pElapsed->setText(tr("Running for %1 s").arg(m_running.elapsed() / 1000.0, 0, 'f', 1));
    });
    auto* pNote = new QLabel(
        tr("The server reports no progress of these operations: the bar shows that one is running and the "
           "clock for how long. The window stays usable meanwhile; one operation runs at a time."));
    pNote->setWordWrap(true);
    m_pResult = new QLabel();
    m_pResult->setWordWrap(true);
    m_pResult->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* pProgressRow = new QHBoxLayout();
    pProgressRow->addWidget(m_pProgress, 1);
    pProgressRow->addWidget(m_pElapsed);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pWhich);
    pLayout->addWidget(pServer);
    pLayout->addWidget(pLocal);
    pLayout->addWidget(pNote);
    pLayout->addLayout(pProgressRow);
    pLayout->addWidget(m_pResult);
    pLayout->addStretch();
}

void DatabasesPane::setSelected(const QStringList& _lstNames)
{
    for (QCheckBox* pCheck : qAsConst(m_lstChecks)) {
        pCheck->setChecked(_lstNames.contains(pCheck->text()));
    }
}

QStringList DatabasesPane::selected() const
{
    QStringList lst;
    for (const QCheckBox* pCheck : m_lstChecks) {
        if (pCheck->isChecked()) {
            lst << pCheck->text();
        }
    }
    return lst;
}

bool DatabasesPane::start(const QString& _strOperation)
{
    if (m_bBusy) {
        return false;  // the buttons are disabled meanwhile; a direct call is turned away
    }
    if (selected().isEmpty()) {
        m_pResult->setText(tr("%1: no database is ticked").arg(_strOperation));
        return false;
    }
    m_bBusy = true;
    for (QPushButton* pButton : qAsConst(m_lstButtons)) {
        pButton->setEnabled(false);
    }
    m_running.start();
    m_pElapsed->setText(tr("Running for 0.0 s"));
    m_pProgress->show();
    m_pClock->start();
    m_pResult->setText(tr("%1 of %2 running…").arg(_strOperation, selected().join(QStringLiteral(", "))));
    m_pResult->setStyleSheet(QString());
    return true;
}

void DatabasesPane::end(const QString& _strOperation, const Outcome& _outcome)
{
    m_bBusy = false;
    m_pClock->stop();
    m_pProgress->hide();
    for (QPushButton* pButton : qAsConst(m_lstButtons)) {
        pButton->setEnabled(true);
    }
    const QString strTime = tr("%1 s").arg(m_running.elapsed() / 1000.0, 0, 'f', 1);
    m_pElapsed->setText(tr("Took %1").arg(strTime));
    QString strText = tr("%1 ended with %2 (%3) after %4")
                          .arg(_strOperation)
                          .arg(_outcome.iCode)
                          .arg(codeMeaning(_outcome.iCode), strTime);
    if (!_outcome.lstDetails.isEmpty()) {
        strText += QStringLiteral("\n") + _outcome.lstDetails.join(QLatin1Char('\n'));
    }
    m_pResult->setText(strText);
    m_pResult->setStyleSheet(_outcome.iCode == 0 ? QString() : QStringLiteral("color: #b71c1c"));
    emit finished(_strOperation, _outcome.iCode);
}

template <class Work>
void DatabasesPane::run(const QString& _strOperation, Work _work)
{
    m_session.call(this, _work,
                   [this, _strOperation](const Outcome& _outcome) { end(_strOperation, _outcome); });
}

void DatabasesPane::backup()
{
    const QString strOperation = tr("Backup");
    if (!start(strOperation)) {
        return;
    }
    const QString strName = m_pBackupName->text().trimmed();
    const QStringList lstNames = selected();
    run(strOperation, [strName, lstNames](I_DataMediator& _m) {
        Outcome outcome;
        QMap<QString, bool> mapResults;
        outcome.iCode =
            overall(_m.BackupDatabase(strName, lstNames, mapResults), mapResults, lstNames.size());
        outcome.lstDetails = perDatabase(mapResults);
        return outcome;
    });
}

void DatabasesPane::restore()
{
    const QString strOperation = tr("Restore");
    const QString strName = m_pBackupName->text().trimmed();
    const QStringList lstNames = selected();
    if (m_bBusy || lstNames.isEmpty()) {
        start(strOperation);  // says why
        return;
    }
    const QString strQuestion =
        strName.isEmpty()
            ? tr("Replace %1 on the server by fresh, empty databases? Everything stored in them is lost.")
                  .arg(lstNames.join(QStringLiteral(", ")))
            : tr("Replace %1 on the server by the backup \"%2\"? What was written since that backup is lost.")
                  .arg(lstNames.join(QStringLiteral(", ")), strName);
    if (!m_confirm(strQuestion)) {
        m_pResult->setText(tr("Restore cancelled; nothing was changed"));
        return;
    }
    start(strOperation);
    run(strOperation, [strName, lstNames](I_DataMediator& _m) {
        Outcome outcome;
        QMap<QString, bool> mapResults;
        QString strPath = strName;
        constexpr int kRunningRequestsS = 30;  // the time the requests still running get to end
        outcome.iCode = overall(_m.RestoreDatabase(strPath, lstNames, mapResults, kRunningRequestsS),
                                mapResults, lstNames.size());
        outcome.lstDetails = perDatabase(mapResults);
        return outcome;
    });
}

void DatabasesPane::download()
{
    const QString strOperation = tr("Download");
    if (!start(strOperation)) {
        return;
    }
    const QString strFolder = m_pFolder->text().trimmed();
    const QStringList lstNames = selected();
    run(strOperation,
        [strFolder, lstNames](I_DataMediator& _m) {
            Outcome outcome;
            QMap<QString, QVariant> mapData;
            outcome.iCode = _m.DownLoadDB(mapData);
            if (outcome.iCode != 0) {
                return outcome;
            }
            if (!QDir().mkpath(strFolder)) {
                outcome.iCode = -1;
                outcome.lstDetails << tr("%1 could not be made").arg(strFolder);
                return outcome;
            }
            for (const QString& strName : lstNames) {
                const QByteArray baFile =
                    QByteArray::fromBase64(mapData.value(strName).toString().toLatin1());
                QSaveFile file(strFolder + QLatin1Char('/') + strName + QStringLiteral(".db"));
                if (!mapData.contains(strName) || baFile.isEmpty()) {
                    outcome.iCode = -1;
                    outcome.lstDetails << tr("%1: not in the server's answer").arg(strName);
                } else if (!file.open(QIODevice::WriteOnly) || file.write(baFile) != baFile.size() ||
                           !file.commit()) {
                    outcome.iCode = -1;
                    outcome.lstDetails << tr("%1: %2 could not be written: %3")
                                              .arg(strName, file.fileName(), file.errorString());
                } else {
                    outcome.lstDetails
                        << tr("%1: %2 bytes to %3").arg(strName).arg(baFile.size()).arg(file.fileName());
                }
            }
            return outcome;
        });
}

void DatabasesPane::upload()
{
    const QString strOperation = tr("Upload");
    const QString strFolder = m_pFolder->text().trimmed();
    const QStringList lstNames = selected();
    if (m_bBusy || lstNames.isEmpty()) {
        start(strOperation);  // says why
        return;
    }
    // The files are read here, before anything is asked or sent: a missing one stops the upload.
    QMap<QString, QVariant> mapData;
    for (const QString& strName : lstNames) {
        QFile file(strFolder + QLatin1Char('/') + strName + QStringLiteral(".db"));
        if (!file.open(QIODevice::ReadOnly)) {
            m_pResult->setText(tr("Upload: %1 cannot be read (%2); nothing was sent")
                                   .arg(file.fileName(), file.errorString()));
            return;
        }
        mapData.insert(strName, QString::fromLatin1(file.readAll().toBase64()));
    }
    if (!m_confirm(tr("Replace %1 on the server by the files in %2?")
                       .arg(lstNames.join(QStringLiteral(", ")), strFolder))) {
        m_pResult->setText(tr("Upload cancelled; nothing was changed"));
        return;
    }
    start(strOperation);
    run(strOperation, [mapData](I_DataMediator& _m) {
        Outcome outcome;
        QMap<QString, QVariant> mapSent = mapData;
        QMap<QString, int> mapResults;
        outcome.iCode = _m.UploadDB(mapSent, mapResults);
        for (auto it = mapResults.cbegin(); it != mapResults.cend(); ++it) {
            outcome.lstDetails
                << tr("%1: %2 (%3)").arg(it.key()).arg(it.value()).arg(uploadMeaning(it.value()));
            if (outcome.iCode == 0 && it.value() != 0) {
                outcome.iCode = it.value();
            }
        }
        if (outcome.iCode == 0 && mapResults.size() != mapData.size()) {
            outcome.iCode = -1;  // an answer that leaves a database out is no success
        }
        return outcome;
    });
}

}  // namespace console
