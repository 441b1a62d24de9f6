#include "records/recordform.h"

#include "data/dberror.h"
#include "data/tables.h"
#include "records/fieldfactory.h"
#include "records/recordcommands.h"
#include "services/connectionrecipe.h"
#include "services/settings.h"
#include "ui/prompter.h"
#include "ui/statuspanels.h"
#include "ui/twips.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace orv::records {
namespace {

const QString appTitle = QStringLiteral("ORV");

QString trimmedRight(QString s)
{
    int n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    s.truncate(n);
    return s;
}

// Puts TrackChanges back when ShowRecord ends, also by an exception.
class TrackingPause {
public:
    explicit TrackingPause(bool &flag) : m_flag(flag) { m_flag = false; }
    ~TrackingPause() { m_flag = true; }

private:
    bool &m_flag;
};

} // namespace

RecordForm::RecordForm(RecordFormConfig config, QWidget *parent)
    : QWidget(parent), m_config(std::move(config)), m_conn(std::make_unique<data::Connection>()),
      m_rows(std::make_unique<data::RecordSet>())
{
    setObjectName(ui::windowObjectName(m_config.window));
    setWindowTitle(m_config.caption);
    setAttribute(Qt::WA_DeleteOnClose);
    buildFrame();
}

RecordForm::~RecordForm()
{
    // Controls going away must not call back into a half-destroyed window.
    for (QObject *child : findChildren<QObject *>())
        child->disconnect(this);
    unload();
}

void RecordForm::buildFrame()
{
    m_commands = new RecordCommands(this);
    m_commands->setSeekAvailable(bool(m_config.seekLayout));
    m_commands->setReportAvailable(bool(m_config.openReport));

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(m_commands->toolBar());

    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 6, 8, 8);
    body->setSpacing(6);
    m_content = new QVBoxLayout;
    m_content->setSpacing(6);
    body->addLayout(m_content);
    body->addStretch(1);

    m_cmdSave = new QPushButton(QStringLiteral("&Sichern"), this);
    m_cmdSave->setObjectName(QStringLiteral("cmdSave"));
    m_cmdUndo = new QPushButton(QStringLiteral("&Rückgängig"), this);
    m_cmdUndo->setObjectName(QStringLiteral("cmdUndo"));
    m_cmdCancel = new QPushButton(QStringLiteral("A&bbrechen"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    for (QPushButton *b : {m_cmdSave, m_cmdUndo, m_cmdCancel}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(100);
    }
    connect(m_cmdSave, &QPushButton::clicked, this, &RecordForm::saveRecord);
    connect(m_cmdUndo, &QPushButton::clicked, this, &RecordForm::undoChanges);
    connect(m_cmdCancel, &QPushButton::clicked, this, &RecordForm::closeWindow);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdSave);
    buttons->addWidget(m_cmdUndo);
    buttons->addWidget(m_cmdCancel);
    body->addLayout(buttons);
    outer->addLayout(body);
    setBrowseMode(true);
}

QList<QMenu *> RecordForm::ownMenus() const { return m_commands->menus(); }

RecordForm::Mode RecordForm::mode() const { return m_mode; }

QString RecordForm::sortColumns() const { return m_rows->isOpen() ? m_rows->sortColumns() : QString(); }

void RecordForm::setReportOpener(std::function<void(QWidget *)> opener)
{
    m_config.openReport = std::move(opener);
    m_commands->setReportAvailable(bool(m_config.openReport));
    if (m_loaded)
        setBrowseMode(mode() == Mode::Browse);
}

void RecordForm::errorBox(const data::DbError &e, const QString &prefix)
{
    ui::inform(this, e.message(prefix), appTitle, ui::Icon::None);
}

// ---------------------------------------------------------------- opening

