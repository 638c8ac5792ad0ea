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
    m_emblem = label("Picture1", QString());
    m_emblem->setPixmap(ProgramEmblem(72));
    m_productLabel = label("Label1", QStringLiteral("Your Program Name"));
    QFont title = m_productLabel->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    m_productLabel->setFont(title);
    m_versionCaption = label("Label2", QStringLiteral("Version:"));
    m_ownerCaption = label("Label3", QStringLiteral("Owned By:"));
    m_websiteCaption = label("Label4", QStringLiteral("Website:"));
    m_versionLabel = label("lblVersion", QString());
    m_companyLabel = label("lblCompany", QString());
    m_websiteLabel = label("lblWebsite", QString());
    m_websiteLabel->setCursor(Qt::PointingHandCursor);
    m_websiteLabel->setStyleSheet(QStringLiteral("color: #1a5fb4; text-decoration: underline;"));
    m_websiteLabel->installEventFilter(this);

    // What the version record and PurchaseLink say.
    setWindowTitle(QStringLiteral("About ") + config.productName);
    m_productLabel->setText(config.productName);
    m_companyLabel->setText(config.companyName);
    m_versionLabel->setText(QString::number(config.versionMajor) + QLatin1Char('.') +
                            QString::number(config.versionMinor));
    m_versionLabel->setToolTip(QStringLiteral("Version %1").arg(VersionText(config)));
    m_websiteLabel->setText(config.siteAddress);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(18, 18, 18, 18);
    grid->setHorizontalSpacing(14);
    grid->addWidget(m_emblem, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(m_productLabel, 0, 1, 1, 2);
    grid->addWidget(m_versionCaption, 1, 1);
    grid->addWidget(m_versionLabel, 1, 2);
    grid->addWidget(m_ownerCaption, 2, 1);
    grid->addWidget(m_companyLabel, 2, 2);
    grid->addWidget(m_websiteCaption, 3, 1);
    grid->addWidget(m_websiteLabel, 3, 2);
    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("cmdOK"));
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QWidget::close);
    grid->addWidget(m_okButton, 4, 0, 1, 3, Qt::AlignRight);
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
    if (watched == m_websiteLabel && event->type() == QEvent::MouseButtonRelease) {
        emit websiteClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
