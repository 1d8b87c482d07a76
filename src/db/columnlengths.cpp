#include "db/columnlengths.h"

#include "dictionaries/fieldsconfig.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSqlError>
#include <QStyledItemDelegate>
#include <QTextCursor>

namespace ColumnLengths {

namespace {

constexpr int TextBytes = 65535;
const char *const LimitProperty = "columnLimit";
// The length of a plain-text input's text before its last change.
const char *const ShownProperty = "shownLength";

#define GENERIC_FIELDS(table)                                                                      \
    {table, "sField1", 255, Unit::Characters, "Pole 1"},                                           \
        {table, "sField2", 255, Unit::Characters, "Pole 2"},                                       \
        {table, "sField3", 255, Unit::Characters, "Pole 3"},                                       \
        {table, "sField4", 255, Unit::Characters, "Pole 4"},                                       \
        {table, "sField5", 255, Unit::Characters, "Pole 5"},                                       \
        {table, "sField6", 255, Unit::Characters, "Pole 6"},                                       \
        {table, "sField7", 255, Unit::Characters, "Pole 7"},                                       \
        {table, "sField8", 255, Unit::Characters, "Pole 8"},                                       \
        {table, "sField9", 255, Unit::Characters, "Pole 9"},                                       \
        {table, "sField10", 255, Unit::Characters, "Pole 10"},                                     \
        {table, "sField11", 255, Unit::Characters, "Pole 11"},                                     \
        {table, "sField12", 255, Unit::Characters, "Pole 12"},                                     \
        {table, "sField13", 255, Unit::Characters, "Pole 13"},                                     \
        {table, "sField14", 255, Unit::Characters, "Pole 14"},                                     \
        {table, "sFieldLong", TextBytes, Unit::Bytes, "Opis"}

// Never narrower than what databases made so far hold.
const Column Columns[] = {
    {"clients", "sSName", 50, Unit::Characters, "Nazwisko"},
    {"clients", "sFName", 50, Unit::Characters, "Imię"},
    {"clients", "sCompany", 100, Unit::Characters, "Firma"},
    {"clients", "sNIP", 50, Unit::Characters, "NIP"},
    {"clients", "sStreet", 100, Unit::Characters, "Ulica"},
    {"clients", "sAddrBuild", 25, Unit::Characters, "Nr domu"},
    {"clients", "sAddrLoc", 25, Unit::Characters, "Nr lokalu"},
    {"clients", "sCity", 50, Unit::Characters, "Miasto"},
    {"clients", "sPostal", 50, Unit::Characters, "Kod"},
    {"clients", "sEmail", 50, Unit::Characters, "E-mail"},
    {"clients", "sEmail2", 50, Unit::Characters, "E-mail 2"},
    {"clients", "sPhone", 100, Unit::Characters, "Telefon"},
    {"clients", "sPhone2", 100, Unit::Characters, "Telefon 2"},
    {"clients", "sDescription", TextBytes, Unit::Bytes, "Opis"},
    {"hardware", "sHName", 255, Unit::Characters, "Nazwa"},
    {"hardware", "sStoreComment", TextBytes, Unit::Bytes, "Komentarz"},
    GENERIC_FIELDS("hardware"),
    {"templates", "sHName", 255, Unit::Characters, "Nazwa"},
    GENERIC_FIELDS("templates"),
    {"repairs", "sCost", 255, Unit::Characters, "Koszt naprawy"},
    {"repairs", "sMCost", 255, Unit::Characters, "Koszt materiałów"},
    {"repairs", "sOuterNo", 255, Unit::Characters, "Numer zewnętrzny"},
    {"repairs", "sDefect", TextBytes, Unit::Bytes, "Opis uszkodzenia"},
    {"repairs", "sSolution", TextBytes, Unit::Bytes, "Opis naprawy"},
    {"repairs", "sComment", TextBytes, Unit::Bytes, "Komentarz"},
    // The bills' columns have fixed types in the scripts; their lengths here
    // limit the bill form and name the field of a refused bill.
    {"billing", "sPriceNet", 255, Unit::Characters, "Kwota netto"},
    {"billing", "sPriceGross", 255, Unit::Characters, "Kwota brutto"},
    {"billing", "sPriceParts", 255, Unit::Characters, "Koszt części"},
    {"billing", "sPriceLabor", 255, Unit::Characters, "Koszt pracy"},
    {"billing", "sPriceOuter", 255, Unit::Characters, "Koszt zewnętrzny"},
    {"billing", "sDescription", TextBytes, Unit::Bytes, "Opis"},
};

#undef GENERIC_FIELDS

QString tr(const char *text)
{
    return QCoreApplication::translate("ColumnLengths", text);
}

// Shows the stored text whole, however long, while typing stays within the
// column.
class StoredTextDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (editor->property(LimitProperty).isValid())
            showStored(editor, index.data(Qt::EditRole).toString());
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }

protected:
    // A mapped field is a field of a form, not a cell being edited: Escape
    // does not put the stored text back over what was typed, which only the
    // form's cancel button drops.
    bool eventFilter(QObject *editor, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if ((type == QEvent::KeyPress || type == QEvent::ShortcutOverride)
            && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Cancel))
            return false;
        return QStyledItemDelegate::eventFilter(editor, event);
    }
};

} // namespace