void RecordForm::load()
{
    const bool ok = openConnection() && openRecordset();
    m_trackChanges = true;
    setBrowseMode(true);
    m_commands->disableOwnItem(ui::windowMenuItem(m_config.window));
    setKeyFieldsEnabled(false);

    // In the main window the host places the window in its frame (see event());
    // on its own the window shows itself.
    if (!ui::WindowHost::instance()) {
        show();
        applyOpeningSize();
    }
    m_loaded = true;

    if (!ok) {
        // Without rows only closing and the commands that need no rows stay.
        m_commands->setRowsOpen(false);
        for (QWidget *w : findChildren<QWidget *>())
            if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractButton *>(w))
                if (w != m_cmdCancel && !qobject_cast<QToolBar *>(w->parentWidget())
                    && !w->testAttribute(Qt::WA_ForceDisabled)) {
                    w->setEnabled(false);
                    m_disabledWithoutRows.append(w);
                }
        return;
    }
    showFirstRow();
}

void RecordForm::openAgain()
{
    if (!m_loaded || m_unloaded || m_rows->isOpen())
        return;
    // The database could not be reached when the window opened; perhaps it can now.
    if (!openConnection() || !openRecordset())
        return;
    for (const QPointer<QWidget> &w : std::as_const(m_disabledWithoutRows))
        if (w)
            w->setEnabled(true);
    m_disabledWithoutRows.clear();
    m_commands->setRowsOpen(true);
    setBrowseMode(true);
    setKeyFieldsEnabled(false);
    showFirstRow();
}

void RecordForm::showFirstRow()
{
    windowActivated();
    if (m_rows->hasCurrent()) {
        try {
            showRecord();
        } catch (const data::DbError &e) {
            ui::inform(this, e.description(), appTitle, ui::Icon::None);
        }
    } else {
        addRecord();
    }
}

void RecordForm::applyOpeningSize()
{
    QWidget *frame = qobject_cast<QMdiSubWindow *>(parentWidget()) ? parentWidget() : this;
    if (services::settings::isOn(services::settings::Switch::WinMaxOpen))
        frame->isVisible() ? frame->showMaximized() : frame->setWindowState(frame->windowState() | Qt::WindowMaximized);
    else
        frame->resize(ui::twipsToPixels(m_config.widthTwips), ui::twipsToPixels(m_config.heightTwips));
}

bool RecordForm::openConnection() { return services::openConnection(*m_conn, this); }

bool RecordForm::openRecordset()
{
    try {
        m_rows->close();
        m_rows->openTable(*m_conn, m_config.table);
        m_rows->sort(m_config.sortCycle.value(0));
        return true;
    } catch (const data::DbError &e) {
        errorBox(e, QStringLiteral("OpenRecordsetError: "));
        return false;
    }
}

void RecordForm::windowActivated()
{
    if (m_rows->isOpen())
        ui::setSort(QStringLiteral("Sortierung: ") + m_rows->sortColumns());
}

bool RecordForm::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && m_loaded && !m_unloaded)
        windowActivated();
    if (event->type() == QEvent::ParentChange && m_loaded && !m_framed) {
        if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget())) {
            m_framed = true;
            // The work area places a new frame when it is shown; the size follows then.
            frame->installEventFilter(this);
            connect(frame, &QMdiSubWindow::windowStateChanged, this,
                    [this](Qt::WindowStates before, Qt::WindowStates now) {
                        if ((now & Qt::WindowActive) && !(before & Qt::WindowActive) && !m_unloaded)
                            windowActivated();
                    });
        }
    }
    return QWidget::event(event);
}

// ---------------------------------------------------------------- modes

void RecordForm::showRecord()
{
    {
        TrackingPause pause(m_trackChanges);
        fillFields(*m_rows);
        afterFill();
        for (QWidget *w : findChildren<QWidget *>())
            if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w))
                fields::showFromStart(w);
    }
}

void RecordForm::setBrowseMode(bool browse)
{
    m_commands->setBrowseMode(browse);
    m_cmdSave->setEnabled(!browse);
    m_cmdUndo->setVisible(!browse);
    m_cmdCancel->setVisible(browse);
}

// False, after telling the user, while the database cannot take changes;
// asked afresh each time, so that a file made writable again is used at once.
bool RecordForm::databaseWritable()
{
    try {
        if (m_conn->writable())
            return true;
    } catch (const data::DbError &e) {
        errorBox(e, QStringLiteral("EditError: "));
        return false;
    }
    ui::inform(this,
               QStringLiteral("Die Datenbank ist schreibgeschützt. Sie können die Daten "
                              "ansehen, aber erst ändern, wenn die Datei wieder beschreibbar ist."),
               QStringLiteral("Schreibgeschützt"), ui::Icon::Exclamation);
    return false;
}

