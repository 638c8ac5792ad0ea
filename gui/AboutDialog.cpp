#include "AboutDialog.h"

#include "Pictures.h"
#include "results/PurchaseLink.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

AboutDialog::AboutDialog(const ProgramConfig &config, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowIcon(QIcon(ProgramEmblem(64)));
    QFont font = this->font();
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    setFont(font);
    const auto label = [this](const char *name, const QString &text) {
        auto *created = new QLabel(text, this);
        created->setObjectName(QLatin1String(name));
        return created;
    };
    Picture1 = label("Picture1", QString());
    Picture1->setPixmap(ProgramEmblem(72));
    Label1 = label("Label1", QStringLiteral("Your Program Name"));
    QFont title = Label1->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    Label1->setFont(title);
    Label2 = label("Label2", QStringLiteral("Version:"));
    Label3 = label("Label3", QStringLiteral("Owned By:"));
    Label4 = label("Label4", QStringLiteral("Website:"));
    lblVersion = label("lblVersion", QString());
    lblCompany = label("lblCompany", QString());
    lblWebsite = label("lblWebsite", QString());
    lblWebsite->setCursor(Qt::PointingHandCursor);
    lblWebsite->setStyleSheet(QStringLiteral("color: #1a5fb4; text-decoration: underline;"));
    lblWebsite->installEventFilter(this);

    // What the version record and PurchaseLink say.
    setWindowTitle(QStringLiteral("About ") + config.productName);
    Label1->setText(config.productName);
    lblCompany->setText(config.companyName);
    lblVersion->setText(QString::number(config.versionMajor) + QLatin1Char('.') +
                        QString::number(config.versionMinor));
    lblWebsite->setText(config.siteAddress);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(18, 18, 18, 18);
    grid->setHorizontalSpacing(14);
    grid->addWidget(Picture1, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(Label1, 0, 1, 1, 2);
    grid->addWidget(Label2, 1, 1);
    grid->addWidget(lblVersion, 1, 2);
    grid->addWidget(Label3, 2, 1);
    grid->addWidget(lblCompany, 2, 2);
    grid->addWidget(Label4, 3, 1);
    grid->addWidget(lblWebsite, 3, 2);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
    grid->addWidget(cmdOK, 4, 0, 1, 3, Qt::AlignRight);
    grid->setColumnStretch(2, 1);
    setMinimumWidth(380);
}

void AboutDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool AboutDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblWebsite && event->type() == QEvent::MouseButtonRelease) {
        emit websiteClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
