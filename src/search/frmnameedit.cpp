#include "search/frmnameedit.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "data/tables.h"
#include "services/connectionrecipe.h"
#include "ui/prompter.h"
#include "ui/statuspanels.h"
#include "ui/textlimit.h"
#include "ui/widgets.h"
#include "ui/windownames.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace orv::search {
namespace {

const QString checkTitle = QStringLiteral("Datenprüfung");
const QString renameTitle = QStringLiteral("Name ändern");

int nameWidth() { return data::schema::findColumn(data::schema::mitarbeiter(), QStringLiteral("Name"))->width; }

// The name as the fixed-width Name column holds it.
QString stored(const QString &name) { return data::schema::padded(name, nameWidth()); }

QString quoted(const QString &name) { return QLatin1Char('\'') + name + QLatin1Char('\''); }

void dataCheckFailed(QWidget *parent, const QString &text)
{
    ui::inform(parent, text, checkTitle, ui::Icon::Exclamation);
}

void databaseFailed(QWidget *parent, const data::DbError &e, const QString &prefix)
{
    ui::inform(parent, e.message(prefix), QStringLiteral("ORV"), ui::Icon::None);
}

} // namespace

FrmNameEdit::FrmNameEdit(QWidget *parent) : QDialog(parent)
{
    setObjectName(ui::windowObjectName(ui::WindowId::NameEdit));
    ui::setHelpChapter(this, "name-aendern");
    setWindowTitle(renameTitle);
    buildControls();
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &FrmNameEdit::noteFocusWindow);
}

void FrmNameEdit::buildControls()
{
    auto *fraNameEdit = new QGroupBox(renameTitle, this);
    fraNameEdit->setObjectName(QStringLiteral("fraNameEdit"));

    const QFont fixed = ui::fixedPitchFont(QApplication::font().pointSizeF());
    auto nameBox = [&](const QString &objectName) {
        auto *box = new QLineEdit(fraNameEdit);
        box->setObjectName(objectName);
        box->setFont(fixed);
        ui::limitLength(box, nameWidth());
        box->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(nameWidth() + 2, QLatin1Char('X'))));
        return box;
    };
    auto *label3 = new QLabel(QStringLiteral("Nachname, Vorname alt:"), fraNameEdit);
    label3->setObjectName(QStringLiteral("Label3"));
    txtNameAlt = nameBox(QStringLiteral("txtNameAlt"));
    auto *label4 = new QLabel(QStringLiteral("Nachname, Vorname neu:"), fraNameEdit);
    label4->setObjectName(QStringLiteral("Label4"));
    txtNameNeu = nameBox(QStringLiteral("txtNameNeu"));

    ui::labelField(label3, txtNameAlt);
    ui::labelField(label4, txtNameNeu);

    auto *fields = new QGridLayout(fraNameEdit);
    fields->setHorizontalSpacing(10);
    fields->addWidget(label3, 0, 0);
    fields->addWidget(txtNameAlt, 0, 1);
    fields->addWidget(label4, 1, 0);
    fields->addWidget(txtNameNeu, 1, 1);

    cmdOK = new QPushButton(QStringLiteral("&Ok"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("A&bbrechen"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOK, &QPushButton::clicked, this, &FrmNameEdit::renameEmployee);
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::close);

    auto *buttons = new QVBoxLayout;
    buttons->addSpacing(8);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();

    auto *main = new QHBoxLayout(this);
    main->addWidget(fraNameEdit, 1);
    main->addSpacing(6);
    main->addLayout(buttons);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

bool FrmNameEdit::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        if (!m_focusKept)
            txtNameAlt->setFocus();
        m_focusKept = false;
    }
    return QDialog::event(event);
}

void FrmNameEdit::noteFocusWindow(QWindow *window)
{
    // Only a window that is not one of this dialog's boxes sends the focus
    // back to the old name on return.
    if (window && window != windowHandle() && window->transientParent() != windowHandle())
        m_focusKept = false;
}

void FrmNameEdit::renameEmployee()
{
    // Every click ends with a box; when it closes, the field the click chose keeps the focus.
    m_focusKept = true;
    data::Connection conn;
    if (!services::openConnection(conn, this))
        return;

    if (const QString error = inputError(); !error.isEmpty()) {
        ui::setStatus(error);
        ui::inform(this, QStringLiteral("Es wurden fehlerhafte Eingaben festgestellt!"), checkTitle,
                   ui::Icon::Exclamation);
        return;
    }
    ui::setStatus(QString());

    // Names count exactly as typed: no trimming, no change of case.
    const QString present = txtNameAlt->text();
    const QString wanted = txtNameNeu->text();
    if (!namesAcceptable(conn, present, wanted))
        return;
    if (ui::ask(this, QStringLiteral("Soll %1 wirklich auf %2 geändert werden?").arg(quoted(present), quoted(wanted)),
                renameTitle)
        != ui::Answer::Yes)
        return;
    if (!writeNewName(conn, present, wanted))
        return;
    ui::inform(this, QStringLiteral("Der Name %1 wurde auf %2 geändert!").arg(quoted(present), quoted(wanted)),
               renameTitle, ui::Icon::Information);
}

QString FrmNameEdit::inputError()
{
    if (txtNameAlt->text().isEmpty() || txtNameNeu->text().isEmpty()) {
        txtNameAlt->setFocus();
        return QStringLiteral("Die Eingabe beider Namen ist zwingend erforderlich!");
    }
    // Only the new name must have the form; the present one may be any old spelling.
    if (!txtNameNeu->text().contains(QLatin1String(", "))) {
        txtNameNeu->setFocus();
        return QStringLiteral("Der Name muß in der Form 'Nachname, Vorname' eingegeben werden!");
    }
    return QString();
}

bool FrmNameEdit::namesAcceptable(data::Connection &conn, const QString &present, const QString &wanted)
{
    const auto known = [&conn](const char *table, const QString &name) {
        return data::tables::rowExists(conn, QString::fromLatin1(table), {QStringLiteral("Name")}, {stored(name)});
    };
    try {
        // A name known only to the training plan may be renamed too: that mends
        // entries whose employee row is missing.
        if (!known("Mitarbeiter", present) && !known("Trainingsplan", present)) {
            dataCheckFailed(this, QStringLiteral("Der Name %1 ist nicht vorhanden!").arg(quoted(present)));
            return false;
        }
        if (known("Mitarbeiter", wanted)) {
            dataCheckFailed(this, QStringLiteral("Der Name %1 ist bereits vorhanden!").arg(quoted(wanted)));
            return false;
        }
        if (known("Trainingsplan", wanted)) {
            dataCheckFailed(this,
                            QStringLiteral("Der Name %1 ist im Trainingsplan bereits vorhanden!").arg(quoted(wanted)));
            return false;
        }
        return true;
    } catch (const data::DbError &e) {
        databaseFailed(this, e, QStringLiteral("OpenRecordsetError: "));
        return false;
    }
}

bool FrmNameEdit::writeNewName(data::Connection &conn, const QString &present, const QString &wanted)
{
    try {
        // Both tables or neither: a half rename would part the employee from the plan.
        data::Transaction tx(conn);
        data::tables::renameEmployee(conn, stored(present), stored(wanted));
        tx.commit();
        return true;
    } catch (const data::DbError &e) {
        // The transaction has been rolled back when the scope was left.
        databaseFailed(this, e, QStringLiteral("UpdateError: "));
        return false;
    }
}

} // namespace orv::search