void RecordForm::beginEdit()
{
    if (!m_trackChanges || m_mode != Mode::Browse || !m_rows->isOpen())
        return;
    if (!databaseWritable()) {
        // The field shows what is stored again.
        TrackingPause pause(m_trackChanges);
        try {
            if (m_rows->hasCurrent())
                showRecord();
            else
                clearFields();
        } catch (const data::DbError &) {
        }
        return;
    }
    try {
        if (m_rows->recordCount() > 0)
            m_savedBookmark = m_rows->bookmark();
    } catch (const data::DbError &e) {
        errorBox(e, QStringLiteral("EditError: "));
        return;
    }
    ui::setStatus(QStringLiteral("Datensatz bearbeiten"));
    m_mode = Mode::Edit;
    setBrowseMode(false);
}

void RecordForm::addRecord() { addRow(false); }

void RecordForm::addCopy() { addRow(true); }

void RecordForm::addRow(bool copy)
{
    if (m_mode != Mode::Browse || !m_rows->isOpen() || !databaseWritable())
        return;
    try {
        if (m_rows->recordCount() > 0)
            m_savedBookmark = m_rows->bookmark();
        m_rows->addNew();
    } catch (const data::DbError &e) {
        errorBox(e, QStringLiteral("AddError: "));
        return;
    }
    ui::setStatus(QStringLiteral("Datensatz hinzufügen"));
    m_mode = Mode::Add;
    setBrowseMode(false);
    setKeyFieldsEnabled(true);
    if (!m_keyFields.isEmpty())
        m_keyFields.first()->setFocus();
    // A copy keeps the fields of the row shown; the key is typed anew.
    if (!copy)
        clearFields();
}

void RecordForm::undoChanges()
{
    if (m_mode == Mode::Browse && m_loaded)
        return;
    setBrowseMode(true);
    m_mode = Mode::Browse;
    ui::setStatus(QString());
    setKeyFieldsEnabled(false);
    try {
        m_rows->cancelUpdate();
    } catch (const data::DbError &) {
    }
    if (!m_rows->isOpen() || m_rows->recordCount() < 1) {
        closeWindow();
        return;
    }
    try {
        if (m_savedBookmark > 0 && m_rows->gotoBookmark(m_savedBookmark)) {
            showRecord();
            return;
        }
    } catch (const data::DbError &) {
    }
    moveToFirst();
}

// ---------------------------------------------------------------- saving

void RecordForm::saveRecord()
{
    if (m_mode == Mode::Browse)
        return;
    QWidget *focus = nullptr;
    QString message;
    try {
        message = runChecks(focus);
        if (message.isEmpty())
            warnBeforeWrite();
    } catch (const data::DbError &e) {
        // A value the database refuses already in a check (U+0000) is a faulty input like any other.
        handleSaveError(e);
        return;
    }
    ui::setStatus(message);
    if (!message.isEmpty()) {
        if (focus)
            focus->setFocus();
        ui::inform(this, QStringLiteral("Es wurden fehlerhafte Eingaben festgestellt!"), QStringLiteral("Datenprüfung"),
                   ui::Icon::Exclamation);
        return;
    }

    // Checking and writing are one unit: a course or employee that another
    // workstation deletes or renames after the checks above would leave an
    // entry without its course or employee. So the checks run once more
    // under the write lock, without boxes, and the row is written in the same
    // transaction.
    try {
        data::Transaction transaction(*m_conn);
        message = runChecks(focus);
        if (message.isEmpty()) {
            writeFields(*m_rows);
            m_rows->update();
            transaction.commit();
        }
    } catch (const data::DbError &e) {
        handleSaveError(e);
        return;
    }
    if (!message.isEmpty()) {
        ui::setStatus(message);
        if (focus)
            focus->setFocus();
        ui::inform(this, QStringLiteral("Es wurden fehlerhafte Eingaben festgestellt!"), QStringLiteral("Datenprüfung"),
                   ui::Icon::Exclamation);
        return;
    }

    m_mode = Mode::Browse;
    setKeyFieldsEnabled(false);
    reloadAndShow(keyOfFields());
    setBrowseMode(true);
}

