// Course series with a validity: who is due, and the next course of a series.
#include "data/dberror.h"
#include "data/series.h"
#include "support/testenv.h"

using namespace orv::data;
using orv::data::series::CourseSeries;

namespace orv::test {
namespace {

class SeriesTest : public DbTest {
protected:
    // The safety instruction UW (K1 and K4: 12 months, K3: no validity), the
    // language course K2 in no series; five employees with their history.
    void setUpOnDatabase() override
    {
        seed();
        addKurs(u"K4"_s, u"IT"_s, u"Unterweisung 2026"_s, u"I"_s);
        for (const char *name : {"Bo, Ben", "Cem, Can", "Dahl, Dora"})
            addMitarbeiter(QString::fromUtf8(name), u"1"_s, u"EK"_s, u"Ets"_s, u"Einkauf"_s);
        series::setForCourse(db(), u"K1"_s, {u"UW"_s, 12});
        series::setForCourse(db(), u"K4"_s, {u"UW"_s, 12});
        series::setForCourse(db(), u"K3"_s, {u"UW"_s, std::nullopt});
        db().exec(u"DELETE FROM Trainingsplan"_s);
        const QString done = u"2"_s, planned = u"1"_s;
        // Abel: valid up to and including 15.01.2027.
        addPlan(u"K1"_s, u"Abel, Anna"_s, done, QDate(2026, 1, 14), QDate(2026, 1, 15));
        // Bo: ran out in June, a later entry only planned.
        addPlan(u"K1"_s, u"Bo, Ben"_s, done, QDate(2025, 6, 30), QDate(2025, 6, 30));
        addPlan(u"K4"_s, u"Bo, Ben"_s, planned, QDate(2026, 12, 20), QDate(2026, 12, 21));
        // Cem: his last course has no validity.
        addPlan(u"K1"_s, u"Cem, Can"_s, done, QDate(2024, 3, 1), QDate(2024, 3, 1));
        addPlan(u"K3"_s, u"Cem, Can"_s, done, QDate(2025, 3, 1), QDate(2025, 3, 1));
        // Dahl: did not take part, so never completed it.
        addPlan(u"K1"_s, u"Dahl, Dora"_s, u"3"_s, QDate(2026, 2, 1), QDate(2026, 2, 1));
        // Zorn: the old cycle ran out, the new one is done.
        addPlan(u"K1"_s, u"Zorn, Zeno"_s, done, QDate(2024, 5, 1), QDate(2024, 5, 1));
        addPlan(u"K4"_s, u"Zorn, Zeno"_s, done, QDate(2026, 10, 1), QDate(2026, 10, 1));
    }
    // Each due row as "Reihe/Name/Kurs/gültig bis/Tage/nächster".
    QStringList due(const QDate &until, bool withNever = false, const QString &rubrik = QString())
    {
        series::DueSelection sel;
        sel.until = until;
        sel.today = QDate(2026, 12, 8);
        sel.withNever = withNever;
        sel.rubrik = rubrik;
        QStringList out;
        for (const series::DueRow &r : series::due(db(), sel))
            out << QStringList{r.reihe,
                               r.name,
                               r.kursNr,
                               r.validUntil.toString(u"dd.MM.yyyy"_s),
                               r.never() ? QString() : QString::number(r.days),
                               r.nextKursNr + (r.nextFrom.isValid() ? r.nextFrom.toString(u" dd.MM."_s) : QString())}
                       .join(u'/');
        return out;
    }
};

TEST_P(SeriesTest, WhoIsDueCountsTheLastCompletedEntryAndItsValidity)
{
    // The last day of validity is still valid.
    EXPECT_EQ(due(QDate(2027, 1, 15)), QStringList{u"UW/Bo, Ben/K1/30.06.2026/-161/K4 20.12."_s});
    EXPECT_EQ(due(QDate(2027, 1, 16)),
              (QStringList{u"UW/Bo, Ben/K1/30.06.2026/-161/K4 20.12."_s, u"UW/Abel, Anna/K1/15.01.2027/38/"_s}));
    // Who never completed the series stands first, with no date; Cem's last
    // course is valid for good, Zorn's new cycle until October.
    EXPECT_EQ(due(QDate(2027, 1, 16), true),
              (QStringList{u"UW/Ärger, Udo////"_s, u"UW/Dahl, Dora////"_s, u"UW/Bo, Ben/K1/30.06.2026/-161/K4 20.12."_s,
                           u"UW/Abel, Anna/K1/15.01.2027/38/"_s}));
    EXPECT_EQ(due(QDate(2027, 10, 2)).size(), 3);
    // The Rubrik takes the entries of its courses only: K3 is Qualität, so Cem's last IT course counts.
    EXPECT_EQ(due(QDate(2027, 1, 16), false, u"IT"_s),
              (QStringList{u"UW/Cem, Can/K1/01.03.2025/-647/"_s, u"UW/Bo, Ben/K1/30.06.2026/-161/K4 20.12."_s,
                           u"UW/Abel, Anna/K1/15.01.2027/38/"_s}));
}

TEST_P(SeriesTest, ASeriesEntryIsStoredCheckedCopiedAndGoesWithItsCourse)
{
    EXPECT_EQ(series::ofCourse(db(), u"K1"_s), (CourseSeries{u"UW"_s, 12}));
    EXPECT_TRUE(series::ofCourse(db(), u"K2"_s).isEmpty());
    series::setForCourse(db(), u"K2"_s, {u"EN"_s, std::nullopt});
    EXPECT_EQ(series::codes(db()), (QStringList{u"EN"_s, u"UW"_s}));
    series::setForCourse(db(), u"K2"_s, {});
    EXPECT_EQ(count(u"Kursreihe"_s, u"KursNr = 'K2'"_s), 0);
    for (const int months : {0, 1000})
        EXPECT_EQ(dbErrorOf([&] { series::setForCourse(db(), u"K2"_s, {u"EN"_s, months}); }), ErrBadValue);
    EXPECT_EQ(dbErrorOf([&] { series::setForCourse(db(), u"K2"_s, {u"ZU-LANG-XYZ"_s, 1}); }), ErrBadValue);
    EXPECT_EQ(dbErrorOf([&] { series::setForCourse(db(), u"K9"_s, {u"UW"_s, 1}); }), ErrRowGone);
    EXPECT_EQ(count(u"Kursreihe"_s), 3);

    series::copyCourse(db(), u"K1"_s, u"K5"_s);
    EXPECT_EQ(rows(u"SELECT KursNr, Rubrik, Beschreibung, Art, Referent FROM Kurs WHERE KursNr = 'K5'"_s),
              QStringList{u"K5/IT/Excel/I/Meier"_s});
    EXPECT_EQ(series::ofCourse(db(), u"K5"_s), (CourseSeries{u"UW"_s, 12}));
    EXPECT_EQ(dbErrorOf([&] { series::copyCourse(db(), u"K1"_s, u"K5"_s); }), ErrDuplicateKey);
    EXPECT_EQ(dbErrorOf([&] { series::copyCourse(db(), u"K9"_s, u"K6"_s); }), ErrRowGone);
    EXPECT_EQ(count(u"Kurs"_s, u"KursNr = 'K6'"_s), 0);
}

ORV_DB_TEST_SUITE(SeriesTest);

} // namespace
} // namespace orv::test
