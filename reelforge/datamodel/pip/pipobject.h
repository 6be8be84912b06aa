#pragma once

#include <QBrush>
#include <QMap>
#include <QMetaType>
#include <QObject>
#include <QPointF>
#include <QSharedPointer>
#include <QString>
#include <QVariant>

#include <memory>

class PipObject;
using PipObjectPtr = QSharedPointer<PipObject>;

// One overlay of a queue item (image watermark, text watermark or burned-in
// subtitles) as a map of typed properties. It knows no frame size and draws
// nothing; PipFrame and the painters read it. Lives on one thread: the GUI
// thread in reelforge, the worker thread in reelworker.
class PipObject : public QObject
{
    Q_OBJECT
public:
    enum Type : int { ImageWatermark = 0, TextWatermark = 1, Subtitles = 2 };
    Q_ENUM(Type)

    enum Location : int { Free = 0, Tile = 1, Aligned = 2 };
    Q_ENUM(Location)

    // Scoped, because two of its values share their names with the enums above.
    enum class Property {
        Type = 0,
        Size = 1,
        Angle = 2,
        Location = 3,
        Alignment = 4,
        CenterPoint = 5,
        FilePath = 6,
        Opacity = 7,
        Text = 8,
        FontFamily = 9,
        BackgroundBrush = 10,
        ForegroundBrush = 11,
    };
    Q_ENUM(Property)

    using PropertyMap = QMap<Property, QVariant>;

    explicit PipObject(QObject *parent = nullptr);
    // Takes the map over unchanged and emits nothing; the worker rebuilds
    // received overlays with it.
    PipObject(const PropertyMap &properties, QObject *parent);
    ~PipObject() override;

    // The getters give what the map holds, except that sizes, opacities and
    // centre coordinates read as limited to 0 to 1 (not a number reads as
    // 0), and angles without whole turns; the map itself keeps what was set.
    Type type() const;
    double size() const;
    int angle() const;
    Location location() const;
    Qt::Alignment alignment() const;
    QPointF centerPoint() const;
    QString filePath() const;
    double opacity() const;
    QString text() const;
    QString fontFamily() const;
    QBrush backgroundBrush() const;
    QBrush foregroundBrush() const;

    void setType(Type value);
    void setSize(double value);
    void setAngle(int value);
    void setLocation(Location value);
    void setAlignment(Qt::Alignment value);
    void setCenterPoint(const QPointF &value);
    void setFilePath(const QString &value);
    void setOpacity(double value);
    void setText(const QString &value);
    void setFontFamily(const QString &value);
    void setBackgroundBrush(const QBrush &value);
    void setForegroundBrush(const QBrush &value);

    // Stores the value in any case; emits propertyChanged only when it differs
    // from the previous one (an absent key counts as an invalid variant).
    void setProperty(Property prop, const QVariant &value);
    using QObject::setProperty;

    PropertyMap properties() const;
    // A parentless, unconnected copy: later changes to either side stay local.
    PipObjectPtr clone() const;

    // Registers the metatypes that let the values travel in variants and
    // queued signals; the constructors call it, so calling it is optional.
    static void registerMetaTypes();

signals:
    void propertyChanged(PipObject::Property prop, const QVariant &value);

private:
    class Private;
    std::unique_ptr<Private> d;
};

Q_DECLARE_METATYPE(PipObjectPtr)

// Overlay equality: two nulls are equal, a null never equals an object, and
// two objects are equal when their property maps are.
bool operator==(const PipObjectPtr &a, const PipObjectPtr &b);
bool operator!=(const PipObjectPtr &a, const PipObjectPtr &b);
