#include "dialogs/frmoptions.h"

#include "services/settings.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace orv::dialogs {
namespace {

const QString settingsSection = QStringLiteral("Settings");
const QString on = QStringLiteral("ON");
const QString off = QStringLiteral("OFF");

QCheckBox *makeCheck(const QString &name, const QString &caption, QWidget *page)
{
    auto *chk = new QCheckBox(caption, page);
    chk->setObjectName(name);
    return chk;
}

} // namespace

FrmOptions::FrmOptions(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Optionen"));
    buildControls();
    loadSettings();

    // Ctrl+Tab belongs to the dialog, not to the focus chain of its controls.
    installEventFilter(this);
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
}

void FrmOptions::buildControls()
{
    struct TabDef {
        const char *caption, *key, *toolTip;
    };
    static const TabDef tabs[] = {
        {"&Allgemein", "Group1", "allgemeine Optionen festlegen"},
        {"&Fenster", "Group2", "Optionen für Fenster festlegen"},
        {"A&usgabe", "Group4", "Optionen für Ausgabe festlegen"},
    };

    tbsOptions = new QTabBar(this);
    tbsOptions->setObjectName(QStringLiteral("tbsOptions"));
    tbsOptions->setDrawBase(false);
    tbsOptions->setExpanding(false);
    for (const TabDef &t : tabs) {
        const int i = tbsOptions->addTab(QString::fromUtf8(t.caption));
        tbsOptions->setTabData(i, QString::fromLatin1(t.key));
        tbsOptions->setTabToolTip(i, QString::fromUtf8(t.toolTip));
    }

    // The three pages lie on top of each other in one cell of the frame.
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    auto *stack = new QGridLayout(frame);
    stack->setContentsMargins(12, 12, 12, 12);
    for (int i = 0; i < 3; ++i) {
        picOptions[i] = new QWidget(frame);
        picOptions[i]->setObjectName(QStringLiteral("picOptions(%1)").arg(i));
        stack->addWidget(picOptions[i], 0, 0);
    }

    auto *page0 = new QVBoxLayout(picOptions[0]);
    chkSplashScreen = makeCheck(QStringLiteral("chkSplashScreen"), QStringLiteral("Be&grüßungsbildschirm"), picOptions[0]);
    chkQueryEnd = makeCheck(QStringLiteral("chkQueryEnd"), QStringLiteral("Abfrage bei &Programmende"), picOptions[0]);
    chkTextSeek = makeCheck(QStringLiteral("chkTextSeek"), QStringLiteral("&Volltextsuche"), picOptions[0]);
    for (QCheckBox *c : {chkSplashScreen, chkQueryEnd, chkTextSeek})
        page0->addWidget(c);
    page0->addStretch();

    auto *page1 = new QVBoxLayout(picOptions[1]);
    chkWinMaxOpen = makeCheck(QStringLiteral("chkWinMaxOpen"), QStringLiteral("Fe&nster maximiert öffnen"), picOptions[1]);
    chkTrainingsplanAutoOpen = makeCheck(QStringLiteral("chkTrainingsplanAutoOpen"),
                                         QStringLiteral("Fenster &Trainingsplan automatisch öffnen"), picOptions[1]);
    chkAnzeigeMaxOpen = makeCheck(QStringLiteral("chkAnzeigeMaxOpen"), QStringLiteral("An&zeigefenster maximiert öffnen"),
                                  picOptions[1]);
    for (QCheckBox *c : {chkWinMaxOpen, chkTrainingsplanAutoOpen, chkAnzeigeMaxOpen})
        page1->addWidget(c);
    page1->addStretch();

    auto *page2 = new QVBoxLayout(picOptions[2]);
    chkPrinterWindow = makeCheck(QStringLiteral("chkPrinterWindow"), QStringLiteral("&Druckereinstellungen"), picOptions[2]);
    auto *lblBem = new QLabel(QStringLiteral("Be&merkung:"), picOptions[2]);
    lblBem->setObjectName(QStringLiteral("lblBem"));
    txtBem = new QLineEdit(picOptions[2]);
    txtBem->setObjectName(QStringLiteral("txtBem"));
    txtBem->setMaxLength(32767);
    lblBem->setBuddy(txtBem);
    page2->addWidget(chkPrinterWindow);
    page2->addSpacing(6);
    page2->addWidget(lblBem);
    page2->addWidget(txtBem);
    page2->addStretch();

    cmdOK = new QPushButton(QStringLiteral("&Ok"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("A&bbrechen"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto *main = new QVBoxLayout(this);
    main->setSpacing(0);
    main->addWidget(tbsOptions);
    main->addWidget(frame, 1);
    main->addSpacing(10);
    main->addLayout(buttons);
    setMinimumSize(480, 250);

    connect(tbsOptions, &QTabBar::currentChanged, this, &FrmOptions::showPage);
    connect(cmdOK, &QPushButton::clicked, this, &FrmOptions::saveSettings);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    tbsOptions->setCurrentIndex(0);
    showPage(0);
}

void FrmOptions::loadSettings()
{
    const QList<QPair<QString, QString>> pairs = app::settings::readSection(settingsSection);
    for (const auto &[key, value] : pairs) {
        if (key == QLatin1String("Remark")) {
            txtBem->setText(value);
            txtBem->setCursorPosition(0); // a long remark shows its beginning
            continue;
        }
        // Only the seven switches; the window position keys of the section are not ours.
        if (auto *chk = findChild<QCheckBox *>(QStringLiteral("chk") + key))
            chk->setChecked(value == on);
    }
}

void FrmOptions::showPage(int index)
{
    for (int i = 0; i < 3; ++i)
        picOptions[i]->setVisible(i == index);
}

void FrmOptions::saveSettings()
{
    auto write = [](const QString &key, const QString &value) { app::settings::write(settingsSection, key, value); };
    auto sw = [](const QCheckBox *chk) { return chk->isChecked() ? on : off; };
    // Every key each time, changed or not, in this order.
    write(QStringLiteral("WinMaxOpen"), sw(chkWinMaxOpen));
    write(QStringLiteral("TrainingsplanAutoOpen"), sw(chkTrainingsplanAutoOpen));
    write(QStringLiteral("AnzeigeMaxOpen"), sw(chkAnzeigeMaxOpen));
    write(QStringLiteral("PrinterWindow"), sw(chkPrinterWindow));
    write(QStringLiteral("Remark"), txtBem->text());
    write(QStringLiteral("TextSeek"), sw(chkTextSeek));
    write(QStringLiteral("SplashScreen"), sw(chkSplashScreen));
    write(QStringLiteral("QueryEnd"), sw(chkQueryEnd));
    accept();
}

bool FrmOptions::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            tbsOptions->setCurrentIndex((tbsOptions->currentIndex() + 1) % tbsOptions->count());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace orv::dialogs
