#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
struct ProgramConfig;

// The about box: product, version, company and web site. A click on the web site opens it in
// the website window. OK and Escape close it.
class AboutDialog : public QWidget
{
    Q_OBJECT
public:
    explicit AboutDialog(const ProgramConfig &config, QWidget *parent = nullptr);

    QLabel *m_emblem;
    QLabel *m_productLabel;
    QLabel *m_versionCaption;
    QLabel *m_ownerCaption;
    QLabel *m_websiteCaption;
    QLabel *m_versionLabel;
    QLabel *m_companyLabel;
    QLabel *m_websiteLabel;
    QPushButton *m_okButton;

signals:
    void websiteClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
