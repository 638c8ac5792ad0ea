#pragma once

#include <QWidget>

#include <optional>

class Program;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTreeView;
class RegistrarTableModel;

// "Domain extension settings": the whois server table as a list, with editing of a row,
// switching a row on or off, deleting, restoring the built-in rows, and the proxy switch.
// Every change goes to the file first and then reloads the table, so a running search uses it
// from its next query on.
class WhoisTableDialog : public QWidget
{
    Q_OBJECT
public:
    static const QString kInvalidFields;

    explicit WhoisTableDialog(Program &program, QWidget *parent = nullptr);

    // Button actions, named after their buttons.
    void cmdSave_Click();
    void cmdToggle_Click();
    void Command1_Click(); // "New Extension"
    void Command2_Click(); // "Delete Selected"
    void Command3_Click(); // "Restore Defaults"
    void lstDomains_Click();
    // Sorts by a column's text; the first click sorts descending, each further click flips.
    bool EnhListView_SortColumns(int column);

    bool editEnabled() const { return m_editEnabled; }
    RegistrarTableModel &rows() { return *m_rows; }
    // The row selected in the list, if any.
    std::optional<int> selectedRow() const;

    QTreeView *m_rowList;
    QLineEdit *m_extensionBox;
    QLineEdit *m_serverBox;
    QLineEdit *m_portBox;
    QPushButton *m_saveButton;
    QPushButton *m_toggleButton;
    QPushButton *m_newButton;
    QPushButton *m_deleteButton;
    QPushButton *m_restoreButton;
    QCheckBox *m_proxyBox;

private:
    bool Reload();
    void ShowMessage(const QString &text);
    void ClearBoxes();
    // Selects a row and shows it in the boxes, as a click on it does.
    void SelectRow(int row);
    void ClearSelection();

    Program &m_program;
    RegistrarTableModel *m_rows;
    bool m_editEnabled = true;
};
