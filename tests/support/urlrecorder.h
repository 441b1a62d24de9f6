#pragma once
#include <QList>
#include <QObject>
#include <QUrl>

namespace orv::test {

// The desktop's browser and file manager (QDesktopServices::setUrlHandler): keeps what is opened.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls.append(url); }
};

} // namespace orv::test
