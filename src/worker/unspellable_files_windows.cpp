#include "worker/unspellable_files.h"

// Windows names are UTF-16 and Qt reads every one of them.
QFileInfoList UnspellableFiles(const QString &)
{
    return {};
}
