#include "db/sqlitelike.h"

#include <QChar>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

// Code points below this get their folded value from a table made once;
// it holds the Latin, Greek and Cyrillic letters with accents.
constexpr char32_t TableSize = 0x3000;

// Letters that look like a base letter with a mark but are letters of their
// own: the Polish ones, and the Cyrillic ones such as й and ї, which the
// server does not take for и and і either.
bool isLetterOfItsOwn(char32_t c)
{
    switch (c) {
    case U'ą': case U'ć': case U'ę': case U'ł': case U'ń':
    case U'ó': case U'ś': case U'ź': case U'ż':
    case U'й': case U'ї': case U'ў': case U'ѓ': case U'ќ':
    case U'ѷ': case U'ӑ': case U'ӓ': case U'ӗ': case U'ӛ': case U'ӝ': case U'ӟ': case U'ӥ':
    case U'ӧ': case U'ӫ': case U'ӭ': case U'ӱ': case U'ӳ': case U'ӵ': case U'ӹ':
        return true;
    default:
        return false;
    }
}

// Lower case, and a letter with an accent becomes its base letter unless it
// is a letter of its own. A space that only does not break or is of
// another width (pasted from a web page or a document) is a space.
char32_t slowFold(char32_t c)
{
    char32_t folded = QChar::toCaseFolded(c);
    while (!isLetterOfItsOwn(folded) && QChar::decompositionTag(folded) == QChar::Canonical) {
        const QString parts = QChar::decomposition(folded);
        if (parts.isEmpty() || parts.at(0).isSurrogate())
            break;
        folded = QChar::toCaseFolded(char32_t(parts.at(0).unicode()));
    }
    if (QChar::decomposition(folded) == QLatin1String(" "))
        return U' ';
    return folded;
}

const std::array<char32_t, TableSize> &foldTable()
{
    static const std::array<char32_t, TableSize> table = [] {
        std::array<char32_t, TableSize> t{};
        for (char32_t c = 0; c < TableSize; ++c)
            t[c] = c < 0x80 ? char32_t(c >= 'A' && c <= 'Z' ? c + 32 : c) : slowFold(c);
        return t;
    }();
    return table;
}

inline char32_t fold(char32_t c, const char32_t *table)
{
    return c < TableSize ? table[c] : QChar::toCaseFolded(c);
}

// One code point of UTF-8 text; a byte that starts no valid sequence stands
// for itself, so broken text still compares byte by byte.
inline char32_t decode(const unsigned char *&p, const unsigned char *end)
{
    const unsigned char lead = *p++;
    if (lead < 0x80)
        return lead;
    int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (more == 0 || end - p < more)
        return lead;
    char32_t c = lead & (0x3F >> more);
    const unsigned char *q = p;
    for (int i = 0; i < more; ++i, ++q) {
        if ((*q & 0xC0) != 0x80)
            return lead;
        c = (c << 6) | (*q & 0x3F);
    }
    p = q;
    return c;
}

// A pattern read once per statement: folded letters and the two wildcards.
struct Pattern
{
    enum : char32_t { AnyRun = 0xFFFFFFFF, AnyOne = 0xFFFFFFFE };
    std::vector<char32_t> tokens;
    char32_t escape = 0;
    bool hasEscape = false;
    bool never = false; // ends in a lone escape
};

Pattern *compile(const unsigned char *text, int bytes, bool hasEscape, char32_t escape,
                 const char32_t *table)
{
    auto *pattern = new Pattern;
    pattern->escape = escape;
    pattern->hasEscape = hasEscape;
    pattern->tokens.reserve(bytes);
    const unsigned char *p = text;
    const unsigned char *end = text + bytes;
    while (p < end) {
        char32_t c = decode(p, end);
        if (hasEscape && c == escape) {
            // An escape at the very end matches nothing, as in SQLite.
            if (p >= end) {
                pattern->never = true;
                break;
            }
            pattern->tokens.push_back(fold(decode(p, end), table));
        } else if (c == '%') {
            // Runs of "%" are one.
            if (pattern->tokens.empty() || pattern->tokens.back() != Pattern::AnyRun)
                pattern->tokens.push_back(Pattern::AnyRun);
        } else if (c == '_') {
            pattern->tokens.push_back(Pattern::AnyOne);
        } else {
            pattern->tokens.push_back(fold(c, table));
        }
    }
    return pattern;
}

