#include "frmSettings.h"

#include "shell/AppState.h"
#include "shell/Pictures.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

const QString frmSettings::kInvalidFields = QStringLiteral("Please enter valid information for all fields.");

frmSettings::frmSettings(AppState &state, QWidget *parent) : QWidget(parent, Qt::Window), m_state(state)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Domain extension settings"));
    setWindowIcon(QIcon(ProgramEmblem(64)));

    lstDomains = new QTreeWidget(this);
    lstDomains->setObjectName(QStringLiteral("lstDomains"));
    lstDomains->setHeaderLabels({QStringLiteral("Extension"), QStringLiteral("Server"),
                                 QStringLiteral("Port"), QStringLiteral("Status")});
    lstDomains->setRootIsDecorated(false);
    lstDomains->setUniformRowHeights(true);
    lstDomains->setAlternatingRowColors(true);
    lstDomains->setSelectionMode(QAbstractItemView::SingleSelection);
    lstDomains->header()->setSectionsClickable(true);
    lstDomains->setColumnWidth(0, 90);
    lstDomains->setColumnWidth(1, 220);
    lstDomains->setColumnWidth(2, 60);

    const auto box = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        return edit;
    };
    txtExt = box("txtExt");
    txtServer = box("txtServer");
    txtPort = box("txtPort");
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
    resize(760, 480);

    connect(lstDomains, &QTreeWidget::itemClicked, this, [this] { lstDomains_Click(); });
    connect(lstDomains->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { EnhListView_SortColumns(column); });
    connect(cmdSave, &QPushButton::clicked, this, &frmSettings::cmdSave_Click);
    connect(cmdToggle, &QPushButton::clicked, this, &frmSettings::cmdToggle_Click);
    connect(Command1, &QPushButton::clicked, this, &frmSettings::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSettings::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmSettings::Command3_Click);
    connect(chkProxy, &QCheckBox::clicked, this, [this](bool checked) { m_state.setProxyMode(checked); });

    // Load: the rows of the file, a new row is enabled, the proxy switch as stored.
    ListRows();
    m_editEnabled = true;
    chkProxy->setChecked(m_state.ReadSetting(m_state.productApp(), QStringLiteral("chkProxy"),
                                             QStringLiteral("0")) == QLatin1String("1"));
}

void frmSettings::ListRows()
{
    lstDomains->clear();
    QList<QTreeWidgetItem *> items;
    for (const QStringList &row : m_state.registrarFile().ListRegistrarRows())
        items.append(new QTreeWidgetItem(row));
    lstDomains->addTopLevelItems(items);
    if (m_sorted)
        lstDomains->sortItems(m_sortColumn, m_sortOrder);
}

bool frmSettings::Reload()
{
    return m_state.ReloadRegistrars();
}

void frmSettings::ShowMessage(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("SettingsMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void frmSettings::ClearBoxes()
{
    txtExt->clear();
    txtServer->clear();
    txtPort->clear();
}

void frmSettings::lstDomains_Click()
{
    QTreeWidgetItem *item = lstDomains->currentItem();
    if (!item || !item->isSelected())
        return;
    txtExt->setText(item->text(0));
    txtServer->setText(item->text(1));
    txtPort->setText(item->text(2));
    m_editEnabled = item->text(3) == QLatin1String("Enabled");
}

void frmSettings::cmdSave_Click()
{
    if (txtExt->text().isEmpty() || txtServer->text().isEmpty() || txtPort->text().isEmpty()) {
        ShowMessage(kInvalidFields);
        return;
    }
    const bool saved = m_state.registrarFile().SaveRegistrarRow(txtExt->text(), txtServer->text(),
                                                                txtPort->text(), m_editEnabled);
    ListRows();
    if (!saved || !Reload())
        ShowMessage(kInvalidFields);
}

void frmSettings::cmdToggle_Click()
{
    QTreeWidgetItem *item = lstDomains->currentItem();
    if (!item || !item->isSelected())
        return;
    const bool enable = item->text(3) != QLatin1String("Enabled");
    m_state.registrarFile().SaveRegistrarRow(item->text(0), item->text(1), item->text(2), enable);
    ListRows();
    Reload();
}

void frmSettings::Command1_Click()
{
    ClearBoxes();
    txtExt->setFocus();
    m_editEnabled = true;
}

void frmSettings::Command2_Click()
{
    QTreeWidgetItem *item = lstDomains->currentItem();
    if (!item || !item->isSelected())
        return;
    delete item;
    if (!RewriteRegistrarsFromView())
        return;
    Reload();
    ClearBoxes();
}

bool frmSettings::RewriteRegistrarsFromView()
{
    QList<QStringList> rows;
    for (int i = 0; i < lstDomains->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = lstDomains->topLevelItem(i);
        rows.append({item->text(0), item->text(1), item->text(2), item->text(3)});
    }
    return m_state.registrarFile().RewriteRegistrars(rows);
}

void frmSettings::Command3_Click()
{
    m_state.registrarFile().WriteDefaultRegistrars(true);
    ListRows();
    Reload();
}

bool frmSettings::EnhListView_SortColumns(int column)
{
    if (lstDomains->topLevelItemCount() < 1 || column < 0 || column >= lstDomains->columnCount())
        return false;
    if (!m_sorted) {
        m_sorted = true;
        m_sortOrder = Qt::AscendingOrder;
    }
    m_sortColumn = column;
    m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    lstDomains->sortItems(m_sortColumn, m_sortOrder);
    lstDomains->header()->setSortIndicatorShown(true);
    lstDomains->header()->setSortIndicator(m_sortColumn, m_sortOrder);
    return true;
}
