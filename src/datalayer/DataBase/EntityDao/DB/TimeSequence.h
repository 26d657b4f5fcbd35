// Numbers the records stored within one time text (a second): 0 for the first, then 1, 2, ...
#ifndef TIMESEQUENCE_H
#define TIMESEQUENCE_H

#include <QString>

#include <mutex>

class TimeSequence
{
public:
    /// The next number for a record of _strTime; any thread may call it.
    qint32 Next(const QString& _strTime)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_iLast = _strTime == m_strLastTime ? m_iLast + 1 : 0;
        m_strLastTime = _strTime;
        return m_iLast;
    }

private:
    std::mutex m_mutex;
    QString m_strLastTime;
    qint32 m_iLast = 0;
};

#endif  // TIMESEQUENCE_H
