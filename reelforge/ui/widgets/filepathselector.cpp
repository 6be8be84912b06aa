#include "ui/widgets/filepathselector.h"

#include "core/appservices.h"
#include "painting/kelpaintcontext.h"
#include "shared/formattables.h"
#include "ui/mainwindow/thumbicon.h"
#include "ui/style.h"

#include <QFileInfo>
#include <QPainter>

namespace {

constexpr int StyleId = Style::WT_FilePath;
// The same field with its text moved right of the thumbnail.
constexpr int ThumbnailStyleId = Style::WT_FilePath_Thumbnail;
constexpr int ThumbnailInset = 6;

bool isImage(const QString &path)
{
    const FormatTables *tables = appServices().formatTables;
    return tables && tables->imageFormats().contains(QFileInfo(path).suffix(), Qt::CaseInsensitive);
}

} // namespace

// Outside any namespace, as the resource initialiser must be.
static void initWidgetResources()
{
    static const bool initialised = [] {
        Q_INIT_RESOURCE(widgets);
        return true;
    }();
    Q_UNUSED(initialised)
}

class FilePathSelector::Private
{
public:
    void refreshTexts(FilePathSelector *q) const;
    void refreshThumbnail(FilePathSelector *q) const;

    QString placeholder;
    QString path;
    ThumbIcon *thumbnail = nullptr;
    FileChooser chooser;
};

void FilePathSelector::Private::refreshTexts(FilePathSelector *q) const
{
    if (path.isEmpty()) {
        q->setText(QString());
        q->setSecondText(placeholder);
        q->setToolTip(QString());
    } else {
        q->setText(QFileInfo(path).fileName());
        q->setSecondText(QString());
        q->setToolTip(path);
    }
}

void FilePathSelector::Private::refreshThumbnail(FilePathSelector *q) const
{
    thumbnail->setSource(isImage(path) ? path : QString());
    q->setStyleId(thumbnail->isValid() ? ThumbnailStyleId : StyleId);
    q->update();
}

FilePathSelector::FilePathSelector(QWidget *parent)
    : KelButton(StyleId, QStringLiteral(":/svg/folder2.svg"), parent),
      d(std::make_unique<Private>())
{
    // The base asked for the icon before the resource was there.
    initWidgetResources();
    setIcon(QStringLiteral(":/svg/folder2.svg"));
    d->thumbnail = new ThumbIcon(QSize(ThumbnailSide, ThumbnailSide), this);
    connect(this, &KelButton::clicked, this, [this] {
        if (!d->chooser)
            return;
        const QString chosen = d->chooser();
        if (!chosen.isEmpty())
            setPath(chosen);
    });
}

FilePathSelector::~FilePathSelector() = default;

void FilePathSelector::setFileChooser(const FileChooser &chooser)
{
    d->chooser = chooser;
}

QString FilePathSelector::path() const
{
    return d->path;
}

void FilePathSelector::setPath(const QString &path)
{
    if (path == d->path)
        return;
    d->path = path;
    emit filePathChanged(path);
    d->refreshTexts(this);
    d->refreshThumbnail(this);
}

QString FilePathSelector::placeholderText() const
{
    return d->placeholder;
}

void FilePathSelector::setPlaceholderText(const QString &text)
{
    if (text == d->placeholder)
        return;
    d->placeholder = text;
    d->refreshTexts(this);
}

ThumbIcon *FilePathSelector::thumbnail() const
{
    return d->thumbnail;
}

void FilePathSelector::paint(KelPaintContext &ctx)
{
    KelButton::paint(ctx);
    const QSize side(ThumbnailSide, ThumbnailSide);
    const QPixmap pixmap = d->thumbnail->pixmap(devicePixelRatioF(), side, QColor(),
                                                KelPainting::Normal);
    if (pixmap.isNull())
        return;
    const QRect frame = frameRect();
    const QPoint topLeft(frame.left() + ThumbnailInset,
                         frame.top() + (frame.height() - ThumbnailSide) / 2);
    ctx.painter()->drawPixmap(QRect(topLeft, side), pixmap);
}

#include "moc_filepathselector.cpp"
