#include "series/frmkursreihe.h"

#include "data/dberror.h"
#include "data/recordset.h"
#include "data/series.h"
#include "data/tables.h"
#include "groups/groupparts.h"
#include "records/fieldfactory.h"
#include "ui/prompter.h"
#include "ui/textlimit.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orv::series {

FrmKursreihe::FrmKursreihe(data::Connection &conn, const QString &kursNr, QWidget *parent)
    : QDialog(parent), m_conn(conn), m_kursNr(kursNr.trimmed())
{
    setObjectName(QStringLiteral("frmKursreihe"));
    ui::setHelpChapter(this, "reihen");
    setWindowTitle(QStringLiteral("Reihe und Gültigkeit"));
    data::RecordSet kurs;
    data::tables::openRows(kurs, m_conn, QStringLiteral("Kurs"), QStringLiteral("KursNr"), m_kursNr);
    const data::series::CourseSeries now = data::series::ofCourse(m_conn, m_kursNr);

    auto *v = new QVBoxLayout(this);
    lblKurs = new QLabel(
        QStringLiteral("Kurs %1: %2")
            .arg(m_kursNr, kurs.hasCurrent() ? kurs.text(QStringLiteral("Beschreibung")).trimmed() : QString()),
        this);
    lblKurs->setObjectName(QStringLiteral("lblKurs"));
    v->addWidget(lblKurs);
    auto *form = new QFormLayout;
    cmbReihe = records::fields::makeCombo(this, QStringLiteral("cmbReihe"), data::series::codes(m_conn), 12);
    cmbReihe->lineEdit()->setMaxLength(data::series::kCodeWidth);
    cmbReihe->setEditText(now.reihe);
    txtGueltigkeit = new QLineEdit(now.months ? QString::number(*now.months) : QString(), this);
    txtGueltigkeit->setObjectName(QStringLiteral("txtGueltigkeit"));
    ui::limitLength(txtGueltigkeit, 3);
    txtGueltigkeit->setMaximumWidth(txtGueltigkeit->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    form->addRow(groups::labelFor(this, QStringLiteral("&Reihe:"), cmbReihe), cmbReihe);
    form->addRow(groups::labelFor(this, QStringLiteral("&Gültigkeit in Monaten:"), txtGueltigkeit), txtGueltigkeit);
    v->addLayout(form);
    auto *hint = new QLabel(QStringLiteral("Ohne Gültigkeit bleibt eine erledigte Schulung unbegrenzt gültig."), this);
    hint->setWordWrap(true);
    v->addWidget(hint);
    auto *buttons = new QDialogButtonBox(this);
    cmdOK = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOK, &QPushButton::clicked, this, &FrmKursreihe::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    v->addWidget(buttons);
    cmbReihe->setFocus();
}

void FrmKursreihe::save()
{
    data::series::CourseSeries s;
    s.reihe = cmbReihe->currentText().trimmed();
    if (const QString typed = txtGueltigkeit->text().trimmed(); !typed.isEmpty()) {
        bool ok = false;
        const int months = typed.toInt(&ok);
        if (!ok || months < 1 || months > data::series::kMaxMonths) {
            groups::showFault(this, QStringLiteral("Die Gültigkeit muß eine ganze Zahl von 1 bis 999 Monaten sein!"),
                              txtGueltigkeit);
            return;
        }
        s.months = months;
    }
    try {
        data::series::setForCourse(m_conn, m_kursNr, s);
    } catch (const data::DbError &e) {
        if (e.number() == data::ErrRowGone)
            ui::inform(this, e.description(), QStringLiteral("Warnung"), ui::Icon::Exclamation);
        else
            ui::inform(this, e.message(QStringLiteral("UpdateError: ")), QStringLiteral("ORV"), ui::Icon::None);
        return;
    }
    accept();
}

} // namespace orv::series
