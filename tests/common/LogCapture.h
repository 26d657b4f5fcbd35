// Captures the lines sent through the toolkit's logging hook for the lifetime of the object.
#ifndef TESSEL_TESTS_LOGCAPTURE_H
#define TESSEL_TESTS_LOGCAPTURE_H

#include "ToolKits.h"

#include <QMutex>
#include <QString>
#include <QStringList>

struct LogLine
{
    int level;
    QString text;
};

class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QList<LogLine> lines() const;
    /// True when a line at _iLevel equals _strText.
    bool has(int _iLevel, const QString& _strText) const;
    /// True when a line at _iLevel contains _strPart.
    bool hasPart(int _iLevel, const QString& _strPart) const;
    QString dump() const;
    void clear();

private:
    PFN_LogDebugEx m_pfnPrevious;
};

#endif
