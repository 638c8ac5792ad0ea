#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// "File backup": tells the user that a result list reached its limit and was moved to the
// overflow folder, and where that folder is.
class BackupNoticeWindow : public QWidget
{
    Q_OBJECT
public:
    explicit BackupNoticeWindow(const QString &overflowFolder, QWidget *parent = nullptr);

    QLabel *m_noticeText;
    QPushButton *m_okButton;
};
