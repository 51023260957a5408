#include "functioncatalogue.h"

#include <QSet>
#include <QtTest>

using Functions::Context;
using Functions::FunctionList;

Q_DECLARE_METATYPE(Functions::Context)

class TestFunctionCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void catalogueHoldsEachCodeOnce();
    void listsOfferTheirContexts();
    void lookups_data();
    void lookups();
    void notAvailableOnlyOnPins();
};

void TestFunctionCatalogue::catalogueHoldsEachCodeOnce()
{
    QSet<int> codes;
    for (const Functions::FunctionInfo &info : Functions::catalogue()) {
        QVERIFY(!codes.contains(info.code));
        codes.insert(info.code);
        QCOMPARE(info.iconPath, QStringLiteral(":/icons/images/Num_%1.png").arg(info.code));
        QVERIFY(!info.text.isEmpty());
    }
    QCOMPARE(codes.size(), 31);
    for (int code = 0; code <= 31; ++code)
        QCOMPARE(codes.contains(code), code != 20);
    QCOMPARE(Functions::findFunction(7)->text, QStringLiteral("Аналоговый вход"));
    QCOMPARE(Functions::findFunction(24)->text, QStringLiteral("Светодиод индикации состояния"));
    // Catalogue order is not code order: 25 follows 4.
    QCOMPARE(Functions::catalogue()[5].code, 25);
}

void TestFunctionCatalogue::listsOfferTheirContexts()
{
    // The pin menu offers every code except the status LED, each once.
    QSet<int> gpio;
    int entries = 0;
    for (FunctionList list : Functions::gpioGroups()) {
        for (int code : Functions::codesOf(list)) {
            QVERIFY(Functions::findFunction(code));
            gpio.insert(code);
            ++entries;
        }
    }
    QCOMPARE(entries, 30);
    QCOMPARE(gpio.size(), 30);
    QVERIFY(!gpio.contains(24));
    // The status LED is the one function that register outputs offer and pins do not.
    QSet<int> doOnly;
    for (int code : Functions::codesOf(FunctionList::DoReg)) {
        if (!gpio.contains(code))
            doOnly.insert(code);
    }
    QCOMPARE(doOnly, QSet<int>{24});
    QCOMPARE(Functions::gpioGroups().front(), FunctionList::Common);
    QCOMPARE(Functions::gpioGroups().back(), FunctionList::Reset);
}

void TestFunctionCatalogue::lookups_data()
{
    QTest::addColumn<Context>("context");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("stored");

    const struct
    {
        int code;
        bool gpio, doReg, diReg;
    } cases[] = {
        {0, true, true, true},     {20, false, false, false},  {21, true, true, false},
        {23, true, false, true},   {24, false, true, false},   {32, false, false, false},
        {7, true, false, false},   {1, true, false, true},     {31, true, false, true},
        {-1, false, false, false}, {255, false, false, false},
    };
    for (const auto &c : cases) {
        QTest::addRow("pin %d", c.code) << Context::GpioPin << c.code << c.gpio << (c.gpio ? c.code : 0);
        QTest::addRow("DO %d", c.code) << Context::DoRegister << c.code << c.doReg << (c.doReg ? c.code : 0);
        QTest::addRow("DI %d", c.code) << Context::DiRegister << c.code << c.diReg << (c.diReg ? c.code : 0);
    }
}

void TestFunctionCatalogue::lookups()
{
    QFETCH(Context, context);
    QFETCH(int, code);
    QFETCH(bool, found);
    QFETCH(int, stored);

    const Functions::FunctionInfo *info = context == Context::GpioPin ? Functions::findGpioFunction(code)
                                          : context == Context::DoRegister
                                              ? Functions::findDoRegFunction(code)
                                              : Functions::findDiRegFunction(code);
    QCOMPARE(info != nullptr, found);
    if (info)
        QCOMPARE(info->code, code);

    const Functions::Appearance appearance = Functions::appearanceOf(context, code);
    QVERIFY(appearance.available);
    QCOMPARE(appearance.storedCode, stored);
    if (found) {
        // Code 0 is a real function with its own icon, not the fallback.
        QCOMPARE(appearance.iconPath, QStringLiteral(":/icons/images/Num_%1.png").arg(code));
        QCOMPARE(appearance.toolTip, Functions::findFunction(code)->text);
    } else {
        QCOMPARE(appearance.iconPath, QStringLiteral(":/icons/images/Ok.png"));
        QCOMPARE(appearance.toolTip, QStringLiteral("Порт не используется"));
    }
}

void TestFunctionCatalogue::notAvailableOnlyOnPins()
{
    const Functions::Appearance pin = Functions::appearanceOf(Context::GpioPin, 240);
    QVERIFY(!pin.available);
    QCOMPARE(pin.storedCode, 240);
    QVERIFY(pin.iconPath.isEmpty());
    QCOMPARE(pin.toolTip, QStringLiteral("Порт не доступен для использования"));
    QVERIFY(!Functions::findGpioFunction(240));
    // A register channel has no such state: 240 is just an unknown code there.
    for (Context context : {Context::DoRegister, Context::DiRegister}) {
        const Functions::Appearance reg = Functions::appearanceOf(context, 240);
        QVERIFY(reg.available);
        QCOMPARE(reg.storedCode, 0);
        QCOMPARE(reg.iconPath, QStringLiteral(":/icons/images/Ok.png"));
    }
}

QTEST_APPLESS_MAIN(TestFunctionCatalogue)
#include "tst_functioncatalogue.moc"
