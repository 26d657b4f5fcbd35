#ifndef TESSEL_SHARED_JSONSCAN_H
#define TESSEL_SHARED_JSONSCAN_H

#include <QByteArray>

namespace tessel {

/// Deepest nesting of arrays and objects the scan follows; Qt's parser refuses deeper text too.
inline constexpr int kMaxJsonDepth = 1024;

enum class JsonScan
{
    Fine,
    RepeatedName,  ///< some object names a member twice
    TooDeep,       ///< arrays and objects nest deeper than kMaxJsonDepth
};

/// One pass over `json` before it reaches Qt's parser: member names are compared after
/// decoding their escapes ("\n" and "\u000a" are the same name), because Qt 5.15's parser leaks
/// the earlier value of a repeated name; nesting past kMaxJsonDepth stops the scan at once, so
/// a body of brackets costs no memory. Tolerates invalid JSON (the parser reports that).
JsonScan scanJson(const QByteArray& json);

/// Whether some JSON object in `json` names a member twice (scanJson() gives RepeatedName).
bool repeatsMemberName(const QByteArray& json);

}  // namespace tessel

#endif