const Column *find(const QString &table, const QString &column)
{
    for (const Column &c : Columns) {
        if (table == QLatin1String(c.table) && column == QLatin1String(c.column))
            return &c;
    }
    return nullptr;
}

const Column *findColumn(const QString &column)
{
    for (const Column &c : Columns) {
        if (column == QLatin1String(c.column))
            return &c;
    }
    return nullptr;
}

QString columnType(const Column &column, DbWidget::DbType engine)
{
    if (engine == DbWidget::MySQL)
        return column.unit == Unit::Characters ? QStringLiteral("VARCHAR(%1)").arg(column.limit)
                                               : QStringLiteral("TEXT");
    // SQLite keeps any length: the same bound is a constraint there.
    const QString measured = column.unit == Unit::Characters
        ? QString::fromLatin1(column.column)
        : QStringLiteral("CAST(%1 AS BLOB)").arg(QLatin1String(column.column));
    return QStringLiteral("TEXT CHECK (length(%1) <= %2)").arg(measured).arg(column.limit);
}

bool substitute(QString *script, DbWidget::DbType engine, QString *error)
{
    static const QRegularExpression placeholder(QStringLiteral("\\{(\\w+)\\.(\\w+)\\}"));
    QString out;
    qsizetype done = 0;
    auto it = placeholder.globalMatch(*script);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const Column *column = find(m.captured(1), m.captured(2));
        if (!column) {
            *error = tr("Nieznana kolumna w skrypcie bazy danych: %1").arg(m.captured(0));
            return false;
        }
        out += QStringView(*script).mid(done, m.capturedStart() - done);
        out += columnType(*column, engine);
        done = m.capturedEnd();
    }
    out += QStringView(*script).mid(done);
    *script = out;
    return true;
}

int excess(const Column &column, const QString &text)
{
    const QList<uint> characters = text.toUcs4();
    if (column.unit == Unit::Characters)
        return qMax(0, int(characters.size()) - column.limit);
    qsizetype over = text.toUtf8().size() - column.limit;
    int cut = 0;
    // The characters to drop from the end until the rest fits.
    for (auto c = characters.crbegin(); over > 0 && c != characters.crend(); ++c, ++cut)
        over -= *c < 0x80 ? 1 : *c < 0x800 ? 2 : *c < 0x10000 ? 3 : 4;
    return cut;
}

namespace {

// The maximum length of a line edit counts UTF-16 units: typing or pasting
// at the limit can keep the first half of a character beyond them (an emoji),
// which no database stores as typed. It goes, the cursor where it was.
void dropHalfCharacter(QLineEdit *line)
{
    const QString text = line->text();
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && (i + 1 == text.size() || !text.at(i + 1).isLowSurrogate())) {
            const int cursor = line->cursorPosition();
            line->setSelection(i, 1);
            line->del(); // comes back here for another one
            line->setCursorPosition(cursor > i ? cursor - 1 : cursor);
            return;
        }
    }
}

} // namespace

