#include "AppFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

AppFolder::AppFolder(QString root) : m_root(QDir::cleanPath(std::move(root))) {}

QString AppFolder::DefaultRoot()
{
    const QString fromEnvironment = qEnvironmentVariable("ORVELLE_APP_FOLDER");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString AppFolder::Join(const QString &relativePath) const
{
    // ".." never leaves the folder: a name typed by the user cannot climb out of it.
    QStringList components =
        QString(relativePath).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
    components.removeAll(QStringLiteral(".."));
    return ResolvePathIgnoringCase(m_root, components.join(QLatin1Char('/')));
}

bool AppFolder::EnsureExists() const
{
    return QDir().mkpath(m_root);
}

// Finds the entry of `folder` whose name equals `component` ignoring case. An exact match wins;
// among several case variants the first in name order is taken so the choice is stable.
static QString FindEntryIgnoringCase(const QString &folder, const QString &component)
{
    if (QFileInfo::exists(folder + QLatin1Char('/') + component))
        return component;
    const QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(component, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return component;
}

QString ResolvePathIgnoringCase(const QString &base, const QString &relativePath)
{
    QString resolved = base;
    bool parentExists = QFileInfo(base).isDir();
    const QStringList components = QString(relativePath)
                                       .replace(QLatin1Char('\\'), QLatin1Char('/'))
                                       .split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &component : components) {
        if (component == QLatin1String("."))
            continue;
        if (component == QLatin1String("..")) {
            resolved = QFileInfo(resolved).path();
            parentExists = QFileInfo(resolved).isDir();
            continue;
        }
        const QString name = parentExists ? FindEntryIgnoringCase(resolved, component) : component;
        resolved += QLatin1Char('/') + name;
        parentExists = parentExists && QFileInfo(resolved).isDir();
    }
    return resolved;
}

QString ResolvePathIgnoringCase(const QString &path)
{
    const bool absolute = path.startsWith(QLatin1Char('/'));
    const QString resolved =
        ResolvePathIgnoringCase(absolute ? QStringLiteral("/") : QStringLiteral("."), path);
    return absolute ? resolved.mid(1) : resolved;
}
