#pragma once

#include "ui/user_dialogs.h"

// A modal list of the workbooks the last run did not do, one row each with
// its path and reason; the backend's own words show as the row's tool tip.
void ShowTroublesDialog(QWidget *parent, const QList<WorkbookTrouble> &troubles);