void RecordForm::addCommand(const char *itemName, const QString &caption, const char *shortcutKey, const char *toolKey,
                            const char *icon, std::function<void()> run)
{
    m_commands->addWindowCommand(itemName, caption, shortcutKey, toolKey, icon, std::move(run));
}

void RecordForm::refreshAndShow(const QStringList &key)
{
    if (m_mode != Mode::Browse)
        return;
    reloadAndShow(key);
}

void RecordForm::reloadAndShow(const QStringList &key)
{
    // Shown once, at the row found: each showing reads the row's lookups again.
    m_savedBookmark = 0;
    refreshRecords(false);
    findKeyAndShow(key);
}

// After a re-read: the row with this key, or the first row when it is gone.
void RecordForm::findKeyAndShow(const QStringList &key)
{
    if (m_unloaded || !m_rows->isOpen())
        return;
    try {
        std::vector<data::Criterion> criteria;
        for (int i = 0; i < m_config.keyColumns.size(); ++i)
            criteria.push_back(data::Criterion::equals(m_config.keyColumns.at(i), trimmedRight(key.value(i))));
        bool found = false;
        if (criteria.size() == 1) {
            m_rows->moveFirst();
            found = m_rows->find(criteria.front());
        } else {
            data::RecordSet copy = m_rows->clone();
            copy.filter(criteria);
            if (copy.hasCurrent())
                found = m_rows->gotoBookmark(copy.bookmark());
        }
        if (!found)
            m_rows->moveFirst();
        if (m_rows->hasCurrent())
            showRecord();
    } catch (const data::DbError &e) {
        errorBox(e, QStringLiteral("UpdateError: "));
    }
}

void RecordForm::handleSaveError(const data::DbError &e)
{
    if (e.number() == data::ErrBadValue) {
        ui::inform(this, QStringLiteral("Es wurden fehlerhafte Eingaben festgestellt!"), QStringLiteral("Datenprüfung"),
                   ui::Icon::Exclamation);
        return;
    }
    if (e.number() != data::ErrRowGone) {
        errorBox(e, QStringLiteral("UpdateError: "));
        return;
    }
    bool exists = false;
    try {
        exists = recordExists(m_config.keyColumns, keyOfFields());
    } catch (const data::DbError &e2) {
        errorBox(e2, QStringLiteral("UpdateError: "));
        return;
    }
    if (exists) {
        ui::inform(this, QStringLiteral("Der Datensatz wurde von einem anderem User geändert, er wird neu eingelesen!"),
                   QStringLiteral("Warnung"), ui::Icon::Exclamation);
        undoChanges();
        if (m_unloaded)
            return;
        reloadAndShow(keyOfRow());
    } else {
        ui::inform(
            this,
            QStringLiteral("Der Datensatz wurde von einem anderem User gelöscht, es wird an den Anfang gesprungen!"),
            QStringLiteral("Warnung"), ui::Icon::Exclamation);
        undoChanges();
        if (m_unloaded)
            return;
        m_savedBookmark = 0;
        refreshRecords();
    }
}

QStringList RecordForm::keyOfRow() const
{
    QStringList key;
    if (!m_rows->hasCurrent())
        return key;
    for (const QString &c : m_config.keyColumns)
        key << m_rows->text(c);
    return key;
}

bool RecordForm::recordExists(const QStringList &columns, const QStringList &values)
{
    QVariantList params;
    for (const QString &v : values)
        params << v;
    return data::tables::rowExists(*m_conn, m_config.table, columns, params);
}

// ---------------------------------------------------------------- deleting

// The question names how many training-plan entries go with the row: one
// "Ja" must not take hundreds of them unannounced.
QString RecordForm::deleteQuestion()
{
    if (m_config.dependentKeyColumn.isEmpty())
        return m_config.deleteQuestion;
    qint64 entries = 0;
    try {
        entries = data::tables::countEntries(*m_conn, m_config.dependentKeyColumn,
                                             trimmedRight(m_rows->text(m_config.dependentKeyColumn)));
    } catch (const data::DbError &) {
        return m_config.deleteQuestion; // the delete itself then says what fails
    }
    if (entries == 0)
        return m_config.deleteQuestion;
    return m_config.deleteQuestion + QStringLiteral("\n\n")
           + (entries == 1 ? QStringLiteral("Mit dem %1 wird 1 Trainingsplaneintrag gelöscht.").arg(m_config.caption)
                           : QStringLiteral("Mit dem %1 werden %2 Trainingsplaneinträge gelöscht.")
                                 .arg(m_config.caption)
                                 .arg(entries));
}

