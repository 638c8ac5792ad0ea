#include "Form8.h"

#include "AppState.h"

#include <QFileInfo>

Form8::Form8(AppState &state, QString helpFile, UrlOpener openUrl, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_helpFile(std::move(helpFile)),
      m_openUrl(std::move(openUrl))
{
    setObjectName(QStringLiteral("Form8"));
    setFixedSize(0, 0);
    setVisible(false);
}

bool Form8::OpenHelpFile()
{
    if (!QFileInfo(m_helpFile).isFile())
        return false;
    m_openUrl(QUrl::fromLocalFile(QFileInfo(m_helpFile).absoluteFilePath()));
    m_state.WriteSetting(m_state.productApp(), QStringLiteral("showHelp"), QStringLiteral("0"));
    return true;
}
