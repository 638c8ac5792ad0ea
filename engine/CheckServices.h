#pragma once

#include "HostLimit.h"
#include "QueryQuota.h"
#include "RunRequest.h"

#include <QHash>
#include <QString>

#include <functional>

class CandidateFile;
class FiledJournal;
class RdapBootstrap;
class RegistrarTable;
class ResultFiles;
class ResultLists;
class UncheckedNames;
class WhoisPhrases;

// What the check engine works with; the program object owns all of it.
struct CheckServices
{
    const RegistrarTable &registrars;
    const RdapBootstrap &rdapBootstrap;
    const WhoisPhrases &phrases;
    ResultLists &lists;
    ResultFiles &files;
    UncheckedNames &unchecked;
    CandidateFile &candidates;
    FiledJournal &journal;
    // Stores a run's position under its resume key (when not empty) and the run-wide key,
    // with the furthest position of its list filed and the extension reached; false when it
    // could not be stored.
    std::function<bool(const QString &resumeKey, qint64 position, const FiledMark &filed, int extension)>
        storePosition;
    // The mark last stored with the position; the paces hosts learned in earlier runs; keeps
    // the paces this run learned. None when empty.
    std::function<FiledMark()> filedMark = {};
    std::function<QHash<QString, RememberedPace>()> rememberedPaces = {};
    std::function<bool(const QHash<QString, RememberedPace> &)> storePaces = {};
    // Keeps the queries counted against the hosts' quotas (see QueryQuota).
    std::function<bool(const QuotaUsage &)> storeQuota = {};
};
