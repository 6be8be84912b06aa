#include "styles/kelstylemanager.h"

#include "kelapplication.h"
#include "kelsettings.h"
#include "kelui.h"
#include "styles/kelqproxystyle.h"
#include "styles/kelstyle.h"
#include "styles/kelstyleable.h"
#include "utils/kelfontutils.h"

#include <QApplication>
#include <QDebug>
#include <QHash>
#include <QPointer>
#include <QScrollerProperties>

namespace {

const QString LastStyleIdKey = QStringLiteral("lastStyleId");

KelSettings *frameworkSettings()
{
    auto app = dynamic_cast<KelApplication *>(QCoreApplication::instance());
    return app ? app->settings() : nullptr;
}

void switchOffOvershoot()
{
    const QVariant off = QVariant::fromValue(QScrollerProperties::OvershootAlwaysOff);
    QScrollerProperties properties;
    properties.setScrollMetric(QScrollerProperties::HorizontalOvershootPolicy, off);
    properties.setScrollMetric(QScrollerProperties::VerticalOvershootPolicy, off);
    QScrollerProperties::setDefaultScrollerProperties(properties);
}

} // namespace

class KelStyleManager::Private
{
public:
    KelStyle *findStyle(const QString &styleId) const;
    void saveStyleId(const QString &styleId);
    void reapplyListeners();

    QList<QPointer<KelStyle>> styles;
    QPointer<KelStyle> current;
    QList<KelStyleable *> listeners;
    // How often each listener is in the list, so that a re-apply can tell
    // in constant time whether an entry of its snapshot is still there.
    QHash<KelStyleable *, int> listenerCounts;
};

KelStyle *KelStyleManager::Private::findStyle(const QString &styleId) const
{
    for (const QPointer<KelStyle> &style : styles) {
        if (style && style->styleId() == styleId)
            return style;
    }
    return nullptr;
}

void KelStyleManager::Private::saveStyleId(const QString &styleId)
{
    KelSettings *settings = frameworkSettings();
    if (!settings)
        return;
    const QVariant value(styleId);
    settings->beginGroup(QString());
    const bool changed = settings->value(LastStyleIdKey) != value;
    if (changed)
        settings->setValue(LastStyleIdKey, value);
    settings->endGroup();
    if (changed)
        emit settings->lastStyleIdChanged(styleId);
}

void KelStyleManager::Private::reapplyListeners()
{
    // Listeners may come and go while others re-apply; new ones already
    // got the current look, destroyed ones must not be called.
    const QList<KelStyleable *> snapshot = listeners;
    for (KelStyleable *listener : snapshot) {
        if (listenerCounts.contains(listener))
            listener->applyStyle();
    }
}

KelStyleManager::KelStyleManager(KelUi *ui) : QObject(ui), d(std::make_unique<Private>())
{
    QApplication::setStyle(new KelQProxyStyle(QApplication::style()));
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false);
    QApplication::setEffectEnabled(Qt::UI_AnimateTooltip, false);
    QApplication::setEffectEnabled(Qt::UI_FadeTooltip, true);
    switchOffOvershoot();
    qInfo() << "Init StyleManager done";
}

KelStyleManager::~KelStyleManager() = default;

KelStyleManager *KelStyleManager::instance()
{
    KelUi *ui = kelUi();
    return ui ? ui->styleManager() : nullptr;
}

KelStyle *KelStyleManager::currentStyle()
{
    if (!d->current)
        d->current = new KelStyle(this);
    return d->current;
}

void KelStyleManager::addStyle(KelStyle *style)
{
    if (!style) {
        qWarning() << "Can't add a null style";
        return;
    }
    d->styles.append(style);
}

QList<KelStyle *> KelStyleManager::styles() const
{
    QList<KelStyle *> result;
    for (const QPointer<KelStyle> &style : d->styles) {
        if (style)
            result.append(style);
    }
    return result;
}

bool KelStyleManager::setCurrentStyle(const QString &styleId)
{
    KelStyle *target = d->findStyle(styleId);
    if (!target) {
        qWarning() << "Can't find style" << styleId;
        return false;
    }
    if (target == d->current)
        return true;

    d->saveStyleId(target->styleId());
    qInfo() << "Set current style:" << styleId;
    d->current = target;

    const QFont font = KelUtils::makeFont(target->metric(KelStyle::M_App_FontSize), QFont::Normal,
                                          KelUtils::defaultFontFamily());
    QApplication::setFont(font);
    qInfo() << "Default app font was changed to" << font;

    d->reapplyListeners();
    return true;
}

bool KelStyleManager::applySavedStyle(const QString &defaultStyleId)
{
    QString styleId;
    if (KelSettings *settings = frameworkSettings()) {
        settings->beginGroup(QString());
        styleId = settings->value(LastStyleIdKey, QString()).toString();
        settings->endGroup();
    }
    if (styleId.isEmpty() || !d->findStyle(styleId))
        styleId = defaultStyleId;
    return setCurrentStyle(styleId);
}

void KelStyleManager::addListener(KelStyleable *listener)
{
    if (!listener)
        return;
    d->listeners.append(listener);
    ++d->listenerCounts[listener];
}

void KelStyleManager::removeListener(KelStyleable *listener)
{
    if (!d->listeners.removeOne(listener))
        return;
    auto it = d->listenerCounts.find(listener);
    if (--it.value() == 0)
        d->listenerCounts.erase(it);
}

KelStyle *kelStyle()
{
    // Said once each time the manager goes missing, not on every call.
    static bool warned = false;
    if (KelStyleManager *manager = KelStyleManager::instance()) {
        warned = false;
        return manager->currentStyle();
    }
    static KelStyle plainStyle;
    if (!warned) {
        warned = true;
        qWarning() << "No style manager, using the plain framework style";
    }
    return &plainStyle;
}

#include "moc_kelstylemanager.cpp"
