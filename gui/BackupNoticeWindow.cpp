#include "BackupNoticeWindow.h"

#include "Pictures.h"
#include "engine/Filing.h"

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
    m_noticeText =
        new QLabel(QStringLiteral("One of your lists has reached %1 entries.  They have been saved and "
                                  "cleared.  You may find your backed up lists in the overflow folder: ")
                           .arg(Filing::kOverflowLimit) +
                       QDir::toNativeSeparators(overflowFolder),
                   this);
    m_noticeText->setObjectName(QStringLiteral("Label1"));
    m_noticeText->setWordWrap(true);
    m_noticeText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_okButton = new QPushButton(QStringLiteral("Ok"), this);
    m_okButton->setObjectName(QStringLiteral("Command1"));
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QWidget::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_noticeText);
    layout->addWidget(m_okButton, 0, Qt::AlignHCenter);
    setFixedWidth(420);
}
