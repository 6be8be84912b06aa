#pragma once

#include <QMetaEnum>
#include <QSettings>
#include <QVariant>

#include <memory>

// The framework's settings: the keys every program on the framework shares,
// all in the root group of one file. The program derives its own settings
// object from it and registers that with the application base.
//
// Keys that have a member (locale name, update-checker switch, default-app
// registration) are read by load() and written by save(); all other keys are
// read and written in the file on every call. Every setter changes the value
// and emits the key's signal only when the value really differs.
//
// A file whose serialised values would not decode safely is moved aside
// ("name.bad") before it is opened, and the settings start from defaults.
//
// Lives on the GUI thread.
class KelSettings : public QSettings
{
    Q_OBJECT

public:
    KelSettings(const QString &fileName, QSettings::Format format, QObject *parent = nullptr);
    ~KelSettings() override;

    virtual void load();
    virtual void save();

    QString defaultLocaleName() const;

    QString localeName() const;
    void setLocaleName(const QString &value);
    bool updateCheckerEnabled() const;
    void setUpdateCheckerEnabled(bool value);
    bool registerAsDefaultApp() const;
    void setRegisterAsDefaultApp(bool value);

    int lastScreen() const;
    void setLastScreen(int value);
    QString lastOpenFilePath() const;
    void setLastOpenFilePath(const QString &value);
    bool showFirstStartWizard() const;
    void setShowFirstStartWizard(bool value);

signals:
    void localeNameChanged(QString val);
    void lastScreenChanged(int val);
    void updateCheckerEnabledChanged(bool val);
    void updateCheckerShowedVersionChanged(QString val);
    void registerAsDefaultAppChanged(bool val);
    void checkIsNotDefaultChanged(bool val);
    void lastOpenFilePathChanged(QString val);
    void lastStyleIdChanged(QString val);
    void showFirstStartWizardChanged(bool val);

protected:
    // Reads a key: an absent key or a stored value that cannot be converted
    // to T gives the default, a conversion that fails gives T's null value.
    template<typename T>
    T readValue(const QString &key, const T &defaultValue) const
    {
        QVariant stored = value(key);
        if (!stored.isValid() || !stored.canConvert<T>())
            return defaultValue;
        if (!stored.convert(qMetaTypeId<T>()))
            return T();
        return stored.value<T>();
    }

    // Reads a key of an enumeration published with Q_ENUM: a stored number
    // that is none of its values gives the default.
    template<typename T>
    T readEnumValue(const QString &key, T defaultValue) const
    {
        const T stored = readValue(key, defaultValue);
        return QMetaEnum::fromType<T>().valueToKey(int(stored)) ? stored : defaultValue;
    }

    // Writes a key when its stored value differs from the new one; returns
    // whether it wrote. A missing key always differs.
    template<typename T>
    bool writeValue(const QString &key, const T &newValue)
    {
        const QVariant stored = value(key);
        const QVariant fresh = QVariant::fromValue(newValue);
        if (stored.isValid() && stored == fresh)
            return false;
        setValue(key, fresh);
        return true;
    }

private:
    class Private;
    std::unique_ptr<Private> d;
};
