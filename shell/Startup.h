#pragma once

#include <QString>

class AppState;

// The start-up steps that need no window, shared by the desktop program and orvelle-check.
namespace Startup {

// Creates the application folder itself.
bool EnsureAppFolder(AppState &state);
// "BrowserSearch.txt", "Appends.txt", "CreatedDomains.txt" and "Remembered.txt", each created
// holding one empty line when missing.
void EnsureDataFiles(AppState &state);
// "backups", "overflow", "wordlists" and "searches", created when missing.
void EnsureDataFolders(AppState &state);
// Writes "registrars.txt" with the built-in rows when missing, then loads it.
bool LoadWhoisTable(AppState &state);
// The run position from "wordNumber".
void ReadRunPosition(AppState &state);
// Proxy mode from "chkProxy".
void ReadProxyMode(AppState &state);

// The folder of the files shipped with the program (word lists, help): ORVELLE_DATA_DIR when
// set, else the installed data folder beside the program, else the build tree's.
QString ShippedDataFolder();
// Copies the shipped word lists into "Wordlists" when missing there; never overwrites.
void InstallWordLists(AppState &state, const QString &shippedFolder);

// The word-list files, as named in the "Wordlists" folder.
extern const char *const kWordListFiles[4];

} // namespace Startup
