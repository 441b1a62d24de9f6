#pragma once
#include "records/recordform.h"
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

namespace orv::test {

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

    template <typename W = QWidget>
    W *widget(const QString &name) const
    {
        W *w = m_form->findChild<W *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QLineEdit *field(int i) const { return widget<QLineEdit>(QStringLiteral("txtFields(%1)").arg(i)); }
    QComboBox *combo(const QString &name) const { return widget<QComboBox>(name); }
    QString text(int i) const { return field(i)->text(); }
    QString comboText(const QString &name) const { return combo(name)->currentText(); }
    QAction *action(const QString &name) const { return widget<QAction>(name); }

    // Selects what the control holds and types over it.
    void type(QWidget *w, const QString &text)
    {
        w->setFocus();
        if (auto *le = qobject_cast<QLineEdit *>(w))
            le->selectAll();
        else if (auto *cb = qobject_cast<QComboBox *>(w))
            cb->lineEdit()->selectAll();
        if (text.isEmpty())
            QTest::keyClick(w, Qt::Key_Delete);
        else
            QTest::keyClicks(w, text);
    }
    void type(int i, const QString &text) { type(field(i), text); }
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
    void key(QWidget *w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(w, key, mods); }

    static QString status() { return ui::StatusPanels::instance().panelText(QStringLiteral("Status")); }
    static QString sort() { return ui::StatusPanels::instance().panelText(QStringLiteral("Sort")); }

    // The visible state of the buttons and commands that change with the mode.
    bool looksLikeBrowseMode() const
    {
        return widget<QPushButton>(QStringLiteral("cmdCancel"))->isVisible()
               && !widget<QPushButton>(QStringLiteral("cmdUndo"))->isVisible()
               && !widget<QPushButton>(QStringLiteral("cmdSave"))->isEnabled()
               && action(QStringLiteral("Gonext"))->isEnabled() && !action(QStringLiteral("Save"))->isEnabled();
    }
    bool looksLikeEditMode() const
    {
        return !widget<QPushButton>(QStringLiteral("cmdCancel"))->isVisible()
               && widget<QPushButton>(QStringLiteral("cmdUndo"))->isVisible()
               && widget<QPushButton>(QStringLiteral("cmdSave"))->isEnabled()
               && !action(QStringLiteral("Gonext"))->isEnabled() && !action(QStringLiteral("mnuGoTo"))->isEnabled()
               && !action(QStringLiteral("Close"))->isEnabled() && action(QStringLiteral("Save"))->isEnabled();
    }

    // Closes what is left at the end of a test without asking.
    void dispose()
    {
        if (m_form)
            delete m_form.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private:
    QPointer<records::RecordForm> m_form;
};

// The first text column of the first row of a query, as the database holds it.
inline QString firstText(data::Connection &c, const QString &sql, const QVariantList &params = {})
{
    auto cur = c.query(sql, params);
    if (!cur->next())
        return QStringLiteral("<no row>");
    const auto bytes = cur->textBytes(0);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

} // namespace orv::test
