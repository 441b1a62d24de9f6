#pragma once
#include "ui/windowhost.h"

#include <QCloseEvent>
#include <QMenu>
#include <QStringList>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace orv::test {

// A child window with its own menu that may refuse to close, as a record
// window in the middle of an edit does. Closes it accepted are noted in `log`.
class TestChildWindow : public QWidget, public ui::ChildWindow {
public:
    explicit TestChildWindow(const QString &name, QStringList *log = nullptr) : m_log(log)
    {
        setObjectName(name);
        setWindowTitle(name);
        m_menu = new QMenu(u"&Bearbeiten"_s, this);
        m_menu->setObjectName(name + u"_mnuEdit"_s);
        m_menu->addAction(u"&Sichern"_s);
    }
    QList<QMenu *> ownMenus() const override { return {m_menu}; }
    bool queryClose() override
    {
        ++asked;
        return !refuse;
    }
    QMenu *menu() const { return m_menu; }
    bool refuse = false;
    int asked = 0;

protected:
    void closeEvent(QCloseEvent *e) override
    {
        if (!queryClose()) {
            e->ignore();
            return;
        }
        if (m_log)
            m_log->append(objectName());
        e->accept();
    }

private:
    QMenu *m_menu = nullptr;
    QStringList *m_log = nullptr;
};

// A plain window that notes its close.
class LoggingWindow : public QWidget {
public:
    LoggingWindow(const QString &name, QStringList *log) : m_log(log) { setObjectName(name); }

protected:
    void closeEvent(QCloseEvent *e) override
    {
        if (m_log)
            m_log->append(objectName());
        e->accept();
    }

private:
    QStringList *m_log;
};

} // namespace orv::test
