#pragma once

#include <QScrollArea>

#include <functional>
#include <memory>

class KelButton;
class KelFlowLayout;
class QFormLayout;
class QLayout;
class QSpacerItem;

// The base of the maintenance-mode pages: a frameless, transparent scroll
// area around a form, in a 12-pixel font, with the operations that build
// its rows. GUI thread only.
class KelServicePage : public QScrollArea
{
    Q_OBJECT

public:
    explicit KelServicePage(QWidget *parent = nullptr);
    ~KelServicePage() override;

    // The text of every readout: "name(Class, 0x0000abcd)" or
    // "Class(0x0000abcd)", with ", x:1, y:2, w:3, h: 4" for a widget before
    // the closing parenthesis; "QObject(0x0)" for none.
    static QString describeObject(QObject *object);

protected:
    QFormLayout *formLayout() const;
    // Appends a row of that label whose field is the flow layout returned.
    KelFlowLayout *addRow(const QString &label);
    // A push button that runs onClick; appended to layout when given.
    KelButton *addWidgetRow(QLayout *layout, const QString &text, std::function<void()> onClick);
    // A check box in the state given that runs onToggle with each new state.
    KelButton *addCheckBoxRow(QLayout *layout, const QString &text, bool checked,
                              std::function<void(bool)> onToggle);
    // A fixed vertical gap between groups of rows.
    static QSpacerItem *makeSpacer();

private:
    class Private;
    std::unique_ptr<Private> d;
};
