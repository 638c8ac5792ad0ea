#include "BackupNoticeWindow.h"

#include "Pictures.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

BackupNoticeWindow::BackupNoticeWindow(const QString &overflowFolder, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("File backup"));
    setWindowIcon(QIcon(ProgramEmblem(64)));
    setAttribute(Qt::WA_DeleteOnClose);
    Label1 =
        new QLabel(QStringLiteral("One of your lists has reached 20000 entries.  They have been saved and "
                                  "cleared.  You may find your backed up lists in the overflow folder: ") +
                       QDir::toNativeSeparators(overflowFolder),
                   this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Command1 = new QPushButton(QStringLiteral("Ok"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Command1, 0, Qt::AlignHCenter);
    setFixedWidth(420);
}
