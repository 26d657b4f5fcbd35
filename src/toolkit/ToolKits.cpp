#include "ToolKits.h"

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

    std::lock_guard<std::mutex> lock(cfg.mutex);
    FILE* out = cfg.out != nullptr ? cfg.out : stderr;
    std::fprintf(out, "%s.%03d L%d %s:%d %s\n", stamp, static_cast<int>(now.tv_usec / 1000), _iLevel,
                 _pszFile != nullptr ? _pszFile : "?", _iLine, message);
    std::fflush(out);
}

}  // extern "C"
