// Toolkit library: the process-wide logging hook and the web-service functions.
#ifndef TOOLKITS_H
#define TOOLKITS_H

#if defined(_WIN32)
#if defined(TOOLKITS_BUILD)
#define TOOLKITS_EXPORT __declspec(dllexport)
#else
#define TOOLKITS_EXPORT __declspec(dllimport)
#endif
#else
#define TOOLKITS_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

/// Logging function type: level (1 detail, 2 information, 3 rejected input, 4 error), source
/// file path, line, printf format and its arguments.
typedef void (*PFN_LogDebugEx)(int _iLevel, const char* _pszFile, int _iLine, const char* _pszFormat, ...);

/// The logging hook every component calls. It points at the default sink at start; a host
/// application or a test may replace it, or set it to null to switch logging off.
TOOLKITS_EXPORT extern PFN_LogDebugEx dy_libos_log_debug_ex;

/// The default sink: one line "yyyy-MM-dd hh:mm:ss.zzz L<level> <file>:<line> <message>" per call,
/// to the file named by TESSEL_LOG_FILE (appended) or to stderr; calls below the level in
/// TESSEL_LOG_LEVEL (default 2) are dropped. Thread-safe.
TOOLKITS_EXPORT void dy_libos_log_default_sink(int _iLevel, const char* _pszFile, int _iLine,
                                               const char* _pszFormat, ...)
    __attribute__((format(printf, 4, 5)));

/// Re-reads TESSEL_LOG_FILE and TESSEL_LOG_LEVEL (they are read once at the first log call).
TOOLKITS_EXPORT void dy_libos_log_reload_config();

/// Loads the web-service worker library from _pszFullPath (once per process: later calls with
/// the worker already loaded succeed at once). Non-zero on success, 0 when the file cannot be
/// loaded or lacks the worker's entry points (a later call tries again).
TOOLKITS_EXPORT int webservice_load_lib(const char* _pszFullPath);

/// One HTTP request through the worker: _pszUrl ("http://host:port/path?query"), the time-out
/// in milliseconds (of connecting, of each send and of each wait for data; the wait for the
/// reply grows by one second per MiB of body), the parameter text (UTF-8) and the mode (1: POST
/// with the parameter text as the body). On an answer *_ppReply receives the NUL-terminated body of the
/// reply, whatever its HTTP status, and 0 is returned; without an answer (no worker, bad URL, connection
/// refused, time-out) *_ppReply is null and the result is negative. Free a reply with
/// webservice_sdk_release.
TOOLKITS_EXPORT int webservice_sdk_submit(const char* _pszUrl, int _iTimeoutMs, const char* _pszParams, int _iMode,
                                          char** _ppReply);

/// Frees a reply of webservice_sdk_submit and sets *_ppReply to null; null pointers are ignored.
TOOLKITS_EXPORT void webservice_sdk_release(char** _ppReply);
}

#ifdef __cplusplus
namespace toolkit {

// The hook read and replaced as single relaxed atomic accesses: a test may swap it while other
// threads log. A program that sets it once before its threads start may assign it directly.
inline PFN_LogDebugEx logHook() noexcept
{
#if defined(__GNUC__) || defined(__clang__)
    return __atomic_load_n(&dy_libos_log_debug_ex, __ATOMIC_RELAXED);
#else
    return dy_libos_log_debug_ex;
#endif
}

inline void setLogHook(PFN_LogDebugEx _pfnLog) noexcept
{
#if defined(__GNUC__) || defined(__clang__)
    __atomic_store_n(&dy_libos_log_debug_ex, _pfnLog, __ATOMIC_RELAXED);
#else
    dy_libos_log_debug_ex = _pfnLog;
#endif
}

}  // namespace toolkit
#endif

#endif  // TOOLKITS_H
