#pragma once
#include "framework/CWndBase.h"

// A dialog's object. Its destruction destroys the window if that window still belongs to it;
// by then the concrete class is gone, so the window's last messages reach only the default
// handling.
class CDlgBase : public CWndBase {
public:
    ~CDlgBase() override;

    // True while the object's window exists and is still bound to this object.
    bool OwnsWindow() const noexcept;
};
