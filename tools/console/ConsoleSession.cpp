#include "ConsoleSession.h"

#include "ItemTreeModel.h"

#include <I_DataMediator.h>
#include <VideoItem.h>

namespace console {

ConsoleSession::ConsoleSession(I_DataMediator* _pMediator, QObject* _pParent)
    : QObject(_pParent), m_pMediator(_pMediator), m_bOwnsMediator(_pMediator == nullptr)
{
    if (m_pMediator == nullptr) {
        m_pMediator = CreateMediator();  // idle: no disk or network until InitData
    }
    m_thread.setObjectName(QStringLiteral("console-session"));
    m_pWorker = new QObject();
    m_pWorker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_pWorker, &QObject::deleteLater);
    m_pFeed = new QObject(this);
    // The status arrives on the channel's event thread; queued, it reaches the window's thread.
    connect(m_pMediator, &I_DataMediator::SignDBStatuaChange, this, &ConsoleSession::databaseStatusChanged,
            Qt::QueuedConnection);
    connect(this, &ConsoleSession::databaseStatusChanged, this,
            [this](int _iStatus) { m_iLastStatus = _iStatus; });
    m_thread.start();
}

ConsoleSession::~ConsoleSession()
{
    m_thread.quit();
    m_thread.wait();
    delete m_pFeed;  // no more copies are forwarded
    m_pFeed = nullptr;
    disconnect(m_pMediator, nullptr, this, nullptr);
    if (m_bOwnsMediator) {
        // The items the mediator still holds are its client's once it is gone; those it released
        // already are deleted by the deferred deletion.
        const QVector<STRCT_VideoItem*> vecItems = allTreeItems(*m_pMediator);
        DeleteMediator(m_pMediator);
        qDeleteAll(vecItems);
    }
}

void ConsoleSession::post(std::function<void(I_DataMediator&)> _work)
{
    I_DataMediator* pMediator = m_pMediator;
    QMetaObject::invokeMethod(
        m_pWorker, [pMediator, _work] { _work(*pMediator); }, Qt::QueuedConnection);
}

void ConsoleSession::forward(ItemTreeModel* _pModel, TreeKind _kind, int _iOperation,
                             const QVector<STRCT_VideoItem*>& _vecItems)
{
    TreeChange change;
    change.kind = _kind;
    change.iOperation = _iOperation;
    change.vecItems = snapshotsOf(_vecItems);
    QPointer<ItemTreeModel> pModel(_pModel);
    QMetaObject::invokeMethod(
        _pModel,
        [pModel, change] {
            if (pModel) {
                pModel->apply(change);
            }
        },
        Qt::QueuedConnection);
}

void ConsoleSession::attachModels(ItemTreeModel* _pResource, ItemTreeModel* _pCustom, ItemTreeModel* _pFlow)
{
    // Direct: the copy is taken inside the emission, while the items are certainly alive.
    if (_pResource != nullptr) {
        connect(
            m_pMediator, &I_DataMediator::SignResourceDataChangeCallback, m_pFeed,
            [this, _pResource](const QVector<STRCT_VideoItem*>* _pVec, OperationType _op, int, void*) {
                if (_pVec != nullptr) {
                    forward(_pResource, TreeKind::Resource, _op, *_pVec);
                }
            },
            Qt::DirectConnection);
    }
    if (_pCustom != nullptr) {
        connect(
            m_pMediator, &I_DataMediator::SignCustomTreeDataChangeCallback, m_pFeed,
            [this, _pCustom](QVector<STRCT_VideoItem*>& _vec, OperationType _op, int, void*) {
                forward(_pCustom, TreeKind::Custom, _op, _vec);
            },
            Qt::DirectConnection);
    }
    if (_pFlow != nullptr) {
        connect(
            m_pMediator, &I_DataMediator::SignPassengerFlowCustomTreeDataChangeCallback, m_pFeed,
            [this, _pFlow](QVector<STRCT_VideoItem*> _vec, OperationType _op, int, void*) {
                forward(_pFlow, TreeKind::PassengerFlow, _op, _vec);
            },
            Qt::DirectConnection);
    }
}

}  // namespace console
