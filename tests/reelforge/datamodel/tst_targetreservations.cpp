#include "core/partialoutput.h"
#include "datamodel/codecinfo.h"
#include "datamodel/targetreservations.h"
#include "datamodel/videoitem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_TargetReservations : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void sameNameIsNeverHandedOutTwice();
    void lostWorkerLeavesNoPartialOutput();

private:
    VideoItemPtr item(const QString &sourceName) const;
    bool touch(const QString &path) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_TargetReservations::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// An item writing into the input folder as MP4.
VideoItemPtr tst_TargetReservations::item(const QString &sourceName) const
{
    const auto created = VideoItemPtr::create(QFileInfo(m_dir->filePath(sourceName)));
    created->setTargetFolderType(Enums::InputFolder);
    created->targetCodecInfo()->setFormat(QStringLiteral("mp4"));
    return created;
}

bool tst_TargetReservations::touch(const QString &path) const
{
    QFile file(path);
    return file.open(QIODevice::NewOnly) && file.write("x") == 1;
}

void tst_TargetReservations::sameNameIsNeverHandedOutTwice()
{
    const VideoItemPtr mov = item(QStringLiteral("clip.mov"));
    const VideoItemPtr avi = item(QStringLiteral("clip.avi"));
    const QString clip = m_dir->filePath(QStringLiteral("clip.mp4"));
    // Both cards show the same free name before either starts.
    QCOMPARE(mov->targetFilePath(), clip);
    QCOMPARE(avi->targetFilePath(), clip);

    TargetReservations reservations;
    QCOMPARE(reservations.reserve(*mov), clip);
    QCOMPARE(reservations.reserve(*avi), m_dir->filePath(QStringLiteral("clip (1).mp4")));
    QCOMPARE(avi->targetFilePath(), m_dir->filePath(QStringLiteral("clip (1).mp4")));
    // Reserving again keeps the item's own name.
    QCOMPARE(reservations.reserve(*mov), clip);
    QVERIFY(reservations.isReserved(clip));

    // Once its task ends the name is free for others, unless its file is there.
    reservations.release(mov->id());
    QVERIFY(!reservations.isReserved(clip));
    const VideoItemPtr mkv = item(QStringLiteral("clip.mkv"));
    QCOMPARE(reservations.reserve(*mkv), clip);
    reservations.release(mkv->id());
    QVERIFY(touch(clip));
    QCOMPARE(reservations.reserve(*mkv), m_dir->filePath(QStringLiteral("clip (2).mp4")));
    // A converted item started again never reuses the name of its own output.
    QVERIFY(touch(m_dir->filePath(QStringLiteral("clip (1).mp4"))));
    reservations.release(avi->id());
    QCOMPARE(reservations.reserve(*avi), m_dir->filePath(QStringLiteral("clip (3).mp4")));
}

void tst_TargetReservations::lostWorkerLeavesNoPartialOutput()
{
    const VideoItemPtr first = item(QStringLiteral("a.mov"));
    const VideoItemPtr second = item(QStringLiteral("b.mov"));
    TargetReservations reservations;
    const QString firstTarget = reservations.reserve(*first);
    const QString secondTarget = reservations.reserve(*second);
    const QString firstPartial = PartialOutput::pathFor(firstTarget, first->id());
    QVERIFY(touch(firstPartial));
    // A finished output and the user's files are not the lost worker's.
    QVERIFY(touch(secondTarget));
    const QString foreign = PartialOutput::pathFor(firstTarget, QUuid::createUuid());
    QVERIFY(touch(foreign));

    reservations.discardAll();
    QVERIFY(!QFile::exists(firstPartial));
    QVERIFY(QFile::exists(secondTarget));
    QVERIFY(QFile::exists(foreign));
    QVERIFY(!reservations.isReserved(firstTarget));
}

QTEST_GUILESS_MAIN(tst_TargetReservations)

#include "tst_targetreservations.moc"
