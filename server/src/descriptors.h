// Accepting connections without running the process out of descriptors: a few are kept free
// for what every request and the process itself may need (database files and journals, the
// log, a certificate reload; in a sanitizer build, the pipe through which each new check of a
// virtual call probes memory).
#ifndef TESSEL_SERVER_DESCRIPTORS_H
#define TESSEL_SERVER_DESCRIPTORS_H

namespace tessel::server {

/// The descriptors a listener leaves free: accepting pauses once a new connection's descriptor
/// reaches the ceiling, and resumes when one below it is free again.
class DescriptorHeadroom
{
public:
    /// Reads the process's descriptor limit; keeps an eighth of it free, at most 32.
    DescriptorHeadroom();

    /// Whether descriptor `fd`, just opened, is at or past the ceiling. Descriptors are handed
    /// out lowest first, so every one below it is in use.
    bool reached(int fd) const { return fd >= m_ceiling; }
    /// Whether a descriptor below the ceiling is free now (one is opened and closed to see).
    bool roomBelow(int anyOpenFd) const;

    int limit() const { return m_limit; }
    int spare() const { return m_limit - m_ceiling; }

private:
    int m_limit;
    int m_ceiling;
};

}  // namespace tessel::server

#endif  // TESSEL_SERVER_DESCRIPTORS_H
