#include "reports/frmanzeige.h"

#include "reportdata/reportmodel.h"
#include "services/settings.h"
#include "ui/lineview.h"
#include "ui/prompter.h"
#include "ui/twips.h"
#include "ui/widgets.h"

#include <QAction>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace orv::reports {

namespace {
constexpr int minimumTwips = 5000;

} // namespace

FrmAnzeige::FrmAnzeige(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAnzeige"));
    ui::setHelpChapter(this, "anzeige");
    setWindowTitle(QStringLiteral("Anzeige"));
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    buildMenu();
    buildControls();
    arrangeControls();
    connectCommands();

    const int minimum = ui::twipsToPixels(minimumTwips);
    setMinimumSize(minimum, minimum);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->geometry();
        resize(qMax(minimum, int(avail.width() * 0.9)), qMax(minimum, int(avail.height() * 0.9)));
    }
    if (services::settings::isOn(services::settings::Switch::AnzeigeMaxOpen))
        setWindowState(windowState() | Qt::WindowMaximized);
}

void FrmAnzeige::buildMenu()
{
    m_menuBar = new QMenuBar(this);
    QMenu *datei = m_menuBar->addMenu(QStringLiteral("&Datei"));
    datei->setObjectName(QStringLiteral("mnuDatei"));
    mnuDrucken = datei->addAction(QStringLiteral("&Drucken"));
    mnuDrucken->setObjectName(QStringLiteral("mnuDrucken"));
    mnuSeitenansicht = datei->addAction(QStringLiteral("Seiten&ansicht…"));
    mnuSeitenansicht->setObjectName(QStringLiteral("mnuSeitenansicht"));
    datei->addSeparator();
    mnuClose = datei->addAction(QStringLiteral("&Schließen"));
    mnuClose->setObjectName(QStringLiteral("mnuClose"));
    QMenu *suchen = m_menuBar->addMenu(QStringLiteral("&Suchen"));
    suchen->setObjectName(QStringLiteral("mnuSuchen"));
    mnuSeek = suchen->addAction(QStringLiteral("&Suchen"));
    mnuSeek->setObjectName(QStringLiteral("mnuSeek"));
    mnuSeek->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuSeekNext = suchen->addAction(QStringLiteral("&Weitersuchen"));
    mnuSeekNext->setObjectName(QStringLiteral("mnuSeekNext"));
    mnuSeekNext->setShortcut(QKeySequence(Qt::Key_F3));
    // The shortcuts work wherever the focus is in the window.
    for (QAction *a : {mnuDrucken, mnuClose, mnuSeek, mnuSeekNext}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
}

void FrmAnzeige::buildControls()
{
    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(ui::logoPixmap(48));
    imgLogo->setFixedSize(52, 52);
    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setFont(ui::headingFont(14.25));
    lblBem = new QLabel(this);
    lblBem->setObjectName(QStringLiteral("lblBem"));
    lblBem->setFont(ui::headingFont(11.25, true));
    lblSign = new QLabel(this);
    lblSign->setObjectName(QStringLiteral("lblSign"));
    lblSign->setFont(ui::headingFont(8.25));
    lblSign->setAlignment(Qt::AlignRight | Qt::AlignTop);

    // Read-only and never wrapped; it lays out only the lines in sight, so a
    // report of a million lines opens as fast as one of a hundred.
    rtbAnzeige = new ui::LineView(this);
    rtbAnzeige->setObjectName(QStringLiteral("rtbAnzeige"));
    rtbAnzeige->setFont(ui::fixedPitchFont(9));

    cmdCancel = new QPushButton(QStringLiteral("A&bbrechen"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
}

void FrmAnzeige::arrangeControls()
{
    auto *labels = new QVBoxLayout;
    labels->addWidget(lblTitle);
    labels->addWidget(lblBem);
    auto *top = new QHBoxLayout;
    top->addWidget(imgLogo, 0, Qt::AlignTop);
    top->addLayout(labels, 1);
    top->addWidget(lblSign, 0, Qt::AlignTop | Qt::AlignRight);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(m_menuBar);
    layout->addLayout(top);
    layout->addWidget(rtbAnzeige, 1);
    layout->addLayout(bottom);
}

void FrmAnzeige::connectCommands()
{
    connect(mnuDrucken, &QAction::triggered, this, [this] {
        if (m_print)
            m_print();
    });
    connect(mnuSeitenansicht, &QAction::triggered, this, [this] {
        if (m_preview)
            m_preview();
    });
    connect(mnuClose, &QAction::triggered, this, &QDialog::reject);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(mnuSeek, &QAction::triggered, this, &FrmAnzeige::mnuSeek_Click);
    connect(mnuSeekNext, &QAction::triggered, this, &FrmAnzeige::mnuSeekNext_Click);
}

void FrmAnzeige::setHeading(const QString &title, const QString &programLine, const QString &dateLine)
{
    lblTitle->setText(title);
    rtbAnzeige->setAccessibleName(title); // what a screen reader calls the report text
    lblSign->setText(programLine);
    lblBem->setText(dateLine);
}

void FrmAnzeige::setReportText(const QString &header, const QString &body)
{
    if (header.isEmpty())
        rtbAnzeige->setText(body);
    else
        rtbAnzeige->setText({header + reportdata::crlf + reportdata::crlf, body});
}

qsizetype FrmAnzeige::findFrom(qsizetype from) { return rtbAnzeige->find(m_searchText, qMax<qsizetype>(0, from)); }

void FrmAnzeige::mnuSeek_Click()
{
    const auto answer = ui::Prompter::instance().input(this, QStringLiteral("Suchen nach:"), QStringLiteral("Suchen"));
    m_searchText = answer.value_or(QString());
    if (m_searchText.isEmpty())
        return;
    rtbAnzeige->setFocus();
    m_searchPos = findFrom(0);
    if (m_searchPos < 0) {
        ui::inform(this, QLatin1Char('\'') + m_searchText + QStringLiteral("' kann nicht gefunden werden!"),
                   QStringLiteral("Suchen"), ui::Icon::Information);
        m_searchText.clear();
    }
}

void FrmAnzeige::mnuSeekNext_Click()
{
    if (m_searchText.isEmpty()) {
        mnuSeek_Click();
        return;
    }
    rtbAnzeige->setFocus();
    m_searchPos = findFrom(m_searchPos + 1);
    if (m_searchPos < 0)
        ui::inform(this, QStringLiteral("Keine weitere Übereinstimmung gefunden!"), QStringLiteral("Suchen"),
                   ui::Icon::Information);
}

} // namespace orv::reports
