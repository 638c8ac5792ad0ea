#include "WhoisTableDialog.h"

#include "app/Program.h"
#include "gui/Pictures.h"
#include "whois_table/RegistrarTableModel.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

const QString WhoisTableDialog::kInvalidFields =
    QStringLiteral("Please enter valid information for all fields.");

WhoisTableDialog::WhoisTableDialog(Program &program, QWidget *parent)
    : QWidget(parent, Qt::Window), m_program(program),
      m_rows(new RegistrarTableModel(program.registrarFile(), this))
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Domain extension settings"));
    setWindowIcon(QIcon(ProgramEmblem(64)));

    m_rowList = new QTreeView(this);
    m_rowList->setObjectName(QStringLiteral("lstDomains"));
    m_rowList->setModel(m_rows);
    m_rowList->setRootIsDecorated(false);
    m_rowList->setUniformRowHeights(true);
    m_rowList->setAlternatingRowColors(true);
    m_rowList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_rowList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rowList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rowList->header()->setSectionsClickable(true);
    m_rowList->setColumnWidth(0, 90);
    // Room for an RDAP service's address; a longer one is cut in the middle.
    m_rowList->setColumnWidth(1, 330);
    m_rowList->setTextElideMode(Qt::ElideMiddle);
    m_rowList->setColumnWidth(2, 60);

    const auto box = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        return edit;
    };
    m_extensionBox = box("txtExt");
    m_serverBox = box("txtServer");
    m_portBox = box("txtPort");
    m_serverBox->setMinimumWidth(m_serverBox->fontMetrics().horizontalAdvance(
                                     QStringLiteral("https://rdap.identitydigital.services/rdap/")) +
                                 12);
    connect(m_serverBox, &QLineEdit::textChanged, m_serverBox, &QLineEdit::setToolTip);
    const auto button = [this](const char *name, const QString &caption) {
        auto *created = new QPushButton(caption, this);
        created->setObjectName(QLatin1String(name));
        return created;
    };
    m_saveButton = button("cmdSave", QStringLiteral("Add/Save"));
    m_toggleButton = button("cmdToggle", QStringLiteral("Enable/Disable"));
    m_newButton = button("Command1", QStringLiteral("New Extension"));
    m_deleteButton = button("Command2", QStringLiteral("Delete Selected"));
    m_restoreButton = button("Command3", QStringLiteral("Restore Defaults"));
    m_proxyBox = new QCheckBox(
        QStringLiteral("Use the server entered under the extension \"proxy\" for all whois lookups"), this);
    m_proxyBox->setObjectName(QStringLiteral("chkProxy"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Extension:"), m_extensionBox);
    form->addRow(QStringLiteral("Whois Server:"), m_serverBox);
    form->addRow(QStringLiteral("Port:"), m_portBox);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {m_saveButton, m_toggleButton, m_newButton, m_deleteButton, m_restoreButton})
        buttons->addWidget(b);
    buttons->addStretch();
    auto *side = new QVBoxLayout;
    side->addLayout(form);
    side->addLayout(buttons);
    auto *top = new QHBoxLayout;
    top->addWidget(m_rowList, 1);
    top->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_proxyBox);
    resize(980, 480);

    connect(m_rowList, &QTreeView::clicked, this, [this] { lstDomains_Click(); });
    connect(m_rowList->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { EnhListView_SortColumns(column); });
    connect(m_saveButton, &QPushButton::clicked, this, &WhoisTableDialog::cmdSave_Click);
    connect(m_toggleButton, &QPushButton::clicked, this, &WhoisTableDialog::cmdToggle_Click);
    connect(m_newButton, &QPushButton::clicked, this, &WhoisTableDialog::Command1_Click);
    connect(m_deleteButton, &QPushButton::clicked, this, &WhoisTableDialog::Command2_Click);
    connect(m_restoreButton, &QPushButton::clicked, this, &WhoisTableDialog::Command3_Click);
    connect(m_proxyBox, &QCheckBox::clicked, this, [this](bool checked) {
        m_program.setProxyMode(checked);
        m_program.settings().SetProxyMode(checked);
    });

    // Load: a new row is enabled, the proxy switch as stored.
    m_editEnabled = true;
    m_proxyBox->setChecked(m_program.proxyMode());
}

