#pragma once

#include <csignal>
#include <sys/resource.h>

// Lets this process write files up to a size only, as a full disk would. SIGXFSZ is ignored so
// that a write past the limit fails instead of ending the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes) { Apply(bytes, &m_saved); }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &m_saved); }

    // For a child process (QProcess::setChildProcessModifier): the same without restoring.
    static void Apply(rlim_t bytes, rlimit *saved = nullptr)
    {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = {};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        if (saved)
            *saved = limit;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }

private:
    rlimit m_saved = {};
};
