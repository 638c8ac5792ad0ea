#include "Program.h"

#include <QSet>

#include "platform/TextFile.h"
#include "platform/WholeNumber.h"

Program::Program(ProgramConfig config, const QString &appFolderRoot, const QString &settingsRoot,
                 SocketFactory sockets, EngineTimings timings, ResultFiles::Clock clock, QObject *parent)
    : QObject(parent), m_config(std::move(config)), m_versionRecord(m_config),
      m_paths(appFolderRoot, settingsRoot), m_settings(settingsRoot, m_config.productName),
      m_sockets(std::move(sockets)), m_resultFiles(m_paths.folder(), clock), m_unchecked(m_paths.unchecked()),
      m_journal(m_paths.filedAhead()),
      m_engine(CheckEngine::Services{
                   m_registrars, m_rdapBootstrap, m_phrases, m_results, m_resultFiles, m_unchecked, m_candidates,
                   m_journal,
                   [this](const QString &resumeKey, qint64 position, const FiledMark &filed, int extension) {
                       return m_settings.StoreRunPosition(resumeKey, position, filed, extension);
                   },
                   [this] { return m_settings.StoredFiledMark(); },
                   [this] { return m_settings.LearnedPaces(m_wallClock()); },
                   [this](const QHash<QString, RememberedPace> &paces) {
                       return m_settings.StoreLearnedPaces(paces, m_wallClock());
                   },
                   [this](const QuotaUsage &usage) { return m_settings.StoreQuotaUsage(usage, m_wallClock()); }},
               m_sockets, timings),
      m_selection(*this), m_wallClock(std::move(clock))
{
    m_results.setRememberedPath(m_paths.remembered());
    setSearchEngines(SearchEngines::BuiltIn());
    // Quotas count every query of every checker, across runs and restarts.
    m_engine.pacer().RestoreQuota(m_settings.QuotaUsage(m_wallClock()), m_engine.Now());
    connect(&m_engine, &CheckEngine::errorRaised, this, &Program::errorRaised);
    connect(
        &m_engine, &CheckEngine::nameChecked, this,
        [this](const QString &name, CheckOutcome outcome, const QString &reason, const QString &decidedBy) {
            if (m_keepsDecisions && outcome != CheckOutcome::NotFiled)
                RememberDecision(ExportRowOf(name, outcome, reason, decidedBy, QDateTime::currentDateTimeUtc()));
        });
}

Program::~Program()
{
    m_engine.Stop();
}

bool Program::StoreQuota()
{
    const QuotaUsage kept = m_engine.pacer().KeptQuota(m_engine.Now());
    if (kept.isEmpty() && m_settings.Read(ProgramSettings::Key::QuotaUsage).isEmpty())
        return true;
    return m_settings.StoreQuotaUsage(kept, m_wallClock());
}

void Program::setCheckSettings(CheckSettings settings)
{
    m_checkSettings = std::move(settings);
    // A question beside a run keeps to the user's limits too (a run takes its own copy).
    if (!m_engine.isRunning())
        m_engine.pacer().setUserLimits(m_checkSettings.hostLimits);
}

void Program::setProxyMode(bool on)
{
    m_checkSettings.proxyMode = on;
}

void Program::setDnsFirst(bool on)
{
    m_checkSettings.dnsFirst = on;
}

void Program::setExtensions(const QStringList &extensions)
{
    m_checkSettings.extensions = extensions;
}

bool Program::SetHostLimits(const QString &text, QString *error)
{
    const std::optional<QHash<QString, HostLimit>> limits = CheckSettings::ParseHostLimits(text, error);
    if (!limits)
        return false;
    CheckSettings settings = m_checkSettings;
    settings.hostLimits = *limits;
    setCheckSettings(std::move(settings));
    return true;
}

bool Program::SetDnsServers(const QString &servers, QString *error)
{
    const std::optional<QList<DnsServer>> parsed = CheckSettings::ParseDnsServers(servers, error);
    if (!parsed)
        return false;
    m_checkSettings.dnsServers = *parsed;
    return true;
}

NameCheck Program::MakeNameCheck(const CheckSettings &settings) const
{
    return NameCheck({m_registrars, &m_rdapBootstrap, &m_phrases}, settings);
}

bool Program::ReloadRegistrars()
{
    return registrarFile().LoadRegistrarTable(m_registrars);
}

void Program::RememberDecision(const ExportRow &row)
{
    // Kept for the export while the program runs, for the names the lists still show: when the
    // log holds kSpareRows more than were shown at the last count, the rest is dropped, so
    // memory stays flat however long the list (the names without a verdict keep their reason in
    // Unchecked.txt).
    constexpr qsizetype kSpareRows = 2000;
    m_decisions.Remember(row);
    if (m_decisions.size() < m_shownAtCompaction + kSpareRows)
        return;
    m_decisions.KeepOnly([this](const auto &keep) {
        for (const ResultList list :
             {ResultList::High, ResultList::Mid, ResultList::Low, ResultList::Registered, ResultList::Saved}) {
            const QStringList names = m_results.items(list);
            for (const QString &name : names)
                keep(name);
        }
    });
    m_shownAtCompaction = m_decisions.size();
}

