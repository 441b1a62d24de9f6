#include "reports/frmtrainingsplanbericht.h"
#include "reports/qtreportprinter.h"
#include "services/settings.h"
#include "support/testenv.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <tuple>

using namespace orv;
using namespace orv::test;

namespace {

class ReportPdfTest : public DbTest {};

// A real print through QPrinter into a PDF file: a list long enough for
// several pages. Set ORV_REPORT_PDF to keep the file for a look at it.
TEST_P(ReportPdfTest, TrainingsplanListPrintsFramedPagesToPdf)
{
    const QStringList bereiche = {u"Controlling"_s, u"Einkauf"_s, u"Logistik"_s, u"Qualitätssicherung"_s};
    for (int k = 0; k < 6; ++k)
        addKurs(u"K%1"_s.arg(k + 1, 3, 10, QLatin1Char('0')), u"IT"_s,
                u"Kurs Nummer %1 über Tabellenkalkulation und Auswertungen"_s.arg(k + 1), u"AIE"_s.mid(k % 3, 1),
                k % 2 ? u"Schulz, Bärbel"_s : QString(), 120.5 * k, 7.5 * (k + 1));
    for (int m = 0; m < 20; ++m)
        addMitarbeiter(u"Mitarbeiter%1, Jörg"_s.arg(m, 2, 10, QLatin1Char('0')), u"47%1"_s.arg(m),
                       u"Abt. %1"_s.arg(m % 4), m % 3 ? u"Ets"_s : u"O"_s, bereiche[m % 4]);
    for (int k = 0; k < 6; ++k)
        for (int m = 0; m < 20; ++m)
            addPlan(u"K%1"_s.arg(k + 1, 3, 10, QLatin1Char('0')),
                    u"Mitarbeiter%1, Jörg"_s.arg(m, 2, 10, QLatin1Char('0')), QString::number((k + m) % 4),
                    QDate(2027, 1 + (k + m) % 12, 1 + m), QDate(2027, 1 + (k + m) % 12, 2 + m),
                    QString::number(1 + m % 3), u" "_s, m % 2, m % 5 == 0);

    const QString keep = qEnvironmentVariable("ORV_REPORT_PDF");
    const QString path = keep.isEmpty() ? tempPath() + u"/liste.pdf"_s : keep;
    reports::ReportPrinter::setFactory([path] { return std::make_unique<reports::QtReportPrinter>(path); });
    reports::FrmTrainingsplanBericht dlg;
    dlg.findChild<QLineEdit *>("txtVon")->setText(u"01.01.2027"_s);
    dlg.findChild<QLineEdit *>("txtBis")->setText(u"31.12.2027"_s);
    dlg.findChild<QComboBox *>("cmbSortierung")->setCurrentText(u"Bereich"_s);
    auto pages = [&] {
        QFile::remove(path);
        QTest::mouseClick(dlg.findChild<QPushButton *>("cmdDrucken"), Qt::LeftButton);
        QFile pdf(path);
        if (!pdf.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray bytes = pdf.readAll();
        EXPECT_TRUE(bytes.startsWith("%PDF"));
        return int(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page>")
                   + bytes.count("/Type /Page "));
    };
    // 120 entries with group lines, sums and legend at size 6 in landscape take three pages.
    EXPECT_EQ(pages(), 3);

    // The page preview from the display window shows the same three pages, landscape.
    int previewPages = 0;
    QPageLayout::Orientation previewOrientation = QPageLayout::Portrait;
    prompter.expectModal([](QDialog &anzeige) {
        anzeige.findChild<QAction *>("mnuSeitenansicht")->trigger();
        anzeige.reject();
    });
    prompter.expectModal([&](QDialog &d) {
        auto *preview = d.findChild<QPrintPreviewWidget *>();
        ASSERT_NE(preview, nullptr);
        preview->updatePreview();
        previewPages = preview->pageCount();
        previewOrientation =
            preview->orientation() == QPageLayout::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
        d.reject();
    });
    QTest::mouseClick(dlg.findChild<QPushButton *>("cmdAnzeige"), Qt::LeftButton);
    EXPECT_EQ(previewPages, 3);
    EXPECT_EQ(previewOrientation, QPageLayout::Landscape);

    // The pages the user asks for in the print dialog, and only those.
    app::settings::write(u"Settings"_s, u"PrinterWindow"_s, u"ON"_s);
    for (const auto &[from, to, printed] : {std::tuple{2, 3, 2}, std::tuple{3, 3, 1}, std::tuple{1, 9, 3}}) {
        SCOPED_TRACE(from * 10 + to);
        prompter.expectModal([from, to](QDialog &d) {
            QPrinter *p = static_cast<QPrintDialog &>(d).printer();
            p->setPrintRange(QPrinter::PageRange);
            p->setFromTo(from, to);
            d.done(QDialog::Accepted);
        });
        EXPECT_EQ(pages(), printed);
    }
    reports::ReportPrinter::setFactory({});
}

ORV_DB_TEST_SUITE(ReportPdfTest);

} // namespace
