#pragma once
#include <QList>
#include <QObject>
#include <QUrl>

namespace orv::test {

// Stands in for the desktop's browser and file manager: registered with
// QDesktopServices::setUrlHandler, it keeps the addresses the program opens.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls.append(url); }
};

} // namespace orv::test
