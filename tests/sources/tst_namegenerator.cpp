#include "sources/NameGenerator.h"

#include <QTest>

Q_DECLARE_METATYPE(GeneratorChoices)

// Choices with the given affix forms and extension options (indexes into the nine options).
static GeneratorChoices Choose(bool prefixes, bool suffixes, bool hyphens, QList<int> extensions,
                               const QString &custom = QStringLiteral(".co.uk"))
{
    GeneratorChoices choices;
    choices.prefixes = prefixes;
    choices.suffixes = suffixes;
    choices.hyphens = hyphens;
    for (const int i : extensions)
        choices.extensions.at(i) = true;
    choices.customExtension = custom;
    return choices;
}

static QStringList GenerateAll(NameGenerator &generator)
{
    QStringList names;
    while (!generator.finished())
        names += generator.Step();
    return names;
}

class TestNameGenerator : public QObject
{
    Q_OBJECT
private slots:
    void namesInGenerationOrder_data();
    void namesInGenerationOrder();
    void blankAffixLinesAreSkipped();
    void pausesAfterAThousandNames();
    void aHundredThousandNamesInSteps();
};

void TestNameGenerator::namesInGenerationOrder_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QStringList>("affixes");
    QTest::addColumn<GeneratorChoices>("choices");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("shop, my and best, every form, .COM .NET")
        << "shop" << QStringList{"my", "best"} << Choose(true, true, true, {0, 1})
        << QStringList{"myshop.com",   "myshop.net",   "my-shop.com",   "my-shop.net",
                       "shopmy.com",   "shopmy.net",   "shop-my.com",   "shop-my.net",
                       "bestshop.com", "bestshop.net", "best-shop.com", "best-shop.net",
                       "shopbest.com", "shopbest.net", "shop-best.com", "shop-best.net"};
    QTest::newRow("spaces removed") << "new york" << QStringList{"best"} << Choose(true, false, false, {0})
                                    << QStringList{"bestnewyork.com"};
    QTest::newRow("custom extension as typed, lower-cased")
        << "shop" << QStringList{"my"} << Choose(true, false, false, {8}, "CO.UK")
        << QStringList{"myshopco.uk"};
    QTest::newRow("hyphens alone give nothing")
        << "shop" << QStringList{"my"} << Choose(false, false, true, {0}) << QStringList();
    QTest::newRow("suffixes with hyphens")
        << "shop" << QStringList{"24"} << Choose(false, true, true, {2, 4})
        << QStringList{"shop24.org", "shop24.info", "shop-24.org", "shop-24.info"};
    QTest::newRow("every extension in option order")
        << "a" << QStringList{"b"} << Choose(true, false, false, {8, 7, 6, 5, 4, 3, 2, 1, 0}, ".x")
        << QStringList{"ba.com",  "ba.net",  "ba.org",  "ba.biz", "ba.info",
                       "ba.name", "ba.aero", "ba.coop", "ba.x"};
    QTest::newRow("no extension chosen")
        << "shop" << QStringList{"my"} << Choose(true, true, true, {}) << QStringList();
}

void TestNameGenerator::namesInGenerationOrder()
{
    QFETCH(QString, base);
    QFETCH(QStringList, affixes);
    QFETCH(GeneratorChoices, choices);
    QFETCH(QStringList, names);
    NameGenerator generator(base, affixes, choices);
    QCOMPARE(GenerateAll(generator), names);
    QCOMPARE(generator.createdCount(), names.size());
}

void TestNameGenerator::blankAffixLinesAreSkipped()
{
    NameGenerator generator("shop", {"", " ", "my", "  two"}, Choose(true, false, false, {0}));
    QCOMPARE(GenerateAll(generator), (QStringList{"myshop.com", "twoshop.com"}));
}

void TestNameGenerator::pausesAfterAThousandNames()
{
    // 36 names per affix (four forms, nine extensions): the first pause comes after the 28th.
    QStringList affixes;
    for (int i = 0; i < 40; ++i)
        affixes << QStringLiteral("a%1").arg(i);
    NameGenerator generator("base", affixes, Choose(true, true, true, {0, 1, 2, 3, 4, 5, 6, 7, 8}));
    QCOMPARE(generator.Step().size(), 1008);
    QCOMPARE(generator.createdCount(), 1008);
    QCOMPARE(generator.ProgressText(), QString("Creating Domains - Created 1008 so far..."));
    QVERIFY(!generator.finished());
    QCOMPARE(generator.Step().size(), 12 * 36);
    QVERIFY(generator.finished());
}

void TestNameGenerator::aHundredThousandNamesInSteps()
{
    QStringList affixes;
    for (int i = 0; i < 2800; ++i)
        affixes << QStringLiteral("w%1").arg(i);
    NameGenerator generator("shop", affixes, Choose(true, true, true, {0, 1, 2, 3, 4, 5, 6, 7, 8}));
    // Each step pauses after the affix that passed a thousand names (36 names an affix here):
    // the work of one step is bounded, whatever the list.
    int largest = 0;
    int total = 0;
    int steps = 0;
    while (!generator.finished()) {
        const int size = int(generator.Step().size());
        largest = std::max(largest, size);
        total += size;
        ++steps;
    }
    QCOMPARE(total, 100800);
    QVERIFY2(largest < NameGenerator::kPauseEvery + 36,
             qPrintable(QString("a step made %1 names").arg(largest)));
    QVERIFY(steps >= 100);
}

QTEST_GUILESS_MAIN(TestNameGenerator)
#include "tst_namegenerator.moc"
