#pragma once

#include <QString>
#include <QStringList>

class Program;

// The start-up steps that need no window, shared by the desktop program and orvelle-check.
namespace Startup {

// Creates the application folder itself.
bool EnsureAppFolder(Program &program);
// "BrowserSearch.txt", "Appends.txt", "CreatedDomains.txt" and "Remembered.txt", each created
// holding one empty line when missing.
void EnsureDataFiles(Program &program);
// "backups", "overflow", "wordlists" and "searches", created when missing.
void EnsureDataFolders(Program &program);
// Writes "registrars.txt" with the built-in rows when missing, drops the rows an extension has
// twice (the first counts), then loads it.
bool LoadWhoisTable(Program &program);
// The position of the last run, from the settings.
void ReadRunPosition(Program &program);
// The RDAP bootstrap: "\rdap-bootstrap.json" of the application folder when it can be read,
// else the one shipped with the program. A message for an application-folder file that cannot
// be read (it is then passed over), else empty.
QString LoadRdapBootstrap(Program &program, const QString &shippedFolder);
// Adds the lines of "whois-phrases.txt" in the application folder, when there is one, to the
// shipped phrase table; a problem text naming the lines that cannot be read (they are passed
// over), or an empty text.
QString LoadWhoisPhrases(Program &program);
// The rows of "whois-limits.txt" in the application folder, when there is one, on top of the
// shipped limits (the user's setting still wins); a problem text naming the lines that cannot be
// read (they are passed over), or an empty text.
QString LoadWhoisLimits(Program &program);
// The rows of "search-engines.txt" in the application folder, when there is one, added to the
// built-in engine table (a row of the same caption replaces); a problem text naming the rows that
// cannot be read, or an empty text.
QString LoadSearchEngines(Program &program);
// How names are checked (proxy mode, the extensions to try, DNS first and its servers, the host
// limits) from the settings, read and checked once; a problem text for each stored value that
// cannot be read (its default is used then), or an empty text.
QString ReadCheckSettings(Program &program);
// The steps above that orvelle-check and the tests take together: folder, data files and
// folders, whois table, check settings, RDAP bootstrap and phrases. False
// when the folder cannot be made. Problems with the files and settings read are added to
// *problems (when given; else they are logged).
bool Prepare(Program &program, QStringList *problems = nullptr);

// The folder of the files shipped with the program (word lists, help): ORVELLE_DATA_DIR when
// set, else the installed data folder beside the program, else the build tree's.
QString ShippedDataFolder();
// Copies the shipped word lists into "Wordlists" when missing there; never overwrites.
void InstallWordLists(Program &program, const QString &shippedFolder);

// The word-list files, as named in the "Wordlists" folder.
extern const char *const kWordListFiles[4];

} // namespace Startup
