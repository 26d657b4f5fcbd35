#include "CLS_CommonHandle.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QVector>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

namespace {

struct Tracked
{
    static std::atomic<int> alive;
    int value;
    explicit Tracked(int _iValue) : value(_iValue) { ++alive; }
    ~Tracked() { --alive; }
};
std::atomic<int> Tracked::alive{0};

void pumpFor(int _iMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < _iMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

class Emitter : public QObject
{
    Q_OBJECT
signals:
    void changed(QVector<Tracked*>* _pItems);
};

}  // namespace

TEST(DeferredDeletion, DeletesAfterTheDelayAndNotBefore)
{
    CLS_CommonHandle* pHandle = CLS_CommonHandle::GetInstance();
    ASSERT_EQ(pHandle, CLS_CommonHandle::GetInstance());
    Tracked::alive = 0;
    pHandle->deletePtrLater(new Tracked(1), 300);
    pumpFor(100);
    EXPECT_EQ(Tracked::alive, 1) << "deleted before its delay ran out";
    pumpFor(400);
    EXPECT_EQ(Tracked::alive, 0);
    EXPECT_EQ(pHandle->PendingCount(), 0);
}

TEST(DeferredDeletion, ItemsStayReadableWhileASignalIsHandled)
{
    Tracked::alive = 0;
    Emitter emitter;
    int seen = 0;
    QObject::connect(&emitter, &Emitter::changed, [&seen](QVector<Tracked*>* _pItems) {
        pumpFor(50);  // a receiver that spins the loop while it reads
        for (Tracked* pItem : *_pItems) {
            seen += pItem->value;
        }
    });
    // The delay is far longer than the receiver's 50 ms, also on a loaded machine.
    auto* pItems = new QVector<Tracked*>{new Tracked(2), new Tracked(3)};
    for (Tracked* pItem : *pItems) {
        CLS_CommonHandle::GetInstance()->deletePtrLater(pItem, 1000);
    }
    CLS_CommonHandle::GetInstance()->deletePtrLater(pItems, 1000);
    emit emitter.changed(pItems);
    EXPECT_EQ(seen, 5);
    pumpFor(1300);
    EXPECT_EQ(Tracked::alive, 0);
}

TEST(DeferredDeletion, CallsFromOtherThreadsRunOnTheHandlesThread)
{
    Tracked::alive = 0;
    std::thread worker([] {
        for (int i = 0; i < 100; ++i) {
            CLS_CommonHandle::GetInstance()->deletePtrLater(new Tracked(i), 20);
        }
    });
    worker.join();
    EXPECT_EQ(Tracked::alive, 100);
    pumpFor(300);
    EXPECT_EQ(Tracked::alive, 0);
}

TEST(DeferredDeletion, FlushDeletesEverythingStillWaiting)
{
    Tracked::alive = 0;
    CLS_CommonHandle::GetInstance()->deletePtrLater(new Tracked(1), 60000);
    CLS_CommonHandle::GetInstance()->deletePtrLater<Tracked>(nullptr, 10);
    EXPECT_EQ(CLS_CommonHandle::GetInstance()->PendingCount(), 1);
    CLS_CommonHandle::GetInstance()->FlushPending();
    EXPECT_EQ(Tracked::alive, 0);
    // The timer of the flushed entry still fires later and must find nothing to do.
    pumpFor(20);
    EXPECT_EQ(CLS_CommonHandle::GetInstance()->PendingCount(), 0);
}

#include "DeferredDeletionTest.moc"