bool matches(const Pattern &pattern, const unsigned char *s, const unsigned char *end,
             const char32_t *table)
{
    if (pattern.never)
        return false;
    const char32_t *p = pattern.tokens.data();
    const char32_t *pEnd = p + pattern.tokens.size();
    // After a "%": where the pattern resumes and where the text tried next.
    const char32_t *starP = nullptr;
    const unsigned char *starS = nullptr;
    while (s < end) {
        if (p < pEnd) {
            if (*p == Pattern::AnyRun) {
                starP = ++p;
                starS = s;
                continue;
            }
            const unsigned char *next = s;
            const char32_t c = decode(next, end);
            if (*p == Pattern::AnyOne || *p == fold(c, table)) {
                ++p;
                s = next;
                continue;
            }
        }
        if (!starP)
            return false;
        // The "%" takes one more character of the text.
        p = starP;
        decode(starS, end);
        s = starS;
    }
    while (p < pEnd && *p == Pattern::AnyRun)
        ++p;
    return p == pEnd;
}

void deletePattern(void *pattern)
{
    delete static_cast<Pattern *>(pattern);
}

// like(pattern, text) and like(pattern, text, escape): "text LIKE pattern".
void likeFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    const auto *patternText = sqlite3_value_text(argv[0]);
    const int patternBytes = sqlite3_value_bytes(argv[0]);
    const auto *text = sqlite3_value_text(argv[1]);
    const int textBytes = sqlite3_value_bytes(argv[1]);
    if (!patternText || !text)
        return; // NULL
    if (patternBytes > sqlite3_limit(sqlite3_context_db_handle(context),
                                     SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1)) {
        sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
        return;
    }
    bool hasEscape = false;
    char32_t escape = 0;
    if (argc == 3) {
        const auto *escapeText = sqlite3_value_text(argv[2]);
        if (!escapeText)
            return;
        const unsigned char *e = escapeText;
        const unsigned char *eEnd = e + sqlite3_value_bytes(argv[2]);
        if (e < eEnd)
            escape = decode(e, eEnd);
        if (e != eEnd || escape == 0) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        hasEscape = true;
    }

    const char32_t *table = foldTable().data();
    auto *pattern = static_cast<Pattern *>(sqlite3_get_auxdata(context, 0));
    if (!pattern || pattern->hasEscape != hasEscape || pattern->escape != escape) {
        pattern = compile(patternText, patternBytes, hasEscape, escape, table);
        // SQLite keeps the compiled pattern while argument 0 stays the same
        // (a constant of the statement) and frees it afterwards; it may also
        // free it at once, so it is read before being handed over.
        const bool found = matches(*pattern, text, text + textBytes, table);
        sqlite3_set_auxdata(context, 0, pattern, deletePattern);
        sqlite3_result_int(context, found ? 1 : 0);
        return;
    }
    sqlite3_result_int(context, matches(*pattern, text, text + textBytes, table) ? 1 : 0);
}

} // namespace

bool installSqliteLike(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return false;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || std::strcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3 *connection = *static_cast<sqlite3 *const *>(handle.data());
    if (!connection)
        return false;
    foldTable(); // made here rather than during the first statement
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    return sqlite3_create_function(connection, "like", 2, flags, nullptr, likeFunction, nullptr,
                                   nullptr) == SQLITE_OK
        && sqlite3_create_function(connection, "like", 3, flags, nullptr, likeFunction, nullptr,
                                   nullptr) == SQLITE_OK;
}
