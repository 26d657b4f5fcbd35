#include "workerpool.h"

#include "logging.h"

#include <chrono>
#include <pthread.h>

namespace tessel::server {

WorkerPool::WorkerPool(DatabaseSet& databases, int threads) : m_databases(databases)
{
    m_threads.reserve(size_t(threads));
    for (int i = 0; i < threads; ++i) {
        m_threads.emplace_back([this, i] { run(i); });
    }
}

WorkerPool::~WorkerPool()
{
    stop();
}

bool WorkerPool::submit(Job job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping) {
            return false;
        }
        m_queue.push_back(std::move(job));
    }
    m_wake.notify_one();
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
    std::deque<Job> dropped;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping && m_threads.empty()) {
            return 0;
        }
        m_stopping = true;
        dropped.swap(m_queue);
    }
    m_wake.notify_all();
    for (std::thread& t : m_threads) {
        if (t.joinable()) {
            t.join();
        }
    }
    m_threads.clear();
    return int(dropped.size());
}

void WorkerPool::run(int number)
{
    const std::string name = "tessel-work-" + std::to_string(number);
    pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
    ConnectionCache connections(m_databases);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty()) {
            return;  // stopping
        }
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        ++m_running;
        lock.unlock();
        try {
            job(connections);
        } catch (const std::exception& e) {
            qCWarning(lcServer, "worker %d: job failed: %s", number, e.what());
        } catch (...) {
            qCWarning(lcServer, "worker %d: job failed", number);
        }
        job = nullptr;
        lock.lock();
        if (--m_running == 0 && m_queue.empty()) {
            m_idle.notify_all();
        }
    }
}

}  // namespace tessel::server
