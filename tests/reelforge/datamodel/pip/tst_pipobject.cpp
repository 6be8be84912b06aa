#include "datamodel/pip/pipobject.h"

#include <QDataStream>
#include <QSignalSpy>
#include <QtTest>

class tst_PipObject : public QObject
{
    Q_OBJECT
private slots:
    void newObjectReadsNeutralValues();
    void settersEmitOnlyOnChange();
    void invalidValueOnAbsentKeyEmitsNothing();
    void mapConstructorEmitsNothing();
    void plainValuesConvert_data();
    void plainValuesConvert();
    void streamedMapReadsBack();
    void cloneEqualsUntilChanged();
    void pointerEquality();
};

void tst_PipObject::newObjectReadsNeutralValues()
{
    PipObject o;
    QCOMPARE(o.type(), PipObject::ImageWatermark);
    QCOMPARE(o.location(), PipObject::Free);
    QCOMPARE(o.size(), 0.0);
    QCOMPARE(o.angle(), 0);
    QCOMPARE(o.opacity(), 0.0);
    QCOMPARE(o.alignment(), Qt::Alignment());
    QCOMPARE(o.centerPoint(), QPointF());
    QVERIFY(o.filePath().isEmpty());
    QVERIFY(o.text().isEmpty());
    QVERIFY(o.fontFamily().isEmpty());
    QCOMPARE(o.backgroundBrush(), QBrush());
    QCOMPARE(o.foregroundBrush(), QBrush());
    QVERIFY(o.properties().isEmpty());
}

void tst_PipObject::settersEmitOnlyOnChange()
{
    PipObject o;
    QSignalSpy spy(&o, &PipObject::propertyChanged);

    o.setLocation(PipObject::Tile);
    o.setLocation(PipObject::Tile);
    o.setAlignment(Qt::AlignBottom | Qt::AlignHCenter);
    o.setAlignment(Qt::AlignBottom | Qt::AlignHCenter);
    o.setForegroundBrush(QBrush(Qt::red));
    o.setForegroundBrush(QBrush(Qt::red));
    o.setCenterPoint(QPointF(0.25, 0.75));
    o.setCenterPoint(QPointF(0.25, 0.75));
    o.setOpacity(0.5);
    o.setOpacity(0.5);
    QCOMPARE(spy.count(), 5);

    o.setOpacity(0.6);
    QCOMPARE(spy.count(), 6);
    QCOMPARE(spy.last().at(0).value<PipObject::Property>(), PipObject::Property::Opacity);
    QCOMPARE(spy.last().at(1).toDouble(), 0.6);

    QCOMPARE(o.location(), PipObject::Tile);
    QCOMPARE(o.alignment(), Qt::AlignBottom | Qt::AlignHCenter);
    QCOMPARE(o.foregroundBrush().color(), QColor(Qt::red));
    QCOMPARE(o.centerPoint(), QPointF(0.25, 0.75));
}

void tst_PipObject::invalidValueOnAbsentKeyEmitsNothing()
{
    PipObject o;
    QSignalSpy spy(&o, &PipObject::propertyChanged);
    o.setProperty(PipObject::Property::Text, QVariant());
    QCOMPARE(spy.count(), 0);
    o.setText(QStringLiteral("mark"));
    QCOMPARE(spy.count(), 1);
}

void tst_PipObject::mapConstructorEmitsNothing()
{
    PipObject::PropertyMap map;
    map.insert(PipObject::Property::Type, QVariant::fromValue(PipObject::Subtitles));
    map.insert(PipObject::Property::Size, 0.3);
    PipObject o(map, nullptr);
    QCOMPARE(o.properties(), map);
    QCOMPARE(o.type(), PipObject::Subtitles);
    QCOMPARE(o.size(), 0.3);
}

void tst_PipObject::plainValuesConvert_data()
{
    QTest::addColumn<int>("prop");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("expected");

    const int type = int(PipObject::Property::Type);
    const int location = int(PipObject::Property::Location);
    const int alignment = int(PipObject::Property::Alignment);
    QTest::newRow("type int") << type << QVariant(2) << int(PipObject::Subtitles);
    // Values from the link are not checked; an unknown type must stay representable.
    QTest::newRow("type out of range") << type << QVariant(7) << 7;
    QTest::newRow("location int") << location << QVariant(1) << int(PipObject::Tile);
    QTest::newRow("location string") << location << QVariant(QStringLiteral("x")) << 0;
    QTest::newRow("location registered")
            << location << QVariant::fromValue(PipObject::Aligned) << int(PipObject::Aligned);
    QTest::newRow("alignment int") << alignment << QVariant(int(Qt::AlignBottom | Qt::AlignRight))
                                   << int(Qt::AlignBottom | Qt::AlignRight);
    QTest::newRow("alignment string") << alignment << QVariant(QStringLiteral("x")) << 0;
}

