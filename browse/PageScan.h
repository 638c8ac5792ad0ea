#pragma once

#include "sources/DomainExtractor.h"
#include "sources/HarvestList.h"

#include <QString>
#include <QStringList>

#include <optional>

class RegistrarTable;

// The scan of one page the browse window shows: the names of its links, as the harvester takes
// them, and the names standing in its text (a name ending in an enabled extension, taken back
// to the nearest delimiter; an e-mail address gives its domain). A name is accepted once for as
// long as the window remembers what it has seen.
//
// Lines of a frame tag are not scanned; the frames' addresses come from FrameAddresses().
//
//     scan.Begin(markup);
//     while (!scan.Step(2000))
//         ;                         // the event loop runs between steps
//     scan.accepted();              // the names this page gave, in order
class PageScan
{
public:
    static constexpr int kMaxFrames = 8;

    PageScan(const RegistrarTable &table, QStringList excludedLinkTexts);

    void Begin(const QString &markup);
    // Scans up to lineBudget more lines; true when the page is done.
    bool Step(int lineBudget);
    // The names accepted by the current (or last) scan, in order.
    const QStringList &accepted() const { return m_accepted; }
    // Forgets every name seen so far and the names of the scan under way.
    void ForgetSeen();

    // The name a text line gives: the first enabled extension in table order found in it, with
    // what stands before it back to a delimiter. `extension` carries the extension found from
    // one line to the next.
    std::optional<QString> EmbeddedCandidate(const QString &decodedLine, QString &extension) const;

    // The addresses of the page's frames (not framesets, not inline frames): each tag's "src",
    // resolved against the page's address, http and https only, each once, at most kMaxFrames.
    static QStringList FrameAddresses(const QString &markup, const QString &pageAddress);

private:
    const RegistrarTable &m_table;
    DomainExtractor m_links;
    HarvestList m_seen;
    QStringList m_lines;
    qsizetype m_next = 0;
    int m_frameLinesLeft = 0;
    QString m_extension;
    QStringList m_accepted;
};
