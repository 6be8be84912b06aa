#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

// Catches the links the program opens through QDesktopServices, so that
// no test starts a real application. Schemes given as refused make
// QDesktopServices::openUrl() fail, as it does when no application takes
// the link. The handlers are removed when it goes. GUI thread only.
class LinkCatcher : public QObject
{
    Q_OBJECT

public:
    explicit LinkCatcher(const QStringList &schemes, const QStringList &refused = {});
    ~LinkCatcher() override;

    // In the order they were opened.
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url);

private:
    QStringList m_schemes;
};
