#include "messageboxrecorder.h"

#include "messagebox.h"

#include <utility>

MessageBoxRecorder::MessageBoxRecorder()
{
    MessageBox::setHandler([this](QMessageBox::Icon icon, const QString &title,
                                  const QString &text, QMessageBox::StandardButtons buttons) {
        boxes << Box{icon, title, text, buttons};
        if (auto meanwhile = std::exchange(whileOpen, {}))
            meanwhile();
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        for (auto b : {QMessageBox::Ok, QMessageBox::Yes}) {
            if (buttons & b)
                return b;
        }
        for (int bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
            if (buttons & bit)
                return static_cast<QMessageBox::StandardButton>(bit);
        }
        return QMessageBox::NoButton;
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    MessageBox::setHandler({});
}

QStringList MessageBoxRecorder::titles() const
{
    QStringList list;
    for (const Box &b : boxes)
        list << b.title;
    return list;
}
