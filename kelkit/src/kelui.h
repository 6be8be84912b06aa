#pragma once

#include <QObject>

#include <memory>

class KelPixmapCache;
class KelStyleManager;

// The framework's UI-services object: one per application, created by
// KelApplication::kelUi() and reached through the global kelUi(). It owns
// the style manager. GUI thread only.
class KelUi : public QObject
{
    Q_OBJECT

public:
    explicit KelUi(QObject *parent = nullptr);
    ~KelUi() override;

    // Runs once, right after creation. A program's UI object registers its
    // themes and then calls this.
    virtual void init();

    // Null once the manager is gone.
    KelStyleManager *styleManager() const;
    // The shared cache of window and drop shadows, made on first use.
    KelPixmapCache *shadowCache();

private:
    class Private;
    std::unique_ptr<Private> d;
};

// The application's UI object; null without a KelApplication.
KelUi *kelUi();
