#pragma once

#include "datamodel/presetinfo.h"
#include "datamodel/videoitem.h"

#include <QTime>
#include <QWidget>

#include <memory>

class BadgedButton;
class KelButton;
class PostActionsCombo;
class PresetsCombo;
class ProgressBar;
class TargetFolderCombo;

// The row below the queue. Idle, it offers the preset and output-folder
// choosers and Convert; while items are scheduled or converting it shows
// the overall progress with Pause and Cancel all instead. The
// after-conversion action is always there. A press on the running footer
// asks for the converting item to be shown. GUI thread only.
class MainFooter : public QWidget
{
    Q_OBJECT

public:
    explicit MainFooter(QWidget *parent = nullptr);
    ~MainFooter() override;

    PresetsCombo *presetsCombo() const;
    TargetFolderCombo *folderCombo() const;
    PostActionsCombo *postActionsCombo() const;
    ProgressBar *progressBar() const;
    KelButton *pauseButton() const;
    BadgedButton *convertButton() const;
    BadgedButton *cancelButton() const;

    void updateCounters(const VideoItem::StateCountersMap &counters);
    // value: the queue's progress in per mille; an invalid time is not
    // known yet.
    void setProgress(int value, const QTime &remaining);
    void translateUi();

signals:
    void presetClicked(PresetInfoPointer preset);
    void convertAllClicked();
    void abortAllClicked();
    void pauseAllToggled(bool pauseAll);
    void requestShowCurrentItem();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};
