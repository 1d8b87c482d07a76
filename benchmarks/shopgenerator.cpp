#include "shopgenerator.h"

#include "db/dbwidget.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

namespace {

// An empty text, never NULL: MySQL declares the text columns NOT NULL.
const QString Empty = QStringLiteral("");

const QStringList FirstNames{
    "Jan", "Anna", "Piotr", "Katarzyna", "Łukasz", "Żaneta", "Andrzej", "Małgorzata",
    "Krzysztof", "Agnieszka", "Tomasz", "Barbara", "Paweł", "Ewa", "Michał", "Elżbieta",
    "Marcin", "Zofia", "Grzegorz", "Joanna", "Józef", "Magdalena", "Marek", "Dorota",
    "Stanisław", "Beata", "Wojciech", "Jolanta", "Zbigniew", "Halina"};
const QStringList Surnames{
    "Nowak", "Kowalski", "Wiśniewski", "Wójcik", "Kowalczyk", "Kamiński", "Lewandowski",
    "Zieliński", "Szymański", "Woźniak", "Dąbrowski", "Kozłowski", "Jankowski", "Mazur",
    "Kwiatkowski", "Krawczyk", "Piotrowski", "Grabowski", "Nowakowski", "Pawłowski",
    "Michalski", "Król", "Wieczorek", "Jabłoński", "Wróbel", "Nowicki", "Majewski", "Olszewski",
    "Stępień", "Jaworski", "Malinowski", "Adamczyk", "Dudek", "Zając", "Górski", "Pawlak",
    "Sikora", "Walczak", "Baran", "Rutkowski", "Michalak", "Szewczyk", "Ostrowski", "Tomaszewski",
    "Pietrzak", "Wróblewski", "Marciniak", "Jasiński", "Zawadzki", "Bąk", "Jakubowski", "Sadowski",
    "Duda", "Włodarczyk", "Wilk", "Chmielewski", "Borkowski", "Sokołowski", "Szczepański",
    "Sawicki", "Lis", "Kucharski", "Kalinowski", "Wysocki", "Mazurek", "Kubiak", "Kaczmarczyk",
    "Czarnecki", "Konieczny", "Urbański", "Żak", "Łuczak", "Ćwik", "Śliwa", "Źrebiec"};
const QStringList Cities{"Kraków", "Warszawa", "Łódź", "Wrocław", "Poznań", "Gdańsk", "Szczecin",
                         "Bydgoszcz", "Lublin", "Białystok", "Katowice", "Gdynia", "Częstochowa",
                         "Radom", "Toruń", "Kielce", "Rzeszów", "Gliwice", "Zabrze", "Olsztyn",
                         "Bielsko-Biała", "Bytom", "Zielona Góra", "Rybnik", "Tarnów"};
const QStringList Streets{"Długa", "Krótka", "Polna", "Leśna", "Słoneczna", "Ogrodowa",
                          "Lipowa", "Łąkowa", "Kościuszki", "Mickiewicza", "Szkolna",
                          "Kwiatowa", "Piłsudskiego", "Żeromskiego", "Sienkiewicza",
                          "Wiśniowa", "Źródlana", "Świętokrzyska", "3 Maja", "Grunwaldzka"};
const QStringList Companies{"", "", "", "", "", "", "Usługi Komputerowe", "Biuro Rachunkowe",
                            "Przychodnia Zdrowie", "Szkoła Podstawowa nr 5", "Hurtownia Bąk",
                            "Apteka Pod Lipą", "Kancelaria Notarialna", "Auto-Serwis"};

struct Device
{
    int type;
    const char *name;
    QStringList makers;
    QStringList models;
};
const QList<Device> Devices{
    {0, "Laptop", {"Dell", "Lenovo", "HP", "Asus", "Acer", "Toshiba"},
     {"Latitude E5440", "ThinkPad T480", "ProBook 450", "VivoBook 15", "Aspire 5", "Satellite"}},
    {1, "Komputer PC", {"Optimus", "Dell", "HP", "Lenovo"},
     {"Platinum", "OptiPlex 7010", "EliteDesk 800", "ThinkCentre M720"}},
    {11, "Telefon", {"Samsung", "Apple", "Xiaomi", "Motorola", "Nokia"},
     {"Galaxy S10", "iPhone 8", "Redmi Note 9", "Moto G8", "3310"}},
    {12, "Aparat", {"Canon", "Nikon", "Sony", "Olympus"},
     {"EOS 600D", "D3300", "Alpha 6000", "OM-D E-M10"}},
    {13, "Wzmacniacz", {"Yamaha", "Denon", "Technics", "Unitra"},
     {"RX-V473", "PMA-520", "SU-V500", "Radmor 5102"}},
    {14, "Drukarka", {"HP", "Brother", "Epson", "Canon"},
     {"LaserJet P1102", "HL-2130", "L3150", "Pixma MG2550"}},
    {15, "Konsola", {"Sony", "Microsoft", "Nintendo"}, {"PlayStation 4", "Xbox One", "Switch"}},
    {16, "CB Radio", {"President", "Midland", "Alan"}, {"Johnny III", "Alan 78", "48 Excel"}},
    {17, "Monitor", {"LG", "Samsung", "Iiyama", "Philips"},
     {"24MK430H", "S24F350", "ProLite X2483", "243V7"}},
    {18, "Telewizor", {"Samsung", "LG", "Philips", "Sony"},
     {"UE40J5200", "43UK6200", "55PUS7303", "KDL-40W705"}},
    {19, "Nawigacja", {"Garmin", "TomTom", "Navitel"}, {"Drive 52", "GO 520", "E500"}},
    {2, "Inne urządzenie", {"Philips", "Bosch", "Zelmer"}, {"HD7546", "MUM4", "Symbio"}}};

const QStringList Accessories{"", "zasilacz", "zasilacz, torba", "ładowarka", "bez wyposażenia",
                              "kabel USB", "pilot", "pudełko, instrukcja"};
const QStringList Defects{
    "Nie włącza się", "Nie ładuje baterii", "Pęknięty ekran", "Głośno pracuje wentylator",
    "Przegrzewa się i wyłącza", "Brak obrazu", "Nie czyta płyt", "Zalany wodą",
    "Wolno działa, prośba o przegląd", "Uszkodzone gniazdo zasilania", "Brak dźwięku",
    "Nie łączy się z Wi-Fi", "Wymiana klawiatury", "Reinstalacja systemu, kopia danych",
    "Drukuje smugi", "Zacina papier", "Nie reaguje na pilot", "Migocze podświetlenie"};
const QStringList NoteTexts{
    "Klient poinformowany telefonicznie o kosztach.", "Zamówiono części u dostawcy.",
    "Części dotarły, naprawa w toku.", "Wymieniono gniazdo zasilania, test 24 h.",
    "Czyszczenie układu chłodzenia i wymiana pasty termoprzewodzącej.",
    "Klient prosi o kontakt po 16:00.", "Brak możliwości naprawy – uszkodzona płyta główna.",
    "Wykonano kopię danych na płytę DVD.", "Sprzęt wysłany do serwisu zewnętrznego.",
    "<b>Uwaga:</b> klient nie zgadza się na koszty powyżej 200 zł.",
    "Urządzenie sprawdzone, działa poprawnie.", "Wycena: 150 zł brutto."};
const QStringList StatusNames{"Nowa naprawa", "Naprawa rozpoczęta", "Zuvove zewnętrzny",
                              "Oczekuje na części", "Naprawa niewykonana", "Naprawa ukończona"};

QString pick(QRandomGenerator &rng, const QStringList &list)
{
    return list.at(int(rng.bounded(quint32(list.size()))));
}

QString ascii(QString text)
{
    static const QString from = QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
    static const QString to = QStringLiteral("acelnoszzACELNOSZZ");
    for (int i = 0; i < from.size(); ++i)
        text.replace(from.at(i), to.at(i));
    return text.toLower();
}

} // namespace