void RecordForm::deleteRecord()
{
    if (m_mode != Mode::Browse || !m_rows->hasCurrent() || !databaseWritable())
        return;
    if (ui::ask(this, deleteQuestion(), QStringLiteral("Löschen")) != ui::Answer::Yes)
        return;
    const int bookmark = m_rows->bookmark();
    bool removedFromSet = false;
    try {
        // The dependent training-plan entries and the row go together or not at all.
        // The row goes first: its lock makes a training plan window that is
        // saving an entry for it finish first, so the entry goes too.
        data::Transaction transaction(*m_conn);
        const QString value =
            m_config.dependentKeyColumn.isEmpty() ? QString() : trimmedRight(m_rows->text(m_config.dependentKeyColumn));
        m_rows->deleteCurrent();
        removedFromSet = true;
        if (!m_config.dependentKeyColumn.isEmpty())
            data::tables::deleteEntries(*m_conn, m_config.dependentKeyColumn, value);
        transaction.commit();
    } catch (const data::DbError &e) {
        if (e.number() == data::ErrRowGone) {
            ui::inform(this,
                       QStringLiteral(
                           "Der Datensatz wurde von einem anderem User gelöscht, es wird an den Anfang gesprungen!"),
                       QStringLiteral("Warnung"), ui::Icon::Exclamation);
            m_savedBookmark = 0;
            undoChanges();
            if (m_unloaded)
                return;
            refreshRecords();
            try {
                m_rows->cancelUpdate();
            } catch (const data::DbError &) {
            }
            return;
        }
        errorBox(e, QStringLiteral("DeleteError: "));
        try {
            m_rows->cancelUpdate();
        } catch (const data::DbError &) {
        }
        if (removedFromSet) {
            // The table kept the row: read it again and stay on it.
            m_savedBookmark = bookmark;
            refreshRecords();
        }
        return;
    }
    if (m_rows->recordCount() < 1) {
        ui::inform(this, QStringLiteral("Der letzte Datensatz wurde gelöscht!"), QStringLiteral("Warnung"),
                   ui::Icon::Exclamation);
        closeWindow();
        return;
    }
    moveToNext();
}

// ---------------------------------------------------------------- moving

void RecordForm::moveTo(Move where)
{
    if (!m_rows->isOpen() || m_rows->recordCount() < 1)
        return;
    try {
        switch (where) {
        case Move::First: m_rows->moveFirst(); break;
        case Move::Last: m_rows->moveLast(); break;
        case Move::Next:
        case Move::Previous: {
            // At either end the window beeps and stays on the end row.
            const bool forward = where == Move::Next;
            forward ? m_rows->moveNext() : m_rows->movePrevious();
            if (forward ? m_rows->eof() : m_rows->bof()) {
                ui::Prompter::instance().beep();
                forward ? m_rows->moveLast() : m_rows->moveFirst();
            }
            break;
        }
        }
        showRecord();
    } catch (const data::DbError &e) {
        ui::inform(this, e.description(), appTitle, ui::Icon::None);
    }
}

void RecordForm::sortRecords()
{
    if (m_mode != Mode::Browse || !m_rows->isOpen())
        return;
    try {
        if (m_rows->recordCount() > 0)
            m_savedBookmark = m_rows->bookmark();
        const QString current = m_rows->sortColumns();
        const int at = m_config.sortCycle.indexOf(current);
        if (at >= 0)
            m_rows->sort(m_config.sortCycle.at((at + 1) % m_config.sortCycle.size()));
        if (m_savedBookmark > 0 && m_rows->gotoBookmark(m_savedBookmark))
            showRecord();
        else
            moveToFirst();
        ui::setSort(QStringLiteral("Sortierung: ") + m_rows->sortColumns());
    } catch (const data::DbError &e) {
        errorBox(e, QStringLiteral("SortError: "));
    }
}

