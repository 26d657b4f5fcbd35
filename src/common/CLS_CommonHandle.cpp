#include "CLS_CommonHandle.h"

#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <vector>

// Owns the handle for the process: its destructor, run at process end, deletes whatever is
// still waiting. The QObject itself is left alone then, since its thread may be gone.
struct CommonHandleOwner
{
    CLS_CommonHandle* m_pHandle = nullptr;
    ~CommonHandleOwner()
    {
        if (m_pHandle != nullptr) {
            m_pHandle->FlushPending();
        }
    }
};

static CommonHandleOwner s_owner;
static std::once_flag s_onceCreate;

CLS_CommonHandle* CLS_CommonHandle::GetInstance()
{
    std::call_once(s_onceCreate, [] { s_owner.m_pHandle = new CLS_CommonHandle(); });
    return s_owner.m_pHandle;
}

CLS_CommonHandle::CLS_CommonHandle() = default;

CLS_CommonHandle::~CLS_CommonHandle()
{
    FlushPending();
}

void CLS_CommonHandle::schedule(std::function<void()> _deleter, int _iDelayMs)
{
    quint64 uiId = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        uiId = m_uiNextId++;
        m_mapPending.emplace(uiId, std::move(_deleter));
    }
    const int iDelay = _iDelayMs < 0 ? 0 : _iDelayMs;
    // The timer must be started on the handle's thread; a queued call gets it there.
    QMetaObject::invokeMethod(
        this, [this, uiId, iDelay] { QTimer::singleShot(iDelay, this, [this, uiId] { runOne(uiId); }); },
        QThread::currentThread() == thread() ? Qt::DirectConnection : Qt::QueuedConnection);
}

void CLS_CommonHandle::runOne(quint64 _uiId)
{
    std::function<void()> deleter;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_mapPending.find(_uiId);
        if (it == m_mapPending.end()) {
            return;  // already flushed
        }
        deleter = std::move(it->second);
        m_mapPending.erase(it);
    }
    deleter();
}

int CLS_CommonHandle::PendingCount()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_mapPending.size());
}

void CLS_CommonHandle::FlushPending()
{
    std::map<quint64, std::function<void()>> pending;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        pending.swap(m_mapPending);
    }
    for (auto& entry : pending) {
        entry.second();
    }
}
