#include "datamodel/pip/pipobject.h"

#include <cmath>

namespace {

// Sizes, opacities and centre points are fractions; a value from a stream
// or a file may be anything, and the painters multiply frame sides by it.
double unitValue(double value)
{
    return std::isnan(value) ? 0.0 : qBound(0.0, value, 1.0);
}

} // namespace

class PipObject::Private
{
public:
    PropertyMap properties;

    QVariant value(Property prop) const { return properties.value(prop); }

    // Enum values may arrive as plain numbers (from a stream or a settings
    // file); they read back as the enum, and as 0 when they do not convert.
    template<typename Enum>
    Enum enumValue(Property prop) const
    {
        QVariant v = value(prop);
        if (v.userType() == qMetaTypeId<Enum>())
            return v.value<Enum>();
        if (!v.convert(qMetaTypeId<Enum>()))
            return Enum(0);
        return v.value<Enum>();
    }
};

PipObject::PipObject(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    registerMetaTypes();
}

PipObject::PipObject(const PropertyMap &properties, QObject *parent) : PipObject(parent)
{
    d->properties = properties;
}

PipObject::~PipObject() = default;

void PipObject::registerMetaTypes()
{
    static const bool registered = [] {
        qRegisterMetaType<PipObject::Type>("PipObject::Type");
        qRegisterMetaType<PipObject::Location>("PipObject::Location");
        qRegisterMetaType<PipObject::Property>("PipObject::Property");
        qRegisterMetaType<Qt::Alignment>("Qt::Alignment");
        qRegisterMetaType<PipObjectPtr>("PipObjectPtr");
        return true;
    }();
    Q_UNUSED(registered)
}

PipObject::Type PipObject::type() const
{
    return d->enumValue<Type>(Property::Type);
}

double PipObject::size() const
{
    return unitValue(d->value(Property::Size).toDouble());
}

// Whole turns draw nothing different; without them no sum overflows.
int PipObject::angle() const
{
    return d->value(Property::Angle).toInt() % 360;
}

PipObject::Location PipObject::location() const
{
    return d->enumValue<Location>(Property::Location);
}

Qt::Alignment PipObject::alignment() const
{
    const QVariant v = d->value(Property::Alignment);
    if (v.userType() == qMetaTypeId<Qt::Alignment>())
        return v.value<Qt::Alignment>();
    // QVariant has no conversion from a number to Qt::Alignment, so a value
    // that arrived as a plain int would otherwise read as no flags.
    bool ok = false;
    const int flags = v.toInt(&ok);
    return ok ? Qt::Alignment(flags) : Qt::Alignment();
}

QPointF PipObject::centerPoint() const
{
    const QPointF point = d->value(Property::CenterPoint).toPointF();
    return QPointF(unitValue(point.x()), unitValue(point.y()));
}

QString PipObject::filePath() const
{
    return d->value(Property::FilePath).toString();
}

double PipObject::opacity() const
{
    return unitValue(d->value(Property::Opacity).toDouble());
}

QString PipObject::text() const
{
    return d->value(Property::Text).toString();
}

QString PipObject::fontFamily() const
{
    return d->value(Property::FontFamily).toString();
}

static QBrush brushValue(const QVariant &v)
{
    if (v.userType() == QMetaType::QBrush)
        return v.value<QBrush>();
    QVariant converted = v;
    if (converted.convert(QMetaType::QBrush))
        return converted.value<QBrush>();
    return QBrush();
}

QBrush PipObject::backgroundBrush() const
{
    return brushValue(d->value(Property::BackgroundBrush));
}

QBrush PipObject::foregroundBrush() const
{
    return brushValue(d->value(Property::ForegroundBrush));
}

void PipObject::setType(Type value)
{
    setProperty(Property::Type, QVariant::fromValue(value));
}

void PipObject::setSize(double value)
{
    setProperty(Property::Size, value);
}

void PipObject::setAngle(int value)
{
    setProperty(Property::Angle, value);
}

void PipObject::setLocation(Location value)
{
    setProperty(Property::Location, QVariant::fromValue(value));
}

void PipObject::setAlignment(Qt::Alignment value)
{
    setProperty(Property::Alignment, QVariant::fromValue(value));
}

void PipObject::setCenterPoint(const QPointF &value)
{
    setProperty(Property::CenterPoint, value);
}

void PipObject::setFilePath(const QString &value)
{
    setProperty(Property::FilePath, value);
}

void PipObject::setOpacity(double value)
{
    setProperty(Property::Opacity, value);
}

void PipObject::setText(const QString &value)
{
    setProperty(Property::Text, value);
}

void PipObject::setFontFamily(const QString &value)
{
    setProperty(Property::FontFamily, value);
}

void PipObject::setBackgroundBrush(const QBrush &value)
{
    setProperty(Property::BackgroundBrush, value);
}

void PipObject::setForegroundBrush(const QBrush &value)
{
    setProperty(Property::ForegroundBrush, value);
}

void PipObject::setProperty(Property prop, const QVariant &value)
{
    QVariant &stored = d->properties[prop];
    const bool changed = !(stored == value);
    stored = value;
    if (changed)
        emit propertyChanged(prop, value);
}

PipObject::PropertyMap PipObject::properties() const
{
    return d->properties;
}

PipObjectPtr PipObject::clone() const
{
    return PipObjectPtr::create(d->properties, nullptr);
}

bool operator==(const PipObjectPtr &a, const PipObjectPtr &b)
{
    if (!a || !b)
        return !a && !b;
    return a->properties() == b->properties();
}

bool operator!=(const PipObjectPtr &a, const PipObjectPtr &b)
{
    return !(a == b);
}

#include "moc_pipobject.cpp"
