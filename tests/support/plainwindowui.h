#pragma once

#include "kelapplication.h"
#include "kelui.h"
#include "windows/kelwindow.h"

// A UI object whose main window is a plain framework window of 400 x 300,
// where the program's UI object builds its own. Base is KelUi or a UI object
// derived from it.
template<typename Base = KelUi>
class PlainWindowUi : public Base
{
public:
    using Base::Base;

protected:
    KelWindow *createMainWindow() override
    {
        auto *window = new KelWindow(KelWindow::Movable | KelWindow::WindowButtons);
        window->resize(400, 300);
        return window;
    }
};

// An application whose UI object is a PlainWindowUi<UiBase>. Base is
// KelApplication or an application derived from it.
template<typename Base = KelApplication, typename UiBase = KelUi>
class PlainWindowApplication : public Base
{
public:
    using Base::Base;

protected:
    KelUi *createUi() override { return new PlainWindowUi<UiBase>(this); }
};
