// Planning a course for a group and changing or deleting the entries of its
// participants together: all or nothing, stored pairs never overwritten, and
// another workstation's changes left alone.
#include "data/dberror.h"
#include "data/groupentries.h"
#include "support/diskfaults.h"
#include "support/testenv.h"

using namespace orv::data;
using orv::data::group::Entry;

namespace orv::test {
namespace {

QStringList names(const std::vector<group::Left> &left)
{
    QStringList out;
    for (const group::Left &l : left)
        out << l.name + u": "_s + l.reason;
    return out;
}

class GroupEntriesTest : public DbTest {
protected:
    void setUpOnDatabase() override { seed(); }
    // Values of new entries as the dialog sets them once.
    static Entry values(const QString &kursNr)
    {
        Entry e;
        e.kursNr = kursNr;
        e.prioritaet = u"1"_s;
        e.quelle = u"AAI"_s;
        e.von = QDate(2027, 3, 1);
        e.bis = QDate(2027, 3, 2);
        e.rechnung = true;
        e.bemerkung = u"Gruppe"_s;
        e.status = u"1"_s;
        return e;
    }
    static Entry withName(Entry e, const QString &name)
    {
        e.name = name;
        return e;
    }
    const QString kAbel = u"Abel, Anna"_s, kAerger = u"Ärger, Udo"_s, kZorn = u"Zorn, Zeno"_s;
};

TEST_P(GroupEntriesTest, PlansTheGroupAndSkipsWhoHasAnEntryWithoutTouchingIt)
{
    std::vector<QString> listed;
    for (const group::Person &p : group::employees(db()))
        listed.push_back(p.name + u'/' + p.bereich);
    EXPECT_EQ(listed, (std::vector<QString>{"Abel, Anna/Einkauf", "Ärger, Udo/Werkleitung", "Zorn, Zeno/Logistik"}));

    const QStringList group{kAbel, kAerger, kZorn, u"Nie, Da"_s};
    const group::PlanResult preview = group::previewPlan(db(), u"K2"_s, group);
    EXPECT_EQ(preview.planned, QStringList{kAbel});
    const QStringList skipped{u"Ärger, Udo: bereits eingeplant (01.04.2027 bis 02.04.2027, keine Teilnahme)"_s,
                              u"Zorn, Zeno: bereits eingeplant (01.05.2027 bis 03.05.2027, geplant)"_s,
                              u"Nie, Da: Der eingegebene Name ist nicht vorhanden!"_s};
    EXPECT_EQ(names(preview.left), skipped);
    const std::vector<Entry> before = group::entries(db(), u"K2"_s);

    const group::PlanResult r = group::plan(db(), values(u"K2"_s), group);
    EXPECT_EQ(r.planned, preview.planned);
    EXPECT_EQ(names(r.left), skipped);
    std::vector<Entry> after = group::entries(db(), u"K2"_s);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0], withName(values(u"K2"_s), kAbel));
    EXPECT_EQ(std::vector<Entry>(after.begin() + 1, after.end()), before);
    // Stored as a window stores it: filled to the column width.
    EXPECT_EQ(firstText(db(), u"SELECT Bemerkung FROM Trainingsplan WHERE KursNr = ? AND Name = ?"_s, {u"K2"_s, kAbel}),
              u"Gruppe"_s.leftJustified(80));
    EXPECT_EQ(count(u"Trainingsplan"_s), 4);
}