QString label(const Column &column)
{
    const QString configured = FieldsConfig::Description.value(QLatin1String(column.column));
    return configured.isEmpty() ? tr(column.label) : configured;
}

QString refusal(const QSqlError &error)
{
    // MySQL: "Data too long for column 'sSName' at row 1", or, when the end of
    // a long text (counted in bytes) would be cut inside a letter, "Incorrect
    // string value: '\xC4\x85' for column `db`.`repairs`.`sDefect` at row 1";
    // SQLite: "CHECK constraint failed: length(sSName) <= 50".
    static const QRegularExpression tooLong(QStringLiteral(
        "(?:Data too long for column '|(?<letter>Incorrect string value: .* for column (?:`[^`]*`\\.)*`)"
        "|CHECK constraint failed: length\\((?:CAST\\()?)(?<column>\\w+)"));
    const QRegularExpressionMatch m = tooLong.match(error.databaseText());
    const Column *column = m.hasMatch() ? findColumn(m.captured(u"column")) : nullptr;
    if (!column)
        return QString();
    // A column counted in characters is never cut inside a letter: there the
    // letter itself was refused, by a column of a database made in another
    // character set (latin1 takes no "ł", utf8mb3 no emoji), whatever the
    // length of the text.
    if (m.hasCaptured(u"letter") && column->unit == Unit::Characters)
        return QString();
    const QString most = column->unit == Unit::Characters
        ? tr("najwyżej %1 znaków").arg(column->limit)
        : tr("najwyżej %1 bajtów (litera polska zajmuje dwa)").arg(column->limit);
    return tr("Tekst w polu „%1” jest za długi: mieści się w nim %2. Skróć go i zapisz ponownie.")
        .arg(label(*column), most);
}

void limitInputs(QWidget *form, const QString &table, const QList<QPair<QString, QString>> &aliases)
{
    const auto inputs = form->findChildren<QWidget *>();
    for (QWidget *input : inputs) {
        auto *line = qobject_cast<QLineEdit *>(input);
        auto *text = qobject_cast<QPlainTextEdit *>(input);
        QString name = input->objectName();
        for (const auto &[alias, column] : aliases) {
            if (alias == name)
                name = column;
        }
        const Column *column = (line || text) ? find(table, name) : nullptr;
        if (!column)
            continue;
        if (line) {
            if (!line->property(LimitProperty).isValid())
                QObject::connect(line, &QLineEdit::textEdited, line, [line] { dropHalfCharacter(line); });
            line->setProperty(LimitProperty, column->limit);
            line->setMaxLength(qMax(column->limit, int(line->text().size())));
        } else if (!text->property(LimitProperty).isValid()) {
            text->setProperty(LimitProperty, column->limit);
            text->setProperty(ShownProperty, text->toPlainText().size());
            // What typing or pasting takes past the end is dropped at the
            // cursor, never more than it added. Text the program sets (a
            // stored record) clears the undo history and stays whole.
            QObject::connect(text, &QPlainTextEdit::textChanged, text, [text, column] {
                const QString now = text->toPlainText();
                const int grown = int(now.size()) - text->property(ShownProperty).toInt();
                const int over = grown > 0 ? excess(*column, now) : 0;
                if (over > 0 && text->document()->isUndoAvailable()) {
                    QTextCursor cursor = text->textCursor();
                    cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor,
                                        qMin(over, grown));
                    cursor.removeSelectedText(); // comes back here with the rest
                    return;
                }
                text->setProperty(ShownProperty, now.size());
            });
        }
    }
}

void showStored(QWidget *input, const QString &text)
{
    if (auto *plain = qobject_cast<QPlainTextEdit *>(input)) {
        plain->setPlainText(text);
        return;
    }
    auto *edit = qobject_cast<QLineEdit *>(input);
    if (!edit)
        return;
    const QVariant limit = edit->property(LimitProperty);
    if (limit.isValid())
        edit->setMaxLength(qMax(limit.toInt(), int(text.size())));
    edit->setText(text);
}

QAbstractItemDelegate *storedTextDelegate(QObject *parent)
{
    return new StoredTextDelegate(parent);
}

} // namespace ColumnLengths