QList<ExportRow> Program::ExportRows() const
{
    QList<ExportRow> rows;
    const std::pair<ResultList, const char *> lists[] = {{ResultList::High, "High"},
                                                         {ResultList::Mid, "Mid"},
                                                         {ResultList::Low, "Low"},
                                                         {ResultList::Registered, "Registered"},
                                                         {ResultList::Saved, "Saved"}};
    // Each row as orvelle-check prints it when the name was decided while the program ran (its
    // reason, who decided it and when), else with what the list and Unchecked.txt tell.
    const auto rowOf = [this](const QString &name, const QString &listName, const QString &reason) {
        ExportRow row = m_decisions.Find(name).value_or(ExportRow{name, listName, reason, {}, {}});
        row.list = listName;
        if (!reason.isEmpty())
            row.reason = reason;
        return row;
    };
    for (const auto &[list, listName] : lists) {
        const QStringList names = m_results.items(list);
        for (const QString &name : names)
            rows.append(rowOf(name, QLatin1String(listName), QString()));
    }
    // Unchecked.txt: "name<TAB>reason" lines.
    for (const QString &line : TextFile::ReadLines(m_unchecked.path()).value_or(QStringList())) {
        const QString name = line.section(QLatin1Char('\t'), 0, 0).trimmed();
        if (!name.isEmpty())
            rows.append(rowOf(name, QStringLiteral("Unchecked"), line.section(QLatin1Char('\t'), 1)));
    }
    return rows;
}

bool Program::ExportResults(const QString &path, QString *error) const
{
    const std::optional<ResultExport::Format> format = ResultExport::FormatOfPath(path);
    if (!format) {
        if (error)
            *error = QStringLiteral("The file name must end in .csv or .json.");
        return false;
    }
    const QList<ExportRow> rows = ExportRows();
    const QByteArray bytes =
        *format == ResultExport::Format::Json ? ResultExport::ToJson(rows) : ResultExport::ToCsv(rows);
    if (!TextFile::WriteBytes(path, bytes)) {
        if (error)
            *error = QStringLiteral("\"%1\" cannot be written.").arg(path);
        return false;
    }
    return true;
}

std::optional<RunRequest> Program::RequestFromControls()
{
    const std::optional<CandidateSourceId> source = m_controls.source();
    const CandidateSource *table = source ? &CandidateSources::Get(*source) : nullptr;
    // Search-engine lists always run from their first line.
    if (table && table->kind == SourceKind::SearchEngine)
        m_controls.setStartNumber(QStringLiteral("1"));
    const std::optional<qint64> start = ParseWhole(m_controls.startNumber());
    if (!start) {
        emit errorRaised(
            QStringLiteral("Start"),
            QStringLiteral("The start number \"%1\" is not a whole number.").arg(m_controls.startNumber()));
        return std::nullopt;
    }
    const std::optional<qint64> total = ParseWhole(m_controls.total());
    if (!total) {
        emit errorRaised(QStringLiteral("Start"),
                         QStringLiteral("The total \"%1\" is not a whole number.").arg(m_controls.total()));
        return std::nullopt;
    }
    RunRequest request{m_controls.sourcePath(), *start, *total, table ? table->resumeKey : QString()};
    request.firstExtension = m_settings.StoredExtension(request.listPath, request.firstPosition);
    return request;
}

bool Program::Start(RunRequest request)
{
    request.settings = m_checkSettings;
    return m_engine.Start(request);
}

bool Program::StartFromControls()
{
    if (m_engine.isRunning())
        return false;
    const std::optional<RunRequest> request = RequestFromControls();
    return request && Start(*request);
}

void Program::setSearchEngines(QList<SearchEngineRow> rows)
{
    m_searchEngines = std::move(rows);
    QStringList beyond;
    const QStringList &nine = SearchControls::SourceCaptions();
    for (const SearchEngineRow &row : m_searchEngines) {
        if (!nine.contains(row.caption))
            beyond << row.caption;
    }
    m_controls.setEngineCaptions(beyond);
}

std::optional<SearchEngineRow> Program::SearchEngine(const QString &caption) const
{
    const auto found = std::find_if(m_searchEngines.cbegin(), m_searchEngines.cend(),
                                    [&](const SearchEngineRow &row) { return row.caption == caption; });
    if (found == m_searchEngines.cend())
        return std::nullopt;
    SearchEngineRow row = *found;
    if (caption == CandidateSources::Get(CandidateSourceId::GoogleSearch).caption)
        row.base = m_config.googleSearchBase;
    else if (caption == CandidateSources::Get(CandidateSourceId::YahooSearch).caption)
        row.base = m_config.yahooSearchBase;
    else if (!m_config.searchBase.isEmpty())
        row.base = m_config.searchBase + QLatin1Char('/') + row.ShortName().toLower();
    return row;
}

void Program::setChallenged(const QString &caption, bool challenged)
{
    if (challenged)
        m_challenged.insert(caption);
    else
        m_challenged.remove(caption);
}
