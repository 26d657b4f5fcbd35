#include "LogCapture.h"

#include <cstdarg>
#include <cstdio>

namespace {
QMutex s_mutex;
QList<LogLine> s_lines;

void captureSink(int _iLevel, const char* /*_pszFile*/, int /*_iLine*/, const char* _pszFormat, ...)
{
    char buffer[8192];
    va_list args;
    va_start(args, _pszFormat);
    std::vsnprintf(buffer, sizeof(buffer), _pszFormat, args);
    va_end(args);
    QMutexLocker locker(&s_mutex);
    s_lines.append({_iLevel, QString::fromUtf8(buffer)});
}
}  // namespace

LogCapture::LogCapture() : m_pfnPrevious(toolkit::logHook())
{
    clear();
    toolkit::setLogHook(&captureSink);
}

LogCapture::~LogCapture()
{
    toolkit::setLogHook(m_pfnPrevious);
}

QList<LogLine> LogCapture::lines() const
{
    QMutexLocker locker(&s_mutex);
    return s_lines;
}

bool LogCapture::has(int _iLevel, const QString& _strText) const
{
    for (const LogLine& line : lines()) {
        if (line.level == _iLevel && line.text == _strText) {
            return true;
        }
    }
    return false;
}

bool LogCapture::hasPart(int _iLevel, const QString& _strPart) const
{
    for (const LogLine& line : lines()) {
        if (line.level == _iLevel && line.text.contains(_strPart)) {
            return true;
        }
    }
    return false;
}

QString LogCapture::dump() const
{
    QString out;
    for (const LogLine& line : lines()) {
        out += QString("L%1 %2\n").arg(line.level).arg(line.text);
    }
    return out;
}

void LogCapture::clear()
{
    QMutexLocker locker(&s_mutex);
    s_lines.clear();
}
