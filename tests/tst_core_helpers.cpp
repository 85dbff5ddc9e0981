#include "TestSupport.h"

#include "support/Cp1252.h"
#include "support/MyTools.h"
#include "support/TextHelpers.h"

#include <QTest>

class TestHelpers : public QObject
{
    Q_OBJECT
private slots:
    void twoDigitText();
};

void TestHelpers::twoDigitText()
{
    QCOMPARE(MyTools.TwoDigitText(0), QStringLiteral("00"));
}

QTEST_GUILESS_MAIN(TestHelpers)
#include "tst_core_helpers.moc"
