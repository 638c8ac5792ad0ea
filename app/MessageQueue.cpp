#include "MessageQueue.h"

#include <algorithm>

void MessageQueue::Push(const QString &title, const QString &text)
{
    const auto same = std::find_if(m_waiting.begin(), m_waiting.end(), [&](const Waiting &waiting) {
        return waiting.message.title == title && waiting.message.text == text;
    });
    if (same != m_waiting.end())
        ++same->count;
    else
        m_waiting.push_back({{title, text}, 1});
}

std::optional<MessageQueue::Message> MessageQueue::TakeNext()
{
    if (m_waiting.empty())
        return std::nullopt;
    Waiting next = std::move(m_waiting.front());
    m_waiting.pop_front();
    if (next.count > 1)
        next.message.text += QStringLiteral(" (%1 times)").arg(next.count);
    return next.message;
}
