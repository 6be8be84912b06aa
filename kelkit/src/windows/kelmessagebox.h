#pragma once

#include "windows/keldialog.h"

#include <memory>

class QLabel;

// The framework's modal message dialog (WT_MessageBox): an icon and a
// word-wrapping message in the content area ("KelMessage", WT_Label_Message),
// beside each other when the style's M_MessageBox_IconBesideText is 1, else the icon above,
// and further content widgets below them. A message with a word of more
// than 100 characters (a path, an address) wraps anywhere instead of
// widening the box. The footer buttons come from KelDialog::addButton().
//
//     KelMessageBox box(parent);
//     box.setText(tr("Remove the file?"));
//     box.addButton(1, new KelButton(KelStyle::WT_Button_Dialog));
//     box.addButton(2, new KelButton(KelStyle::WT_Button_Dialog_Accent), true);
//     const int answer = box.exec();
//
// GUI thread only.
class KelMessageBox : public KelDialog
{
    Q_OBJECT

public:
    // deferStyle: the caller applies the style once the box is filled.
    explicit KelMessageBox(QWidget *parent = nullptr, bool deferStyle = false);
    ~KelMessageBox() override;

    void setText(const QString &text);
    // An empty path hides the icon.
    void setIcon(const QString &resourcePath);
    QLabel *messageLabel() const;

    // Adds the widget below the message. A line edit added with allowEmpty
    // false keeps the default button enabled only while it holds text.
    void addContentWidget(QWidget *widget, bool allowEmpty = true);

protected:
    void showEvent(QShowEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
