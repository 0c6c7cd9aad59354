#pragma once

#include "app/showmess.h"

#include <QList>
#include <QString>
#include <QStringList>

// Answers ShowMess for a test: records every message and replies to questions
// from a queue (no when the queue is empty). Restores the previous handler
// when it goes away.
class MessageSpy
{
public:
    struct Message {
        QString text;
        int style;
    };

    MessageSpy();
    ~MessageSpy();
    MessageSpy(const MessageSpy &) = delete;
    MessageSpy &operator=(const MessageSpy &) = delete;

    void answer(int reply) { m_answers << reply; }   // MessYes or MessNo, in order
    void clear() { m_messages.clear(); }

    const QList<Message> &messages() const { return m_messages; }
    QStringList texts() const;
    QString last() const { return m_messages.isEmpty() ? QString() : m_messages.last().text; }
    int lastStyle() const { return m_messages.isEmpty() ? -1 : m_messages.last().style; }

private:
    QList<Message> m_messages;
    QList<int> m_answers;
    MessageHandler m_previous;
};
