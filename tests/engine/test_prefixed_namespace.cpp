// Packages whose parts bind the spreadsheet namespace to a prefix
// ("<x:worksheet xmlns:x=...>"): every job must do to them what it does to the
// same package written the usual way, and every element it writes must land
// in that namespace. No schema files are installed here, so namespaces are
// checked element by element instead of by validation.

#include "engine/a1_text.h"
#include "engine_test_helpers.h"
#include "python_check.h"
#include "transfer_check.h"
#include "transfer_fixtures.h"
#include "transfer_run.h"
#include "zip_compare.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

using engine::PasteKind;
using testsupport::RunPython;
Q_DECLARE_METATYPE(QList<PasteKind>)

namespace
{

// What openpyxl sees of widths, heights and conditional formats, which
// WorkbookSnapshot leaves out.
const char kLayoutScript[] = R"PY(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
out = {}
for ws in book.worksheets:
    rules = []
    for cf in ws.conditional_formatting:
        for r in cf.rules:
            rules.append([str(cf.sqref), r.type, r.operator, list(r.formula or [])])
    out[ws.title] = {
        "widths": {k: [d.min, d.max, d.width, d.hidden]
                   for k, d in ws.column_dimensions.items() if d.customWidth or d.hidden},
        "heights": {str(k): d.height for k, d in ws.row_dimensions.items() if d.height},
        "rules": sorted(rules)}
print(json.dumps(out, sort_keys=True))
)PY";

// Lists every element of every XML part that is in no namespace: one that a
// part binding its namespace to a prefix got without that prefix.
const char kNamespaceScript[] = R"PY(
import sys, zipfile, xml.etree.ElementTree as ET
package = zipfile.ZipFile(sys.argv[1])
for name in package.namelist():
    if name.endswith('.xml') or name.endswith('.rels'):
        for e in ET.fromstring(package.read(name)).iter():
            if not e.tag.startswith('{'):
                print(name, e.tag)
)PY";

QString Layout(const QString &path)
{
    const testsupport::PythonResult result = RunPython(QString::fromUtf8(kLayoutScript), {path});
    const QJsonObject cells = testsupport::WorkbookSnapshot(path);
    return result.ok && !cells.isEmpty()
               ? result.output + QJsonDocument(cells).toJson(QJsonDocument::Compact)
               : "unreadable: " + result.errors;
}

QString ElementsInNoNamespace(const QString &path)
{
    const testsupport::PythonResult result = RunPython(QString::fromUtf8(kNamespaceScript), {path});
    return result.ok ? result.output : "unreadable: " + result.errors;
}

const QList<PasteKind> kWidths = {PasteKind::ColumnWidths};
const QList<PasteKind> kFormats = {PasteKind::ColumnWidths, PasteKind::Formats};
const QList<PasteKind> kFormulas = kFormats + QList{PasteKind::Formulas};
const QList<PasteKind> kValues = kFormats + QList{PasteKind::Values};

// Unmerges everything when there are no pastes.
QString RunJob(const QString &templatePath, const QString &target, const QString &areas,
               const QList<PasteKind> &kinds)
{
    return kinds.isEmpty() ? UnmergeAndSave(target)
                           : Transfer(templatePath, target, areas.split(','), kinds);
}

} // namespace

class PrefixedNamespaceTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void jobsTreatPrefixedPartsAlike_data();
    void jobsTreatPrefixedPartsAlike();
    void elementsOfNoNamespaceAreNotTheSheets();

  private:
    QString Copy(const QString &from, const QString &name);
    QTemporaryDir dir_;
    QString template_;
    QString target_;
    QString prefixedTemplate_;
    QString prefixedTarget_;
};

void PrefixedNamespaceTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    template_ = dir_.filePath("template.xlsx");
    target_ = dir_.filePath("target.xlsx");
    QVERIFY(WriteTransferTemplate(template_));
    QVERIFY(WriteTransferTarget(target_));
    prefixedTemplate_ = Copy(template_, "prefixed-template.xlsx");
    prefixedTarget_ = Copy(target_, "prefixed-target.xlsx");
    QVERIFY(PrefixMainNamespace(prefixedTemplate_) && PrefixMainNamespace(prefixedTarget_));
    const QByteArray sheet = testsupport::EntryData(prefixedTarget_, "xl/worksheets/sheet2.xml");
    QVERIFY(sheet.contains("<x:worksheet xmlns:x=") && sheet.contains("<x:sheetData>"));
    QVERIFY(testsupport::EntryData(prefixedTarget_, "xl/styles.xml").contains("<x:cellXfs"));
    QVERIFY(testsupport::EntryData(prefixedTarget_, "xl/sharedStrings.xml").contains("<x:si>"));
    QVERIFY(testsupport::EntryData(prefixedTarget_, "xl/workbook.xml").contains("<x:sheets>"));
    QCOMPARE(Layout(prefixedTarget_), Layout(target_));
}

