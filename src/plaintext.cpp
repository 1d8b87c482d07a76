#include "plaintext.h"

#include <QLabel>

namespace PlainText {

void show(QLabel *label, const QString &text)
{
    label->setTextFormat(Qt::PlainText);
    label->setText(label->buddy() ? buttonText(text) : text);
}

QString markup(const QString &text)
{
    if (text.isEmpty())
        return {};
    QString html;
    html.reserve(text.size() + text.size() / 8 + 48);
    html += QLatin1String("<span style=\"white-space: pre-wrap\">");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '<':
            html += QLatin1String("&lt;");
            break;
        case '>':
            html += QLatin1String("&gt;");
            break;
        case '&':
            html += QLatin1String("&amp;");
            break;
        case '"':
            html += QLatin1String("&quot;");
            break;
        case '\n':
            html += QLatin1String("<br>");
            break;
        case '\t':
            html += c;
            break;
        default:
            html += c.unicode() < 0x20 || c.unicode() == 0x7f ? QChar(QLatin1Char(' ')) : c;
        }
    }
    html += QLatin1String("</span>");
    return html;
}

QString toolTip(const QString &text)
{
    return text.isEmpty() ? QString() : QLatin1String("<qt>") + markup(text) + QLatin1String("</qt>");
}

QString buttonText(const QString &text)
{
    QString shown = text;
    // A tab would start a menu entry's shortcut column.
    return shown.replace(QLatin1Char('&'), QLatin1String("&&")).replace(QLatin1Char('\t'), QLatin1Char(' '));
}

QString firstLine(const QString &text, int max)
{
    qsizetype end = 0;
    while (end < text.size() && text.at(end) != QLatin1Char('\n') && text.at(end) != QLatin1Char('\r'))
        ++end;
    QString line = text.left(end).trimmed();
    if (line.size() > max) {
        qsizetype keep = qMax(0, max - 3);
        if (keep > 0 && line.at(keep - 1).isHighSurrogate())
            --keep;
        line = line.left(keep) + QLatin1String("...");
    }
    return line;
}

} // namespace PlainText
