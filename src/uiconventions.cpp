#include "uiconventions.h"

#include <QApplication>
#include <QComboBox>
#include <QAbstractItemView>
#include <QEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QStyle>
#include <QAbstractItemModel>

#include <algorithm>

namespace {

class UiConventions : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Every event of the program passes here: the type is checked first.
        const QEvent::Type type = event->type();
        if (type != QEvent::Polish && type != QEvent::ReadOnlyChange)
            return false;
        if (auto *edit = qobject_cast<QLineEdit *>(watched)) {
            if (type == QEvent::Polish) {
                connect(edit, &QLineEdit::textChanged, edit, [edit] { showStart(edit); });
                connect(edit, &QLineEdit::textEdited, edit, [edit] { dropLineBreaks(edit); });
            }
            showStart(edit);
        } else if (type == QEvent::Polish) {
            if (auto *box = qobject_cast<QComboBox *>(watched))
                fitEntries(box);
        }
        return false;
    }

private:
    // A drop-down list keeps at least the width of its form and grows to
    // show its longest entry whole (up to a limit: a very long text is read
    // in the open list), also after its entries change. One that its form
    // places by hand keeps its place and width, as it would otherwise reach
    // past its frame, and so does one that its form keeps to a number of
    // characters, so that a long entry does not squeeze the fields beside
    // it: their open lists are the ones that widen.
    static void fitEntries(QComboBox *box)
    {
        box->setProperty(DesignedWidth, box->minimumWidth());
        if (growsWithEntries(box))
            box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        fitWidth(box);
        const QAbstractItemModel *model = box->model();
        const auto later = [box] {
            if (box->property(FitPending).toBool())
                return;
            box->setProperty(FitPending, true);
            QMetaObject::invokeMethod(box, [box] { fitWidth(box); }, Qt::QueuedConnection);
        };
        connect(model, &QAbstractItemModel::rowsInserted, box, later);
        connect(model, &QAbstractItemModel::rowsRemoved, box, later);
        connect(model, &QAbstractItemModel::modelReset, box, later);
        connect(model, &QAbstractItemModel::dataChanged, box, later);
    }

    static void fitWidth(QComboBox *box)
    {
        box->setProperty(FitPending, false);
        const QFontMetrics metrics = box->fontMetrics();
        int widest = 0;
        for (int i = 0; i < box->count(); ++i)
            widest = qMax(widest, metrics.horizontalAdvance(box->itemText(i)));
        // The icon, the margins and a scroll bar beside the entries.
        const int room = box->iconSize().width() + 4 * metrics.averageCharWidth()
            + box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box);
        box->view()->setMinimumWidth(qMin(widest + room, metrics.averageCharWidth() * 80));
        if (growsWithEntries(box))
            box->setMinimumWidth(qMax(box->property(DesignedWidth).toInt(),
                                      qMin(box->sizeHint().width(), metrics.averageCharWidth() * 40)));
    }

    static bool growsWithEntries(const QComboBox *box)
    {
        return !placedByHand(box) && box->sizeAdjustPolicy() != QComboBox::AdjustToMinimumContentsLengthWithIcon;
    }

    static bool placedByHand(const QWidget *widget)
    {
        return widget->parentWidget() && !widget->parentWidget()->layout();
    }

    static constexpr const char *DesignedWidth = "designedMinimumWidth";
    static constexpr const char *FitPending = "fitPending";

    static bool isLineBreak(QChar c)
    {
        return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t');
    }

    // A one-line field keeps what was pasted into it on one line: each run
    // of line breaks and tabs becomes one blank, and goes at either end. The
    // cursor stays after the same character. Only what staff type or paste
    // passes here: a stored value shown in the field stays as it is. Who
    // follows the edits hears of the text as it is now.
    static void dropLineBreaks(QLineEdit *edit)
    {
        const QString text = edit->text();
        if (std::none_of(text.cbegin(), text.cend(), isLineBreak))
            return;
        const qsizetype cursor = edit->cursorPosition();
        qsizetype cursorAt = -1;
        QString clean;
        clean.reserve(text.size());
        for (qsizetype i = 0; i < text.size();) {
            if (i == cursor)
                cursorAt = clean.size();
            if (!isLineBreak(text.at(i))) {
                clean += text.at(i++);
                continue;
            }
            const qsizetype start = i;
            while (i < text.size() && isLineBreak(text.at(i)))
                ++i;
            if (start > 0 && i < text.size())
                clean += QLatin1Char(' ');
            if (cursor > start && cursor <= i)
                cursorAt = clean.size();
        }
        edit->setText(clean);
        edit->setCursorPosition(int(cursorAt < 0 ? clean.size() : cursorAt));
        emit edit->textEdited(clean);
    }

    static void showStart(QLineEdit *edit)
    {
        if (edit->isReadOnly())
            edit->setCursorPosition(0);
    }
};

} // namespace

void installUiConventions(QApplication *app)
{
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    // Gone with its application, should a process make a second one.
    static QPointer<UiConventions> conventions;
    if (conventions)
        return;
    QApplication *target = app ? app : qApp;
    conventions = new UiConventions(target);
    target->installEventFilter(conventions);
}
