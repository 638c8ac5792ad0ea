#pragma once

#include <QString>
#include <QStringList>

// The name cleaner and percent decoder written the plain way, exactly as they are described,
// without the program's shortcuts. The program's routines must always give the same result;
// the unit tests and the fuzzer compare them.
namespace Reference {

inline QString PercentDecoder(QString s)
{
    static const char *const kCodes[][2] = {
        {"%25", "%"}, {"%20", " "}, {"%3C", "<"},  {"%3E", ">"}, {"%23", "#"},  {"%7B", "{"},
        {"%7D", "}"}, {"%7C", "|"}, {"%5C", "\\"}, {"%5E", "^"}, {"%7E", "~"},  {"%5B", "["},
        {"%5D", "]"}, {"%60", "`"}, {"%3B", ";"},  {"%2F", "/"}, {"%3F", "?"},  {"%3A", ":"},
        {"%40", "@"}, {"%3D", "="}, {"%26", "&"},  {"%24", "$"}, {"%0A", "\n"}, {"%0D", "\r"}};
    for (const auto &code : kCodes) {
        while (s.contains(QLatin1String(code[0]), Qt::CaseInsensitive))
            s.replace(QLatin1String(code[0]), QLatin1String(code[1]), Qt::CaseInsensitive);
    }
    return s;
}

inline QString NameCleaner(QString s)
{
    static const QStringList kRemovals = {"&nbsp;",
                                          "related:",
                                          "site:",
                                          " ",
                                          "/",
                                          ".",
                                          "%",
                                          "!",
                                          "/",
                                          "~",
                                          "#",
                                          "'",
                                          "\"",
                                          "$",
                                          "%",
                                          "^",
                                          "&",
                                          "*",
                                          "(",
                                          ")",
                                          "=",
                                          "\\",
                                          "|",
                                          "+",
                                          "`",
                                          "?",
                                          ">",
                                          "<",
                                          ",",
                                          "'",
                                          "\"",
                                          ".",
                                          "nbsp;",
                                          ";",
                                          ":",
                                          QString(QChar(0x00AB)),
                                          QString(QChar(0x00B4)),
                                          QString(QChar(0x00AF)),
                                          QString(QChar(0x00BA)),
                                          QString(QChar(0x00B8)),
                                          "_"};
    QString extension;
    if (s.contains('.')) {
        extension = s.mid(s.indexOf('.'));
        s.remove(extension, Qt::CaseInsensitive);
    }
    for (const QString &item : kRemovals)
        s.remove(item);
    s += extension;
    s.remove('?');
    return s;
}

} // namespace Reference
