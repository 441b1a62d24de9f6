#include "support/testenv.h"
#include "ui/savefiledialog.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QTest>
#include <QTreeView>

namespace orv::test {
namespace {

class FileDialogTest : public OrvTest {
protected:
    void TearDown() override
    {
        ui::setFileDialogSizeStore({});
        OrvTest::TearDown();
    }
};

// Five backups of one day differ only at the end of their names: the list
// shows the names, sizes and types whole, and the dialog keeps the size the
// user gave it, from one dialog to the next and from one run to the next.
TEST_F(FileDialogTest, ListShowsWholeNamesAndTheDialogKeepsItsSize)
{
    const QString folder = tempPath() + u"/Sicherung"_s;
    QDir().mkpath(folder);
    const QString longest = u"orv-2026-12-07-223344-vor-Import-2.mdb"_s;
    for (const QString &name : {u"orv-2026-12-07-223344-vor-Import.mdb"_s, longest})
        writeFile(folder + u'/' + name, QByteArray(33000, 'x'));
    QSize stored;
    ui::setFileDialogSizeStore({[&] { return stored; }, [&](const QSize &s) { stored = s; }});

    const auto checkList = [&](QDialog &d) {
        auto *list = d.findChild<QTreeView *>(u"treeView"_s);
        ASSERT_TRUE(list && list->isVisible());
        ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) == 2; }, 5000));
        QCoreApplication::processEvents();
        const QHeaderView *head = list->header();
        const QFontMetrics fm(list->font());
        EXPECT_GT(head->sectionSize(0), fm.horizontalAdvance(longest) + list->iconSize().width());
        // "32,2 KiB", the type and the date each fit their column.
        for (int c = 1; c < 4; ++c)
            for (int r = 0; r < 2; ++r) {
                const QString text = list->model()->index(r, c, list->rootIndex()).data().toString();
                EXPECT_GT(head->sectionSize(c), fm.horizontalAdvance(text)) << text.toStdString();
            }
    };
    // The user narrows the dialog and its columns; the toolkit keeps the columns for the next dialog.
    prompter.expectModal([&](QDialog &d) {
        checkList(d);
        QHeaderView *head = d.findChild<QTreeView *>(u"treeView"_s)->header();
        d.resize(1010, 700);
        for (int c = 0; c < 4; ++c) {
            head->setSectionResizeMode(c, QHeaderView::Interactive);
            head->resizeSection(c, 40);
        }
        d.reject();
    });
    EXPECT_FALSE(ui::askOpenFileName(nullptr, u"Öffnen"_s, folder, {u"Datenbank (*.mdb)"_s}));
    EXPECT_EQ(stored, QSize(1010, 700));

    // The next dialog, a save dialog this time, opens at that size with its columns whole again.
    QSize shown;
    prompter.expectModal([&](QDialog &d) {
        shown = d.size();
        checkList(d);
        d.reject();
    });
    EXPECT_FALSE(ui::askSaveFileName(nullptr, u"Speichern"_s, folder + u"/neu.mdb"_s, {u"Datenbank (*.mdb)"_s}));
    EXPECT_EQ(shown, QSize(1010, 700));
}

} // namespace
} // namespace orv::test
