#pragma once

#include <QMetaObject>
#include <QPlainTextEdit>

// A plain text edit that can follow the height of its document.
class KelPlainTextEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit KelPlainTextEdit(QWidget *parent = nullptr);

    // On: the size hint's height follows the document, with a preferred
    // size policy; off: the edit expands as a plain text edit does.
    void setAutoHeight(bool on);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    int autoHeight() const;
    int documentHeight() const;

    QMetaObject::Connection m_autoHeightConnection;
};
