#pragma once
// Lowers the limit of open files while it lives: room for extra more files
// than the process holds now.
#include "ProcessUsage.h"

#include <sys/resource.h>

class OpenFileLimit
{
public:
    explicit OpenFileLimit(int extra)
    {
        ::getrlimit(RLIMIT_NOFILE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = rlim_t(ProcessUsage::openFileCount() + extra);
        m_ok = ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
    }
    ~OpenFileLimit() { ::setrlimit(RLIMIT_NOFILE, &m_old); }
    OpenFileLimit(const OpenFileLimit &) = delete;
    OpenFileLimit &operator=(const OpenFileLimit &) = delete;
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    bool m_ok = false;
};