QString PrefixedNamespaceTest::Copy(const QString &from, const QString &name)
{
    const QString path = dir_.filePath(name);
    QFile::remove(path);
    return QFile::copy(from, path) ? path : QString();
}

// Every job, on a prefixed target, from a prefixed or a plain template; the
// plain pair run through the same job is the measure.
void PrefixedNamespaceTest::jobsTreatPrefixedPartsAlike_data()
{
    QTest::addColumn<QString>("areas");
    QTest::addColumn<QList<PasteKind>>("kinds");
    QTest::addColumn<bool>("prefixedTemplate");
    QTest::newRow("unmerge") << "" << QList<PasteKind>() << true;
    QTest::newRow("widths") << "B2:D9" << kWidths << true;
    QTest::newRow("formats") << "B2:D9" << kFormats << true;
    QTest::newRow("formulas") << "B2:D9" << kFormulas << true;
    QTest::newRow("values") << "B2:D9" << kValues << true;
    QTest::newRow("whole rows") << "1:12" << kValues << true;
    QTest::newRow("ranges") << "B2:D9,F1:F20" << kFormulas + QList{PasteKind::Values} << true;
    QTest::newRow("whole columns") << "B:C" << kFormulas << true;
    QTest::newRow("plain template") << "B2:D9,F1:F20" << kValues << false;
}

void PrefixedNamespaceTest::jobsTreatPrefixedPartsAlike()
{
    QFETCH(QString, areas);
    QFETCH(QList<PasteKind>, kinds);
    QFETCH(bool, prefixedTemplate);
    const QString tag = QString(QTest::currentDataTag()).replace(' ', '_');
    const QString plain = Copy(target_, tag + "-plain.xlsx");
    const QString prefixed = Copy(prefixedTarget_, tag + "-prefixed.xlsx");
    const QString templatePath = prefixedTemplate ? prefixedTemplate_ : template_;
    QCOMPARE(RunJob(template_, plain, areas, kinds), QString());
    QCOMPARE(RunJob(templatePath, prefixed, areas, kinds), QString());
    QCOMPARE(ElementsInNoNamespace(prefixed), QString());
    QCOMPARE(Layout(prefixed), Layout(plain));
    if (kinds.isEmpty())
        return;
    for (const QString &sheet : {QStringLiteral("Data"), QStringLiteral("Second")}) {
        const QStringList problems = TransferProblems(
            {templatePath, prefixedTarget_, prefixed, sheet, areas, PasteNames(kinds)});
        QVERIFY2(problems.isEmpty(), qPrintable(sheet + ": " + problems.join('\n')));
    }
}

// Elements named like the sheet's own but in no namespace, as an earlier
// writer may have left them in a prefixed part: readers skip them, and so
// must the engine, neither reading them as merges or widths nor editing them.
void PrefixedNamespaceTest::elementsOfNoNamespaceAreNotTheSheets()
{
    const QString target = Copy(prefixedTarget_, "stray.xlsx");
    const QByteArray strayCols = "<cols><col min=\"2\" max=\"2\" width=\"99\" customWidth=\"1\"/>"
                                 "</cols>";
    const QByteArray strayMerges = "<mergeCells count=\"1\"><mergeCell ref=\"A1:Z99\"/>"
                                   "</mergeCells>";
    QVERIFY(EditPackage(target, [&](const QString &name, QByteArray data) {
        if (name == "xl/worksheets/sheet2.xml")
            data.replace("<x:sheetData>", strayCols + "<x:sheetData>")
                .replace("</x:sheetData>", "</x:sheetData>" + strayMerges);
        return data;
    }));
    engine::Error error;
    auto workbook = engine::Workbook::Open(target.toStdString(), error);
    QVERIFY(workbook);
    engine::Worksheet *sheet = workbook->CellSheet(1, error);
    QVERIFY(sheet);
    engine::CellArea used;
    QVERIFY(sheet->UsedArea(used, error));
    QCOMPARE(QString::fromStdString(engine::AreaName(used)), QStringLiteral("A1:C2"));
    workbook.reset();

    const QString plain = Copy(target_, "stray-plain.xlsx");
    QCOMPARE(Transfer(template_, plain, {"B2:D9"}, kFormats), QString());
    QCOMPARE(Transfer(prefixedTemplate_, target, {"B2:D9"}, kFormats), QString());
    QCOMPARE(Layout(target), Layout(plain));
    const QByteArray after = testsupport::EntryData(target, "xl/worksheets/sheet2.xml");
    QVERIFY(after.contains(strayCols) && after.contains(strayMerges));
}

QTEST_GUILESS_MAIN(PrefixedNamespaceTest)
#include "test_prefixed_namespace.moc"