// A pair another workstation writes at the same moment, and an employee it
// deletes meanwhile, are skipped and named; the others go in.
TEST_P(GroupEntriesTest, WritesOfAnotherWorkstationMeanwhileAreSkippedAndNamed)
{
    group::PlanResult r;
    const auto planK3 = [&] { r = group::plan(db(), values(u"K3"_s), {kAbel, kZorn}); };
    whileAnotherWorkstationWrites({u"INSERT INTO Trainingsplan (KursNr, Name, Status, Bemerkung) VALUES ('K3', "
                                   "'Zorn, Zeno', '2', 'dort')"_s},
                                  planK3);
    EXPECT_EQ(r.planned, QStringList{kAbel});
    // On SQLite the other workstation's lock makes this one wait, so its
    // entry is stored when this one looks; a server lets both go on and this
    // one skips the pair once the other has committed it.
    EXPECT_EQ(names(r.left),
              QStringList{isPostgres() ? u"Zorn, Zeno: inzwischen an einem anderen Arbeitsplatz eingeplant"_s
                                       : u"Zorn, Zeno: bereits eingeplant (? bis ?, erledigt)"_s});
    EXPECT_EQ(rows(u"SELECT Name, Status, Bemerkung FROM Trainingsplan WHERE KursNr = 'K3' ORDER BY Status"_s),
              (QStringList{"Abel, Anna/1/Gruppe", "Zorn, Zeno/2/dort"}));

    const auto planK1 = [&] { r = group::plan(db(), values(u"K1"_s), {kAerger, kZorn}); };
    whileAnotherWorkstationWrites({u"DELETE FROM Trainingsplan WHERE Name = 'Ärger, Udo'"_s,
                                   u"DELETE FROM Mitarbeiter WHERE Name = 'Ärger, Udo'"_s},
                                  planK1);
    EXPECT_EQ(r.planned, QStringList{kZorn});
    EXPECT_EQ(names(r.left), QStringList{u"Ärger, Udo: Der eingegebene Name ist nicht vorhanden!"_s});
    EXPECT_EQ(count(u"Trainingsplan"_s, u"Name = ?"_s, {kAerger}), 0);

    // A course deleted meanwhile takes nobody.
    db().exec(u"DELETE FROM Trainingsplan WHERE KursNr = 'K1'"_s);
    db().exec(u"DELETE FROM Kurs WHERE KursNr = 'K1'"_s);
    EXPECT_EQ(dbErrorText([&] { group::plan(db(), values(u"K1"_s), {kZorn}); }),
              u"-2147217864 Der Kurs K1 ist nicht mehr vorhanden."_s);
    EXPECT_EQ(count(u"Trainingsplan"_s, u"KursNr = 'K1'"_s), 0);
}

// A commit that fails (disk full, a deferred constraint on the server) and a
// cancel right before the commit leave the database as it was; the same call
// then writes.
TEST_P(GroupEntriesTest, AFailedCommitOrACancelWritesNothingAndTheSameCallWritesLater)
{
    FailingCommit failing(db(), isPostgres());
    Connection mine = connect();
    const QStringList group{kAbel, kZorn};
    failing.arm();
    EXPECT_NE(dbErrorText([&] { group::plan(mine, values(u"K3"_s), group); }), QString());
    EXPECT_EQ(count(u"Trainingsplan"_s), 3);

    const auto cancelBeforeCommit = [](qint64 done, qint64 total) {
        if (done == total - 1)
            throw group::Cancelled();
    };
    EXPECT_THROW(group::plan(mine, values(u"K3"_s), group, cancelBeforeCommit), group::Cancelled);
    EXPECT_THROW(group::change(mine, group::entries(mine, u"K2"_s), {.status = u"2"_s}, cancelBeforeCommit),
                 group::Cancelled);
    EXPECT_THROW(group::remove(mine, group::entries(mine, u"K2"_s), cancelBeforeCommit), group::Cancelled);
    EXPECT_EQ(rows(u"SELECT KursNr, Name, Status FROM Trainingsplan ORDER BY KursNr, Status"_s),
              (QStringList{"K1/Abel, Anna/0", "K2/Zorn, Zeno/1", "K2/Ärger, Udo/3"}));

    failing.lift();
    EXPECT_EQ(group::plan(mine, values(u"K3"_s), group).planned, group);
    EXPECT_EQ(count(u"Trainingsplan"_s, u"KursNr = 'K3'"_s), 2);
}

