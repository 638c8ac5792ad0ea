#pragma once

#include <QWidget>

class AppState;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// "Domain extension settings": the whois server table as a list, with editing of a row,
// switching a row on or off, deleting, restoring the built-in rows, and the proxy switch.
// Every change goes to the file first and then reloads the table, so a running search uses it
// from its next query on.
class frmSettings : public QWidget
{
    Q_OBJECT
public:
    static const QString kInvalidFields;

    explicit frmSettings(AppState &state, QWidget *parent = nullptr);

    // Button actions, named after their buttons.
    void cmdSave_Click();
    void cmdToggle_Click();
    void Command1_Click(); // "New Extension"
    void Command2_Click(); // "Delete Selected"
    void Command3_Click(); // "Restore Defaults"
    void lstDomains_Click();
    // Sorts by a column's text; the first click sorts descending, each further click flips.
    bool EnhListView_SortColumns(int column);
    // Writes registrars.txt from the rows in the order the list shows them.
    bool RewriteRegistrarsFromView();

    bool editEnabled() const { return m_editEnabled; }

    QTreeWidget *lstDomains;
    QLineEdit *txtExt;
    QLineEdit *txtServer;
    QLineEdit *txtPort;
    QPushButton *cmdSave;
    QPushButton *cmdToggle;
    QPushButton *Command1;
    QPushButton *Command2;
    QPushButton *Command3;
    QCheckBox *chkProxy;

private:
    void ListRows();
    bool Reload();
    void ShowMessage(const QString &text);
    void ClearBoxes();

    AppState &m_state;
    bool m_editEnabled = true;
    bool m_sorted = false;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
