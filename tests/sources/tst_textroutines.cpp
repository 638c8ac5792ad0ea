#include "sources/NameCleaner.h"
#include "sources/PercentDecoding.h"
#include "support/ReferenceTextRoutines.h"

#include <QRandomGenerator>
#include <QTest>

class TestTextRoutines : public QObject
{
    Q_OBJECT
private slots:
    void nameCleaner_data();
    void nameCleaner();
    void percentDecoder_data();
    void percentDecoder();
    void percentDecoderAgreesWithTheReference();
    void nameCleanerAgreesWithTheReference();
};

void TestTextRoutines::nameCleaner_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cleaned");
    QTest::newRow("punctuation before the extension") << "my shop!.com"
                                                      << "myshop.com";
    QTest::newRow("extension part is from the first dot") << "www.abc.com"
                                                          << "www.abc.com";
    QTest::newRow("path stays in the extension part") << "abc.com/x"
                                                      << "abc.com/x";
    QTest::newRow("no dot: nothing appended") << "Sunrise Bakery!"
                                              << "SunriseBakery";
    QTest::newRow("letter case kept") << "MyShop.COM"
                                      << "MyShop.COM";
    QTest::newRow("markup remnants") << "&nbsp;related:site:a_b"
                                     << "ab";
    QTest::newRow("every listed character")
        << QString::fromUtf16(u"a/%!~#'\"$^&*()=\\|+`?><,;:\u00AB\u00B4\u00AF\u00BA\u00B8_b") << "ab";
    QTest::newRow("hyphen, digits and other letters stay")
        << QString::fromUtf16(u"caf\u00E9-24") << QString::fromUtf16(u"caf\u00E9-24");
    QTest::newRow("question mark removed from the extension too") << "a.com?x"
                                                                  << "a.comx";
    QTest::newRow("extension text inside the label is removed") << "xcomx.com"
                                                                << "xcomx.com";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("end marker unchanged") << "endoffileffile"
                                          << "endoffileffile";
}

void TestTextRoutines::nameCleaner()
{
    QFETCH(QString, text);
    QFETCH(QString, cleaned);
    QCOMPARE(NameCleaner(text), cleaned);
}

void TestTextRoutines::percentDecoder_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("%2525 is one percent sign") << "%2525"
                                               << "%";
    QTest::newRow("%41 is not in the table") << "%41"
                                             << "%41";
    QTest::newRow("%2520 ends as a space") << "%2520"
                                           << " ";
    QTest::newRow("lower-case codes") << "%3cb%3e"
                                      << "<b>";
    QTest::newRow("line ends") << "a%0D%0Ab"
                               << "a\r\nb";
    QTest::newRow("at sign") << "me%40example.com"
                             << "me@example.com";
    QTest::newRow("a later code is not decoded twice") << "%253C"
                                                       << "<";
    QTest::newRow("nested percent") << "%%2525"
                                    << "%%";
    QTest::newRow("no percent") << "plain"
                                << "plain";
}

void TestTextRoutines::percentDecoder()
{
    QFETCH(QString, text);
    QFETCH(QString, decoded);
    QCOMPARE(PercentDecoder(text), decoded);
    QCOMPARE(Reference::PercentDecoder(text), decoded);
}

void TestTextRoutines::percentDecoderAgreesWithTheReference()
{
    // Texts made of the characters escapes are made of, where overlaps are likely.
    static const char kAlphabet[] = "%%%25203cCaAdD0x";
    QRandomGenerator random(20261208);
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int length = random.bounded(1, 24);
        for (int i = 0; i < length; ++i)
            text += QLatin1Char(kAlphabet[random.bounded(int(sizeof(kAlphabet) - 1))]);
        QCOMPARE(PercentDecoder(text), Reference::PercentDecoder(text));
    }
}

void TestTextRoutines::nameCleanerAgreesWithTheReference()
{
    static const QString kAlphabet = QString::fromUtf16(u"abAB.-?:;&nbsp!%_ \u00BA\u00AB12");
    QRandomGenerator random(8122026);
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int length = random.bounded(1, 16);
        for (int i = 0; i < length; ++i)
            text += kAlphabet.at(random.bounded(int(kAlphabet.size())));
        QCOMPARE(NameCleaner(text), Reference::NameCleaner(text));
    }
}

QTEST_GUILESS_MAIN(TestTextRoutines)
#include "tst_textroutines.moc"
