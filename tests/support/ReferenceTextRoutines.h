#pragma once

#include "whois_table/RegistrarTable.h"

#include <QString>
#include <QStringList>

// The name cleaner, the percent decoder and the page preparation written the plain way, exactly as they are
// described, without the program's shortcuts. The program's routines must always give the same result; the
// unit tests and the fuzzer compare them.
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

// The preparation of a page's text for the line walk, as a chain of replacements over the whole
// text, one after another.
inline QString PreparePageText(QString s, const RegistrarTable &table)
{
    s = s.left(4 * 1024 * 1024);
    s.replace("=www.", "http://www.", Qt::CaseInsensitive);
    s.replace(">www.", "http://www.", Qt::CaseInsensitive);
    s.replace("http://", "\r\nhttp://", Qt::CaseInsensitive);
    s.replace("https://", "\r\nhttps://", Qt::CaseInsensitive);
    s.replace("<Frame", "\r\n<Frame", Qt::CaseInsensitive);
    return table.SplitAfterExtensions(s);
}

} // namespace Reference