void RecordForm::seekRecord()
{
    if (m_mode != Mode::Browse || !m_rows->isOpen() || !m_config.seekLayout)
        return;
    int position = 0;
    {
        data::RecordSet seekRows;
        try {
            // The whole table, unsorted; from the window's own rows when nobody wrote since they were read.
            seekRows = m_rows->reread();
        } catch (const data::DbError &e) {
            errorBox(e, QStringLiteral("OpenRecordsetError: "));
            return;
        }
        position = search::runSeek(this, seekRows, m_config.seekLayout());
    }
    if (position > 0) {
        m_savedBookmark = position;
        refreshRecords();
    }
}

void RecordForm::refreshRecords(bool show)
{
    if (m_unloaded || !m_rows->isOpen())
        return;
    try {
        m_rows->requery();
        if (m_rows->recordCount() < 1) {
            // Every row went elsewhere: as after deleting the last one here.
            ui::inform(this, QStringLiteral("Der letzte Datensatz wurde gelöscht!"), QStringLiteral("Warnung"),
                       ui::Icon::Exclamation);
            closeWindow();
            return;
        }
        if (!(m_savedBookmark > 0 && m_rows->gotoBookmark(m_savedBookmark)))
            m_rows->moveFirst();
        if (show)
            showRecord();
    } catch (const data::DbError &e) {
        if (e.number() != data::ErrRefreshNotAllowed)
            errorBox(e, QStringLiteral("RefreshError: "));
    }
}

void RecordForm::openReport()
{
    if (m_mode != Mode::Browse || !m_config.openReport)
        return;
    m_config.openReport(this);
}

// ---------------------------------------------------------------- closing

void RecordForm::closeWindow()
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
        frame->close();
    else
        close();
}

bool RecordForm::queryClose()
{
    if (m_mode != Mode::Browse) {
        ui::inform(this, QStringLiteral("Beenden Sie zuerst den Bearbeitungsmodus!"), QStringLiteral("Schließen"),
                   ui::Icon::Exclamation);
        return false;
    }
    return true;
}

void RecordForm::closeEvent(QCloseEvent *event)
{
    if (!queryClose()) {
        event->ignore();
        return;
    }
    unload();
    event->accept();
}

void RecordForm::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_rows->close();
    m_conn->close();
    if (m_loaded)
        ui::setSort(QString());
}

// ---------------------------------------------------------------- keys

// A calendar that pops up over the window keeps its own keys.
static bool insideCalendar(const QWidget *w)
{
    for (; w; w = w->parentWidget())
        if (qobject_cast<const QCalendarWidget *>(w))
            return true;
    return false;
}

void RecordForm::finishFields()
{
    for (QWidget *w : findChildren<QWidget *>()) {
        if (w->focusPolicy() == Qt::NoFocus || qobject_cast<QToolBar *>(w->parentWidget()) || insideCalendar(w))
            continue;
        if (qobject_cast<QLineEdit *>(w) && qobject_cast<QComboBox *>(w->parentWidget())) {
            // The combo box sees the navigation keys first; its text box only
            // the clipboard keys, which do nothing on a list field.
            w->installEventFilter(this);
            m_comboEdits.insert(w);
            continue;
        }
        w->installEventFilter(this);
    }
}

void RecordForm::setKeyFields(QList<QLineEdit *> fields, QList<QWidget *> companions)
{
    m_keyFields = std::move(fields);
    m_keyCompanions = std::move(companions);
}

QStringList RecordForm::keyOfFields() const
{
    QStringList key;
    for (const QLineEdit *f : m_keyFields)
        key << f->text();
    return key;
}

void RecordForm::setKeyFieldsEnabled(bool enabled)
{
    for (QLineEdit *f : std::as_const(m_keyFields))
        f->setEnabled(enabled);
    for (QWidget *w : std::as_const(m_keyCompanions))
        w->setEnabled(enabled);
}

void RecordForm::replaceFullStop(QLineEdit *field) { m_commaFields.insert(field); }

