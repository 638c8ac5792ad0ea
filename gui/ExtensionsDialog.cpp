#include "ExtensionsDialog.h"

#include "app/Program.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

ExtensionsDialog::ExtensionsDialog(Program &program, QWidget *parent) : QDialog(parent), m_program(program)
{
    setObjectName(QStringLiteral("frmExtensions"));
    setWindowTitle(QStringLiteral("Extensions to Try"));
    auto *label =
        new QLabel(QStringLiteral("A name without an extension is checked with each extension ticked here, "
                                  "in this order:"),
                   this);
    label->setWordWrap(true);
    m_extensionList = new QListWidget(this);
    m_extensionList->setObjectName(QStringLiteral("lstExtensions"));
    // The chosen ones first, in their order, then the table's other extensions.
    QStringList extensions = program.checkSettings().extensions;
    if (extensions.isEmpty())
        extensions << QStringLiteral("com");
    const qsizetype chosen = extensions.size();
    for (const RegistrarEntry &row : program.registrars().rows()) {
        if (row.Extension != QLatin1String("proxy") && !extensions.contains(row.Extension))
            extensions << row.Extension;
    }
    for (qsizetype i = 0; i < extensions.size(); ++i) {
        auto *item = new QListWidgetItem(extensions.at(i), m_extensionList);
        item->setCheckState(i < chosen ? Qt::Checked : Qt::Unchecked);
    }
    m_extensionList->setDragDropMode(QAbstractItemView::InternalMove); // the order can be changed
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ExtensionsDialog::Keep);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_extensionList, 1);
    layout->addWidget(buttons);
    resize(320, 420);
}

void ExtensionsDialog::Keep()
{
    QStringList chosen;
    for (int i = 0; i < m_extensionList->count(); ++i) {
        if (m_extensionList->item(i)->checkState() == Qt::Checked)
            chosen << m_extensionList->item(i)->text();
    }
    m_program.setExtensions(chosen);
    if (!m_program.settings().SetExtensionsToTry(chosen))
        emit m_program.errorRaised(
            QStringLiteral("Settings"),
            QStringLiteral("The extensions to try could not be stored in the settings."));
    accept();
}
