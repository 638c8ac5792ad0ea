#pragma once

#include <QString>

#include <deque>
#include <optional>

// The messages waiting to be shown, one at a time, in the order they came. A message that
// comes again while an identical one waits is merged into it and counted: it is shown once,
// its text ending in " (3 times)".
class MessageQueue
{
public:
    struct Message
    {
        QString title;
        QString text;
    };

    void Push(const QString &title, const QString &text);
    // The next message to show, taken from the queue; nothing when none waits.
    std::optional<Message> TakeNext();
    bool isEmpty() const { return m_waiting.empty(); }

private:
    struct Waiting
    {
        Message message;
        int count = 1;
    };
    std::deque<Waiting> m_waiting;
};
