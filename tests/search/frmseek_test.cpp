#include "data/recordset.h"
#include "data/schema.h"
#include "search/frmseek.h"
#include "search/seek.h"
#include "search/seekresultmodel.h"
#include "support/testenv.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <memory>

using namespace orv;
using orv::search::FrmSeek;
using orv::test::typeText;
using orv::ui::Icon;

namespace {

const QString kNoHits = u"Keine entsprechenden Datensätze gefunden!"_s;
const QString kBadInput = u"Die Eingabe ist fehlerhaft!"_s;

// The result list's lines as shown, or the positions of their rows.
QVariantList results(const FrmSeek &dlg, int role = Qt::UserRole)
{
    QVariantList out;
    for (int r = 0; r < dlg.lstResult->model()->rowCount(); ++r)
        out << dlg.lstResult->model()->index(r, 0).data(role);
    return out;
}
QStringList lines(const FrmSeek &dlg) { return QVariant(results(dlg, Qt::DisplayRole)).toStringList(); }

// Clicks the line of the result list as a user does.
void clickLine(QListView *view, int row, bool twice = false)
{
    const QRect r = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    if (twice)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, r.center());
}

} // namespace

// ---------------------------------------------------------------------------
// Dialog behaviour without rows

class SeekDialogTest : public test::OrvTest {};

TEST_F(SeekDialogTest, VolltextStartsFromTheTextSeekSetting)
{
    struct Case {
        const char *value; // nullptr: never written
        bool checked;
    };
    for (const Case &c : {Case{nullptr, false}, Case{"OFF", false}, Case{"ON", true}, Case{"on", false}}) {
        if (c.value)
            test::setSetting(u"TextSeek"_s, QString::fromUtf8(c.value));
        FrmSeek dlg;
        EXPECT_EQ(dlg.chkVolltext->isChecked(), c.checked) << (c.value ? c.value : "unset");
        // The user's choice lasts only while the dialog is open.
        test::clickBox(dlg.chkVolltext);
        EXPECT_EQ(test::setting(u"TextSeek"_s), c.value ? QString::fromUtf8(c.value) : QString());
    }
}

// Loads with nothing chosen and the focus in the search text; searching needs a field and an expression.
TEST_F(SeekDialogTest, SearchButtonNeedsAFieldAndAnExpression)
{
    FrmSeek dlg;
    dlg.show();
    EXPECT_EQ(dlg.SeekPosition, 0);
    EXPECT_FALSE(dlg.cmdOK->isEnabled());
    EXPECT_TRUE(dlg.cmdSeek->isDefault());
    EXPECT_EQ(dlg.focusWidget(), dlg.txtExpression);
    typeText(dlg.txtExpression, u"Meier"_s);
    EXPECT_FALSE(dlg.cmdSeek->isEnabled()) << "no search field yet";
    dlg.txtExpression->clear();
    dlg.lstFields->addItems({u"Name"_s, u"Abteilung"_s});
    dlg.lstFields->setCurrentRow(0);
    for (auto [key, enabled] : {std::pair{Qt::Key_M, true}, {Qt::Key_Backspace, false}, {Qt::Key_Space, true}}) {
        QTest::keyClick(dlg.txtExpression, key); // a blank is an expression
        EXPECT_EQ(dlg.cmdSeek->isEnabled(), enabled) << dlg.txtExpression->text().toStdString();
    }
}

// ---------------------------------------------------------------------------
// Layouts: headings as quoted, every title over the start of its column

