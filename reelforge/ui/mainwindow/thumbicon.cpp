#include "ui/mainwindow/thumbicon.h"

#include "ui/ui.h"

ThumbIcon::ThumbIcon(const QSize &defaultSize, QObject *parent) : QObject(parent)
{
    m_size1x = defaultSize;
    m_path = QStringLiteral("ThumbIcon");
}

ThumbIcon::~ThumbIcon() = default;

QString ThumbIcon::source() const
{
    return m_source;
}

void ThumbIcon::setSource(const QString &source)
{
    m_source = source;
}

bool ThumbIcon::isValid() const
{
    return !m_source.isEmpty();
}

QPixmap ThumbIcon::pixmap(double pixelRatio, const QSize &size, const QColor &tint,
                          KelPainting::WidgetState state) const
{
    Q_UNUSED(tint)
    Q_UNUSED(state)
    QPixmap result;
    auto *ui = dynamic_cast<Ui *>(kelUi());
    if (!isValid() || !ui)
        return result;
    if (!ui->thumbnail(m_source, size.isValid() ? size : m_size1x, pixelRatio, result))
        return QPixmap();
    return result;
}

#include "moc_thumbicon.cpp"