std::optional<int> WhoisTableDialog::selectedRow() const
{
    const QModelIndexList selected = m_rowList->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return std::nullopt;
    return selected.first().row();
}

bool WhoisTableDialog::Reload()
{
    return m_program.ReloadRegistrars();
}

void WhoisTableDialog::ShowMessage(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("SettingsMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void WhoisTableDialog::ClearBoxes()
{
    m_extensionBox->clear();
    m_serverBox->clear();
    m_portBox->clear();
}

void WhoisTableDialog::SelectRow(int row)
{
    const QModelIndex index = m_rows->index(row, 0);
    m_rowList->setCurrentIndex(index);
    m_rowList->selectionModel()->select(index,
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_rowList->scrollTo(index);
    lstDomains_Click();
}

void WhoisTableDialog::ClearSelection()
{
    m_rowList->selectionModel()->clear();
    m_rowList->setCurrentIndex(QModelIndex());
}

void WhoisTableDialog::lstDomains_Click()
{
    const std::optional<int> row = selectedRow();
    if (!row)
        return;
    const QStringList fields = m_rows->row(*row);
    m_extensionBox->setText(fields.at(RegistrarTableModel::Extension));
    m_serverBox->setText(fields.at(RegistrarTableModel::Server));
    m_portBox->setText(fields.at(RegistrarTableModel::Port));
    m_editEnabled = fields.at(RegistrarTableModel::Status) == QLatin1String("Enabled");
}

void WhoisTableDialog::cmdSave_Click()
{
    // A "|" or a line break in a field would break the file's row apart.
    if (!RegistrarFile::IsValidField(m_extensionBox->text()) ||
        !RegistrarFile::IsValidServer(m_serverBox->text()) || m_portBox->text().isEmpty()) {
        ShowMessage(kInvalidFields);
        return;
    }
    const std::optional<int> saved =
        m_rows->Save(m_extensionBox->text(), m_serverBox->text(), m_portBox->text(), m_editEnabled);
    const bool reloaded = Reload();
    if (!saved || !reloaded) {
        ShowMessage(kInvalidFields);
        return;
    }
    SelectRow(*saved);
}

void WhoisTableDialog::cmdToggle_Click()
{
    const std::optional<int> row = selectedRow();
    if (!row)
        return;
    const std::optional<int> toggled = m_rows->Toggle(*row);
    Reload();
    if (toggled)
        SelectRow(*toggled);
}

void WhoisTableDialog::Command1_Click()
{
    ClearBoxes();
    m_extensionBox->setFocus();
    m_editEnabled = true;
}

void WhoisTableDialog::Command2_Click()
{
    const std::optional<int> row = selectedRow();
    if (!row)
        return;
    const bool deleted = m_rows->Delete(*row);
    // No other row becomes current or selected: a second "Delete Selected" removes nothing.
    ClearSelection();
    if (!deleted)
        return;
    if (m_rows->rowCount() == 0)
        m_program.registrars().setRows({}); // the file is gone; the next start writes the built-in rows
    else
        Reload();
    ClearBoxes();
}

void WhoisTableDialog::Command3_Click()
{
    m_rows->RestoreDefaults();
    Reload();
    ClearBoxes();
    ClearSelection();
}

bool WhoisTableDialog::EnhListView_SortColumns(int column)
{
    if (!m_rows->SortByColumn(column))
        return false;
    m_rowList->header()->setSortIndicatorShown(true);
    m_rowList->header()->setSortIndicator(m_rows->sortColumn(), m_rows->sortOrder());
    return true;
}