void tst_PipObject::plainValuesConvert()
{
    QFETCH(int, prop);
    QFETCH(QVariant, value);
    QFETCH(int, expected);

    PipObject::PropertyMap map;
    map.insert(PipObject::Property(prop), value);
    PipObject o(map, nullptr);
    switch (PipObject::Property(prop)) {
    case PipObject::Property::Type:
        QCOMPARE(int(o.type()), expected);
        break;
    case PipObject::Property::Location:
        QCOMPARE(int(o.location()), expected);
        break;
    default:
        QCOMPARE(int(o.alignment()), expected);
        break;
    }
}

// The link carries the map keyed by int; enum values written as plain ints
// and brushes must read back as what the sender set.
void tst_PipObject::streamedMapReadsBack()
{
    PipObject source;
    source.setType(PipObject::Subtitles);
    source.setLocation(PipObject::Aligned);
    source.setAlignment(Qt::AlignBottom);
    source.setForegroundBrush(QBrush(QColor(10, 20, 30)));
    source.setBackgroundBrush(QBrush(QColor(0, 0, 0, 128)));
    source.setSize(0.4);

    QMap<int, QVariant> sent;
    const PipObject::PropertyMap props = source.properties();
    for (auto it = props.cbegin(); it != props.cend(); ++it) {
        QVariant v = it.value();
        if (v.userType() == qMetaTypeId<PipObject::Type>()
            || v.userType() == qMetaTypeId<PipObject::Location>())
            v = QVariant(v.toInt());
        else if (v.userType() == qMetaTypeId<Qt::Alignment>())
            v = QVariant(int(v.value<Qt::Alignment>()));
        sent.insert(int(it.key()), v);
    }

    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << sent;
    }
    QMap<int, QVariant> received;
    QDataStream in(bytes);
    in >> received;
    QCOMPARE(in.status(), QDataStream::Ok);

    PipObject::PropertyMap map;
    for (auto it = received.cbegin(); it != received.cend(); ++it)
        map.insert(PipObject::Property(it.key()), it.value());
    PipObject copy(map, nullptr);
    QCOMPARE(copy.type(), PipObject::Subtitles);
    QCOMPARE(copy.location(), PipObject::Aligned);
    QCOMPARE(copy.alignment(), Qt::Alignment(Qt::AlignBottom));
    QCOMPARE(copy.foregroundBrush(), QBrush(QColor(10, 20, 30)));
    QCOMPARE(copy.backgroundBrush().color().alpha(), 128);
    QCOMPARE(copy.size(), 0.4);
}

void tst_PipObject::cloneEqualsUntilChanged()
{
    auto original = PipObjectPtr::create();
    original->setType(PipObject::TextWatermark);
    original->setText(QStringLiteral("mark"));
    original->setCenterPoint(QPointF(0.5, 0.5));

    PipObjectPtr copy = original->clone();
    QVERIFY(copy.data() != original.data());
    QVERIFY(copy->parent() == nullptr);
    QVERIFY(copy == original);

    QSignalSpy originalSpy(original.data(), &PipObject::propertyChanged);
    copy->setText(QStringLiteral("other"));
    QVERIFY(copy != original);
    QCOMPARE(original->text(), QStringLiteral("mark"));
    QCOMPARE(originalSpy.count(), 0);

    copy->setText(QStringLiteral("mark"));
    QVERIFY(copy == original);
    original->setAngle(10);
    QVERIFY(copy != original);
}

void tst_PipObject::pointerEquality()
{
    PipObjectPtr a, b;
    QVERIFY(a == b);
    b = PipObjectPtr::create();
    QVERIFY(a != b);
    QVERIFY(b != a);
    a = PipObjectPtr::create();
    QVERIFY(a == b);
    // An extra key, even holding an invalid value, makes the maps differ.
    a->setProperty(PipObject::Property::Text, QVariant());
    QVERIFY(a != b);
}

QTEST_GUILESS_MAIN(tst_PipObject)
#include "tst_pipobject.moc"
