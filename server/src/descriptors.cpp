#include "descriptors.h"

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tessel::server {

DescriptorHeadroom::DescriptorHeadroom()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > INT_MAX) {
        m_limit = INT_MAX;
        m_ceiling = INT_MAX;
        return;
    }
    m_limit = int(limit.rlim_cur);
    m_ceiling = m_limit - std::min(32, m_limit / 8);
}

bool DescriptorHeadroom::roomBelow(int anyOpenFd) const
{
    const int probe = ::fcntl(anyOpenFd, F_DUPFD_CLOEXEC, 0);
    if (probe < 0) {
        return false;
    }
    ::close(probe);
    return probe < m_ceiling;
}

}  // namespace tessel::server
