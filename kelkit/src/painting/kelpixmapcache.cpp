#include "painting/kelpixmapcache.h"

#include <QHash>

#include <limits>
#include <vector>

namespace {

constexpr int DefaultLimitKb = 10240;

// A cache key number; it outlives its entry so that a string key still
// holding it can tell the entry is gone even after the number is reused.
struct KeyData
{
    int number = 0;
    bool valid = true;
};

} // namespace

class KelPMCache
{
public:
    ~KelPMCache() { clear(); }

    // The stored pixmap. Deleting it (evicted, replaced or cleared) frees
    // its key number and invalidates the key.
    class KelPixmapCacheEntry : public QPixmap
    {
    public:
        KelPixmapCacheEntry(KelPMCache *cache, std::shared_ptr<KeyData> key, const QPixmap &pixmap,
                            int cost)
            : QPixmap(pixmap), cache(cache), key(std::move(key)), cost(cost)
        { }
        ~KelPixmapCacheEntry()
        {
            key->valid = false;
            cache->releaseNumber(key->number);
        }

        KelPMCache *cache;
        std::shared_ptr<KeyData> key;
        int cost;
        KelPixmapCacheEntry *prev = nullptr;
        KelPixmapCacheEntry *next = nullptr;
    };

    KelPixmapCacheEntry *lookup(const std::shared_ptr<KeyData> &key) const
    {
        if (!key || !key->valid)
            return nullptr;
        return entries.value(key->number, nullptr);
    }

    std::shared_ptr<KeyData> newKey()
    {
        auto key = std::make_shared<KeyData>();
        key->number = takeNumber();
        return key;
    }

    // False when the entry alone costs more than the limit; it is then
    // deleted.
    bool insert(std::shared_ptr<KeyData> key, const QPixmap &pixmap, int cost)
    {
        auto entry = new KelPixmapCacheEntry(this, std::move(key), pixmap, cost);
        if (cost > maxCost) {
            delete entry;
            return false;
        }
        trim(maxCost - cost);
        entries.insert(entry->key->number, entry);
        linkFront(entry);
        totalCost += cost;
        return true;
    }

    void remove(KelPixmapCacheEntry *entry)
    {
        unlink(entry);
        entries.remove(entry->key->number);
        totalCost -= entry->cost;
        delete entry;
    }

    void touch(KelPixmapCacheEntry *entry)
    {
        if (entry == first)
            return;
        unlink(entry);
        linkFront(entry);
    }

    void trim(qint64 target)
    {
        while (last && totalCost > target)
            remove(last);
    }

    void clear()
    {
        while (last)
            remove(last);
        stringKeys.clear();
    }

    QHash<QString, std::shared_ptr<KeyData>> stringKeys;
    QHash<int, KelPixmapCacheEntry *> entries;
    KelPixmapCacheEntry *first = nullptr; // most recently used
    KelPixmapCacheEntry *last = nullptr;
    qint64 totalCost = 0;
    qint64 maxCost = DefaultLimitKb;

private:
    void linkFront(KelPixmapCacheEntry *entry)
    {
        entry->prev = nullptr;
        entry->next = first;
        if (first)
            first->prev = entry;
        first = entry;
        if (!last)
            last = entry;
    }

    void unlink(KelPixmapCacheEntry *entry)
    {
        if (entry->prev)
            entry->prev->next = entry->next;
        else
            first = entry->next;
        if (entry->next)
            entry->next->prev = entry->prev;
        else
            last = entry->prev;
        entry->prev = entry->next = nullptr;
    }

    // Key numbers start at 1. freeSlots[i] is the number handed out after
    // number i + 1 is taken: a free list threaded through the table, which
    // starts with two slots and doubles when full.
    int takeNumber()
    {
        if (freeHead == int(freeSlots.size()))
            grow();
        const int number = freeHead + 1;
        freeHead = freeSlots[freeHead];
        return number;
    }

    void releaseNumber(int number)
    {
        const int slot = number - 1;
        if (slot < 0 || slot >= int(freeSlots.size()))
            return;
        freeSlots[slot] = freeHead;
        freeHead = slot;
    }

    void grow()
    {
        const int oldSize = int(freeSlots.size());
        const int newSize = oldSize == 0 ? 2 : oldSize * 2;
        freeSlots.resize(newSize);
        for (int i = oldSize; i < newSize; ++i)
            freeSlots[i] = i + 1;
    }

    std::vector<int> freeSlots;
    int freeHead = 0;
};

KelPixmapCache::KelPixmapCache(QObject *parent) : QObject(parent), d(std::make_unique<KelPMCache>())
{ }

KelPixmapCache::~KelPixmapCache() = default;

bool KelPixmapCache::find(const QString &key, QPixmap *pixmap)
{
    const auto it = d->stringKeys.constFind(key);
    if (it == d->stringKeys.constEnd())
        return false;
    auto entry = d->lookup(it.value());
    if (!entry) {
        d->stringKeys.erase(it);
        return false;
    }
    d->touch(entry);
    if (pixmap)
        *pixmap = *entry;
    return true;
}

bool KelPixmapCache::insert(const QString &key, const QPixmap &pixmap)
{
    std::shared_ptr<KeyData> &cacheKey = d->stringKeys[key];
    if (auto old = d->lookup(cacheKey))
        d->remove(old);
    cacheKey = d->newKey();
    if (!d->insert(cacheKey, pixmap, cost(pixmap))) {
        d->stringKeys.remove(key);
        return false;
    }
    return true;
}

void KelPixmapCache::setCacheLimit(int megabytes)
{
    d->maxCost = qint64(megabytes) * 1024;
    d->trim(d->maxCost);
}

int KelPixmapCache::cacheLimit() const
{
    return int(qBound<qint64>(std::numeric_limits<int>::min(), d->maxCost,
                              std::numeric_limits<int>::max()));
}

int KelPixmapCache::cost(const QPixmap &pixmap)
{
    const qint64 kb = qint64(pixmap.width()) * pixmap.height() * pixmap.depth() / 8192;
    return int(qBound<qint64>(1, kb, std::numeric_limits<int>::max()));
}

#include "moc_kelpixmapcache.cpp"
