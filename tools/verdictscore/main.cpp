// orvelle-verdict-score: how the program reads real registries' whois replies.
//
//   orvelle-verdict-score [--phrases FILE] FOLDER
//
// FOLDER holds free/<extension>.txt (replies for names that were not registered) and
// taken/<extension>_<name>.txt (replies for registered names). Every reply goes through the
// program's own verdict, for the name it was recorded for, with the shipped phrase table and the
// lines of --phrases added (as the user's phrase file is). The tool prints the outcomes (free,
// free premium, registered, not registrable, grace, no verdict) for free and for taken replies,
// the reasons of the replies without a verdict, and every reply not read right, by file. Exit
// status 0, or 2 when the folder or the phrase file cannot be read.

#include "engine/Verdict.h"
#include "engine/WhoisPhrases.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>

#include <cstdio>

namespace {

// The kinds of outcome, in the order they are printed.
constexpr const char *kOutcomes[] = {"free", "free premium", "registered", "not registrable", "grace", "no verdict"};

const char *VerdictText(const Judgement &judgement)
{
    using Status = Judgement::Status;
    switch (judgement.verdict) {
    case Verdict::Free:
        return judgement.status == Status::Premium ? "free premium" : "free";
    case Verdict::Taken:
        if (judgement.status == Status::Reserved || judgement.status == Status::Blocked)
            return "not registrable";
        return judgement.status == Status::Grace ? "grace" : "registered";
    case Verdict::NoVerdict:
        break;
    }
    return "no verdict";
}

// "com_google.com.txt" and "at_samsung.at.pre.txt" were replies for google.com and samsung.at.
QString NameOfTakenFile(const QString &fileName)
{
    QString name = fileName.section(QLatin1Char('_'), 1);
    for (const char *suffix : {".txt", ".pre"}) {
        if (name.endsWith(QLatin1String(suffix)))
            name.chop(static_cast<qsizetype>(qstrlen(suffix)));
    }
    return name;
}

// The free replies were recorded for "likexian-have-no-money-to-register.<extension>", or for a
// variant of it that the reply names (an international one for .se).
QString NameOfFreeReply(const QString &fileName, const QByteArray &reply)
{
    static const QRegularExpression kRecorded(
        QStringLiteral("(?:xn--)?likexian[a-z0-9-]*\\.[a-z0-9.-]*[a-z0-9]"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = kRecorded.match(QString::fromUtf8(reply));
    if (match.hasMatch())
        return match.captured().toLower();
    return QStringLiteral("likexian-have-no-money-to-register.") + fileName.chopped(4);
}

struct Tally
{
    QMap<QString, int> outcomes;
    QMap<QString, int> reasons;
    QStringList wrong;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads recorded whois replies with the program's verdict."));
    parser.addHelpOption();
    const QCommandLineOption phrasesOption(QStringLiteral("phrases"),
                                           QStringLiteral("A phrase file to add to the shipped table."),
                                           QStringLiteral("FILE"));
    parser.addOption(phrasesOption);
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("With free/ and taken/ in it."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr,
                     "usage: orvelle-verdict-score [--phrases FILE] FOLDER (with free/ and taken/ in it)\n");
        return 2;
    }
    WhoisPhrases phrases = WhoisPhrases::Shipped();
    if (parser.isSet(phrasesOption)) {
        QFile file(parser.value(phrasesOption));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "orvelle-verdict-score: cannot read %s\n", qPrintable(file.fileName()));
            return 2;
        }
        QStringList problems;
        phrases.Add(QString::fromUtf8(file.readAll()), file.fileName(), &problems, WhoisPhrases::Source::User);
        for (const QString &problem : problems)
            std::fprintf(stderr, "orvelle-verdict-score: %s\n", qPrintable(problem));
    }
    const QDir root(parser.positionalArguments().first());
    const QDir freeDir(root.filePath(QStringLiteral("free")));
    const QDir takenDir(root.filePath(QStringLiteral("taken")));
    if (!freeDir.exists() || !takenDir.exists()) {
        std::fprintf(stderr, "orvelle-verdict-score: %s has no free/ and taken/ folders\n",
                     qPrintable(root.absolutePath()));
        return 2;
    }
    const auto score = [&](const QDir &dir, Verdict expected, const auto &nameOf) {
        Tally tally;
        for (const QString &fileName : dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
            QFile file(dir.filePath(fileName));
            const QByteArray reply = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            const Judgement judgement =
                JudgeReplyBytes(reply, {nameOf(fileName, reply), QString(), &phrases});
            ++tally.outcomes[QLatin1String(VerdictText(judgement))];
            if (judgement.verdict == Verdict::NoVerdict)
                ++tally.reasons[judgement.reason];
            if (judgement.verdict != expected)
                tally.wrong << QStringLiteral("%1 (%2%3)")
                                   .arg(fileName, QLatin1String(VerdictText(judgement)),
                                        judgement.reason.isEmpty() ? QString()
                                                                   : QStringLiteral(": ") + judgement.reason);
        }
        return tally;
    };
    const Tally free = score(freeDir, Verdict::Free, NameOfFreeReply);
    const Tally taken = score(takenDir, Verdict::Taken, [](const QString &fileName, const QByteArray &) {
        return NameOfTakenFile(fileName);
    });
    const auto print = [](const char *what, const Tally &tally) {
        int all = 0;
        for (const int count : tally.outcomes)
            all += count;
        const auto share = [&](const char *outcome) {
            const int count = tally.outcomes.value(QLatin1String(outcome));
            return QStringLiteral("%1 %2 (%3%)")
                .arg(QLatin1String(outcome))
                .arg(count)
                .arg(all > 0 ? 100.0 * count / all : 0.0, 0, 'f', 1);
        };
        QStringList shares;
        for (const char *outcome : kOutcomes)
            shares << share(outcome);
        std::printf("%s replies: %d; %s\n", what, all, qPrintable(shares.join(QStringLiteral(", "))));
        for (auto it = tally.reasons.cbegin(); it != tally.reasons.cend(); ++it)
            std::printf("  no verdict, %s: %d\n", qPrintable(it.key()), it.value());
    };
    print("free", free);
    print("taken", taken);
    for (const QString &file : free.wrong)
        std::printf("  free reply read otherwise: %s\n", qPrintable(file));
    for (const QString &file : taken.wrong)
        std::printf("  taken reply read otherwise: %s\n", qPrintable(file));
    return 0;
}
