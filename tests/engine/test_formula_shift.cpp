// Formulas moved to another cell: relative parts follow, anchored parts and
// everything that only looks like a reference stay.
#include "base/formula_shift.h"

#include <QtTest>

class FormulaShiftTest : public QObject
{
    Q_OBJECT

  private slots:
    void shifts_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("expected");
        QTest::newRow("relative cell") << "A1*2" << 2 << 1 << "B3*2";
        QTest::newRow("anchors") << "$A1+A$1+$A$1" << 3 << 3 << "$A4+D$1+$A$1";
        QTest::newRow("area") << "SUM(B2:C10)" << 1 << 0 << "SUM(B3:C11)";
        QTest::newRow("lower case") << "sum(b2)" << 1 << 0 << "sum(B3)";
        QTest::newRow("column range") << "SUM(A:B)" << 5 << 2 << "SUM(C:D)";
        QTest::newRow("row range") << "SUM(2:$4)" << 3 << 9 << "SUM(5:$4)";
        QTest::newRow("other sheet")
            << "Sheet2!A1+'My Sheet'!B2" << 1 << 0 << "Sheet2!A2+'My Sheet'!B3";
        QTest::newRow("string literal") << "\"A1\"&A1" << 1 << 0 << "\"A1\"&A2";
        QTest::newRow("quote in string")
            << "\"say \"\"B2\"\"\"&B2" << 1 << 0 << "\"say \"\"B2\"\"\"&B3";
        QTest::newRow("function like a cell")
            << "LOG10(A1)+ATAN2(1,2)" << 1 << 0 << "LOG10(A2)+ATAN2(1,2)";
        QTest::newRow("numbers and names")
            << "1.5E+3+Rate2020x+TRUE" << 1 << 1 << "1.5E+3+Rate2020x+TRUE";
        QTest::newRow("structured reference")
            << "SUM(Table1[A1])+A1" << 1 << 0 << "SUM(Table1[A1])+A2";
        QTest::newRow("past the top") << "A1+B5" << -2 << 0 << "#REF!+B3";
        QTest::newRow("past the last column") << "XFD1" << 0 << 1 << "#REF!";
        QTest::newRow("no move") << "A1:B2" << 0 << 0 << "A1:B2";
    }

    void shifts()
    {
        QFETCH(QString, formula);
        QFETCH(int, rows);
        QFETCH(int, columns);
        QFETCH(QString, expected);
        const std::string moved = engine::ShiftFormula(formula.toStdString(), rows, columns);
        QCOMPARE(QString::fromStdString(moved), expected);
    }
};

QTEST_APPLESS_MAIN(FormulaShiftTest)
#include "test_formula_shift.moc"
