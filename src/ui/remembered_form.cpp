#include "ui/remembered_form.h"

#include "ui/remembered_values.h"
#include "ui_mainwindow.h"

#include <QDir>

namespace
{

struct TextKey {
    const char *key;
    QLineEdit *Ui_MainWindow::*field;
};

struct BoxKey {
    const char *key;
    QCheckBox *Ui_MainWindow::*box;
};

const TextKey kTextKeys[] = {
    {kSourcePathKey, &Ui_MainWindow::lEdt_SourcePath},
    {kTemplatePathKey, &Ui_MainWindow::lEdt_TemplatePath},
    {"AppointedSheetName", &Ui_MainWindow::lEdt_AppointedSheetName},
    {"AppointedRangeText", &Ui_MainWindow::lEdt_AppointedRange},
};

const BoxKey kBoxKeys[] = {
    {"OnlyFirstSheet", &Ui_MainWindow::cBox_OnlyFirstSheet},
    {"AppointedSheet", &Ui_MainWindow::cBox_AppointedSheet},
    {"AppointedRange", &Ui_MainWindow::cBox_AppointedRange},
    {"JustColWidth", &Ui_MainWindow::cBox_JustColWidth},
    {"WithFormulas", &Ui_MainWindow::cBox_WithFormulas},
    {"WithValues", &Ui_MainWindow::cBox_WithValues},
};

constexpr char kLastRowKey[] = "LastRow";
const QString kOn = QStringLiteral("1");
const QString kOff = QStringLiteral("0");

// Paths are kept with native separators, as a chosen one is.
QString StoredText(const TextKey &entry, const Ui_MainWindow &form)
{
    const QString text = (form.*entry.field)->text();
    const bool isPath = entry.field == &Ui_MainWindow::lEdt_SourcePath ||
                        entry.field == &Ui_MainWindow::lEdt_TemplatePath;
    return isPath ? QDir::toNativeSeparators(text) : text;
}

void ShowRememberedLastRow(QSpinBox *lastRow)
{
    bool isNumber = false;
    const int row = RememberedValue(kLastRowKey).toInt(&isNumber);
    if (isNumber && row >= lastRow->minimum() && row <= lastRow->maximum())
        lastRow->setValue(row);
}

} // namespace

void ShowRememberedForm(Ui_MainWindow &form)
{
    for (const TextKey &entry : kTextKeys) {
        const QString text = RememberedValue(entry.key);
        if (!text.isEmpty())
            (form.*entry.field)->setText(text);
    }
    for (const BoxKey &entry : kBoxKeys) {
        const QString state = RememberedValue(entry.key);
        if (state == kOn || state == kOff)
            (form.*entry.box)->setChecked(state == kOn);
    }
    ShowRememberedLastRow(form.sBox_LastRow);
}

bool RememberForm(const Ui_MainWindow &form)
{
    bool written = true;
    for (const TextKey &entry : kTextKeys)
        written = RememberValue(entry.key, StoredText(entry, form)) && written;
    for (const BoxKey &entry : kBoxKeys)
        written =
            RememberValue(entry.key, (form.*entry.box)->checkState() == Qt::Checked ? kOn : kOff) &&
            written;
    return RememberValue(kLastRowKey, QString::number(form.sBox_LastRow->value())) && written;
}
