// Shared by the fuzz targets: sanitizer defaults and the switch for known open findings.
#ifndef TESSEL_FUZZ_SUPPORT_H
#define TESSEL_FUZZ_SUPPORT_H

#include <QByteArray>
#include <QSet>
#include <QString>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

// UB stops the run (the libraries are built with recoverable checks so that
// fuzz/known-issues.supp can silence an accepted report: scripts/fuzz.sh passes it in every
// mode). UBSAN_OPTIONS from the environment is applied on top of these.
extern "C" const char* __ubsan_default_options()
{
    return "halt_on_error=1:print_stacktrace=1";
}

namespace tessel::fuzz {

/// TESSEL_FUZZ_ALLOW_KNOWN=1: inputs of findings that are reported and still open are skipped
/// (see docs/reliability.md; now F-5 on the client side, in fuzz_answer_decoding, and F-4
/// through PartitionExecute(Ex), in fuzz_server_dispatch), so that a long run explores past
/// them. Off by default.
inline bool allowKnownFindings()
{
    static const bool allow = [] {
        const char* value = std::getenv("TESSEL_FUZZ_ALLOW_KNOWN");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    return allow;
}

/// F-5 (open on the client side): whether some JSON object in `json` names a member twice (names compared
/// after decoding escapes and UTF-8). Tolerates invalid JSON and errs on the side of "yes"; it does not use
/// Qt's parser, whose leak on repeated names is the finding.
inline bool repeatsMemberName(const QByteArray& json)
{
    struct Level
    {
        bool object;
        bool expectName;
        QSet<QString> names;
    };
    std::vector<Level> levels;
    const int n = json.size();
    int i = 0;
    while (i < n) {
        const char c = json[i];
        if (c == '"') {
            QString text;
            QByteArray raw;
            ++i;
            while (i < n && json[i] != '"') {
                if (json[i] == '\\' && i + 1 < n) {
                    text += QString::fromUtf8(raw);
                    raw.clear();
                    bool ok = false;
                    const uint unit = json[i + 1] == 'u' ? json.mid(i + 2, 4).toUInt(&ok, 16) : 0;
                    if (ok) {
                        text += QChar(unit);
                        i += 6;
                    } else {
                        text += QChar::fromLatin1(json[i + 1]);
                        i += 2;
                    }
                    continue;
                }
                raw += json[i++];
            }
            text += QString::fromUtf8(raw);
            ++i;  // the closing quote
            if (!levels.empty() && levels.back().object && levels.back().expectName) {
                int j = i;
                while (j < n && std::isspace(static_cast<unsigned char>(json[j]))) {
                    ++j;
                }
                if (j < n && json[j] == ':') {
                    if (levels.back().names.contains(text)) {
                        return true;
                    }
                    levels.back().names.insert(text);
                    levels.back().expectName = false;
                }
            }
            continue;
        }
        if (c == '{') {
            levels.push_back({true, true, {}});
        } else if (c == '[') {
            levels.push_back({false, false, {}});
        } else if (c == '}' || c == ']') {
            if (!levels.empty()) {
                levels.pop_back();
            }
        } else if (c == ',' && !levels.empty() && levels.back().object) {
            levels.back().expectName = true;
        }
        ++i;
    }
    return false;
}

}  // namespace tessel::fuzz

#endif
