#include "core/player/audiomanager.h"
#include "core/player/volumemanager.h"
#include "waitbound.h"

#include "fakeaudio.h"

#include <QtTest>

class TestVolumeManager : public QObject
{
    Q_OBJECT

private slots:
    void setVolumeAppliesOnlyRealChanges_data();
    void setVolumeAppliesOnlyRealChanges();
    void muteReachesTheSessionOnce();
    void changesMadeElsewhereComeBackAsSignals();
    void lostSessionIgnoresRequestsUntilNextDevice();
    void lateWordFromOldSessionIsDropped();
    void audioManagerNeedsWatchingAndForwardsNotifications();
};

void TestVolumeManager::setVolumeAppliesOnlyRealChanges_data()
{
    QTest::addColumn<float>("stored");
    QTest::addColumn<QVector<float>>("requests");
    QTest::addColumn<int>("applied");
    QTest::newRow("fuzzy equal") << 0.5000001f << QVector<float>{0.5f} << 0;
    QTest::newRow("new level") << 0.5000001f << QVector<float>{0.6f} << 1;
    QTest::newRow("same level twice") << 1.0f << QVector<float>{0.3f, 0.3f} << 1;
    QTest::newRow("two levels") << 1.0f << QVector<float>{0.3f, 0.7f} << 2;
}

void TestVolumeManager::setVolumeAppliesOnlyRealChanges()
{
    QFETCH(float, stored);
    QFETCH(QVector<float>, requests);
    QFETCH(int, applied);

    auto endpoint = std::make_shared<FakeAudioEndpoint>(QStringLiteral("speakers"));
    endpoint->changeElsewhere(stored, false);
    volumemanager manager;
    QSignalSpy volumeSpy(&manager, &volumemanager::volumeChanged);
    QVERIFY(manager.setDevice(endpoint));
    QCOMPARE(volumeSpy.count(), 1);
    QCOMPARE(volumeSpy.takeFirst().at(0).toFloat(), stored);

    for (float level : requests)
        manager.setVolume(level);
    QCOMPARE(endpoint->volumeCalls(), applied);
    QCoreApplication::processEvents();
    QCOMPARE(volumeSpy.count(), 0); // its own changes are not echoed
}

void TestVolumeManager::muteReachesTheSessionOnce()
{
    auto endpoint = std::make_shared<FakeAudioEndpoint>(QStringLiteral("speakers"));
    volumemanager manager;
    manager.setMute(true); // no session yet: ignored
    QCOMPARE(endpoint->muteCalls(), 0);

    manager.setDevice(endpoint);
    manager.setMute(true);
    manager.setMute(true);
    QCOMPARE(endpoint->muteCalls(), 1);
    QVERIFY(endpoint->isMuted());
    manager.setMute(false);
    QCOMPARE(endpoint->muteCalls(), 2);
    QVERIFY(!endpoint->isMuted());
}

void TestVolumeManager::changesMadeElsewhereComeBackAsSignals()
{
    auto endpoint = std::make_shared<FakeAudioEndpoint>(QStringLiteral("speakers"));
    volumemanager manager;
    manager.setDevice(endpoint);
    QSignalSpy volumeSpy(&manager, &volumemanager::volumeChanged);
    QSignalSpy muteSpy(&manager, &volumemanager::muteChanged);

    endpoint->changeElsewhere(0.25f, true);
    QTRY_COMPARE(volumeSpy.count(), 1);
    QCOMPARE(volumeSpy.at(0).at(0).toFloat(), 0.25f);
    QCOMPARE(muteSpy.count(), 1);
    QCOMPARE(muteSpy.at(0).at(0).toBool(), true);

    // The same values again are no change.
    endpoint->changeElsewhere(0.25f, true);
    QCoreApplication::processEvents();
    QCOMPARE(volumeSpy.count(), 1);
    QCOMPARE(muteSpy.count(), 1);
}

void TestVolumeManager::lostSessionIgnoresRequestsUntilNextDevice()
{
    auto endpoint = std::make_shared<FakeAudioEndpoint>(QStringLiteral("speakers"));
    volumemanager manager;
    manager.setDevice(endpoint);
    QSignalSpy enabledSpy(&manager, &volumemanager::enabledChanged);

    endpoint->disconnect(AudioDisconnectReason::DeviceRemoval);
    QTRY_COMPARE(enabledSpy.count(), 1);
    QCOMPARE(enabledSpy.at(0).at(0).toBool(), false);
    manager.setVolume(0.2f);
    QCOMPARE(endpoint->volumeCalls(), 0);

    auto other = std::make_shared<FakeAudioEndpoint>(QStringLiteral("headphones"));
    QVERIFY(manager.setDevice(other));
    QCOMPARE(enabledSpy.count(), 2);
    QCOMPARE(enabledSpy.at(1).at(0).toBool(), true);
    manager.setVolume(0.2f);
    QCOMPARE(other->volumeCalls(), 1);
}

void TestVolumeManager::lateWordFromOldSessionIsDropped()
{
    auto first = std::make_shared<FakeAudioEndpoint>(QStringLiteral("speakers"));
    auto second = std::make_shared<FakeAudioEndpoint>(QStringLiteral("headphones"));
    volumemanager manager;
    manager.setDevice(first);
    QSignalSpy enabledSpy(&manager, &volumemanager::enabledChanged);
    QSignalSpy volumeSpy(&manager, &volumemanager::volumeChanged);

    // Both notifications are queued before the switch and delivered after it.
    first->disconnect(AudioDisconnectReason::DeviceRemoval);
    first->changeElsewhere(0.1f, false);
    manager.setDevice(second);
    volumeSpy.clear();
    QCoreApplication::processEvents();
    QCOMPARE(enabledSpy.count(), 0);
    QCOMPARE(volumeSpy.count(), 0);
    manager.setVolume(0.4f);
    QCOMPARE(second->volumeCalls(), 1);
}

void TestVolumeManager::audioManagerNeedsWatchingAndForwardsNotifications()
{
    auto system = FakeAudioDevices::install();
    auto endpoint = system->add(QStringLiteral("speakers"));
    audiomanager manager;
    AudioEndpointPtr device;
    QVERIFY(!manager.defaultDevice(&device));

    QVERIFY(manager.startWatching());
    QVERIFY(manager.defaultDevice(&device));
    QCOMPARE(device, AudioEndpointPtr(endpoint));
    QVERIFY(manager.deviceById(QStringLiteral("speakers"), &device));
    QVERIFY(!manager.deviceById(QStringLiteral("missing"), &device));
    QHash<QString, QString> devices;
    QVERIFY(manager.activeDevices(&devices));
    QCOMPARE(devices.keys(), QStringList{QStringLiteral("speakers")});

    auto *fake = manager.findChild<FakeAudioDevices *>();
    QVERIFY(fake);
    QSignalSpy defaultSpy(&manager, &audiomanager::defaultDeviceChanged);
    QSignalSpy availableSpy(&manager, &audiomanager::deviceAvailable);
    emit fake->defaultDeviceChanged();
    emit fake->deviceAvailable(QStringLiteral("headphones"));
    QTRY_COMPARE(defaultSpy.count(), 1);
    QTRY_COMPARE(availableSpy.count(), 1);
    QCOMPARE(availableSpy.at(0).at(0).toString(), QStringLiteral("headphones"));
    FakeAudioDevices::uninstall();
}

QTEST_GUILESS_MAIN(TestVolumeManager)
#include "tst_volumemanager.moc"
