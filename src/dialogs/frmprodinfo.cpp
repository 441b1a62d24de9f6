#include "dialogs/frmprodinfo.h"

#include "dialogs/programinfo.h"
#include "services/clipboard.h"
#include "ui/windownames.h"

#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orv::dialogs {
namespace {

QLabel *makeLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

} // namespace

FrmProdinfo::FrmProdinfo(QWidget *parent) : QDialog(parent)
{
    setObjectName(ui::windowObjectName(ui::WindowId::Prodinfo));
    setWindowTitle(QStringLiteral("Produktinformation"));

    picIcon = makeLabel(QStringLiteral("picIcon"), QString(), this);
    picIcon->setPixmap(programIcon(48));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    lblTitle = makeLabel(QStringLiteral("lblTitle"), QStringLiteral("ORV"), this);
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = makeLabel(QStringLiteral("lblVersion"), versionText(), this);

    lblText = makeLabel(QStringLiteral("lblText"),
                        QStringLiteral("Mit dem System werden Mitarbeiter und Kurse gepflegt und daraus "
                                       "Trainingspläne erstellt\n"
                                       "und verwaltet.\n"
                                       "\n"
                                       "Diese Pläne können nach den Rubriken Bedarf, geplant, erledigt und "
                                       "keine Teilnahme\n"
                                       "geordnet werden"),
                        this);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto *label1 = makeLabel(QStringLiteral("Label1"), QStringLiteral("User:"), this);
    lblUser = makeLabel(QStringLiteral("lblUser"), services::currentUserName(), this);
    auto *label2 = makeLabel(QStringLiteral("Label2"), QStringLiteral("Datenbasis:"), this);
    lblDatenbasis = makeLabel(QStringLiteral("lblDatenbasis"), databaseText(), this);
    for (QLabel *l : {lblUser, lblDatenbasis})
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);

    cmdOK = new QPushButton(QStringLiteral("&Ok"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    arrangeControls(line, label1, label2);
}

void FrmProdinfo::arrangeControls(QFrame *line, QLabel *label1, QLabel *label2)
{
    auto *heading = new QVBoxLayout;
    heading->addWidget(lblTitle);
    heading->addWidget(lblVersion);
    heading->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(picIcon);
    top->addSpacing(12);
    top->addLayout(heading, 1);

    auto *facts = new QGridLayout;
    facts->setHorizontalSpacing(12);
    facts->addWidget(label1, 0, 0);
    facts->addWidget(lblUser, 0, 1);
    facts->addWidget(label2, 1, 0);
    facts->addWidget(lblDatenbasis, 1, 1);
    facts->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(16, 16, 16, 12);
    main->addLayout(top);
    main->addSpacing(12);
    main->addWidget(lblText);
    main->addSpacing(12);
    main->addWidget(line);
    main->addLayout(facts);
    main->addSpacing(8);
    main->addLayout(buttons);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace orv::dialogs