// Only the columns an entry changes are written: another workstation's change
// of another column stays; an entry whose column to be written it changed, or
// that it deleted, is named and left alone; the checks of a save hold.
TEST_P(GroupEntriesTest, ChangeWritesOnlyChangedColumnsAndLeavesEntriesChangedElsewhereAlone)
{
    addPlan(u"K2"_s, kAbel, u"0"_s, QDate(2027, 4, 10), QDate(2027, 4, 11), u" "_s, u" "_s, false, false, u"alt"_s);
    addMitarbeiter(u"Bo, Ben"_s, u"1"_s, u"EK"_s, u"Ets"_s, u"Einkauf"_s);
    addPlan(u"K2"_s, u"Bo, Ben"_s, u"2"_s, QDate(2027, 4, 10), QDate(2027, 4, 11), u" "_s, u" "_s, true);
    const std::vector<Entry> read = group::entries(db(), u"K2"_s);
    ASSERT_EQ(read.size(), 4u); // Abel, Ärger, Bo, Zorn
    const group::Change done{.status = u"2"_s, .rechnung = true};

    const group::ChangeResult preview = group::previewChange(db(), read, done);
    EXPECT_EQ(preview.changed, (QStringList{kAbel, kAerger, kZorn}));
    EXPECT_EQ(preview.unchanged, QStringList{u"Bo, Ben"_s});

    Connection other = connect();
    other.exec(u"UPDATE Trainingsplan SET Bemerkung = 'neu' WHERE Name = ?"_s, {kAbel});
    other.exec(u"UPDATE Trainingsplan SET Status = '3' WHERE KursNr = 'K2' AND Name = ?"_s, {kZorn});
    other.exec(u"DELETE FROM Trainingsplan WHERE KursNr = 'K2' AND Name = ?"_s, {kAerger});
    const group::ChangeResult r = group::change(db(), read, done);
    EXPECT_EQ(r.changed, QStringList{kAbel});
    EXPECT_EQ(r.unchanged, QStringList{u"Bo, Ben"_s});
    EXPECT_EQ(names(r.left), (QStringList{"Ärger, Udo: inzwischen an einem anderen Arbeitsplatz gelöscht",
                                          "Zorn, Zeno: inzwischen an einem anderen Arbeitsplatz geändert"}));
    std::vector<Entry> now = group::entries(db(), u"K2"_s);
    ASSERT_EQ(now.size(), 3u);
    Entry abel = read[0];
    abel.status = u"2"_s;
    abel.rechnung = true;
    abel.bemerkung = u"neu"_s;
    EXPECT_EQ(now[0], abel);
    EXPECT_EQ(now[1], read[2]);
    EXPECT_EQ(now[2].status, u"3"_s);
    EXPECT_FALSE(now[2].rechnung);

    // Each entry's new values pass the checks of a save, or it is left with the first failure.
    const group::ChangeResult bad = group::previewChange(db(), now, {.bis = QDate(2027, 4, 30)});
    EXPECT_EQ(bad.changed, (QStringList{kAbel, u"Bo, Ben"_s}));
    EXPECT_EQ(names(bad.left), QStringList{u"Zorn, Zeno: Das Endedatum ist vor dem Startdatum!"_s});
    const group::ChangeResult cleared = group::change(db(), now, {.prioritaet = u""_s, .bemerkung = u""_s});
    EXPECT_EQ(cleared.changed, (QStringList{kAbel, kZorn}));
    EXPECT_EQ(
        rows(u"SELECT Name, Prioritaet, Quelle, Bemerkung FROM Trainingsplan WHERE KursNr = 'K2' ORDER BY Name"_s),
        (QStringList{"Abel, Anna///", "Bo, Ben///", "Zorn, Zeno//AAI/"}));
}

TEST_P(GroupEntriesTest, EntriesAreNarrowedByPeriodAndStatusAndDeletedTogether)
{
    addPlan(u"K2"_s, kAbel, u"1"_s, QDate(2026, 6, 1), QDate(2026, 6, 1));
    const auto listed = [this](const QDate &from, const QDate &to, const QString &status) {
        QStringList out;
        for (const Entry &e : group::entries(db(), u"K2"_s, from, to, status))
            out << e.name;
        return out;
    };
    EXPECT_EQ(listed({}, {}, {}), (QStringList{kAbel, kAerger, kZorn}));
    EXPECT_EQ(listed({}, {}, u"1"_s), (QStringList{kAbel, kZorn}));
    EXPECT_EQ(listed(QDate(2027, 4, 1), {}, {}), (QStringList{kAerger, kZorn}));
    EXPECT_EQ(listed(QDate(2026, 1, 1), QDate(2027, 4, 1), {}), (QStringList{kAbel, kAerger}));

    std::vector<Entry> two = group::entries(db(), u"K2"_s, {}, {}, u"1"_s);
    db().exec(u"DELETE FROM Trainingsplan WHERE KursNr = 'K2' AND Name = ?"_s, {kZorn}); // elsewhere, meanwhile
    EXPECT_EQ(group::remove(db(), two), 1);
    EXPECT_EQ(rows(u"SELECT KursNr, Name FROM Trainingsplan ORDER BY KursNr"_s),
              (QStringList{"K1/Abel, Anna", "K2/Ärger, Udo"}));
}

ORV_DB_TEST_SUITE(GroupEntriesTest);

} // namespace
} // namespace orv::test
