#include "ToolKits.h"

#include "WebserviceWorker.h"

#include <QLibrary>
#include <QString>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <sys/time.h>

namespace {

struct SinkConfig
{
    std::mutex mutex;
    bool loaded = false;
    int minLevel = 2;
    FILE* out = nullptr;  // null: stderr
    std::string path;

    void load()
    {
        if (out != nullptr) {
            fclose(out);
            out = nullptr;
        }
        const char* level = std::getenv("TESSEL_LOG_LEVEL");
        minLevel = (level != nullptr && *level != '\0') ? std::atoi(level) : 2;
        const char* file = std::getenv("TESSEL_LOG_FILE");
        path = (file != nullptr) ? file : "";
        if (!path.empty()) {
            out = std::fopen(path.c_str(), "a");
            if (out == nullptr) {
                std::fprintf(stderr, "ToolKits: cannot open log file %s: %s; logging to stderr\n",
                             path.c_str(), std::strerror(errno));
            }
        }
        loaded = true;
    }

    ~SinkConfig()
    {
        if (out != nullptr) {
            fclose(out);
        }
    }
};

SinkConfig& config()
{
    static SinkConfig instance;
    return instance;
}

// The worker library, loaded once for the process; never unloaded, since replies it made may
// still be alive when the process ends.
struct WorkerBinding
{
    std::mutex mutex;
    QLibrary* pLibrary = nullptr;
    PFN_WebserviceWorkerRequest pfnRequest = nullptr;
    PFN_WebserviceWorkerFree pfnFree = nullptr;
};

WorkerBinding& worker()
{
    static WorkerBinding instance;
    return instance;
}

void logToolkit(int _iLevel, int _iLine, const char* _pszFormat, const char* _pszArg)
{
    PFN_LogDebugEx pfnLog = toolkit::logHook();
    if (pfnLog != nullptr) {
        pfnLog(_iLevel, __FILE__, _iLine, _pszFormat, _pszArg);
    }
}

}  // namespace

extern "C" {

PFN_LogDebugEx dy_libos_log_debug_ex = &dy_libos_log_default_sink;

void dy_libos_log_reload_config()
{
    SinkConfig& cfg = config();
    std::lock_guard<std::mutex> lock(cfg.mutex);
    cfg.load();
}

void dy_libos_log_default_sink(int _iLevel, const char* _pszFile, int _iLine, const char* _pszFormat, ...)
{
    SinkConfig& cfg = config();
    {
        std::lock_guard<std::mutex> lock(cfg.mutex);
        if (!cfg.loaded) {
            cfg.load();
        }
        if (_iLevel < cfg.minLevel) {
            return;
        }
    }

    char message[4096];
    va_list args;
    va_start(args, _pszFormat);
    std::vsnprintf(message, sizeof(message), _pszFormat != nullptr ? _pszFormat : "", args);
    va_end(args);

    timeval now{};
    gettimeofday(&now, nullptr);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char stamp[32];
    std::strftime(stamp, sizeof(stamp), "%Y-%m-%d %H:%M:%S", &local);

    // The source file from the source root: a build through ccache's base_dir names it
    // "../../../src/...", which says nothing about the source tree.
    const char* pszFile = _pszFile != nullptr ? _pszFile : "?";
    while (std::strncmp(pszFile, "../", 3) == 0 || std::strncmp(pszFile, "./", 2) == 0) {
        pszFile += pszFile[1] == '/' ? 2 : 3;
    }

    std::lock_guard<std::mutex> lock(cfg.mutex);
    FILE* out = cfg.out != nullptr ? cfg.out : stderr;
    std::fprintf(out, "%s.%03d L%d %s:%d %s\n", stamp, static_cast<int>(now.tv_usec / 1000), _iLevel, pszFile,
                 _iLine, message);
    std::fflush(out);
}

}  // extern "C"

extern "C" {

int webservice_load_lib(const char* _pszFullPath)
{
    WorkerBinding& binding = worker();
    std::lock_guard<std::mutex> lock(binding.mutex);
    if (binding.pfnRequest != nullptr) {
        return 1;
    }
    if (_pszFullPath == nullptr || *_pszFullPath == '\0') {
        logToolkit(4, __LINE__, "webservice_load_lib no path%s", "");
        return 0;
    }
    auto* pLibrary = new QLibrary(QString::fromLocal8Bit(_pszFullPath));
    if (!pLibrary->load()) {
        logToolkit(4, __LINE__, "webservice_load_lib %s", qUtf8Printable(pLibrary->errorString()));
        delete pLibrary;
        return 0;
    }
    auto pfnRequest = reinterpret_cast<PFN_WebserviceWorkerRequest>(pLibrary->resolve(WEBSERVICE_WORKER_REQUEST));
    auto pfnFree = reinterpret_cast<PFN_WebserviceWorkerFree>(pLibrary->resolve(WEBSERVICE_WORKER_FREE));
    if (pfnRequest == nullptr || pfnFree == nullptr) {
        logToolkit(4, __LINE__, "webservice_load_lib %s lacks the worker entry points", _pszFullPath);
        pLibrary->unload();
        delete pLibrary;
        return 0;
    }
    binding.pLibrary = pLibrary;
    binding.pfnFree = pfnFree;
    binding.pfnRequest = pfnRequest;
    return 1;
}

int webservice_sdk_submit(const char* _pszUrl, int _iTimeoutMs, const char* _pszParams, int _iMode, char** _ppReply)
{
    if (_ppReply == nullptr) {
        return -1;
    }
    *_ppReply = nullptr;
    PFN_WebserviceWorkerRequest pfnRequest = nullptr;
    {
        WorkerBinding& binding = worker();
        std::lock_guard<std::mutex> lock(binding.mutex);
        pfnRequest = binding.pfnRequest;
    }
    if (pfnRequest == nullptr) {
        logToolkit(2, __LINE__, "webservice_sdk_submit worker not loaded%s", "");
        return -1;
    }
    return pfnRequest(_pszUrl, _iTimeoutMs, _pszParams, _iMode, _ppReply);
}

void webservice_sdk_release(char** _ppReply)
{
    if (_ppReply == nullptr || *_ppReply == nullptr) {
        return;
    }
    PFN_WebserviceWorkerFree pfnFree = nullptr;
    {
        WorkerBinding& binding = worker();
        std::lock_guard<std::mutex> lock(binding.mutex);
        pfnFree = binding.pfnFree;
    }
    // A reply exists only when the worker made it, so the worker is loaded here.
    if (pfnFree != nullptr) {
        pfnFree(*_ppReply);
    }
    *_ppReply = nullptr;
}

}  // extern "C"
