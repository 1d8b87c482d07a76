#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <functional>

// Answers the program's message boxes while it lives: each box is recorded and
// gets the next queued answer (OK, Yes or the first button when none is
// queued).
class MessageBoxRecorder
{
public:
    struct Box
    {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
    };

    MessageBoxRecorder();
    ~MessageBoxRecorder();

    void answer(QMessageBox::StandardButton button) { m_answers << button; }
    void answerCancel() { answer(QMessageBox::Cancel); }
    // Runs while the next box is open (another workstation at work meanwhile).
    std::function<void()> whileOpen;

    QList<Box> boxes;
    int count() const { return boxes.size(); }
    Box last() const { return boxes.isEmpty() ? Box{QMessageBox::NoIcon, {}, {}, {}} : boxes.last(); }
    // The last box as one line, "title: text".
    QString lastLine() const { return last().title + QStringLiteral(": ") + last().text; }
    QStringList titles() const;
    void clear() { boxes.clear(); }

private:
    QList<QMessageBox::StandardButton> m_answers;
};
