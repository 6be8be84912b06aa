#pragma once

#include <QObject>
#include <QPixmap>
#include <QString>

#include <memory>

class KelPMCache;

// A string-keyed pixmap cache with a cost limit in KB, evicting the least
// recently used entries first. Unlike QPixmapCache each instance has its own
// limit, so icon pixmaps, shadows and thumbnails never push each other's
// entries out. The owner names an instance through setObjectName().
// GUI thread only.
class KelPixmapCache : public QObject
{
    Q_OBJECT

public:
    explicit KelPixmapCache(QObject *parent = nullptr);
    ~KelPixmapCache() override;

    // True when key holds a live entry, which then becomes the most recently
    // used; the pixmap is copied to pixmap when that is not null. A key whose
    // entry was evicted is forgotten.
    bool find(const QString &key, QPixmap *pixmap);
    // Stores the pixmap under key, replacing what the key held. False when the
    // pixmap alone costs more than the limit; the key then holds nothing.
    bool insert(const QString &key, const QPixmap &pixmap);

    // Evicts at once down to the new limit.
    void setCacheLimit(int megabytes);
    // In KB.
    int cacheLimit() const;

    // In KB: width x height x depth / 8192, at least 1.
    static int cost(const QPixmap &pixmap);

private:
    std::unique_ptr<KelPMCache> d;
};
