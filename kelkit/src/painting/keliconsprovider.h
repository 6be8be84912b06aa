#pragma once

#include <QObject>
#include <QString>

#include <memory>

class KelIcon;
class KelPixmapCache;

// The application's icon registry: makes icons from resource or file paths
// on first request, owns them for its whole life and keeps their rendered
// pixmaps in its own pixmap cache. Callers never delete the icons they get.
// GUI thread only.
class KelIconsProvider : public QObject
{
public:
    explicit KelIconsProvider(QObject *parent = nullptr);
    ~KelIconsProvider() override;

    // The running KelApplication's provider; null without one.
    static KelIconsProvider *instance();

    // Never null: a missing path gives the null icon, a file that cannot be
    // loaded an invalid icon kept under its path.
    KelIcon *icon(const QString &path);
    KelIcon *icon(const char *path);

    // Takes ownership of an icon made elsewhere and keeps it under its path;
    // an icon whose path is taken already is refused with a warning and
    // deleted. False when refused.
    bool registerIcon(KelIcon *icon);

    KelPixmapCache *pixmapCache() const;

private:
    class Private;
    std::unique_ptr<Private> d;
};
