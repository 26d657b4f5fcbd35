// The console's one mediator and the thread its blocking calls run on. The window posts work
// with call(); the work runs on the session's thread and its result comes back to the window's
// thread as a queued call, so no library call ever blocks the window.
#ifndef TESSEL_CONSOLE_CONSOLESESSION_H
#define TESSEL_CONSOLE_CONSOLESESSION_H

#include "ItemSnapshot.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>
#include <memory>
#include <type_traits>

class I_DataMediator;

namespace console {

class ItemTreeModel;

class ConsoleSession : public QObject
{
    Q_OBJECT
public:
    /// With _pMediator the session works with a mediator its caller made (and connected) and
    /// keeps; without, it makes its own with CreateMediator and releases it, with the tree items
    /// the mediator leaves to its client, when it ends.
    explicit ConsoleSession(I_DataMediator* _pMediator = nullptr, QObject* _pParent = nullptr);
    /// Waits for the work already posted, then stops the thread.
    ~ConsoleSession() override;

    /// Runs _work(mediator) on the session's thread, then _done(result) on _pContext's thread
    /// unless _pContext is gone by then.
    template <class Work, class Done>
    void call(QObject* _pContext, Work _work, Done _done)
    {
        QPointer<QObject> pContext(_pContext);
        I_DataMediator* pMediator = m_pMediator;
        QMetaObject::invokeMethod(
            m_pWorker,
            [pContext, pMediator, _work, _done] {
                auto result = _work(*pMediator);
                if (pContext) {
                    QMetaObject::invokeMethod(
                        pContext.data(), [pContext, _done, result] { _done(result); }, Qt::QueuedConnection);
                }
            },
            Qt::QueuedConnection);
    }
    /// The same for work without a result.
    void post(std::function<void(I_DataMediator&)> _work);

    /// Feeds the models from the mediator's change signals: each signal's items are copied while
    /// it is emitted (whatever thread emits it) and applied on the models' thread.
    void attachModels(ItemTreeModel* _pResource, ItemTreeModel* _pCustom, ItemTreeModel* _pFlow);

    /// The mediator, for connecting to its signals. Its operations belong on the session's thread.
    I_DataMediator& mediator() { return *m_pMediator; }
    QThread* thread() { return &m_thread; }
    /// Whether the last database status reported was "opened" (true until one says otherwise).
    /// Some reads answer a lost connection with an empty success; the panes check this then.
    bool online() const { return m_iLastStatus == 1; }

signals:
    /// The database status as reported by the library (1 opened, 2 lost), on the window's thread.
    void databaseStatusChanged(int _iStatus);

private:
    void forward(ItemTreeModel* _pModel, TreeKind _kind, int _iOperation,
                 const QVector<STRCT_VideoItem*>& _vecItems);

    I_DataMediator* m_pMediator = nullptr;
    bool m_bOwnsMediator = false;
    int m_iLastStatus = 1;
    QThread m_thread;
    QObject* m_pWorker = nullptr;  // lives on m_thread
    QObject* m_pFeed = nullptr;    // context of the direct connections
};

}  // namespace console

#endif  // TESSEL_CONSOLE_CONSOLESESSION_H
