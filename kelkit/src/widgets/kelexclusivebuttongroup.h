#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariant>

#include <memory>

class KelButton;
class KelTabIndicator;

// Keeps checkable buttons of which at most one is checked, with a value of
// user data on each, and reports the checked button with its data. The
// group does not own its buttons; destroyed ones drop out. A tab indicator
// may follow the checked button. GUI thread only.
class KelExclusiveButtonGroup : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariant checkedData READ checkedData WRITE setCheckedData)

public:
    // Buttons made by createButton() get buttonStyleId.
    explicit KelExclusiveButtonGroup(int buttonStyleId, QObject *parent = nullptr);
    explicit KelExclusiveButtonGroup(QObject *parent = nullptr);
    ~KelExclusiveButtonGroup() override;

    // Makes the button checkable and auto-exclusive; returns it, or null
    // for a null button.
    KelButton *addButton(KelButton *button, const QVariant &userData = QVariant());
    // A new parentless button of the group's button style.
    KelButton *createButton(const QVariant &userData, const QString &iconPath = QString());
    QList<QPointer<KelButton>> buttons() const;
    int buttonStyleId() const;

    // The first button whose data equals data.
    KelButton *buttonByData(const QVariant &data) const;
    KelButton *checkedButton() const;
    // Invalid when no button is checked.
    QVariant checkedData() const;
    QVariant buttonData(KelButton *button) const;

    // Checks the button of data; with the group's signals blocked at once
    // and silently, otherwise through the button, which then reports back.
    void setCheckedData(const QVariant &data);
    void setCheckedSilently(const QVariant &data);

    void setTabIndicator(KelTabIndicator *indicator);

public slots:
    // Buttons report every change of their checked state here.
    void setButtonChecked(KelButton *button, bool checked, bool silent);

signals:
    void toggled(KelButton *button, QVariant userData);

private:
    class Private;
    std::unique_ptr<Private> const d;
};
