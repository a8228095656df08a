#pragma once
// Why a run leaves a file alone, said in words for --dry-run and for the
// files a --files-from list names that a run passes by.

#include "worker/backend_routing.h"

#include <QString>

// Why the run passes the file by without a word in its report: not a
// workbook by its name, a lock file (a name starting "~$"), or a file kept in a
// run's hidden backup folder. Empty when the run takes the file.
QString PassedByReason(const QString &nativePath);

// Why the run, taking the file, will report it as failed: it does not exist,
// another program has it open (a lock file lies beside it), no backend of its
// kind is there (an .xls without LibreOffice), or its backend does not open
// it (damaged, encrypted, empty, not a workbook). `needs` is what the run
// does with it. Empty when nothing stands in the way.
QString ForeseenFailure(const QString &nativePath, const Backends &backends, const JobNeeds &needs);

// The reason given for a file named before in the same run (another spelling
// of its path, a link to it, a second hard link): it has one turn only.
QString RepeatedFileReason();

// The reason given for a hidden folder, which the folder walk never enters.
QString HiddenFolderReason();
