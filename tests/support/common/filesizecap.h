#pragma once

// Makes writes fail as on a full disk: for one scope, no file this process (or a program it
// starts) writes may grow beyond a size.
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>

#define VELMORA_HAS_FILE_SIZE_CAP 1

class FileSizeCap
{
public:
    explicit FileSizeCap(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN); // a failed write instead of a killed process
        rlimit capped = saved;
        capped.rlim_cur = bytes;
        active = setrlimit(RLIMIT_FSIZE, &capped) == 0;
    }
    ~FileSizeCap()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeCap(const FileSizeCap &) = delete;
    FileSizeCap &operator=(const FileSizeCap &) = delete;

    bool active = false;

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};
#endif
