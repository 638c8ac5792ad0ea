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

    QLabel *Picture1;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *lblVersion;
    QLabel *lblCompany;
    QLabel *lblWebsite;
    QPushButton *cmdOK;

signals:
    void websiteClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
