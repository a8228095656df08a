// The toolkit's own texts (file dialog labels, standard buttons) follow the
// locale when the system holds a translation for it.

#include "app/toolkit_translations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QtTest>

class ToolkitTranslationsTest : public QObject
{
    Q_OBJECT

  private slots:
    void localeWithoutTranslationLoadsNothing();
    void chineseLocaleTranslatesTheStandardDialogs();
};

void ToolkitTranslationsTest::localeWithoutTranslationLoadsNothing()
{
    QVERIFY(!LoadToolkitTranslations(*QCoreApplication::instance(), QLocale(QLocale::Zulu)));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
}

void ToolkitTranslationsTest::chineseLocaleTranslatesTheStandardDialogs()
{
    QVERIFY(LoadToolkitTranslations(*QCoreApplication::instance(),
                                    QLocale(QLocale::Chinese, QLocale::China)));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Open"), QStringLiteral("打开"));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("查找范围："));
}

QTEST_GUILESS_MAIN(ToolkitTranslationsTest)
#include "test_toolkit_translations.moc"
