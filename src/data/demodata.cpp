#include "data/demodata.h"

#include "data/batchinsert.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "data/schemaversion.h"
#include "data/sqlitebackend.h"
#include "data/valuelists.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

namespace orv::data::demo {
namespace {

using schema::padded;

// Our own draws on top of mt19937, whose output sequence is fixed by the
// standard; the library's distributions are not, and the generated rows
// must be the same everywhere.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : m_gen(seed) {}
    std::uint32_t below(std::uint32_t n) { return n == 0 ? 0 : static_cast<std::uint32_t>(m_gen() % n); }
    bool chance(int percent) { return below(100) < static_cast<std::uint32_t>(percent); }
    // Index into cumulative weights given in percent (the last one 100).
    template <std::size_t N> int weighted(const std::array<int, N> &cumulative)
    {
        const auto r = static_cast<int>(below(100));
        for (std::size_t i = 0; i < N; ++i)
            if (r < cumulative[i])
                return static_cast<int>(i);
        return static_cast<int>(N - 1);
    }

private:
    std::mt19937 m_gen;
};

// The courses of the sample; `rubrik` indexes the course window's list, `art` the Art list.
struct SampleCourse {
    const char *nr;
    int rubrik;
    const char *beschreibung;
    int art;              // 0 = A, 1 = I, 2 = E
    const char *referent; // nullptr: none
    double kosten;
    double dauer;
};

const std::array<SampleCourse, 25> kCourses{{
    {"SK01", 0, "Konfliktmanagement im Team", 0, "Brandt, Claudia", 450.0, 16.0},
    {"SK02", 0, "Kommunikation und Gesprächsführung", 2, "Weber & Partner Training", 690.0, 16.0},
    {"SK03", 0, "Führen ohne Vorgesetztenfunktion", 1, "Hoffmann, Petra", 0.0, 12.0},
    {"MK01", 1, "Projektmanagement – Grundlagen und Werkzeuge", 2, "Dr. Lange, Michael", 1250.0, 24.0},
    {"MK02", 1, "Moderation und Präsentation", 0, "Keller, Sabine", 520.0, 14.0},
    {"MK03", 1, "Zeit- und Selbstmanagement", 1, "Neumann, Ute", 0.0, 7.5},
    {"QM01", 2, "Fehlermöglichkeits- und Einflussanalyse (FMEA)", 1, "Schäfer, Rainer", 0.0, 8.0},
    {"QM02", 2, "8D-Methode und systematische Problemlösung", 0, "Vogel, Andreas", 380.0, 8.0},
    {"QM03", 2, "Ausbildung zum internen Auditor", 2, "Qualitätsakademie Süd", 1890.0, 32.0},
    {"IT01", 3, "Tabellenkalkulation für Fortgeschrittene", 1, "Krüger, Stefan", 0.0, 6.0},
    {"IT02", 3, "ERP-Grundlagen Materialwirtschaft", 0, "Lorenz, Dirk", 290.0, 12.0},
    {"IT03", 3, "Datenschutz und IT-Sicherheit am Arbeitsplatz", 1, nullptr, 0.0, 3.5},
    {"SP01", 4, "Englisch für den Beruf – Mittelstufe", 2, "Sprachschule am Markt", 980.0, 40.0},
    {"SP02", 4, "Französisch für Einsteiger", 2, "Sprachschule am Markt", 860.0, 40.0},
    {"SP03", 4, "Telefonieren und Verhandeln auf Englisch", 0, "O'Connor, Fiona", 340.0, 10.0},
    {"FT01", 5, "Löttechnik in der Elektronikfertigung", 1, "Böhm, Werner", 0.0, 16.0},
    {"FT02", 5, "Hydraulik und Pneumatik – Grundlagen", 2, "Technikzentrum Rhein", 1120.0, 24.0},
    {"FT03", 5, "Einführung in die SPS-Programmierung", 0, "Jäger, Tobias", 1480.5, 32.0},
    {"UA01", 6, "Ausbildung zum betrieblichen Ersthelfer", 2, "Rettungsdienst Kreisverband", 60.0, 9.0},
    {"UA02", 6, "Unterweisung Flurförderfahrzeuge (Stapler)", 1, nullptr, 0.0, 4.0},
    {"UA03", 6, "Sicherer Umgang mit Gefahrstoffen", 0, "Dr. Groß, Helene", 210.0, 4.0},
    {"MV01", 7, "Marvek Training – Grundstufe", 0, "Marvek Institut", 750.0, 16.0},
    {"MV02", 7, "Marvek Training – Aufbaustufe", 0, "Marvek Institut", 750.0, 16.0},
    {"AS01", 8, "Antistress Programm: Entspannung und Stressbewältigung", 2, "Sommer, Iris", 320.0, 12.0},
    {"SO01", 9, "Einführungstag für neue Mitarbeiter", 1, nullptr, 0.0, 4.0},
}};

const std::array<const char *, 42> kDemoNames{
    "Müller, Jürgen",   "Özdemir, Ayşe",       "O'Neill, Sean",    "Schmidt, Andrea", "Schneider, Klaus",
    "Fischer, Monika",  "Weber, Stefan",       "Meyer, Sabine",    "Wagner, Thomas",  "Becker, Claudia",
    "Schulz, Michael",  "Hoffmann, Petra",     "Schäfer, Markus",  "Koch, Birgit",    "Bauer, Frank",
    "Richter, Susanne", "Klein, Dieter",       "Wolf, Karin",      "Schröder, Uwe",   "Neumann, Heike",
    "Schwarz, Ralf",    "Zimmermann, Anja",    "Braun, Holger",    "Krüger, Nicole",  "Hofmann, Bernd",
    "Hartmann, Silke",  "Lange, Matthias",     "Schmitt, Daniela", "Werner, Jörg",    "Krause, Tanja",
    "Meier, Wolfgang",  "Lehmann, Jutta",      "D'Angelo, Marco",  "Yılmaz, Mehmet",  "Weiß, Günter",
    "Äbischer, Ursula", "Groß, Dorothea",      "Köhler, Lars",     "Vogt, Renate",    "Nowak, Agnieszka",
    "Dupont, Céline",   "Papadopoulos, Nikos",
};

// For generated staff: surnames of at most 10 and first names of at most 7
// characters, so that "Surname-Surname, First" fits the 30-character column.
const std::array<const char *, 80> kSurnames{
    "Müller",   "Schmidt",    "Schneider", "Fischer", "Weber",    "Meyer",    "Wagner",    "Becker",   "Schulz",
    "Hoffmann", "Schäfer",    "Koch",      "Bauer",   "Richter",  "Klein",    "Wolf",      "Schröder", "Neumann",
    "Schwarz",  "Zimmermann", "Braun",     "Krüger",  "Hofmann",  "Hartmann", "Lange",     "Schmitt",  "Werner",
    "Schmitz",  "Krause",     "Meier",     "Lehmann", "Schmid",   "Schulze",  "Maier",     "Köhler",   "Herrmann",
    "König",    "Walter",     "Mayer",     "Huber",   "Kaiser",   "Fuchs",    "Peters",    "Lang",     "Scholz",
    "Möller",   "Weiß",       "Jung",      "Hahn",    "Schubert", "Vogel",    "Friedrich", "Keller",   "Günther",
    "Frank",    "Berger",     "Winkler",   "Roth",    "Beck",     "Lorenz",   "Baumann",   "Franke",   "Albrecht",
    "Schuster", "Simon",      "Ludwig",    "Böhm",    "Winter",   "Kraus",    "Martin",    "Özdemir",  "O'Neill",
    "D'Angelo", "Yılmaz",     "Kowalski",  "Öztürk",  "Groß",     "Jäger",    "Sommer",    "Äbischer",
};

const std::array<const char *, 60> kFirstNames{
    "Jürgen",  "Ayşe",   "Sean",   "Andrea", "Klaus", "Monika",  "Stefan",  "Sabine", "Thomas", "Claudia",
    "Michael", "Petra",  "Markus", "Birgit", "Frank", "Susanne", "Dieter",  "Karin",  "Uwe",    "Heike",
    "Ralf",    "Anja",   "Holger", "Nicole", "Bernd", "Silke",   "Daniela", "Jörg",   "Tanja",  "Jutta",
    "Marco",   "Mehmet", "Günter", "Ursula", "Lars",  "Renate",  "Céline",  "Nikos",  "Björn",  "Katrin",
    "Sven",    "Maren",  "Jens",   "Bärbel", "René",  "Sören",   "Elke",    "Timo",   "Gisela", "Hans",
    "Doris",   "Peter",  "Ines",   "Kai",    "Helga", "Emre",    "Zoë",     "Anton",  "Lea",    "Jan",
};

// Cost centre and department of each Bereich, in the employee window's order.
struct Area {
    const char *kostenstelle;
    const char *abteilung;
};
const std::array<Area, 17> kAreas{{
    {"4710", "DUV-EPH"},
    {"4720", "DUV-ES"},
    {"4730", "DUV-EL"},
    {"4740", "DUV-LSS"},
    {"4750", "DUV-LWS"},
    {"4760", "DUV-MOT"},
    {"4770", "DUV-MMS"},
    {"1200", "CO"},
    {"1300", "EK"},
    {"2100", "FP"},
    {"2200", "IE"},
    {"1400", "LOG"},
    {"1000", "P0"},
    {"1100", "PW"},
    {"3100", "QS"},
    {"1001", "WL"},
    {"3500", "WIH"},
}};

// Remarks that fit each status ("0" .. "3").
const std::array<std::array<const char *, 4>, 4> kRemarks{{
    {"Bedarf im Mitarbeitergespräch festgestellt", "Termin noch offen", "Vorgesetzter prüft die Freistellung",
     "Rücksprache mit Herrn O'Neill"},
    {"Anmeldung verschickt", "Hotel über die Reisestelle gebucht", "Termin mit dem Schichtplan abgestimmt",
     "Warteliste, Platz 2"},
    {"Zertifikat liegt vor", "Sehr gute Rückmeldung des Teilnehmers", "Auffrischung in zwei Jahren empfohlen",
     "Kosten übernimmt die Abteilung"},
    {"Kurzfristig abgesagt – Krankheit", "Kurs vom Anbieter abgesagt", "Verschoben wegen Produktionsanlauf",
     "Nicht erschienen, Vorgesetzter informiert"},
}};

// Entries whose course ended before this day are mostly done or missed; later ones planned or wanted.
const QDate kCutoff(2026, 7, 1);
constexpr int kFirstYear = 2025;
constexpr int kYears = 3;
constexpr int kSessionsPerYear = 2;

constexpr int kRowsPerBatch = 100;
constexpr std::size_t kDemoEntries = 300;

QVariant optionalText(const char *text, int width)
{
    return text ? QVariant(padded(QString::fromUtf8(text), width)) : QVariant();
}

// A course as it goes into the table, with its session start dates.
struct Course {
    QString nr; // padded
    const SampleCourse *sample;
    std::vector<QDate> sessions;
};

struct Employee {
    QString name; // padded
};

// The values that go with every column but the key, drawn once per entry.
struct PlanValues {
    QDate von, bis;
    int status = 0;
    int prio = 0;
    int quelle = 0;
    bool rechnung = false;
    bool beurteilung = false;
    int remark = -1;
};

std::vector<QDate> drawSessions(Rng &rng)
{
    std::vector<QDate> dates;
    dates.reserve(kYears * kSessionsPerYear);
    for (int y = 0; y < kYears; ++y) {
        for (int s = 0; s < kSessionsPerYear; ++s) {
            // One session in each half year, always starting on a Monday.
            const QDate first(kFirstYear + y, s == 0 ? 1 : 7, 1);
            QDate d = first.addDays(rng.below(170));
            d = d.addDays(1 - d.dayOfWeek());
            dates.push_back(d < first ? d.addDays(7) : d);
        }
    }
    return dates;
}

QDate endDate(const QDate &von, double dauer)
{
    const int days = std::max(1, static_cast<int>((dauer + 7.99) / 8.0));
    // Long courses run one day a week, short ones on consecutive days.
    return days > 4 ? von.addDays(7 * (days - 1)) : von.addDays(days - 1);
}

PlanValues drawPlan(Rng &rng, const Course &course)
{
    PlanValues p;
    p.von = course.sessions[rng.below(static_cast<std::uint32_t>(course.sessions.size()))];
    p.bis = endDate(p.von, course.sample->dauer);
    if (p.bis < kCutoff)
        p.status = std::array<int, 3>{2, 3, 0}[rng.weighted(std::array<int, 3>{78, 94, 100})];
    else
        p.status = rng.chance(50) ? 1 : 0;
    p.prio = rng.weighted(std::array<int, 4>{30, 50, 80, 100});
    p.quelle = rng.weighted(std::array<int, 4>{25, 55, 85, 100});
    p.rechnung = p.status == 2 && course.sample->kosten > 0 && rng.chance(85);
    p.beurteilung = p.status == 2 && rng.chance(60);
    if (rng.chance(18))
        p.remark = static_cast<int>(rng.below(4));
    return p;
}

// Padded values of the short lists, built once.
struct PlanTexts {
    QStringList prio, quelle, status;
    std::array<std::array<QVariant, 4>, 4> remarks;
    PlanTexts()
    {
        for (const QString &s : lists::prioritaet())
            prio.append(padded(s, 1));
        for (const QString &s : lists::quelle())
            quelle.append(padded(s, 3));
        for (int i = 0; i < 4; ++i)
            status.append(padded(QString::number(i), 1));
        for (int s = 0; s < 4; ++s)
            for (int r = 0; r < 4; ++r)
                remarks[s][r] = padded(QString::fromUtf8(kRemarks[s][r]), 80);
    }
};

const QStringList &planColumns()
{
    static const QStringList cols{QStringLiteral("KursNr"),     QStringLiteral("Name"),
                                  QStringLiteral("Prioritaet"), QStringLiteral("Quelle"),
                                  QStringLiteral("Datum_von"),  QStringLiteral("Datum_bis"),
                                  QStringLiteral("Rechnung"),   QStringLiteral("Beurteilung"),
                                  QStringLiteral("Bemerkung"),  QStringLiteral("Status")};
    return cols;
}

void writePlan(BatchInsert &out, const PlanTexts &t, const Course &c, const Employee &e, const PlanValues &p)
{
    out.add({c.nr, e.name, t.prio.at(p.prio), t.quelle.at(p.quelle), p.von, p.bis, p.rechnung, p.beurteilung,
             p.remark < 0 ? QVariant() : t.remarks[p.status][p.remark], t.status.at(p.status)});
}

std::vector<Course> writeCourses(Connection &conn, Rng &rng, qint64 count, bool demoNumbers)
{
    const QStringList rubrik = lists::rubrik();
    const QStringList art = lists::art();
    BatchInsert out(conn, QStringLiteral("Kurs"),
                    {QStringLiteral("KursNr"), QStringLiteral("Rubrik"), QStringLiteral("Beschreibung"),
                     QStringLiteral("Art"), QStringLiteral("Referent"), QStringLiteral("Kosten"),
                     QStringLiteral("Dauer")},
                    kRowsPerBatch);
    std::vector<Course> courses;
    courses.reserve(static_cast<std::size_t>(count));
    for (qint64 i = 0; i < count; ++i) {
        const SampleCourse &s = kCourses[static_cast<std::size_t>(i % qint64(kCourses.size()))];
        QString nr = QString::fromLatin1(s.nr);
        QString beschreibung = QString::fromUtf8(s.beschreibung);
        if (!demoNumbers) {
            // "SK0042": the sample's letters and a running number.
            nr = nr.left(2) + QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0'));
            if (i >= qint64(kCourses.size()))
                beschreibung += QStringLiteral(", Gruppe ") + QString::number(i / qint64(kCourses.size()) + 1);
        }
        Course c{padded(nr, 6), &s, drawSessions(rng)};
        out.add({c.nr, padded(rubrik.at(s.rubrik), 40), padded(beschreibung, 80), padded(art.at(s.art), 1),
                 optionalText(s.referent, 30), s.kosten, s.dauer});
        courses.push_back(std::move(c));
    }
    out.flush();
    return courses;
}

// Writes employees with a cost centre and department that fit their Bereich.
class EmployeeWriter {
public:
    explicit EmployeeWriter(Connection &conn)
        : m_out(conn, QStringLiteral("Mitarbeiter"),
                {QStringLiteral("Name"), QStringLiteral("Kostenstelle"), QStringLiteral("Abteilung"),
                 QStringLiteral("Kategorie"), QStringLiteral("Bereich")},
                kRowsPerBatch),
          m_bereich(lists::bereichMitarbeiter()), m_kategorie(lists::kategorie())
    {
    }
    int kategorien() const { return int(m_kategorie.size()); }
    void add(Rng &rng, const QString &name, int area, int kategorie)
    {
        const Area &a = kAreas[static_cast<std::size_t>(area) % kAreas.size()];
        // A few records lack the optional cost centre or department, as in any real register.
        const bool noKst = rng.chance(8);
        const bool noAbt = rng.chance(8);
        m_out.add({padded(name, 30), noKst ? QVariant() : QVariant(padded(QString::fromLatin1(a.kostenstelle), 6)),
                   noAbt ? QVariant() : QVariant(padded(QString::fromLatin1(a.abteilung), 10)),
                   padded(m_kategorie.at(kategorie), 3), padded(m_bereich.at(area % m_bereich.size()), 30)});
    }
    void flush() { m_out.flush(); }

private:
    BatchInsert m_out;
    QStringList m_bereich;
    QStringList m_kategorie;
};

constexpr qint64 kNamePairs = qint64(kSurnames.size()) * qint64(kFirstNames.size());
constexpr qint64 kMaxEmployees = kNamePairs * qint64(kSurnames.size());
constexpr qint64 kMaxCourses = 10000; // four digits after the letters

// The k-th generated name, unique for k < kMaxEmployees: first every
// surname with every first name (in a scrambled order), then double names.
QString generatedName(qint64 k)
{
    static const qint64 step = [] {
        qint64 a = 1777;
        while (std::gcd(a, kNamePairs) != 1)
            ++a;
        return a;
    }();
    const qint64 p = (k % kNamePairs) * step % kNamePairs;
    const auto s = static_cast<std::size_t>(p % qint64(kSurnames.size()));
    const auto f = static_cast<std::size_t>(p / qint64(kSurnames.size()));
    QString surname = QString::fromUtf8(kSurnames[s]);
    const qint64 round = k / kNamePairs;
    if (round > 0) {
        const auto other = (s + static_cast<std::size_t>(round)) % kSurnames.size();
        surname += QLatin1Char('-') + QString::fromUtf8(kSurnames[other]);
    }
    return surname + QStringLiteral(", ") + QString::fromUtf8(kFirstNames[f]);
}

// The trainings that must be repeated: the sample's first aid, forklift and
// hazardous goods courses in series of their own; generated courses in 100
// series of 12, 24 or 36 months.
void writeSeries(Connection &conn, const std::vector<Course> &courses, bool demo)
{
    BatchInsert out(conn, QStringLiteral("Kursreihe"),
                    {QStringLiteral("KursNr"), QStringLiteral("Reihe"), QStringLiteral("Gueltigkeit")}, kRowsPerBatch);
    for (std::size_t i = 0; i < courses.size(); ++i) {
        const QString nr = courses[i].nr.trimmed();
        if (demo) {
            const struct {
                const char *nr, *reihe;
                int months;
            } demoSeries[] = {{"UA01", "EH", 24}, {"UA02", "STAPLER", 12}, {"UA03", "GEFAHR", 12}};
            for (const auto &d : demoSeries)
                if (nr == QLatin1String(d.nr))
                    out.add({courses[i].nr, padded(QString::fromLatin1(d.reihe), 10), d.months});
        } else {
            out.add({courses[i].nr, padded(QStringLiteral("R%1").arg(i % 100, 3, 10, QLatin1Char('0')), 10),
                     int(12 * (1 + i % 3))});
        }
    }
    out.flush();
}

Summary fillDemoInTransaction(Connection &conn)
{
    Rng rng(20250101u);
    Summary sum;
    const std::vector<Course> courses = writeCourses(conn, rng, qint64(kCourses.size()), true);
    sum.courses = qint64(courses.size());
    writeSeries(conn, courses, true);

    std::vector<Employee> staff;
    EmployeeWriter emp(conn);
    for (std::size_t i = 0; i < kDemoNames.size(); ++i) {
        const QString name = QString::fromUtf8(kDemoNames[i]);
        emp.add(rng, name, int(i % kAreas.size()), int((i + i / kAreas.size()) % std::size_t(emp.kategorien())));
        staff.push_back({padded(name, 30)});
    }
    emp.flush();
    sum.employees = qint64(staff.size());

    // Some of all employee/course pairs, in a shuffled order.
    std::vector<int> pairs(staff.size() * courses.size());
    std::iota(pairs.begin(), pairs.end(), 0);
    for (std::size_t i = pairs.size() - 1; i > 0; --i)
        std::swap(pairs[i], pairs[rng.below(static_cast<std::uint32_t>(i + 1))]);
    const PlanTexts texts;
    BatchInsert plan(conn, QStringLiteral("Trainingsplan"), planColumns(), kRowsPerBatch);
    for (std::size_t i = 0; i < kDemoEntries; ++i) {
        const Course &c = courses[static_cast<std::size_t>(pairs[i]) % courses.size()];
        const Employee &e = staff[static_cast<std::size_t>(pairs[i]) / courses.size()];
        writePlan(plan, texts, c, e, drawPlan(rng, c));
    }
    plan.flush();
    sum.entries = plan.written();
    return sum;
}

Summary fillRowsInTransaction(Connection &conn, qint64 entries)
{
    if (entries < 0 || employeesForRows(entries) > kMaxEmployees)
        throw DbError(ErrBadValue,
                      QStringLiteral("Die Anzahl der Zeilen muss zwischen 0 und %1 liegen.").arg(kMaxEmployees * 20));
    Rng rng(4711u);
    Summary sum;
    const std::vector<Course> courses = writeCourses(conn, rng, coursesForRows(entries), false);
    sum.courses = qint64(courses.size());
    writeSeries(conn, courses, false);

    const qint64 nStaff = employeesForRows(entries);
    std::vector<Employee> staff;
    std::vector<std::uint32_t> firstCourse;
    staff.reserve(static_cast<std::size_t>(nStaff));
    firstCourse.reserve(static_cast<std::size_t>(nStaff));
    EmployeeWriter emp(conn);
    for (qint64 k = 0; k < nStaff; ++k) {
        const QString name = generatedName(k);
        // Most of the staff are industrial workers (O), fewer Ets, fewest I/C.
        const int kat = rng.weighted(std::array<int, 3>{30, 50, 100});
        emp.add(rng, name, int(k % qint64(kAreas.size())), kat);
        staff.push_back({padded(name, 30)});
        firstCourse.push_back(rng.below(static_cast<std::uint32_t>(courses.size())));
    }
    emp.flush();
    sum.employees = nStaff;

    // Entry i belongs to employee i % nStaff and is that employee's (i / nStaff)-th
    // course, counted on from a drawn first course: at most 20 per employee and
    // at least 25 courses, so no pair repeats. The rows go in in a shuffled order.
    std::vector<std::uint32_t> order(static_cast<std::size_t>(entries));
    std::iota(order.begin(), order.end(), 0u);
    for (std::size_t i = order.size(); i > 1; --i)
        std::swap(order[i - 1], order[rng.below(static_cast<std::uint32_t>(i))]);
    const PlanTexts texts;
    BatchInsert plan(conn, QStringLiteral("Trainingsplan"), planColumns(), kRowsPerBatch);
    for (const std::uint32_t i : order) {
        const auto e = static_cast<std::size_t>(qint64(i) % nStaff);
        const auto nth = static_cast<std::size_t>(qint64(i) / nStaff);
        const Course &c = courses[(firstCourse[e] + nth) % courses.size()];
        writePlan(plan, texts, c, staff[e], drawPlan(rng, c));
    }
    plan.flush();
    sum.entries = plan.written();
    return sum;
}

// Tables of ours that are already there (PostgreSQL keeps them per schema).
// Every table of the program, those that refer to others first.
QStringList allTables()
{
    QStringList names = versions::laterTables();
    for (auto it = schema::tables().rbegin(); it != schema::tables().rend(); ++it)
        names << QString::fromLatin1((*it)->name);
    return names;
}

QStringList existingTables(Connection &conn)
{
    QStringList found;
    for (const QString &name : allTables())
        if (conn.exists(QStringLiteral("SELECT 1 FROM information_schema.tables "
                                       "WHERE table_schema = current_schema() AND lower(table_name) = lower(?)"),
                        {name}))
            found.append(name);
    return found;
}

} // namespace

