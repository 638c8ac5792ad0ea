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

    lstDomains = new QTreeView(this);
    lstDomains->setObjectName(QStringLiteral("lstDomains"));
    lstDomains->setModel(m_rows);
    lstDomains->setRootIsDecorated(false);
    lstDomains->setUniformRowHeights(true);
    lstDomains->setAlternatingRowColors(true);
    lstDomains->setSelectionMode(QAbstractItemView::SingleSelection);
    lstDomains->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstDomains->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstDomains->header()->setSectionsClickable(true);
    lstDomains->setColumnWidth(0, 90);
    // Room for an RDAP service's address; a longer one is cut in the middle.
    lstDomains->setColumnWidth(1, 330);
    lstDomains->setTextElideMode(Qt::ElideMiddle);
    lstDomains->setColumnWidth(2, 60);

    const auto box = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        return edit;
    };
    txtExt = box("txtExt");
    txtServer = box("txtServer");
    txtPort = box("txtPort");
    txtServer->setMinimumWidth(txtServer->fontMetrics().horizontalAdvance(
                                   QStringLiteral("https://rdap.identitydigital.services/rdap/")) +
                               12);
    connect(txtServer, &QLineEdit::textChanged, txtServer, &QLineEdit::setToolTip);
    const auto button = [this](const char *name, const QString &caption) {
        auto *created = new QPushButton(caption, this);
        created->setObjectName(QLatin1String(name));
        return created;
    };
    cmdSave = button("cmdSave", QStringLiteral("Add/Save"));
    cmdToggle = button("cmdToggle", QStringLiteral("Enable/Disable"));
    Command1 = button("Command1", QStringLiteral("New Extension"));
    Command2 = button("Command2", QStringLiteral("Delete Selected"));
    Command3 = button("Command3", QStringLiteral("Restore Defaults"));
    chkProxy = new QCheckBox(
        QStringLiteral("Use the server entered under the extension \"proxy\" for all whois lookups"), this);
    chkProxy->setObjectName(QStringLiteral("chkProxy"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Extension:"), txtExt);
    form->addRow(QStringLiteral("Whois Server:"), txtServer);
    form->addRow(QStringLiteral("Port:"), txtPort);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {cmdSave, cmdToggle, Command1, Command2, Command3})
        buttons->addWidget(b);
    buttons->addStretch();
    auto *side = new QVBoxLayout;
    side->addLayout(form);
    side->addLayout(buttons);
    auto *top = new QHBoxLayout;
    top->addWidget(lstDomains, 1);
    top->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(chkProxy);
    resize(980, 480);

    connect(lstDomains, &QTreeView::clicked, this, [this] { lstDomains_Click(); });
    connect(lstDomains->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { EnhListView_SortColumns(column); });
    connect(cmdSave, &QPushButton::clicked, this, &WhoisTableDialog::cmdSave_Click);
    connect(cmdToggle, &QPushButton::clicked, this, &WhoisTableDialog::cmdToggle_Click);
    connect(Command1, &QPushButton::clicked, this, &WhoisTableDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &WhoisTableDialog::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &WhoisTableDialog::Command3_Click);
    connect(chkProxy, &QCheckBox::clicked, this, [this](bool checked) {
        m_program.setProxyMode(checked);
        m_program.settings().SetProxyMode(checked);
    });

    // Load: a new row is enabled, the proxy switch as stored.
    m_editEnabled = true;
    chkProxy->setChecked(m_program.settings().ProxyMode());
}

std::optional<int> WhoisTableDialog::selectedRow() const
{
    const QModelIndexList selected = lstDomains->selectionModel()->selectedRows();
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
    txtExt->clear();
    txtServer->clear();
    txtPort->clear();
}

void WhoisTableDialog::SelectRow(int row)
{
    const QModelIndex index = m_rows->index(row, 0);
    lstDomains->setCurrentIndex(index);
    lstDomains->selectionModel()->select(index,
                                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    lstDomains->scrollTo(index);
    lstDomains_Click();
}

void WhoisTableDialog::ClearSelection()
{
    lstDomains->selectionModel()->clear();
    lstDomains->setCurrentIndex(QModelIndex());
}

void WhoisTableDialog::lstDomains_Click()
{
    const std::optional<int> row = selectedRow();
    if (!row)
        return;
    const QStringList fields = m_rows->row(*row);
    txtExt->setText(fields.at(RegistrarTableModel::Extension));
    txtServer->setText(fields.at(RegistrarTableModel::Server));
    txtPort->setText(fields.at(RegistrarTableModel::Port));
    m_editEnabled = fields.at(RegistrarTableModel::Status) == QLatin1String("Enabled");
}

void WhoisTableDialog::cmdSave_Click()
{
    // A "|" or a line break in a field would break the file's row apart.
    if (!RegistrarFile::IsValidField(txtExt->text()) || !RegistrarFile::IsValidServer(txtServer->text()) ||
        txtPort->text().isEmpty()) {
        ShowMessage(kInvalidFields);
        return;
    }
    const std::optional<int> saved =
        m_rows->Save(txtExt->text(), txtServer->text(), txtPort->text(), m_editEnabled);
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
    txtExt->setFocus();
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
    lstDomains->header()->setSortIndicatorShown(true);
    lstDomains->header()->setSortIndicator(m_rows->sortColumn(), m_rows->sortOrder());
    return true;
}