// One heading per table as quoted; in every heading each title stands where
// its column starts, the widths taken from the schema (a date takes 10).
TEST(SeekLayouts, EveryTitleStandsWhereItsColumnStarts)
{
    const QHash<QString, QString> titles{{"KursNr", "Kurs-Nr."}, {"Kostenstelle", "Kost."}, {"Kategorie", "Kat."},
                                         {"Prioritaet", "Prio"}, {"Datum_von", "von"},      {"Datum_bis", "bis"}};
    const struct {
        search::SeekLayout layout;
        const data::schema::TableDef &table;
        int quoted;
        const char *heading;
    } cases[] = {
        {search::kursSeekLayout(), data::schema::kurs(), 4, "Referent                       Art Kurs-Nr. Beschreibung"},
        {search::mitarbeiterSeekLayout(), data::schema::mitarbeiter(), 0,
         "Name                           Kost.  Abteilung  Kat. Bereich"},
        {search::trainingsplanSeekLayout(), data::schema::trainingsplan(), 0,
         "Kurs-Nr. Name                           Prio Quelle von        bis        Bemerkung"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.table.name);
        EXPECT_EQ(c.layout.at(c.quoted).heading, QString::fromUtf8(c.heading));
        for (int k = 0; k < c.layout.size(); ++k) {
            const search::SeekField &f = c.layout.at(k);
            ASSERT_FALSE(f.columns.isEmpty()) << k;
            EXPECT_EQ(f.columns.first().name, f.field) << "the searched column leads the line";
            int pos = 0;
            QString expected;
            for (const search::SeekColumn &col : f.columns) {
                pos += col.gap;
                QString title = titles.value(col.name, col.name);
                if (col.name == "KursNr" && k == 5 && QLatin1String(c.table.name) == QLatin1String("Trainingsplan"))
                    title = "Kurs"; // the remark search has no room for the longer title
                expected = expected.leftJustified(pos, ' ') + title;
                const data::schema::ColumnDef *def = data::schema::findColumn(c.table, col.name);
                ASSERT_NE(def, nullptr) << col.name.toStdString();
                pos += def->width > 0 ? def->width : 10;
            }
            EXPECT_EQ(f.heading, expected) << k;
        }
    }
}

// ---------------------------------------------------------------------------
// Searching real rows

class SeekTest : public test::DbTest {
protected:
    void TearDown() override
    {
        m_dlg.reset();
        m_rows.close();
        test::DbTest::TearDown();
    }

    // The dialog as a record window loads it: rows of `table`, the layout,
    // the first search field selected; shown modelessly so a test can drive it.
    FrmSeek &open(const QString &table, const search::SeekLayout &layout)
    {
        m_rows.openQuery(db(), u"select * from "_s + table);
        m_dlg = std::make_unique<FrmSeek>();
        m_dlg->SeekRecordset = &m_rows;
        m_dlg->setSearchFields(layout);
        EXPECT_TRUE(test::activate(m_dlg.get()));
        return *m_dlg;
    }

    void search(FrmSeek &dlg, int field, const QString &expression, bool volltext)
    {
        dlg.lstFields->setCurrentRow(field);
        dlg.txtExpression->clear();
        typeText(dlg.txtExpression, expression);
        if (dlg.chkVolltext->isChecked() != volltext)
            test::clickBox(dlg.chkVolltext);
        QTest::mouseClick(dlg.cmdSeek, Qt::LeftButton);
    }

    // The names of the rows the dialog found.
    QStringList names()
    {
        QStringList out;
        for (const QVariant &position : results(*m_dlg)) {
            EXPECT_TRUE(m_rows.gotoBookmark(position.toInt()));
            out << m_rows.text(u"Name"_s).trimmed();
        }
        return out;
    }

    void addStaff()
    {
        addMitarbeiter("Müller, Hans", "4711", "EK", "Ets", "Einkauf");
        addMitarbeiter("Meier, Jörg", "4712", "QS", "I/C", "Qualitätssicherung");
        addMitarbeiter("Ammüller, Eva", "4713", "EK", "O", "Einkauf");
        addMitarbeiter("MÜLLER, Otto", "4714", "LOG", "O", "Logistik");
        addMitarbeiter("O'Neill, Pat", "4715", QString(), "Ets", "Controlling");
    }

    data::RecordSet m_rows;
    std::unique_ptr<FrmSeek> m_dlg;
};
ORV_DB_TEST_SUITE(SeekTest);
// The dialog's own workings on rows read: one engine is enough.
class SeekDialogRowsTest : public SeekTest {};
ORV_SQLITE_TEST_SUITE(SeekDialogRowsTest);

TEST_P(SeekDialogRowsTest, StarListsEveryRowWhateverFieldAndVolltext)
{
    addStaff();
    FrmSeek &dlg = open("Mitarbeiter", search::mitarbeiterSeekLayout());
    for (int field = 0; field < 5; ++field)
        for (bool volltext : {false, true}) {
            search(dlg, field, "*", volltext);
            EXPECT_EQ(results(dlg), (QVariantList{1, 2, 3, 4, 5})) << field << volltext;
            EXPECT_TRUE(dlg.cmdOK->isEnabled());
            EXPECT_TRUE(dlg.cmdOK->isDefault());
            EXPECT_EQ(dlg.lstResult->currentIndex().row(), 0);
            EXPECT_TRUE(dlg.lstResult->hasFocus());
        }
    EXPECT_EQ(names().at(2), "Ammüller, Eva");
}

