#pragma once
// Legacy .xls workbooks in the native backend: unmerge and pasted column
// widths through the engine's BIFF8 editor. Whatever else a run asks of an
// .xls workbook here (copying from it, other pastes) fails the workbook with
// the reason; the routing sends those jobs to an office application.

#include "backends/native/native_clipboard.h"
#include "backends/native/save_finisher.h"
#include "worker/automation.h"

#include <QString>

#include <memory>

bool IsXlsPath(const QString &path);

// Null, with the reason in `error`, for a workbook the engine cannot edit.
std::unique_ptr<automation::Workbook> OpenXlsWorkbook(const QString &path,
                                                      NativeClipboard &clipboard,
                                                      SaveFinisher &finisher, QString &error);