ShopSize ShopSize::forRepairs(int repairs)
{
    ShopSize size;
    size.repairs = qMax(1, repairs);
    size.clients = qMax(1, repairs / 3);
    size.hardware = qMax(1, repairs / 2);
    size.notes = repairs * 5;
    size.bills = qMax(1, repairs / 3);
    size.templates = qMax(1, repairs / 600);
    return size;
}

ShopGenerator::ShopGenerator(DbWidget *db, quint32 seed) : m_db(db), m_seed(seed) {}

qint64 ShopGenerator::endOfHistory()
{
    return QDateTime::currentSecsSinceEpoch();
}

bool ShopGenerator::insertRows(const QString &table, const QStringList &columns, int count,
                               const std::function<void(int, QVariantList &)> &row,
                               const Progress &progress)
{
    constexpr int RowsPerStatement = 200;
    constexpr int RowsPerTransaction = 20000;
    const QString tuple = QLatin1Char('(')
                          + QStringList(columns.size(), QStringLiteral("?")).join(',')
                          + QLatin1Char(')');
    const QString head = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, columns.join(','));
    QSqlDatabase base = m_db->database();
    QSqlQuery full(base);
    if (!full.prepare(head + QStringList(RowsPerStatement, tuple).join(','))) {
        m_error = full.lastError().text();
        return false;
    }
    QVariantList values;
    values.reserve(RowsPerStatement * columns.size());
    for (int first = 0; first < count; first += RowsPerTransaction) {
        if (!base.transaction()) {
            m_error = base.lastError().text();
            return false;
        }
        const int end = qMin(count, first + RowsPerTransaction);
        for (int start = first; start < end; start += RowsPerStatement) {
            const int rows = qMin(RowsPerStatement, end - start);
            values.clear();
            for (int i = start; i < start + rows; ++i)
                row(i, values);
            QSqlQuery tail(base);
            QSqlQuery &q = rows == RowsPerStatement ? full : tail;
            if (rows != RowsPerStatement)
                tail.prepare(head + QStringList(rows, tuple).join(','));
            for (int v = 0; v < values.size(); ++v)
                q.bindValue(v, values.at(v));
            if (!q.exec()) {
                m_error = table + QLatin1String(": ") + q.lastError().text();
                base.rollback();
                return false;
            }
        }
        if (!base.commit()) {
            m_error = base.lastError().text();
            return false;
        }
        if (progress)
            progress(table, end, count);
    }
    return true;
}

