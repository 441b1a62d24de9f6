#include "dialogs/frmoptions.h"

#include "services/settings.h"
#include "ui/widgets.h"
#include "ui/windownames.h"

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

FrmOptions::FrmOptions(QWidget *parent) : QDialog(parent)
{
    setObjectName(ui::windowObjectName(ui::WindowId::Options));
    ui::setHelpChapter(this, "optionen");
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
    buildTabs();
    QFrame *frame = buildPages();

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

void FrmOptions::buildTabs()
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
}

QFrame *FrmOptions::buildPages()
{
    // The three pages lie on top of each other in one cell of the frame.
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    auto *stack = new QGridLayout(frame);
    stack->setContentsMargins(12, 12, 12, 12);
    QVBoxLayout *pages[3];
    for (int i = 0; i < 3; ++i) {
        picOptions[i] = new QWidget(frame);
        picOptions[i]->setObjectName(QStringLiteral("picOptions(%1)").arg(i));
        stack->addWidget(picOptions[i], 0, 0);
        pages[i] = new QVBoxLayout(picOptions[i]);
    }

    using services::settings::Switch;
    struct CheckDef {
        Switch what;
        const char *caption;
        int page;
    };
    static const CheckDef checks[] = {
        {Switch::SplashScreen, "Be&grüßungsbildschirm", 0},
        {Switch::QueryEnd, "Abfrage bei &Programmende", 0},
        {Switch::TextSeek, "&Volltextsuche", 0},
        {Switch::WinMaxOpen, "Fe&nster maximiert öffnen", 1},
        {Switch::TrainingsplanAutoOpen, "Fenster &Trainingsplan automatisch öffnen", 1},
        {Switch::AnzeigeMaxOpen, "An&zeigefenster maximiert öffnen", 1},
        {Switch::PrinterWindow, "&Druckereinstellungen", 2},
    };
    for (const CheckDef &c : checks) {
        auto *chk = new QCheckBox(QString::fromUtf8(c.caption), picOptions[c.page]);
        chk->setObjectName(QStringLiteral("chk") + services::settings::keyOf(c.what));
        pages[c.page]->addWidget(chk);
    }

    auto *lblBem = new QLabel(QStringLiteral("Be&merkung:"), picOptions[2]);
    lblBem->setObjectName(QStringLiteral("lblBem"));
    txtBem = new QLineEdit(picOptions[2]);
    txtBem->setObjectName(QStringLiteral("txtBem"));
    txtBem->setMaxLength(32767);
    lblBem->setBuddy(txtBem);
    pages[2]->addSpacing(6);
    pages[2]->addWidget(lblBem);
    pages[2]->addWidget(txtBem);
    for (QVBoxLayout *page : pages)
        page->addStretch();
    return frame;
}

QCheckBox *FrmOptions::checkOf(services::settings::Switch s) const
{
    return findChild<QCheckBox *>(QStringLiteral("chk") + services::settings::keyOf(s));
}

void FrmOptions::loadSettings()
{
    for (services::settings::Switch s : services::settings::optionSwitches())
        checkOf(s)->setChecked(services::settings::isOn(s));
    txtBem->setText(services::settings::remark());
    txtBem->setCursorPosition(0); // a long remark shows its beginning
}

void FrmOptions::showPage(int index)
{
    for (int i = 0; i < 3; ++i)
        picOptions[i]->setVisible(i == index);
}

void FrmOptions::saveSettings()
{
    // Every key each time, changed or not, the remark after "PrinterWindow".
    for (services::settings::Switch s : services::settings::optionSwitches()) {
        services::settings::setOn(s, checkOf(s)->isChecked());
        if (s == services::settings::Switch::PrinterWindow)
            services::settings::setRemark(txtBem->text());
    }
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
