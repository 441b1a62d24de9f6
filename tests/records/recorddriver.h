#pragma once
#include "records/frmkurs.h"
#include "records/frmmitarbeiter.h"
#include "records/frmtrainingsplan.h"
#include "records/recordform.h"
#include "records/recordwindows.h"
#include "support/testenv.h"
#include "ui/statuspanels.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <type_traits>

namespace orv::test {

// A name in a record window's Field list.
template <typename F>
concept WindowField = std::is_enum_v<F>;

// The object name of a record window's text box, as the focus and the
// accessibility checks see it.
template <WindowField F> QString fieldName(F f) { return u"txtFields(%1)"_s.arg(static_cast<int>(f)); }

// Drives one record window as a person would: by the names of its controls.
class RecordDriver {
public:
    explicit RecordDriver(records::RecordForm *form) : m_form(form) {}

    records::RecordForm *form() const { return m_form; }
    bool isOpen()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return m_form && m_form->isVisible();
    }

    template <typename W = QWidget> W *widget(const QString &name) const
    {
        W *w = m_form->findChild<W *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    // A text box by its name in the window's Field list; a name of another
    // window's list fails, as the same number there is another field.
    QLineEdit *field(records::FrmKurs::Field f) const { return fieldOf<records::FrmKurs>(f); }
    QLineEdit *field(records::FrmMitarbeiter::Field f) const { return fieldOf<records::FrmMitarbeiter>(f); }
    QLineEdit *field(records::FrmTrainingsplan::Field f) const { return fieldOf<records::FrmTrainingsplan>(f); }
    QComboBox *combo(const QString &name) const { return widget<QComboBox>(name); }
    template <WindowField F> QString text(F f) const { return field(f)->text(); }
    QString comboText(const QString &name) const { return combo(name)->currentText(); }
    // The texts of the given fields, then of the given lists, trimmed.
    template <WindowField F>
    QStringList texts(std::initializer_list<F> fields, std::initializer_list<const char *> combos) const
    {
        QStringList s;
        for (F f : fields)
            s << text(f).trimmed();
        for (const char *name : combos)
            s << comboText(QLatin1String(name)).trimmed();
        return s;
    }
    QAction *action(const QString &name) const { return widget<QAction>(name); }
    // The first field of the key: the course number, in the employee window the name.
    QLineEdit *keyField() const
    {
        using records::FrmKurs, records::FrmMitarbeiter, records::FrmTrainingsplan;
        if (qobject_cast<FrmMitarbeiter *>(m_form.data()))
            return field(FrmMitarbeiter::Name);
        return qobject_cast<FrmKurs *>(m_form.data()) ? field(FrmKurs::KursNr) : field(FrmTrainingsplan::KursNr);
    }
    // The key of the shown row: the course number or name, "KursNr/Name" for an entry.
    QString shown() const
    {
        const QString first = keyField()->text().trimmed();
        return qobject_cast<records::FrmTrainingsplan *>(m_form.data())
                   ? first + QLatin1Char('/') + text(records::FrmTrainingsplan::Name).trimmed()
                   : first;
    }

    // Selects what the control holds and types over it, as the keyboard does.
    void type(QWidget *w, const QString &text)
    {
        focus(w);
        if (auto *le = qobject_cast<QLineEdit *>(w))
            le->selectAll();
        else if (auto *cb = qobject_cast<QComboBox *>(w))
            cb->lineEdit()->selectAll();
        if (text.isEmpty())
            QTest::keyClick(keyboardWindow(), Qt::Key_Delete);
        else
            typeText(keyboardWindow(), text);
    }
    template <WindowField F> void type(F f, const QString &text) { type(field(f), text); }
    void type(const QString &comboName, const QString &text) { type(combo(comboName), text); }
    // Picks a list item of a combo box as with the mouse.
    void pick(const QString &comboName, int index)
    {
        QComboBox *cb = combo(comboName);
        cb->setCurrentIndex(index);
        emit cb->activated(index);
    }

    void trigger(const QString &actionName)
    {
        QAction *a = action(actionName);
        ASSERT_TRUE(a->isEnabled()) << actionName.toStdString() << " is disabled";
        a->trigger();
    }
    void click(const QString &buttonName)
    {
        auto *b = widget<QAbstractButton>(buttonName);
        ASSERT_TRUE(b->isEnabled() && b->isVisible()) << buttonName.toStdString();
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void key(QWidget *w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        focus(w);
        QTest::keyClick(keyboardWindow(), key, mods);
    }
    void keys(QWidget *w, const QKeySequence &sequence)
    {
        focus(w);
        QTest::keySequence(keyboardWindow(), sequence);
    }
    // Gives w the focus in the active window, as a click would.
    static void focus(QWidget *w)
    {
        // A click into the control activates its window, as a box that was
        // just closed leaves none active.
        QWidget *top = w->window();
        EXPECT_TRUE(top->isActiveWindow() || activate(top));
        w->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents(); // what the control does on getting the focus
        QWidget *has = QApplication::focusWidget();
        EXPECT_TRUE(has == w || (has && w->focusProxy() == has) || (has && has->parentWidget() == w))
            << "the focus is on " << (has ? has->objectName().toStdString() : std::string("nothing"));
    }
    // Keys go where a keyboard sends them: to the active window, which hands
    // them to its focused control after the shortcuts had their say.
    static QWindow *keyboardWindow()
    {
        QWindow *w = QGuiApplication::focusWindow();
        EXPECT_NE(w, nullptr) << "no window is active";
        return w;
    }

    static QString status() { return ui::StatusPanels::instance().panelText(u"Status"_s); }
    static QString sort() { return ui::StatusPanels::instance().panelText(u"Sort"_s); }

    // The visible state of the buttons and commands that change with the mode.
    bool looksLikeBrowseMode() const
    {
        return widget<QPushButton>(u"cmdCancel"_s)->isVisible() && !widget<QPushButton>(u"cmdUndo"_s)->isVisible()
               && !widget<QPushButton>(u"cmdSave"_s)->isEnabled() && action(u"Gonext"_s)->isEnabled()
               && !action(u"Save"_s)->isEnabled();
    }
    bool looksLikeEditMode() const
    {
        return !widget<QPushButton>(u"cmdCancel"_s)->isVisible() && widget<QPushButton>(u"cmdUndo"_s)->isVisible()
               && widget<QPushButton>(u"cmdSave"_s)->isEnabled() && !action(u"Gonext"_s)->isEnabled()
               && !action(u"mnuGoTo"_s)->isEnabled() && !action(u"Close"_s)->isEnabled()
               && action(u"Save"_s)->isEnabled();
    }

    // Closes what is left at the end of a test without asking.
    void dispose()
    {
        if (m_form)
            delete m_form.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private:
    template <typename Window> QLineEdit *fieldOf(typename Window::Field f) const
    {
        EXPECT_NE(qobject_cast<Window *>(m_form.data()), nullptr)
            << fieldName(f).toStdString() << " of another window than " << m_form->objectName().toStdString();
        return widget<QLineEdit>(fieldName(f));
    }

    QPointer<records::RecordForm> m_form;
};

// Messages shared by the record windows.
inline const QString kInvalid = u"Es wurden fehlerhafte Eingaben festgestellt!"_s;
inline const QString kCheckTitle = u"Datenprüfung"_s;
inline const QString kGone =
    u"Der Datensatz wurde von einem anderem User gelöscht, es wird an den Anfang gesprungen!"_s;
inline const QString kChanged = u"Der Datensatz wurde von einem anderem User geändert, er wird neu eingelesen!"_s;
inline const QString kDeleteWithEntries = u"Datensatz mit zugeordneten Kursen wirklich löschen?"_s;
// The same question for a course or employee that has training-plan entries: it says how many go with it.
inline QString deleteWithEntries(const QString &what, int entries)
{
    return kDeleteWithEntries + u"\n\nMit dem "_s + what
           + (entries == 1 ? u" wird 1 Trainingsplaneintrag"_s : u" werden %1 Trainingsplaneinträge"_s.arg(entries))
           + u" gelöscht."_s;
}

// One record window of the program, opened by its name, on the test database.
class RecordWindowTest : public DbTest {
protected:
    void TearDown() override
    {
        drv.dispose();
        DbTest::TearDown();
    }
    void open(ui::WindowId window)
    {
        auto *form = records::openRecordWindow(window);
        ASSERT_NE(form, nullptr);
        ASSERT_TRUE(activate(form));
        drv = RecordDriver(form);
    }
    QString shown() const { return drv.shown(); }
    QLineEdit *keyField() const { return drv.keyField(); }
    void expectInvalid() { prompter.expectMessage(kInvalid, kCheckTitle, ui::Icon::Exclamation); }
    void expectWarning(const QString &text) { prompter.expectMessage(text, u"Warnung"_s, ui::Icon::Exclamation); }
    void expectDelete(ui::Answer answer = ui::Answer::Yes, const QString &question = kDeleteWithEntries)
    {
        prompter.expectMessage(question, u"Löschen"_s, ui::Icon::Question, answer);
    }
    // A database failure in the framework's box: "<prefix>: <number> <description>".
    void expectError(const QString &prefix)
    {
        prompter.expectMessageMatching(u"^"_s + prefix + u": -?\\d+ .+"_s, u"ORV"_s, ui::Icon::None);
    }
    // Saves a row that must fail its checks with `message`, the focus on `focus`; then undoes.
    void expectRefused(const QString &message, const QString &focus)
    {
        expectInvalid();
        drv.click(u"cmdSave"_s);
        EXPECT_EQ(drv.status(), message);
        EXPECT_EQ(focused() ? focused()->objectName() : QString(), focus);
        EXPECT_TRUE(drv.looksLikeEditMode());
        drv.click(u"cmdUndo"_s);
    }
    QWidget *focused() const { return drv.form()->focusWidget(); }
    // The first text of a query, trimmed.
    QString value(const QString &sql, const QVariantList &params = {})
    {
        return firstText(db(), sql, params).trimmed();
    }

    RecordDriver drv{nullptr};
};

// The tests of one window, which most of them open on the standard rows.
template <ui::WindowId Window> class WindowTestOf : public RecordWindowTest {
protected:
    void open() { RecordWindowTest::open(Window); }
    void openOnStandardRows()
    {
        seed();
        open();
    }
};

} // namespace orv::test
