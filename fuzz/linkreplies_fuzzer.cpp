// libFuzzer entry: any failed invariant aborts, so the fuzzer keeps the input.
#include "linkrepliescheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The link reads its settings file from the working folder: one of its own.
    static QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    static QCoreApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!checkLinkReplies(data, size))
        std::abort();
    return 0;
}
