// Helpers the console tests share: waiting with the event loop running, reading a tree model
// back, and a mediator made as a client makes one, released as a client releases it.
#ifndef TESSEL_TESTS_CONSOLETESTSUPPORT_H
#define TESSEL_TESTS_CONSOLETESTSUPPORT_H

#include "ItemSnapshot.h"
#include "ItemTreeModel.h"

#include <I_DataMediator.h>
#include <VideoItem.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <functional>

namespace ctest {

/// Runs the event loop until _pred holds or _iMs pass; whether it holds.
inline bool waitUntil(const std::function<bool()>& _pred, int _iMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!_pred() && timer.elapsed() < _iMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return _pred();
}

/// The model's rows as "parentKey/key caption", depth first.
inline QStringList rowsOf(const QAbstractItemModel& _model, const QModelIndex& _parent = QModelIndex())
{
    QStringList lst;
    for (int i = 0; i < _model.rowCount(_parent); ++i) {
        const QModelIndex idx = _model.index(i, 0, _parent);
        const QString strParent =
            _parent.isValid() ? _parent.data(console::ItemTreeModel::KeyRole).toString() : "";
        lst << strParent + "/" + idx.data(console::ItemTreeModel::KeyRole).toString() + " " +
                   idx.data().toString();
        lst += rowsOf(_model, idx);
    }
    return lst;
}

/// The same rows from snapshots (parents before children), with top-level parents written empty.
inline QStringList rowsOf(const QVector<console::ItemSnapshot>& _vecItems)
{
    QStringList lst;
    for (const console::ItemSnapshot& snap : _vecItems) {
        const bool bTop =
            snap.strParentKey == console::kResourceRoot || snap.strParentKey == console::kCustomRoot;
        lst << (bTop ? QString() : snap.strParentKey) + "/" + snap.strKey + " " + snap.strCaption;
    }
    return lst;
}

/// A mediator from CreateMediator, logged in, with its trees loaded. At the end its remaining
/// items are freed after DeleteMediator, as the ownership rule gives them to the client.
class Station
{
public:
    Station(const QString& _strUser, const QString& _strPassword)
    {
        m_pMediator = CreateMediator();
        m_iLogin = m_pMediator->LoginUser(_strUser, _strPassword);
        m_iLoad = m_iLogin == 0 ? m_pMediator->InitTreeNodeData() : -100;
    }
    ~Station()
    {
        const QVector<STRCT_VideoItem*> vecItems = console::allTreeItems(*m_pMediator);
        DeleteMediator(m_pMediator);
        qDeleteAll(vecItems);
    }
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    I_DataMediator& operator*() { return *m_pMediator; }
    I_DataMediator* operator->() { return m_pMediator; }
    I_DataMediator* get() { return m_pMediator; }
    bool ready() const { return m_iLogin == 0 && m_iLoad == 0; }

private:
    I_DataMediator* m_pMediator = nullptr;
    int m_iLogin = -100;
    int m_iLoad = -100;
};

}  // namespace ctest

#endif  // TESSEL_TESTS_CONSOLETESTSUPPORT_H
