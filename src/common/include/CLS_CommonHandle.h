// Common library: services shared by the client's components.
#ifndef CLS_COMMONHANDLE_H
#define CLS_COMMONHANDLE_H

#include <QObject>

#include <functional>
#include <map>
#include <mutex>

#if defined(_WIN32)
#if defined(VIREOCOMMON_BUILD)
#define VIREOCOMMON_EXPORT __declspec(dllexport)
#else
#define VIREOCOMMON_EXPORT __declspec(dllimport)
#endif
#else
#define VIREOCOMMON_EXPORT __attribute__((visibility("default")))
#endif

/// Deferred deletion of objects that other components may still be reading (items handed out
/// with a change signal, for example).
///
/// The handle lives on the thread that first calls GetInstance(); deletions run on that thread's
/// event loop once their delay has passed. Whatever is still pending when the process ends (or
/// when FlushPending() is called) is deleted then, so nothing leaks.
class VIREOCOMMON_EXPORT CLS_CommonHandle : public QObject
{
    Q_OBJECT
public:
    /// The process-wide handle; created on first call, never destroyed before process end.
    static CLS_CommonHandle* GetInstance();

    /// Deletes _pObject (with `delete`) after _iDelayMs milliseconds, on the handle's thread.
    /// Null is ignored. Safe to call from any thread.
    template <class T>
    void deletePtrLater(T* _pObject, int _iDelayMs)
    {
        if (_pObject == nullptr) {
            return;
        }
        schedule([_pObject] { delete _pObject; }, _iDelayMs);
    }

    /// Number of deletions still waiting.
    int PendingCount();

    /// Runs every waiting deletion now, on the calling thread.
    void FlushPending();

private:
    CLS_CommonHandle();
    ~CLS_CommonHandle() override;
    void schedule(std::function<void()> _deleter, int _iDelayMs);
    void runOne(quint64 _uiId);

    std::mutex m_mutex;
    quint64 m_uiNextId = 1;
    std::map<quint64, std::function<void()>> m_mapPending;

    friend struct CommonHandleOwner;
};

#endif  // CLS_COMMONHANDLE_H
