#include "jsonscan.h"

#include <QSet>
#include <QString>

#include <cctype>
#include <vector>

namespace tessel {

namespace {

// Reads the string starting after its opening quote at `i`; leaves `i` after the closing quote.
// Decodes it into `text` only when `decode` is set.
void readString(const QByteArray& json, int& i, bool decode, QString& text)
{
    const int n = json.size();
    QByteArray raw;
    while (i < n && json[i] != '"') {
        if (json[i] == '\\' && i + 1 < n) {
            if (decode) {
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
            } else {
                i += 2;
            }
            continue;
        }
        if (decode) {
            raw += json[i];
        }
        ++i;
    }
    if (decode) {
        text += QString::fromUtf8(raw);
    }
    ++i;  // the closing quote
}

}  // namespace

bool repeatsMemberName(const QByteArray& json)
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
            ++i;
            const bool isName = !levels.empty() && levels.back().object && levels.back().expectName;
            QString text;
            readString(json, i, isName, text);
            if (isName) {
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

}  // namespace tessel
