#pragma once

#include <QWidget>

class AppState;
class QLabel;

// The about box: product, version, company and web site. A click on the web site opens it in
// the website window.
class frmAbout : public QWidget
{
    Q_OBJECT
public:
    explicit frmAbout(const AppState &state, QWidget *parent = nullptr);

    QLabel *Picture1;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *lblVersion;
    QLabel *lblCompany;
    QLabel *lblWebsite;

signals:
    void websiteClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
