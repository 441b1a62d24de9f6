#pragma once
#include "data/groupentries.h"

#include <QObject>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolButton;
class QWidget;

namespace orv::data {
class Connection;
}
namespace orv::reports {
class DateField;
}

// The pieces the two group dialogs share.
namespace orv::groups {

class TickModel;

// The course of a group dialog: its number as typed or picked, and its
// description looked up as the number changes.
class CourseField : public QObject {
    Q_OBJECT
public:
    // `label` carries the access key ("&Kurs-Nr.:").
    CourseField(QWidget *parent, data::Connection &conn, const QString &label);
    // Label, number with picker, description: one row of the grid.
    void addTo(QGridLayout *grid, int row);
    QString kursNr() const;
    void setKursNr(const QString &kursNr);
    // True when the course is stored (the description is known).
    bool known() const { return m_known; }
    QLineEdit *edit() const { return txtKursNr; }

    QLineEdit *txtKursNr;
    QToolButton *cmdKursNrSuchen;
    QLabel *lblBeschreibung;

signals:
    void changed();

private:
    void lookUp();
    QWidget *m_parent;
    QLabel *m_label;
    data::Connection &m_conn;
    bool m_known = false;
};

// A list with a check box per row, "Alle" and "Keine" for the rows shown,
// and the count of the ticked.
class TickList : public QObject {
    Q_OBJECT
public:
    TickList(QWidget *parent, const QString &name, QStringList headings, const QString &label);
    // Label over the list, the list, and under it the buttons with the count.
    void addTo(QGridLayout *grid, int row, int columns);
    TickModel *model() const { return m_model; }

    QLabel *lblListe;
    QTableView *view;
    QPushButton *cmdAlle;
    QPushButton *cmdKeine;
    QLabel *lblAnzahl;

private:
    void count();
    TickModel *m_model;
};

// Shows what a group write will do, one line per person, before anything is
// written; true when the user goes on with `okCaption`.
bool confirmPreview(QWidget *parent, const QString &title, const QString &summary,
                    const std::vector<std::pair<QString, QString>> &lines, const QString &okCaption, bool canGoOn);

// Runs a group write under a progress window whose "Abbrechen" stops it
// with nothing written. True when it was written; otherwise the user was
// told why (cancelled, or the database's failure with `errorPrefix`).
bool runWrite(QWidget *parent, const QString &title, const QString &errorPrefix,
              const std::function<void(const data::group::Progress &)> &write);

// "25 Einträge" / "1 Eintrag".
QString entriesText(qint64 n);
// "25 Einträge wurden angelegt." / "1 Eintrag wurde angelegt.": the verb for one and for more.
QString entriesText(qint64 n, const char *one, const char *more);
// The people left out with their reasons under a heading, at most 15 of
// them named; empty when nobody was left out.
QString leftText(const QString &heading, const std::vector<data::group::Left> &left);

// A label that names `field` and reaches it by its access key.
QLabel *labelFor(QWidget *parent, const QString &text, QWidget *field);
// A list box of fixed items (no typing).
QComboBox *listBox(QWidget *parent, const QString &name, const QStringList &items);
// A date field with its calendar button, in one cell.
QWidget *dateRow(QWidget *parent, reports::DateField *field);

// Shows a fault of the checks: its message in the status panel and in the
// box, the focus on its field.
void showFault(QWidget *parent, const QString &message, QWidget *field);

} // namespace orv::groups
