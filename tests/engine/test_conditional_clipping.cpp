// Pasting formats over a target's conditional formats: each target rule loses
// the pasted area from its range and keeps the rest, a rule left with no range
// goes, and the x14 twins of data bars in the sheet's extLst follow their rule.

#include "python_check.h"
#include "transfer_fixtures.h"
#include "transfer_run.h"
#include "zip_compare.h"

#include <QTemporaryDir>
#include <QtTest>

using engine::PasteKind;

namespace
{

// One line per rule as openpyxl reads it (range, type), then one per rule as
// the part holds it with the range of its x14 twin, then the twins no rule
// links to and the extension elements left empty.
const char kRulesScript[] = R"PY(
import sys, zipfile, openpyxl, xml.etree.ElementTree as ET
path = sys.argv[1]
def ranges(text):
    return ' '.join(sorted(text.split(), key=lambda r: (len(r), r)))
sheet = openpyxl.load_workbook(path)['Data']
for line in sorted('read %s %s' % (ranges(str(cf.sqref)), r.type)
                   for cf in sheet.conditional_formatting for r in cf.rules):
    print(line)
MAIN = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'
X14 = '{http://schemas.microsoft.com/office/spreadsheetml/2009/9/main}'
XM = '{http://schemas.microsoft.com/office/excel/2006/main}'
root = ET.fromstring(zipfile.ZipFile(path).read('xl/worksheets/sheet1.xml'))
twins = {}
for cf in root.iter(X14 + 'conditionalFormatting'):
    for rule in cf.findall(X14 + 'cfRule'):
        twins[rule.get('id')] = ranges(cf.findtext(XM + 'sqref'))
lines = []
for cf in root.findall(MAIN + 'conditionalFormatting'):
    for rule in cf.findall(MAIN + 'cfRule'):
        id = rule.findtext('.//' + X14 + 'id')
        lines.append('part %s %s twin %s' % (ranges(cf.get('sqref')), rule.get('type'),
                                             twins.pop(id, None) if id else '-'))
for line in sorted(lines):
    print(line)
for id in twins:
    print('orphan twin', twins[id])
for e in root.iter():
    if e.tag.split('}')[-1] in ('extLst', 'ext', 'conditionalFormattings') and len(e) == 0:
        print('empty', e.tag)
)PY";

QStringList Rules(const QString &path)
{
    const testsupport::PythonResult result =
        testsupport::RunPython(QString::fromUtf8(kRulesScript), {path});
    return result.ok ? result.output.split('\n', Qt::SkipEmptyParts)
                     : QStringList{"unreadable: " + result.errors};
}

} // namespace

class ConditionalClippingTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void targetRulesLoseThePastedArea_data();
    void targetRulesLoseThePastedArea();

  private:
    QTemporaryDir dir_;
    QString template_;
    QString target_;
};

void ConditionalClippingTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    template_ = dir_.filePath("template.xlsx");
    target_ = dir_.filePath("target.xlsx");
    QVERIFY(WriteTransferTemplate(template_));
    QVERIFY(WriteConditionalTarget(target_));
    const QStringList before = Rules(target_);
    QVERIFY2(before.contains("part D1:D12 dataBar twin D1:D12") &&
                 before.contains("part B3:B6 dataBar twin B3:B6"),
             qPrintable(before.join('\n')));
}

// Each row: the area pasted, the target's rules left (range and type; a data
// bar's twin has the same range), on the plain and the prefixed package.
void ConditionalClippingTest::targetRulesLoseThePastedArea_data()
{
    QTest::addColumn<QString>("area");
    QTest::addColumn<bool>("prefixed");
    QTest::addColumn<QStringList>("left");
    // A1:C4 partly inside (an L is left), "A5:E5 G1:G3 C7:C8" over several
    // areas, C3:D4 inside, F1:F3 outside, data bars on D1:D12 (partly) and
    // B3:B6 (inside)
    const QStringList around = {"A1:C1 A2:A4 cellIs", "A5 E5 G1:G3 cellIs", "F1:F3 cellIs",
                                "D1 D10:D12 dataBar"};
    // every rule but the one outside and one area of another inside: no twin
    // is left, nor the extLst that held them
    const QStringList over = {"G1:G3 cellIs", "F1:F3 cellIs"};
    // then the template's own rules, cellIs on B2:D9 and an expression on A1:B3,
    // clipped to the area
    const QStringList clipped = {"B2:D9 cellIs", "B2:B3 expression"};
    const QStringList whole = {"B2:D9 cellIs", "A1:B3 expression"};
    QTest::newRow("around") << "B2:D9" << false << around + clipped;
    QTest::newRow("around, prefixed") << "B2:D9" << true << around + clipped;
    QTest::newRow("over") << "A1:E12" << false << over + whole;
}

void ConditionalClippingTest::targetRulesLoseThePastedArea()
{
    QFETCH(QString, area);
    QFETCH(bool, prefixed);
    QFETCH(QStringList, left);
    const QString target =
        dir_.filePath(QString(QTest::currentDataTag()).replace(' ', '_') + ".xlsx");
    QFile::remove(target);
    QVERIFY(QFile::copy(target_, target));
    QVERIFY(!prefixed || PrefixMainNamespace(target));
    QCOMPARE(Transfer(template_, target, {area}, {PasteKind::Formats}), QString());

    QStringList want;
    for (const QString &rule : left) {
        const QString range = rule.section(' ', 0, -2);
        const QString type = rule.section(' ', -1);
        want << "read " + rule;
        want << "part " + rule + " twin " + (type == "dataBar" ? range : QStringLiteral("-"));
    }
    want.sort();
    QStringList got = Rules(target);
    got.sort();
    QCOMPARE(got.join('\n'), want.join('\n'));
    if (area == "A1:E12")
        QVERIFY(!testsupport::EntryData(target, "xl/worksheets/sheet1.xml").contains("extLst"));
}

QTEST_GUILESS_MAIN(ConditionalClippingTest)
#include "test_conditional_clipping.moc"