void RecordForm::watchChanges(QWidget *field)
{
    if (auto *le = qobject_cast<QLineEdit *>(field)) {
        connect(le, &QLineEdit::textChanged, this, &RecordForm::beginEdit);
    } else if (auto *cb = qobject_cast<QComboBox *>(field)) {
        connect(cb, &QComboBox::editTextChanged, this, &RecordForm::beginEdit);
        connect(cb, &QComboBox::activated, this, &RecordForm::beginEdit);
    } else if (auto *b = qobject_cast<QAbstractButton *>(field)) {
        connect(b, &QAbstractButton::toggled, this, &RecordForm::beginEdit);
    }
}

// Cut, copy and paste work on text boxes only, by key as by menu: the text
// box of a list field swallows them.
static bool isClipboardKey(QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    // An override left unaccepted lets the menu's shortcut run.
    return key->matches(QKeySequence::Cut) || key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste);
}

// From the caret to the end: the whole text after a row was shown. Reached by
// Tab or Shift+Tab a field is selected whole, as every text box is, so that
// typing replaces it (the 0 a new course starts its Kosten with). The caret
// stays at the start, so the field still shows its beginning. (The fields'
// captions have no access keys: "Kurs-Nr.:", not "&Kurs-Nr.:".)
static void selectOnFocus(QLineEdit *le, Qt::FocusReason reason)
{
    const bool whole = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
    // The text box's own handling (select all, caret at the end) runs after
    // this filter: read the caret once it is done.
    const auto select = [le, whole] {
        const int p = whole ? 0 : le->cursorPosition();
        const int end = int(le->text().size());
        le->setSelection(end, p - end);
    };
    QMetaObject::invokeMethod(le, select, Qt::QueuedConnection);
}

bool RecordForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Show && !m_sized) {
        m_sized = true;
        applyOpeningSize();
        return false;
    }
    if (m_comboEdits.contains(watched))
        return isClipboardKey(event);
    // The keyboard's keys reach a list field's combo box first, and it hands
    // them to its text box past that box's filter.
    if (qobject_cast<QComboBox *>(watched) && isClipboardKey(event))
        return true;
    if (event->type() == QEvent::FocusIn) {
        if (auto *le = qobject_cast<QLineEdit *>(watched))
            selectOnFocus(le, static_cast<QFocusEvent *>(event)->reason());
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    auto *widget = qobject_cast<QWidget *>(watched);
    if (watched == parentWidget()) {
        // A key the focused control did not take rises to the frame; it was
        // handled there already unless the frame itself had the focus.
        QWidget *focus = QApplication::focusWidget();
        if (focus && focus != widget && isAncestorOf(focus))
            return false;
    }

    if (key->text() == QLatin1String(".") && m_commaFields.contains(qobject_cast<QLineEdit *>(watched))) {
        QKeyEvent comma(QEvent::KeyPress, Qt::Key_Comma, key->modifiers(), QStringLiteral(","), key->isAutoRepeat());
        QCoreApplication::sendEvent(widget, &comma);
        return true;
    }
    if (m_mode != Mode::Browse || !m_loaded || m_unloaded)
        return false;
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && m_cmdCancel->isVisible()) {
        closeWindow();
        return true;
    }
    if (!handleNavigationKey(key))
        return false;
    // Text boxes see the key too; lists, options and check boxes would change
    // the row just shown with it.
    const bool upDown = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down || key->key() == Qt::Key_PageUp
                        || key->key() == Qt::Key_PageDown;
    return upDown && !qobject_cast<QLineEdit *>(watched);
}

bool RecordForm::handleNavigationKey(QKeyEvent *key)
{
    if (!m_rows->isOpen() || m_rows->recordCount() < 1)
        return false;
    const bool ctrlAlone = (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
    switch (key->key()) {
    case Qt::Key_Home: moveToFirst(); return true;
    case Qt::Key_End: moveToLast(); return true;
    case Qt::Key_Up:
    case Qt::Key_PageUp: ctrlAlone ? moveToFirst() : moveToPrevious(); return true;
    case Qt::Key_Down:
    case Qt::Key_PageDown: ctrlAlone ? moveToLast() : moveToNext(); return true;
    default: return false;
    }
}

} // namespace orv::records
