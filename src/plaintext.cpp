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
    // Control characters other than line breaks and tabs show as blanks.
    QString shown = text;
    for (QChar &c : shown) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\n' && u != u'\t') || u == 0x7f)
            c = QLatin1Char(' ');
    }
    return QLatin1String("<span style=\"white-space: pre-wrap\">")
           + shown.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>")) + QLatin1String("</span>");
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
