#ifndef TESSEL_SHARED_JSONSCAN_H
#define TESSEL_SHARED_JSONSCAN_H

#include <QByteArray>

namespace tessel {

/// Whether some JSON object in `json` names a member twice (names compared after decoding
/// escapes). Qt 5.15's parser leaks the earlier value of a repeated name, so such bodies are
/// refused before they reach it. Tolerates invalid JSON (the parser reports that); one pass, and
/// only member names are decoded.
bool repeatsMemberName(const QByteArray& json);

}  // namespace tessel

#endif
