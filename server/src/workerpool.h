// Fixed set of worker threads running request jobs; each thread keeps its own database
// connections for its whole life.
#ifndef TESSEL_SERVER_WORKERPOOL_H
#define TESSEL_SERVER_WORKERPOOL_H

#include "database.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tessel::server {

class WorkerPool
{
public:
    using Job = std::function<void(ConnectionCache& connections)>;

    WorkerPool(DatabaseSet& databases, int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    /// Queues a job; false once the pool is stopping.
    bool submit(Job job);
    /// Jobs queued or running.
    int pending() const;
    int threadCount() const { return int(m_threads.size()); }
    /// Waits until no job is queued or running; false when `timeoutMs` passed first.
    bool waitIdle(int timeoutMs);
    /// Refuses new jobs, drops the queued ones, lets the running ones end and joins the threads
    /// (their connections close as they exit). Returns the number of dropped jobs.
    int stop();

private:
    void run(int number);

    DatabaseSet& m_databases;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_queue;
    int m_running = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

}  // namespace tessel::server

#endif