qint64 employeesForRows(qint64 entries) { return std::max<qint64>(10, (entries + 19) / 20); }
qint64 coursesForRows(qint64 entries) { return std::clamp<qint64>(entries / 400, 25, kMaxCourses - 1); }

Summary fillDemo(Connection &conn)
{
    Transaction t(conn);
    const Summary s = fillDemoInTransaction(conn);
    t.commit();
    return s;
}

Summary fillRows(Connection &conn, qint64 entries)
{
    Transaction t(conn);
    const Summary s = fillRowsInTransaction(conn, entries);
    t.commit();
    return s;
}

Summary initDatabase(const ConnectionTarget &target, Content content, qint64 rows)
{
    bool createdFile = false;
    if (target.kind == BackendKind::Sqlite) {
        if (QFileInfo::exists(target.location))
            throw AlreadyExists(QStringLiteral("Die Datei „%1“ existiert bereits; orvdb überschreibt keine Datenbank.")
                                    .arg(target.location));
        createSqliteBackend(target.location); // an empty file, closed again at once
        createdFile = true;
    }
    Connection conn;
    bool createdTables = false;
    try {
        conn.open(target);
        if (target.kind == BackendKind::Postgres) {
            const QStringList found = existingTables(conn);
            if (!found.isEmpty() || schema::exists(conn))
                throw AlreadyExists(QStringLiteral("Die Datenbank „%1“ enthält bereits die Tabelle(n) %2; "
                                                   "orvdb überschreibt keine Datenbank.")
                                        .arg(target.displayName(), found.join(QStringLiteral(", "))));
        }
        if (target.kind == BackendKind::Sqlite) {
            // The key indexes of a large training plan grow in random order. With
            // SQLite's small default page cache, and with every multi-row insert
            // saving each page it touches to a statement journal, each batch
            // would go to disk. This connection only fills a new file, which is
            // removed again on failure, so it needs no journal.
            conn.exec(QStringLiteral("PRAGMA cache_size = -524288"));
            conn.exec(QStringLiteral("PRAGMA journal_mode = OFF"));
        }
        createdTables = true;
        schema::create(conn);
        Summary sum;
        if (content == Content::Demo)
            sum = fillDemo(conn);
        else if (content == Content::Rows)
            sum = fillRows(conn, rows);
        // Nobody read the new tables before: the server's log of their rows
        // would only take room.
        if (target.kind == BackendKind::Postgres)
            conn.exec(QStringLiteral("TRUNCATE Aenderung"));
        conn.close();
        return sum;
    } catch (...) {
        // Leave nothing half made behind: the new file, or the tables made here.
        if (createdTables && !createdFile && conn.isOpen()) {
            try {
                if (conn.backend().inTransaction())
                    conn.backend().rollback();
                for (const QString &name : allTables())
                    conn.exec(QStringLiteral("DROP TABLE IF EXISTS ") + name);
                if (target.kind == BackendKind::Postgres)
                    conn.exec(QStringLiteral("DROP FUNCTION IF EXISTS orv_aenderung(), orv_aenderung_aufraeumen()"));
            } catch (...) {
            }
        }
        conn.close();
        if (createdFile)
            QFile::remove(target.location);
        throw;
    }
}

} // namespace orv::data::demo
