#pragma once
// The automation interface served by a headless LibreOffice Calc over UNO,
// for legacy .xls workbooks our engine does not edit. Each application is
// one soffice process of its own (own profile, own pipe), so applications
// may work in parallel, one per lane.

#include "worker/automation.h"

#include <QString>

#include <chrono>
#include <functional>

struct OfficeOptions {
    // soffice grows with every workbook it loads: a fresh one after this many.
    int workbooksPerInstance = 300;
    // The longest one workbook may take, from its opening to its closing,
    // before the watchdog ends soffice.
    std::chrono::milliseconds workbookTimeout{std::chrono::minutes(2)};
    // Runs once a workbook is loaded, with soffice's PID; tests stop soffice there.
    std::function<void(long officePid, const QString &path)> afterLoad;
};

// True when LibreOffice Calc is installed where this build expects it.
bool OfficeInstalled();

automation::AppFactory OfficeAppFactory(const OfficeOptions &options = {});

// Converts a workbook LibreOffice reads (an .xls template) into an .xlsx
// file for the native engine, with a soffice of its own.
bool ConvertToXlsx(const QString &sourcePath, const QString &xlsxPath, QString &error);
