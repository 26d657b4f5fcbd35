#include "jsonscan.h"

#include <QSet>
#include <QString>

#include <cctype>
#include <vector>

namespace tessel {

namespace {

/// The character a one-letter escape stands for ("\n" is a line feed, "\/" a slash, ...).
QChar decodedEscape(char escape)
{
    switch (escape) {
        case 'b':
            return QChar(u'\b');
        case 'f':
            return QChar(u'\f');
        case 'n':
            return QChar(u'\n');
        case 'r':
            return QChar(u'\r');
        case 't':
            return QChar(u'\t');
        default:
            return QChar::fromLatin1(escape);  // '"', '\\', '/'; anything else the parser refuses
    }
}

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
                const char escape = json[i + 1];
                if (escape == 'u') {
                    bool ok = false;
                    const uint unit = json.mid(i + 2, 4).toUInt(&ok, 16);
                    // Surrogate halves stay separate units: a pair spelled \uD83D\uDE00 equals the
                    // same character written as UTF-8.
                    text += ok ? QChar(ushort(unit)) : QChar(u'u');
                    i += ok ? 6 : 2;
                } else {
                    text += decodedEscape(escape);
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

JsonScan scanJson(const QByteArray& json)
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
                        return JsonScan::RepeatedName;
                    }
                    levels.back().names.insert(text);
                    levels.back().expectName = false;
                }
            }
            continue;
        }
        if (c == '{' || c == '[') {
            if (int(levels.size()) >= kMaxJsonDepth) {
                return JsonScan::TooDeep;
            }
            levels.push_back({c == '{', c == '{', {}});
        } else if (c == '}' || c == ']') {
            if (!levels.empty()) {
                levels.pop_back();
            }
        } else if (c == ',' && !levels.empty() && levels.back().object) {
            levels.back().expectName = true;
        }
        ++i;
    }
    return JsonScan::Fine;
}

bool repeatsMemberName(const QByteArray& json)
{
    return scanJson(json) == JsonScan::RepeatedName;
}

}  // namespace tessel
