#pragma once
#include "data/connection.h"
#include "data/recordset.h"
#include "search/seek.h"
#include "ui/windowhost.h"

#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QKeyEvent;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace orv::data {
class DbError;
}

namespace orv::records {

class RecordCommands;

// What a record window brings to the framework: its table and keys, its sort
// cycle, its own "&Datei" item, its opening size, its delete rule and the
// dialogs it opens.
struct RecordFormConfig {
    ui::WindowId window = {}; // its object name and its own "&Datei" item (disabled while it is open)
    QString caption;          // "Kurs"
    QString table;            // "Kurs"
    QStringList keyColumns;   // "KursNr"; the pair "KursNr", "Name"
    QStringList sortCycle;    // each entry a comma-separated column list
    int widthTwips = 0;       // opening size (and the cascade size of "Ü&berlappend")
    int heightTwips = 0;
    QString deleteQuestion;                         // the Yes/No question of DeleteRecord
    QString dependentKeyColumn;                     // Trainingsplan column removed with the row ("KursNr"); empty: none
    std::function<search::SeekLayout()> seekLayout; // empty: "Suchen" stays disabled
    std::function<void(QWidget *parent)> openReport; // empty: "Bericht" stays disabled
};

// One record window: shows one row of one table at a time and edits it in
// three modes (browse, edit, add) with a toolbar, a menu bar and navigation
// keys. A window derives from it, builds its fields into contentLayout() and
// fills in the hooks below.
class RecordForm : public QWidget, public ui::ChildWindow {
    Q_OBJECT
public:
    enum class Mode { Browse, Edit, Add };

    RecordForm(RecordFormConfig config, QWidget *parent = nullptr);
    ~RecordForm() override;

    // Opening: connection, rows, first sort column, commands, then the first
    // row or, for an empty table, add mode. Without a window host the window
    // shows itself at its opening size; with one, the host adds it as a child
    // and the window sizes its frame when it gets one.
    void load();

    QList<QMenu *> ownMenus() const override;
    bool queryClose() override;
    void openAgain() override;

    Mode mode() const;
    bool isEditMode() const { return m_mode == Mode::Edit; }
    bool isAddMode() const { return m_mode == Mode::Add; }
    const RecordFormConfig &config() const { return m_config; }
    QString sortColumns() const;
    void setReportOpener(std::function<void(QWidget *)> opener);
    // The window became the active child: its sort order goes to the status bar.
    void windowActivated();
    // A command of this window's own, offered while browsing the rows (see
    // RecordCommands::addWindowCommand).
    void addCommand(const char *itemName, const QString &caption, const char *shortcutKey, const char *toolKey,
                    const char *icon, std::function<void()> run);
    // The key of the row shown; empty when none is.
    QStringList shownKey() const { return keyOfRow(); }
    // Reads the rows again and shows the one with this key (the first when it is gone).
    void refreshAndShow(const QStringList &key);

    enum class Move { First, Last, Next, Previous };

public slots:
    void addRecord();
    void addCopy();
    void undoChanges();
    void saveRecord();
    void deleteRecord();
    void moveTo(Move where);
    void moveToFirst() { moveTo(Move::First); }
    void moveToLast() { moveTo(Move::Last); }
    void moveToNext() { moveTo(Move::Next); }
    void moveToPrevious() { moveTo(Move::Previous); }
    void sortRecords();
    void seekRecord();
    void openReport();
    // Closes the window (its frame in the main window, if any); refused in edit and add mode.
    void closeWindow();

protected:
    // --- hooks of the window ---
    // Copies the current row into the fields. May throw DbError.
    virtual void fillFields(const data::RecordSet &rows) = 0;
    // After the fields are filled (master data lookups); reports its own failures.
    virtual void afterFill() {}
    // Start values of a new blank row.
    virtual void clearFields() = 0;
    // The window's checks in order: the first failure's message with `focus`
    // set to its field, or "" when all pass. May throw DbError.
    virtual QString runChecks(QWidget *&focus) = 0;
    // Warnings after passing checks that do not stop the save.
    virtual void warnBeforeWrite() {}
    // Writes the fields into the current (new or changed) row.
    virtual void writeFields(data::RecordSet &rows) = 0;

    // --- services for the windows ---
    // The key's text boxes, one per key column, and the controls that go with
    // them (pickers): enabled only while a row is added; the first gets the focus then.
    void setKeyFields(QList<QLineEdit *> fields, QList<QWidget *> companions = {});
    // Key values of the row being saved, as the key fields hold them.
    virtual QStringList keyOfFields() const;
    void setKeyFieldsEnabled(bool enabled);
    QVBoxLayout *contentLayout() const { return m_content; }
    // Every change of an entry field calls this (BeginEdit).
    void beginEdit();
    bool trackChanges() const { return m_trackChanges; }
    data::Connection &connection() { return *m_conn; }
    data::RecordSet &records() { return *m_rows; }
    // True when a row with these values in the key columns exists in the table.
    bool recordExists(const QStringList &columns, const QStringList &values);
    // The unexpected-failure box: prefix + number + " " + description, OK, title "ORV".
    void errorBox(const data::DbError &e, const QString &prefix);
    // Called once the window has built its fields: navigation keys, selection on focus.
    void finishFields();
    // A typed full stop becomes a comma in this field (numbers with a decimal comma).
    void replaceFullStop(QLineEdit *field);
    // Connects the field's changes (typing, picking, clicking) to beginEdit().
    void watchChanges(QWidget *field);

    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A new row, blank or (copy) with the fields of the row shown.
    void addRow(bool copy);
    void buildFrame();
    bool openConnection();
    bool openRecordset();
    void showFirstRow();
    bool databaseWritable();
    void showRecord();
    void setBrowseMode(bool browse);
    // Reads the rows again; `show`: the current row is shown (false when the caller shows one itself).
    void refreshRecords(bool show = true);
    // Reads the rows again and shows the one with this key, or the first.
    void reloadAndShow(const QStringList &key);
    QString deleteQuestion();
    void findKeyAndShow(const QStringList &key);
    void handleSaveError(const data::DbError &e);
    QStringList keyOfRow() const;
    bool handleNavigationKey(QKeyEvent *key);
    void applyOpeningSize();
    void unload();

    RecordFormConfig m_config;
    std::unique_ptr<data::Connection> m_conn;
    std::unique_ptr<data::RecordSet> m_rows;
    RecordCommands *m_commands = nullptr;
    QVBoxLayout *m_content = nullptr;
    QPushButton *m_cmdSave = nullptr;
    QPushButton *m_cmdUndo = nullptr;
    QPushButton *m_cmdCancel = nullptr;

    int m_savedBookmark = 0;
    Mode m_mode = Mode::Browse;
    bool m_trackChanges = false;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_framed = false;
    bool m_sized = false;
    QSet<QLineEdit *> m_commaFields;
    QSet<QObject *> m_comboEdits; // text boxes inside the list fields
    QList<QLineEdit *> m_keyFields;
    QList<QWidget *> m_keyCompanions;
    QList<QPointer<QWidget>> m_disabledWithoutRows; // by load() when the rows could not be read
};

} // namespace orv::records
