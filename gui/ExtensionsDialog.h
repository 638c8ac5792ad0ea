#pragma once

#include <QDialog>

class Program;
class QListWidget;

// "Extensions to Try": the extensions of the whois table as a checkable list. A name without an
// extension is asked once per checked extension, in the list's order; none checked means ".com"
// alone. OK keeps the choice for this and later runs.
class ExtensionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ExtensionsDialog(Program &program, QWidget *parent = nullptr);

    QListWidget *m_extensionList;

private:
    void Keep();

    Program &m_program;
};
