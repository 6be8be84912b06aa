#include "shared/cursors.h"

#include "kelui.h"
#include "painting/kelicon.h"
#include "painting/keliconsprovider.h"

#include <QMap>
#include <QWidget>

#include <mutex>

// The pictures live in this library's resources; a static library has to
// pull them in by hand.
static void initCursorResources()
{
    Q_INIT_RESOURCE(cursors);
}

namespace {

const QPoint HotSpot(3, 3);

struct CursorPicture
{
    int id;
    const char *path;
};

const CursorPicture Pictures[] = {
        {Cursors::OpenHand, ":/mouse/openHand.png"},
        {Cursors::ClosedHand, ":/mouse/closedHand.png"},
};

QMap<int, QCursor> &table()
{
    static QMap<int, QCursor> cursors;
    return cursors;
}

void fillTable()
{
    initCursorResources();
    KelUi *ui = kelUi();
    QWidget *mainWindow = ui ? ui->mainWindow() : nullptr;
    KelIconsProvider *icons = KelIconsProvider::instance();
    if (!mainWindow || !icons)
        return;
    for (const CursorPicture &picture : Pictures) {
        const QPixmap pixmap = icons->icon(picture.path)
                                       ->pixmap(mainWindow->devicePixelRatioF(), QSize(), QColor(),
                                                KelPainting::Normal);
        table().insert(picture.id, QCursor(pixmap, HotSpot.x(), HotSpot.y()));
    }
}

} // namespace

QCursor Cursors::cursor(int id)
{
    static std::once_flag filled;
    std::call_once(filled, fillTable);
    return table().value(id, QCursor());
}
