#pragma once

#include <QMetaObject>
#include <QObject>

#include <functional>

// A call made once when the event loop's current turn is over, however often it was asked for in
// that turn: work that each of a turn's many events would start (taking the next names, handing
// out answers, telling a heading) is then done once for them all. The call is dropped with the
// context object.
//
//     AfterThisTurn m_pumpSoon{this, [this] { Pump(); }};
//     m_pumpSoon.Ask();
class AfterThisTurn
{
public:
    AfterThisTurn(QObject *context, std::function<void()> run) : m_context(context), m_run(std::move(run)) {}

    void Ask()
    {
        if (m_asked)
            return;
        m_asked = true;
        QMetaObject::invokeMethod(
            m_context,
            [this] {
                m_asked = false;
                m_run();
            },
            Qt::QueuedConnection);
    }

private:
    QObject *m_context;
    std::function<void()> m_run;
    bool m_asked = false;
};
