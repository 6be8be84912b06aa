#pragma once

#include "kelapplication.h"
#include "kelui.h"
#include "windows/kelwindow.h"

// An application whose UI object builds a plain framework window as its
// main window, as the program's UI object builds its own.
class TestWindowApplication : public KelApplication
{
public:
    using KelApplication::KelApplication;

protected:
    KelUi *createUi() override { return new Ui(this); }

private:
    class Ui : public KelUi
    {
    public:
        using KelUi::KelUi;

    protected:
        KelWindow *createMainWindow() override
        {
            return new KelWindow(KelWindow::Movable, nullptr, KelWindow::Default, false,
                                 QStringLiteral("MainWindow"));
        }
    };
};