const QStringList &ShopGenerator::recordTables()
{
    static const QStringList tables{QStringLiteral("clients"), QStringLiteral("hardware"),
                                    QStringLiteral("repairs"), QStringLiteral("templates"),
                                    QStringLiteral("billing"), QStringLiteral("notes")};
    return tables;
}

QString ShopGenerator::firstFilledTable()
{
    for (const QString &table : recordTables()) {
        QSqlQuery q(m_db->database());
        if (!q.exec(QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(table)) || q.next())
            return table;
    }
    return QString();
}

bool ShopGenerator::fill(const ShopSize &size, const Progress &progress)
{
    const QString filled = firstFilledTable();
    if (!filled.isEmpty()) {
        m_error = QStringLiteral("Baza danych zawiera już rekordy (tabela %1). Generator wypełnia tylko nową, "
                                 "pustą bazę: podaj nowy plik lub pustą bazę MySQL/MariaDB; nic nie zostało "
                                 "zmienione.")
                      .arg(filled);
        return false;
    }
    QRandomGenerator rng(m_seed);
    const qint64 end = endOfHistory();
    const qint64 start = end - qint64(10) * 365 * 86400;

    // Technicians besides the administrator.
    const QStringList staff{"Adam Serwisant", "Beata Technik", "Cezary Łącki", "Dorota Żmuda"};
    if (!insertRows(QStringLiteral("users"), {"iId", "sUser", "sPassword", "iLevel", "bActive"},
                    staff.size(),
                    [&](int i, QVariantList &v) {
                        v << i + 2 << staff.at(i) << Empty << 2 + i << 1;
                    },
                    progress))
        return false;
    const int users = staff.size() + 1;

    if (!insertRows(QStringLiteral("clients"),
                    {"iId", "sFName", "sSName", "sCompany", "sNIP", "sStreet", "sAddrBuild",
                     "sAddrLoc", "sCity", "sPostal", "sEmail", "sEmail2", "sPhone", "sPhone2",
                     "sDescription"},
                    size.clients,
                    [&](int i, QVariantList &v) {
                        const QString first = pick(rng, FirstNames);
                        const QString surname = pick(rng, Surnames);
                        const QString company = pick(rng, Companies);
                        v << i + 1 << first << surname << company
                          << (company.isEmpty() ? Empty
                                                : QStringLiteral("%1").arg(rng.bounded(1000000000u, 4000000000u)))
                          << pick(rng, Streets) << QString::number(1 + rng.bounded(150))
                          << (rng.bounded(3) == 0 ? QString::number(1 + rng.bounded(60)) : Empty)
                          << pick(rng, Cities)
                          << QStringLiteral("%1-%2").arg(rng.bounded(10, 99)).arg(rng.bounded(1000), 3, 10, QLatin1Char('0'))
                          << QStringLiteral("%1.%2%3@poczta.pl").arg(ascii(first), ascii(surname)).arg(i)
                          << Empty
                          << QStringLiteral("%1").arg(500000000 + rng.bounded(299999999))
                          << (rng.bounded(4) == 0 ? QStringLiteral("12 %1").arg(rng.bounded(1000000, 9999999)) : Empty)
                          << (rng.bounded(10) == 0 ? QStringLiteral("Stały klient, rabat 10%") : Empty);
                    },
                    progress))
        return false;

    // Hardware statuses by group: in the shop, out of it, handed back.
    const int hwStatuses[] = {1, 5, 2, 3, 4, 0, 6, 6, 6, 6};
    QVector<int> owner(size.hardware);
    if (!insertRows(QStringLiteral("hardware"),
                    {"iId", "sHName", "iHType", "iStoreStatus", "iReceivedDate", "sStoreComment",
                     "sField1", "sField2", "sField3", "sField4", "sField5", "sField6", "sField7",
                     "sField8", "sField9", "sField10", "sField11", "sField12", "sField13",
                     "sField14", "iFieldDate", "sFieldLong", "iOwner"},
                    size.hardware,
                    [&](int i, QVariantList &v) {
                        const Device &device = Devices.at(int(rng.bounded(quint32(Devices.size()))));
                        const int model = int(rng.bounded(quint32(device.models.size())));
                        const QString maker = device.makers.at(model % device.makers.size());
                        const int status = hwStatuses[rng.bounded(10)];
                        owner[i] = 1 + int(rng.bounded(quint32(size.clients)));
                        const qint64 bought = start + qint64(rng.bounded(3000)) * 86400;
                        v << i + 1
                          << QStringLiteral("%1 %2 %3").arg(QString::fromUtf8(device.name), maker, device.models.at(model))
                          << device.type << status
                          << (status == 6 || status == 0 ? bought + 86400 * 40 : 0)
                          << (status == 2 ? QStringLiteral("Wysłany do serwisu producenta") : Empty)
                          << maker << device.models.at(model)
                          << QStringLiteral("SN%1%2").arg(rng.bounded(100000, 999999)).arg(i)
                          << pick(rng, Accessories);
                        for (int f = 5; f <= 14; ++f)
                            v << Empty;
                        v << QDateTime::fromSecsSinceEpoch(bought).date().startOfDay().toSecsSinceEpoch()
                          << (rng.bounded(5) == 0 ? QStringLiteral("Rysy na obudowie") : Empty)
                          << owner[i];
                    },
                    progress))
        return false;

    // Repairs in order of intake; the older a repair, the likelier it is closed.
    const qint64 span = end - start;
    QVector<qint64> added(size.repairs);
    QVector<int> repairHardware(size.repairs);
    if (!insertRows(QStringLiteral("repairs"),
                    {"iId", "sNum", "iAddDate", "iEndDate", "iType", "sCost", "sMCost", "sDefect",
                     "sSolution", "sComment", "sOuterNo", "iStatus", "iProgress", "iClientId",
                     "iHardwareId", "iSubmitterId", "iTechnicanId"},
                    size.repairs,
                    [&](int i, QVariantList &v) {
                        const qint64 when = start + span * i / size.repairs + rng.bounded(3600);
                        added[i] = when;
                        const qint64 age = end - when;
                        int status;
                        if (age > 90 * 86400)
                            status = rng.bounded(20) == 0 ? 4 : 5;
                        else if (age > 14 * 86400)
                            status = int(rng.bounded(6));
                        else
                            status = int(rng.bounded(4));
                        const int hardware = 1 + int(rng.bounded(quint32(size.hardware)));
                        repairHardware[i] = hardware;
                        const QDate day = QDateTime::fromSecsSinceEpoch(when).date();
                        v << i + 1 << QStringLiteral("%1/%2").arg(i % 1000 + 1).arg(day.year())
                          << when
                          << (status >= 4 ? when + 86400 * qint64(1 + rng.bounded(20)) : when + 14 * 86400)
                          << int(rng.bounded(5)) - 1
                          << QStringLiteral("%1 zł").arg(50 + 10 * rng.bounded(50))
                          << QStringLiteral("%1,00").arg(rng.bounded(200))
                          << pick(rng, Defects)
                          << (status == 5 ? QStringLiteral("Naprawiono, sprzęt sprawny.") : Empty)
                          << (rng.bounded(4) == 0 ? QStringLiteral("Pilne!") : Empty)
                          << (rng.bounded(8) == 0 ? QStringLiteral("ZW/%1").arg(i) : Empty)
                          << status << (status == 5 ? 100 : int(rng.bounded(10)) * 10)
                          << owner[hardware - 1] << hardware << 1 + int(rng.bounded(quint32(users)))
                          << 1 + int(rng.bounded(quint32(users)));
                    },
                    progress))
        return false;

    if (!insertRows(QStringLiteral("notes"),
                    {"iId", "iRepairId", "iAddDate", "iSeverity", "sNote", "iUserId"}, size.notes,
                    [&](int i, QVariantList &v) {
                        // Notes follow their repairs' order, a few for each.
                        const int repair = int(qint64(i) * size.repairs / size.notes);
                        // Within 20 days of the intake, and never after the
                        // end of the history.
                        const qint64 room = qMin<qint64>(20 * 86400, end - added[repair] + 1);
                        const qint64 when = added[repair] + qint64(rng.bounded(quint32(qMax<qint64>(1, room))));
                        const bool statusChange = rng.bounded(4) == 0;
                        v << i + 1 << repair + 1 << when << int(rng.bounded(6))
                          << (statusChange ? QStringLiteral("Zmiana statusu naprawy na \"%1\"")
                                                 .arg(pick(rng, StatusNames))
                                           : pick(rng, NoteTexts))
                          << 1 + int(rng.bounded(quint32(users)));
                    },
                    progress))
        return false;

    if (!insertRows(QStringLiteral("billing"),
                      {"iId", "iAddDate", "iClientId", "iRepairId", "iHardwareId", "sPriceNet",
                       "sPriceGross", "sPriceParts", "sPriceLabor", "sPriceOuter", "sDescription",
                       "iStatus", "iDate", "iUser"},
                      size.bills,
                      [&](int i, QVariantList &v) {
                          const int repair = int(qint64(i) * size.repairs / size.bills);
                          const int net = 50 + 10 * int(rng.bounded(60));
                          const bool settled = end - added[repair] > 30 * 86400 || rng.bounded(2);
                          v << i + 1 << added[repair] + 86400 * 3
                            << owner[repairHardware[repair] - 1] << repair + 1
                            << repairHardware[repair]
                            << QString::number(net) << QString::number(net * 123 / 100)
                            << QString::number(net / 3) << QString::number(net - net / 3)
                            << QStringLiteral("0") << QStringLiteral("Rachunek za naprawę nr %1").arg(repair + 1)
                            << (settled ? 1 : 0) << (settled ? added[repair] + 86400 * 5 : 0)
                            << (settled ? 1 + int(rng.bounded(quint32(users))) : 0);
                      },
                      progress))
        return false;

    // A template per device model and kind of use, numbered on.
    return insertRows(QStringLiteral("templates"),
                      {"iId", "sHName", "iHType", "sField1", "sField2", "sField3", "sField4", "sField5",
                       "sField6", "sField7", "sField8", "sField9", "sField10", "sField11", "sField12",
                       "sField13", "sField14", "iFieldDate", "sFieldLong"},
                      size.templates,
                      [&](int i, QVariantList &v) {
                          const Device &device = Devices.at(i % Devices.size());
                          const int model = (i / int(Devices.size())) % int(device.models.size());
                          const QString maker = device.makers.at(model % device.makers.size());
                          v << i + 1
                            << QStringLiteral("%1 %2 %3 (%4)")
                                   .arg(QString::fromUtf8(device.name), maker, device.models.at(model))
                                   .arg(i + 1)
                            << device.type << maker << device.models.at(model) << Empty << pick(rng, Accessories);
                          for (int f = 5; f <= 14; ++f)
                              v << Empty;
                          v << 0 << Empty;
                      },
                      progress);
}