TEST_P(SeekTest, NameWholeOrAnywhere)
{
    addStaff();
    FrmSeek &dlg = open("Mitarbeiter", search::mitarbeiterSeekLayout());
    struct Case {
        QString expression;
        bool volltext;
        QStringList names;
    };
    const Case cases[] = {
        {"müller", true, {"Müller, Hans", "Ammüller, Eva", "MÜLLER, Otto"}}, // case and umlauts ignored
        {"Müller", false, {}},                                               // only a whole name
        {"Meier, Jörg", false, {"Meier, Jörg"}},                             // stored blanks ignored
        {"meier, jörg", false, {}},                                          // case as typed
        {"O'Neill, Pat", false, {"O'Neill, Pat"}},                           // apostrophe is plain text
        {"'n", true, {"O'Neill, Pat"}},
        {"%", true, {}}, // no wildcard
    };
    for (const Case &c : cases) {
        if (c.names.isEmpty())
            prompter.expectMessage(kNoHits, "Suchergebnis", Icon::Exclamation);
        search(dlg, 0, c.expression, c.volltext);
        EXPECT_EQ(names(), c.names) << c.expression.toStdString() << " " << c.volltext;
        EXPECT_EQ(dlg.cmdOK->isEnabled(), !c.names.isEmpty());
    }
    // Another field: the department, padded in store, found by its short text.
    search(dlg, 2, "EK", false);
    EXPECT_EQ(results(dlg), (QVariantList{1, 3}));
    EXPECT_EQ(dlg.lblUeberschrift->text(), "Abteilung  Name                           Kost.  Kat. Bereich");
}

TEST_P(SeekTest, DateSearchReadsTheUsersDate)
{
    addMitarbeiter("Meier, Jörg", "4712", "QS", "I/C", "Qualitätssicherung");
    addKurs("K1", "IT", "Tabellen", "I");
    addPlan("K1", "Meier, Jörg", "0", QDate(2027, 3, 1), QDate(2027, 3, 2));
    addPlan("K2", "Meier, Jörg", "0", QDate(2027, 3, 2), QDate(2027, 3, 3));
    addPlan("K3", "Meier, Jörg", "1", QDate(2027, 3, 1), QDate(2027, 3, 5));
    FrmSeek &dlg = open("Trainingsplan", search::trainingsplanSeekLayout());
    search(dlg, 4, "01.03.2027", false);
    EXPECT_EQ(results(dlg), (QVariantList{1, 3}));
    search(dlg, 4, "2.3.27", true); // Volltext has no say in a date search
    EXPECT_EQ(results(dlg), (QVariantList{2}));
    search(dlg, 4, "*", false);
    EXPECT_EQ(results(dlg), (QVariantList{1, 2, 3}));

    for (const QString bad : {"31.02.2027", "März", "'"}) {
        prompter.expectMessage(kBadInput, "Error", Icon::Exclamation);
        search(dlg, 4, bad, false);
        EXPECT_TRUE(results(dlg).isEmpty()) << bad.toStdString();
        EXPECT_FALSE(dlg.cmdOK->isEnabled());
        EXPECT_TRUE(dlg.txtExpression->hasFocus());
        EXPECT_TRUE(dlg.cmdSeek->isDefault());
    }
    prompter.expectMessage(kNoHits, "Suchergebnis", Icon::Exclamation);
    search(dlg, 4, "01.01.2026", false);
}

