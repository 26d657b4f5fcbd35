#include "workerpool.h"

#include "logging.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string>

namespace tessel::server {

struct WorkerPool::Start
{
    WorkerPool* pool;
    int number;
    bool lane;
};

WorkerPool::WorkerPool(DatabaseSet& databases, int threads, int laneThreads, int shortMs)
    : m_databases(databases), m_maxPerOwner(std::max(1, threads / 2)), m_short(std::chrono::milliseconds(shortMs))
{
    // The stack is set explicitly: the default of std::thread (8 MiB, less under some limits)
    // is not what SQLite's recursion was measured against.
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kWorkerStackBytes);
    for (int i = 0; i < threads + laneThreads; ++i) {
        auto* start = new Start{this, i, i >= threads};
        pthread_t thread;
        const int rc = pthread_create(&thread, &attributes, &WorkerPool::threadMain, start);
        if (rc != 0) {
            delete start;
            pthread_attr_destroy(&attributes);
            stop();
            throw std::runtime_error(std::string("starting a worker thread: ") + std::strerror(rc));
        }
        m_threads.push_back(thread);
    }
    pthread_attr_destroy(&attributes);
}

WorkerPool::~WorkerPool()
{
    stop();
}

void* WorkerPool::threadMain(void* arg)
{
    const Start start = *static_cast<Start*>(arg);
    delete static_cast<Start*>(arg);
    start.pool->run(start.number, start.lane);
    return nullptr;
}

bool WorkerPool::submit(Job job, bool quick, quint64 owner)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping) {
            return false;
        }
        m_queue.push_back(Entry{std::move(job), quick, owner});
    }
    m_wake.notify_all();  // a lane thread may be the only one that can take it
    return true;
}

int WorkerPool::pending() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_queue.size()) + m_running;
}

bool WorkerPool::waitIdle(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return m_queue.empty() && m_running == 0; });
}

int WorkerPool::stop()
{
    std::deque<Entry> dropped;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping && m_threads.empty()) {
            return 0;
        }
        m_stopping = true;
        dropped.swap(m_queue);
    }
    m_wake.notify_all();
    for (pthread_t thread : m_threads) {
        pthread_join(thread, nullptr);
    }
    m_threads.clear();
    return int(dropped.size());
}

bool WorkerPool::runsLongJob(quint64 owner) const
{
    const auto general = m_generalBy.find(owner);
    if (general == m_generalBy.end()) {
        return false;
    }
    const Clock::time_point youngSince = Clock::now() - m_short;
    return std::any_of(general->second.begin(), general->second.end(),
                       [youngSince](Clock::time_point start) { return start <= youngSince; });
}

std::deque<WorkerPool::Entry>::iterator WorkerPool::nextFor(bool lane)
{
    auto first = m_queue.end();
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
        if (lane && !it->quick) {
            continue;
        }
        if (!lane) {
            const auto general = m_generalBy.find(it->owner);
            if (general != m_generalBy.end() && int(general->second.size()) >= m_maxPerOwner &&
                runsLongJob(it->owner)) {
                continue;  // waits for one of its own jobs to end
            }
        }
        const auto running = m_runningBy.find(it->owner);
        if (running == m_runningBy.end() || running->second == 0) {
            return it;  // an owner with nothing running goes first
        }
        if (first == m_queue.end()) {
            first = it;
        }
    }
    return first;
}

void WorkerPool::run(int number, bool lane)
{
    const std::string name = (lane ? "tessel-lane-" : "tessel-work-") + std::to_string(number);
    pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
    ConnectionCache connections(m_databases);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this, lane] { return m_stopping || nextFor(lane) != m_queue.end(); });
        if (m_stopping) {
            return;  // the queue was dropped
        }
        const auto it = nextFor(lane);
        Job job = std::move(it->job);
        const quint64 owner = it->owner;
        const Clock::time_point start = it->provenLong ? Clock::time_point::min() : Clock::now();
        m_queue.erase(it);
        ++m_running;
        ++m_runningBy[owner];
        if (!lane) {
            m_generalBy[owner].push_back(start);
        }
        lock.unlock();
        bool done = true;
        try {
            done = job(connections, lane);
        } catch (const std::exception& e) {
            qCWarning(lcServer, "worker %d: job failed: %s", number, e.what());
        } catch (...) {
            qCWarning(lcServer, "worker %d: job failed", number);
        }
        if (done) {
            job = nullptr;
        }
        lock.lock();
        if (--m_runningBy[owner] == 0) {
            m_runningBy.erase(owner);
        }
        if (!lane) {
            std::vector<Clock::time_point>& starts = m_generalBy[owner];
            starts.erase(std::find(starts.begin(), starts.end(), start));
            if (starts.empty()) {
                m_generalBy.erase(owner);
            }
        }
        if (!m_queue.empty()) {
            m_wake.notify_all();  // a job that ended may let a waiting job of its owner go
        }
        if (!done && !m_stopping) {
            m_queue.push_front(Entry{std::move(job), false, owner, true});  // first in line for a general thread
            m_wake.notify_all();
        }
        job = nullptr;
        if (--m_running == 0 && m_queue.empty()) {
            m_idle.notify_all();
        }
    }
}

}  // namespace tessel::server
