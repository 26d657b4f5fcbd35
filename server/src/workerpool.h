// Fixed set of worker threads running request jobs; each thread keeps its own database
// connections for its whole life. Lane threads take only quick jobs, so that a few long
// requests cannot hold every thread.
#ifndef TESSEL_SERVER_WORKERPOOL_H
#define TESSEL_SERVER_WORKERPOOL_H

#include "database.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <pthread.h>
#include <unordered_map>
#include <vector>

namespace tessel::server {

class WorkerPool
{
public:
    /// Runs a job; `onLane` when a lane thread runs it. Returns false when it must run again
    /// on a general thread (it passed the lane's limit and kept nothing).
    using Job = std::function<bool(ConnectionCache& connections, bool onLane)>;

    /// `threads` general threads and `laneThreads` lane threads, each with a stack of
    /// kWorkerStackBytes.
    WorkerPool(DatabaseSet& databases, int threads, int laneThreads = 0, int shortMs = 500);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    /// Queues a job (`quick`: a lane thread may take it) of `owner` (a connection); false once
    /// the pool is stopping. A thread takes the first queued job whose owner has none running,
    /// so one owner's flood of requests does not hold up the others. An owner that runs a long
    /// job on a general thread (one that has run for `shortMs`, or came back from the lane)
    /// gets no more than maxPerOwner() general threads, so that its slow statements cannot
    /// hold every general thread while other owners' writes wait; while its jobs are all
    /// young they may use every thread.
    bool submit(Job job, bool quick = false, quint64 owner = 0);
    /// Jobs queued or running.
    int pending() const;
    int threadCount() const { return int(m_threads.size()); }
    /// General threads one owner may hold at once: half of them, at least one.
    int maxPerOwner() const { return m_maxPerOwner; }
    /// Waits until no job is queued or running; false when `timeoutMs` passed first.
    bool waitIdle(int timeoutMs);
    /// Refuses new jobs, drops the queued ones, lets the running ones end and joins the threads
    /// (their connections close as they exit). Returns the number of dropped jobs.
    int stop();

private:
    using Clock = std::chrono::steady_clock;
    struct Entry
    {
        Job job;
        bool quick;
        quint64 owner;
        bool provenLong = false;  ///< came back from the lane
    };
    /// Whether `owner` runs a long job on a general thread (the lock held).
    bool runsLongJob(quint64 owner) const;
    struct Start;
    static void* threadMain(void* start);
    void run(int number, bool lane);
    /// The queued job a thread of that kind may take next, or end().
    std::deque<Entry>::iterator nextFor(bool lane);

    DatabaseSet& m_databases;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Entry> m_queue;
    std::unordered_map<quint64, int> m_runningBy;  ///< jobs running per owner
    /// Of those, the start of each job on a general thread (a long one's: Clock's minimum).
    std::unordered_map<quint64, std::vector<Clock::time_point>> m_generalBy;
    int m_maxPerOwner = 1;
    Clock::duration m_short;
    int m_running = 0;
    bool m_stopping = false;
    std::vector<pthread_t> m_threads;
};

}  // namespace tessel::server

#endif