// Every value stands under its title, a missing one as blanks (the headings are checked above).
TEST_P(SeekTest, LinesKeepTheirColumnsWhenAValueIsMissing)
{
    addMitarbeiter("Huber, Anna", "4711", QString(), "O", "Einkauf");
    addMitarbeiter("Kurz, Li", QString(), "EK", "Ets", "DUV Motormanagement Sensoren");
    addKurs("K1", "IT", "Tabellenkalkulation", "I", "Berger, Ute", 120.5, 8);
    addKurs("K22", "Sprachen", "Englisch", "E", QString());
    addPlan("K1", "Meier, Jörg", "0", QDate(2027, 3, 1), QDate(2027, 3, 12), "1", "ZM", false, false, "Frühjahr");
    const struct {
        const char *table;
        search::SeekLayout layout;
        int field;
        const char *expression;
        QStringList lines;
    } cases[] = {
        {"Mitarbeiter",
         search::mitarbeiterSeekLayout(),
         0,
         "*",
         {"Huber, Anna                    4711              O    Einkauf                       ",
          "Kurz, Li                              EK         Ets  DUV Motormanagement Sensoren  "}},
        {"Mitarbeiter",
         search::mitarbeiterSeekLayout(),
         4,
         "Einkauf",
         {"Einkauf                        Huber, Anna                    4711              O  "}},
        {"Kurs",
         search::kursSeekLayout(),
         4,
         "*",
         {"Berger, Ute" + QString(19, ' ') + " I   K1       Tabellenkalkulation" + QString(61, ' '),
          QString(30, ' ') + " E   K22      Englisch" + QString(72, ' ')}},
        {"Trainingsplan",
         search::trainingsplanSeekLayout(),
         1,
         "Meier, Jörg",
         {"Meier, Jörg" + QString(19, ' ') + " K1       1    ZM     2027.03.01 2027.03.12 Frühjahr"
          + QString(72, ' ')}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.table);
        m_dlg.reset();
        m_rows.close();
        search(open(c.table, c.layout), c.field, c.expression, false);
        EXPECT_EQ(lines(*m_dlg), c.lines);
    }
}

// ---------------------------------------------------------------------------
// Choosing and cancelling through the caller's entry point

TEST_P(SeekDialogRowsTest, ChoosingGivesThePositionCancellingGivesZero)
{
    addStaff();
    data::RecordSet rows;
    rows.openQuery(db(), u"select * from Mitarbeiter"_s);
    const auto layout = search::mitarbeiterSeekLayout();

    // Volltext: "müller" finds rows 1, 3 and 4, whose lines are not their positions.
    test::setSetting(u"TextSeek"_s, u"ON"_s);
    // The line clicked first (twice without a button), then the button or the key.
    const struct {
        const char *how, *expression;
        int hits, line;
        const char *button;
        Qt::Key key;
        int expected;
    } cases[] = {
        {"Ok", "*", 5, 3, "cmdOK", {}, 4},
        {"Ok on a hit", "müller", 3, 1, "cmdOK", {}, 3},
        {"double click", "*", 5, 2, nullptr, {}, 3},
        {"double click on a hit", "müller", 3, 2, nullptr, {}, 4},
        {"Enter", "*", 5, -1, nullptr, Qt::Key_Return, 1},
        {"Abbrechen", "*", 5, 3, "cmdCancel", {}, 0},
        {"Escape", "*", 5, -1, nullptr, Qt::Key_Escape, 0},
        {"no hit, then Abbrechen", "Niemand", 0, -1, "cmdCancel", {}, 0},
    };
    for (const auto &c : cases) {
        prompter.expectModal([&](QDialog &d) {
            auto *expr = d.findChild<QLineEdit *>("txtExpression");
            auto *list = d.findChild<QListView *>("lstResult");
            auto *fields = d.findChild<QListWidget *>("lstFields");
            ASSERT_TRUE(expr && list && fields);
            EXPECT_EQ(fields->currentRow(), 0);
            EXPECT_EQ(fields->count(), 5);
            EXPECT_EQ(d.focusWidget(), expr);
            if (c.hits == 0)
                prompter.expectMessage(kNoHits, "Suchergebnis", Icon::Exclamation);
            typeText(expr, QString::fromUtf8(c.expression));
            QTest::keyClick(expr, Qt::Key_Return); // the search button is the default
            ASSERT_EQ(list->model()->rowCount(), c.hits);
            if (c.line >= 0)
                clickLine(list, c.line, !c.button);
            if (c.button)
                test::clickButton(d, QString::fromLatin1(c.button));
            else if (c.key)
                QTest::keyClick(list, c.key);
        });
        EXPECT_EQ(search::runSeek(nullptr, rows, layout), c.expected) << c.how;
        EXPECT_TRUE(rows.isOpen()) << "the caller's rows stay open";
    }
    ASSERT_TRUE(rows.gotoBookmark(4));
    EXPECT_EQ(rows.text("Name").trimmed(), "MÜLLER, Otto");
}

TEST_P(SeekDialogRowsTest, DoubleClickOnAnEmptyListDoesNothing)
{
    FrmSeek &dlg = open("Mitarbeiter", search::mitarbeiterSeekLayout());
    QTest::mouseDClick(dlg.lstResult->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.SeekPosition, 0);
}
